#include "platform/registry/registry_data.h"

#include <cstring>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/registry/registry.h"

namespace platform::registry {
namespace {

std::u16string Terminated(DWORD type, std::u16string text) {
  if (type == REG_MULTI_SZ) {
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    text.append(2, u'\0');
  } else {
    size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
    text.push_back(u'\0');
  }
  return text;
}

std::vector<uint8_t> Utf16Bytes(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

std::u16string Utf16Text(const uint8_t* bytes, size_t size) {
  std::u16string text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(char16_t(bytes[i] | (bytes[i + 1] << 8)));
  return text;
}

}  // namespace

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::vector<uint8_t> StoredFromWide(DWORD type, const BYTE* data, DWORD size) {
  if (!data) return IsStringType(type) ? Utf16Bytes(Terminated(type, {})) : std::vector<uint8_t>();
  if (!IsStringType(type)) return std::vector<uint8_t>(data, data + size);
  return Utf16Bytes(Terminated(type, Utf16Text(data, size)));
}

std::vector<uint8_t> StoredFromAnsi(DWORD type, const BYTE* data, DWORD size) {
  if (!data) return StoredFromWide(type, nullptr, 0);
  if (!IsStringType(type)) return std::vector<uint8_t>(data, data + size);
  std::string_view ansi(reinterpret_cast<const char*>(data), size);
  return Utf16Bytes(Terminated(type, ToUtf16(ansi, CP_ACP)));
}

std::vector<uint8_t> AnsiFromStored(DWORD type, const std::vector<uint8_t>& stored) {
  if (!IsStringType(type)) return stored;
  std::string ansi = FromUtf16(Utf16Text(stored.data(), stored.size()), CP_ACP);
  return std::vector<uint8_t>(ansi.begin(), ansi.end());
}

LONG CopyData(const std::vector<uint8_t>& bytes, LPBYTE data, LPDWORD size) {
  if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(bytes.size());
  if (data) {
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    if (needed) std::memcpy(data, bytes.data(), needed);
  }
  *size = needed;
  return ERROR_SUCCESS;
}

namespace {
template <class Char>
LONG CopyNameTo(std::basic_string_view<Char> name, Char* buffer, LPDWORD chars) {
  if (!buffer || !chars) return ERROR_INVALID_PARAMETER;
  if (name.size() >= *chars) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.data(), name.size() * sizeof(Char));
  buffer[name.size()] = Char(0);
  *chars = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}
}  // namespace

LONG CopyName(std::u16string_view name, LPWSTR buffer, LPDWORD chars) { return CopyNameTo(name, buffer, chars); }
LONG CopyName(std::string_view name, LPSTR buffer, LPDWORD chars) { return CopyNameTo(name, buffer, chars); }

}  // namespace platform::registry
