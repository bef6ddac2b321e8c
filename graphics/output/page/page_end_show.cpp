// The sheet output of inserted sheets and the showpage forms shared with the
// page trailer. A model that counts sheets (model byte bit 0x10) is told not
// to count blank and inserted sheets: PCL brackets their form feed with
// "ESC|x901J"/"ESC|x900J", PostScript uses the printer's non-counting showpage
// when the printer has it.
#include "graphics/output/page/page_end_show.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/job_tray_mask.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/output/page/sheet_kinds.h"
#include "graphics/output/vector/vector_state.h"

using namespace pagesetup;

namespace {

constexpr BYTE kModelCountsSheets = 0x10;

constexpr char kPlainShowpage[] = "\nshowpage\n";
constexpr char kSystemShowpage[] = "\nsystemdict /showpage get exec\n";
constexpr char kNonCountingShowpage[] =
    "\n/zuvProcs /ProcSet 2 copy resourcestatus{\n pop pop findresource /nocountshowpage 2 copy known\n"
    " {get exec}{pop pop showpage}ifelse\n}{pop pop showpage}ifelse\n";
constexpr char kNonCountingSystemShowpage[] =
    "\n/zuvProcs /ProcSet 2 copy resourcestatus{\n pop pop findresource /nocountshowpage 2 copy known\n"
    " {get exec}{pop pop systemdict /showpage get exec}ifelse\n}{pop pop systemdict /showpage get exec}ifelse\n";

}  // namespace

BOOL ModelCountsSheets(const PDEV* pdev) {
  return pdev != nullptr && pdev->model != nullptr &&
         (static_cast<BYTE>(pdev->model->modelSubId) & kModelCountsSheets) != 0;
}

namespace pagesetup {

int WriteSheetEnd(PDEV* pdev, bool counted) {
  // showpage restores the default graphics state, and the PCL pattern
  // transparency is sent again on every sheet.
  ResetVectorPageState(pdev);
  if (IsPostScriptJob(pdev)) {
    const bool system = pdev->job.showpageOverride != 0;
    if (counted) return WriteText(pdev, system ? kSystemShowpage : kPlainShowpage);
    return WriteText(pdev, system ? kNonCountingSystemShowpage : kNonCountingShowpage);
  }
  if (counted) return WriteBytes(pdev, "\f", 1);
  return WriteText(pdev, "\x1b|x901J\f\x1b|x900J");
}

}  // namespace pagesetup

int EmitShowPage(PDEV* pdev, DWORD kind, int row) {
  if (pdev == nullptr || pdev->model == nullptr || !IsSheetKind(kind)) return 0;
  const bool postScript = IsPostScriptJob(pdev);
  const bool printed = SheetPrinted(pdev, kind, row);
  const bool bannerDrawn = kind == kSheetBanner && pdev->bannerResult != 0;
  const bool counts = ModelCountsSheets(pdev) != FALSE;

  // A printed cover or interleaf sheet (and, PostScript-centric, a printed
  // ticket sheet) is ended by the stored page on it.
  bool endedByPage = printed && (kind == kSheetFrontCover || kind == kSheetBackCover || kind == kSheetInterleaf);
  if (pdev->injectionMode == 2 && printed && (kind == kSheetTicketPrinted || kind == kSheetTabPrinted)) {
    endedByPage = true;
  }
  const bool blankBack = SheetTakesDuplex(pdev, SheetSource(pdev, kind, row));

  if (!postScript) LeaveHpgl(pdev);
  if (!endedByPage) WriteSheetEnd(pdev, !counts || printed || bannerDrawn);
  if (blankBack) WriteSheetEnd(pdev, !counts);

  if (postScript) {
    if (kind == kSheetBanner && (pdev->carried.documentFlags & kDocPageSaveOpen) &&
        pdev->devmode.dmPrivate._bClearMemoryPerPage) {
      EmitSaveRestore(pdev, kRestorePage);
    }
    pdev->writers.pageSetup.bannerSaveOpen = FALSE;
    // The inserted sheet lifted the input-tray mask: the job's mask again.
    WriteInputTrayMask(pdev);
  }
  // The sheet's staple position is spent (the job-level settings take it
  // from the device mode again).
  pdev->carried.settingsWord = 0;
  ClearTextStates(pdev);
  pdev->writers.pageSetup.insertedSheetKind = 0;
  return 1;
}
