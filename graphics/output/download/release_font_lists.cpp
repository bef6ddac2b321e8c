// The document's downloaded fonts and its composite-font table: the PDEV lets
// go of them (nothing is written) when the printer forgets them anyway, at a
// page restore or page end, or when the device context goes. A list moved to
// a new device context on a reset is held by both until each lets go.
#include "graphics/output/download/release_font_lists.h"
#include "graphics/core/pdev.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/text/text_select_font.h"

void ReleaseFontLists(PDEV* pdev) {
  if (!pdev) return;
  if (DownloadedFontList* list = pdev->downloadedFonts[0]) {
    if (list->useCount > 0) --list->useCount;
    if (list->useCount == 0) delete list;
  }
  if (CompositeFontTable* table = CompositeFonts(pdev, false)) {
    if (table->useCount > 0) --table->useCount;
    if (table->useCount == 0) FreeCompositeFonts(table);
  }
  pdev->downloadedFonts[0] = nullptr;
  pdev->downloadedFonts[1] = nullptr;
}
