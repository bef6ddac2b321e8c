// A recording stand-in for the text writer: every WalkGlyphs call is kept with
// the clip it was given, and answers the result the test chose.
#pragma once

#include <optional>
#include <vector>

#include "graphics/output/text/text_writer.h"

namespace graphicstest {

struct TextCall {
  PDEV* pdev;
  STROBJ* text;
  std::optional<CLIPOBJ> clip;  // a copy of the clip handed in
  FONTOBJ* font;
  BRUSHOBJ* opaque;
  BRUSHOBJ* foreground;
};

struct TextWriterLog {
  std::vector<TextCall> runs;
  BOOL result = TRUE;

  void Reset() { *this = TextWriterLog{}; }
};

TextWriterLog& FakeTextWriter();

}  // namespace graphicstest
