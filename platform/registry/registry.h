// The registry of the stand-in machine: Win32 Reg* calls over the machine database.
// Key and value names are matched without regard to case and keep the case they
// were stored with. Strings are kept as UTF-16; the ANSI calls convert with the
// process's code page and count ANSI bytes. Every write is one transaction, so
// several processes can share the registry and a crash never leaves half a value.
#pragma once

#include "platform/base/types.h"
#include "platform/base/value_types.h"

typedef DWORD REGSAM;
struct _SECURITY_ATTRIBUTES;  // defined with the file calls; only passed through here

// Predefined keys: HKCU is the current user's hive (the same key as
// HKEY_USERS\<user>); HKCR is HKLM\Software\Classes.
#define HKEY_CLASSES_ROOT ((HKEY)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)0x80000002u)
#define HKEY_USERS ((HKEY)0x80000003u)

// Access rights of a key handle (the generic rights, DELETE and the like, come
// with the file calls; the combined masks are spelled out here).
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x00020019
#define KEY_EXECUTE 0x00020019
#define KEY_WRITE 0x00020006
#define KEY_ALL_ACCESS 0x000F003F

// RegCreateKeyEx options and dispositions. A volatile key is kept like any
// other: the stand-in machine never reboots.
#define REG_OPTION_RESERVED 0x00000000L
#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_OPTION_VOLATILE 0x00000001L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

ZEL_EXTERN_C LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                  REGSAM desired, struct _SECURITY_ATTRIBUTES* security, PHKEY result,
                                  LPDWORD disposition);
ZEL_EXTERN_C LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                                  REGSAM desired, struct _SECURITY_ATTRIBUTES* security, PHKEY result,
                                  LPDWORD disposition);
ZEL_EXTERN_C LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result);
ZEL_EXTERN_C LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
ZEL_EXTERN_C LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
ZEL_EXTERN_C LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
ZEL_EXTERN_C LONG RegCloseKey(HKEY key);
ZEL_EXTERN_C LONG RegFlushKey(HKEY key);

ZEL_EXTERN_C LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                   LPDWORD dataSize);
ZEL_EXTERN_C LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                   LPDWORD dataSize);
ZEL_EXTERN_C LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                 DWORD dataSize);
ZEL_EXTERN_C LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                 DWORD dataSize);
ZEL_EXTERN_C LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
ZEL_EXTERN_C LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
ZEL_EXTERN_C LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);
ZEL_EXTERN_C LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);

// Name lengths are in characters (CHARs, i.e. bytes, for the ANSI calls): in, the
// buffer's size with the terminator; out, the name's length without it.
ZEL_EXTERN_C LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameChars, LPDWORD reserved,
                                LPDWORD type, LPBYTE data, LPDWORD dataSize);
ZEL_EXTERN_C LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameChars, LPDWORD reserved,
                                LPDWORD type, LPBYTE data, LPDWORD dataSize);
ZEL_EXTERN_C LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved, LPSTR keyClass,
                                LPDWORD classChars, PFILETIME lastWriteTime);
ZEL_EXTERN_C LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved,
                                LPWSTR keyClass, LPDWORD classChars, PFILETIME lastWriteTime);
ZEL_EXTERN_C LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classChars, LPDWORD reserved, LPDWORD subKeys,
                                   LPDWORD maxSubKeyChars, LPDWORD maxClassChars, LPDWORD values,
                                   LPDWORD maxValueNameChars, LPDWORD maxValueBytes, LPDWORD securityDescriptorBytes,
                                   PFILETIME lastWriteTime);
ZEL_EXTERN_C LONG RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classChars, LPDWORD reserved, LPDWORD subKeys,
                                   LPDWORD maxSubKeyChars, LPDWORD maxClassChars, LPDWORD values,
                                   LPDWORD maxValueNameChars, LPDWORD maxValueBytes, LPDWORD securityDescriptorBytes,
                                   PFILETIME lastWriteTime);
