// Writing one stretch of text in one font: its clip, font and colour,
// position, scale, character codes and show form.
#pragma once

#include "graphics/output/download/font_download.h"
#include "graphics/output/text/text_run.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

BOOL WriteTextRun(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, GLYPHPOS* glyphs,
                  const WCHAR* chars, ULONG count, CLIPOBJ* clip, BRUSHOBJ* opaque, BRUSHOBJ* foreground,
                  TextRunContext* run);
