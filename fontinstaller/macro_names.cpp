#include "fontinstaller/macro_names.h"

#include <cstring>

#include "fontinstaller/download.h"
#include "platform/base/codepage.h"

namespace fontinstaller {

MacroNameCheck CheckMacroName(const std::string& name) {
  if (name.empty()) return MacroNameCheck::kEmpty;
  bool forbidden = false;
  for (unsigned char c : name) {
    // Bytes of 0x80 and above are lead or trail bytes of double-byte characters
    // (or no character at all) except the single-byte katakana.
    if (c >= 0x80 && !(c >= 0xA1 && c <= 0xDF && !IsDBCSLeadByte(c))) return MacroNameCheck::kNotSingleByte;
    if (c < 0x20 || c == 0x7F || std::strchr(" \\/:*?\"<>|", c)) forbidden = true;
  }
  if (forbidden) return MacroNameCheck::kForbidden;
  if (name.size() > 16) return MacroNameCheck::kTooLong;
  return MacroNameCheck::kValid;
}

bool IsValidMacroName(const std::string& name) { return CheckMacroName(name) == MacroNameCheck::kValid; }

}  // namespace fontinstaller
