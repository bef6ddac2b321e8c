#include "interface/records/section_keys.h"

#include "interface/app/library_state.h"
#include "model/settings_text.h"
#include "platform/base/errors.h"

int CountSectionKeys(HANDLE printer, int kind, const char* section) {
  if (!section) return 0;
  std::optional<std::vector<std::string>> keys = records::ListSectionKeys(printer, kind, section);
  return keys ? static_cast<int>(keys->size()) : 0;
}

namespace records {

std::optional<std::vector<std::string>> ListSectionKeys(HANDLE printer, int kind, const char* section) {
  if (!section) return std::nullopt;
  return modelsettings::SectionKeys(LibrarySettings(), printer, kind, section);
}

std::optional<std::string> ReadSettingText(HANDLE printer, int kind, const char* section, const char* key,
                                           DWORD bufferSize) {
  if (!section || !key || bufferSize < 2) return std::nullopt;
  return modelsettings::ReadText(LibrarySettings(), printer, kind, section, key, bufferSize, true);
}

bool SettingExists(HANDLE printer, int kind, const char* section, const char* key) {
  if (!section || !key) return false;
  BYTE probe[1];
  DWORD size = sizeof probe;
  const DWORD rc = LibrarySettings().GetData(printer, kind, section, key, probe, &size);
  return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA;
}

}  // namespace records
