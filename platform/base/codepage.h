// Code pages over iconv. The process's ANSI code page is 932 (Japanese) unless a
// test changes it; 1252, 42 (symbol), 50220-50222 (ISO-2022-JP) and UTF-8 are
// supported too. In code page 932 the backslash 0x5C and ASCII letters are valid
// trail bytes, so every split, search and case fold here is DBCS-aware.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_SYMBOL 42
#define CP_UTF7 65000
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_COMPOSITECHECK 0x00000200
#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

ZEL_EXTERN_C UINT GetACP(void);
ZEL_EXTERN_C UINT GetOEMCP(void);
ZEL_EXTERN_C int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceBytes, LPWSTR target,
                                     int targetChars);
ZEL_EXTERN_C int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceChars, LPSTR target,
                                     int targetBytes, LPCSTR defaultChar, LPBOOL usedDefaultChar);
ZEL_EXTERN_C BOOL IsDBCSLeadByte(BYTE testChar);
ZEL_EXTERN_C BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);
ZEL_EXTERN_C LPSTR CharNextA(LPCSTR current);
ZEL_EXTERN_C LPSTR CharPrevA(LPCSTR start, LPCSTR current);
ZEL_EXTERN_C LPSTR CharUpperA(LPSTR text);
ZEL_EXTERN_C DWORD CharUpperBuffA(LPSTR text, DWORD length);
ZEL_EXTERN_C LPSTR CharLowerA(LPSTR text);
ZEL_EXTERN_C int lstrlenA(LPCSTR text);
ZEL_EXTERN_C int lstrlenW(LPCWSTR text);
ZEL_EXTERN_C int lstrcmpA(LPCSTR a, LPCSTR b);
ZEL_EXTERN_C int lstrcmpiA(LPCSTR a, LPCSTR b);
ZEL_EXTERN_C int lstrcmpW(LPCWSTR a, LPCWSTR b);
ZEL_EXTERN_C int lstrcmpiW(LPCWSTR a, LPCWSTR b);
ZEL_EXTERN_C LPSTR lstrcpynA(LPSTR target, LPCSTR source, int maxChars);
ZEL_EXTERN_C LPWSTR lstrcpynW(LPWSTR target, LPCWSTR source, int maxChars);
ZEL_EXTERN_C LPSTR lstrcpyA(LPSTR target, LPCSTR source);
ZEL_EXTERN_C LPSTR lstrcatA(LPSTR target, LPCSTR source);

namespace platform {

// Sets the process's ANSI code page (932 at start; ZEL_CODEPAGE overrides).
// Answers false for a code page the stand-in does not carry.
bool SetAnsiCodePage(UINT codePage);
UINT AnsiCodePage();
bool IsSupportedCodePage(UINT codePage);

// Whole-string conversions; invalid input is replaced as MultiByteToWideChar does.
std::u16string ToUtf16(std::string_view text, UINT codePage = CP_ACP);
std::string FromUtf16(std::u16string_view text, UINT codePage = CP_ACP, bool* usedDefault = nullptr);
std::string Utf8FromAnsi(std::string_view ansi);
std::string AnsiFromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view text);
std::u16string Utf16FromUtf8(std::string_view text);
std::u16string Utf16FromZ(LPCWSTR text);  // NULL gives an empty string

// The number of bytes of `text` (at most `maxBytes`) that end on a whole
// character of the ANSI code page: a cut never leaves a lead byte without its
// trail byte.
size_t WholeCharacterPrefix(std::string_view text, size_t maxBytes);

// Case folding for names matched without regard to case (registry, printer data,
// files). Folds whole characters, never the trail byte of a DBCS character.
char16_t FoldChar(char16_t c);
std::u16string FoldCase(std::u16string_view text);
std::string FoldCaseAnsi(std::string_view ansi);  // ANSI in, ANSI out, ASCII letters only
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCaseAnsi(std::string_view a, std::string_view b);
bool EqualsNoCaseUtf8(std::string_view a, std::string_view b);

// DBCS-aware searches in ANSI text: the last (or first) position of a single-byte
// character that is not the trail byte of a double-byte one; npos when absent.
size_t FindLastCharAnsi(std::string_view ansi, char c);
size_t FindFirstCharAnsi(std::string_view ansi, char c);
// Length of the character that starts at text[index] (1 or 2).
size_t CharLengthAnsi(std::string_view ansi, size_t index);

}  // namespace platform
