#include "shellext/registration.h"

#include <cstring>
#include <vector>

#include "platform/base/debug.h"
#include "platform/base/modules.h"
#include "platform/base/os_version.h"
#include "platform/base/text_cut.h"
#include "platform/base/version.h"
#include "platform/registry/registry.h"
#include "shellext/driver_files.h"
#include "shellext/module_state.h"
#include "shellext/printer_queries.h"
#include "shellext/shell_ext_ids.h"

namespace shellext {
namespace {

constexpr char kFailure[] = "Can not register Shell Extension\n";
constexpr size_t kVersionSize = 16;

bool AtLeast61(const OSVERSIONINFOA& version) {
  return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 1);
}

// Creates the key and sets one REG_SZ value (the terminator counted); false when
// the key cannot be made.
bool WriteValue(const std::string& path, const char* valueName, const std::string& text) {
  HKEY key = 0;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return true;
}

std::string ModulePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(ModuleInstance(), path, sizeof path);
  return length == 0 || length >= sizeof path ? std::string() : std::string(path, length);
}

}  // namespace

std::optional<std::string> ShellExtHandlerKey(const char* printerName) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return std::nullopt;
  if (!AtLeast61(version)) return std::string(kPrintersHandlerKey);
  OpenedPrinter printer(printerName ? printerName : "", 0);
  if (!printer) return std::nullopt;
  std::string hardwareId = GetDriverHardwareId(printer.get());
  // Without an id the key would name no device at all ("HardwareId\\shellex").
  if (hardwareId.empty()) return std::nullopt;
  if (hardwareId.compare(0, 8, "lptenum\\") == 0) hardwareId[7] = '#';
  return "DeviceDisplayObject\\HardwareId\\" + hardwareId + "\\shellex\\ContextMenuHandlers";
}

bool RegisterShellExtensionFor(const char* printerName) {
  const std::string classKey = "CLSID\\" + platform::GuidText(ShellExtClsid);
  const std::optional<std::string> handlerKey = ShellExtHandlerKey(printerName);
  const bool written = handlerKey && WriteValue(classKey, nullptr, kClassDescription) &&
                       WriteValue(classKey + "\\InProcServer32", nullptr, ModulePath()) &&
                       WriteValue(classKey + "\\InProcServer32", "ThreadingModel", "Apartment") &&
                       WriteValue(*handlerKey, nullptr, kHandlerName) &&
                       WriteValue(*handlerKey + "\\" + kHandlerName, nullptr, platform::GuidText(ShellExtClsid));
  if (!written) OutputDebugStringA(kFailure);
  return written;
}

std::string GetUiDllProductVersion() {
  const std::string path = ModuleFolder() + kUiLibrary;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), handle, size, block.data())) return {};
  LPVOID value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ProductVersion", &value, &length) || !value) {
    return {};
  }
  std::string_view text(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
  return std::string(text.substr(0, platform::CutPoint(text, kVersionSize - 1)));
}

}  // namespace shellext
