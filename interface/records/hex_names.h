// Names kept as value names in their hexadecimal form (watermarks, profiles): the
// text's bytes as upper-case digit pairs, so that any ANSI text, blanks and
// backslashes included, makes a valid key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace records {

// Two upper-case digits per byte.
std::string HexName(std::string_view text);

// The text of a hexadecimal name: nothing unless the name is an even number of
// digits (either case) that decodes to 1..maxBytes bytes, none of them zero. A
// name that is not one of ours, or whose text would not fit the record's field,
// is refused rather than decoded into other text.
std::optional<std::string> TextOfHexName(std::string_view name, size_t maxBytes);

}  // namespace records
