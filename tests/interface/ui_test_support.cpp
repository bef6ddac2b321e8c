#include "tests/interface/ui_test_support.h"

#include <gtest/gtest.h>

#include "interface/app/library_state.h"
#include "interface/app/settings_library.h"
#include "interface/pages/pcl_font_cache.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace uitest {

HANDLE InstallPrinter(const std::string& model, const std::string& printerName) {
  machinesetup::PrinterSpec spec;
  spec.printerName = printerName;
  spec.modelDescription = std::filesystem::path(ZEL_SOURCE_DIR) / "data/models" / model;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  std::string error;
  if (!machinesetup::InstallPrinter(spec, error)) {
    ADD_FAILURE() << error;
    return 0;
  }
  HANDLE printer = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  std::string name = printerName;
  if (!OpenPrinterA(name.data(), &printer, &defaults)) ADD_FAILURE() << "cannot open " << printerName;
  return printer;
}

void UiCoreTest::SetUp() {
  FreshMachine::SetUp();
  const std::string path = AnsiWindowsPath(BuiltModule("zeluid5.dll"));
  library_ = LoadLibraryExA(path.c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(library_, 0u) << GetLastError();
  SetLibraryInstance(library_);
  settingsModule_ = LoadSettingsLibraryBeside(path.c_str(), &LibrarySettings());
  ASSERT_NE(settingsModule_, 0u) << "zeldb5.dll must lie beside zeluid5.dll";
  InitializeCriticalSection(FontListLock());
  lockReady_ = true;
  platform::SetUiLanguage(platform::UiLanguage::Japanese);
}

void UiCoreTest::TearDown() {
  if (lockReady_) {
    FreePclFontLists(nullptr, 0);
    DeleteCriticalSection(FontListLock());
    lockReady_ = false;
  }
  UnloadSettingsLibrary(settingsModule_, &LibrarySettings());
  SetLibraryInstance(0);
  if (library_) FreeLibrary(library_);
  platform::SetUiLanguage(platform::UiLanguage::Japanese);
  FreshMachine::TearDown();
}

}  // namespace uitest
