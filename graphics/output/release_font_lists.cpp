// The document's downloaded fonts and its composite-font table: the PDEV lets
// go of them at the end of the document (nothing is written). Records of
// downloaded fonts are made by the soft-font download; the composite fonts by
// the text writer.
#include "graphics/core/pdev.h"
#include "graphics/output/font_download.h"
#include "graphics/output/text_run.h"

void ReleaseFontLists(PDEV* pdev) {
  if (!pdev) return;
  if (CompositeFontTable* table = CompositeFonts(pdev, false)) {
    if (table->useCount > 0) --table->useCount;
    if (table->useCount == 0) FreeCompositeFonts(table);
  }
  pdev->downloadedFonts[0] = nullptr;
  pdev->downloadedFonts[1] = nullptr;
}
