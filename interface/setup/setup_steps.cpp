#include "interface/setup/setup_steps.h"

#include <cstring>
#include <vector>

#include "common/settings_store.h"
#include "interface/app/drv_trace.h"
#include "interface/app/library_state.h"
#include "interface/setup/default_pdl.h"
#include "interface/util/driver_version.h"
#include "interface/util/paths.h"
#include "model/config_counter.h"
#include "model/settings_text.h"
#include "platform/base/codepage.h"
#include "platform/base/modules.h"
#include "platform/base/value_types.h"
#include "platform/spooler/spooler.h"

namespace {

// The version text as the library's version block gives it: at most 15 characters.
constexpr WORD kDriverVersionSize = 16;
constexpr DWORD kInstalledMemorySize = 200;

typedef HRESULT (*RegisterShellExtensionProc)(const char* printerName);

// The printer's driver record (level 2), or an empty buffer when it cannot be read.
std::vector<BYTE> ReadDriverInfo(HANDLE printer) {
  std::vector<BYTE> buffer;
  DWORD needed = 0;
  // A few tries: the record may grow between two calls.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (GetPrinterDriverA(printer, nullptr, 2, buffer.empty() ? nullptr : buffer.data(),
                          static_cast<DWORD>(buffer.size()), &needed)) {
      if (buffer.size() >= sizeof(DRIVER_INFO_2A)) return buffer;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) break;
    buffer.assign(needed, 0);
  }
  return {};
}

void SetPrinterDword(HANDLE printer, const char* name, DWORD value) {
  std::string valueName(name);
  SetPrinterDataA(printer, valueName.data(), REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
}

}  // namespace

bool StoreHostDriverData(HANDLE printer, bool write) {
  std::vector<BYTE> buffer = ReadDriverInfo(printer);
  if (buffer.empty()) return false;
  const auto* driver = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
  if (driver->cVersion != 2 || !write) return true;

  char fileName[MAX_PATH] = {};
  SplitPath(nullptr, 0, fileName, sizeof fileName, driver->pDataFile ? driver->pDataFile : "");
  const std::string hostPath = std::string(kHostDriverFolder) + fileName;
  LibrarySettings().SetString(printer, kStorePrinterData, "Printer", "PHD", hostPath.c_str());

  std::string valueName = "SPLUserModePrinterDriver";
  char userModeDriver[sizeof kUserModeDriverName];
  std::memcpy(userModeDriver, kUserModeDriverName, sizeof userModeDriver);
  SetPrinterDataA(printer, valueName.data(), REG_SZ, reinterpret_cast<BYTE*>(userModeDriver), sizeof userModeDriver);
  return true;
}

std::string ReadStoredDriverVersion() {
  char stored[kDriverVersionSize] = {};
  DWORD size = sizeof stored;
  if (LibrarySettings().GetString(0, kStoreMachine, "Local", "DriverVersion", stored, &size) != ERROR_SUCCESS) {
    return {};
  }
  stored[sizeof stored - 1] = '\0';
  return stored;
}

std::string CurrentDriverVersion() {
  char version[kDriverVersionSize] = {};
  GetDriverVersionString(0, version, sizeof version, kDriverVersionText);
  return version;
}

void StoreDriverVersion() {
  const std::string version = CurrentDriverVersion();
  // An empty text would read as "no version stored" and hide the next change.
  if (version.empty()) return;
  LibrarySettings().SetString(0, kStoreMachine, "Local", "DriverVersion", version.c_str());
}

bool CopyDefaultInstalledOptions(HANDLE printer, bool onlyAbsent) {
  const SettingsFunctions& settings = LibrarySettings();
  auto absent = [&](const char* section, const char* key) {
    char value[kInstalledMemorySize] = {};
    DWORD size = sizeof value;
    const DWORD rc = settings.GetString(printer, kStorePrinterData, section, key, value, &size);
    return rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA;
  };
  bool wrote = false;
  auto store = [&](const char* section, const char* key, const char* value) {
    if (onlyAbsent && !absent(section, key)) return;
    wrote = settings.SetString(printer, kStorePrinterData, section, key, value) == ERROR_SUCCESS || wrote;
  };
  std::optional<std::string> memory = modelsettings::ReadText(settings, printer, kStoreModelDescription, "Memory",
                                                              "Installed", kInstalledMemorySize, true);
  if (memory && !memory->empty()) store("Memory", "Installed", memory->c_str());
  modelsettings::ForEachSectionValue(settings, printer, kStoreModelDescription, "InstallableOptions",
                                     [&](const std::string& key, const std::string& value) {
                                       store("InstallableOptions", key.c_str(), value.c_str());
                                       return true;
                                     });
  return wrote;
}

void RegisterShellExtensionOnce(HANDLE printer, const std::string& folder, const char* printerName) {
  // Without the library's own folder the name alone would be looked for elsewhere.
  if (folder.empty()) return;
  const std::string path = folder + kShellExtensionFile;
  DrvTrace("RegisterShellExtension\n");
  DrvTrace("RegisterShellExtension");
  DrvTrace(path.c_str());
  DrvTrace("\n");
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return;
  DrvTrace("RegisterShellExtension 1\n");
  if (FARPROC proc = GetProcAddress(module, "RegisterShellExtension")) {
    // Through void(*)(): the export's type is known only by its name.
    auto registerMenu = reinterpret_cast<RegisterShellExtensionProc>(reinterpret_cast<void (*)()>(proc));
    registerMenu(printerName);
  }
  FreeLibrary(module);
  SetPrinterDword(printer, "Shellext3D5", 1);
}

void StoreInitialPrinterSettings(HANDLE printer) {
  const SettingsFunctions& settings = LibrarySettings();
  const WORD pdl = ChooseDefaultPdl(ReadPdlSection(settings, printer));
  settings.SetDword(printer, kStorePrinterData, "Printer", "PDL", pdl);
  settings.SetDword(printer, kStorePrinterData, "Printer", "Monitor", 0);
  IncrementConfigCounter(settings, printer);
  DWORD compatible = 0;
  if (settings.GetDword(printer, kStoreModelDescription, "General", "TRQ50Compatible", &compatible) != ERROR_SUCCESS) {
    compatible = 0;
  }
  settings.SetDword(printer, kStorePrinterData, "Printer", "TRQ50Compatible", compatible);
}
