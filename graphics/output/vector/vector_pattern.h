// Brushes as fills: a solid colour, or a PostScript tiling pattern, an HP-GL/2
// raster fill or a PCL user-defined pattern.
#pragma once

#include "graphics/output/vector/vector_targets.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// Selects a brush (solid, hollow, hatch or pattern, realised by DrvRealizeBrush)
// for target (vector_targets.h). FALSE without a PDEV or brush, for a brush
// that has no realisation, for a realisation of an unknown kind or malformed
// size, and when the pattern cannot be converted (out of memory).
BOOL DownloadFillPattern(PDEV* pdev, BRUSHOBJ* brush, BOOL remember, DWORD target, int hpglIndex);
