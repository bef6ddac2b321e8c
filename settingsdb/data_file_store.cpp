#include "settingsdb/data_file_store.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/ini_files.h"
#include "platform/base/machine.h"
#include "platform/base/profile.h"
#include "platform/base/text_cut.h"
#include "platform/spooler/spooler.h"

namespace settingsdb::data_file {
namespace {

constexpr size_t kWorkBuffer = 128;  // every field and its replacement pass through 128 bytes
constexpr size_t kPathBuffer = 260;
// Room for a level-2 driver record of ordinary paths, so that a read asks the
// spooler once instead of asking for the size first.
constexpr size_t kDriverInfoBuffer = 2048;

// Cuts ANSI text to at most maxBytes bytes without splitting a double-byte character.
void CutAnsi(std::string& text, size_t maxBytes) { text.resize(platform::CutPoint(text, maxBytes)); }

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

using Document = std::shared_ptr<const platform::IniDocument>;

// The file as the profile functions read it (a name without a folder lives in the
// Windows folder); null when it cannot be read, so that every key reads as missing.
Document ReadFile(const std::string& ansiPath) {
  std::string path = platform::Utf8FromAnsi(ansiPath);
  if (path.find_first_of("\\/:") == std::string::npos) path = platform::WindowsDirectory() + "\\" + path;
  return platform::ReadIniFile(path).document;
}

// One parsed snapshot of the printer's data file: every lookup of one call (the
// value and each of its %name% replacements) reads the same snapshot, and the file
// is checked for changes once per call rather than once per lookup.
DWORD OpenDataFile(HANDLE printer, Document& document) {
  std::string file;
  DWORD rc = Path(printer, file);
  if (rc != ERROR_SUCCESS) return rc;
  document = ReadFile(file);
  return ERROR_SUCCESS;
}

std::optional<std::string> Value(const Document& document, const char* section, const char* key) {
  return document ? document->Value(section, key) : std::nullopt;
}

// A name of [Strings], or the name itself where it has no entry.
std::string Lookup(const Document& document, const std::string& name) {
  std::string text = Value(document, "Strings", name.c_str()).value_or(WithoutTrailingBlanks(name));
  CutAnsi(text, kWorkBuffer - 1);
  return text;
}

std::string Expand(const std::string& value, const Document& document) {
  std::string result;
  size_t start = 0;
  for (;;) {
    size_t end = value.find_first_of("=,;", start);
    std::string token = value.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t first = token.find_first_not_of(" \t");
    token = first == std::string::npos ? std::string() : token.substr(first);
    CutAnsi(token, kWorkBuffer - 1);
    if (token.size() >= 2 && token.front() == '%' && token.back() == '%') {
      size_t close = token.find('%', 1);
      std::string name = token.substr(1, close - 1);
      // A field of percent signs alone names nothing and stays as it is.
      if (!name.empty()) token = Lookup(document, name);
    }
    result += token;
    if (end == std::string::npos) break;
    result += value[end];
    start = end + 1;
  }
  return result;
}

}  // namespace

DWORD Path(HANDLE printer, std::string& path) {
  if (printer == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR_INVALID_HANDLE;
  }
  DWORD needed = 0;
  alignas(DRIVER_INFO_2A) BYTE first[kDriverInfoBuffer];
  if (GetPrinterDriverA(printer, nullptr, 2, first, sizeof first, &needed)) {
    const auto* driver = reinterpret_cast<const DRIVER_INFO_2A*>(first);
    path = driver->pDataFile ? driver->pDataFile : "";
    CutAnsi(path, kPathBuffer - 1);
    return ERROR_SUCCESS;
  }
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_INVALID_DATA;
  }
  std::vector<BYTE> info;
  for (int attempt = 0; attempt < 3; ++attempt) {
    try {
      info.assign(std::max<DWORD>(needed, sizeof(DRIVER_INFO_2A)), 0);
    } catch (const std::bad_alloc&) {
      return ERROR_OUTOFMEMORY;
    }
    if (GetPrinterDriverA(printer, nullptr, 2, info.data(), static_cast<DWORD>(info.size()), &needed)) {
      const auto* driver = reinterpret_cast<const DRIVER_INFO_2A*>(info.data());
      path = driver->pDataFile ? driver->pDataFile : "";
      CutAnsi(path, kPathBuffer - 1);
      return ERROR_SUCCESS;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_INVALID_DATA;
}

DWORD GetNumber(HANDLE printer, const char* section, const char* key, DWORD* value) {
  std::string file;
  DWORD rc = Path(printer, file);
  if (rc != ERROR_SUCCESS) return rc;
  INT number = static_cast<INT>(GetPrivateProfileIntA(section, key, -1, file.c_str()));
  *value = static_cast<DWORD>(number);
  return number == -1 ? ERROR_NO_DATA : ERROR_SUCCESS;
}

std::string ExpandValue(const std::string& value, const std::string& file) { return Expand(value, ReadFile(file)); }

DWORD GetString(HANDLE printer, const char* section, const char* key, char* buffer, DWORD* size) {
  Document document;
  DWORD rc = OpenDataFile(printer, document);
  if (rc != ERROR_SUCCESS) return rc;
  // The whole value is read first, so a missing key reads as missing at every
  // buffer size.
  std::optional<std::string> found = Value(document, section, key);
  if (!found) {
    if (*size > 0) buffer[0] = 0;
    return ERROR_NO_DATA;
  }
  std::string& value = *found;
  const DWORD capacity = *size;
  if (std::count(value.begin(), value.end(), '%') >= 2) {
    std::string expanded = Expand(value, document);
    if (expanded.size() + 1 > capacity) {
      // An expanded value that does not fit is reported, never silently cut.
      std::string cut = expanded;
      CutAnsi(cut, capacity ? capacity - 1 : 0);
      if (capacity > 0) std::memcpy(buffer, cut.c_str(), cut.size() + 1);
      *size = static_cast<DWORD>(expanded.size() + 1);
      return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, expanded.c_str(), expanded.size() + 1);
    *size = static_cast<DWORD>(expanded.size());
    return ERROR_SUCCESS;
  }
  // A plain value is cut to the buffer as the ini reader always cut it; callers
  // that need whole long values size their buffers for them.
  CutAnsi(value, capacity ? capacity - 1 : 0);
  if (capacity > 0) std::memcpy(buffer, value.c_str(), value.size() + 1);
  *size = static_cast<DWORD>(value.size());
  return ERROR_SUCCESS;
}

DWORD ListKeys(HANDLE printer, const char* section, std::vector<std::string>& keys) {
  Document document;
  DWORD rc = OpenDataFile(printer, document);
  if (rc != ERROR_SUCCESS) return rc;
  std::optional<std::vector<std::string>> names = document ? document->KeyNames(section) : std::nullopt;
  if (!names) return ERROR_NO_MORE_ITEMS;
  for (std::string& name : *names) {
    if (!name.empty()) keys.push_back(std::move(name));
  }
  return ERROR_SUCCESS;
}

}  // namespace settingsdb::data_file
