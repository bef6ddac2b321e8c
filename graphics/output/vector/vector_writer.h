// The vector writer of the job stream: rectangles and paths, stroked, filled or
// both, as PostScript or HP-GL/2 (with plain PCL rectangle fills where they do),
// their clip rectangles, line attributes, colours and brushes, and the end of
// an application's path. Coordinates of rectangles and points are 28.4 fixed
// point, written as whole device pixels; clip rectangles are device pixels,
// right and bottom exclusive, and an empty one clips nothing. What a path
// batch holds (lines only, or Bézier curves) is PDEV::job.pathKind.
//
// Colours, patterns, the pen and the HP-GL/2 mode are cached in
// PDEV::writers.vector (vector_state.h), so that runs of drawing calls write
// them once.
#pragma once

#include "common/pdl_kind.h"
#include "graphics/output/vector/vector_state.h"
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

// Targets of the colour and brush selections: any PdlKind bit of the
// PostScript mask selects PostScript, kTargetHpgl the HP-GL/2 fill or pen, any
// other value plain PCL (the drawing entries pass the job's PdlKind or 8).
constexpr DWORD kTargetPostScript = kPdlPs3;  // 259
constexpr DWORD kTargetHpgl = 64;
constexpr DWORD kTargetPcl = 140;  // 0x8C, a PCL PdlKind
// hpglIndex of the selections: what an HP-GL/2 selection sets.
constexpr int kHpglFill = 0;  // "FT", pattern index 1
constexpr int kHpglPen = 1;   // "SV" (screened vectors), pattern index 2

// Selects the solid colour rgb (0x00BBGGRR) for target. Nothing is written
// when the remembered colour of that target is still in force. With remember
// the colour becomes the remembered one. FALSE only without a PDEV.
BOOL SelectFillHpglPs(PDEV* pdev, DWORD rgb, BOOL remember, DWORD target, int hpglIndex);

// Selects a brush (solid, hollow, hatch or pattern, realised by DrvRealizeBrush)
// for target. FALSE without a PDEV or brush, for a brush that has no
// realisation, for a realisation of an unknown kind or malformed size, and when
// the pattern cannot be converted (out of memory).
BOOL DownloadFillPattern(PDEV* pdev, BRUSHOBJ* brush, BOOL remember, DWORD target, int hpglIndex);

// Writes width, dashes, caps, joins and the pen colour rgb of a line, in
// PostScript or HP-GL/2 after the job's language. xform (optional) scales a
// geometric line. FALSE without a PDEV or line attributes.
BOOL SetLineAttributes(PDEV* pdev, LINEATTRS* line, XFORMOBJ* xform, BOOL remember, DWORD rgb);

// Brackets output with a clip rectangle (device pixels, right and bottom
// exclusive as GDI gives them). The bracket never nests: EndClipRect only acts
// after a BeginClipRect.
BOOL BeginClipRect(PDEV* pdev, const RECTL* clip);
BOOL EndClipRect(PDEV* pdev);

// Flags of EndFillClip.
constexpr DWORD kEndPathAlternate = 0x01;  // alternate (even-odd) fill
constexpr DWORD kEndPathClose = 0x02;
constexpr DWORD kEndPathClip = 0x04;
constexpr DWORD kEndPathEoClip = 0x08;
constexpr DWORD kEndPathNewPath = 0x10;  // start a new path afterwards

// Ends an application path (PostScript only): close, clip, stroke with line
// and/or fill with brush. FALSE on the PCL family or without a PDEV.
BOOL EndFillClip(PDEV* pdev, LINEATTRS* line, BRUSHOBJ* brush, DWORD flags);

// Marks cached graphics state stale (kStale* bits of vector_state.h); the
// drawing entries, the page set-up and every PostScript grestore use it.
void InvalidateVectorState(PDEV* pdev, WORD bits);
// The page state was reset or a sheet ended: the PCL pattern transparency
// must be sent again and nothing cached is in force.
void ResetVectorPageState(PDEV* pdev);
// Frees the remembered pattern copies (FreePdev).
void FreeVectorState(PDEV* pdev);
// After CopyJobState copied the writers' state to the new PDEV of a reset, the
// remembered pattern copies belong to the new one: the old one lets go of them.
void DetachVectorState(PDEV* pdev);

// Draws a rectangle (28.4; the right and bottom edges are rounded up to whole
// pixels) with an optional line and fill; rop3 is the 32-bit ROP3 code (code
// byte in bits 16-23); clip (pixels) is optional. noPaint writes the shape
// without painting it. TRUE with nothing written when there is nothing to draw. FALSE for a missing or empty rectangle
// or a failed pattern selection when reportFailure is set.
BOOL WriteRectangle(PDEV* pdev, const RECTL* rect, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill, DWORD lineRgb,
                    DWORD rop3, const RECTL* clip, BOOL reportFailure, BOOL noPaint);

// Writes one batch of a path (count points, 28.4) with optional line and fill.
// batchFlags are the kPathBatch* bits. FALSE without PDEV or points, with fewer
// than 2 points, or a failed pattern selection when reportFailure is set.
BOOL WritePath(PDEV* pdev, int count, const POINTFIX* points, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill,
               const RECTL* clip, DWORD fillRule, WORD batchFlags, DWORD lineRgb, DWORD rop3, BOOL reportFailure,
               BOOL noPaint);
