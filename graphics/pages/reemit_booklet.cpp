// Booklet order: the stored pages are sent so that the sheets, printed on both
// sides and folded, read in order. Each side carries two pages; the page count
// is filled up to a multiple of four with blank pages.
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/output.h"

namespace pagestore {

namespace {

// The page at booklet position i (1-based) of n4 positions: 1, n4, n4-1, 2,
// 3, n4-2, n4-3, 4, ...
int BookletPage(int position, int n4) {
  const int group = (position - 1) / 4;  // each group of four is one sheet
  const int a = 2 * group + 1;
  switch (position % 4) {
    case 1: return a;
    case 2: return n4 - (a - 1);
    case 3: return n4 - a;
    default: return a + 1;
  }
}

}  // namespace

int ReemitBooklet(PDEV* pdev) {
  PageStoreState& pages = pdev->pages;
  const int n = static_cast<int>(pages.pagesStored);
  const int n4 = (n + 3) / 4 * 4;
  pages.sideCount = 0;
  pages.ticketSource = 0;
  const bool ticketPaper = PaperByTicket(pdev);

  for (int position = 1; position <= n4; ++position) {
    const int page = BookletPage(position, n4);
    const bool stored = page <= n;
    if (stored) WriteFormatted(pdev, "\n%%Page %d\n", page);
    switch (position % 4) {
      case 1: {
        // A sheet starts: its settings are those of the first page of its
        // source range (the first sheet's are those of page 1).
        const int sheet = (position + 3) / 4;
        int first = 1;
        if (ticketPaper) {
          pages.ticketSource = SourceRangeHolding(pdev, sheet);
          first = SourceRange(pdev, pages.ticketSource).firstPage;
          if (first < 1) first = 1;
        }
        if (position == 1 || ticketPaper) EmitStoredPageHead(pdev, 2 * first - 1, n);
        EmitStoredPageBody(pdev, page, n, 0);
        break;
      }
      case 2:
      case 0:
        if (stored) {
          EmitStoredPageBody(pdev, page, n, 0);
          ++pages.sideCount;
        } else {
          // An empty half: the side still ends here (the second position ends
          // the front, the fourth the back), so it is output as an empty side.
          EmitPageTrailer(pdev, TRUE, TRUE);
        }
        break;
      default:
        if (stored) EmitStoredPageBody(pdev, page, n, 0);
        break;
    }
  }
  EmitStoredDocTrailer(pdev);
  return OutputFailed(pdev) ? 0 : 1;
}

}  // namespace pagestore
