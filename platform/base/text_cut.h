// Cutting text to fit a buffer without splitting a character: neither a
// double-byte ANSI character nor a UTF-16 surrogate pair is ever cut in half,
// since half a character would swallow whatever is appended to the text later.
#pragma once

#include <string_view>

#include "platform/base/codepage.h"

namespace platform {

// How many units of text to keep so that at most limit are kept and the last
// character is whole. An ANSI lead byte followed by NUL (or by nothing) counts
// as a character of its own.
inline size_t CutPoint(std::string_view ansi, size_t limit) {
  size_t i = 0;
  while (i < ansi.size()) {
    size_t length = (i + 1 < ansi.size() && ansi[i + 1] != 0 && IsDBCSLeadByte(static_cast<BYTE>(ansi[i]))) ? 2 : 1;
    if (i + length > limit) break;
    i += length;
  }
  return i;
}

inline size_t CutPoint(std::u16string_view text, size_t limit) {
  if (limit >= text.size()) return text.size();
  if (limit > 0 && text[limit - 1] >= 0xD800 && text[limit - 1] <= 0xDBFF) return limit - 1;
  return limit;
}

}  // namespace platform
