// The end of a page: its page gsave and page save are closed, and at a sheet
// end the sheet is output and its sides counted. Simplex sheets count two
// sides, so that the side count stays even and a duplex range that ends on a
// front side gets its blank back.
#include <algorithm>

#include "graphics/core/pdev.h"
#include "graphics/inject/injection_store.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/release_font_lists.h"
#include "graphics/output/page/overlay_macro.h"
#include "graphics/output/page/page_end_show.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/pages/document_store.h"

using namespace pagesetup;

namespace {

constexpr WORD kMacroOutput = 5;

struct SheetSides {
  bool blankBack = false;   // a blank back side follows the page
  bool extraCount = false;  // the sheet is simplex: its back counts as printed
};

SheetSides SidesOfSheet(PDEV* pdev) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  const PageStoreState& pages = pdev->pages;
  SheetSides sides;
  const bool ticketPaper = pdev->devmode.dmPublic.dmDefaultSource == kSourceByPageTicket;
  const int index = std::clamp(pages.ticketSource, 0, static_cast<int>(kPageTicketSourceRangeCount) - 1);
  const PageTicketSourceRange& range = extra.pageTicketRanges[index];
  const bool duplex = ticketPaper ? extra._nDuplex != 0 && range.duplex != 0 : extra._nDuplex != 0;
  sides.extraCount = !duplex;
  const bool booklet = IsPostScriptJob(pdev) && extra._nBooklet != 0;
  sides.blankBack = ticketPaper && duplex && range.lastPage == static_cast<SHORT>(pages.sheets) &&
                    pages.sideCount % 2 == 0 && !HasSheetInserts(pdev) && !booklet;
  return sides;
}

// Output of the sheet and its back side, and the count of sides.
void EndSheet(PDEV* pdev, bool blank, bool output, const SheetSides& sides) {
  const bool counts = ModelCountsSheets(pdev) != FALSE;
  if (output) WriteSheetEnd(pdev, !(counts && blank));
  pdev->pages.sideCount += 1;
  if (sides.blankBack) {
    if (output) WriteSheetEnd(pdev, !counts);
    pdev->pages.sideCount += 1;
  } else if (sides.extraCount) {
    pdev->pages.sideCount += 1;
  }
}

void PclTrailer(PDEV* pdev, BOOL endSheet, BOOL blank, const SheetSides& sides) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  const bool fontsDownloaded = pdev->downloadedFonts[0] != nullptr || pdev->downloadedFonts[1] != nullptr;
  if (extra._bClearMemoryPerPage && fontsDownloaded) {
    pdev->carried.softFontCounter = 0;
    LeaveHpgl(pdev);
    // A resident font first, so that no deleted soft font stays selected.
    WriteText(pdev, "\x1b(19U\x1b(s1p4101T");
    WriteText(pdev, "\x1b*c1F");
    ReleaseFontLists(pdev);
    ClearTextStates(pdev);
  }
  if (endSheet) {
    LeaveHpgl(pdev);
    EndSheet(pdev, blank, extra._nOutputDest != kMacroOutput, sides);
  }
  if (extra._nMacroLocation != kMacroNone) ForgetSelectedFont(pdev);
}

void PostScriptTrailer(PDEV* pdev, BOOL endSheet, BOOL blank, const SheetSides& sides) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  PageSetupState& state = pdev->writers.pageSetup;
  const bool identify = pdev->injectionMode == 2 && !blank;
  if (state.pageGsaveOpen) {
    WriteText(pdev, "\ngrestore\n");
    state.pageGsaveOpen = FALSE;
    ForgetSelectedFont(pdev);
  }
  if (endSheet && extra._bNegativeImage) WriteText(pdev, "\n{}bind settransfer\n");
  if (extra._bClearMemoryPerPage && (pdev->carried.documentFlags & kDocPageSaveOpen))
    EmitSaveRestore(pdev, kRestorePage);
  if (endSheet) {
    if (identify) EmitInjectedData(pdev, PSINJECT_SHOWPAGE);
    // EPS data ends its own pages unless the page store asks for the showpage.
    const bool show = pdev->job.showpageOverride != 0 || !(pdev->job.epsMode != 0 && pdev->job.forceShowpage == 0);
    EndSheet(pdev, blank, show, sides);
    if (identify) {
      WriteFormatted(pdev, "\n%%%%PageTrailer\n");
      EmitInjectedData(pdev, PSINJECT_PAGETRAILER);
    }
    pdev->carried.settingsWord = 0;  // the sheet's staple position is spent
    ClearTextStates(pdev);
  }
  if (identify) ClearPageInjectionPoints(pdev);
}

}  // namespace

int EmitPageTrailer(PDEV* pdev, BOOL endSheet, BOOL blank) {
  if (pdev == nullptr || pdev->model == nullptr) return 0;
  SheetSides sides;
  if (endSheet) {
    sides = SidesOfSheet(pdev);
    pdev->pages.sheetPageIndex = 0;
    pdev->pages.openSheets = 0;
  }
  if (IsPostScriptJob(pdev))
    PostScriptTrailer(pdev, endSheet, blank, sides);
  else if (IsPclJob(pdev))
    PclTrailer(pdev, endSheet, blank, sides);
  return 1;
}
