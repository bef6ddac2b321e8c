// Every bitmap as an 8-bit grey PostScript image.
#pragma once

#include "graphics/output/raster/raster_image.h"
#include "platform/base/types.h"

struct PDEV;

// PostScript, every depth as 8-bit grey. 1, or 0 without output for a missing
// PDEV, descriptor or rectangle, a source rectangle outside the descriptor's
// bitmap or an empty one, and 0 for an unsupported depth or when memory runs
// out.
BOOL WritePsImageGray(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                      DWORD rop3);
