// The document name and the slip-sheet command text come from the application
// and the user's settings; they go into a quoted PJL string and a DSC comment
// line. A quote would end the PJL string early and a CR, LF or ESC would end
// the line (or the PJL context) and let the rest of the text stand as printer
// commands, so those bytes are replaced before the text is formatted. The cut
// at the length limit keeps whole characters: a lead byte left without its
// trail byte would swallow the closing quote or the line end on a printer that
// reads the ANSI code page.
#include <algorithm>

#include "graphics/output/job/job_name_text.h"
#include "platform/base/codepage.h"

namespace {

// The length of the character at text[i] (1, 2, or up to 4 for UTF-8), or 0
// when it is a lead byte whose trail bytes are missing or cannot be trail bytes.
size_t CharacterLength(UINT codePage, std::string_view text, size_t i) {
  const BYTE lead = static_cast<BYTE>(text[i]);
  if (codePage == CP_UTF8) {
    if (lead < 0x80) return 1;
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<BYTE>(text[i + k]) & 0xC0) != 0x80) return 0;
    }
    return length;
  }
  if (!IsDBCSLeadByteEx(codePage, lead)) return 1;
  if (i + 1 >= text.size()) return 0;
  // Trail bytes of the double-byte code pages start at 0x40; a control byte,
  // blank or quote after a lead byte means the character was cut.
  const BYTE trail = static_cast<BYTE>(text[i + 1]);
  if (trail < 0x40 || trail == 0x7F) return 0;
  return 2;
}

size_t CleanLineText(char* out, size_t capacity, std::string_view text, size_t maxBytes, bool keepQuotes) {
  if (out == nullptr || capacity == 0) return 0;
  const size_t limit = std::min(maxBytes, capacity - 1);
  const UINT codePage = GetACP();
  size_t used = 0;
  for (size_t i = 0; i < text.size() && text[i] != '\0';) {
    const size_t length = CharacterLength(codePage, text, i);
    if (length == 0) {
      ++i;  // a cut character: drop its lead byte
      continue;
    }
    if (used + length > limit) break;
    if (length == 1) {
      const BYTE byte = static_cast<BYTE>(text[i]);
      char kept = text[i];
      if (byte < 0x20 || byte == 0x7F) {
        kept = ' ';
      } else if (byte == '"' && !keepQuotes) {
        kept = '\'';
      }
      out[used++] = kept;
    } else {
      std::copy_n(text.data() + i, length, out + used);
      used += length;
    }
    i += length;
  }
  out[used] = '\0';
  return used;
}

}  // namespace

size_t MakeJobNameText(char* out, size_t capacity, std::string_view name, size_t maxBytes) {
  return CleanLineText(out, capacity, name, maxBytes, false);
}

size_t MakeJobLineSuffixText(char* out, size_t capacity, std::string_view text) {
  return CleanLineText(out, capacity, text, capacity, true);
}
