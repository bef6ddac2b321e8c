// Sending a downloaded font to the printer: the header of a record or glyph
// page, then its glyphs with their character codes. The text writer decides
// which glyphs a record still lacks; this part sends them.
#pragma once

#include "graphics/output/download/font_download.h"

// Sends the header of the record (page null) or of the page and marks it sent.
BOOL CreateDownloadFont(PDEV* pdev, FONTOBJ* font, const HGLYPH* glyphs, ULONG count, FontDownloadRecord* record,
                        GlyphPageRecord* page, BOOL outline);
// Sends the glyphs with their character codes in the record or page.
BOOL DownloadGlyphs(PDEV* pdev, FONTOBJ* font, const HGLYPH* glyphs, const DWORD* codes, ULONG count,
                    FontDownloadRecord* record, GlyphPageRecord* page, BOOL outline);
