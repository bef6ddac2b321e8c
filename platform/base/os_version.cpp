#include "platform/base/os_version.h"

#include <atomic>
#include <cstring>

#include "platform/base/errors.h"

namespace {
constexpr DWORD kDefaultMajor = 10;
constexpr DWORD kDefaultMinor = 0;
std::atomic<DWORD> g_major{kDefaultMajor};
std::atomic<DWORD> g_minor{kDefaultMinor};
}  // namespace

void platform::SetReportedWindowsVersion(DWORD major, DWORD minor) {
  const bool reset = major == 0 && minor == 0;
  g_major = reset ? kDefaultMajor : major;
  g_minor = reset ? kDefaultMinor : minor;
}

ZEL_EXTERN_C BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memset(reinterpret_cast<BYTE*>(info) + sizeof(DWORD), 0, sizeof *info - sizeof(DWORD));
  info->dwMajorVersion = g_major;
  info->dwMinorVersion = g_minor;
  info->dwBuildNumber = g_major >= 10 ? 19045 : 7601;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  return TRUE;
}
