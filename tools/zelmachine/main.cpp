// zelmachine: sets up and inspects the stand-in machine the driver package runs on.
//
//   zelmachine [--root DIR] init
//   zelmachine [--root DIR] setup-folders
//   zelmachine [--root DIR] add-printer NAME MODEL.ini [--port PORT] [--hardware-id ID]
//   zelmachine [--root DIR] show NAME
//   zelmachine [--root DIR] folders
//
// The root defaults to ZEL_MACHINE_ROOT (see the README).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/base/profile.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: zelmachine [--root DIR] init | setup-folders | add-printer NAME MODEL.ini [--port PORT]"
               " [--hardware-id ID]"
               " | show NAME | folders\n");
  return 2;
}

// Text of the ANSI code page, shown in the terminal's UTF-8.
std::string Show(const std::string& ansi) { return platform::Utf8FromAnsi(ansi); }

struct Settings {
  HMODULE module = 0;
  PFN_DBGetString GetString = nullptr;
  PFN_DBEnumOpen EnumOpen = nullptr;
  PFN_DBEnumNext EnumNext = nullptr;
  PFN_DBEnumClose EnumClose = nullptr;
  PFN_DBGetPath GetPath = nullptr;
  PFN_DBSetupFolders SetupFolders = nullptr;

  bool Load() {
    std::string path = machinesetup::BuiltDriverFolder() + "\\" SETTINGS_LIBRARY_NAME;
    module = LoadLibraryA(path.c_str());
    if (!module) {
      std::fprintf(stderr, "cannot load %s (error %u)\n", Show(path).c_str(), GetLastError());
      return false;
    }
    GetString = reinterpret_cast<PFN_DBGetString>(GetProcAddress(module, "DBGetString"));
    EnumOpen = reinterpret_cast<PFN_DBEnumOpen>(GetProcAddress(module, "DBEnumOpen"));
    EnumNext = reinterpret_cast<PFN_DBEnumNext>(GetProcAddress(module, "DBEnumNext"));
    EnumClose = reinterpret_cast<PFN_DBEnumClose>(GetProcAddress(module, "DBEnumClose"));
    GetPath = reinterpret_cast<PFN_DBGetPath>(GetProcAddress(module, "DBGetPath"));
    SetupFolders = reinterpret_cast<PFN_DBSetupFolders>(GetProcAddress(module, "DBSetupFolders"));
    return GetString && EnumOpen && EnumNext && EnumClose && GetPath && SetupFolders;
  }
  ~Settings() {
    if (module) FreeLibrary(module);
  }
};

std::string FormatValue(DWORD type, const std::vector<BYTE>& data) {
  char text[64];
  switch (type) {
    case REG_DWORD:
      if (data.size() >= 4) {
        DWORD value;
        std::memcpy(&value, data.data(), 4);
        std::snprintf(text, sizeof text, "%u (0x%X)", value, value);
        return text;
      }
      break;
    case REG_SZ: {
      std::u16string wide(reinterpret_cast<const char16_t*>(data.data()), data.size() / 2);
      if (size_t end = wide.find(u'\0'); end != std::u16string::npos) wide.resize(end);
      return "\"" + platform::Utf8FromUtf16(wide) + "\"";
    }
    default: break;
  }
  std::string hex;
  for (size_t i = 0; i < data.size() && i < 24; ++i) {
    std::snprintf(text, sizeof text, "%02X ", data[i]);
    hex += text;
  }
  if (data.size() > 24) hex += "...";
  return "binary, " + std::to_string(data.size()) + " bytes: " + hex;
}

int ShowPrinter(const std::string& name) {
  HANDLE printer = 0;
  if (!OpenPrinterA(const_cast<char*>(name.c_str()), &printer, nullptr)) {
    std::fprintf(stderr, "no printer named \"%s\" (error %u)\n", Show(name).c_str(), GetLastError());
    return 1;
  }
  Settings settings;
  if (!settings.Load()) return 1;

  DWORD needed = 0;
  GetPrinterDriverA(printer, nullptr, 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed + 1);
  std::string dataFile;
  if (GetPrinterDriverA(printer, nullptr, 2, buffer.data(), needed, &needed)) {
    auto* driver = reinterpret_cast<DRIVER_INFO_2A*>(buffer.data());
    dataFile = driver->pDataFile ? driver->pDataFile : "";
    std::printf(
        "Printer \"%s\"\n  driver      %s (version %u)\n  driver file %s\n  config file %s\n"
        "  data file   %s\n",
        Show(name).c_str(), Show(driver->pName).c_str(), driver->cVersion, Show(driver->pDriverPath).c_str(),
        Show(driver->pConfigFile).c_str(), Show(dataFile).c_str());
  }

  std::printf("\nPrinter data (store kinds 0, 7, 8):\n");
  for (DWORD index = 0;; ++index) {
    char16_t valueName[256];
    std::vector<BYTE> data(65536);
    DWORD nameSize = 0, type = 0, dataSize = 0;
    if (EnumPrinterDataW(printer, index, valueName, sizeof valueName, &nameSize, &type, data.data(),
                         static_cast<DWORD>(data.size()), &dataSize) != ERROR_SUCCESS) {
      if (index == 0) std::printf("  (none)\n");
      break;
    }
    data.resize(dataSize);
    std::printf("  %-32s %s\n", platform::Utf8FromUtf16(valueName).c_str(), FormatValue(type, data).c_str());
  }

  std::printf("\nModel description (store kind 3), as the settings store reads it:\n");
  std::vector<char> sections(65536);
  DWORD length = GetPrivateProfileSectionNamesA(sections.data(), static_cast<DWORD>(sections.size()), dataFile.c_str());
  for (size_t pos = 0; pos < length;) {
    std::string section(sections.data() + pos);
    pos += section.size() + 1;
    if (section.empty()) break;
    std::printf("  [%s]\n", Show(section).c_str());
    DBENUM* keys = nullptr;
    if (settings.EnumOpen(printer, 3, section.c_str(), &keys) != 0) continue;
    char key[256];
    DWORD keySize = sizeof key;
    while (settings.EnumNext(keys, key, &keySize) == 0) {
      char value[1024] = {};
      DWORD valueSize = sizeof value;
      DWORD rc = settings.GetString(printer, 3, section.c_str(), key, value, &valueSize);
      std::printf("    %s = %s\n", Show(key).c_str(), rc == 0 ? Show(value).c_str() : "(unreadable)");
      keySize = sizeof key;
    }
    settings.EnumClose(keys);
  }
  ClosePrinter(printer);
  return 0;
}

int ShowFolders() {
  Settings settings;
  if (!settings.Load()) return 1;
  for (int selector : {0, 1, 2, 3, 6}) {
    char path[MAX_PATH];
    if (settings.GetPath(selector, path, sizeof path) == 0) {
      auto host = platform::HostPathFromWindows(Show(path));
      std::printf("  %d  %-60s -> %s\n", selector, Show(path).c_str(), host ? host->c_str() : "?");
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 2 && args[0] == "--root") {
    platform::SetMachineRoot(args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return Usage();
  // Arguments arrive in the terminal's UTF-8; the system speaks the ANSI code page.
  std::string command = args[0];
  if (command == "init") {
    platform::EnsureMachineFolders();
    std::printf("machine root %s\n", platform::MachineRoot().c_str());
    return 0;
  }
  if (command == "setup-folders") {
    Settings settings;
    if (!settings.Load()) return 1;
    settings.SetupFolders();
    return ShowFolders();
  }
  if (command == "folders") return ShowFolders();
  if (command == "add-printer" && args.size() >= 3) {
    machinesetup::PrinterSpec spec;
    spec.printerName = platform::AnsiFromUtf8(args[1]);
    spec.modelDescription = args[2];
    spec.driverFolder = machinesetup::BuiltDriverFolder();
    for (size_t i = 3; i + 1 < args.size(); i += 2) {
      if (args[i] == "--port") spec.port = platform::AnsiFromUtf8(args[i + 1]);
      if (args[i] == "--hardware-id") spec.hardwareId = platform::AnsiFromUtf8(args[i + 1]);
    }
    std::string error;
    if (!machinesetup::InstallPrinter(spec, error)) {
      std::fprintf(stderr, "add-printer: %s\n", error.c_str());
      return 1;
    }
    std::printf("added printer \"%s\" (driver \"%s\")\n", args[1].c_str(),
                Show(machinesetup::DriverNameOf(spec.modelDescription)).c_str());
    return 0;
  }
  if (command == "show" && args.size() >= 2) return ShowPrinter(platform::AnsiFromUtf8(args[1]));
  return Usage();
}
