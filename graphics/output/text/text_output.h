// One stretch of a run: the glyphs that a single font prints, with the glyphs
// a downloaded font lacks sent first.
#pragma once

#include "graphics/output/text/text_run.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// One stretch of glyphs (see text_writer.h for the run).
int OutputText(PDEV* pdev, FONTOBJ* font, CLIPOBJ* clip, const WCHAR* chars, GLYPHPOS* glyphs, ULONG count,
               BRUSHOBJ* opaque, BRUSHOBJ* foreground, TextRunContext* run);
