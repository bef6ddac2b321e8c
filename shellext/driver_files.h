// The package's files the extension starts or loads. They lie in the folder of
// the driver's data file; where the machine keeps the data file apart from the
// package (the stand-in spooler keeps its own copy), they are taken from the
// extension's own folder, which the package installed them in.
#pragma once

#include <string>

#include "common/settings_store.h"
#include "platform/base/types.h"

namespace shellext {

// The extension module's own folder, with its closing backslash.
std::string ModuleFolder();
// The Windows path of a package file for a driver whose data file lies in `dataFolder`.
std::string PackageFile(const std::string& dataFolder, const char* fileName);

// The settings library with the two reads the menu needs; both must be there.
class SettingsLibrary {
 public:
  explicit SettingsLibrary(const std::string& dataFolder);
  ~SettingsLibrary();
  SettingsLibrary(const SettingsLibrary&) = delete;
  SettingsLibrary& operator=(const SettingsLibrary&) = delete;
  explicit operator bool() const { return getDword_ && getString_; }

  bool GetDword(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD& value) const;
  // The text, cut to size - 1 bytes; false when it cannot be read.
  bool GetString(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD size,
                 std::string& text) const;

 private:
  HMODULE module_ = 0;
  PFN_DBGetDword getDword_ = nullptr;
  PFN_DBGetString getString_ = nullptr;
};

}  // namespace shellext
