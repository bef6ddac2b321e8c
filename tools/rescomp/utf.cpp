#include "tools/rescomp/utf.h"

namespace rescomp {
namespace {

// Decodes the character at text[i]; 0xFFFFFFFF for an invalid sequence (overlong
// forms, surrogates and values above U+10FFFF are invalid).
char32_t Decode(std::string_view text, size_t& i) {
  const unsigned char lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  size_t extra;
  char32_t c;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return 0xFFFFFFFF;
  }
  for (size_t k = 0; k < extra; ++k) {
    if (i >= text.size()) return 0xFFFFFFFF;
    const unsigned char next = static_cast<unsigned char>(text[i++]);
    if ((next & 0xC0) != 0x80) return 0xFFFFFFFF;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFFFFFF;
  return c;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (Decode(text, i) == 0xFFFFFFFF) return false;
  }
  return true;
}

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    char32_t c = Decode(text, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

}  // namespace rescomp
