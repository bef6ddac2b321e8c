// wsprintf: the small printf of the window library. No floating point; the
// output is at most 1024 characters including the terminator (a longer result is
// cut there, never in the middle of a character); the answer is the count written
// without the terminator.
//
// Conversions: %d %i %u %x %X %c %s %S %p %%, with the flags "-", "0", "#"
// ("0x"/"0X" before hexadecimal), a width and a precision (the most characters
// of a string, the fewest digits of a number), either of them "*". The prefix "l"
// means 32 bits and "h" 16 bits (DWORD arguments are 32-bit; nothing is ever
// read as 64-bit). In wsprintfA "%s"/"%hs"/"%c" are ANSI and "%S"/"%ls"/"%C"/"%lc"
// wide (converted to ANSI); wsprintfW the other way round. A NULL string prints
// "(null)". An unknown conversion prints its letter.
#pragma once

#include <cstdarg>

#include "platform/base/types.h"

ZEL_EXTERN_C int wsprintfA(LPSTR buffer, LPCSTR format, ...);
ZEL_EXTERN_C int wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments);
ZEL_EXTERN_C int wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
ZEL_EXTERN_C int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list arguments);
