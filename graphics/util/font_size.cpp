#include "graphics/util/font_size.h"

#include "graphics/core/pdev.h"
#include "graphics/util/core_math.h"
#include "platform/base/arith.h"
#include "platform/gdi/eng_services.h"

namespace {

// The em vector through the font's transform in the given mode.
bool TransformedEm(FONTOBJ* pfo, ULONG mode, POINTL* out) {
  if (pfo == nullptr) return false;
  XFORMOBJ* transform = FONTOBJ_pxoGetXform(pfo);
  const IFIMETRICS* metrics = FONTOBJ_pifi(pfo);
  if (transform == nullptr || metrics == nullptr) return false;
  POINTL em{0, metrics->fwdUnitsPerEm};
  return XFORMOBJ_bApplyXform(transform, mode, 1, &em, out) != FALSE;
}

}  // namespace

int GetFontHeight(FONTOBJ* pfo) {
  POINTL em{};
  if (!TransformedEm(pfo, XF_LTOL, &em)) return -1;
  return IntHypot(em.x, em.y);
}

float GetFontScale(FONTOBJ* pfo) {
  POINTL em{};
  if (!TransformedEm(pfo, XF_LTOFX, &em)) return -1.0f;
  return FloatHypot(FixToFloat(em.x), FixToFloat(em.y));
}

int GetFontPointSize(const PDEV* pdev, FONTOBJ* pfo) {
  if (pdev == nullptr) return -1;
  const int dpi = pdev->devmode.dmPublic.dmPrintQuality;
  const int height = GetFontHeight(pfo);
  if (height < 0 || dpi <= 0) return -1;
  return MulDiv(height, 72, dpi);
}
