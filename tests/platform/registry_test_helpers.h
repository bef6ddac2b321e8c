// Small helpers shared by the registry tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/registry/registry.h"

namespace regtest {

using Bytes = std::vector<uint8_t>;

// Closes the key when the test is done with it.
class Key {
 public:
  Key() = default;
  ~Key() { Close(); }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }
  operator HKEY() const { return key_; }
  PHKEY put() {
    Close();
    return &key_;
  }
  HKEY release() {
    HKEY key = key_;
    key_ = 0;
    return key;
  }
  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = 0;
  }

 private:
  HKEY key_ = 0;
};

inline Bytes RawBytes(const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  return Bytes(bytes, bytes + size);
}

// UTF-16LE bytes of the text, with every character given (embedded NULs too).
inline Bytes Utf16Bytes(std::u16string_view text) {
  Bytes bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

inline Bytes AnsiBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Code page 932 bytes of UTF-8 text.
inline std::string Cp932(const char* utf8) { return platform::FromUtf16(platform::Utf16FromUtf8(utf8), 932); }

struct Read {
  LONG status = -1;
  DWORD type = 0xFFFFFFFF;
  Bytes data;
};

// Asks for the size first, then reads into a buffer of exactly that size.
inline Read QueryW(HKEY key, const char16_t* name) {
  Read read;
  DWORD size = 0;
  read.status = RegQueryValueExW(key, name, nullptr, &read.type, nullptr, &size);
  if (read.status != ERROR_SUCCESS) return read;
  read.data.resize(size);
  read.status = RegQueryValueExW(key, name, nullptr, &read.type, read.data.data(), &size);
  read.data.resize(size);
  return read;
}

inline Read QueryA(HKEY key, const char* name) {
  Read read;
  DWORD size = 0;
  read.status = RegQueryValueExA(key, name, nullptr, &read.type, nullptr, &size);
  if (read.status != ERROR_SUCCESS) return read;
  read.data.resize(size);
  read.status = RegQueryValueExA(key, name, nullptr, &read.type, read.data.data(), &size);
  read.data.resize(size);
  return read;
}

inline LONG SetW(HKEY key, const char16_t* name, DWORD type, const Bytes& data) {
  return RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

inline LONG SetA(HKEY key, const char* name, DWORD type, const Bytes& data) {
  return RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

inline LONG SetDword(HKEY key, const char16_t* name, DWORD value) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

inline DWORD DwordOf(const Read& read) {
  DWORD value = 0;
  if (read.data.size() == sizeof value) std::memcpy(&value, read.data.data(), sizeof value);
  return value;
}

// Names of the key's values (or subkeys) in enumeration order, through the wide calls.
inline std::vector<std::u16string> ValueNamesW(HKEY key) {
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    char16_t name[256];
    DWORD chars = 256;
    LONG status = RegEnumValueW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
      EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
      break;
    }
    names.emplace_back(name, chars);
  }
  return names;
}

inline std::vector<std::u16string> SubkeyNamesW(HKEY key) {
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    char16_t name[256];
    DWORD chars = 256;
    LONG status = RegEnumKeyExW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
      EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
      break;
    }
    names.emplace_back(name, chars);
  }
  return names;
}

}  // namespace regtest
