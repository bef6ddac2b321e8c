#include "settingsdb/printer_data_store.h"

#include <cstring>
#include <new>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"
#include "settingsdb/address.h"

namespace settingsdb::printer_data {
namespace {

// Value names cross the spooler as UTF-16 converted from the ANSI code page, so
// the string, number and data calls all address the same value.
std::u16string WideName(const std::string& name) { return platform::ToUtf16(name); }

LPWSTR Name(std::u16string& wide) { return const_cast<LPWSTR>(wide.c_str()); }

// Every value name of the printer, in the order of the store.
DWORD ListValueNames(HANDLE printer, std::vector<std::string>& names) {
  DWORD longestName = 0;
  DWORD longestData = 0;
  DWORD rc = EnumPrinterDataW(printer, 0, nullptr, 0, &longestName, nullptr, nullptr, 0, &longestData);
  if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return rc;
  std::vector<WCHAR> name(longestName / sizeof(WCHAR) + 2);
  std::vector<BYTE> data(longestData + 1);
  for (DWORD index = 0;;) {
    DWORD nameBytes = 0;
    DWORD dataBytes = 0;
    DWORD type = 0;
    rc = EnumPrinterDataW(printer, index, name.data(), static_cast<DWORD>(name.size() * sizeof(WCHAR)), &nameBytes,
                          &type, data.data(), static_cast<DWORD>(data.size()), &dataBytes);
    if (rc == ERROR_MORE_DATA) {
      // Another writer stored a longer value since the probe: grow and ask again.
      name.resize(std::max<size_t>(name.size(), nameBytes / sizeof(WCHAR) + 2));
      data.resize(std::max<size_t>(data.size(), dataBytes + 1));
      if (nameBytes / sizeof(WCHAR) + 2 > name.size() || dataBytes + 1 > data.size()) return rc;
      continue;
    }
    if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    names.push_back(platform::FromUtf16(platform::Utf16FromZ(name.data())));
    ++index;
  }
}

}  // namespace

DWORD GetNumber(HANDLE printer, const std::string& name, DWORD* value) {
  std::u16string wide = WideName(name);
  DWORD type = 0;
  DWORD needed = 0;
  DWORD number = 0;
  DWORD rc = GetPrinterDataW(printer, Name(wide), &type, reinterpret_cast<BYTE*>(&number), sizeof number, &needed);
  if (rc != ERROR_SUCCESS) return rc;
  if (type != REG_DWORD) return ERROR_INVALID_DATATYPE;
  *value = number;
  return ERROR_SUCCESS;
}

DWORD GetString(HANDLE printer, const std::string& name, char* buffer, DWORD* size) {
  const DWORD capacity = *size;
  std::memset(buffer, 0, capacity);
  std::u16string wide = WideName(name);
  std::vector<BYTE> work;
  try {
    work.resize(static_cast<size_t>(capacity) * 2);
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
  DWORD type = 0;
  DWORD needed = 0;
  DWORD rc = GetPrinterDataW(printer, Name(wide), &type, work.data(), static_cast<DWORD>(work.size()), &needed);
  if (rc != ERROR_SUCCESS) {
    if (rc == ERROR_MORE_DATA) *size = needed;
    return rc;
  }
  if (type != REG_SZ) return ERROR_INVALID_DATATYPE;
  std::u16string text(reinterpret_cast<const char16_t*>(work.data()), needed / sizeof(char16_t));
  if (size_t end = text.find(u'\0'); end != std::u16string::npos) text.resize(end);
  std::string ansi = platform::FromUtf16(text);
  *size = needed;
  if (ansi.size() + 1 > capacity) {
    // Double-byte text can need more ANSI bytes than the caller's buffer holds even
    // when its UTF-16 form fit the work buffer: report it instead of cutting it.
    *size = static_cast<DWORD>(ansi.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::memcpy(buffer, ansi.c_str(), ansi.size() + 1);
  return ERROR_SUCCESS;
}

DWORD GetData(HANDLE printer, const std::string& name, BYTE* buffer, DWORD* size) {
  std::u16string wide = WideName(name);
  DWORD type = 0;
  DWORD needed = 0;
  DWORD rc = GetPrinterDataW(printer, Name(wide), &type, buffer, *size, &needed);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) *size = needed;
  return rc;
}

DWORD SetNumber(HANDLE printer, const std::string& name, DWORD value) {
  std::u16string wide = WideName(name);
  return SetPrinterDataW(printer, Name(wide), REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
}

DWORD SetString(HANDLE printer, const std::string& name, const char* text) {
  std::u16string wide = WideName(name);
  std::u16string value;
  try {
    value = platform::ToUtf16(text);
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
  return SetPrinterDataW(printer, Name(wide), REG_SZ, reinterpret_cast<BYTE*>(const_cast<char16_t*>(value.c_str())),
                         static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
}

DWORD SetData(HANDLE printer, const std::string& name, const BYTE* data, DWORD count) {
  std::u16string wide = WideName(name);
  return SetPrinterDataW(printer, Name(wide), REG_BINARY, const_cast<BYTE*>(data), count);
}

DWORD Delete(HANDLE printer, const std::string& name) {
  std::u16string wide = WideName(name);
  return DeletePrinterDataW(printer, Name(wide));
}

DWORD ListKeys(HANDLE printer, const char* section, std::vector<std::string>& keys) {
  std::vector<std::string> names;
  DWORD rc = ListValueNames(printer, names);
  if (rc != ERROR_SUCCESS) return rc;
  // A section owns the values named "section_..." only: a bare prefix test would
  // hand section "Font" the values of "FontList" as mangled keys.
  std::string prefix = PrinterSectionPrefix(section);
  for (const std::string& name : names) {
    if (InPrinterSection(name, prefix)) keys.push_back(name.substr(prefix.size()));
  }
  return ERROR_SUCCESS;
}

DWORD DeleteSection(HANDLE printer, const char* section) {
  std::vector<std::string> names;
  DWORD rc = ListValueNames(printer, names);
  if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;  // a printer without data
  if (rc != ERROR_SUCCESS) return rc;
  // The names are collected first: deleting shifts the later values down by one
  // index, and a walk by index would skip every value after a deleted one.
  std::string prefix = PrinterSectionPrefix(section);
  for (const std::string& name : names) {
    if (!InPrinterSection(name, prefix)) continue;
    rc = Delete(printer, name);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return rc;  // gone already: fine
  }
  return ERROR_SUCCESS;
}

}  // namespace settingsdb::printer_data
