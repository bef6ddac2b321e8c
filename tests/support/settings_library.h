// The settings library as the other deliverables bind it: loaded by file name
// with LoadLibrary and every export bound by name with GetProcAddress.
#pragma once

#include <string>

#include "common/settings_binding.h"
#include "common/settings_store.h"

namespace testsupport {

struct SettingsLibrary {
  HMODULE module = 0;
  PFN_DBGetData GetData = nullptr;
  PFN_DBSetData SetData = nullptr;
  PFN_DBGetString GetString = nullptr;
  PFN_DBSetString SetString = nullptr;
  PFN_DBGetDword GetDword = nullptr;
  PFN_DBSetDword SetDword = nullptr;
  PFN_DBGetInt GetInt = nullptr;
  PFN_DBGetShort GetShort = nullptr;
  PFN_DBGetName GetName = nullptr;
  PFN_DBGetPath GetPath = nullptr;
  PFN_DBEnumOpen EnumOpen = nullptr;
  PFN_DBEnumNext EnumNext = nullptr;
  PFN_DBEnumReset EnumReset = nullptr;
  PFN_DBEnumClose EnumClose = nullptr;
  PFN_DBDeleteData DeleteData = nullptr;
  PFN_DBDeleteSection DeleteSection = nullptr;
  PFN_DBSetupFolders SetupFolders = nullptr;

  // Loads "<folder>\zeldb5.dll" (a Windows path) and binds all 17 exports;
  // false when the library or any export is missing.
  bool Load(const std::string& windowsFolder);
  // The bound exports as the driver libraries hold them.
  SettingsFunctions Functions() const;
  void Unload();
};

}  // namespace testsupport
