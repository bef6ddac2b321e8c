// Rectangles, stroked, filled or both, as PostScript or HP-GL/2 (with plain PCL
// rectangle fills where they do). Coordinates are 28.4 fixed point, written as
// whole device pixels; clip rectangles are device pixels, right and bottom
// exclusive, and an empty one clips nothing.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// Draws a rectangle (28.4; the right and bottom edges are rounded up to whole
// pixels) with an optional line and fill; rop3 is the 32-bit ROP3 code (code
// byte in bits 16-23); clip (pixels) is optional. noPaint writes the shape
// without painting it. TRUE with nothing written when there is nothing to draw. FALSE for a missing or empty rectangle
// or a failed pattern selection when reportFailure is set.
BOOL WriteRectangle(PDEV* pdev, const RECTL* rect, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill, DWORD lineRgb,
                    DWORD rop3, const RECTL* clip, BOOL reportFailure, BOOL noPaint);
