// The wide registry calls.
#include <algorithm>

#include "platform/base/codepage.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_data.h"
#include "platform/registry/registry_keys.h"
#include "platform/registry/registry_operations.h"

using namespace platform::registry;
using platform::Utf16FromZ;

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD options, REGSAM desired,
                     struct _SECURITY_ATTRIBUTES*, PHKEY result, LPDWORD disposition) {
  return Guarded([&] { return CreateKey(key, Utf16FromZ(subKey), options, desired, result, disposition); });
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  return Guarded([&] { return OpenKey(key, Utf16FromZ(subKey), desired, result); });
}

LONG RegCloseKey(HKEY key) {
  return Guarded([&] { return CloseKeyHandle(key); });
}

LONG RegFlushKey(HKEY key) {
  return Guarded([&] { return FlushKey(key); });
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  return Guarded([&]() -> LONG {
    if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    StoredValue value;
    if (LONG status = ReadValue(key, Utf16FromZ(valueName), value)) return status;
    if (type) *type = value.type;
    return CopyData(value.data, data, dataSize);
  });
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  return Guarded([&]() -> LONG {
    if (!data && dataSize) return ERROR_NOACCESS;
    return WriteValue(key, Utf16FromZ(valueName), type, StoredFromWide(type, data, dataSize));
  });
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  return Guarded([&] { return DeleteValue(key, Utf16FromZ(valueName)); });
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  return Guarded([&]() -> LONG {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    return DeleteKey(key, subKey);
  });
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameChars, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize) {
  return Guarded([&]() -> LONG {
    if (reserved || !valueName || !valueNameChars || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    StoredValue value;
    if (LONG status = ValueByIndex(key, index, value)) return status;
    if (LONG status = CopyName(std::u16string_view(value.name), valueName, valueNameChars)) return status;
    if (type) *type = value.type;
    return CopyData(value.data, data, dataSize);
  });
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR keyClass,
                   LPDWORD classChars, PFILETIME lastWriteTime) {
  return Guarded([&]() -> LONG {
    if (reserved || !name || !nameChars || (keyClass && !classChars)) return ERROR_INVALID_PARAMETER;
    KeyRecord subkey;
    if (LONG status = SubkeyByIndex(key, index, subkey)) return status;
    if (LONG status = CopyName(std::u16string_view(subkey.name), name, nameChars)) return status;
    // Keys carry no class here.
    if (keyClass) {
      if (LONG status = CopyName(std::u16string_view(), keyClass, classChars)) return status;
    }
    StoreFileTime(subkey.lastWrite, lastWriteTime);
    return ERROR_SUCCESS;
  });
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classChars, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyChars, LPDWORD maxClassChars, LPDWORD values, LPDWORD maxValueNameChars,
                      LPDWORD maxValueBytes, LPDWORD securityDescriptorBytes, PFILETIME lastWriteTime) {
  return Guarded([&]() -> LONG {
    if (reserved || (keyClass && !classChars)) return ERROR_INVALID_PARAMETER;
    KeySummary summary;
    if (LONG status = SummarizeKey(key, summary)) return status;
    if (keyClass) {
      if (LONG status = CopyName(std::u16string_view(), keyClass, classChars)) return status;
    } else if (classChars) {
      *classChars = 0;
    }
    KeyMeasures measures;
    measures.subkeys = summary.subkeyNames.size();
    measures.values = summary.values.size();
    measures.lastWrite = summary.lastWrite;
    for (const std::u16string& name : summary.subkeyNames) {
      measures.longestSubkey = std::max(measures.longestSubkey, name.size());
    }
    for (const StoredValue& value : summary.values) {
      measures.longestValueName = std::max(measures.longestValueName, value.name.size());
      measures.longestData = std::max(measures.longestData, value.data.size());
    }
    ReportKeyInfo(measures, subKeys, maxSubKeyChars, maxClassChars, values, maxValueNameChars, maxValueBytes,
                  securityDescriptorBytes, lastWriteTime);
    return ERROR_SUCCESS;
  });
}
