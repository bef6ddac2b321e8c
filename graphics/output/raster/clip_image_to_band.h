// The image of a blit placed on the page and handed to the raster writer of
// the job's language: PostScript images or PCL raster graphics.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// How ClipImageToBand places an image.
constexpr int kImagePlaceMasked = 0;   // a 1-bit source drawn as a mask
constexpr int kImagePlaceGrey = 1;     // PCL: through the grey path
constexpr int kImagePlaceClipped = 2;  // PostScript: clipped against the page, with comments
// A 1-bit mask through which the current brush is painted: where its bits are
// set (or clear), the brush; elsewhere the page is left as it is.
constexpr int kImagePlaceInkWhereSet = 3;
constexpr int kImagePlaceInkWhereClear = 4;

// Fits `dest` (pixels, left/top/right/bottom) to the page, scales `sourceRect`
// (none: the whole surface) with it and writes the image of `source` there.
// `clip` is a clip rectangle in pixels or none; rop3 the 32-bit ROP3 code;
// xlate the source's colour translation or none. The writer's result, 1 when
// nothing needs drawing, 0 on failure.
BOOL ClipImageToBand(PDEV* pdev, SURFOBJ* source, const RECTL* sourceRect, const RECTL* dest, const RECTL* clip,
                     DWORD rop3, XLATEOBJ* xlate, int placement);
