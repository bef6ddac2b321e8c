// The ANSI and wide forms of a spooler call share one body: the stores keep UTF-16,
// and the ANSI forms convert through the process's ANSI code page at the boundary.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/base/codepage.h"
#include "platform/base/types.h"

namespace platform::spooler {

template <class Char>
inline constexpr bool kIsAnsi = std::is_same_v<Char, CHAR>;

// A caller's string argument; NULL gives nothing.
template <class Char>
std::optional<std::u16string> TextArg(const Char* text) {
  if (!text) return std::nullopt;
  if constexpr (kIsAnsi<Char>) {
    return ToUtf16(text);
  } else {
    return std::u16string(text);
  }
}

// The same where NULL and empty mean the same thing.
template <class Char>
std::u16string TextArgOrEmpty(const Char* text) {
  return TextArg(text).value_or(std::u16string());
}

// A stored string in the caller's width.
template <class Char>
std::basic_string<Char> TextOut(std::u16string_view text) {
  if constexpr (kIsAnsi<Char>) {
    return FromUtf16(text);
  } else {
    return std::u16string(text);
  }
}

}  // namespace platform::spooler
