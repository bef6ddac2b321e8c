// The printer-language names of a model description's "PDL" section.
#pragma once

#include "platform/base/types.h"

// The PdlKind bits of a language name, compared without regard to case: "PS3",
// "PS2", "PS", "PS1", "PCL5SI", "PCL5E", "PCL", "PCL5", "PCLXL"; 0 for any other
// text (also for null).
WORD PdlBitsFromName(const char* name);
