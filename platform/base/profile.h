// The profile (ini file) functions. A file name without a path names a file in
// the Windows folder; NULL names win.ini there. Paths are Windows paths (ANSI in
// the "A" calls), matched without regard to case. Sections and keys are matched
// without regard to case; the file's text is ANSI.
//
// Reading: a missing key (or file or section) copies the default, trailing blanks
// removed. A value that does not fit is cut to size-1 characters and the call
// answers size-1 (a double-byte character or a surrogate pair is never split:
// the cut then falls one short, the rest of the buffer is zero). A NULL key lists
// the section's key names, a NULL section the section names, each NUL-terminated
// and the list ended by a second NUL; a list that does not fit is cut, ended by
// two NULs, and the call answers size-2.
//
// Writing: a NULL key deletes the section, a NULL value deletes the key, a NULL
// section only flushes (there is nothing buffered). Every other line and comment
// of the file stays as it was; the file is replaced atomically. Names or values
// that could not be read back as written (line breaks, "=" in a key, "]" in a
// section name, an empty name) are refused with ERROR_INVALID_PARAMETER.
#pragma once

#include "platform/base/types.h"

ZEL_EXTERN_C DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returned,
                                            DWORD size, LPCSTR fileName);
ZEL_EXTERN_C DWORD GetPrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue, LPWSTR returned,
                                            DWORD size, LPCWSTR fileName);
// Leading blanks, an optional sign and decimal digits up to the first other
// character ("0x10" is 0); a missing key or an empty value answers the default.
// Digits beyond 32 bits wrap, so a DWORD written in decimal reads back whole.
ZEL_EXTERN_C UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName);
ZEL_EXTERN_C UINT GetPrivateProfileIntW(LPCWSTR appName, LPCWSTR keyName, INT defaultValue, LPCWSTR fileName);
ZEL_EXTERN_C BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName);
ZEL_EXTERN_C BOOL WritePrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR value, LPCWSTR fileName);
// "key=value" strings of a section (a key line without "=" gives "key"), listed
// as the key names are.
ZEL_EXTERN_C DWORD GetPrivateProfileSectionA(LPCSTR appName, LPSTR returned, DWORD size, LPCSTR fileName);
ZEL_EXTERN_C DWORD GetPrivateProfileSectionNamesA(LPSTR returned, DWORD size, LPCSTR fileName);

// The same on win.ini in the Windows folder.
ZEL_EXTERN_C UINT GetProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue);
ZEL_EXTERN_C DWORD GetProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returned, DWORD size);
ZEL_EXTERN_C BOOL WriteProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value);
