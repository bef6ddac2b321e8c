// Store kind 3: the driver data file of the printer (the model description),
// read as an ini file. It is read-only.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"

namespace settingsdb::data_file {

// The data file's path from the printer's level-2 driver information.
DWORD Path(HANDLE printer, std::string& path);
DWORD GetNumber(HANDLE printer, const char* section, const char* key, DWORD* value);
// Text (also for binary reads): cut to the buffer like any ini read; a value with
// two or more "%" is expanded from the file's [Strings] section.
DWORD GetString(HANDLE printer, const char* section, const char* key, char* buffer, DWORD* size);
DWORD ListKeys(HANDLE printer, const char* section, std::vector<std::string>& keys);

// Expands every "%name%" field of a value (fields end at "=", "," and ";") from
// [Strings] of the file; exposed for tests.
std::string ExpandValue(const std::string& value, const std::string& file);

}  // namespace settingsdb::data_file
