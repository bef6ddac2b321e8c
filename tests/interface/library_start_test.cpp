// The user-interface library as the spooler loads it: its start binds the settings
// library beside it, it stays loaded once started, it survives a missing or
// incomplete settings library, and its exit frees its caches before it lets the
// settings library go.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "interface/app/diagnostics.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

namespace fs = std::filesystem;

template <class Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(GetProcAddress(module, name));
}

UiLibraryState StateOf(HMODULE library) {
  UiLibraryState state{};
  auto query = Export<PFN_ZelUiDiagnosticState>(library, "ZelUiDiagnosticState");
  EXPECT_NE(query, nullptr);
  if (query) {
    EXPECT_TRUE(query(&state));
  }
  return state;
}

// The 14 functions the library binds, each called as its callers call it.
struct SettingsCall {
  const char* name;
  std::function<bool(const SettingsFunctions&)> bound;  // whether the member is set
  std::function<DWORD(const SettingsFunctions&)> call;
};

std::vector<SettingsCall> BoundCalls() {
  static char buffer[64];
  static DWORD size = 0;
  static DBENUM* enumeration = nullptr;
  return {
      {"DBDeleteData", [](auto& s) { return s.deleteData != nullptr; },
       [](auto& s) { return s.DeleteData(0, kStoreUser, "S", "K"); }},
      {"DBDeleteSection", [](auto& s) { return s.deleteSection != nullptr; },
       [](auto& s) { return s.DeleteSection(0, kStoreUser, "S"); }},
      {"DBEnumClose", [](auto& s) { return s.enumClose != nullptr; }, [](auto& s) { return s.EnumClose(nullptr); }},
      {"DBEnumNext", [](auto& s) { return s.enumNext != nullptr; },
       [](auto& s) { return size = sizeof buffer, s.EnumNext(nullptr, buffer, &size); }},
      {"DBEnumOpen", [](auto& s) { return s.enumOpen != nullptr; },
       [](auto& s) {
         enumeration = reinterpret_cast<DBENUM*>(&size);  // must be cleared by a failing call
         DWORD rc = s.EnumOpen(0, kStoreUser, "S", &enumeration);
         EXPECT_EQ(enumeration, nullptr);
         return rc;
       }},
      {"DBGetData", [](auto& s) { return s.getData != nullptr; },
       [](auto& s) {
         return size = sizeof buffer, s.GetData(0, kStoreUser, "S", "K", reinterpret_cast<BYTE*>(buffer), &size);
       }},
      {"DBGetDword", [](auto& s) { return s.getDword != nullptr; },
       // clang-format off
       [](auto& s) { DWORD v; return s.GetDword(0, kStoreUser, "S", "K", &v); }},
      {"DBGetInt", [](auto& s) { return s.getInt != nullptr; },
       [](auto& s) { int32_t v; return s.GetInt(0, kStoreUser, "S", "K", &v); }},
      {"DBGetShort", [](auto& s) { return s.getShort != nullptr; },
       [](auto& s) { int16_t v; return s.GetShort(0, kStoreUser, "S", "K", &v); }},
      // clang-format on
      {"DBGetString", [](auto& s) { return s.getString != nullptr; },
       [](auto& s) { return size = sizeof buffer, s.GetString(0, kStoreUser, "S", "K", buffer, &size); }},
      {"DBSetDword", [](auto& s) { return s.setDword != nullptr; },
       [](auto& s) { return s.SetDword(0, kStoreUser, "S", "K", 1); }},
      {"DBSetString", [](auto& s) { return s.setString != nullptr; },
       [](auto& s) { return s.SetString(0, kStoreUser, "S", "K", "v"); }},
      {"DBSetupFolders", [](auto& s) { return s.setupFolders != nullptr; }, [](auto& s) { return s.SetupFolders(); }},
      {"DBGetPath", [](auto& s) { return s.getPath != nullptr; },
       [](auto& s) { return s.GetPath(0, buffer, sizeof buffer); }},
  };
}

std::string SettingsPath(const SettingsFunctions& settings, int32_t selector, DWORD* rc = nullptr) {
  char path[MAX_PATH] = {};
  DWORD result = settings.GetPath(selector, path, sizeof path);
  if (rc) *rc = result;
  return result == ERROR_SUCCESS ? U(path) : std::string();
}

// The library as the tests build it: the delivered library's code plus the
// exports that show its state and observe its exit.
fs::path DiagnosticLibrary() { return fs::path(ZEL_TEST_MODULE_DIR) / "diagnostic" / "zeluid5.dll"; }

// A folder on the machine's drive C: holding copies of built modules, each under
// the file name given.
fs::path FolderWith(const fs::path& folder, const std::vector<std::pair<fs::path, std::string>>& files) {
  fs::create_directories(folder);
  for (const auto& [source, name] : files) fs::copy_file(source, folder / name);
  return folder;
}

class LibraryStartTest : public testsupport::FreshMachine {};

TEST_F(LibraryStartTest, TheDeliveredLibraryStartsAndExportsNoDiagnostics) {
  const std::string path = AnsiWindowsPath(BuiltModule("zeluid5.dll"));
  HMODULE library = LoadLibraryA(path.c_str());
  ASSERT_NE(library, 0u) << GetLastError();
  EXPECT_NE(GetProcAddress(library, "DrvDocumentPropertySheets"), nullptr);
  for (const char* name : {"ZelUiDiagnosticState", "ZelUiDiagnosticFillCaches", "ZelUiDiagnosticSetExitObserver"}) {
    EXPECT_EQ(GetProcAddress(library, name), nullptr) << name;
  }
  FreeLibrary(library);
}

TEST_F(LibraryStartTest, StartsWithEverySettingsFunctionBoundFromItsOwnFolder) {
  FolderWith(Host("C:\\Own"), {{DiagnosticLibrary(), "zeluid5.dll"}, {BuiltModule("zeldb5.dll"), "zeldb5.dll"}});
  const std::string path = "C:\\Own\\zeluid5.dll";
  HMODULE library = LoadLibraryA(path.c_str());
  ASSERT_NE(library, 0u) << GetLastError();

  UiLibraryState state = StateOf(library);
  EXPECT_EQ(state.instance, library) << "resources must be loaded from the library's own handle";
  ASSERT_NE(state.settingsModule, 0u);
  char settingsPath[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(state.settingsModule, settingsPath, MAX_PATH), 0u);
  EXPECT_EQ(std::string(settingsPath), "C:\\Own\\zeldb5.dll");

  ASSERT_NE(state.settings, nullptr);
  const SettingsFunctions& settings = *state.settings;
  for (const SettingsCall& call : BoundCalls()) EXPECT_TRUE(call.bound(settings)) << call.name;
  // Exports the library has no use for stay unbound.
  EXPECT_EQ(settings.setData, nullptr);
  EXPECT_EQ(settings.enumReset, nullptr);
  EXPECT_EQ(SettingsPath(settings, 0), "C:\\$Nardo Driver\\D5");

  // Once started, the library holds a reference to itself: the caller's free
  // leaves it loaded, its state intact.
  EXPECT_TRUE(FreeLibrary(library));
  EXPECT_EQ(GetModuleHandleA(path.c_str()), library);
  EXPECT_EQ(StateOf(library).settingsModule, state.settingsModule);
}

TEST_F(LibraryStartTest, WithoutTheSettingsLibraryBesideItEverySettingsCallAnswersTheLoadError) {
  // The folder has the platform library too, so that it stands on its own.
  const fs::path folder = FolderWith(Host("C:\\Lone"), {{DiagnosticLibrary(), "zeluid5.dll"},
                                                        {BuiltModule("libzelplatform.so"), "libzelplatform.so"}});
  HMODULE library = LoadLibraryA("C:\\Lone\\zeluid5.dll");
  ASSERT_NE(library, 0u) << "the library must start even without its settings library: " << GetLastError();

  UiLibraryState state = StateOf(library);
  EXPECT_EQ(state.settingsModule, 0u);
  ASSERT_NE(state.settings, nullptr);
  EXPECT_EQ(state.settings->loadError, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  for (const SettingsCall& call : BoundCalls()) {
    EXPECT_FALSE(call.bound(*state.settings)) << call.name;
    EXPECT_EQ(call.call(*state.settings), static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << call.name;
  }
  // No other place is searched: not the driver folder, where zeldb5.dll does lie.
  EXPECT_TRUE(fs::exists(BuiltModule("zeldb5.dll")));
  FreeLibrary(library);
}

TEST_F(LibraryStartTest, ASettingsLibraryWithoutSomeExportsLeavesOnlyThoseCallsFailing) {
  FolderWith(Host("C:\\Partial"), {{DiagnosticLibrary(), "zeluid5.dll"},
                                   {fs::path(ZEL_TEST_MODULE_DIR) / "partial_settings.dll", "zeldb5.dll"}});
  HMODULE library = LoadLibraryA("C:\\Partial\\zeluid5.dll");
  ASSERT_NE(library, 0u) << GetLastError();

  UiLibraryState state = StateOf(library);
  EXPECT_NE(state.settingsModule, 0u);
  ASSERT_NE(state.settings, nullptr);
  EXPECT_EQ(SettingsPath(*state.settings, 0), "X:\\Partial");
  for (const SettingsCall& call : BoundCalls()) {
    if (std::strcmp(call.name, "DBGetPath") == 0) continue;
    EXPECT_FALSE(call.bound(*state.settings)) << call.name;
    EXPECT_EQ(call.call(*state.settings), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << call.name;
  }
  FreeLibrary(library);
}

TEST_F(LibraryStartTest, FindsItsFolderWhenDoubleByteNamesEndInTheBackslashByte) {
  // "表" is 0x95 0x5C in code page 932: a byte-wise search for the last
  // backslash of "...\表.dll" would cut inside the file name.
  const std::string folder = A("C:\\プリンタ表");
  const std::string file = A("ソフト表.dll");
  FolderWith(Host(U(folder)), {{DiagnosticLibrary(), U(file)}, {BuiltModule("zeldb5.dll"), "zeldb5.dll"}});
  const std::string path = folder + "\\" + file;
  HMODULE library = LoadLibraryA(path.c_str());
  ASSERT_NE(library, 0u) << GetLastError();

  UiLibraryState state = StateOf(library);
  ASSERT_NE(state.settingsModule, 0u) << "zeldb5.dll lies in the library's folder";
  char settingsPath[MAX_PATH] = {};
  GetModuleFileNameA(state.settingsModule, settingsPath, MAX_PATH);
  EXPECT_EQ(std::string(settingsPath), folder + "\\zeldb5.dll");
  FreeLibrary(library);
}

// What the library's exit showed its observer.
std::vector<UiLibraryState> g_exits;
std::vector<bool> g_settingsLoadedAtExit;
void RecordExit(const UiLibraryState* state) {
  g_exits.push_back(*state);
  char path[MAX_PATH];
  g_settingsLoadedAtExit.push_back(state->settingsModule != 0 &&
                                   GetModuleFileNameA(state->settingsModule, path, MAX_PATH) > 0);
}

TEST_F(LibraryStartTest, UnloadingFreesTheCachedRecordAndFontListBeforeTheSettingsLibrary) {
  HANDLE printer = InstallPrinter("nardo-m3020.ini", "Mono Printer");
  ASSERT_NE(printer, 0u);
  // A copy of its own, so that this load is the library's first in the process.
  FolderWith(Host("C:\\Unload"), {{DiagnosticLibrary(), "zeluid5.dll"}, {BuiltModule("zeldb5.dll"), "zeldb5.dll"}});
  HMODULE library = LoadLibraryA("C:\\Unload\\zeluid5.dll");
  ASSERT_NE(library, 0u) << GetLastError();

  auto fill = Export<PFN_ZelUiDiagnosticFillCaches>(library, "ZelUiDiagnosticFillCaches");
  auto observe = Export<PFN_ZelUiDiagnosticSetExitObserver>(library, "ZelUiDiagnosticSetExitObserver");
  ASSERT_NE(fill, nullptr);
  ASSERT_NE(observe, nullptr);
  ASSERT_TRUE(fill(printer, "Mono Printer", kPdlPcl5si));
  UiLibraryState before = StateOf(library);
  EXPECT_EQ(before.fontLists, 1u);
  EXPECT_TRUE(before.modelRecordCached);

  g_exits.clear();
  g_settingsLoadedAtExit.clear();
  observe(RecordExit);
  // The caller's reference, then the one the library took of itself.
  EXPECT_TRUE(FreeLibrary(library));
  EXPECT_TRUE(g_exits.empty()) << "the library must stay while it holds its own reference";
  EXPECT_TRUE(FreeLibrary(library));

  ASSERT_EQ(g_exits.size(), 1u) << "the exit runs once, at the last free";
  EXPECT_EQ(g_exits[0].fontLists, 0u);
  EXPECT_FALSE(g_exits[0].modelRecordCached);
  EXPECT_TRUE(g_settingsLoadedAtExit[0]) << "the caches go before the settings library";
  EXPECT_EQ(GetModuleHandleA("C:\\Unload\\zeldb5.dll"), 0u) << "the exit unloads the settings library";
  ClosePrinter(printer);
}

}  // namespace
}  // namespace uitest
