// Text on display and memory DCs: glyphs of the DC's font from the host's faces
// (found as printer fonts are, FreeType renders them), anti-aliased and blended
// onto a window's pixels. The same fonts on every machine give the same layout.
#pragma once

#include <string>

#include "platform/gdi/screen.h"

namespace platform::gdi::display {

struct TextFontMetrics {
  int height = 0;  // ascent plus descent
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
};

TextFontMetrics MetricsOf(const LOGFONTW& font);
// The advance of a run along its direction, in pixels.
int RunWidth(const LOGFONTW& font, std::u16string_view text);
// Draws a run whose character cell starts at (x, y) (top left, before turning by
// the font's escapement) in `colour`, only inside `clip`.
void DrawRun(PixelSurface& surface, const LOGFONTW& font, int x, int y, std::u16string_view text, COLORREF colour,
             const RECT& clip);

}  // namespace platform::gdi::display
