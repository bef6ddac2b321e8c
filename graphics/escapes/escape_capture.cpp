// The pages the user-interface library draws itself during a job, bracketed by
// its private escapes: the watermark (captured into the "wtm" channel and
// replayed under or over each page), the tab pages (captured into the "tab"
// channel) and the tab sheets that carry them, and the banner page.
#include <cstring>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/escapes/escapes.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/release_font_lists.h"
#include "graphics/output/page/page_end_show.h"
#include "graphics/output/page/page_setup_begin.h"
#include "graphics/output/page/page_setup_hpgl.h"
#include "graphics/output/page/page_setup_ps.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/output/page/sheet_kinds.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/stream/output.h"

using pagesetup::ClearTextStates;
using pagesetup::ForgetSelectedFont;

namespace {

constexpr DWORD kWatermarkQuery = 0;
constexpr WORD kPclStateReset = 255;
constexpr DWORD kBannerDrawnDefault = 1;
// The banner's job settings (one copy, its bin and finishing) are written.
constexpr int kBannerWithJobSettings = 1;

bool IsPcl(const PDEV* pdev) { return IsPclFamilyPdl(pdev->devmode.dmPrivate._nPDL); }

template <typename T>
bool Read(ULONG inSize, const void* in, T* value) {
  if (in == nullptr || inSize < sizeof(T)) return false;
  std::memcpy(value, in, sizeof(T));
  return true;
}

bool Answer(ULONG outSize, void* out, DWORD value) {
  if (out == nullptr || outSize < sizeof value) return false;
  std::memcpy(out, &value, sizeof value);
  return true;
}

// Sends what is buffered to the channel in use and switches to another,
// remembering the one to come back to.
void DivertTo(PDEV* pdev, DWORD channel) {
  FlushOutputBuffer(pdev);
  pdev->output.savedChannel = pdev->output.currentChannel;
  SelectOutputChannel(pdev, channel);
}

void ComeBack(PDEV* pdev) {
  FlushOutputBuffer(pdev);
  SelectOutputChannel(pdev, pdev->output.savedChannel);
}

ULONG WatermarkBegin(PDEV* pdev, ULONG inSize, const void* in, ULONG outSize, void* out) {
  DWORD phase = 0;
  if (!Read(inSize, in, &phase)) return RefuseEscape();
  if (phase == kWatermarkQuery) {
    // These programs print in their own way: the watermark is then drawn by
    // the driver on each page rather than by the user-interface library.
    const bool driverDraws =
        pdev->carried.acrobatVersion >= 1 || pdev->carried.pageMakerVersion >= 6 || pdev->job.showpageOverride != 0;
    return Answer(outSize, out, driverDraws ? 1 : 0) ? 1 : RefuseEscape();
  }
  // A capture begun inside another (the application's own bracket around the
  // library's) goes on into the same channel: the channel to come back to is
  // the one from before the outer capture.
  const bool nested = (pdev->carried.captureFlags & kCaptureWatermark) != 0;
  if (!nested) DivertTo(pdev, kChannelWatermark);
  pdev->carried.watermarkCapture = 1;
  ForgetSelectedFont(pdev);
  pdev->carried.captureFlags |= kCaptureWatermark;
  if (IsPcl(pdev) && !nested) {
    // The watermark is drawn in HP-GL/2; the page's own mode comes back at the end.
    pdev->job.savedInHpgl = pdev->job.inHpgl;
    pdev->job.inHpgl = 1;
    WriteOut(pdev, kWriteText, 0, "\x1b%0B");
  }
  return 1;
}

ULONG WatermarkEnd(PDEV* pdev) {
  if (!(pdev->carried.captureFlags & kCaptureWatermark)) return 1;  // the capture already ended
  if (IsPcl(pdev)) pdev->job.inHpgl = pdev->job.savedInHpgl;
  ComeBack(pdev);
  pdev->carried.watermarkCapture = 2;
  ForgetSelectedFont(pdev);
  pdev->carried.captureFlags &= ~kCaptureWatermark;
  return 1;
}

ULONG TabPageBegin(PDEV* pdev, ULONG inSize, const void* in, ULONG outSize, void* out) {
  DWORD value = 0;
  if (!Read(inSize, in, &value)) return RefuseEscape();
  if (value == 0) {
    return Answer(outSize, out, pdev->pages.pagesStarted) ? 0 : RefuseEscape();
  }
  if (!(pdev->carried.captureFlags & kCaptureTab)) DivertTo(pdev, kChannelTabs);
  pdev->carried.captureFlags |= kCaptureTab;
  return 0;
}

ULONG TabPageEnd(PDEV* pdev, const void* in) {
  if (in == nullptr) return RefuseEscape();
  if (!(pdev->carried.captureFlags & kCaptureTab)) return 0;
  ComeBack(pdev);
  pdev->carried.captureFlags &= ~kCaptureTab;
  return 0;
}

struct TabSheetBlock {
  DWORD tabPage;
  DWORD four;
  DWORD setUp;
};
static_assert(sizeof(TabSheetBlock) == kTabSheetBlockBytes);

ULONG TabSheetBegin(PDEV* pdev, ULONG inSize, const void* in) {
  TabSheetBlock block{};
  if (!Read(inSize, in, &block)) return RefuseEscape();
  RecordTabStart(pdev, static_cast<int>(block.tabPage));
  if (block.setUp == 0) return 0;
  if (IsPostScriptJob(pdev)) {
    if (pdev->devmode.dmPrivate._bClearMemoryPerPage) EmitSaveRestore(pdev, kSavePage);
    WritePsPageSetup(pdev, FALSE);
  } else if (IsPcl(pdev)) {
    EnterHpglScaling(pdev, 0);
    pdev->carried.pclModeWords[kPclModeWordCount - 1] = kPclStateReset;
  }
  return 0;
}

ULONG TabSheetEnd(PDEV* pdev, ULONG inSize, const void* in) {
  TabSheetBlock block{};
  if (!Read(inSize, in, &block)) return RefuseEscape();
  if (block.setUp != 0) {
    if (IsPcl(pdev)) {
      ForgetSelectedFont(pdev);
    } else if (IsPostScriptJob(pdev)) {
      PageSetupState& setup = pdev->writers.pageSetup;
      if (setup.pageGsaveOpen) {
        WriteOut(pdev, kWriteText, 0, "\ngrestore\n");
        setup.pageGsaveOpen = FALSE;
      }
      if (pdev->devmode.dmPrivate._bNegativeImage) WriteOut(pdev, kWriteText, 0, "\n{}bind settransfer\n");
      if (pdev->devmode.dmPrivate._bClearMemoryPerPage && (pdev->carried.documentFlags & kDocPageSaveOpen)) {
        EmitSaveRestore(pdev, kRestorePage);
      }
      // The printer is back at its default black after the restore.
      pdev->writers.vector.color.color = 0;
      InvalidateVectorState(pdev, kStaleColor);
      ClearTextStates(pdev);
    }
  }
  RecordTabEnd(pdev, static_cast<int>(block.tabPage), 0);
  return 0;
}

ULONG BannerBegin(PDEV* pdev) {
  // The banner is drawn as one page on its sheet, whatever the job's PCL N-up.
  WORD& nUpPcl = pdev->devmode.dmPrivate._nUpPCL;
  const WORD jobNUp = nUpPcl;
  if (IsPcl(pdev)) nUpPcl = 1;
  // Come back to the same channel at the banner's end.
  pdev->output.savedChannel = pdev->output.currentChannel;
  EmitPageBegin(pdev, kSheetBanner, kBannerWithJobSettings);
  nUpPcl = jobNUp;
  pdev->carried.captureFlags |= kCaptureBanner;
  return 0;
}

ULONG BannerEnd(PDEV* pdev, ULONG inSize, const void* in) {
  DWORD drawn = kBannerDrawnDefault;
  Read(inSize, in, &drawn);
  pdev->bannerResult = drawn;
  EmitShowPage(pdev, kSheetBanner, kBannerWithJobSettings);
  ComeBack(pdev);
  ForgetSelectedFont(pdev);
  ReleaseFontLists(pdev);
  pdev->carried.softFontCounter = 0;
  pdev->carried.captureFlags &= ~kCaptureBanner;
  pdev->bannerResult = 0;
  return 0;
}

}  // namespace

ULONG ServeCaptureEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in, ULONG outSize, void* out) {
  switch (escape) {
    case kEscWatermarkBegin: return WatermarkBegin(pdev, inSize, in, outSize, out);
    case kEscWatermarkEnd: return WatermarkEnd(pdev);
    case kEscWatermarkFlag: pdev->carried.watermarkTextFlag = 1; return 1;
    case kEscTabPageBegin: return TabPageBegin(pdev, inSize, in, outSize, out);
    case kEscTabPageEnd: return TabPageEnd(pdev, in);
    case kEscTabSheetBegin: return TabSheetBegin(pdev, inSize, in);
    case kEscTabSheetEnd: return TabSheetEnd(pdev, inSize, in);
    case kEscBannerBegin: return BannerBegin(pdev);
    case kEscBannerEnd: return BannerEnd(pdev, inSize, in);
    default: return 0;
  }
}
