// Converting between the ANSI code page and UTF-16 into fixed buffers. A text that
// does not fit is cut to whole characters and always ends in a NUL.
#pragma once

#include "platform/base/types.h"

// size in wide characters. Answers the wide buffer (NULL for a NULL buffer).
WCHAR* AnsiToWide(WCHAR* wide, const char* ansi, int size);
// size in bytes; converted to the code page GetACP names. Answers the ANSI buffer.
char* WideToAnsi(char* ansi, const WCHAR* wide, int size);
