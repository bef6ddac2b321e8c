// The document and page calls of the engine: they keep the document flags and
// the capture and EPS gates, and hand the work to the document and page store.
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/output/fonts/free_font_substitution.h"
#include "graphics/pages/document_store.h"
#include "graphics/stream/output.h"
#include "platform/gdi/dc.h"

namespace {

constexpr BYTE kDocumentOpen = kDocStarted | kDocStartedBeforeReset;
constexpr DWORD kOutputAsPaper = 0xFFFF;
constexpr DWORD kMonitorPerJob = 2;
constexpr WORD kOutputMacroFile = 5;
constexpr DWORD kCapturing = kCaptureTab | kCaptureBanner | kCaptureWatermark;

// Whether the application ends its own pages (EPS printing, or its own
// PostScript before the first page, with page control announced).
bool ApplicationControlsPages(const PDEV& pdev) {
  return (pdev.job.epsMode != 0 || (pdev.carried.captureFlags & kCaptureAppPostScriptFirst) != 0) &&
         pdev.job.applicationPageControl != 0;
}

// What a document leaves behind when it ends, or fails to start: its channel
// files, its document flags and its substitution table.
void CloseDocument(PDEV* pdev) {
  DeleteChannelFiles(pdev);
  pdev->carried.documentFlags &= static_cast<BYTE>(~kDocumentOpen);
  FreeFontSubstitution(&pdev->fontSubstitution);
}

}  // namespace

BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId) {
  PDEV* pdev = CheckedPdev(pso);
  if (!pdev) return FALSE;
  // Started already, here or on the PDEV a reset replaced: the document goes on.
  if (pdev->carried.documentFlags & kDocumentOpen) return TRUE;
  pdev->carried.documentFlags |= kDocStarted;

  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  FreeFontSubstitution(&pdev->fontSubstitution);
  pdev->fontSubstitution =
      BuildFontSubstitutionTable(pdev->printer, pdev->carried.printerName, extra._nPDL, pdev->carried.deviceFonts, 0);
  const DWORD paper = extra._iOutputSize != kOutputAsPaper ? extra._iOutputSize
                                                           : static_cast<DWORD>(pdev->devmode.dmPublic.dmPaperSize);
  pdev->pages.currentPaper = static_cast<WORD>(paper);
  pdev->pages.currentFeed = extra._iOutputFeedDirection;
  // The status monitor follows the job by its spooler id; a macro file is no job.
  pdev->carried.spoolerJobId = extra._iSNMP == kMonitorPerJob && extra._nOutputDest != kOutputMacroFile ? dwJobId : 0;

  static const WCHAR kNoName[] = u"";
  if (BeginDocument(pdev, pwszDocName ? pwszDocName : kNoName) != 1) {
    // Not started: a later StartDoc on this device context starts afresh.
    CloseDocument(pdev);
    return FALSE;
  }
  return TRUE;
}

BOOL DrvEndDoc(SURFOBJ* pso, FLONG fl) {
  PDEV* pdev = CheckedPdev(pso);
  if (!pdev) return FALSE;
  BOOL ended = TRUE;
  if (fl & ED_ABORTDOC) {
    // The spooler drops the job: nothing more is written for it, but what the
    // document held goes.
    ReleaseDocumentFonts(pdev, FALSE);
  } else {
    if (EndDocument(pdev) != 1) ended = FALSE;
    if (!FlushOutputBuffer(pdev)) ended = FALSE;
    // A job with a hole is not reported as printed.
    if (OutputFailed(pdev)) ended = FALSE;
  }
  CloseDocument(pdev);
  return ended;
}

BOOL DrvStartPage(SURFOBJ* pso) {
  PDEV* pdev = CheckedPdev(pso);
  if (!pdev) return FALSE;
  // A page drawn for a tab sheet, banner or watermark is captured, not printed.
  if (pdev->carried.captureFlags & kCapturing) return TRUE;
  pdev->carried.captureFlags |= kCapturePageStarted;
  if (ApplicationControlsPages(*pdev)) return TRUE;
  return BeginPage(pdev) > 0 ? TRUE : FALSE;
}

BOOL DrvSendPage(SURFOBJ* pso) {
  PDEV* pdev = CheckedPdev(pso);
  if (!pdev) return FALSE;
  if (pdev->carried.captureFlags & kCapturing) return TRUE;
  if (pdev->job.epsMode != 0 && !(pdev->carried.captureFlags & kCaptureAppPostScriptFirst))
    pdev->job.pageEndSuppressed = 1;
  if (ApplicationControlsPages(*pdev)) return TRUE;
  return EndPage(pdev) > 0 ? TRUE : FALSE;
}
