// Paths, stroked, filled or both, as PostScript or HP-GL/2, one batch of points
// per call. Points are 28.4 fixed point, written as whole device pixels; clip
// rectangles are device pixels, right and bottom exclusive, and an empty one
// clips nothing. What a path batch holds (lines only, or Bézier curves) is
// PDEV::job.pathKind.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// Batch flags of a path record: the low byte is the subpath type (0 starts and
// goes on, 1 continues, 2 starts and ends, 3 ends).
constexpr WORD kPathBatchSubpathMask = 0x00FF;
constexpr WORD kPathBatchFirst = 0x0100;   // first batch of the path
constexpr WORD kPathBatchLast = 0x0200;    // last batch of the path
constexpr WORD kPathBatchClosed = 0x0400;  // the figure is closed

// Fill rules of WritePath: bit 0 set = alternate, clear = winding; 0 for a
// polyline (no fill rule needed).
constexpr DWORD kPathFillNone = 0;
constexpr DWORD kPathFillWinding = 2;
constexpr DWORD kPathFillAlternate = 3;

// Writes one batch of a path (count points, 28.4) with optional line and fill.
// batchFlags are the kPathBatch* bits. FALSE without PDEV or points, with fewer
// than 2 points, or a failed pattern selection when reportFailure is set.
BOOL WritePath(PDEV* pdev, int count, const POINTFIX* points, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill,
               const RECTL* clip, DWORD fillRule, WORD batchFlags, DWORD lineRgb, DWORD rop3, BOOL reportFailure,
               BOOL noPaint);
