#include "fontinstaller/installer_module.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/module_folder.h"
#include "platform/base/modules.h"
#include "platform/base/resources.h"
#include "platform/base/version.h"

#include <cstdio>
#include <vector>

namespace fontinstaller {

namespace {

HMODULE g_settingsModule = 0;

template <class Fn>
bool Bind(HMODULE module, const char* name, Fn& member) {
  member = reinterpret_cast<Fn>(GetProcAddress(module, name));
  return member != nullptr;
}

}  // namespace

SettingsFunctions& InstallerSettings() {
  static SettingsFunctions functions;
  return functions;
}

HINSTANCE& InstallerInstance() {
  static HINSTANCE instance = 0;
  return instance;
}

std::string InstallerFolder() { return platform::ModuleFolder(InstallerInstance()); }

std::string LoadText(UINT id) {
  char buffer[1024] = {};
  const int length = LoadStringA(InstallerInstance(), id, buffer, sizeof buffer);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string InstallerProductVersion(bool withoutDots) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(InstallerInstance(), path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(path, handle, size, block.data())) return {};
  void* translation = nullptr;
  UINT translationLength = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &translationLength) ||
      translationLength < 4) {
    return {};
  }
  WORD pair[2];
  std::memcpy(pair, translation, sizeof pair);
  char key[64];
  std::snprintf(key, sizeof key, "\\StringFileInfo\\%04X%04X\\ProductVersion", pair[0], pair[1]);
  void* text = nullptr;
  UINT textLength = 0;
  if (!VerQueryValueA(block.data(), key, &text, &textLength) || !text) return {};
  std::string version(static_cast<const char*>(text), strnlen(static_cast<const char*>(text), textLength));
  if (version.size() > 31) version.resize(31);
  if (withoutDots) version.erase(std::remove(version.begin(), version.end(), '.'), version.end());
  return version;
}

bool BindInstallerSettings(HINSTANCE instance) {
  const std::string path = platform::ModuleFolder(instance) + SETTINGS_LIBRARY_NAME;
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return false;
  SettingsFunctions table;
  const bool all = Bind(module, "DBGetDword", table.getDword) && Bind(module, "DBSetDword", table.setDword) &&
                   Bind(module, "DBGetString", table.getString) && Bind(module, "DBSetString", table.setString) &&
                   Bind(module, "DBGetData", table.getData) && Bind(module, "DBSetData", table.setData) &&
                   Bind(module, "DBDeleteData", table.deleteData) && Bind(module, "DBGetPath", table.getPath);
  if (!all) {
    FreeLibrary(module);
    return false;
  }
  table.loadError = ERROR_PROC_NOT_FOUND;
  g_settingsModule = module;
  InstallerSettings() = table;
  return true;
}

void UnbindInstallerSettings() {
  InstallerSettings() = SettingsFunctions{};
  if (g_settingsModule) FreeLibrary(g_settingsModule);
  g_settingsModule = 0;
}

}  // namespace fontinstaller
