// Banding: one band per page, the whole page.
//
// The device surface is managed by the library (24 bits per pixel, no bits kept
// by the engine): everything drawn on a page reaches the library through the
// hooked drawing calls and goes into the job as it is drawn. The band itself
// therefore holds nothing to send; the band protocol is answered so that an
// engine that bands still gets its pages, and the page ends through
// DrvSendPage.
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/pdev_check.h"

namespace {

constexpr DWORD kBandReady = 1;  // after DrvStartBanding and after a page's band
constexpr DWORD kBandOut = 2;    // the page's band is being drawn

}  // namespace

BOOL DrvStartBanding(SURFOBJ* pso, POINTL* pptl) {
  PDEV* pdev = CheckedPdev(pso);
  if (!pdev) return FALSE;
  if (!pptl) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pptl = {0, 0};
  pdev->carried.bandState = kBandReady;
  return TRUE;
}

BOOL DrvNextBand(SURFOBJ* pso, POINTL* pptl) {
  PDEV* pdev = CheckedPdev(pso);
  if (!pdev) return FALSE;
  if (!pptl) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (pdev->carried.bandState == kBandOut) {
    // The page's only band is done: no more bands, and the page ends.
    pdev->carried.bandState = kBandReady;
    *pptl = {-1, -1};
    return DrvSendPage(pso);
  }
  *pptl = {0, 0};
  pdev->carried.bandState = kBandOut;
  return TRUE;
}
