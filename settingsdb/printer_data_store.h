// Store kinds 0, 7 and 8: the printer's data in the spooler, one value per
// (section, key) named "section_key".
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"

namespace settingsdb::printer_data {

DWORD GetNumber(HANDLE printer, const std::string& name, DWORD* value);
DWORD GetString(HANDLE printer, const std::string& name, char* buffer, DWORD* size);
DWORD GetData(HANDLE printer, const std::string& name, BYTE* buffer, DWORD* size);
DWORD SetNumber(HANDLE printer, const std::string& name, DWORD value);
DWORD SetString(HANDLE printer, const std::string& name, const char* text);
DWORD SetData(HANDLE printer, const std::string& name, const BYTE* data, DWORD count);
DWORD Delete(HANDLE printer, const std::string& name);
// The keys of a section, in the order of the store.
DWORD ListKeys(HANDLE printer, const char* section, std::vector<std::string>& keys);
DWORD DeleteSection(HANDLE printer, const char* section);

}  // namespace settingsdb::printer_data
