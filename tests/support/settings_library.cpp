#include "tests/support/settings_library.h"

#include "platform/base/modules.h"

namespace testsupport {

namespace {
template <class T>
bool Bind(HMODULE module, const char* name, T& slot) {
  slot = reinterpret_cast<T>(GetProcAddress(module, name));
  return slot != nullptr;
}
}  // namespace

bool SettingsLibrary::Load(const std::string& windowsFolder) {
  std::string path = windowsFolder + "\\" SETTINGS_LIBRARY_NAME;
  module = LoadLibraryA(path.c_str());
  if (!module) return false;
  bool ok = Bind(module, "DBGetData", GetData) & Bind(module, "DBSetData", SetData) &
            Bind(module, "DBGetString", GetString) & Bind(module, "DBSetString", SetString) &
            Bind(module, "DBGetDword", GetDword) & Bind(module, "DBSetDword", SetDword) &
            Bind(module, "DBGetInt", GetInt) & Bind(module, "DBGetShort", GetShort) &
            Bind(module, "DBGetName", GetName) & Bind(module, "DBGetPath", GetPath) &
            Bind(module, "DBEnumOpen", EnumOpen) & Bind(module, "DBEnumNext", EnumNext) &
            Bind(module, "DBEnumReset", EnumReset) & Bind(module, "DBEnumClose", EnumClose) &
            Bind(module, "DBDeleteData", DeleteData) & Bind(module, "DBDeleteSection", DeleteSection) &
            Bind(module, "DBSetupFolders", SetupFolders);
  if (!ok) Unload();
  return ok;
}

void SettingsLibrary::Unload() {
  if (module) FreeLibrary(module);
  module = 0;
}

}  // namespace testsupport
