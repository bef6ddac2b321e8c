#include "fuzz/machine_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/settings_store.h"
#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace fuzzmachine {
namespace {

std::filesystem::path g_root;
SettingsFunctions g_settings;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz machine: %s\n", what.c_str());
  std::abort();
}

void RemoveRoot() {
  std::error_code ec;
  if (!g_root.empty()) std::filesystem::remove_all(g_root, ec);
}

template <class T>
void Bind(HMODULE module, const char* name, T& slot) {
  slot = reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  if (!slot) Fail(std::string("zeldb5.dll lacks ") + name);
}

}  // namespace

void Start() {
  if (!g_root.empty()) return;
  std::string pattern = (std::filesystem::temp_directory_path() / "zel-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) Fail("cannot make a machine root");
  g_root = pattern;
  std::atexit(RemoveRoot);
  platform::SetMachineRoot(g_root);
  platform::SetCurrentUser("User");
  platform::SetAnsiCodePage(932);
  platform::EnsureMachineFolders();

  const std::string path = Deliverable(SETTINGS_LIBRARY_NAME);
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) Fail("cannot load " + path);
  Bind(module, "DBGetData", g_settings.getData);
  Bind(module, "DBSetData", g_settings.setData);
  Bind(module, "DBGetString", g_settings.getString);
  Bind(module, "DBSetString", g_settings.setString);
  Bind(module, "DBGetDword", g_settings.getDword);
  Bind(module, "DBSetDword", g_settings.setDword);
  Bind(module, "DBGetInt", g_settings.getInt);
  Bind(module, "DBGetShort", g_settings.getShort);
  Bind(module, "DBGetPath", g_settings.getPath);
  Bind(module, "DBEnumOpen", g_settings.enumOpen);
  Bind(module, "DBEnumNext", g_settings.enumNext);
  Bind(module, "DBEnumReset", g_settings.enumReset);
  Bind(module, "DBEnumClose", g_settings.enumClose);
  Bind(module, "DBDeleteData", g_settings.deleteData);
  Bind(module, "DBDeleteSection", g_settings.deleteSection);
  Bind(module, "DBSetupFolders", g_settings.setupFolders);
  g_settings.loadError = ERROR_SUCCESS;

  // Every module the driver loads stays loaded for the process: libFuzzer keeps
  // reading the coverage counters of a module it saw, so one unloaded during a
  // run would take them away under it.
  for (const char* file : {"zeluid5.dll", "zelkerd5.dll", "nardoc55.dll", "nardom30.dll"}) {
    if (!LoadLibraryA(Deliverable(file).c_str())) Fail(std::string("cannot load ") + file);
  }
}

HANDLE InstallPrinter(const std::string& modelFile, const std::string& name, WORD pdl, DWORD variant) {
  Start();
  machinesetup::PrinterSpec spec;
  spec.printerName = name;
  spec.modelDescription = std::filesystem::path(ZEL_SOURCE_DIR) / "data" / "models" / modelFile;
  spec.driverFolder = DriverFolder();
  std::string error;
  if (!machinesetup::InstallPrinter(spec, error)) Fail(error);
  HANDLE printer = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  std::string copy = name;
  if (!OpenPrinterA(copy.data(), &printer, &defaults)) Fail("cannot open " + name);
  if (g_settings.SetDword(printer, kStorePrinterData, "Printer", "PDL", pdl) != ERROR_SUCCESS ||
      g_settings.SetDword(printer, kStorePrinterData, "Printer", "TRQ50Compatible", variant) != ERROR_SUCCESS ||
      g_settings.SetDword(printer, kStorePrinterData, "Printer", "Cfg", 6) != ERROR_SUCCESS) {
    Fail("cannot write the printer data of " + name);
  }
  return printer;
}

const SettingsFunctions& Settings() { return g_settings; }

std::string DriverFolder() { return machinesetup::BuiltDriverFolder(); }

std::string Deliverable(const std::string& file) { return DriverFolder() + "\\" + file; }

}  // namespace fuzzmachine
