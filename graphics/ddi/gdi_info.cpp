// The GDIINFO of a device context. The page geometry comes from the PDEV, which
// has it from the model's paper row for the job's language in thousandths of an
// inch: the paper size (the device mode's own for a user-defined size, upright
// on the variant models) and the unprintable margins the job keeps (none without
// margins or in booklet printing; see InitPdev).
#include <cstring>
#include <utility>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/ddi/device_info.h"
#include "platform/base/arith.h"

namespace {

constexpr int kMinScale = 10;
constexpr int kMaxScale = 400;
constexpr int kPlainScale = 100;

constexpr ULONG kTextCaps = TC_OP_CHARACTER | TC_OP_STROKE | TC_CP_STROKE | TC_UA_ABLE | TC_SO_ABLE;
constexpr ULONG kPostScriptTextCaps = TC_CR_ANY | TC_SF_X_YINDEP | TC_SA_DOUBLE | TC_SA_INTEGER | TC_SA_CONTIN;
static_assert(kTextCaps == 0x1807 && kPostScriptTextCaps == 0x1F0);

constexpr ULONG kHalftonePattern8x8M = 7;
constexpr ULONG kHalftoneHasBlackDye = 2;

// The printer's colours for the engine's halftoning, in COLORINFO order.
// clang-format off
constexpr COLORINFO kDeviceColors = {
    {6700, 3300, 0},    {2100, 7100, 0},    {1400, 800, 0},   {1750, 3950, 65535},
    {4050, 2050, 0},    {4400, 5200, 0},    {3127, 3290, 10000},
    10000,              10000,              10000,
    1648,               267,                103,              154,
    86,                 129};
// clang-format on

// The margins at the top-left corner of the page as the engine sees it: the
// page turns with the PDEV's rotation.
POINTL CornerMargins(const PDEV& pdev) {
  switch (pdev.rotation) {
    case 90: return {pdev.bottomMargin, pdev.leftMargin};
    case 180: return {pdev.rightMargin, pdev.bottomMargin};
    case 270: return {pdev.topMargin, pdev.rightMargin};
    default: return {pdev.leftMargin, pdev.topMargin};
  }
}

}  // namespace

int SettledScale(const PDEV* pdev) {
  if (!pdev) return kPlainScale;
  const int scale = pdev->devmode.dmPublic.dmScale;
  return scale >= kMinScale && scale <= kMaxScale ? scale : kPlainScale;
}

void FillGdiInfo(PDEV* pdev, ULONG size, ULONG* out) {
  if (!pdev || !pdev->model) return;
  const DEVMODEW& pub = pdev->devmode.dmPublic;
  const bool postScript = IsPostScriptPdl(pdev->devmode.dmPrivate._nPDL);
  const LONG dpi = pub.dmPrintQuality;
  const LONG resolution = pdev->resolution;
  const bool landscape = pub.dmOrientation == DMORIENT_LANDSCAPE;

  // Printable area (thousandths of an inch) and logical resolution. A scaled
  // page is laid out larger or smaller at a lower or higher logical resolution;
  // the document reader's pages on a PCL printer keep the device's own.
  LONG printableWidth = pdev->printableWidth;
  LONG printableHeight = pdev->printableHeight;
  if (landscape) std::swap(printableWidth, printableHeight);
  LONG logPixels = dpi;
  if (pdev->carried.acrobatVersion == 0 || postScript) {
    const int scale = SettledScale(pdev);
    printableWidth = MulDiv(printableWidth, kPlainScale, scale);
    printableHeight = MulDiv(printableHeight, kPlainScale, scale);
    logPixels = MulDiv(dpi, scale, kPlainScale);
  }

  GDIINFO info{};
  info.ulVersion = 0x400;
  info.ulTechnology = 2;  // DT_RASPRINTER
  info.ulHorzSize = static_cast<ULONG>(MulDiv(printableWidth, 254, 10000));
  info.ulVertSize = static_cast<ULONG>(MulDiv(printableHeight, 254, 10000));
  info.ulHorzRes = static_cast<ULONG>(MulDiv(printableWidth, logPixels, 1000));
  info.ulVertRes = static_cast<ULONG>(MulDiv(printableHeight, logPixels, 1000));
  pdev->surfaceWidth = static_cast<LONG>(info.ulHorzRes);
  pdev->surfaceHeight = static_cast<LONG>(info.ulVertRes);
  info.cBitsPixel = 1;
  info.cPlanes = 1;
  info.ulNumColors = 256;
  info.flRaster = 0;
  info.ulLogPixelsX = static_cast<ULONG>(logPixels);
  info.ulLogPixelsY = static_cast<ULONG>(logPixels);
  info.flTextCaps = kTextCaps | (postScript ? kPostScriptTextCaps : 0);
  info.ulAspectX = static_cast<ULONG>(dpi);
  info.ulAspectY = static_cast<ULONG>(dpi);
  info.ulAspectXY = static_cast<ULONG>(dpi) * 1414u / 1000u;
  info.xStyleStep = 5;
  info.yStyleStep = 5;
  info.denStyleStep = dpi / 25;
  const POINTL corner = CornerMargins(*pdev);
  info.ptlPhysOffset = {MulDiv(corner.x, resolution, 1000), MulDiv(corner.y, resolution, 1000)};
  info.szlPhysSize = {MulDiv(pdev->paperWidth, resolution, 1000), MulDiv(pdev->paperHeight, resolution, 1000)};
  if (landscape) std::swap(info.szlPhysSize.cx, info.szlPhysSize.cy);
  info.ulNumPalReg = 0;
  info.ciDevice = kDeviceColors;
  info.ulDevicePelsDPI = static_cast<ULONG>(dpi);
  info.ulPrimaryOrder = 0;  // PRIMARY_ORDER_ABC
  info.ulHTPatternSize = kHalftonePattern8x8M;
  info.ulHTOutputFormat = HT_FORMAT_1BPP;
  info.flHTFlags = kHalftoneHasBlackDye;
  info.ulVRefresh = 0;
  info.ulBltAlignment = 0;
  info.ulPanningHorzRes = info.ulHorzRes;
  info.ulPanningVertRes = info.ulVertRes;

  if (out) std::memcpy(out, &info, size < sizeof info ? size : sizeof info);
}
