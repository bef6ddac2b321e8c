#include "shellext/driver_files.h"

#include <vector>

#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/module_folder.h"
#include "platform/base/modules.h"
#include "shellext/module_state.h"
#include "shellext/printer_queries.h"
#include "shellext/shell_ext_ids.h"

namespace shellext {

std::string ModuleFolder() {
  HMODULE module = ModuleInstance();
  if (!module) module = platform::ModuleFromAddress(reinterpret_cast<void*>(&ModuleFolder));
  return platform::ModuleFolder(module);
}

std::string PackageFile(const std::string& dataFolder, const char* fileName) {
  const std::string beside = dataFolder + fileName;
  const DWORD attributes = GetFileAttributesA(beside.c_str());
  if (!dataFolder.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return beside;
  }
  return ModuleFolder() + fileName;
}

SettingsLibrary::SettingsLibrary(const std::string& dataFolder) {
  module_ = LoadLibraryA(PackageFile(dataFolder, kSettingsLibrary).c_str());
  if (!module_) return;
  // Through void(*)(): the exports' types are known only by their names.
  getDword_ = reinterpret_cast<PFN_DBGetDword>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "DBGetDword")));
  getString_ = reinterpret_cast<PFN_DBGetString>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "DBGetString")));
}

SettingsLibrary::~SettingsLibrary() {
  if (module_) FreeLibrary(module_);
}

bool SettingsLibrary::GetDword(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD& value) const {
  return getDword_ && getDword_(printer, kind, section, key, &value) == ERROR_SUCCESS;
}

bool SettingsLibrary::GetString(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD size,
                                std::string& text) const {
  if (!getString_ || size == 0) return false;
  std::vector<char> buffer(size, '\0');
  DWORD length = size;
  if (getString_(printer, kind, section, key, buffer.data(), &length) != ERROR_SUCCESS) return false;
  buffer.back() = '\0';
  text = buffer.data();
  return true;
}

}  // namespace shellext
