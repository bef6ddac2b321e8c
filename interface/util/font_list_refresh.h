// Tells the graphics library that a printer's font list for one printer
// language changed (fonts installed or removed), so that its cached list is
// read again: the private escape on a device context of the printer.
#pragma once

#include "platform/base/types.h"

// Any step that fails (printer, settings, device context) ends it quietly.
void SendFontListRefresh(DWORD action, const char* printerName, WORD pdl);
