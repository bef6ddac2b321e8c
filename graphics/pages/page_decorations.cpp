// What the page end draws over a page: the border of the page's cell on an
// N-up or booklet sheet, and the watermark captured to lie over the page.
#include <algorithm>

#include "graphics/output/job/job_prolog.h"
#include "graphics/output/page/page_setup_ps.h"
#include "graphics/output/vector/vector_rectangle.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/output.h"
#include "platform/base/arith.h"

namespace pagestore {

namespace {

constexpr DWORD kRop3PatternCopy = 0x00F00021;
constexpr LONG kFixOne = 16;  // 28.4 fixed point

LONG Dots(int32_t thousandths, int dpi) { return MulDiv(thousandths, dpi, 1000); }

int PrintQuality(const PDEV* pdev) {
  const SHORT dpi = pdev->devmode.dmPublic.dmPrintQuality;
  return dpi > 0 ? dpi : 300;
}

// Driver PostScript inside application PostScript needs the procedure set's
// dictionary on the stack again.
struct DictionaryScope {
  PDEV* pdev;
  bool opened;
  explicit DictionaryScope(PDEV* p) : pdev(p), opened((p->carried.captureFlags & kJobAppPostScriptWritten) != 0) {
    if (opened) WritePsPrologPart(pdev, TRUE);
  }
  ~DictionaryScope() {
    if (opened) WritePsPrologPart(pdev, FALSE);
  }
  DictionaryScope(const DictionaryScope&) = delete;
  DictionaryScope& operator=(const DictionaryScope&) = delete;
};

// A frame of four filled bars just inside the rectangle (device dots).
void DrawFrame(PDEV* pdev, LONG left, LONG top, LONG right, LONG bottom, int dpi) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  const LONG width = std::max<LONG>(1, dpi / 144);  // about half a point
  const RECTL bars[4] = {
      {left, top, right, top + width},
      {left, bottom - width, right, bottom},
      {left, top, left + width, bottom},
      {right - width, top, right, bottom},
  };
  BRUSHOBJ black{0, nullptr, 0};
  for (const RECTL& bar : bars) {
    RECTL fixed{bar.left * kFixOne, bar.top * kFixOne, bar.right * kFixOne, bar.bottom * kFixOne};
    WriteRectangle(pdev, &fixed, nullptr, nullptr, &black, 0, kRop3PatternCopy, nullptr, FALSE, FALSE);
  }
}

}  // namespace

void DrawPageBorder(PDEV* pdev) {
  // N-up and booklet sheets are PostScript layouts.
  if (!IsPostScriptJob(pdev)) return;
  const int dpi = PrintQuality(pdev);
  DictionaryScope dictionary(pdev);
  if (PagesPerSheet(pdev) == 1) {
    // A booklet half: the cell on the sheet, in dots from the sheet's corner.
    WriteText(pdev, "\ngsave\ninitmatrix\n");
    WriteFormatted(pdev, "72 %d div dup scale\n", dpi);
    const SheetRect& cell = pdev->writers.pageSetup.printable;
    DrawFrame(pdev, Dots(cell.left, dpi), Dots(cell.bottom, dpi), Dots(cell.right, dpi), Dots(cell.top, dpi), dpi);
  } else {
    // An N-up cell: the page's printable area in the page's own placement.
    WriteText(pdev, "\ngsave\n");
    WritePsPageSetupAlt(pdev, TRUE);
    DrawFrame(pdev, 0, 0, Dots(pdev->printableWidth, dpi), Dots(pdev->printableHeight, dpi), dpi);
  }
  WriteText(pdev, "\ngrestore\n");
}

void CopyForegroundWatermark(PDEV* pdev) {
  // A watermark laid behind the page was replayed at its set-up.
  if (pdev->carried.watermarkCapture != 2 || Extra(pdev)._bWmBackground != 0) return;
  if (IsPostScriptJob(pdev)) {
    DictionaryScope dictionary(pdev);
    WriteText(pdev, "\ngsave\n");
    WritePsPageSetupAlt(pdev, TRUE);
    EmitWatermarkFile(pdev);
    WriteText(pdev, "\ngrestore\n");
    if (pdev->job.epsMode != 0) WriteText(pdev, "\ninitmatrix\n");
  } else {
    // The capture draws in HP-GL/2 (it starts by entering it); the page goes
    // on in PCL at the cursor it had.
    EmitWatermarkFile(pdev);
    WriteText(pdev, "\x1b%0A");
  }
  pdev->currentFont = kNoCurrentFont;
  pdev->carried.watermarkCapture = 0;
}

}  // namespace pagestore
