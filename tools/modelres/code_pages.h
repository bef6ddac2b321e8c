// Text in the driver's code page, and the glyph sets of the Far East printer
// fonts: which Unicode characters the printer's code page has and the code the
// printer takes for each.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace modelres {

struct CodePageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// UTF-8 text in the code page (an iconv name); throws when a character has no code.
std::string ToCodePage(const std::string& utf8, const std::string& codePage);

// The stored glyph set of a code page: a 16-byte header (0, accelerator flags,
// characters, runs), 8 bytes per run of consecutive characters (first character,
// count, 0) and then a 32-bit printer code per character, all little-endian.
// Single-byte codes are the byte, double-byte codes lead byte * 256 + trail byte.
std::vector<uint8_t> GlyphSetBytes(const std::string& codePage);

}  // namespace modelres
