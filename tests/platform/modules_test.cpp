// The module loader: finding, starting, counting and unloading modules, their
// exports and their file names.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/base/module_folder.h"
#include "platform/base/modules.h"
#include "platform/base/resources.h"
#include "tests/platform/module_test_helpers.h"
#include "tests/support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;
using moduletest::IsMapped;
using moduletest::ModuleFile;
using moduletest::TraceRecorder;
using moduletest::ZPath;

std::string Trace(const char* event, HMODULE module) {
  return std::string("sample_module: ") + event + " " + std::to_string(module);
}

template <class Fn>
Fn Proc(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(GetProcAddress(module, name));
}

std::string FileNameA(HMODULE module) {
  char buffer[1024];
  DWORD length = GetModuleFileNameA(module, buffer, sizeof(buffer));
  return std::string(buffer, length);
}

// Changes the current folder for a test and back.
class CurrentFolder {
 public:
  explicit CurrentFolder(const fs::path& folder) : saved_(fs::current_path()) { fs::current_path(folder); }
  ~CurrentFolder() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

class ModulesTest : public testsupport::FreshMachine {};

TEST_F(ModulesTest, LoadingTwiceSharesOneStartAndTheLastFreeUnloads) {
  const fs::path file = ModuleFile("sample_module.dll");
  TraceRecorder traces;
  // Windows paths match without regard to case.
  HMODULE first = LoadLibraryA(ZPath(file.parent_path() / "SAMPLE_MODULE.DLL").c_str());
  ASSERT_NE(first, 0u) << GetLastError();
  EXPECT_EQ(traces.Take(), std::vector<std::string>{Trace("attach", first)});

  HMODULE second = LoadLibraryA(ZPath(file).c_str());
  EXPECT_EQ(second, first);
  EXPECT_TRUE(traces.Take().empty()) << "a second load must not start the module again";
  // The module finds its own handle from one of its addresses.
  EXPECT_EQ(Proc<HMODULE (*)()>(first, "SampleOwnHandle")(), first);

  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_TRUE(traces.Take().empty());
  EXPECT_TRUE(IsMapped(file));
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_EQ(traces.Take(), std::vector<std::string>{Trace("detach", first)});
  EXPECT_FALSE(IsMapped(file));

  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  // A fresh load starts the module again.
  HMODULE again = LoadLibraryA(ZPath(file).c_str());
  ASSERT_NE(again, 0u);
  EXPECT_EQ(traces.Take(), std::vector<std::string>{Trace("attach", again)});
  EXPECT_TRUE(FreeLibrary(again));
}

TEST_F(ModulesTest, BareNamesAreSearchedWithoutRegardToCase) {
  const fs::path original = ModuleFile("sample_module.dll");
  {
    // Outside the search folders a bare name finds nothing.
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("sample_module.dll"), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  }
  {
    // The system folder; ".dll" is added to a name without an extension.
    fs::copy_file(original, Host("C:\\Windows\\System32") / "Sample_Module.DLL");
    HMODULE module = LoadLibraryA("SAMPLE_MODULE");
    ASSERT_NE(module, 0u) << GetLastError();
    EXPECT_EQ(FileNameA(module), "C:\\Windows\\System32\\Sample_Module.DLL");
    // A bare name answers for the module already loaded.
    EXPECT_EQ(GetModuleHandleA("sample_module.DLL"), module);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA("sample_module.dll"), 0u);
    fs::remove(Host("C:\\Windows\\System32") / "Sample_Module.DLL");
  }
  {
    // The current folder.
    fs::path folder = Host("C:\\work");
    fs::create_directories(folder);
    fs::copy_file(original, folder / "sample_module.dll");
    CurrentFolder current(folder);
    HMODULE module = LoadLibraryA("Sample_Module.Dll");
    ASSERT_NE(module, 0u) << GetLastError();
    EXPECT_EQ(FileNameA(module), "C:\\work\\sample_module.dll");
    EXPECT_TRUE(FreeLibrary(module));
  }
}

TEST_F(ModulesTest, ModuleThatRefusesToStartIsToldToLeaveAndNotKept) {
  const fs::path file = ModuleFile("failing_module.dll");
  TraceRecorder traces;
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA(ZPath(file).c_str()), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(traces.Take(), (std::vector<std::string>{"failing_module: attach", "failing_module: detach"}));
  EXPECT_FALSE(IsMapped(file));
  EXPECT_EQ(GetModuleHandleA(ZPath(file).c_str()), 0u);
}

TEST_F(ModulesTest, AModuleTheLinkerKeepsMappedStartsAgainOnTheNextLoad) {
  const fs::path file = ModuleFile("sticky_module.dll");
  TraceRecorder traces;
  HMODULE module = LoadLibraryA(ZPath(file).c_str());
  ASSERT_NE(module, 0u) << GetLastError();
  ASSERT_TRUE(FreeLibrary(module));
  if (!IsMapped(file)) GTEST_SKIP() << "the dynamic linker dropped the module after all";
  module = LoadLibraryA(ZPath(file).c_str());
  ASSERT_NE(module, 0u) << GetLastError();
  ASSERT_TRUE(FreeLibrary(module));
  // Its statics survive, but each load is a start and each last free an exit.
  EXPECT_EQ(traces.Take(), (std::vector<std::string>{"sticky_module: attach 1", "sticky_module: detach",
                                                     "sticky_module: attach 2", "sticky_module: detach"}));
}

TEST_F(ModulesTest, DataFileLoadReadsResourcesWithoutRunningCode) {
  TraceRecorder traces;
  const fs::path failing = ModuleFile("failing_module.dll");
  HMODULE data = LoadLibraryExA(ZPath(failing).c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, 0u) << GetLastError();
  EXPECT_FALSE(IsMapped(failing));
  EXPECT_EQ(GetProcAddress(data, "DllMain"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(FindResourceA(data, MAKEINTRESOURCEA(1), RT_STRING), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(data));

  const fs::path sample = ModuleFile("sample_module.dll");
  data = LoadLibraryExA(ZPath(sample).c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, 0u) << GetLastError();
  char text[64];
  EXPECT_EQ(LoadStringA(data, 20, text, sizeof(text)), 12);
  EXPECT_STREQ(text, "English only");
  EXPECT_TRUE(FreeLibrary(data));
  EXPECT_TRUE(traces.Take().empty()) << "a data file's DllMain must not run";
  EXPECT_FALSE(IsMapped(sample));

  SetLastError(0);
  EXPECT_EQ(LoadLibraryExA("Z:\\no\\such\\folder\\module.dll", 0, LOAD_LIBRARY_AS_DATAFILE), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("Z:\\no\\such\\folder\\module.dll"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(ModulesTest, GetProcAddressFindsOnlyTheModulesOwnSymbols) {
  HMODULE module = LoadLibraryA(ZPath(ModuleFile("sample_module.dll")).c_str());
  ASSERT_NE(module, 0u);
  EXPECT_EQ(Proc<int (*)(int, int)>(module, "SampleAdd")(2, 3), 5);

  struct Case {
    const char* name;
    const char* why;
  };
  for (const Case& c : {Case{"printf", "lives in the C library the module uses"},
                        Case{"OutputDebugStringA", "lives in the platform library the module uses"},
                        Case{"NoSuchFunction", "does not exist"},
                        Case{MAKEINTRESOURCEA(1), "an ordinal: modules export by name only"}}) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, c.name), nullptr) << c.why;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << c.why;
  }
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModulesTest, GetModuleFileNameGivesTheWindowsPathCutAsWindowsDoes) {
  const fs::path file = ModuleFile("sample_module.dll");
  HMODULE module = LoadLibraryA(ZPath(file).c_str());
  ASSERT_NE(module, 0u);
  const std::string full = ZPath(file);
  EXPECT_EQ(FileNameA(module), full);

  // A buffer too small holds size - 1 characters and a NUL; the answer is the size.
  for (DWORD size : {DWORD(1), DWORD(4), DWORD(full.size()), DWORD(full.size() + 1)}) {
    std::vector<char> buffer(size + 8, '#');
    SetLastError(0);
    DWORD answer = GetModuleFileNameA(module, buffer.data(), size);
    if (size > full.size()) {
      EXPECT_EQ(answer, full.size());
      EXPECT_EQ(GetLastError(), 0u);
      EXPECT_STREQ(buffer.data(), full.c_str());
    } else {
      EXPECT_EQ(answer, size) << size;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << size;
      EXPECT_EQ(std::string(buffer.data()), full.substr(0, size - 1)) << size;
    }
    EXPECT_EQ(buffer[size], '#') << "wrote past the buffer of " << size;
  }
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(module, nullptr, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  WCHAR wide[1024];
  DWORD length = GetModuleFileNameW(module, wide, 1024);
  EXPECT_EQ(std::u16string(wide, length), platform::ToUtf16(full));
  EXPECT_EQ(GetModuleFileNameW(module, wide, 3), 3u);
  EXPECT_EQ(std::u16string(wide), u"Z:");
  EXPECT_TRUE(FreeLibrary(module));

  // NULL is the program.
  EXPECT_EQ(FileNameA(0), ZPath(fs::read_symlink("/proc/self/exe")));
}

TEST_F(ModulesTest, JapaneseFolderNamesKeepWholeCharactersWhenCut) {
  // "C:\ソフト\sample_module.dll" in code page 932; the second byte of "ソ" is 0x5C, a backslash.
  const std::string folder = "C:\\\x83\x5C\x83\x74\x83\x67";
  fs::create_directories(Host(platform::Utf8FromAnsi(folder)));
  fs::copy_file(ModuleFile("sample_module.dll"), Host(platform::Utf8FromAnsi(folder)) / "sample_module.dll");
  const std::string path = folder + "\\sample_module.dll";
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, 0u) << GetLastError();
  EXPECT_EQ(FileNameA(module), path);

  // Room for "C:\" and one byte more: half of "ソ" is not copied.
  char buffer[16];
  std::memset(buffer, '#', sizeof(buffer));
  EXPECT_EQ(GetModuleFileNameA(module, buffer, 5), 5u);
  EXPECT_STREQ(buffer, "C:\\");
  EXPECT_EQ(GetModuleFileNameA(module, buffer, 6), 6u);
  EXPECT_STREQ(buffer, "C:\\\x83\x5C");
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModulesTest, AModulesFolderEndsAtItsLastRealBackslash) {
  // Code page 932: the trail byte of "表" is 0x5C, the byte of a backslash.
  struct Case {
    const char* path;
    const char* folder;
  };
  const Case cases[] = {
      {"C:\\Driver\\zelui5.dll", "C:\\Driver\\"},
      {"C:\\\x95\x5C\\zelui5.dll", "C:\\\x95\x5C\\"},
      {"C:\\\x95\x5C.dll", "C:\\"},
      {"C:\\zelui5.dll", "C:\\"},
      {"zelui5.dll", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::FolderOfPath(c.path), c.folder) << c.path;

  const std::string folder = "C:\\\x83\x5C\x83\x74\x83\x67\\";
  fs::create_directories(Host(platform::Utf8FromAnsi(folder)));
  fs::copy_file(ModuleFile("sample_module.dll"), Host(platform::Utf8FromAnsi(folder)) / "sample_module.dll",
                fs::copy_options::overwrite_existing);
  HMODULE module = LoadLibraryA((folder + "sample_module.dll").c_str());
  ASSERT_NE(module, 0u) << GetLastError();
  EXPECT_EQ(platform::ModuleFolder(module), folder);
  EXPECT_TRUE(FreeLibrary(module));
  const std::string program = FileNameA(0);
  EXPECT_EQ(platform::ModuleFolder(0), program.substr(0, program.rfind('\\') + 1));
  EXPECT_EQ(platform::ModuleFolder(0xDEAD), "");
}

void FunctionOfTheProgram() {}

TEST_F(ModulesTest, ModulesLoadedWithoutLoadLibraryAreKnownByAddressAndName) {
  // The platform library is linked into the program, not loaded by LoadLibrary.
  HMODULE platformLibrary = platform::ModuleFromAddress(reinterpret_cast<const void*>(&OutputDebugStringA));
  ASSERT_NE(platformLibrary, 0u);
  const std::string name = FileNameA(platformLibrary);
  EXPECT_EQ(name.substr(name.rfind('\\') + 1), "libzelplatform.so");
  EXPECT_EQ(GetModuleHandleA("LIBZELPLATFORM.SO"), platformLibrary);
  EXPECT_EQ(GetModuleHandleA(name.c_str()), platformLibrary);
  // Freeing it does not unload what the program linked.
  EXPECT_TRUE(FreeLibrary(platformLibrary));
  EXPECT_EQ(FileNameA(platformLibrary), name);

  HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_NE(program, 0u);
  EXPECT_EQ(platform::ModuleFromAddress(reinterpret_cast<const void*>(&FunctionOfTheProgram)), program);
  EXPECT_NE(program, platformLibrary);

  int onTheStack = 0;
  EXPECT_EQ(platform::ModuleFromAddress(&onTheStack), 0u);
  EXPECT_EQ(GetModuleHandleA("no_such_module.dll"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace
