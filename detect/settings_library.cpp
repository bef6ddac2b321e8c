#include "detect/settings_library.h"

#include <string>

#include "platform/base/module_folder.h"
#include "platform/base/modules.h"

namespace {

template <class Fn>
bool Bind(HMODULE module, const char* name, Fn& slot) {
  slot = reinterpret_cast<Fn>(GetProcAddress(module, name));
  return slot != nullptr;
}

}  // namespace

HMODULE LoadSettingsDatabase(const char* fileName, SettingsFunctions* functions) {
  const std::string folder = platform::ModuleFolder(0);
  if (folder.empty() || !fileName || !*fileName) return 0;
  const std::string path = folder + fileName;
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return 0;
  SettingsFunctions bound;
  const bool all = Bind(module, "DBDeleteData", bound.deleteData) && Bind(module, "DBEnumClose", bound.enumClose) &&
                   Bind(module, "DBEnumNext", bound.enumNext) && Bind(module, "DBEnumOpen", bound.enumOpen) &&
                   Bind(module, "DBGetInt", bound.getInt) && Bind(module, "DBGetDword", bound.getDword) &&
                   Bind(module, "DBGetString", bound.getString) && Bind(module, "DBSetDword", bound.setDword) &&
                   Bind(module, "DBSetString", bound.setString) && Bind(module, "DBGetPath", bound.getPath);
  if (!all) {
    FreeLibrary(module);
    return 0;
  }
  bound.loadError = ERROR_PROC_NOT_FOUND;
  *functions = bound;
  return module;
}
