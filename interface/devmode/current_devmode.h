// The device mode a printer's document settings start from for the current user.
#pragma once

#include "common/xdevmode.h"
#include "platform/base/types.h"

// In order of precedence: the user's own device mode of the printer (spooler
// level 9), the printer's global one (level 8), the driver's default; a stored
// device mode counts only when it is this driver's for the printer's language
// (IsDevmodeForModel), and it is made safe as a foreign one before use. Then the
// printer name, the calling application and the port are written into it.
// Answers 1; 0 when an argument is null or the printer has no model record (the
// output is then left as it is).
int GetCurrentDevmode(HANDLE printer, const char* printerName, XDEVMODE* devmode);
