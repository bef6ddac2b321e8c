// The rule for macro names: they become file names on the printer's disk inside
// PJL commands, so only plain single-byte characters may reach them.
#pragma once

#include <string>

namespace fontinstaller {

enum class MacroNameCheck {
  kValid,
  kEmpty,
  kTooLong,        // more than 16 characters
  kNotSingleByte,  // a double-byte character, or a byte that is no character
  kForbidden,      // a control character, DEL, or one of  \ / : * ? " < > |  and blank
};

MacroNameCheck CheckMacroName(const std::string& name);

}  // namespace fontinstaller
