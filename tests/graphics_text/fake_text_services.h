// Recording stand-ins for what the text writer asks of the soft-font download
// and of the choice of substitute printer fonts: records and glyph pages kept
// in the PDEV's list as the download keeps them, a marker in the stream for
// every header and glyph batch sent, and the substitute the test chose.
#pragma once

#include <string>
#include <vector>

#include "graphics/output/download/font_download.h"
#include "graphics/output/fonts/find_substitute_device_font.h"

namespace graphicstest {

struct GlyphBatch {
  std::string font;  // the record's or page's name
  std::vector<HGLYPH> glyphs;
  std::vector<DWORD> codes;
};

struct TextServices {
  int substitute = -1;         // what FindSubstituteDeviceFont answers
  bool refuseRecords = false;  // NewFontDownloadRecord answers null
  bool refusePages = false;    // NewGlyphPageRecord answers null
  std::vector<std::string> headers;
  std::vector<GlyphBatch> batches;
  int undefines = 0;
};

TextServices& Services();
// Clears the log and frees the records of the PDEV's list.
void ResetServices(PDEV* pdev);

}  // namespace graphicstest
