// The PostScript page matrix of a page: N-up and booklet placement, mirror,
// negative image, scaling.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// The PostScript page matrix of the current page: with sheetFlag (N-up and
// booklet sheets) the page is placed in its cell of the sheet and clipped to
// it; without, the page gets the device-dot coordinate system (y down). Keeps
// the cell in the page set-up state. PostScript only: 0 otherwise, 1 written.
int WritePsPageSetup(PDEV* pdev, BOOL sheetFlag);

// The variant of the page matrix the page end uses inside its own gsave (page
// borders, foreground watermark): one line, no clip, no transfer function.
// With scaleFlag 0 the page keeps its size (scale 1). PostScript only: 0
// otherwise, 1 written.
int WritePsPageSetupAlt(PDEV* pdev, BOOL scaleFlag);

// The N-up grid of a sheet that carries n pages: the closest pair of divisors
// of n, the smaller as columns and the larger as rows (2: 1 x 2, 6: 2 x 3, 8:
// 2 x 4, 9: 3 x 3, 16: 4 x 4; a prime n: 1 x n; 0 or less: 1 x 1). The same
// grid as the user interface's, kept here because this library does not link
// the user-interface code.
void PageNupGrid(int n, int* columns, int* rows);
