// The sheet output of inserted sheets (PostScript showpage forms, PCL form
// feed, the non-counted sheet of models that count sheets) and the sheet end
// the page trailer shares with them.
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

// True when the model counts sheets (model byte bit 0x10): blank and inserted
// sheets are then output so that the printer does not count them.
BOOL ModelCountsSheets(const PDEV* pdev);

namespace pagesetup {

// PostScript: showpage (or systemdict's when the job overrides showpage), or
// the printer's non-counting showpage; PCL: a form feed, or one the printer
// does not count. 1 when the stream took it.
int WriteSheetEnd(PDEV* pdev, bool counted);

}  // namespace pagesetup
