// The PostScript page matrix. A 1-up page gets the device-dot system of its
// imageable area (origin at its top left, y down) on the sheet. On N-up and
// booklet sheets the page is first placed in its cell of the sheet (in points,
// turned and scaled) and clipped to it, then given the same device-dot system
// of its own imageable area, so the drawing writers never know where the page
// lies. Lengths are thousandths of an inch until they are written.
#include <algorithm>
#include <cmath>
#include <string>

#include "graphics/core/pdev.h"
#include "graphics/output/page/page_setup_ps.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/stream/output.h"
#include "platform/base/arith.h"

using namespace pagesetup;

namespace {

constexpr WORD kLowCompression = 20;

// Lead corners: where the first cell of a sheet lies.
constexpr int kLeadTopLeft = 4;
constexpr int kLeadBottomLeft = 1;
constexpr int kLeadBottomRight = 64;
constexpr int kLeadTopRight = 16;

struct Rect {
  int32_t x0 = 0;  // left
  int32_t y0 = 0;  // bottom
  int32_t x1 = 0;  // right
  int32_t y1 = 0;  // top
};

// What both page matrices need of the sheet and the page.
struct Layout {
  int n = 1;
  int columns = 1;
  int rows = 1;
  int k = 0;  // position of the page on its sheet, from 0
  bool booklet = false;
  bool mirror = false;
  int32_t sheetWidth = 0;  // the smaller side (a booklet half when booklet)
  int32_t sheetHeight = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // the sheet's margins
  int dpi = 600;
};

bool PageMakerSix(const PDEV* pdev) { return pdev->carried.pageMakerVersion >= 6; }

double RoundToThousandths(double value) { return std::floor((value + 0.0005) * 1000.0) / 1000.0; }

Layout MakeLayout(const PDEV* pdev) {
  Layout layout;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  layout.n = std::max<int>(1, extra._nUp);
  PageNupGrid(layout.n, &layout.columns, &layout.rows);
  layout.k = pdev->pages.sheetPageIndex > 0 ? static_cast<int>(pdev->pages.sheetPageIndex) - 1 : 0;
  layout.booklet = extra._nBooklet != 0;
  layout.mirror = extra._bMirrorImage != 0;
  layout.dpi = pdev->devmode.dmPublic.dmPrintQuality > 0 ? pdev->devmode.dmPublic.dmPrintQuality : 600;

  const PaperEntry* paper = CurrentPaperRow(pdev);
  int32_t width = pdev->paperWidth;
  int32_t height = pdev->paperHeight;
  if (paper != nullptr) {
    const PaperGeometry& geometry = paper->geometry[0];
    width = geometry.width;
    height = geometry.height;
    if (paper->userSizeMark != 0) {
      width = static_cast<int32_t>(extra._lCustomWidth);
      height = static_cast<int32_t>(extra._lCustomLength);
    }
    if (extra._nMarginType != kMarginsNone && !layout.booklet) {
      layout.left = geometry.margin1;
      layout.top = geometry.margin2;
      layout.right = geometry.margin3;
      layout.bottom = geometry.margin4;
    }
  }
  if (layout.booklet) height /= 2;
  layout.sheetWidth = std::min(width, height);
  layout.sheetHeight = std::max(width, height);
  return layout;
}

// The scale of the page's imageable area in its cell, to three decimals.
double CellScale(const PDEV* pdev, int32_t cellWidth, int32_t cellHeight) {
  const double pageWidth = std::max<int32_t>(1, pdev->printableWidth);
  const double pageHeight = std::max<int32_t>(1, pdev->printableHeight);
  const double scale = std::min(cellWidth / pageWidth, cellHeight / pageHeight);
  return scale > 0 ? RoundToThousandths(scale) : 1.0;
}

int LeadCorner(const PDEV* pdev, int rotation) {
  static constexpr int kNormal[4] = {kLeadTopLeft, kLeadBottomLeft, kLeadBottomRight, kLeadTopRight};
  static constexpr int kPageMakerLandscape[4] = {kLeadTopRight, kLeadTopLeft, kLeadBottomLeft, kLeadBottomRight};
  const int quarter = ((rotation % 360 + 360) % 360) / 90;
  const bool pageMakerLandscape = PageMakerSix(pdev) && pdev->devmode.dmPublic.dmOrientation == DMORIENT_LANDSCAPE;
  return pageMakerLandscape ? kPageMakerLandscape[quarter] : kNormal[quarter];
}

// The page's cell on the sheet: cells fill rows or columns from the lead corner.
Rect PlaceCell(Rect sheet, int lead, int k, int n, int columns, int rows, int32_t cw, int32_t ch) {
  Rect cell = sheet;
  const int onSheet = k % n;
  switch (lead) {
    case kLeadBottomLeft:
      cell.x0 += (onSheet / rows) * cw;
      cell.y0 += (k % rows) * ch;
      cell.x1 = cell.x0 + cw;
      cell.y1 = cell.y0 + ch;
      break;
    case kLeadTopRight:
      cell.x1 -= (onSheet / rows) * cw;
      cell.y1 -= (k % rows) * ch;
      cell.x0 = cell.x1 - cw;
      cell.y0 = cell.y1 - ch;
      break;
    case kLeadBottomRight:
      cell.x1 -= (k % columns) * cw;
      cell.y0 += (onSheet / columns) * ch;
      cell.x0 = cell.x1 - cw;
      cell.y1 = cell.y0 + ch;
      break;
    default:  // top left
      cell.x0 += (k % columns) * cw;
      cell.y1 -= (onSheet / columns) * ch;
      cell.x1 = cell.x0 + cw;
      cell.y0 = cell.y1 - ch;
      break;
  }
  return cell;
}

// The page's origin in its cell for a rotation; the sheet form has the page in
// points with y up, the other the device-dot system with y down.
void CellOrigin(const Rect& cell, int rotation, bool sheetForm, bool mirror, int32_t* x, int32_t* y) {
  switch (((rotation % 360) + 360) % 360) {
    case 90:
      *x = sheetForm ? cell.x1 : cell.x0;
      *y = mirror ? cell.y1 : cell.y0;
      break;
    case 180:
      *x = mirror ? cell.x0 : cell.x1;
      *y = sheetForm ? cell.y1 : cell.y0;
      break;
    case 270:
      *x = sheetForm ? cell.x0 : cell.x1;
      *y = mirror ? cell.y0 : cell.y1;
      break;
    default:
      *x = mirror ? cell.x1 : cell.x0;
      *y = sheetForm ? cell.y0 : cell.y1;
      break;
  }
}

// A booklet page goes to one half of the sheet, turned: the half by the
// parity of the pages stored and the booklet type. True for the upper half.
bool BookletUpperHalf(const PDEV* pdev) {
  const bool odd = (pdev->pages.pagesStored % 2) != 0;
  return pdev->devmode.dmPrivate._nBooklet == 2 ? !odd : odd;
}

int WriteTurn(PDEV* pdev, bool upperHalf) {
  return WriteText(pdev, "currentpagedevice /PageSize get aload pop ") &&
         WriteText(pdev, upperHalf ? "2 div " : "pop 0 ") && WriteText(pdev, "translate 90 rotate\n");
}

// "72 dpi div dup scale x y translate r rotate sx sy scale", with the fraction
// form of y when asked; the origin in thousandths of an inch.
int WriteDotMatrix(PDEV* pdev, int dpi, int32_t x, int32_t y, int rotation, double sx, double sy, bool fraction) {
  const float fx = FloatForOut(sx);
  const float fy = FloatForOut(sy);
  const int dotsX = MulDiv(x, dpi, 1000);
  if (fraction) {
    const int64_t scaled = static_cast<int64_t>(y) * dpi;
    const int whole = static_cast<int>(scaled / 1000);
    const int thousandths = static_cast<int>(scaled % 1000);
    // The thousandths of a dot always take three digits: 6499.05 dots is
    // "6499.050", never "6499.50".
    char digits[4] = {char('0' + thousandths / 100), char('0' + thousandths / 10 % 10), char('0' + thousandths % 10),
                      0};
    return WriteFormatted(pdev, "72 %d div dup scale %d %d.%s translate %d rotate %F %F scale\n", dpi, dotsX, whole,
                          digits, rotation, &fx, &fy);
  }
  return WriteFormatted(pdev, "72 %d div dup scale %d %d translate %d rotate %F %F scale\n", dpi, dotsX,
                        MulDiv(y, dpi, 1000), rotation, &fx, &fy);
}

// Whether y (thousandths of an inch) is written with the thousandths of a dot.
bool UseFraction(const PDEV* pdev, int32_t y) {
  return y % 100 != 0 && pdev->devmode.dmPrivate._nCompression != kLowCompression;
}

// The page's own device-dot system inside its placement in points: origin at
// the top left of its imageable area (the margins as the engine's physical
// offsets give them for the page's rotation), y down.
int WritePageDotSystem(PDEV* pdev, int dpi, bool landscape) {
  int32_t offsetX = pdev->leftMargin;
  int32_t offsetY = pdev->topMargin;
  switch (pdev->rotation) {
    // clang-format off
    case 90: offsetX = pdev->bottomMargin; offsetY = pdev->leftMargin; break;
    case 180: offsetX = pdev->rightMargin; offsetY = pdev->bottomMargin; break;
    case 270: offsetX = pdev->topMargin; offsetY = pdev->rightMargin; break;
    // clang-format on
    default: break;
  }
  const int32_t pageHeight = landscape ? pdev->paperWidth : pdev->paperHeight;
  const int32_t y = pageHeight - offsetY;
  return WriteDotMatrix(pdev, dpi, offsetX, y, 0, 1.0, -1.0, UseFraction(pdev, y));
}

// The transfer function (colours to black, negative image) and the negative
// page's dark ground, for every page: a grestore at the page end or the
// "{}bind settransfer" of the sheet end would otherwise leave later pages
// without them.
int WriteTransfer(PDEV* pdev) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  std::string procedure;
  if (extra._bColorToBlack) procedure += " floor";
  if (extra._bNegativeImage) procedure += " 1 exch sub";
  int written = 1;
  if (!procedure.empty()) written = WriteFormatted(pdev, "{%s}bind settransfer\n", procedure.c_str());
  if (extra._bNegativeImage) written = written && WriteText(pdev, "1 setgray clippath fill\n");
  return written;
}

}  // namespace

void PageNupGrid(int n, int* columns, int* rows) {
  if (columns == nullptr || rows == nullptr) return;
  const int pages = n > 0 ? n : 1;
  int c = 1;
  int d = pages;
  for (int e = 1; e * e <= pages; ++e) {
    if (pages % e == 0) {
      c = e;
      d = pages / e;
    }
  }
  *columns = std::min(c, d);
  *rows = std::max(c, d);
}

int WritePsPageSetup(PDEV* pdev, BOOL sheetFlag) {
  if (pdev == nullptr || !IsPostScriptJob(pdev)) return 0;
  Layout layout = MakeLayout(pdev);
  PageSetupState& state = pdev->writers.pageSetup;
  const bool pageMaker = pdev->carried.pageMakerVersion != 0;
  const bool override = pdev->job.showpageOverride != 0;
  const bool wholeSheet = layout.n == 1 && !layout.booklet;

  int orientation = pdev->devmode.dmPublic.dmOrientation == DMORIENT_LANDSCAPE ? 2 : 1;
  if (PageMakerSix(pdev) && sheetFlag && orientation == 2) {
    orientation = 1;
    pdev->rotation = 180;
  }
  const bool pageMakerLandscape = PageMakerSix(pdev) && pdev->devmode.dmPublic.dmOrientation == DMORIENT_LANDSCAPE;
  // Only what needs placing on the sheet takes the sheet form; a plain 1-up
  // page gets its device-dot system directly.
  if (sheetFlag && !(layout.n > 1 || layout.booklet || override || pageMakerLandscape || layout.mirror)) {
    sheetFlag = FALSE;
  }

  const int32_t W = layout.sheetWidth;
  const int32_t H = layout.sheetHeight;
  int columns = layout.columns;
  int rows = layout.rows;
  int32_t cw = (W - layout.left - layout.right) / columns;
  int32_t ch = (H - layout.top - layout.bottom) / rows;
  // A landscape document on an N-up sheet is laid out on the sheet turned.
  const bool transposed = sheetFlag && orientation == 2 && !override && !pageMaker && !layout.booklet;
  Rect sheet{layout.left, layout.bottom, W - layout.right, H - layout.top};
  if (sheetFlag && wholeSheet)
    sheet = transposed ? Rect{0, 0, H, W} : Rect{0, 0, W, H};
  else if (transposed)
    sheet = Rect{layout.bottom, layout.right, H - layout.top, W - layout.left};
  // A 1-up page placed in the sheet form takes the whole sheet as its cell;
  // without the sheet form its cell is the imageable area of the sheet.
  if (sheetFlag && wholeSheet) {
    cw = W;
    ch = H;
  }
  if (transposed) {
    std::swap(columns, rows);
    std::swap(cw, ch);
  }

  // The page's rotation on the sheet.
  int rotation = pdev->rotation;
  const bool turned = rotation % 180 != 0;
  if (PageMakerSix(pdev)) {
    // clang-format off
    if (sheetFlag && pdev->devmode.dmPublic.dmOrientation == DMORIENT_LANDSCAPE) rotation = turned ? 90 : 180;
    else if (sheetFlag && !override && orientation == 2) rotation = turned ? 270 : 0;
    else if (layout.booklet) rotation = turned ? 90 : 0;
    // clang-format on
  } else if (sheetFlag && !override && orientation == 2) {
    rotation = turned ? 270 : 0;
  } else if (layout.booklet) {
    rotation = turned ? 90 : 0;
  }
  if (layout.k == 0) {
    state.sheetRotation = static_cast<WORD>(rotation);
    state.sheetTransposed = transposed ? TRUE : FALSE;
  }
  // A page whose orientation differs from the sheet's first page is laid out
  // in the other turn of the sheet; the sheet's lead corner, seen from there,
  // lies a quarter turn round (the turned system runs 90 degrees round).
  int leadRotation = state.sheetRotation;
  if (transposed && !state.sheetTransposed)
    leadRotation += 270;
  else if (!transposed && state.sheetTransposed)
    leadRotation += 90;

  const Rect cell = PlaceCell(sheet, LeadCorner(pdev, leadRotation), layout.k, layout.n, columns, rows, cw, ch);
  state.printable = SheetRect{cell.x0, cell.y0, cell.x1, cell.y1};

  // The scale of the imageable page in the cell; a 1-up page measures against
  // the imageable area of its sheet, so that the same paper prints at 1.
  const double scale = wholeSheet ? CellScale(pdev, W - layout.left - layout.right, H - layout.top - layout.bottom)
                                  : CellScale(pdev, cw, ch);

  int32_t x = 0;
  int32_t y = 0;
  CellOrigin(cell, rotation, sheetFlag, layout.mirror, &x, &y);
  const bool upperHalf = BookletUpperHalf(pdev);
  if (layout.booklet) {
    // Pages of a booklet meet at the fold: a page narrower than its half moves
    // towards it from the half whose outer edge holds its origin.
    const int32_t shift = std::max<int32_t>(0, W - static_cast<int32_t>(scale * pdev->paperWidth));
    if (rotation % 180 == 0 && !upperHalf)
      x += shift;
    else if (rotation % 180 != 0 && upperHalf)
      x -= shift;
  }

  int written = WriteText(pdev, "\ninitmatrix\n");
  if (layout.booklet)
    written = written && WriteTurn(pdev, upperHalf);
  else if (transposed)
    written = written && WriteTurn(pdev, false);

  if (sheetFlag) {
    const float sx = FloatForOut(layout.mirror ? -scale : scale);
    const float sy = FloatForOut(scale);
    written = written && WriteFormatted(pdev, "%d %d translate %d rotate %F %F scale\n", MulDiv(x, 72, 1000),
                                        MulDiv(y, 72, 1000), rotation, &sx, &sy);
    const bool landscape = orientation == 2;
    if (pdev->carried.acrobatVersion == 0) {
      const int32_t pageWidth = landscape ? pdev->paperHeight : pdev->paperWidth;
      const int32_t pageHeight = landscape ? pdev->paperWidth : pdev->paperHeight;
      written = written && WriteFormatted(pdev, "gsave\n0 0 %d %d rc\n", MulDiv(pageWidth, 72, 1000),
                                          MulDiv(pageHeight, 72, 1000));
      state.pageGsaveOpen = TRUE;
    }
    written = written && WritePageDotSystem(pdev, layout.dpi, landscape);
  } else {
    written = written && WriteDotMatrix(pdev, layout.dpi, x, y, rotation, layout.mirror ? -scale : scale, -scale,
                                        UseFraction(pdev, y));
  }
  written = written && WriteTransfer(pdev);
  return written ? 1 : 0;
}

int WritePsPageSetupAlt(PDEV* pdev, BOOL scaleFlag) {
  if (pdev == nullptr || !IsPostScriptJob(pdev)) return 0;
  const Layout layout = MakeLayout(pdev);
  const PageSetupState& state = pdev->writers.pageSetup;
  const int32_t W = layout.sheetWidth;
  const int32_t H = layout.sheetHeight;
  const Rect sheet{layout.left, layout.bottom, W - layout.right - 1, H - layout.top - 1};
  const int32_t cw = (W - layout.left - layout.right) / layout.columns;
  const int32_t ch = (H - layout.top - layout.bottom) / layout.rows;

  int rotation = pdev->rotation;
  if (cw > ch) rotation = (rotation + 90) % 360;
  const bool turned = rotation % 180 != 0;
  if (PageMakerSix(pdev) && pdev->devmode.dmPublic.dmOrientation == DMORIENT_LANDSCAPE)
    rotation = turned ? 90 : 180;
  else if (layout.booklet)
    rotation = turned ? 90 : 0;

  const int lead = LeadCorner(pdev, layout.k == 0 ? rotation : state.sheetRotation);
  const Rect cell = PlaceCell(sheet, lead, layout.k, layout.n, layout.columns, layout.rows, cw, ch);

  double scale = 1.0;
  if (scaleFlag) {
    const double pageWidth = std::max<int32_t>(1, pdev->printableWidth);
    const double pageHeight = std::max<int32_t>(1, pdev->printableHeight);
    const double fitted = std::min(std::min(cw, ch) / pageWidth, std::max(cw, ch) / pageHeight);
    if (fitted > 0) scale = RoundToThousandths(fitted);
  }
  int32_t x = 0;
  int32_t y = 0;
  CellOrigin(cell, rotation, false, layout.mirror, &x, &y);

  int written = WriteText(pdev, "\ninitmatrix\n");
  if (layout.booklet) written = written && WriteTurn(pdev, BookletUpperHalf(pdev));
  written = written && WriteDotMatrix(pdev, layout.dpi, x, y, rotation, layout.mirror ? -scale : scale, -scale, false);
  return written ? 1 : 0;
}
