// The keys of a settings section, and reading one text setting whole.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"

// The number of keys of the section; 0 when it cannot be enumerated.
int CountSectionKeys(HANDLE printer, int kind, const char* section);

namespace records {

// The key names of the section in the store's order; nothing when the section
// cannot be enumerated (a missing registry section enumerates as empty).
std::optional<std::vector<std::string>> ListSectionKeys(HANDLE printer, int kind, const char* section);

// The text of one setting read into bufferSize bytes; nothing when the store
// answers an error or the text fills the whole buffer (it may have been cut, and
// a cut record must not pass for a whole one).
std::optional<std::string> ReadSettingText(HANDLE printer, int kind, const char* section, const char* key,
                                           DWORD bufferSize);

// Whether the setting exists, whatever its size (a value too long for any
// buffer still exists).
bool SettingExists(HANDLE printer, int kind, const char* section, const char* key);

}  // namespace records
