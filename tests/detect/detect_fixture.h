// A fresh machine with one printer of a model that speaks PostScript and PCL 5e
// and answers SNMP, and the settings library bound as the set-up program binds it.
#pragma once

#include <optional>
#include <string>

#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"

namespace detecttest {

inline constexpr char kPrinter[] = "Set-up Printer";

class DetectTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Installs the printer; `snmpCapable` is the model's "General"/"SNMPCapable".
  void InstallPrinter(int snmpCapable, const std::string& port = "FILE:");
  // The C5545 model of the package (PostScript 3 and PCL 5e, SNMP), as printed.
  void InstallPackagedModel(const std::string& port);

  // "Printer"/key of the printer's data; nothing when absent.
  std::optional<std::string> Text(const char* key);
  std::optional<DWORD> Number(const char* key);
  void SetText(const char* key, const char* value);
  void SetNumber(const char* key, DWORD value);
  // Deletes what the printer's set-up stored for the wizard's values and "Cfg".
  void ClearWizardValues();

  testsupport::SettingsLibrary db;
  HANDLE printer = 0;
};

}  // namespace detecttest
