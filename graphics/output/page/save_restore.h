// PostScript save levels of a page: the page save and restore ("SS"/"RS" of
// the procedure set) and plain gsave/grestore. Nothing for the PCL family.
#pragma once

#include "platform/base/types.h"

struct PDEV;

constexpr int kSavePage = 1;         // "SS"
constexpr int kRestorePage = 2;      // "RS": also forgets the fonts downloaded since
constexpr int kSaveGraphics = 3;     // "gs"
constexpr int kRestoreGraphics = 4;  // "gr"

// Writes the save level; TRUE (also when nothing is written: the PCL family,
// a level outside 1-4).
BOOL EmitSaveRestore(PDEV* pdev, int level);
