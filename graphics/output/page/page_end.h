// What ends each page and inserted sheet: the sheet output (PostScript
// showpage forms, PCL form feed, the non-counted sheet of models that count
// sheets), the blank back side of a duplex sheet, and the page trailer.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// Ends an inserted sheet begun by EmitPageBegin (same kind and row). A printed
// cover or interleaf sheet (and a printed ticket sheet in PostScript-centric
// mode) writes no sheet end of its own: the stored page on it ends the sheet.
// 0 with nothing written without a model record or for a value that is no
// sheet kind, else 1.
int EmitShowPage(PDEV* pdev, DWORD kind, int row);

// Ends the current page: closes its page gsave and page save, and with
// endSheet outputs the sheet (showpage or form feed) and counts its sides;
// with blank the page is an empty side (a blank back or booklet filler). 0
// without a model record, else 1.
int EmitPageTrailer(PDEV* pdev, BOOL endSheet, BOOL blank);

// True when the model counts sheets (model byte bit 0x10): blank and inserted
// sheets are then output so that the printer does not count them.
BOOL ModelCountsSheets(const PDEV* pdev);
