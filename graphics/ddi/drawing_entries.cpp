// The drawing calls of the engine. The writers of the page's marks (vector
// paths, raster images, text) come later: until then each call checks its PDEV
// and refuses the drawing (ERROR_NOT_SUPPORTED), so that no page claims marks it
// does not carry.
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/pdev_check.h"

namespace {

BOOL NotDrawnYet(const SURFOBJ* pso) {
  if (!CheckedPdev(pso)) return FALSE;
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

// A copy involves the device surface on one side; its PDEV is the one checked.
const SURFOBJ* DeviceSide(const SURFOBJ* dest, const SURFOBJ* source) {
  if (dest && dest->iType != STYPE_BITMAP) return dest;
  if (source && source->iType != STYPE_BITMAP) return source;
  return dest;
}

}  // namespace

// Not drawn yet: bitmap copies to and from the device surface.
BOOL DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*) {
  return NotDrawnYet(DeviceSide(psoDest, psoSrc));
}

// Not drawn yet: text with device and downloaded fonts.
BOOL DrvTextOut(SURFOBJ* pso, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*, POINTL*, MIX) {
  return NotDrawnYet(pso);
}

// Not drawn yet: stroked paths.
BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*, LINEATTRS*, MIX) {
  return NotDrawnYet(pso);
}

// Not drawn yet: filled paths.
BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX, FLONG) { return NotDrawnYet(pso); }

// Not drawn yet: paths stroked and filled in one call.
BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, LINEATTRS*, BRUSHOBJ*, POINTL*,
                          MIX, FLONG) {
  return NotDrawnYet(pso);
}

// Not drawn yet: block transfers and pattern fills.
BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*, POINTL*, BRUSHOBJ*, POINTL*,
               ROP4) {
  return NotDrawnYet(psoTrg);
}

// Not drawn yet: stretched images.
BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, RECTL*,
                   RECTL*, POINTL*, ULONG) {
  return NotDrawnYet(psoDest);
}

// Not realised yet: the brushes of the fill writers.
BOOL DrvRealizeBrush(BRUSHOBJ*, SURFOBJ* psoTarget, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG) {
  return NotDrawnYet(psoTarget);
}

// The engine halftones every colour for the printer.
ULONG DrvDitherColor(DHPDEV dhpdev, ULONG /*iMode*/, ULONG /*rgb*/, ULONG* /*pul*/) {
  return CheckedPdev(dhpdev) ? DCR_HALFTONE : DCR_SOLID;
}
