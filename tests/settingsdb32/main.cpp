// The settings library as a 32-bit caller loads it: every export bound by name
// and each store kind used once. Built in the 32-bit build (and in the normal
// one, where it checks the same for 64-bit callers).
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/settings_store.h"
#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/spooler/spooler.h"
#include "tests/support/settings_library.h"
#include "tools/machinesetup/printer_install.h"

namespace {

int g_failures = 0;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::printf("FAILED: %s\n", what);
    ++g_failures;
  }
}

}  // namespace

int main() {
  std::printf("settings library check, %zu-bit caller\n", sizeof(void*) * 8);
  static_assert(sizeof(DBENUM) == 8 + sizeof(char*), "DBENUM: two counts and the name block");

  std::string pattern = (std::filesystem::temp_directory_path() / "zel-settings32-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 2;
  std::filesystem::path root = pattern;
  platform::SetMachineRoot(root);
  platform::SetAnsiCodePage(932);
  platform::EnsureMachineFolders();

  std::filesystem::path model = root / "model.ini";
  std::ofstream(model) << "[General]\nModelName=Check Model\nFormatVersion=5\nCompany=%Maker%\n"
                          "[Strings]\nMaker=Nardo\n";
  machinesetup::PrinterSpec spec{"Check Printer", model, machinesetup::BuiltDriverFolder()};
  std::string error;
  Check(machinesetup::InstallPrinter(spec, error), "install a printer");

  testsupport::SettingsLibrary db;
  Check(db.Load(machinesetup::BuiltDriverFolder()), "load zeldb5.dll and bind its 17 exports");
  if (!db.module) return 1;

  HANDLE printer = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  Check(OpenPrinterA(const_cast<char*>("Check Printer"), &printer, &defaults) != 0, "open the printer");

  DWORD value = 0;
  Check(db.SetDword(printer, 0, "Printer", "Cfg", 6) == 0, "DBSetDword kind 0");
  Check(db.GetDword(printer, 7, "Printer", "Cfg", &value) == 0 && value == 6, "DBGetDword kind 7");
  int32_t signedValue = 0;
  Check(db.GetInt(printer, 0, "Printer", "Cfg", &signedValue) == 0 && signedValue == 6, "DBGetInt");
  int16_t shortValue = 0;
  Check(db.GetShort(printer, 0, "Printer", "Cfg", &shortValue) == 0 && shortValue == 6, "DBGetShort");
  const BYTE blob[] = {9, 8, 7};
  BYTE back[8] = {};
  DWORD size = sizeof back;
  Check(db.SetData(printer, 0, "Printer", "Blob", blob, 3) == 0, "DBSetData");
  Check(db.GetData(printer, 0, "Printer", "Blob", back, &size) == 0 && size == 3 && back[2] == 7, "DBGetData");

  char text[64] = {};
  size = sizeof text;
  Check(db.SetString(0, 1, "User", "Name", "value") == 0, "DBSetString kind 1");
  Check(db.GetString(0, 5, "User", "Name", text, &size) == 0 && std::strcmp(text, "value") == 0, "DBGetString kind 5");
  size = sizeof text;
  Check(db.GetString(printer, 3, "General", "Company", text, &size) == 0 && std::strcmp(text, "Nardo") == 0,
        "DBGetString kind 3 with expansion");
  Check(db.SetString(printer, 3, "General", "Company", "x") == 5, "kind 3 is read-only");

  DBENUM* e = nullptr;
  Check(db.EnumOpen(printer, 0, "Printer", &e) == 0 && e != nullptr, "DBEnumOpen");
  int names = 0;
  size = sizeof text;
  while (e && db.EnumNext(e, text, &size) == 0) ++names;
  Check(names >= 2, "DBEnumNext walks the section");
  Check(e && db.EnumReset(e) == 0, "DBEnumReset");
  Check(e && db.EnumClose(e) == 0, "DBEnumClose");

  Check(db.DeleteData(printer, 0, "Printer", "Blob") == 0, "DBDeleteData");
  Check(db.DeleteSection(0, 1, "User") == 0, "DBDeleteSection");
  Check(db.SetupFolders() == 0, "DBSetupFolders");
  char path[MAX_PATH] = {};
  Check(db.GetPath(1, path, sizeof path) == 0 && std::string(path) == "C:\\$Nardo Driver\\D5\\DBase", "DBGetPath");
  char name[221] = {};
  Check(db.GetName("check model", name) == 1 && std::string(name) == "Check Printer", "DBGetName");

  ClosePrinter(printer);
  db.Unload();
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  std::printf(g_failures ? "%d check(s) failed\n" : "all checks passed\n", g_failures);
  return g_failures ? 1 : 0;
}
