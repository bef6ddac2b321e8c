// Value data between callers and the store. Strings (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) are stored as UTF-16 and always with their terminators, so a
// reader never gets a string it has to terminate itself; other types are kept as
// the bytes given.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/base/types.h"

namespace platform::registry {

bool IsStringType(DWORD type);

// Stored form of data written through the wide calls. A single string ends at its
// first terminator; a string list keeps its strings and ends with two terminators;
// an odd last byte of a string is dropped.
std::vector<uint8_t> StoredFromWide(DWORD type, const BYTE* data, DWORD size);
// Stored form of data written through the ANSI calls (ANSI code page bytes, with
// or without terminator).
std::vector<uint8_t> StoredFromAnsi(DWORD type, const BYTE* data, DWORD size);
// What the ANSI calls hand back: strings in the ANSI code page with their terminators.
std::vector<uint8_t> AnsiFromStored(DWORD type, const std::vector<uint8_t>& stored);

// Hands data out with the Win32 buffer rules: no buffer answers the size; a short
// buffer answers ERROR_MORE_DATA with the size needed and is left alone.
LONG CopyData(const std::vector<uint8_t>& bytes, LPBYTE data, LPDWORD size);

// Hands a name out: *chars is the buffer's size with the terminator on the way in
// and the name's length without it on the way out. A short buffer answers
// ERROR_MORE_DATA and leaves buffer and count alone.
LONG CopyName(std::u16string_view name, LPWSTR buffer, LPDWORD chars);
LONG CopyName(std::string_view name, LPSTR buffer, LPDWORD chars);

}  // namespace platform::registry
