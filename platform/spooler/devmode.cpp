#include "platform/spooler/devmode.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/base/codepage.h"

namespace platform {
namespace {

constexpr size_t kFormNameA = offsetof(DEVMODEA, dmFormName);
constexpr size_t kFormNameW = offsetof(DEVMODEW, dmFormName);
constexpr size_t kAfterFormNameA = kFormNameA + CCHFORMNAME;
constexpr size_t kAfterFormNameW = kFormNameW + CCHFORMNAME * sizeof(WCHAR);
constexpr size_t kAfterDeviceNameA = offsetof(DEVMODEA, dmSpecVersion);
constexpr size_t kAfterDeviceNameW = offsetof(DEVMODEW, dmSpecVersion);

WORD ReadWord(const BYTE* record, size_t offset) {
  WORD value;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

void WriteWord(BYTE* record, size_t offset, WORD value) { std::memcpy(record + offset, &value, sizeof value); }

// A fixed name field that may lack its terminator when it is full.
std::u16string WideName(const BYTE* field) {
  std::u16string name;
  for (size_t i = 0; i < CCHDEVICENAME; ++i) {
    WCHAR c;
    std::memcpy(&c, field + i * sizeof(WCHAR), sizeof c);
    if (c == 0) break;
    name.push_back(c);
  }
  return name;
}

std::string AnsiName(const BYTE* field) {
  size_t length = 0;
  while (length < CCHDEVICENAME && field[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(field), length);
}

// Names are cut to 31 characters plus the terminator, never inside a surrogate pair.
void PutWideName(BYTE* field, std::u16string name) {
  if (name.size() > CCHDEVICENAME - 1) {
    name.resize(CCHDEVICENAME - 1);
    if (name.back() >= 0xD800 && name.back() <= 0xDBFF) name.pop_back();
  }
  std::memset(field, 0, CCHDEVICENAME * sizeof(WCHAR));
  std::memcpy(field, name.data(), name.size() * sizeof(WCHAR));
}

// ... and never inside a double-byte character.
void PutAnsiName(BYTE* field, const std::string& name) {
  size_t length = 0;
  while (length < name.size()) {
    size_t next = length + CharLengthAnsi(name, length);
    if (next > CCHDEVICENAME - 1) break;
    length = next;
  }
  std::memset(field, 0, CCHDEVICENAME);
  std::memcpy(field, name.data(), length);
}

std::vector<BYTE> CopyWhole(const void* record, WORD size, WORD extra, size_t minimum) {
  if (!record || size < minimum) return {};
  const BYTE* bytes = static_cast<const BYTE*>(record);
  return std::vector<BYTE>(bytes, bytes + size + extra);
}

}  // namespace

std::vector<BYTE> CopyDevModeW(const DEVMODEW* devMode) {
  if (!devMode) return {};
  return CopyWhole(devMode, devMode->dmSize, devMode->dmDriverExtra, kMinDevModeWSize);
}

std::vector<BYTE> CopyDevModeA(const DEVMODEA* devMode) {
  if (!devMode) return {};
  return CopyWhole(devMode, devMode->dmSize, devMode->dmDriverExtra, kMinDevModeASize);
}

std::vector<BYTE> DevModeWFromA(const DEVMODEA* devMode) {
  if (!devMode) return {};
  const BYTE* in = reinterpret_cast<const BYTE*>(devMode);
  size_t sizeA = ReadWord(in, offsetof(DEVMODEA, dmSize));
  size_t extra = ReadWord(in, offsetof(DEVMODEA, dmDriverExtra));
  if (sizeA < kMinDevModeASize || (sizeA > kFormNameA && sizeA < kAfterFormNameA)) return {};
  bool hasFormName = sizeA >= kAfterFormNameA;
  size_t sizeW = sizeA + CCHDEVICENAME + (hasFormName ? CCHFORMNAME : 0);
  if (sizeW > 0xFFFF) return {};

  std::vector<BYTE> out(sizeW + extra, 0);
  PutWideName(out.data(), ToUtf16(AnsiName(in)));
  std::memcpy(out.data() + kAfterDeviceNameW, in + kAfterDeviceNameA, std::min(sizeA, kFormNameA) - kAfterDeviceNameA);
  if (hasFormName) {
    PutWideName(out.data() + kFormNameW, ToUtf16(AnsiName(in + kFormNameA)));
    std::memcpy(out.data() + kAfterFormNameW, in + kAfterFormNameA, sizeA - kAfterFormNameA);
  }
  std::memcpy(out.data() + sizeW, in + sizeA, extra);
  WriteWord(out.data(), offsetof(DEVMODEW, dmSize), static_cast<WORD>(sizeW));
  return out;
}

std::vector<BYTE> DevModeAFromW(const DEVMODEW* devMode) {
  if (!devMode) return {};
  const BYTE* in = reinterpret_cast<const BYTE*>(devMode);
  size_t sizeW = ReadWord(in, offsetof(DEVMODEW, dmSize));
  size_t extra = ReadWord(in, offsetof(DEVMODEW, dmDriverExtra));
  if (sizeW < kMinDevModeWSize || (sizeW > kFormNameW && sizeW < kAfterFormNameW)) return {};
  bool hasFormName = sizeW >= kAfterFormNameW;
  size_t sizeA = sizeW - CCHDEVICENAME - (hasFormName ? CCHFORMNAME : 0);

  std::vector<BYTE> out(sizeA + extra, 0);
  PutAnsiName(out.data(), FromUtf16(WideName(in)));
  std::memcpy(out.data() + kAfterDeviceNameA, in + kAfterDeviceNameW, std::min(sizeW, kFormNameW) - kAfterDeviceNameW);
  if (hasFormName) {
    PutAnsiName(out.data() + kFormNameA, FromUtf16(WideName(in + kFormNameW)));
    std::memcpy(out.data() + kAfterFormNameA, in + kAfterFormNameW, sizeW - kAfterFormNameW);
  }
  std::memcpy(out.data() + sizeA, in + sizeW, extra);
  WriteWord(out.data(), offsetof(DEVMODEA, dmSize), static_cast<WORD>(sizeA));
  return out;
}

}  // namespace platform
