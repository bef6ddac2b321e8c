// The driver's version: the "ProductVersion" of the library's own version block
// ("6.310.23.0"), the texts made from it for the job header and the about boxes,
// and the version word of the device mode.
#pragma once

#include "model/devmode_defaults.h"  // DriverVersionFromText
#include "platform/base/types.h"

enum DriverVersionKind : int {
  kDriverVersionText = 1,       // the ProductVersion text
  kDriverVersionCopyright = 2,  // "General"/"Copyright" of the printer's model description
  kDriverVersionDigits = 3,     // the ProductVersion text without its dots
};

// Fills the buffer (size bytes, cut to size - 1 and a NUL) with the text of the
// kind. A library file without a version block leaves the buffer as it is. Answers
// 1; 0 for a NULL buffer or a size below 1.
int GetDriverVersionString(HANDLE printer, char* buffer, WORD size, int kind);

// That word for this library (0 when it has no ProductVersion).
WORD GetDriverVersionWord();
