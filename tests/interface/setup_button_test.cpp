// The printer page's set-up button as a printers folder shows it: the driver
// (zeluid5.dll with zeldb5.dll) lies in a driver folder of the test's own, with
// a stand-in set-up program under the real program's name beside it. The page
// starts it with its exact command line, waits for it, and when it committed
// another printer language, raises "Cfg" and resets the stored device modes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/dialog.h"
#include "platform/ui/prsht.h"
#include "tests/interface/ui_test_support.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"
#include "tools/machinesetup/printer_install.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPrinter = "Office A";
constexpr DWORD kPs3 = 0x103;
constexpr DWORD kPcl5e = 0xC;
constexpr short kUserCopies = 7;

class SetupButtonTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    folder_ = root() / "drive_c" / "drv";
    fs::create_directories(folder_);
    for (const char* module : {"zeluid5.dll", "zeldb5.dll"})
      fs::copy_file(uitest::BuiltModule(module), folder_ / module);
    log_ = root() / "setup.log";
    // The started program finds this machine and says what it was given.
    setenv("ZEL_MACHINE_ROOT", root().c_str(), 1);
    setenv("ZEL_TEST_SETUP_LOG", log_.c_str(), 1);
    unsetenv("ZEL_TEST_SETUP_PDL");
    unsetenv("ZEL_TEST_SETUP_CFG");
    ASSERT_TRUE(db_.Load("C:\\drv"));
  }
  void TearDown() override {
    platform::SetDialogHandler(nullptr);
    if (printer_) ClosePrinter(printer_);
    db_.Unload();
    for (const char* name : {"ZEL_MACHINE_ROOT", "ZEL_TEST_SETUP_LOG", "ZEL_TEST_SETUP_PDL", "ZEL_TEST_SETUP_CFG"})
      unsetenv(name);
    FreshMachine::TearDown();
  }

  void InstallSetupProgram() {
    fs::copy_file(fs::path(ZEL_TEST_MODULE_DIR) / "setup_stand_in.exe", folder_ / "scopeod5.exe");
  }

  // The printer, set up in PostScript, with the user's own stored settings.
  void InstallPrinter() {
    machinesetup::PrinterSpec spec;
    spec.printerName = kPrinter;
    spec.modelDescription = fs::path(ZEL_SOURCE_DIR) / "data/models/nardo-c5545.ini";
    spec.driverFolder = "C:\\drv";
    std::string error;
    ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    std::string name = kPrinter;
    ASSERT_TRUE(OpenPrinterA(name.data(), &printer_, &defaults));
    ASSERT_EQ(Dword("PDL"), kPs3);
    XDEVMODE settings{};
    std::u16string wide = u"Office A";
    ASSERT_EQ(DocumentPropertiesW(0, printer_, wide.data(), &settings.dmPublic, nullptr, DM_OUT_BUFFER), 1);
    settings.dmPublic.dmCopies = kUserCopies;
    for (DWORD level : {8u, 9u}) {
      PRINTER_INFO_8W info{&settings.dmPublic};
      ASSERT_TRUE(SetPrinterW(printer_, level, reinterpret_cast<LPBYTE>(&info), 0));
    }
  }

  DWORD Dword(const char* key) {
    DWORD value = 0;
    return db_.GetDword(printer_, kStorePrinterData, "Printer", key, &value) == ERROR_SUCCESS ? value : 0;
  }
  // The printer's (8) or the user's (9) stored device mode.
  XDEVMODE Stored(DWORD level) {
    XDEVMODE settings{};
    DWORD needed = 0;
    GetPrinterW(printer_, level, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !GetPrinterW(printer_, level, buffer.data(), needed, &needed)) return settings;
    const DEVMODEW* mode = reinterpret_cast<PRINTER_INFO_8W*>(buffer.data())->pDevMode;
    if (mode && mode->dmSize + mode->dmDriverExtra == sizeof settings) std::memcpy(&settings, mode, sizeof settings);
    return settings;
  }
  std::string Log() const {
    std::ifstream in(log_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Opens the printer's properties and presses the set-up button, then OK.
  void PressSetupButton() {
    bool pressed = false;
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      if (request.templateName != "PropertySheet") return;
      HWND page = static_cast<HWND>(SendMessageA(request.dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
      HWND button = GetDlgItem(page, 1719);
      pressed = IsWindowEnabled(button);
      SendMessageA(button, BM_CLICK, 0, 0);
      SendMessageA(GetDlgItem(request.dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(PrinterPropertiesA(0, printer_));
    platform::SetDialogHandler(nullptr);
    EXPECT_TRUE(pressed);
  }

  fs::path folder_;
  fs::path log_;
  HANDLE printer_ = 0;
  testsupport::SettingsLibrary db_;
};

TEST_F(SetupButtonTest, TheProgramGetsItsExactCommandLine) {
  InstallSetupProgram();
  InstallPrinter();
  PressSetupButton();
  // The program's path is quoted: a driver folder with blanks still names it whole.
  EXPECT_EQ(Log(), "\"C:\\drv\\scopeod5.exe\" Office A\"zeldb5.dll\"1\n");
}

// What the program committed decides what the page does after it ended.
TEST_F(SetupButtonTest, AnotherLanguageRaisesCfgAndResetsTheStoredSettings) {
  struct Case {
    const char* name;
    const char* committedPdl;  // nullptr: the user closed the wizard without a change
    const char* committedCfg;  // nullptr: raised by the program's own rule; "none": removed
    DWORD cfgAfter;
    bool reset;
  };
  // "Cfg" is 9 before; the page counts a missing or zero counter as 5.
  const Case cases[] = {
      {"nothing committed", nullptr, nullptr, 9, false},
      {"same language committed", "0x103", nullptr, 10, false},
      {"new language", "0xC", nullptr, 11, true},
      {"new language, the program removed the counter", "0xC", "none", 6, true},
      {"new language, the program left the counter at 0", "0xC", "0", 6, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    InstallSetupProgram();
    InstallPrinter();
    ASSERT_EQ(db_.SetDword(printer_, kStorePrinterData, "Printer", "Cfg", 9), static_cast<DWORD>(ERROR_SUCCESS));
    if (c.committedPdl) setenv("ZEL_TEST_SETUP_PDL", c.committedPdl, 1);
    if (c.committedCfg) setenv("ZEL_TEST_SETUP_CFG", c.committedCfg, 1);

    PressSetupButton();
    EXPECT_FALSE(Log().empty());
    EXPECT_EQ(Dword("Cfg"), c.cfgAfter);
    EXPECT_EQ(Dword("PDL"), c.committedPdl && c.reset ? kPcl5e : kPs3);
    for (DWORD level : {8u, 9u}) {
      SCOPED_TRACE(level);
      const XDEVMODE stored = Stored(level);
      EXPECT_EQ(stored.dmPublic.dmCopies, c.reset ? 1 : kUserCopies);
      // PostScript or the PCL family, as the language now stored.
      EXPECT_EQ(stored.dmPrivate._nPDL & kPs3, c.reset ? 0u : kPs3);
    }
  }
}

// A driver folder without the program: the button starts nothing and changes nothing.
TEST_F(SetupButtonTest, AProgramThatCannotStartChangesNothing) {
  InstallPrinter();
  ASSERT_EQ(db_.SetDword(printer_, kStorePrinterData, "Printer", "Cfg", 9), static_cast<DWORD>(ERROR_SUCCESS));
  setenv("ZEL_TEST_SETUP_PDL", "0xC", 1);
  PressSetupButton();
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(Dword("Cfg"), 9u);
  EXPECT_EQ(Dword("PDL"), kPs3);
  for (DWORD level : {8u, 9u}) EXPECT_EQ(Stored(level).dmPublic.dmCopies, kUserCopies);
}

}  // namespace
