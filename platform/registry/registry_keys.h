// Key handles: what an HKEY names (a predefined key or an opened key), the access
// it was opened with, and the splitting of subkey paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/machine_db.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_store.h"

namespace platform::registry {

// What a handle names at the time of a call.
struct KeyRef {
  KeyId id = 0;
  REGSAM access = 0;
};

bool IsPredefinedKey(HKEY key);

// Finds the key behind a handle. The keys behind the predefined handles (the
// current user's hive, HKLM\Software\Classes) are created on first use, so call
// this before opening a read scope. Answers ERROR_INVALID_HANDLE for a handle that
// is not an open key, ERROR_KEY_DELETED for a key of another machine root.
LONG ResolveKey(db::Session& session, HKEY key, KeyRef& ref);

// A new handle to the key with the access asked for (generic rights mapped).
HKEY OpenKeyHandle(KeyId id, REGSAM desired);
// ERROR_INVALID_HANDLE for a handle that is no open key; predefined keys stay open.
LONG CloseKeyHandle(HKEY key);

// Splits "Software\Maker\Product" into its names. A trailing backslash and empty
// levels are ignored; a leading backslash answers ERROR_BAD_PATHNAME and a name
// longer than 255 characters ERROR_INVALID_PARAMETER.
LONG SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& names);

// Tree roots and user hives cannot be deleted.
bool IsHiveKey(db::Session& session, KeyId key);

}  // namespace platform::registry
