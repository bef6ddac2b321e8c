// The PCL page and its HP-GL/2 plotting system: orientation, top margin and
// text length of the logical page, the picture frame over the whole page, and
// one plotter unit per device dot with y growing downwards, so that HP-GL/2
// and PCL cursor positions are the same device dots.
#include <cmath>

#include "graphics/core/pdev.h"
#include "graphics/output/page/page_setup_hpgl.h"
#include "graphics/output/page/page_setup_support.h"
#include "platform/base/arith.h"

using namespace pagesetup;

int EnterHpglScaling(PDEV* pdev, DWORD /*flag*/) {
  if (pdev == nullptr || !IsPclJob(pdev)) return 0;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  const int dpi = pdev->devmode.dmPublic.dmPrintQuality > 0 ? pdev->devmode.dmPublic.dmPrintQuality : 600;
  const int rotation = ((pdev->rotation % 360) + 360) % 360;
  const bool turned = rotation == 90 || rotation == 270;

  // The page's margins as seen on the turned page.
  int32_t top = pdev->topMargin;
  int32_t left = pdev->leftMargin;
  int32_t right = pdev->rightMargin;
  int32_t bottom = pdev->bottomMargin;
  switch (rotation) {
    // clang-format off
    case 90: top = pdev->leftMargin; left = pdev->bottomMargin; right = pdev->topMargin; bottom = pdev->rightMargin; break;
    case 180: top = pdev->bottomMargin; left = pdev->rightMargin; right = pdev->leftMargin; bottom = pdev->topMargin; break;
    case 270: top = pdev->rightMargin; left = pdev->topMargin; right = pdev->bottomMargin; bottom = pdev->leftMargin; break;
    // clang-format on
    default: break;
  }
  const int32_t length = turned ? pdev->paperWidth : pdev->paperHeight;
  const int32_t width = turned ? pdev->paperHeight : pdev->paperWidth;
  if (extra._bNupBorder) {
    pdev->writers.pageSetup.border = SheetRect{left, bottom, width - right, length - top};
  }

  int written = LeaveHpgl(pdev);
  int quarter = rotation / 90;
  if (extra._bRotatePage) quarter = (quarter + 2) % 4;
  written = written && WriteFormatted(pdev, "\x1b&l%dO", quarter);

  const float motion = FloatForOut(48.0 / dpi);
  written = written && WriteFormatted(pdev, "\x1b&l%Fc%dE", &motion, MulDiv(top, dpi, 1000));

  // Text length in lines of 1/6 inch at the vertical motion index above,
  // computed in floating point: whole-inch steps would lose up to an inch.
  const double lines = extra._nMarginType == kMarginsNone ? dpi * static_cast<double>(length) / 1000.0 - 1.0
                                                          : dpi * ((length - top) / 1000.0 - 1.0 / 6.0);
  written = written && WriteFormatted(pdev, "\x1b&l%dF", static_cast<int>(std::lround(lines)));

  written = written && WriteFormatted(pdev, "\x1b*p0x0Y\x1b*c%dy0T\x1b%%0BIR0,100,100,0;", MulDiv(length, 720, 1000));
  pdev->job.inHpgl = 1;
  const float unit = FloatForOut(1016.0 / dpi);
  written = written && WriteFormatted(pdev, "SC0,%F,0,-%F,2;", &unit, &unit);
  written = written && WriteText(pdev, "SP1TR0;\x1b%1A");
  pdev->job.inHpgl = 0;
  return written ? 1 : 0;
}
