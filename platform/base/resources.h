// Resources of a module: string tables, bitmaps, the version block and data of
// the module's own types, compiled into the module by tools/rescomp (see
// resource_format.h) and found through the module handle. A NULL module is the
// program. Handles of resources (HRSRC, and the HGLOBAL LoadResource gives) stay
// valid while their module is loaded; the bytes are read-only.
#pragma once

#include <optional>
#include <span>

#include "platform/base/types.h"

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_FONTDIR MAKEINTRESOURCEA(7)
#define RT_FONT MAKEINTRESOURCEA(8)
#define RT_ACCELERATOR MAKEINTRESOURCEA(9)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEA(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)
#define RT_HTML MAKEINTRESOURCEA(23)
#define RT_MANIFEST MAKEINTRESOURCEA(24)

#ifndef LANG_NEUTRAL
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define LANG_JAPANESE 0x11
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_JAPANESE_JAPAN 0x01
#define MAKELANGID(primary, sub) ((LANGID)((((WORD)(sub)) << 10) | (WORD)(primary)))
#define PRIMARYLANGID(language) ((WORD)(language)&0x3ff)
#define SUBLANGID(language) ((WORD)(language) >> 10)
#endif

// FindResource tries the machine's language, then neutral, then English, then any;
// FindResourceEx wants the language given (or its primary language), unless it is neutral.
ZEL_EXTERN_C HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
ZEL_EXTERN_C HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
ZEL_EXTERN_C HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
ZEL_EXTERN_C HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language);
ZEL_EXTERN_C HGLOBAL LoadResource(HMODULE module, HRSRC resource);
ZEL_EXTERN_C LPVOID LockResource(HGLOBAL resource);
ZEL_EXTERN_C DWORD SizeofResource(HMODULE module, HRSRC resource);
ZEL_EXTERN_C BOOL FreeResource(HGLOBAL resource);

// String `id` of the machine's language, else of the other language, in the ANSI
// code page: at most bufferMax - 1 bytes (never half a double-byte character) and
// a NUL; answers the bytes copied, 0 with an empty buffer for a missing id.
ZEL_EXTERN_C int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
// The same in UTF-16. With bufferMax 0, *buffer receives a read-only pointer to the
// string (not NUL-terminated) and the answer is its length.
ZEL_EXTERN_C int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);

namespace platform {

// Pointer and size of a resource at once (what EngFindResource answers); nothing
// when the module has no such resource (last error set as FindResource sets it).
std::optional<std::span<const unsigned char>> FindModuleResource(HMODULE module, LPCSTR name, LPCSTR type);

}  // namespace platform
