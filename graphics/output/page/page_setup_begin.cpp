// The begin of an inserted sheet: its DSC comment, the tray (and paper) it is
// fed from, its device settings, and for banner and slip sheets a coordinate
// system of device dots from the top left of the imageable area, in which the
// user-interface library draws them.
#include "graphics/output/page/page_setup_begin.h"
#include "common/job_sheet_blocks.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_lookup.h"
#include "graphics/output/job/device_settings_request.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/output/page/overlay_macro.h"
#include "graphics/output/page/page_setup_hpgl.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/output/page/sheet_kinds.h"
#include "platform/base/arith.h"

using namespace pagesetup;

namespace {

bool AnySourceOutsideAutoSelect(const PDEV* pdev) {
  for (const PaperSourceEntry& source : pdev->model->paperSources) {
    if (source.name[0] == '\0') break;
    if (source.s5 == 0) return true;
  }
  return false;
}

bool Has(const PDEV* pdev, DWORD feature) { return (pdev->model->optionWord & feature) != 0; }

// The job settings a banner or slip sheet asks for: one uncollated copy at the
// job's resolution into the job's bin, without finishing.
void AddSheetJobSettings(const PDEV* pdev, DWORD kind, DeviceSettings* request) {
  const DEVMODEW& pub = pdev->devmode.dmPublic;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  request->mask |= kSettingsResolution | kSettingsCopies | kSettingsOutputBin;
  request->resolution = static_cast<DWORD>(pub.dmPrintQuality);
  request->copies = 1;
  request->outputBin = extra._nOutputTray;
  if (Has(pdev, kFeatureCollation)) {
    request->mask |= kSettingsCollate;
    if (extra._bCollate) request->switches |= kSwitchCollate;
  }
  if (Has(pdev, kFeatureStapling)) request->mask |= kSettingsStaple;
  if (Has(pdev, kFeaturePunching)) request->mask |= kSettingsPunch;
  if (Has(pdev, kFeatureFolding)) request->mask |= kSettingsFold;
  if (Has(pdev, kFeatureFaceUpLow) && Has(pdev, kFeatureFaceUpHigh)) {
    request->mask |= kSettingsFaceUp;
    if (extra.faceUpOff == 0) request->switches |= kSwitchFaceUp;
  }
  if (kind == kSheetBanner && Has(pdev, kFeatureJobOffset)) {
    request->mask |= kSettingsJobOffset;
    if (extra._bJog) request->switches |= kSwitchJobOffset;
  }
}

// The paper of a ticket or tab sheet: a tab sheet's own paper when its row
// names one, else the current page's.
DWORD TicketPaper(const PDEV* pdev, DWORD kind, int row) {
  if (kind == kSheetTab || kind == kSheetTabPrinted) {
    if (const PageTicketRow* ticket = TicketRow(pdev, row); ticket != nullptr && ticket->value3 > 0) {
      return static_cast<DWORD>(ticket->value3);
    }
  }
  return devicesettings::CurrentPaper(pdev);
}

void AddTray(PDEV* pdev, DWORD kind, int row, DeviceSettings* request) {
  const DWORD source = SheetSource(pdev, kind, row);
  const DWORD paper =
      kind <= kSheetInterleaf || row < 0 ? devicesettings::CurrentPaper(pdev) : TicketPaper(pdev, kind, row);
  const bool postScript = IsPostScriptJob(pdev);
  if (!postScript || source == kAutomaticTray) {
    request->mask |= kSettingsInputTray | kSettingsPaperSize;
    request->inputTray = source;
    request->paperSize = paper;
    if (postScript) {
      request->mask |= kSettingsFeedEdge;
      request->feedEdge = LookupPaperAttribute(pdev, paper);
    }
  } else {
    request->mask |= kSettingsTrayWithPaper;
    request->inputTray = source;
  }
  if (kind == kSheetFrontCover) AddHalftoneScreen(pdev, request);
  if (SheetTakesDuplex(pdev, source)) {
    request->mask |= kSettingsDuplex;
    request->duplex = static_cast<DWORD>(pdev->devmode.dmPublic.dmDuplex);
  }
}

// Banner and slip sheets are drawn in device dots from the top left of the
// imageable area, y down.
int WriteSheetDotSystem(PDEV* pdev) {
  const int dpi = pdev->devmode.dmPublic.dmPrintQuality > 0 ? pdev->devmode.dmPublic.dmPrintQuality : 600;
  if (IsPostScriptJob(pdev)) {
    return WriteFormatted(
        pdev, "\ninitmatrix newpath clippath pathbbox 3 1 roll pop pop translate 72 %d div dup neg scale\n", dpi);
  }
  int32_t top = 0;
  if (pdev->devmode.dmPrivate._nMarginType != kMarginsNone) {
    if (const PaperEntry* paper = CurrentPaperRow(pdev)) {
      top = paper->geometry[1].margin2;
    }
  }
  const bool landscape = pdev->devmode.dmPublic.dmOrientation == DMORIENT_LANDSCAPE;
  const int32_t length = landscape ? pdev->paperWidth : pdev->paperHeight;
  const float motion = FloatForOut(48.0 / dpi);
  const float unit = FloatForOut(1016.0 / dpi);
  int written = LeaveHpgl(pdev);
  written = written && WriteFormatted(pdev, "\x1b&l%Fc%dE", &motion, MulDiv(top, dpi, 1000));
  written = written && WriteFormatted(pdev, "\x1b*p0x0Y\x1b*c%dy0T\x1b%%0BIR0,100,100,0;", MulDiv(length, 720, 1000));
  written = written && WriteFormatted(pdev, "SC0,%F,0,-%F,2;", &unit, &unit);
  written = written && WriteText(pdev, "SP1TR0;\x1b%1A");
  pdev->job.inHpgl = 0;
  return written;
}

}  // namespace

const char* SheetKindComment(DWORD kind) {
  switch (kind) {
    case kSheetBanner: return "\n%%Banner page\n";
    case kSheetSlip: return "\n%%Slip sheet\n";
    case kSheetFrontCover: return "\n%%Front Cover sheet\n";
    case kSheetBackCover: return "\n%%Backcover sheet\n";
    case kSheetInterleaf: return "\n%%OHP Slip sheet\n";
    case kSheetTicketPrinted: return "\n%%Extrasheet with Image\n";
    case kSheetTab: return "\n%%Extrasheet with Tab\n";
    case kSheetTabPrinted: return "\n%%Extrasheet with Image & Tab\n";
    case kSheetTicketBlank: return "\n%%Extrasheet\n";
    default: return nullptr;
  }
}

int EmitPageBegin(PDEV* pdev, DWORD kind, int row) {
  if (pdev == nullptr || pdev->model == nullptr || !IsSheetKind(kind)) return 0;
  const bool postScript = IsPostScriptJob(pdev);
  const bool pcl = IsPclJob(pdev);
  PageSetupState& state = pdev->writers.pageSetup;
  state.insertedSheetKind = kind;

  if (postScript) {
    WriteText(pdev, SheetKindComment(kind));
    // The sheet may come from a tray kept out of automatic selection.
    if (AnySourceOutsideAutoSelect(pdev)) WriteText(pdev, "[] statusdict /inputTrayMask get exec\n");
    if (kind == kSheetBanner && pdev->devmode.dmPrivate._bClearMemoryPerPage) {
      EmitSaveRestore(pdev, kSavePage);
      state.bannerSaveOpen = TRUE;
    }
  }

  const bool drawnSheet = kind == kSheetBanner || kind == kSheetSlip;
  DeviceSettings request{};
  if (drawnSheet && row != 0) AddSheetJobSettings(pdev, kind, &request);
  if (!drawnSheet || row != 0) AddTray(pdev, kind, row, &request);

  // The settings writer leaves the middle of an N-up sheet alone; an inserted
  // sheet is always a sheet of its own.
  const DWORD savedIndex = pdev->pages.sheetPageIndex;
  pdev->pages.sheetPageIndex = 1;
  if (!drawnSheet || row != 0) WritePjlJobSettings(pdev, &request, TRUE);
  // A printer reset in those settings deleted the overlay macro: it is put
  // back for the pages that follow (they call it), not laid on this sheet.
  if (pcl && state.macroDefined && DeviceSettingsResets(pdev) != state.macroResets) RestoreOverlayMacro(pdev);
  if (drawnSheet) WriteSheetDotSystem(pdev);
  if (pcl) EnterHpglScaling(pdev, 0);
  pdev->pages.sheetPageIndex = savedIndex;
  return 1;
}
