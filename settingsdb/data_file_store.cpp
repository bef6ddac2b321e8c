#include "settingsdb/data_file_store.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/profile.h"
#include "platform/base/text_cut.h"
#include "platform/spooler/spooler.h"

namespace settingsdb::data_file {
namespace {

// The default of every ini read: a text no model description holds, so getting it
// back means "no such key".
constexpr char kSentinel[] = "!@#$%^&*()";
constexpr size_t kWorkBuffer = 128;  // every field and its replacement pass through 128 bytes
constexpr size_t kPathBuffer = 260;

// Cuts ANSI text to at most maxBytes bytes without splitting a double-byte character.
void CutAnsi(std::string& text, size_t maxBytes) { text.resize(platform::CutPoint(text, maxBytes)); }

// The whole value of a key, however long, or nothing when the key is absent.
bool ReadWhole(const std::string& file, const char* section, const char* key, std::string& value) {
  std::vector<char> buffer(1024);
  for (;;) {
    DWORD length = GetPrivateProfileStringA(section, key, kSentinel, buffer.data(),
                                            static_cast<DWORD>(buffer.size()), file.c_str());
    if (length + 1 < buffer.size()) {
      value.assign(buffer.data(), length);
      return value != kSentinel;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string Lookup(const std::string& file, const std::string& name) {
  char answer[kWorkBuffer] = {};
  GetPrivateProfileStringA("Strings", name.c_str(), name.c_str(), answer, sizeof answer, file.c_str());
  std::string text(answer);
  CutAnsi(text, kWorkBuffer - 1);
  return text;
}

}  // namespace

DWORD Path(HANDLE printer, std::string& path) {
  if (printer == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR_INVALID_HANDLE;
  }
  DWORD needed = 0;
  GetPrinterDriverA(printer, nullptr, 2, nullptr, 0, &needed);
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

std::string ExpandValue(const std::string& value, const std::string& file) {
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
      if (!name.empty()) token = Lookup(file, name);
    }
    result += token;
    if (end == std::string::npos) break;
    result += value[end];
    start = end + 1;
  }
  return result;
}

DWORD GetString(HANDLE printer, const char* section, const char* key, char* buffer, DWORD* size) {
  std::string file;
  DWORD rc = Path(printer, file);
  if (rc != ERROR_SUCCESS) return rc;
  std::string value;
  // The whole value is read first, so that a short buffer can never turn the cut
  // sentinel into a value: a missing key reads as missing at every buffer size.
  if (!ReadWhole(file, section, key, value)) {
    if (*size > 0) buffer[0] = 0;
    return ERROR_NO_DATA;
  }
  const DWORD capacity = *size;
  if (std::count(value.begin(), value.end(), '%') >= 2) {
    std::string expanded = ExpandValue(value, file);
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
  std::string file;
  DWORD rc = Path(printer, file);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<char> buffer(1000);
  DWORD length = 0;
  for (;;) {
    length = GetPrivateProfileStringA(section, nullptr, kSentinel, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      file.c_str());
    if (length + 2 < buffer.size()) break;
    buffer.resize(buffer.size() + 1000);
  }
  if (length == sizeof kSentinel - 1 && std::strcmp(buffer.data(), kSentinel) == 0) return ERROR_NO_MORE_ITEMS;
  for (size_t pos = 0; pos < length;) {
    std::string name(buffer.data() + pos);
    pos += name.size() + 1;
    if (!name.empty()) keys.push_back(std::move(name));
  }
  return ERROR_SUCCESS;
}

}  // namespace settingsdb::data_file
