// A printer command the model description gives for a paper source, for trays
// that take a command of their own instead of a PCL tray number.
#pragma once

#include "platform/base/types.h"

// The request of GetPdlCommand for a paper-source command.
constexpr DWORD kPdlCommandPaperSource = 0x6000;

// Reads the model description's command for a paper source ("PDLCommands/PS",
// "PCL5" or "PCLXL" by the printer language, key "PaperSource/<n>") into
// buffer (size bytes, terminated). 1 when a non-empty command was read; 0 for
// another request or language, a missing or empty value, or a buffer too small
// for the whole command (buffer then holds an empty text).
int GetPdlCommand(HANDLE printer, DWORD request, int sourceNumber, WORD pdlKind, char* buffer, DWORD size);
