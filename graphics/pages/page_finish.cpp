// The end of a document page: the decorations of a finished N-up or booklet
// sheet, the foreground watermark, the page trailer, and the inserted sheets
// that follow a sheet of a job whose pages go straight to the printer.
#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/output.h"

using namespace pagestore;

int EndPage(PDEV* pdev) {
  if (pdev == nullptr) return -1;
  PageStoreState& pages = pdev->pages;
  pdev->carried.watermarkTextFlag = 0;

  const bool postScript = IsPostScriptJob(pdev);
  const bool booklet = IsBooklet(pdev);
  const DWORD up = PagesPerSheet(pdev);
  const bool full = pages.sheetPageIndex >= up;
  // Two booklet pages share a side: the side ends with the second.
  const bool ends = full && (!booklet || pages.pagesStored % 2 == 0);

  // Every page placed in a cell of an N-up or booklet sheet gets the border
  // of its cell, drawn while the page's placement is still known.
  if ((up > 1 || booklet) && Extra(pdev)._bNupBorder != 0) DrawPageBorder(pdev);
  CopyForegroundWatermark(pdev);

  if (postScript && pdev->carried.acrobatVersion > 0 && up < 2 && !booklet) pdev->job.forceShowpage = 1;

  const int trailer = EndStoredPage(pdev, ends ? TRUE : FALSE);
  // The request to show the page was for this page only.
  pdev->job.forceShowpage = 0;
  if (full) pages.sheetPageIndex = 0;
  if (ends) pages.openSheets = 0;
  if (trailer <= 0) return trailer;

  pages.pageStarted = FALSE;
  if (ends && !pages.storing && !booklet && IsSheetSideComplete(pdev, FALSE) && !HasSheetInserts(pdev)) {
    WriteSheetEndInserts(pdev);
  }
  return 1;
}
