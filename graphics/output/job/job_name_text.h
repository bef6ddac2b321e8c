// The job name and the slip-sheet command text, made safe to stand inside a
// quoted PJL string and a DSC comment line.
#pragma once

#include <cstddef>
#include <string_view>

// The longest job name written into a PJL or DSC line.
constexpr size_t kJobNameMaxBytes = 80;

// The job name as it may stand inside a quoted PJL string and a DSC comment
// line: a double quote becomes an apostrophe, control bytes (below 32, and 127)
// become blanks, a lead byte without its trail byte is dropped, and the text is
// cut to at most maxBytes bytes (and capacity-1) without splitting a character
// of the ANSI code page; every other byte is kept. out is always terminated
// when capacity > 0; the result is the length written.
size_t MakeJobNameText(char* out, size_t capacity, std::string_view name, size_t maxBytes = kJobNameMaxBytes);

// The slip-sheet command text that follows the quoted name on the PJL job
// line, made safe to stand on that line: control bytes become blanks and a
// lead byte without its trail byte is dropped; quotes stay (the text carries
// its own PJL options). At most capacity-1 bytes, terminated.
size_t MakeJobLineSuffixText(char* out, size_t capacity, std::string_view text);
