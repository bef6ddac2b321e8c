// Making a run's font current in the printer (PostScript, PCL or HP-GL/2
// labels), and the Japanese composite fonts a PostScript document defines.
#pragma once

#include "graphics/output/download/font_download.h"
#include "graphics/output/text/text_run.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;
struct DeviceFontEntry;

// Makes the run's font current in the printer language (HP-GL/2 labels when
// hpgl); TRUE without output when it is current already.
BOOL SelectDeviceFont(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, GLYPHPOS* glyphs,
                      ULONG count, BOOL hpgl, TextRunContext* run);
// The PostScript definition of a Japanese composite font for a printer font.
BOOL DefineCompositeFont(PDEV* pdev, const DeviceFontEntry* entry, const char* compositeName);

// The composite-font table of the document (PDEV::downloadedFonts[1]).
struct CompositeFontRow {
  char faceName[64];
  char compositeName[32];
};
struct CompositeFontTable {
  WORD useCount;
  CompositeFontRow* rows;
  WORD rowCount;
  WORD rowCapacity;
  char (*derived)[64];  // composite names with a style and height defined in the document
  WORD derivedCount;
  WORD derivedCapacity;
};
CompositeFontTable* CompositeFonts(PDEV* pdev, bool create);
void FreeCompositeFonts(CompositeFontTable* table);
