// The warning that a printer's model description is of another format than this
// driver reads. The model loader only reports it (it runs on spooler threads with
// nobody to close a box); the user hears of it where a dialog can be shown: when
// a property sheet of the printer opens, once per printer and process.
#pragma once

#include "platform/base/types.h"

// Shows the warning when the description's format differs and it has not been
// shown for this printer in this process. Answers whether it was shown.
bool WarnOfModelFormatOnce(HANDLE printer, const char* printerName, HWND owner);
