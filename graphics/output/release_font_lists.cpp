// The document's downloaded fonts. Fonts are not downloaded yet (the soft-font
// download comes with the text output), so a PDEV never holds such a list and
// there is nothing to free: the pointers are cleared.
#include "graphics/core/pdev.h"
#include "graphics/output/font_download.h"

void ReleaseFontLists(PDEV* pdev) {
  if (!pdev) return;
  pdev->downloadedFonts[0] = nullptr;
  pdev->downloadedFonts[1] = nullptr;
}
