// The registry calls in UTF-16 terms, shared by the wide and the ANSI entry
// points. They answer Win32 codes for what a caller did wrong and throw db::Error
// when the database fails; every entry point runs them through Guarded, so no
// exception ever crosses a Win32 function.
#pragma once

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/machine_db.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_store.h"

namespace platform::registry {

LONG ErrorFromDatabase(const db::Error& error);

template <class Body>
LONG Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const db::Error& error) {
    return ErrorFromDatabase(error);
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  } catch (...) {
    return ERROR_REGISTRY_IO_FAILED;
  }
}

// subKey empty: a new handle to the key itself. *result is 0 on failure.
LONG CreateKey(HKEY key, std::u16string_view subKey, DWORD options, REGSAM desired, PHKEY result, LPDWORD disposition);
LONG OpenKey(HKEY key, std::u16string_view subKey, REGSAM desired, PHKEY result);
// subKey empty: the key of the handle itself.
LONG DeleteKey(HKEY key, std::u16string_view subKey);

LONG ReadValue(HKEY key, std::u16string_view name, StoredValue& value);
// data is already in stored form (see registry_data.h).
LONG WriteValue(HKEY key, std::u16string_view name, DWORD type, const std::vector<uint8_t>& data);
LONG DeleteValue(HKEY key, std::u16string_view name);

// ERROR_NO_MORE_ITEMS past the end.
LONG ValueByIndex(HKEY key, DWORD index, StoredValue& value);
LONG SubkeyByIndex(HKEY key, DWORD index, KeyRecord& subkey);

// Everything RegQueryInfoKey reports, for the caller to measure in its own units.
struct KeySummary {
  std::vector<std::u16string> subkeyNames;
  std::vector<StoredValue> values;
  int64_t lastWrite = 0;
};
LONG SummarizeKey(HKEY key, KeySummary& summary);

// RegQueryInfoKey's figures, measured by the wide or the ANSI caller.
struct KeyMeasures {
  size_t subkeys = 0;
  size_t longestSubkey = 0;
  size_t values = 0;
  size_t longestValueName = 0;
  size_t longestData = 0;
  int64_t lastWrite = 0;
};
void ReportKeyInfo(const KeyMeasures& measures, LPDWORD subKeys, LPDWORD maxSubKeyChars, LPDWORD maxClassChars,
                   LPDWORD values, LPDWORD maxValueNameChars, LPDWORD maxValueBytes, LPDWORD securityDescriptorBytes,
                   PFILETIME lastWriteTime);

LONG FlushKey(HKEY key);

void StoreFileTime(int64_t ticks, PFILETIME time);

}  // namespace platform::registry
