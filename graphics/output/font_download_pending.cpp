// The soft-font download is not in this library yet: no realisation can be
// given a record, so the text writer hands every run that needs a downloaded
// font back to the engine, which draws its glyphs itself. Kept apart so that
// the download (or a test's recording one) replaces it.
#include <cstring>

#include "graphics/output/font_download.h"

void MakeDownloadFontName(char* dst, PDEV*, FONTOBJ*, int, BOOL) {
  if (dst) dst[0] = '\0';
}
FontDownloadRecord* FindFontDownloadRecord(PDEV*, FONTOBJ*, BOOL) { return nullptr; }
FontDownloadRecord* NewFontDownloadRecord(PDEV*, FONTOBJ*, BOOL) { return nullptr; }
GlyphPageRecord* NewGlyphPageRecord(PDEV*, FONTOBJ*, FontDownloadRecord*, BOOL) { return nullptr; }
WORD NextSoftFontId(PDEV*) { return 0; }
BOOL CreateDownloadFont(PDEV*, FONTOBJ*, const HGLYPH*, ULONG, FontDownloadRecord*, GlyphPageRecord*, BOOL) {
  return FALSE;
}
BOOL DownloadGlyphs(PDEV*, FONTOBJ*, const HGLYPH*, const DWORD*, ULONG, FontDownloadRecord*, GlyphPageRecord*,
                    BOOL) {
  return FALSE;
}
void UndefineDownloadedFonts(PDEV*) {}
