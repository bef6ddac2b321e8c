// Store kinds 1, 5, 6 (the current user's key) and 2 (the machine's key): one
// registry key per section under "Software\TOVK\Calyxon\3D5\", one value per key.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"
#include "settingsdb/address.h"

namespace settingsdb::registry_store {

DWORD GetNumber(Store store, const char* section, const char* key, DWORD* value);
DWORD GetString(Store store, const char* section, const char* key, char* buffer, DWORD* size);
DWORD GetData(Store store, const char* section, const char* key, BYTE* buffer, DWORD* size);
DWORD SetNumber(Store store, const char* section, const char* key, DWORD value);
DWORD SetString(Store store, const char* section, const char* key, const char* text);
DWORD SetData(Store store, const char* section, const char* key, const BYTE* data, DWORD count);
DWORD Delete(Store store, const char* section, const char* key);
DWORD ListKeys(Store store, const char* section, std::vector<std::string>& keys);
DWORD DeleteSection(Store store, const char* section);

}  // namespace settingsdb::registry_store
