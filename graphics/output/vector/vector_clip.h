// A clip rectangle around a piece of output: a PostScript gsave with a
// rectangle clip, or the HP-GL/2 input window.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

struct PDEV;

// Brackets output with a clip rectangle (device pixels, right and bottom
// exclusive as GDI gives them; an empty one clips nothing). The bracket never
// nests: EndClipRect only acts after a BeginClipRect.
BOOL BeginClipRect(PDEV* pdev, const RECTL* clip);
BOOL EndClipRect(PDEV* pdev);
