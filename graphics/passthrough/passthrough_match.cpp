// The known lines of application PostScript and their matching across calls:
// an application may split a line between two passthrough calls.
#include <cstring>

#include "graphics/passthrough/app_postscript_filter.h"

namespace {

constexpr const char* kKnownLines[2] = {
    "PDFVars begin PDF begin PDFVars/InitAll get exec",  // a page of the document reader starts
    "% Removing the following ten lines",
};

}  // namespace

const char* PassthroughLineText(int row) { return kKnownLines[row == 1 ? 1 : 0]; }

DWORD PassthroughLineLength(int row) { return static_cast<DWORD>(std::strlen(PassthroughLineText(row))); }

DWORD MatchPassthroughLine(const BYTE* data, DWORD length, int row, PassthroughMatch& state) {
  if (state.result == kLinePartialAtEnd) {
    const char* text = PassthroughLineText(state.row);
    const DWORD need = PassthroughLineLength(state.row) - state.matched;
    const DWORD compare = length < need ? length : need;
    if (std::memcmp(data, text + state.matched, compare) != 0) {
      state.result = kLineBroken;
      return 0;
    }
    if (compare == need) {
      state.result = kLineCompleted;
      state.matched += need;
      return need;
    }
    state.matched += compare;
    return 0;
  }
  const char* text = PassthroughLineText(row);
  const DWORD textLength = PassthroughLineLength(row);
  for (DWORD start = 0; start < length; ++start) {
    const DWORD available = length - start;
    const DWORD compare = available < textLength ? available : textLength;
    if (std::memcmp(data + start, text, compare) != 0) continue;
    state.row = row;
    state.matched = compare;
    state.result = compare == textLength ? kLineMatched : kLinePartialAtEnd;
    return start;
  }
  state.result = kLineNoMatch;
  state.matched = 0;
  return length;
}
