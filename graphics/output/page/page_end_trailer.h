// The end of each page: its page gsave and page save are closed and, at a
// sheet end, the sheet is output (with the blank back side of a duplex sheet).
#pragma once

#include "platform/base/types.h"

struct PDEV;

// Ends the current page: closes its page gsave and page save, and with
// endSheet outputs the sheet (showpage or form feed) and counts its sides;
// with blank the page is an empty side (a blank back or booklet filler). 0
// without a model record, else 1; a null PDEV writes nothing.
int EmitPageTrailer(PDEV* pdev, BOOL endSheet, BOOL blank);
