// Setting a printer up when the spooler adds it, connects it, deletes it or
// upgrades its driver: the printer data, per-user and per-machine settings the
// set-up leaves, through the stand-in spooler and the built zeluid5.dll, and the
// pieces of the set-up that can go wrong on their own (the default printer
// language, the temp-folder walk over double-byte names).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/devmode_field_map.h"
#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "interface/app/library_state.h"
#include "interface/devmode/default_devmode.h"
#include "interface/profiles/profile_store.h"
#include "interface/records/hex_names.h"
#include "interface/records/watermark_store.h"
#include "interface/setup/default_pdl.h"
#include "interface/setup/printer_events.h"
#include "interface/setup/setup_steps.h"
#include "interface/setup/temp_folder.h"
#include "model/model_cache.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/base/value_types.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

namespace fs = std::filesystem;

typedef BOOL (*PrinterEventProc)(LPWSTR, INT, DWORD, LPARAM);
typedef BOOL (*UpgradePrinterProc)(DWORD, LPBYTE);

// ---- The default printer language -------------------------------------------

TEST(DefaultPdl, DefaultNamesTheLanguageByItsNumber) {
  struct Case {
    const char* what;
    PdlSectionEntries section;
    WORD pdl;
  } cases[] = {
      {"PostScript default", {{"1", "PCL5E"}, {"2", "PS3"}, {"Default", "2"}}, kPdlPs3},
      {"PCL default", {{"1", "PCL5E"}, {"2", "PS3"}, {"Default", "1"}}, kPdlPcl5si},
      {"PCL XL default", {{"1", "PCL5E"}, {"2", "PCLXL"}, {"Default", "2"}}, kPdlPclXl},
      {"older PostScript names", {{"1", "pcl"}, {"2", "ps"}, {"default", " 2 "}}, kPdlPs3},
      {"no default", {{"1", "PCL5E"}, {"2", "PS3"}}, kPdlPcl5si},
      {"a default no language has", {{"1", "PS3"}, {"Default", "7"}}, kPdlPcl5si},
      {"a default of no number", {{"1", "PS3"}, {"Default", "PS3"}}, kPdlPcl5si},
      {"an unknown language", {{"1", "PDF"}, {"2", "PCL5E"}, {"Default", "1"}}, kPdlPcl5si},
      {"the first default counts", {{"Default", "2"}, {"1", "PCL5E"}, {"2", "PS3"}, {"Default", "1"}}, kPdlPs3},
      // Numbered from 0 without PostScript: the missing PostScript entry must not
      // be taken for a language numbered 0.
      {"numbered from 0, PCL", {{"0", "PCL5E"}, {"1", "PCLXL"}, {"Default", "0"}}, kPdlPcl5si},
      {"numbered from 0, XL", {{"0", "PCLXL"}, {"1", "PCL5E"}, {"Default", "0"}}, kPdlPclXl},
      {"keys that are no numbers", {{"PS", "PS3"}, {"1", "PCL5E"}, {"Default", "0"}}, kPdlPcl5si},
      // The second PostScript level the model lists is as much PostScript as the first.
      {"second language of a kind", {{"1", "PS2"}, {"2", "PCL5E"}, {"3", "PS3"}, {"Default", "3"}}, kPdlPs3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ChooseDefaultPdl(c.section), c.pdl);
  }
}

// ---- Folders ---------------------------------------------------------------

class SetupFoldersTest : public testsupport::FreshMachine {
 protected:
  std::set<fs::path> Folders() {
    std::set<fs::path> folders;
    const fs::path drive = Host("C:\\");
    for (auto& entry : fs::recursive_directory_iterator(drive)) {
      if (entry.is_directory()) folders.insert(fs::relative(entry.path(), drive));
    }
    return folders;
  }
};

TEST_F(SetupFoldersTest, EveryLevelOfAPathIsMadeAndTrailBytesAreNoSeparators) {
  // "ソ" and "表" end in the byte of the backslash.
  const std::set<fs::path> before = Folders();
  CreateFolderPath(A("C:\\ソ表\\予定表\\x"));
  CreateFolderPath(A("C:\\ソ表\\予定表\\x\\"));  // again, with a trailing backslash: nothing new
  std::set<fs::path> made;
  for (const fs::path& folder : Folders()) {
    if (!before.count(folder)) made.insert(folder);
  }
  // Host paths are UTF-8.
  EXPECT_EQ(made, (std::set<fs::path>{std::string("ソ表"), std::string("ソ表/予定表"), std::string("ソ表/予定表/x")}));
}

// ---- Set-up through the spooler ---------------------------------------------

class PrinterSetupTest : public UiCoreTest {
 protected:
  void SetUp() override {
    UiCoreTest::SetUp();
    ModelCacheStart(&LibrarySettings());
    const std::string path = AnsiWindowsPath(BuiltModule("zeluid5.dll"));
    driver_ = LoadLibraryA(path.c_str());
    ASSERT_NE(driver_, 0u);
    printerEvent_ = reinterpret_cast<PrinterEventProc>(GetProcAddress(driver_, "DrvPrinterEvent"));
    upgradePrinter_ = reinterpret_cast<UpgradePrinterProc>(GetProcAddress(driver_, "DrvUpgradePrinter"));
    ASSERT_NE(printerEvent_, nullptr);
    ASSERT_NE(upgradePrinter_, nullptr);
  }

  void TearDown() override {
    for (HANDLE printer : opened_) ClosePrinter(printer);
    opened_.clear();
    ModelCacheStop();
    if (driver_) FreeLibrary(driver_);
    platform::SetCurrentUser("User");
    UiCoreTest::TearDown();
  }

  HANDLE Install(const std::string& model, const std::string& printerName) {
    HANDLE printer = InstallPrinter(model, printerName);
    if (printer) opened_.push_back(printer);
    return printer;
  }

  // The event as the spooler sends it to the built library.
  BOOL SendEvent(const std::string& printerName, INT event) {
    std::u16string name = platform::Utf16FromUtf8(printerName);
    return printerEvent_(name.data(), event, 0, 0);
  }

  std::optional<DWORD> Dword(HANDLE printer, int kind, const char* section, const char* key) {
    DWORD value = 0;
    if (LibrarySettings().GetDword(printer, kind, section, key, &value) != ERROR_SUCCESS) return std::nullopt;
    return value;
  }

  // UTF-8 of a text setting.
  std::optional<std::string> Text(HANDLE printer, int kind, const char* section, const char* key) {
    char buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (LibrarySettings().GetString(printer, kind, section, key, buffer, &size) != ERROR_SUCCESS) return std::nullopt;
    return U(buffer);
  }

  bool HasPrinterValue(HANDLE printer, const char* name) {
    std::string valueName = name;
    DWORD type = 0;
    DWORD needed = 0;
    DWORD rc = GetPrinterDataA(printer, valueName.data(), &type, nullptr, 0, &needed);
    return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA;
  }

  // The printer's global default device mode (level 8), empty when it has none.
  std::vector<BYTE> GlobalDevmode(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterW(printer, 8, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !GetPrinterW(printer, 8, buffer.data(), needed, &needed)) return {};
    const auto* info = reinterpret_cast<const PRINTER_INFO_8W*>(buffer.data());
    if (!info->pDevMode) return {};
    const BYTE* begin = reinterpret_cast<const BYTE*>(info->pDevMode);
    return std::vector<BYTE>(begin, begin + info->pDevMode->dmSize + info->pDevMode->dmDriverExtra);
  }

  // The default device mode this process builds for the printer from its model.
  std::vector<BYTE> DefaultDevmode(HANDLE printer, const std::string& printerName, WORD pdl = kPdlOfModel) {
    const std::string name = A(printerName);
    const ModelRecord* record = GetModelRecord(printer, name.c_str(), kModelReloadWhenChanged);
    if (!record) return {};
    XDEVMODE devmode{};
    if (!BuildDefaultDevmode(&devmode, printer, record, name.c_str(), pdl)) return {};
    const BYTE* begin = reinterpret_cast<const BYTE*>(&devmode);
    return std::vector<BYTE>(begin, begin + sizeof devmode);
  }

  // The current user's profile names for the printer in the given language.
  std::vector<std::string> ProfileNames(HANDLE printer, const std::string& printerName, WORD pdl) {
    std::vector<BYTE> settings = DefaultDevmode(printer, printerName, pdl);
    if (settings.size() != sizeof(XDEVMODE)) return {};
    std::vector<ProfileName> names;
    const std::string name = A(printerName);
    LoadProfileNames(printer, name.c_str(), reinterpret_cast<const XDEVMODE*>(settings.data()), names);
    std::vector<std::string> texts;
    for (const ProfileName& entry : names) texts.push_back(U(entry.text));
    return texts;
  }

  void SetUserValue(const char* keyPath, const std::string& name) {
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE data[4] = {1, 2, 3, 4};
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_BINARY, data, sizeof data), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  bool HasUserValue(const char* keyPath, const std::string& name) {
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    const LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
  }

  HMODULE driver_ = 0;
  PrinterEventProc printerEvent_ = nullptr;
  UpgradePrinterProc upgradePrinter_ = nullptr;

 private:
  std::vector<HANDLE> opened_;
};

struct ShippedModel {
  const char* file;
  WORD pdl;
  DWORD trq50;
  const char* memory;
};

class ShippedModelSetup : public PrinterSetupTest, public ::testing::WithParamInterface<ShippedModel> {};

TEST_P(ShippedModelSetup, AddingThePrinterLeavesItsSettings) {
  const ShippedModel& model = GetParam();
  HANDLE printer = Install(model.file, "Setup Printer");
  ASSERT_NE(printer, 0u);

  // What the spooler and the user-mode driver need to know.
  EXPECT_EQ(Text(printer, kStorePrinterData, "Printer", "PHD"),
            std::string("SystemRoot\\system32\\spool\\drivers\\w32x86\\2\\") + model.file);
  {
    std::string valueName = "SPLUserModePrinterDriver";
    DWORD type = 0;
    DWORD needed = 0;
    BYTE data[32] = {};
    ASSERT_EQ(GetPrinterDataA(printer, valueName.data(), &type, data, sizeof data, &needed), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    ASSERT_EQ(needed, 10u);
    EXPECT_EQ(std::memcmp(data, "zelumpdd1", 10), 0);
  }

  // The user's temp folder, recorded and there.
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  EXPECT_EQ(Text(0, kStoreUser, "GeneralInformation", "TempDir"), U(temp));
  EXPECT_TRUE(fs::is_directory(Host(U(temp))));

  EXPECT_EQ(Text(0, kStoreMachine, "Local", "DriverVersion"), "6.310.23.0");

  // The model's installed memory and options, as the model description reads.
  EXPECT_EQ(Text(printer, kStorePrinterData, "Memory", "Installed"), model.memory);
  const std::string section = "InstallableOptions";
  int copied = 0;
  for (const char* key : {"1", "2", "3", "4", "5", "6", "7", "8"}) {
    std::optional<std::string> own = Text(printer, kStorePrinterData, section.c_str(), key);
    EXPECT_EQ(own, Text(printer, kStoreModelDescription, section.c_str(), key)) << key;
    if (own) ++copied;
  }
  EXPECT_GT(copied, 0);

  // Only a new printer's: its language, the monitor switch, the counter.
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "PDL"), DWORD(model.pdl));
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "Monitor"), 0u);
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "Cfg"), 6u);
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "TRQ50Compatible"), model.trq50);

  // The device-mode field map, and the printer's default device mode as this
  // driver builds it for the model.
  for (const DevModeFieldMapEntry& entry : kDevModeFieldMap) {
    std::string valueName = entry.name;
    DWORD type = 0;
    DWORD value = 0;
    DWORD needed = 0;
    ASSERT_EQ(GetPrinterDataA(printer, valueName.data(), &type, reinterpret_cast<BYTE*>(&value), sizeof value, &needed),
              ERROR_SUCCESS)
        << entry.name;
    EXPECT_EQ(type, DWORD(REG_DWORD)) << entry.name;
    EXPECT_EQ(value, entry.offset) << entry.name;
  }
  const std::vector<BYTE> global = GlobalDevmode(printer);
  ASSERT_EQ(global.size(), sizeof(XDEVMODE));
  EXPECT_TRUE(global == DefaultDevmode(printer, "Setup Printer"));
  EXPECT_EQ(reinterpret_cast<const XDEVMODE*>(global.data())->dmPrivate._nPDL, model.pdl);

  // The shell extension is registered only where it has been built.
  EXPECT_EQ(HasPrinterValue(printer, "Shellext3D5"), fs::exists(BuiltModule("zelshexd5.dll")));

  // The package's folders and shared files.
  for (const char* folder :
       {"C:\\$Nardo Driver", "C:\\$Nardo Driver\\D5", "C:\\$Nardo Driver\\D5\\DBase", "C:\\$Nardo Driver\\D5\\Fonts",
        "C:\\$Nardo Driver\\D5\\Fonts\\PCL", "C:\\$Nardo Driver\\D5\\Fonts\\PCL\\Disk"}) {
    EXPECT_TRUE(fs::is_directory(Host(folder))) << folder;
  }
  for (const char* file : {"PRMONSET.INI", "VPT.INI", "EVTCFG.TMP", "PRMONSET.TMP", "NTF.TMP"}) {
    EXPECT_TRUE(fs::is_regular_file(Host(std::string("C:\\$Nardo Driver\\D5\\DBase\\") + file))) << file;
  }

  // Initialised again: the counter moves on, the language stays, and the shared
  // files keep what the status monitor wrote into them.
  const fs::path shared = Host("C:\\$Nardo Driver\\D5\\DBase\\VPT.INI");
  { std::ofstream(shared) << "[Printers]\nSetup Printer=1\n"; }
  const auto before = fs::file_size(shared);
  ASSERT_TRUE(SendEvent("Setup Printer", PRINTER_EVENT_INITIALIZE));
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "Cfg"), 7u);
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "PDL"), DWORD(model.pdl));
  EXPECT_EQ(fs::file_size(shared), before);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedModelSetup,
                         ::testing::Values(ShippedModel{"nardo-c5545.ini", kPdlPs3, 1, "512"},
                                           ShippedModel{"nardo-m3020.ini", kPdlPcl5si, 0, "64"}),
                         [](const auto& param) {
                           return std::string(param.param.file).find("c5545") != std::string::npos ? "Colour" : "Mono";
                         });

TEST_F(PrinterSetupTest, AConnectionKeepsThePrintersLanguageCounterAndDefaults) {
  HANDLE printer = Install("nardo-c5545.ini", "Shared");
  ASSERT_NE(printer, 0u);
  // What only the printer's initialisation may set, changed since.
  LibrarySettings().SetDword(printer, kStorePrinterData, "Printer", "PDL", kPdlPclXl);
  LibrarySettings().SetDword(printer, kStorePrinterData, "Printer", "Cfg", 20);
  const std::vector<BYTE> globalBefore = GlobalDevmode(printer);
  LibrarySettings().DeleteData(printer, kStorePrinterData, "Printer", "PHD");

  std::string connection = platform::AnsiFromUtf8(platform::spooler::ServerName()) + "\\Shared";
  ASSERT_TRUE(AddPrinterConnectionA(connection.data())) << GetLastError();

  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "PDL"), DWORD(kPdlPclXl));
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "Cfg"), 20u);
  EXPECT_EQ(GlobalDevmode(printer), globalBefore);
  // ... while what every set-up writes is written again.
  EXPECT_EQ(Text(printer, kStorePrinterData, "Printer", "PHD"),
            "SystemRoot\\system32\\spool\\drivers\\w32x86\\2\\nardo-c5545.ini");
}

TEST_F(PrinterSetupTest, AConnectionKeepsTheInstalledOptionsAndAddsOnlyMissingOnes) {
  HANDLE printer = Install("nardo-c5545.ini", "Options");
  ASSERT_NE(printer, 0u);
  // What the user or the set-up program chose since the printer was added.
  LibrarySettings().SetString(printer, kStorePrinterData, "Memory", "Installed", "2048");
  LibrarySettings().SetString(printer, kStorePrinterData, "InstallableOptions", "1", "0,%OptFinisher%,1");
  const std::optional<std::string> largeTray = Text(printer, kStorePrinterData, "InstallableOptions", "5");
  ASSERT_TRUE(largeTray);
  LibrarySettings().DeleteData(printer, kStorePrinterData, "InstallableOptions", "5");
  const std::optional<DWORD> cfg = Dword(printer, kStorePrinterData, "Printer", "Cfg");
  ASSERT_TRUE(cfg);
  const std::string connection = platform::AnsiFromUtf8(platform::spooler::ServerName()) + "\\Options";

  // A user who may not change the printer connects: nothing of the printer changes.
  ASSERT_TRUE(platform::spooler::SetPrinterAccess("Options", "Guest", false));
  platform::SetCurrentUser("Guest");
  std::string guestConnection = connection;
  EXPECT_TRUE(AddPrinterConnectionA(guestConnection.data())) << GetLastError();
  platform::SetCurrentUser("User");
  EXPECT_EQ(Text(printer, kStorePrinterData, "Memory", "Installed"), "2048");
  EXPECT_FALSE(Text(printer, kStorePrinterData, "InstallableOptions", "5"));
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "Cfg"), cfg);

  // One who may: the choices stay, the missing option comes back and the
  // counter tells the caches of the model record.
  std::string ownerConnection = connection;
  ASSERT_TRUE(AddPrinterConnectionA(ownerConnection.data())) << GetLastError();
  EXPECT_EQ(Text(printer, kStorePrinterData, "Memory", "Installed"), "2048");
  EXPECT_EQ(Text(printer, kStorePrinterData, "InstallableOptions", "1"), "0,%OptFinisher%,1");
  EXPECT_EQ(Text(printer, kStorePrinterData, "InstallableOptions", "5"), largeTray);
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "Cfg"), *cfg + 1);

  // Nothing missing: a further connection leaves even the counter.
  ASSERT_TRUE(AddPrinterConnectionA(ownerConnection.data())) << GetLastError();
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "Cfg"), *cfg + 1);
}

TEST_F(PrinterSetupTest, TheShellExtensionIsRecordedOnlyWhenItLoads) {
  HANDLE printer = Install("nardo-m3020.ini", "Menu");
  ASSERT_NE(printer, 0u);
  std::string valueName = "Shellext3D5";
  DeletePrinterDataA(printer, valueName.data());  // written at install once the extension is built
  const fs::path folder = root() / "extension";
  fs::create_directories(folder);
  const std::string windowsFolder = AnsiWindowsPath(folder) + "\\";

  RegisterShellExtensionOnce(printer, windowsFolder, "Menu");
  EXPECT_FALSE(HasPrinterValue(printer, "Shellext3D5"));

  // A module of that name that lacks the export still counts as registered.
  fs::copy_file(BuiltModule("zeldb5.dll"), folder / "zelshexd5.dll");
  RegisterShellExtensionOnce(printer, windowsFolder, "Menu");
  DWORD type = 0;
  DWORD value = 0;
  DWORD needed = 0;
  ASSERT_EQ(GetPrinterDataA(printer, valueName.data(), &type, reinterpret_cast<BYTE*>(&value), sizeof value, &needed),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(value, 1u);
}

TEST_F(PrinterSetupTest, DeletingThePrinterRemovesOnlyItsPerUserDeviceModes) {
  HANDLE printer = Install("nardo-m3020.ini", "Going");
  ASSERT_NE(printer, 0u);
  SetUserValue(kPerUserDevModesKey, "Going");
  SetUserValue(kPerUserDevModesKey, "Staying");
  SetUserValue(kPerUserDevModeKey, "Going");
  SetUserValue(kPerUserDevModeKey, "Staying");

  ASSERT_TRUE(DeletePrinter(printer));
  EXPECT_FALSE(HasUserValue(kPerUserDevModesKey, "Going"));
  EXPECT_FALSE(HasUserValue(kPerUserDevModeKey, "Going"));
  EXPECT_TRUE(HasUserValue(kPerUserDevModesKey, "Staying"));
  EXPECT_TRUE(HasUserValue(kPerUserDevModeKey, "Staying"));

  // A user who has neither key, and an empty name, are no failure.
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kPerUserDevModesKey), ERROR_SUCCESS);
  EXPECT_TRUE(SendEvent("Staying", PRINTER_EVENT_DELETE));
  EXPECT_FALSE(HasUserValue(kPerUserDevModeKey, "Staying"));
  SetUserValue(kPerUserDevModeKey, "");
  EXPECT_TRUE(SendEvent("", PRINTER_EVENT_DELETE));
  EXPECT_TRUE(HasUserValue(kPerUserDevModeKey, ""));
}

TEST_F(PrinterSetupTest, EventsThatChangeNothingAnswerTrueAndAFailedSetUpReportsWhy) {
  HANDLE printer = Install("nardo-m3020.ini", "Quiet");
  ASSERT_NE(printer, 0u);
  for (INT event : {PRINTER_EVENT_CACHE_REFRESH, PRINTER_EVENT_CACHE_DELETE, PRINTER_EVENT_ATTRIBUTES_CHANGED, 99}) {
    SCOPED_TRACE(event);
    EXPECT_TRUE(SendEvent("Quiet", event));
    EXPECT_TRUE(SendEvent("Nobody", event));
  }
  EXPECT_EQ(Dword(printer, kStorePrinterData, "Printer", "Cfg"), 6u);

  for (INT event : {PRINTER_EVENT_INITIALIZE, PRINTER_EVENT_ADD_CONNECTION}) {
    SCOPED_TRACE(event);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(SendEvent("Nobody", event));
    EXPECT_NE(GetLastError(), DWORD(ERROR_SUCCESS));
  }
}

TEST_F(PrinterSetupTest, UpgradeNeedsLevelOneAndAPrinterThatOpens) {
  HANDLE printer = Install("nardo-m3020.ini", "Upgraded");
  ASSERT_NE(printer, 0u);
  char known[] = "Upgraded";
  char unknown[] = "Nobody";
  DRIVER_UPGRADE_INFO_1 good{known, nullptr};
  DRIVER_UPGRADE_INFO_1 bad{unknown, nullptr};
  DRIVER_UPGRADE_INFO_1 unnamed{nullptr, nullptr};
  struct Case {
    DWORD level;
    DRIVER_UPGRADE_INFO_1* info;
    BOOL result;
  } cases[] = {{1, &good, TRUE}, {2, &good, FALSE}, {1, nullptr, FALSE}, {1, &bad, FALSE}, {1, &unnamed, FALSE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(upgradePrinter_(c.level, reinterpret_cast<LPBYTE>(c.info)), c.result);
    if (!c.result) {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
  }
}

TEST_F(PrinterSetupTest, ASecondUsersFirstUseGetsThatUsersSettingsAndLeavesTheFirstUsers) {
  HANDLE printer = Install("nardo-c5545.ini", "Together");
  ASSERT_NE(printer, 0u);
  const std::string builtIn = "標準";
  EXPECT_EQ(Dword(printer, kStoreUser, "Together", "AlreadyUsed"), 1u);
  EXPECT_EQ(Dword(printer, kStoreUser, "Together", "PrintWarning"), 1u);
  EXPECT_EQ(LoadWatermarks(printer, nullptr, 0), 3);
  EXPECT_EQ(ProfileNames(printer, "Together", kPdlPs3), std::vector<std::string>{builtIn});
  EXPECT_EQ(ProfileNames(printer, "Together", kPdlPcl5si), std::vector<std::string>{builtIn});
  // The first user makes a default watermark their own.
  WatermarkRecord changed{};
  ASSERT_EQ(LoadWatermarkByName(printer, A("社外秘").c_str(), &changed), 1);
  changed.colour = 0x0000FF;
  std::vector<WatermarkRecord> mine(3);
  ASSERT_EQ(LoadWatermarks(printer, mine.data(), 3), 3);
  for (WatermarkRecord& record : mine) {
    if (std::strcmp(record.text, changed.text) == 0) record = changed;
  }
  ASSERT_EQ(SaveWatermarks(printer, mine.data(), 3), 1);

  // A user whose name holds double-byte characters ending in the backslash byte.
  platform::SetCurrentUser("ソフト表");
  EXPECT_FALSE(Dword(printer, kStoreUser, "Together", "AlreadyUsed"));
  EXPECT_EQ(LoadWatermarks(printer, nullptr, 0), 0);
  ASSERT_TRUE(SendEvent("Together", PRINTER_EVENT_INITIALIZE));
  EXPECT_EQ(Dword(printer, kStoreUser, "Together", "AlreadyUsed"), 1u);
  EXPECT_EQ(Dword(printer, kStoreUser, "Together", "PrintWarning"), 1u);
  // Named by the hexadecimal form of their code-page 932 texts.
  for (const char* key : {"8ED08A4F94E9", "83528373815B", "8368838983748367"}) {
    EXPECT_TRUE(Text(printer, kStoreUser, kWatermarksSection, key)) << key;
  }
  WatermarkRecord theirs{};
  ASSERT_EQ(LoadWatermarkByName(printer, A("社外秘").c_str(), &theirs), 1);
  EXPECT_EQ(theirs.colour, 0x7F7F7Fu);
  EXPECT_EQ(theirs.angle, 45);
  EXPECT_EQ(LoadWatermarks(printer, nullptr, 0), 3);
  EXPECT_EQ(ProfileNames(printer, "Together", kPdlPs3), std::vector<std::string>{builtIn});
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  EXPECT_NE(U(temp).find("ソフト表"), std::string::npos);
  EXPECT_EQ(Text(0, kStoreUser, "GeneralInformation", "TempDir"), U(temp));
  EXPECT_TRUE(fs::is_directory(Host(U(temp))));

  platform::SetCurrentUser("User");
  WatermarkRecord kept{};
  ASSERT_EQ(LoadWatermarkByName(printer, A("社外秘").c_str(), &kept), 1);
  EXPECT_EQ(kept.colour, 0x0000FFu);
}

TEST_F(PrinterSetupTest, TheBuiltInProfilesComeBackWhenTheDriverVersionChanged) {
  HANDLE printer = Install("nardo-m3020.ini", "Versioned");
  ASSERT_NE(printer, 0u);
  const std::vector<std::string> builtIn{"標準"};
  ASSERT_EQ(ProfileNames(printer, "Versioned", kPdlPcl5si), builtIn);
  std::vector<BYTE> settings = DefaultDevmode(printer, "Versioned", kPdlPcl5si);
  ASSERT_EQ(settings.size(), sizeof(XDEVMODE));
  const std::string list = ProfileListSection(*reinterpret_cast<const XDEVMODE*>(settings.data()),
                                              GetModelRecord(printer, "Versioned", kModelReloadWhenChanged));
  const std::string registered = records::HexName(A(builtIn[0]));

  // The stored version before the set-up decides, not the one the set-up stores.
  struct Case {
    const char* what;
    const char* storedVersion;  // nullptr: none stored
    bool rebuilt;
  } cases[] = {
      {"same version", "6.310.23.0", false}, {"another version", "6.300.1.0", true}, {"no version", nullptr, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LibrarySettings().DeleteData(printer, kStoreUser, list.c_str(), registered.c_str());
    ASSERT_TRUE(ProfileNames(printer, "Versioned", kPdlPcl5si).empty());
    if (c.storedVersion) {
      LibrarySettings().SetString(0, kStoreMachine, "Local", "DriverVersion", c.storedVersion);
    } else {
      LibrarySettings().DeleteData(0, kStoreMachine, "Local", "DriverVersion");
    }
    ASSERT_TRUE(SendEvent("Versioned", PRINTER_EVENT_INITIALIZE));
    EXPECT_EQ(ProfileNames(printer, "Versioned", kPdlPcl5si), c.rebuilt ? builtIn : std::vector<std::string>{});
    EXPECT_EQ(Text(0, kStoreMachine, "Local", "DriverVersion"), "6.310.23.0");
  }
}

TEST_F(PrinterSetupTest, APrinterAddedAgainUnderItsNameGetsItsNewModelsDefaults) {
  HANDLE first = Install("nardo-c5545.ini", "Reused");
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(DeletePrinter(first));
  HANDLE second = Install("nardo-m3020.ini", "Reused");
  ASSERT_NE(second, 0u);
  EXPECT_EQ(Dword(second, kStorePrinterData, "Printer", "Cfg"), 6u);
  const std::vector<BYTE> global = GlobalDevmode(second);
  ASSERT_EQ(global.size(), sizeof(XDEVMODE));
  EXPECT_EQ(reinterpret_cast<const XDEVMODE*>(global.data())->dmPrivate._nPDL, kPdlPcl5si);
  EXPECT_TRUE(global == DefaultDevmode(second, "Reused"));
}

}  // namespace
}  // namespace uitest
