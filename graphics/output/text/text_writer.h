// The text writer of the job stream: runs of glyphs in the printer's fonts,
// downloaded fonts or substituted faces.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// Writes one text run: the glyphs of `text` in `font`, clipped by `clip`, in
// the foreground brush, over the opaque brush where the run has a background.
// FALSE when the PDEV, the run or its glyphs are missing, when the clip is
// DC_COMPLEX, when the font has no transform or a kind the writer cannot
// draw, or when a stretch of the run needs a downloaded font that cannot be
// had; the engine then draws the glyphs itself. A run with no glyph on the
// page writes nothing and succeeds.
BOOL WalkGlyphs(PDEV* pdev, STROBJ* text, CLIPOBJ* clip, FONTOBJ* font, BRUSHOBJ* opaque, BRUSHOBJ* foreground);
