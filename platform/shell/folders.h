// Shell folders and the path helpers the package uses. Path helpers work on ANSI
// text and are DBCS-aware: a 0x5C trail byte is never taken for a backslash.
#pragma once

#include "platform/base/types.h"

#define CSIDL_PERSONAL 0x0005
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROFILE 0x0028
#define CSIDL_FLAG_CREATE 0x8000
#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

// path must hold MAX_PATH characters.
ZEL_EXTERN_C HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);
ZEL_EXTERN_C HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);

ZEL_EXTERN_C BOOL PathAppendA(LPSTR path, LPCSTR more);
ZEL_EXTERN_C LPSTR PathAddBackslashA(LPSTR path);
ZEL_EXTERN_C BOOL PathRemoveFileSpecA(LPSTR path);
ZEL_EXTERN_C LPSTR PathFindFileNameA(LPCSTR path);
ZEL_EXTERN_C BOOL PathFileExistsA(LPCSTR path);
