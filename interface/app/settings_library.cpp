#include "interface/app/settings_library.h"

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/module_folder.h"
#include "platform/base/modules.h"

namespace {

template <class Fn>
void Bind(HMODULE module, const char* name, Fn& member) {
  member = reinterpret_cast<Fn>(GetProcAddress(module, name));
}

}  // namespace

std::string ModuleFolder(const char* modulePath) {
  return modulePath ? platform::FolderOfPath(modulePath) : std::string();
}

HMODULE LoadSettingsLibraryBeside(const char* modulePath, SettingsFunctions* table) {
  *table = SettingsFunctions{};
  const std::string path = ModuleFolder(modulePath) + SETTINGS_LIBRARY_NAME;
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    const DWORD error = GetLastError();
    table->loadError = error != ERROR_SUCCESS ? error : static_cast<DWORD>(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  // In the order the library has always bound them. DBSetData, DBEnumReset and
  // DBGetName are not used here and stay unbound.
  Bind(module, "DBDeleteData", table->deleteData);
  Bind(module, "DBDeleteSection", table->deleteSection);
  Bind(module, "DBEnumClose", table->enumClose);
  Bind(module, "DBEnumNext", table->enumNext);
  Bind(module, "DBEnumOpen", table->enumOpen);
  Bind(module, "DBGetData", table->getData);
  Bind(module, "DBGetDword", table->getDword);
  Bind(module, "DBGetInt", table->getInt);
  Bind(module, "DBGetShort", table->getShort);
  Bind(module, "DBGetString", table->getString);
  Bind(module, "DBSetDword", table->setDword);
  Bind(module, "DBSetString", table->setString);
  Bind(module, "DBSetupFolders", table->setupFolders);
  Bind(module, "DBGetPath", table->getPath);
  // The library is there: what a call finds missing is its export.
  table->loadError = ERROR_PROC_NOT_FOUND;
  return module;
}

void UnloadSettingsLibrary(HMODULE module, SettingsFunctions* table) {
  *table = SettingsFunctions{};
  if (module) FreeLibrary(module);
}
