// Inserted-sheet order: the stored pages are sent in their own order with the
// covers, interleaf sheets and page-ticket sheets placed around them, each
// sheet from its own source, duplex sheets kept whole.
#include <vector>

#include "graphics/inject/injection_store.h"
#include "graphics/output/page/page_end_show.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_begin.h"
#include "graphics/output/page/sheet_kinds.h"
#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/output.h"

namespace pagestore {

namespace {

struct Replay {
  PDEV* pdev;
  int pageCount;
  bool duplex = false;
  // Inserts that wait for the end of the duplex sheet they follow: the
  // interleaf of its last page and the ticket rows of its pages.
  int interleafPage = 0;
  bool interleafPrinted = false;
  std::vector<int> ticketRows;

  bool FrontPrinted() const { return duplex && pdev->pages.sideCount % 2 == 1; }
};

// Duplex off while a tab sheet is out: a tab sheet has no back side.
struct SimplexScope {
  PDEV* pdev;
  bool active;
  SHORT dmDuplex = 0;
  WORD nDuplex = 0;
  SimplexScope(PDEV* p, bool on) : pdev(p), active(on) {
    if (!active) return;
    dmDuplex = pdev->devmode.dmPublic.dmDuplex;
    nDuplex = pdev->devmode.dmPrivate._nDuplex;
    pdev->devmode.dmPublic.dmDuplex = DMDUP_SIMPLEX;
    pdev->devmode.dmPrivate._nDuplex = 0;
  }
  ~SimplexScope() {
    if (!active) return;
    pdev->devmode.dmPublic.dmDuplex = dmDuplex;
    pdev->devmode.dmPrivate._nDuplex = nDuplex;
  }
  SimplexScope(const SimplexScope&) = delete;
  SimplexScope& operator=(const SimplexScope&) = delete;
};

// A page put on an inserted sheet whose own end ends the sheet: without the
// page's stored sheet end.
void PageWithoutSheetEnd(Replay& replay, int page) {
  EmitStoredPageBody(replay.pdev, page, replay.pageCount, StoredTrailerLength(replay.pdev, page));
}

// The ticket or tab sheet of a page-ticket row, carrying the page when the
// row asks for its image.
void TicketSheet(Replay& replay, int page, int row) {
  PDEV* pdev = replay.pdev;
  const PageTicketRow& ticket = pdev->pageTickets.rows[row];
  const DWORD kind = KindOfTicketRow(ticket);
  const bool image = kind == kTicketRowPrinted || kind == kTicketRowTabPrinted;
  const bool tab = kind == kTicketRowTab || kind == kTicketRowTabPrinted;
  SimplexScope simplex(pdev, tab);
  EmitPageBegin(pdev, kind, row);
  if (pdev->injectionMode == 2 && IsPostScriptJob(pdev)) {
    // The page's own end ends the sheet here, after the tab.
    if (tab) EmitStoredTabSheets(pdev, ticket.pageNumber, ticket.pageNumber);
    if (image) EmitStoredPage(pdev, page, replay.pageCount, TRUE);
  } else {
    if (image) PageWithoutSheetEnd(replay, page);
    if (tab) EmitStoredTabSheets(pdev, ticket.pageNumber, ticket.pageNumber);
  }
  EmitShowPage(pdev, kind, row);
}

void InterleafSheet(Replay& replay, int page, bool printed) {
  EmitPageBegin(replay.pdev, kSheetInterleaf, kNoTicketRow);
  if (printed) EmitStoredPageBody(replay.pdev, page, replay.pageCount, 0);
  EmitShowPage(replay.pdev, kSheetInterleaf, kNoTicketRow);
}

// What waits for the end of the sheet, once the sheet has ended.
void WritePendingInserts(Replay& replay) {
  if (replay.interleafPage != 0) InterleafSheet(replay, replay.interleafPage, replay.interleafPrinted);
  replay.interleafPage = 0;
  for (int row : replay.ticketRows) {
    TicketSheet(replay, replay.pdev->pageTickets.rows[row].pageNumber, row);
  }
  replay.ticketRows.clear();
}

// A duplex sheet with only its front printed gets a blank back.
void CloseDuplexSheet(Replay& replay) {
  if (!replay.FrontPrinted()) return;
  EmitPageTrailer(replay.pdev, TRUE, TRUE);
  WritePendingInserts(replay);
}

void SendPage(Replay& replay, int page, DWORD flags, int lastOfRange) {
  PDEV* pdev = replay.pdev;
  const int n = replay.pageCount;

  // A cover that carries a page takes that page's place: the page is printed
  // once, on the cover.
  bool onCover = false;
  if (flags & kPageFlagFrontCover) {
    CloseDuplexSheet(replay);
    EmitPageBegin(pdev, kSheetFrontCover, kNoTicketRow);
    EmitStoredPageBody(pdev, page, n, 0);
    EmitShowPage(pdev, kSheetFrontCover, kNoTicketRow);
    onCover = true;
  }
  if (flags & kPageFlagTicketBefore) {
    int row = -1;
    TicketKindForPage(pdev, 0, &row);
    if (row >= 0) {
      CloseDuplexSheet(replay);
      TicketSheet(replay, page, row);
    }
  }
  if (flags & kPageFlagBackCover) {
    CloseDuplexSheet(replay);
    onCover = true;
  }

  if (!onCover) {
    // The back of a duplex sheet must not change the sheet's settings.
    if (replay.FrontPrinted()) {
      EmitStoredPageBody(pdev, page, n, 0);
    } else {
      EmitStoredPage(pdev, page, n, FALSE);
    }
    ++pdev->pages.sideCount;
    if (replay.duplex && (page == lastOfRange || page == n)) CloseDuplexSheet(replay);
  }

  if ((flags & kPageFlagInterleaf) && !onCover) {
    replay.interleafPage = page;
    replay.interleafPrinted = (flags & kPageFlagInterleafPrinted) == kPageFlagInterleafPrinted;
  }
  if (flags & kPageFlagBackCover) {
    EmitPageBegin(pdev, kSheetBackCover, kNoTicketRow);
    EmitStoredPageBody(pdev, page, n, 0);
    EmitShowPage(pdev, kSheetBackCover, kNoTicketRow);
  }
  if (flags & kPageFlagTicketAfter) {
    int row = -1;
    TicketKindForPage(pdev, page, &row);
    if (row >= 0) replay.ticketRows.push_back(row);
  }
  if (!replay.FrontPrinted()) WritePendingInserts(replay);
}

}  // namespace

int ReemitWithInserts(PDEV* pdev) {
  PageStoreState& pages = pdev->pages;
  const XDEVMODE_PRIVATE& extra = Extra(pdev);
  const WORD savedPaper = pages.currentPaper;
  const DWORD savedFeed = pages.currentFeed;
  const int savedSource = pages.ticketSource;

  Replay replay{pdev, static_cast<int>(pages.pagesStored)};
  pages.sideCount = 0;
  WORD previousPaper = 0;
  DWORD previousFeed = 0;
  for (int page = 1; page <= replay.pageCount; ++page) {
    const DWORD flags = PageSheetFlags(pdev, page, replay.pageCount);
    // Sheets still open are closed under the duplex setting they began with.
    bool duplex = extra._nDuplex != 0;
    int lastOfRange = replay.pageCount;
    if (PaperByTicket(pdev)) {
      const int source = SourceRangeHolding(pdev, page);
      const PageTicketSourceRange& range = SourceRange(pdev, source);
      if (range.firstPage <= page && page <= range.lastPage) {
        // Each range starts a sheet of its own.
        if (page == range.firstPage) {
          CloseDuplexSheet(replay);
          pages.sideCount = 0;
        }
        lastOfRange = range.lastPage;
      }
      if (duplex) duplex = range.duplex != 0;
      pages.ticketSource = source;
    }
    // Another paper cannot go on the back of this sheet.
    if (page > 1 && extra._iOutputSize == kOutputSizeAsPaper &&
        (pages.currentPaper != previousPaper || pages.currentFeed != previousFeed)) {
      CloseDuplexSheet(replay);
    }
    replay.duplex = duplex;
    previousPaper = pages.currentPaper;
    previousFeed = pages.currentFeed;
    SendPage(replay, page, flags, lastOfRange);
  }
  // Whatever still waits (a duplex sheet left open cannot happen: the last
  // page closes it) goes out now.
  CloseDuplexSheet(replay);
  WritePendingInserts(replay);

  pages.currentPaper = savedPaper;
  pages.currentFeed = savedFeed;
  pages.ticketSource = savedSource;
  EmitStoredDocTrailer(pdev);
  return OutputFailed(pdev) ? 0 : 1;
}

}  // namespace pagestore

int ReemitStoredPages(PDEV* pdev) {
  if (pdev == nullptr) return 0;
  return pagestore::IsBooklet(pdev) ? pagestore::ReemitBooklet(pdev) : pagestore::ReemitWithInserts(pdev);
}
