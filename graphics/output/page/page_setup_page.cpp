// The set-up of each document page once its start and settings are written:
// the watermark laid under the page, the page matrix or HP-GL/2 scaling, and
// the PCL overlay macro.
#include "graphics/output/page/page_setup_page.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/output/job/job_prolog.h"
#include "graphics/output/page/overlay_macro.h"
#include "graphics/output/page/page_setup_hpgl.h"
#include "graphics/output/page/page_setup_ps.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/raster/raster_pcl.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/stream/output.h"

using namespace pagesetup;

namespace {

constexpr BYTE kWatermarkCaptured = 2;

// N-up and booklet pages are placed on their sheet.
bool PlacedOnSheet(const PDEV* pdev) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  return extra._nUp > 1 || extra._nBooklet != 0;
}

bool FirstPage(const PDEV* pdev) { return pdev->pages.pagesStarted <= 1; }

// A watermark is chosen, laid behind the page, and this page carries it.
bool PageTakesBackgroundWatermark(const PDEV* pdev) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  if (extra._wmCurrent.text[0] == '\0' || !extra._bWmBackground) return false;
  return !(extra._bWmFirstPageOnly && !FirstPage(pdev));
}

int WriteProperSetUp(PDEV* pdev) {
  if (IsPostScriptJob(pdev)) return WritePsPageSetup(pdev, PlacedOnSheet(pdev) ? TRUE : FALSE);
  if (IsPclJob(pdev)) return EnterHpglScaling(pdev, 0);
  return 1;
}

}  // namespace

int EmitWatermark(PDEV* pdev, BOOL initMatrix) {
  if (pdev == nullptr || pdev->model == nullptr) return 0;
  const bool captured = pdev->carried.watermarkCapture == kWatermarkCaptured;
  if (!PageTakesBackgroundWatermark(pdev) || !captured) return WriteProperSetUp(pdev);

  if (IsPostScriptJob(pdev)) {
    PageSetupState& state = pdev->writers.pageSetup;
    WritePsPrologPart(pdev, TRUE);
    WriteText(pdev, "\ngsave\n");
    WritePsPageSetup(pdev, PlacedOnSheet(pdev) ? TRUE : FALSE);
    EmitWatermarkFile(pdev);
    pdev->currentFont = kNoCurrentFont;
    // The watermark's own placement closes with it.
    if (state.pageGsaveOpen) {
      WriteText(pdev, "\ngrestore\n");
      state.pageGsaveOpen = FALSE;
    }
    WriteText(pdev, "\ngrestore\n");
    if (initMatrix) WriteText(pdev, "\ninitmatrix\n");
    WritePsPrologPart(pdev, FALSE);
    return WriteProperSetUp(pdev);
  }
  if (IsPclJob(pdev)) {
    EnterHpglScaling(pdev, 0);
    EmitWatermarkFile(pdev);
    // The captured drawing was HP-GL/2 and may leave the printer in it.
    pdev->job.inHpgl = 1;
    pdev->currentFont = kNoCurrentFont;
    return LeaveHpgl(pdev);
  }
  return 1;
}

int EnableOverlayMacro(PDEV* pdev) {
  if (pdev == nullptr || !IsPclJob(pdev) || pdev->devmode.dmPrivate._nMacroLocation == kMacroNone) return 0;
  PageSetupState& state = pdev->writers.pageSetup;
  int result = 0;
  if (FirstPage(pdev) || (!state.macroDefined && !state.macroUnusable)) {
    result = SetUpOverlayMacro(pdev);
  } else if (state.macroDefined) {
    // A printer reset since the macro was set up deleted it (and its
    // selection): it is put back before the page calls it.
    result = DeviceSettingsResets(pdev) == state.macroResets || RestoreOverlayMacro(pdev);
    if (result) WriteText(pdev, pdev->devmode.dmPrivate._bMacroBackground ? "\x1b&f3X" : "\x1b&f4X");
  }
  pdev->currentFont = kNoCurrentFont;
  return result;
}

int EmitPageSetup(PDEV* pdev) {
  if (pdev == nullptr || pdev->model == nullptr) return 0;
  if (FirstPage(pdev)) {
    // A new document: nothing of an earlier one's placement is open.
    PageSetupState& state = pdev->writers.pageSetup;
    state.pageGsaveOpen = FALSE;
    state.sheetRotation = 0;
    state.sheetTransposed = FALSE;
  }
  // The page starts from the page set-up's graphics state: no colour, pattern
  // or pen selected for an earlier page is in force.
  ResetVectorPageState(pdev);
  ResetRasterPageState(pdev);
  int written = EmitWatermark(pdev, FALSE);
  if (IsPclJob(pdev)) EnableOverlayMacro(pdev);
  return written ? 1 : 0;
}
