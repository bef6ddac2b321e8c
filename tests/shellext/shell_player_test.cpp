// The shell player run as a user runs it, against the real library on a machine
// whose printer the driver's set-up installed.
#include <sys/wait.h>
#include <array>
#include <cstdio>

#include "platform/shell/shell_execute.h"
#include "tests/shellext/shellext_fixture.h"

namespace shellexttest {
namespace {

struct Outcome {
  int exitCode = -1;
  std::string output;
};

Outcome RunPlayer(const std::filesystem::path& root, const std::string& arguments) {
  const std::string command =
      "ZEL_LANGUAGE=en '" + std::string(ZEL_SHELLMENU) + "' --root '" + root.string() + "' " + arguments + " 2>&1";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return outcome;
  std::array<char, 512> chunk{};
  while (size_t read = fread(chunk.data(), 1, chunk.size(), pipe)) outcome.output.append(chunk.data(), read);
  const int status = pclose(pipe);
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

TEST_F(ShellExtTest, ThePlayerShowsTheMenuAndRunsItsEntries) {
  Install("Menu");
  OfferEveryEntry("Menu");

  Outcome menu = RunPlayer(root(), "menu Menu");
  EXPECT_EQ(menu.exitCode, 0) << menu.output;
  EXPECT_EQ(menu.output,
            "----\n"
            "Printer driver extensions\n"
            "  Readme  [1]\n"
            "  Quick tabs  [2]\n"
            "  Print monitor  [3]\n"
            "----\n");

  Outcome readme = RunPlayer(root(), "run Menu readme");
  EXPECT_EQ(readme.exitCode, 0) << readme.output;
  const std::vector<platform::ShellRequest> opened = platform::ReadShellRecords();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].verb, "open");
  EXPECT_EQ(opened[0].file, "readme.txt");
  EXPECT_EQ(opened[0].directory, DataFolder("Menu"));

  Outcome quickTabs = RunPlayer(root(), "run Menu quicktabs");
  EXPECT_EQ(quickTabs.exitCode, 1);
  EXPECT_NE(quickTabs.output.find("missing"), std::string::npos) << quickTabs.output;

  Outcome none = RunPlayer(root(), "run Menu monitor Elsewhere");
  EXPECT_EQ(none.exitCode, 1);
}

TEST_F(ShellExtTest, ThePlayerSaysWhenTheDriverAddsNothing) {
  Install("Menu");
  Outcome menu = RunPlayer(root(), "menu Menu");
  EXPECT_EQ(menu.exitCode, 0);
  EXPECT_NE(menu.output.find("adds nothing"), std::string::npos) << menu.output;
}

}  // namespace
}  // namespace shellexttest
