// The version of Windows the stand-in machine reports. It is Windows 10 (NT
// 10.0), so callers take their newest paths; a test may make it report another
// NT version to reach the paths older systems take.
#pragma once

#include "platform/base/types.h"

#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *LPOSVERSIONINFOA;

// FALSE (ERROR_INSUFFICIENT_BUFFER) unless dwOSVersionInfoSize names the record's size.
ZEL_EXTERN_C BOOL GetVersionExA(LPOSVERSIONINFOA info);

namespace platform {

// For the whole process; (0, 0) restores the default.
void SetReportedWindowsVersion(DWORD major, DWORD minor);

}  // namespace platform
