// Colour translation objects and transforms.
#include <cmath>

#include "platform/gdi/engine_internal.h"
#include "platform/gdi/live_objects.h"

namespace platform::gdi {

Xlate::Xlate() : XLATEOBJ{} { LiveObjects<Xlate>::Add(this); }

Xlate::~Xlate() { LiveObjects<Xlate>::Remove(this); }

std::unique_ptr<Xlate> Xlate::Trivial() {
  std::unique_ptr<Xlate> xlate(new Xlate());
  xlate->flXlate = XO_TRIVIAL;
  return xlate;
}

std::unique_ptr<Xlate> Xlate::Table(std::vector<ULONG> indexToRgb) {
  std::unique_ptr<Xlate> xlate(new Xlate());
  xlate->table_ = std::move(indexToRgb);
  xlate->flXlate = XO_TABLE;
  xlate->iSrcType = PAL_INDEXED;
  xlate->iDstType = PAL_RGB;
  xlate->cEntries = static_cast<ULONG>(xlate->table_.size());
  xlate->pulXlate = xlate->table_.data();
  return xlate;
}

namespace {

LONG RoundHalfAway(double v) {
  const double r = v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
  if (r > 2147483647.0) return INT32_MAX;
  if (r < -2147483648.0) return INT32_MIN;
  return static_cast<LONG>(r);
}

}  // namespace

Xform::Xform(const XFORML& m) : XFORMOBJ{}, m_(m) { LiveObjects<Xform>::Add(this); }

Xform::~Xform() { LiveObjects<Xform>::Remove(this); }

std::unique_ptr<Xform> Xform::Identity() { return std::make_unique<Xform>(XFORML{1, 0, 0, 1, 0, 0}); }

ULONG Xform::Kind() const {
  if (m_.eM12 != 0 || m_.eM21 != 0) return GX_GENERAL;
  if (m_.eM11 != 1 || m_.eM22 != 1) return GX_SCALE;
  if (m_.eDx != 0 || m_.eDy != 0) return GX_OFFSET;
  return GX_IDENTITY;
}

bool Xform::Apply(ULONG mode, ULONG count, const void* in, void* out) const {
  if (in == nullptr || out == nullptr) return false;
  const double a = m_.eM11, b = m_.eM12, c = m_.eM21, d = m_.eM22, dx = m_.eDx, dy = m_.eDy;
  const bool inverse = mode == XF_INV_LTOL || mode == XF_INV_FXTOL;
  const double det = a * d - b * c;
  if (inverse && det == 0) return false;
  const auto* src = static_cast<const POINTL*>(in);  // POINTL and POINTFIX share a layout
  auto* dst = static_cast<POINTL*>(out);
  for (ULONG i = 0; i < count; ++i) {
    double x = src[i].x, y = src[i].y;
    if (mode == XF_INV_FXTOL) {
      x /= 16.0;
      y /= 16.0;
    }
    double ox, oy;
    if (inverse) {
      x -= dx;
      y -= dy;
      ox = (x * d - y * c) / det;
      oy = (y * a - x * b) / det;
    } else {
      ox = x * a + y * c + dx;
      oy = x * b + y * d + dy;
    }
    if (mode == XF_LTOFX) {
      ox *= 16.0;
      oy *= 16.0;
    }
    dst[i] = POINTL{RoundHalfAway(ox), RoundHalfAway(oy)};
  }
  return true;
}

}  // namespace platform::gdi

using platform::gdi::LiveObjects;
using platform::gdi::Xform;

ZEL_EXTERN_C ULONG XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor) {
  if (pxlo == nullptr || (pxlo->flXlate & XO_TRIVIAL)) return iColor;
  if ((pxlo->flXlate & XO_TABLE) && pxlo->pulXlate != nullptr)
    return iColor < pxlo->cEntries ? pxlo->pulXlate[iColor] : 0xFFFFFFFFu;
  return iColor;
}

ZEL_EXTERN_C ULONG* XLATEOBJ_piVector(XLATEOBJ* pxlo) {
  if (pxlo == nullptr || !(pxlo->flXlate & XO_TABLE)) return nullptr;
  return pxlo->pulXlate;
}

ZEL_EXTERN_C ULONG XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform) {
  const Xform* xform = LiveObjects<Xform>::Find(pxo);
  if (xform == nullptr) return DDI_ERROR;
  if (pxform != nullptr) *pxform = xform->matrix();
  return xform->Kind();
}

ZEL_EXTERN_C ULONG XFORMOBJ_iGetFloatObjXform(XFORMOBJ* pxo, FLOATOBJ_XFORM* pfxo) {
  const Xform* xform = LiveObjects<Xform>::Find(pxo);
  if (xform == nullptr) return DDI_ERROR;
  if (pfxo != nullptr) {
    const XFORML& m = xform->matrix();
    *pfxo = FLOATOBJ_XFORM{m.eM11, m.eM12, m.eM21, m.eM22, m.eDx, m.eDy};
  }
  return xform->Kind();
}

ZEL_EXTERN_C BOOL XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut) {
  const Xform* xform = LiveObjects<Xform>::Find(pxo);
  if (xform == nullptr || iMode > XF_INV_FXTOL) return FALSE;
  return xform->Apply(iMode, cPoints, pvIn, pvOut) ? TRUE : FALSE;
}
