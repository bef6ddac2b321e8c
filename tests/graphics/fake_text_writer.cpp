#include "tests/graphics/fake_text_writer.h"

namespace graphicstest {

TextWriterLog& FakeTextWriter() {
  static TextWriterLog log;
  return log;
}

}  // namespace graphicstest

BOOL WalkGlyphs(PDEV* pdev, STROBJ* text, CLIPOBJ* clip, FONTOBJ* font, BRUSHOBJ* opaque, BRUSHOBJ* foreground) {
  auto& log = graphicstest::FakeTextWriter();
  std::optional<CLIPOBJ> copied;
  if (clip) copied = *clip;
  log.runs.push_back({pdev, text, copied, font, opaque, foreground});
  return log.result;
}
