// What the page store asks of the job: which inserted sheets it has, which
// page-ticket row belongs to a page or sheet, and whether a sheet is complete.
#include <cstdio>

#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/output.h"

using namespace pagestore;

namespace {

bool OnAndPrinted(const InsertedSheetSetting& setting) { return setting.on != 0 && setting.printed != 0; }

}  // namespace

DWORD pagestore::KindOfTicketRow(const PageTicketRow& row) {
  if (row.imageFlag != 0) return row.tabFlag != 0 ? kTicketRowTabPrinted : kTicketRowPrinted;
  return row.tabFlag != 0 ? kTicketRowTab : kTicketRowBlank;
}

BOOL HasTabSheets(const PDEV* pdev) {
  if (pdev == nullptr) return FALSE;
  return FindTicketRow(pdev, [](const PageTicketRow& row) { return row.tabFlag != 0; }) >= 0;
}

BOOL HasSheetInserts(const PDEV* pdev) {
  if (pdev == nullptr) return FALSE;
  const XDEVMODE_PRIVATE& extra = Extra(pdev);
  if (OnAndPrinted(extra._epBanner) || OnAndPrinted(extra._epSlipSheet) || OnAndPrinted(extra._epFrontCover) ||
      OnAndPrinted(extra._epBackCover) || OnAndPrinted(extra.epInterleaf)) {
    return TRUE;
  }
  return FindTicketRow(pdev, [](const PageTicketRow& row) { return row.imageFlag != 0 || row.tabFlag != 0; }) >= 0;
}

DWORD TicketFlagForPage(const PDEV* pdev, int page) {
  if (pdev == nullptr) return 0;
  if (FindTicketRow(pdev, [page](const PageTicketRow& row) { return row.pageNumber == page; }) < 0) return 0;
  return page == 0 ? kPageFlagTicketBefore : kPageFlagTicketAfter;
}

DWORD TicketKindForPage(const PDEV* pdev, int page, int* rowIndex) {
  if (rowIndex != nullptr) *rowIndex = -1;
  if (pdev == nullptr) return 0;
  const int index = FindTicketRow(pdev, [page](const PageTicketRow& row) { return row.pageNumber == page; });
  if (index < 0) return 0;
  if (rowIndex != nullptr) *rowIndex = index;
  return KindOfTicketRow(pdev->pageTickets.rows[index]);
}

DWORD PageSheetFlags(PDEV* pdev, int page, int pageCount) {
  if (pdev == nullptr || page < 1 || page > pageCount) return 0;
  char key[16];
  std::snprintf(key, sizeof key, "%d", page);
  LONGLONG value = 0;
  if (ReadPageOffsetValue(pdev, "Paper Size", key, &value)) pdev->pages.currentPaper = static_cast<WORD>(value);
  if (ReadPageOffsetValue(pdev, "Feed Direction", key, &value)) pdev->pages.currentFeed = static_cast<DWORD>(value);

  const XDEVMODE_PRIVATE& extra = Extra(pdev);
  DWORD flags = 0;
  if (page == 1) {
    if (OnAndPrinted(extra._epFrontCover)) flags |= kPageFlagFrontCover;
    flags |= TicketFlagForPage(pdev, 0);
  }
  if (extra.epInterleaf.on != 0) {
    flags |= kPageFlagInterleaf;
    if (extra.epInterleaf.printed != 0) flags |= kPageFlagInterleafPrinted;
  }
  flags |= TicketFlagForPage(pdev, page);
  if (page == pageCount && OnAndPrinted(extra._epBackCover)) flags |= kPageFlagBackCover;
  return flags;
}

int FindTicketRowForSheet(const PDEV* pdev, BOOL query, BOOL before) {
  // A query asks the same question as a look-up: whether the sheet has a row.
  // (Answering "none" to every query would drop the sheet's ticket sheet.)
  (void)query;
  if (pdev == nullptr || !TicketTableInForce(pdev)) return -1;
  int sheet = static_cast<int>(pdev->pages.pagesStarted) - (before ? 1 : 0);
  const int up = static_cast<int>(PagesPerSheet(pdev));
  if (up != 1) sheet = (sheet + up - 1) / up;
  if (sheet < 1) return -1;
  return FindTicketRow(pdev, [sheet](const PageTicketRow& row) { return row.pageNumber == sheet; });
}

int IsSheetSideComplete(const PDEV* pdev, BOOL query) {
  if (pdev == nullptr) return 1;
  if (Extra(pdev)._nDuplex == 0 || pdev->pages.sideCount % 2 == 0) return 1;
  if (!PaperByTicket(pdev)) return 0;
  const PageTicketSourceRange& range = SourceRange(pdev, pdev->pages.ticketSource);
  if (query) return range.duplex != 0 ? 0 : 1;
  if (range.duplex == 0) return 1;
  return static_cast<int>(pdev->pages.sheets) == range.lastPage ? 1 : 0;
}
