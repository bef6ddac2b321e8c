// The resource compiler refuses faulty scripts and names the line at fault.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string output;
};

Result Compile(const fs::path& folder, const std::string& script) {
  std::ofstream(folder / "module.zrc") << script;
  const std::string command = std::string("'") + ZEL_RESCOMP + "' '" + (folder / "module.zrc").string() + "' -o '" +
                              (folder / "out.cpp").string() + "' 2>&1";
  Result result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char chunk[256];
  while (size_t got = fread(chunk, 1, sizeof(chunk), pipe)) result.output.append(chunk, got);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class RescompTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zel-rescomp-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    std::ofstream(folder_ / "data.bin") << "not a bitmap";
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_F(RescompTest, FaultyScriptsAreRefusedWithTheLineAtFault) {
  struct Case {
    const char* script;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"strings japanese\n  1 \"a\"\n  1 \"b\"\nend\n", 3, "already"},
      {"strings japanese\n  1 \"a\"\n", 1, "no 'end'"},
      {"# comment\n\nbogus 1\n", 3, "unknown directive"},
      {"strings english\n  70000 \"x\"\nend\n", 2, "too large"},
      {"strings english\n  1 \"\\xff\"\nend\n", 2, "UTF-8"},
      {"strings english\n  1 \"open\nend\n", 2, "not closed"},
      {"strings klingon\nend\n", 1, "unknown language"},
      {"file RT_RCDATA 1 english \"missing.bin\"\n", 1, "cannot read"},
      {"file RT_BITMAP 1 english \"data.bin\"\n", 1, "not a .bmp"},
      {"file 10 Name english \"data.bin\"\nfile 10 NAME english \"data.bin\"\n", 2, "already given"},
      {"file RT_STRING 1 english \"data.bin\"\n", 1, "'strings'"},
      {"file 10 \"#5\" english \"data.bin\"\n", 1, "'#'"},
      {"version\n  fileversion 1.2.3.4.5\nend\n", 2, "four parts"},
      {"version\n  filetype VFT_NOPE\nend\n", 2, "unknown constant"},
      {"version\nend\nversion\nend\n", 3, "one version block"},
      {"MENU 1\n  POPUP \"File\"\n    MENUITEM \"Open\" 10\n  END\n", 1, "no 'end'"},
      {"MENU 1\n  MENUITEM \"Open\" 10 BOLD\nEND\n", 2, "unknown menu item option"},
      {"MENU 1\n  MENUITEM Open 10\nEND\n", 2, "usage: MENUITEM"},
      {"MENU 1\n  MENUITEM \"Open\" 70000\nEND\n", 2, "too large"},
      {"MENU 1\n  ITEM \"Open\" 1\nEND\n", 2, "unknown menu statement"},
      {"MENU 1\nEND\n", 1, "no items"},
  };
  for (const Case& c : cases) {
    Result result = Compile(folder_, c.script);
    EXPECT_NE(result.status, 0) << c.script;
    const std::string where = "module.zrc:" + std::to_string(c.line) + ": error:";
    EXPECT_NE(result.output.find(where), std::string::npos) << c.script << "\n" << result.output;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << c.script << "\n" << result.output;
  }
}

}  // namespace
