// A fresh machine with the settings library bound by name and one printer whose
// model description (the kind-3 store) is the fixture below.
#pragma once

#include <string>

#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"

namespace settingstest {

// Model description text (UTF-8 here, written to disk in code page 932).
extern const char kModelDescription[];

class SettingsStoreTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Installs another printer with the fixture's driver.
  void AddPrinter(const std::string& name);
  HANDLE Open(const std::string& name);

  testsupport::SettingsLibrary db;
  HANDLE printer = 0;  // "Sample Printer", opened with all access
  static constexpr const char* kPrinterName = "Sample Printer";
  static constexpr const char* kDriverName = "Sample Model 5";
};

// Reads a kind's string value, "" with the code when it fails.
std::string ReadString(testsupport::SettingsLibrary& db, HANDLE printer, int kind, const char* section, const char* key,
                       DWORD* rc = nullptr, DWORD bufferSize = 260);

}  // namespace settingstest
