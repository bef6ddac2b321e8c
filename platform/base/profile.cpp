#include "platform/base/profile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/ini_files.h"
#include "platform/base/machine.h"
#include "platform/base/text_cut.h"

namespace platform {
namespace {

// A file name with no folder in it lives in the Windows folder.
std::string ProfilePath(std::string nameUtf8) {
  if (nameUtf8.find_first_of("\\/:") == std::string::npos) return WindowsDirectory() + "\\" + nameUtf8;
  return nameUtf8;
}

std::string PathOf(LPCSTR fileName) { return ProfilePath(fileName ? Utf8FromAnsi(fileName) : "win.ini"); }
std::string PathOf(LPCWSTR fileName) { return ProfilePath(fileName ? Utf8FromUtf16(Utf16FromZ(fileName)) : "win.ini"); }

std::optional<std::string> AnsiArg(LPCSTR text) {
  if (!text) return std::nullopt;
  return std::string(text);
}
std::optional<std::string> AnsiArg(LPCWSTR text) {
  if (!text) return std::nullopt;
  return FromUtf16(Utf16FromZ(text));
}

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

// What a read answers before it is copied out: one string, or a list of strings.
struct Answer {
  bool isList = false;
  std::string text;
  std::vector<std::string> items;
};

const IniDocument* Open(const IniRead& read) {
  if (!read.document) SetLastError(read.error);
  return read.document.get();
}

Answer QueryString(const std::optional<std::string>& section, const std::optional<std::string>& key,
                   const std::optional<std::string>& defaultValue, const std::string& path) {
  IniRead read = ReadIniFile(path);
  const IniDocument* document = Open(read);
  Answer answer;
  if (!section) {
    answer.isList = true;
    if (document) answer.items = document->SectionNames();
    return answer;
  }
  if (!key) {
    // A missing section answers the default text, an empty one an empty list:
    // callers tell "no such section" from "no keys" by that.
    std::optional<std::vector<std::string>> keys = document ? document->KeyNames(*section) : std::nullopt;
    if (!keys) {
      answer.text = WithoutTrailingBlanks(defaultValue.value_or(std::string()));
      return answer;
    }
    answer.isList = true;
    answer.items = std::move(*keys);
    return answer;
  }
  std::optional<std::string> value = document ? document->Value(*section, *key) : std::nullopt;
  answer.text = value ? std::move(*value) : WithoutTrailingBlanks(defaultValue.value_or(std::string()));
  return answer;
}

UINT ParseProfileInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  UINT value = 0;  // unsigned: digits past 32 bits wrap instead of overflowing
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10u + UINT(text[i] - '0');
  return negative ? 0u - value : value;
}

UINT QueryInt(const std::optional<std::string>& section, const std::optional<std::string>& key, INT defaultValue,
              const std::string& path) {
  if (!section || !key) return static_cast<UINT>(defaultValue);
  IniRead read = ReadIniFile(path);
  const IniDocument* document = Open(read);
  std::optional<std::string> value = document ? document->Value(*section, *key) : std::nullopt;
  if (!value || value->empty()) return static_cast<UINT>(defaultValue);
  return ParseProfileInt(*value);
}

BOOL Write(const std::optional<std::string>& section, const std::optional<std::string>& key,
           const std::optional<std::string>& value, const std::string& path) {
  if (!section) return TRUE;  // a flush: every write is on disk when it returns
  using Kind = IniDocument::NameKind;
  bool namesFile = !path.empty() && path.back() != '\\' && path.back() != '/';
  if (!namesFile || !IniDocument::IsWritableName(*section, Kind::Section) ||
      (key && !IniDocument::IsWritableName(*key, Kind::Key)) ||
      (value && !IniDocument::IsWritableName(*value, Kind::Value))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD error = UpdateIniFile(path, [&](IniDocument& document) {
    if (!key) return document.DeleteSection(*section);
    if (!value) return document.DeleteKey(*section, *key);
    return document.SetValue(*section, *key, *value);
  });
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

template <class Ch>
DWORD CopyString(const std::basic_string<Ch>& value, Ch* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  if (value.size() < size) {
    std::char_traits<Ch>::copy(buffer, value.data(), value.size());
    buffer[value.size()] = 0;
    return static_cast<DWORD>(value.size());
  }
  size_t cut = CutPoint(std::basic_string_view<Ch>(value), size - 1);
  std::char_traits<Ch>::copy(buffer, value.data(), cut);
  std::char_traits<Ch>::assign(buffer + cut, size - cut, Ch(0));
  return size - 1;
}

template <class Ch>
DWORD CopyList(const std::vector<std::basic_string<Ch>>& items, Ch* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  std::basic_string<Ch> joined;
  for (const auto& item : items) {
    joined += item;
    joined.push_back(Ch(0));
  }
  if (joined.empty()) joined.push_back(Ch(0));  // an empty list is two NULs
  joined.push_back(Ch(0));
  if (joined.size() <= size) {
    std::char_traits<Ch>::copy(buffer, joined.data(), joined.size());
    return static_cast<DWORD>(items.empty() ? 0 : joined.size() - 1);
  }
  if (size < 2) {
    buffer[0] = 0;
    return 0;
  }
  size_t cut = CutPoint(std::basic_string_view<Ch>(joined), size - 2);
  std::char_traits<Ch>::copy(buffer, joined.data(), cut);
  std::char_traits<Ch>::assign(buffer + cut, size - cut, Ch(0));
  return size - 2;
}

DWORD CopyAnswer(const Answer& answer, LPSTR buffer, DWORD size) {
  return answer.isList ? CopyList(answer.items, buffer, size) : CopyString(answer.text, buffer, size);
}

DWORD CopyAnswer(const Answer& answer, LPWSTR buffer, DWORD size) {
  if (!answer.isList) return CopyString(ToUtf16(answer.text), buffer, size);
  std::vector<std::u16string> items;
  items.reserve(answer.items.size());
  for (const std::string& item : answer.items) items.push_back(ToUtf16(item));
  return CopyList(items, buffer, size);
}

}  // namespace
}  // namespace platform

using platform::AnsiArg;
using platform::PathOf;

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returned, DWORD size,
                               LPCSTR fileName) {
  if (!returned || size == 0) return 0;
  auto answer = platform::QueryString(AnsiArg(appName), AnsiArg(keyName), AnsiArg(defaultValue), PathOf(fileName));
  return platform::CopyAnswer(answer, returned, size);
}

DWORD GetPrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPWSTR returned, DWORD size,
                               LPCWSTR fileName) {
  if (!returned || size == 0) return 0;
  auto answer = platform::QueryString(AnsiArg(appName), AnsiArg(keyName), AnsiArg(defaultValue), PathOf(fileName));
  return platform::CopyAnswer(answer, returned, size);
}

UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName) {
  return platform::QueryInt(AnsiArg(appName), AnsiArg(keyName), defaultValue, PathOf(fileName));
}

UINT GetPrivateProfileIntW(LPCWSTR appName, LPCWSTR keyName, INT defaultValue, LPCWSTR fileName) {
  return platform::QueryInt(AnsiArg(appName), AnsiArg(keyName), defaultValue, PathOf(fileName));
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName) {
  return platform::Write(AnsiArg(appName), AnsiArg(keyName), AnsiArg(value), PathOf(fileName));
}

BOOL WritePrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR value, LPCWSTR fileName) {
  return platform::Write(AnsiArg(appName), AnsiArg(keyName), AnsiArg(value), PathOf(fileName));
}

DWORD GetPrivateProfileSectionA(LPCSTR appName, LPSTR returned, DWORD size, LPCSTR fileName) {
  if (!returned || size == 0) return 0;
  platform::Answer answer;
  answer.isList = true;
  if (appName) {
    platform::IniRead read = platform::ReadIniFile(PathOf(fileName));
    if (const platform::IniDocument* document = platform::Open(read)) {
      answer.items = document->SectionEntries(appName).value_or(std::vector<std::string>{});
    }
  }
  return platform::CopyAnswer(answer, returned, size);
}

DWORD GetPrivateProfileSectionNamesA(LPSTR returned, DWORD size, LPCSTR fileName) {
  return GetPrivateProfileStringA(nullptr, nullptr, nullptr, returned, size, fileName);
}

UINT GetProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue) {
  return GetPrivateProfileIntA(appName, keyName, defaultValue, nullptr);
}

DWORD GetProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returned, DWORD size) {
  return GetPrivateProfileStringA(appName, keyName, defaultValue, returned, size, nullptr);
}

BOOL WriteProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value) {
  return WritePrivateProfileStringA(appName, keyName, value, nullptr);
}
