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
  bool ok =
      Bind(module, "DBGetData", GetData) & Bind(module, "DBSetData", SetData) & Bind(module, "DBGetString", GetString) &
      Bind(module, "DBSetString", SetString) & Bind(module, "DBGetDword", GetDword) &
      Bind(module, "DBSetDword", SetDword) & Bind(module, "DBGetInt", GetInt) & Bind(module, "DBGetShort", GetShort) &
      Bind(module, "DBGetName", GetName) & Bind(module, "DBGetPath", GetPath) & Bind(module, "DBEnumOpen", EnumOpen) &
      Bind(module, "DBEnumNext", EnumNext) & Bind(module, "DBEnumReset", EnumReset) &
      Bind(module, "DBEnumClose", EnumClose) & Bind(module, "DBDeleteData", DeleteData) &
      Bind(module, "DBDeleteSection", DeleteSection) & Bind(module, "DBSetupFolders", SetupFolders);
  if (!ok) Unload();
  return ok;
}

SettingsFunctions SettingsLibrary::Functions() const {
  SettingsFunctions functions;
  functions.getData = GetData;
  functions.setData = SetData;
  functions.getString = GetString;
  functions.setString = SetString;
  functions.getDword = GetDword;
  functions.setDword = SetDword;
  functions.getInt = GetInt;
  functions.getShort = GetShort;
  functions.getPath = GetPath;
  functions.enumOpen = EnumOpen;
  functions.enumNext = EnumNext;
  functions.enumReset = EnumReset;
  functions.enumClose = EnumClose;
  functions.deleteData = DeleteData;
  functions.deleteSection = DeleteSection;
  functions.setupFolders = SetupFolders;
  return functions;
}

void SettingsLibrary::Unload() {
  if (module) FreeLibrary(module);
  module = 0;
}

}  // namespace testsupport
