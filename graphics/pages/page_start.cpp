// The start of a document page: the job's set-up before the first page, the
// page counters, the page comments and device settings, and, when the final
// order needs it, the switch of the page into the pages channel.
#include "graphics/inject/injection_store.h"
#include "graphics/output/job/device_settings_request.h"
#include "graphics/output/page/page_setup_page.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/output/page/sheet_kinds.h"
#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/output.h"

using namespace pagestore;

namespace {

// PostScript-centric jobs carry the application's DSC structure: the driver
// writes its comments and the injected texts at their places.
bool WritesStructure(const PDEV* pdev) { return pdev->injectionMode == 2 && IsPostScriptJob(pdev); }

// The job-level settings. A job with tab sheets is printed to the edges of the
// sheet so that the tabs are not cut off; the page geometry stays the one GDI
// was given when the device context was made (the page set-up keeps using the
// device mode's own margin type), so only the printer's setting changes.
void WriteJobLevelSettings(PDEV* pdev) {
  WORD& marginType = pdev->devmode.dmPrivate._nMarginType;
  const WORD saved = marginType;
  if (HasTabSheets(pdev)) marginType = 2;
  EmitJobSettings(pdev, TRUE);
  marginType = saved;
}

void WriteDocumentSetup(PDEV* pdev) {
  PageStoreState& pages = pdev->pages;
  pages.sideCount = 0;
  pages.storing = (IsBooklet(pdev) || HasSheetInserts(pdev)) ? TRUE : FALSE;

  const bool structure = WritesStructure(pdev);
  if (structure) {
    WriteText(pdev, "%%BeginSetup\n");
    EmitInjectedData(pdev, PSINJECT_BEGINSETUP);
  }
  WriteJobLevelSettings(pdev);
  if (structure) {
    EmitInjectedData(pdev, PSINJECT_ENDSETUP);
    WriteText(pdev, "%%EndSetup\n\n");
  }

  const InsertedSheetSetting& front = Extra(pdev)._epFrontCover;
  if (front.on != 0 && front.printed == 0) WriteBlankSheet(pdev, kSheetFrontCover, kNoTicketRow);
  // A blank ticket sheet before the first page; when pages are stored the
  // final order places it.
  if (!pages.storing) {
    int row = -1;
    if (TicketKindForPage(pdev, 0, &row) != 0) WriteBlankSheet(pdev, kSheetTicketBlank, row);
  }
}

void CountPage(PDEV* pdev, bool newSheet) {
  PageStoreState& pages = pdev->pages;
  if (pages.openSheets == 0) ++pages.sheets;
  if (newSheet) {
    ++pages.pagesStored;
    ++pages.openSheets;
  }
  ++pages.pagesStarted;
  ++pages.sheetPageIndex;
}

void TakePaperOfPage(PDEV* pdev) {
  PageStoreState& pages = pdev->pages;
  const XDEVMODE_PRIVATE& extra = Extra(pdev);
  pages.previousPaper = pages.currentPaper;
  pages.previousFeed = pages.currentFeed;
  pages.currentPaper = static_cast<WORD>(extra._iOutputSize == kOutputSizeAsPaper ? pdev->devmode.dmPublic.dmPaperSize
                                                                                  : extra._iOutputSize);
  pages.currentFeed = extra._iOutputFeedDirection;
  if (PaperByTicket(pdev)) pages.ticketSource = SourceRangeHolding(pdev, static_cast<int>(pages.sheets));
}

// The page comments and the page's device settings.
void WritePageHead(PDEV* pdev) {
  const PageStoreState& pages = pdev->pages;
  // A booklet's pages get their comment when they are sent in booklet order.
  if (IsPostScriptJob(pdev) && !(pages.storing && IsBooklet(pdev))) {
    WriteFormatted(pdev, "\n%%Page %d\n", static_cast<int>(pages.pagesStarted));
  }
  if (!WritesStructure(pdev)) {
    EmitJobSettings(pdev, FALSE);
    return;
  }
  EmitInjectedData(pdev, PSINJECT_PAGENUMBER);
  EmitInjectedData(pdev, PSINJECT_PLATECOLOR);
  EmitInjectedData(pdev, PSINJECT_PAGEBBOX);
  EmitInjectedData(pdev, PSINJECT_ENDPAGECOMMENTS);
  WriteText(pdev, "%%EndPageComments\n\n");
  WriteText(pdev, "%%BeginPageSetup\n");
  EmitInjectedData(pdev, PSINJECT_BEGINPAGESETUP);
  EmitJobSettings(pdev, FALSE);
  EmitInjectedData(pdev, PSINJECT_ENDPAGESETUP);
  WriteText(pdev, "%%EndPageSetup\n\n");
}

// A stored page (or N-up sheet) is indexed from its first byte: its head (the
// comment and settings) up to its ticket mark, then its body.
void StartStoredPage(PDEV* pdev) {
  FlushOutputBuffer(pdev);
  SelectOutputChannel(pdev, kChannelPages);
  PageRecordState& record = pdev->output.pageRecord;
  record.page = static_cast<int32_t>(pdev->pages.pagesStored);
  record.paper = static_cast<SHORT>(pdev->pages.currentPaper);
  record.feedDirection = pdev->pages.currentFeed;
  RecordPageOffset(pdev, TRUE);
}

}  // namespace

int BeginPage(PDEV* pdev) {
  if (pdev == nullptr) return -1;
  PageStoreState& pages = pdev->pages;
  // Marked first: the writers below may ask for the page to be started.
  pages.pageStarted = TRUE;
  if (pages.pagesStarted == 0) WriteDocumentSetup(pdev);

  const bool newSheet = pages.sheetPageIndex == 0;
  CountPage(pdev, newSheet);
  TakePaperOfPage(pdev);

  const bool store = pages.storing && newSheet;
  if (store) StartStoredPage(pdev);
  WritePageHead(pdev);
  if (store) RecordPageTicket(pdev);

  // Clearing the printer's memory per page needs every page in a save of its
  // own, which the page end restores; the first page's is the job header's.
  const bool saveOpen = pages.pageSaveOpen || (pdev->carried.documentFlags & kDocPageSaveOpen) != 0;
  if (IsPostScriptJob(pdev) && Extra(pdev)._bClearMemoryPerPage != 0 && pages.pagesStarted > 1 && !saveOpen)
    EmitSaveRestore(pdev, kSavePage);

  EmitPageSetup(pdev);
  return OutputFailed(pdev) ? 0 : 1;
}

int EnsurePageStarted(PDEV* pdev, BOOL skipSave) {
  if (pdev == nullptr) return 0;
  if (!pdev->pages.pageStarted && BeginPage(pdev) != 1) return 0;
  const bool saveOpen = pdev->pages.pageSaveOpen || (pdev->carried.documentFlags & kDocPageSaveOpen) != 0;
  if (!skipSave && pdev->pages.pagesStarted == 1 && !saveOpen) EmitSaveRestore(pdev, kSavePage);
  return 1;
}
