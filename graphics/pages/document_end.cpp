// The end of a document: the page still open, the stored pages in their final
// order or the sheets still due, covers and slip sheet, the job trailer.
#include "graphics/output/job/job_font_state.h"
#include "graphics/output/job/job_framing.h"
#include "graphics/output/page/overlay_macro.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/sheet_kinds.h"
#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/passthrough/app_postscript_filter.h"
#include "graphics/stream/output.h"

using namespace pagestore;

namespace {

// EPS data of the application ends its own pages unless the driver owns showpage.
bool ApplicationEndsPages(const PDEV* pdev) {
  return IsPostScriptJob(pdev) && pdev->job.epsMode != 0 && pdev->job.showpageOverride == 0;
}

void SendStoredPages(PDEV* pdev) {
  PageStoreState& pages = pdev->pages;
  // The last sheet may still be open (an N-up sheet not filled, a booklet side
  // with both its pages ended by the application's own page control).
  const bool endOpenSheet = IsBooklet(pdev) ? pages.openSheets == 2 : pages.openSheets > 0;
  if (endOpenSheet) {
    EndStoredPage(pdev, TRUE);
    pages.openSheets = 0;
    pages.sheetPageIndex = 0;
  }
  SelectOutputChannel(pdev, kChannelSpooler);
  if (Extra(pdev)._bClearMemoryPerPage == 0) EmitDownloadFile(pdev);
  // The records are complete: the file they describe is written once, whole.
  WritePageOffsetFile(pdev);
  ReemitStoredPages(pdev);
}

void EndLastSheet(PDEV* pdev) {
  PageStoreState& pages = pdev->pages;
  bool ended = false;
  if (pages.openSheets > 0) {
    EmitPageTrailer(pdev, TRUE, FALSE);
    pages.openSheets = 0;
    pages.sheetPageIndex = 0;
    ended = true;
  }
  if (!IsSheetSideComplete(pdev, FALSE) && !ApplicationEndsPages(pdev)) {
    // The back of the last duplex sheet.
    EmitPageTrailer(pdev, TRUE, TRUE);
    ended = true;
  }
  if (ended) WriteSheetEndInserts(pdev);
}

}  // namespace

int EndDocument(PDEV* pdev) {
  if (pdev == nullptr) return -1;
  PageStoreState& pages = pdev->pages;
  const XDEVMODE_PRIVATE& extra = Extra(pdev);
  const bool postScript = IsPostScriptJob(pdev);

  // The application's last bytes, held back in case they began a page comment.
  FlushHeldAppPostScript(pdev);

  // An application's final Ctrl-D must not end the job before the back cover.
  if (postScript && pdev->job.epsMode != 0 && extra._epBackCover.on != 0) DropTrailingCtrlD(pdev);

  if (pages.pageStarted) {
    if (ApplicationEndsPages(pdev)) pdev->job.forceShowpage = 1;
    EndPage(pdev);
  }

  if (pages.storing) {
    SendStoredPages(pdev);
  } else {
    EndLastSheet(pdev);
  }

  if (IsPclFamily(pdev) && extra._nOutputDest != kOutputMacroFile) DisableOverlayMacro(pdev);

  if (extra._epBackCover.on != 0 && extra._epBackCover.printed == 0) {
    WriteBlankSheet(pdev, kSheetBackCover, kNoTicketRow);
  }
  if (extra._epSlipSheet.on != 0) WriteBlankSheet(pdev, kSheetSlip, kNoTicketRow);

  WriteJobTrailer(pdev);
  ResetFontState(pdev);
  ReleaseDocumentFonts(pdev, FALSE);
  pages.storing = FALSE;
  pages.pageStarted = FALSE;
  return OutputFailed(pdev) ? 0 : 1;
}
