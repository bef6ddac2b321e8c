// The ANSI registry calls: names and string data in the process's code page,
// converted whole before any backslash is looked for (0x5C is a valid trail byte
// in code page 932), and lengths counted in ANSI bytes.
#include <algorithm>

#include "platform/base/codepage.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_data.h"
#include "platform/registry/registry_keys.h"
#include "platform/registry/registry_operations.h"

using namespace platform::registry;

namespace {

std::u16string Wide(LPCSTR text) { return text ? platform::ToUtf16(text, CP_ACP) : std::u16string(); }
std::string Ansi(std::u16string_view text) { return platform::FromUtf16(text, CP_ACP); }

}  // namespace

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD options, REGSAM desired, struct _SECURITY_ATTRIBUTES*,
                     PHKEY result, LPDWORD disposition) {
  return Guarded([&] { return CreateKey(key, Wide(subKey), options, desired, result, disposition); });
}

// The old calls always hand out a new handle, also for an empty path: closing it
// then never closes the caller's own key.
LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  return Guarded(
      [&] { return CreateKey(key, Wide(subKey), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, result, nullptr); });
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  return Guarded([&] { return OpenKey(key, Wide(subKey), desired, result); });
}

LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  return Guarded([&] { return OpenKey(key, Wide(subKey), KEY_ALL_ACCESS, result); });
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  return Guarded([&]() -> LONG {
    if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    StoredValue value;
    if (LONG status = ReadValue(key, Wide(valueName), value)) return status;
    if (type) *type = value.type;
    return CopyData(AnsiFromStored(value.type, value.data), data, dataSize);
  });
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  return Guarded([&]() -> LONG {
    if (!data && dataSize) return ERROR_NOACCESS;
    return WriteValue(key, Wide(valueName), type, StoredFromAnsi(type, data, dataSize));
  });
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
  return Guarded([&] { return DeleteValue(key, Wide(valueName)); });
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  return Guarded([&]() -> LONG {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    return DeleteKey(key, Wide(subKey));
  });
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameChars, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize) {
  return Guarded([&]() -> LONG {
    if (reserved || !valueName || !valueNameChars || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    StoredValue value;
    if (LONG status = ValueByIndex(key, index, value)) return status;
    if (LONG status = CopyName(std::string_view(Ansi(value.name)), valueName, valueNameChars)) return status;
    if (type) *type = value.type;
    return CopyData(AnsiFromStored(value.type, value.data), data, dataSize);
  });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved, LPSTR keyClass,
                   LPDWORD classChars, PFILETIME lastWriteTime) {
  return Guarded([&]() -> LONG {
    if (reserved || !name || !nameChars || (keyClass && !classChars)) return ERROR_INVALID_PARAMETER;
    KeyRecord subkey;
    if (LONG status = SubkeyByIndex(key, index, subkey)) return status;
    if (LONG status = CopyName(std::string_view(Ansi(subkey.name)), name, nameChars)) return status;
    if (keyClass) {
      if (LONG status = CopyName(std::string_view(), keyClass, classChars)) return status;
    }
    StoreFileTime(subkey.lastWrite, lastWriteTime);
    return ERROR_SUCCESS;
  });
}

// The longest name and data are measured in ANSI bytes, so buffers sized from
// them hold what RegEnumValueA hands out (a kanji is one UTF-16 unit but two bytes).
LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classChars, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyChars, LPDWORD maxClassChars, LPDWORD values, LPDWORD maxValueNameChars,
                      LPDWORD maxValueBytes, LPDWORD securityDescriptorBytes, PFILETIME lastWriteTime) {
  return Guarded([&]() -> LONG {
    if (reserved || (keyClass && !classChars)) return ERROR_INVALID_PARAMETER;
    KeySummary summary;
    if (LONG status = SummarizeKey(key, summary)) return status;
    if (keyClass) {
      if (LONG status = CopyName(std::string_view(), keyClass, classChars)) return status;
    } else if (classChars) {
      *classChars = 0;
    }
    KeyMeasures measures;
    measures.subkeys = summary.subkeyNames.size();
    measures.values = summary.values.size();
    measures.lastWrite = summary.lastWrite;
    for (const std::u16string& name : summary.subkeyNames) {
      measures.longestSubkey = std::max(measures.longestSubkey, Ansi(name).size());
    }
    for (const StoredValue& value : summary.values) {
      measures.longestValueName = std::max(measures.longestValueName, Ansi(value.name).size());
      measures.longestData = std::max(measures.longestData, AnsiFromStored(value.type, value.data).size());
    }
    ReportKeyInfo(measures, subKeys, maxSubKeyChars, maxClassChars, values, maxValueNameChars, maxValueBytes,
                  securityDescriptorBytes, lastWriteTime);
    return ERROR_SUCCESS;
  });
}
