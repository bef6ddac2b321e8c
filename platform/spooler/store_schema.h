// How the spooler's records lie in the machine database: names and paths as UTF-8
// text with a folded key beside them (names are matched without regard to case but
// keep their case); printer-data names and values as UTF-16 bytes, so a value comes
// back exactly as it was stored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/types.h"

namespace platform::spooler {

std::string StoredText(std::u16string_view text);
std::u16string TextFromStored(std::string_view text);
// The key a printer, driver or connection name is found by.
std::string NameKey(std::u16string_view name);

// UTF-16 little-endian bytes, as printer data keeps strings and value names.
std::vector<BYTE> Utf16Bytes(std::u16string_view text);
std::u16string Utf16FromBytes(const BYTE* bytes, size_t size);
// The key a printer-data value name is found by.
std::vector<BYTE> DataNameKey(std::u16string_view name);

}  // namespace platform::spooler
