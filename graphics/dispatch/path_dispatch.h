// Routing of the path records the path entry points cut from a PATHOBJ: each
// record goes by its operation code to the rectangle writer or the path writer,
// and on PostScript a closed axis-aligned rectangle is drawn as a rectangle.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// Operation codes of a path record.
constexpr int kPathOpRectangle = 6;   // two points: top-left and bottom-right (exclusive)
constexpr int kPathOpPolyline = 18;   // a path without fill rule and without clip
constexpr int kPathOpWinding = 20;    // stroke, or winding fill
constexpr int kPathOpAlternate = 22;  // alternate fill

// What the record's drawing is done with; handed to the writers unchanged.
struct PathRecordPaint {
  LINEATTRS* line = nullptr;    // line attributes (stroke), or none
  XFORMOBJ* xform = nullptr;    // the line's transform
  BRUSHOBJ* fill = nullptr;     // fill brush, or none
  DWORD lineRgb = 0;            // line colour 0x00BBGGRR
  const RECTL* clip = nullptr;  // clip rectangle in pixels, or none
  BOOL reportFailure = FALSE;   // a failed pattern selection fails the record
  BOOL noPaint = FALSE;         // write the shape without painting it
};

// Routes one record (count points, 28.4) by operation; band is a band rectangle
// in pixels or none, recordFlags the kPathBatch* bits, rop the 32-bit ROP3 code.
// The writer's result; 0 for an unknown operation or too few points.
BOOL DispatchPathRecord(PDEV* pdev, int operation, int count, const POINTFIX* points, const PathRecordPaint& paint,
                        const RECTL* band, WORD recordFlags, DWORD rop);

// Nonzero when 4 points, or 5 whose last repeats the first, are the corners of an
// axis-aligned rectangle of non-zero width and height, in either winding; the
// rectangle (min and max of corners 0 and 2) goes to out, which is emptied
// when they are not. out is optional.
BOOL GetAxisAlignedRect(const POINTFIX* points, int count, RECTL* out);

// out := rect (28.4) cut to band (pixels, multiplied by 16 to meet it): left and
// top the larger, right and bottom the smaller of each pair. out may be rect.
void ClipRectToBand16(RECTL* out, const RECTL* rect, const RECTL* band);
