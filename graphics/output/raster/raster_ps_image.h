// Bitmaps as PostScript images and brush masks as PostScript image masks.
#pragma once

#include "graphics/output/raster/raster_image.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// The writers answer 1, or 0 without output for a missing PDEV, descriptor or
// rectangle, a source rectangle outside the descriptor's bitmap or an empty
// one, and 0 for an unsupported depth or when memory runs out.

// PostScript: 1-bit sources as 1-bit images or masks (SRCAND), deeper ones as
// 8-bit grey; xlate decides how 24- and 32-bit pixels are read.
BOOL WritePsImage(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                  XLATEOBJ* xlate, DWORD rop3);
// A 1-bit mask painted in the current colour (PostScript imagemask): ink where
// the bits are set, or clear when inkWhereSet is false; nothing anywhere else.
BOOL WritePsMask(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                 BOOL inkWhereSet);
