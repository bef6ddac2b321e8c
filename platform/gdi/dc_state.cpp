// The drawing state an application sets on a DC: selected objects, clipping,
// map mode and world transform, the current position.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/base/errors.h"
#include "platform/gdi/dc_transform.h"
#include "platform/gdi/display_dc.h"
#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {
namespace {

XFORM Multiply(const XFORM& a, const XFORM& b) {  // a then b (row vectors: a * b)
  return XFORM{a.eM11 * b.eM11 + a.eM12 * b.eM21,       a.eM11 * b.eM12 + a.eM12 * b.eM22,
               a.eM21 * b.eM11 + a.eM22 * b.eM21,       a.eM21 * b.eM12 + a.eM22 * b.eM22,
               a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx, a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy};
}

bool Invertible(const XFORM& m) { return std::fabs(double(m.eM11) * m.eM22 - double(m.eM12) * m.eM21) > 1e-12; }

}  // namespace

PagePoint ToDevice(const DeviceContext& dc, double x, double y) {
  const XFORM& w = dc.drawing.world;
  const double wx = x * w.eM11 + y * w.eM21 + w.eDx;
  const double wy = x * w.eM12 + y * w.eM22 + w.eDy;
  const PageScale s = PageScaleOf(dc);
  const DrawingState& d = dc.drawing;
  return PagePoint{(wx - d.windowOrg.x) * s.x + d.viewportOrg.x, (wy - d.windowOrg.y) * s.y + d.viewportOrg.y};
}

PageScale PageScaleOf(const DeviceContext& dc) {
  const double dpiX = dc.pdev.gdiInfo.ulLogPixelsX ? dc.pdev.gdiInfo.ulLogPixelsX : 600;
  const double dpiY = dc.pdev.gdiInfo.ulLogPixelsY ? dc.pdev.gdiInfo.ulLogPixelsY : 600;
  double unitsPerInch = 0;
  switch (dc.drawing.mapMode) {
    case MM_LOMETRIC: unitsPerInch = 254; break;
    case MM_HIMETRIC: unitsPerInch = 2540; break;
    case MM_LOENGLISH: unitsPerInch = 100; break;
    case MM_HIENGLISH: unitsPerInch = 1000; break;
    case MM_TWIPS: unitsPerInch = 1440; break;
    default: return PageScale{1, 1};
  }
  // The metric and English modes count y upwards.
  return PageScale{dpiX / unitsPerInch, -dpiY / unitsPerInch};
}

POINTFIX ToFix(const PagePoint& p) {
  return POINTFIX{static_cast<FIX>(std::lround(p.x * 16)), static_cast<FIX>(std::lround(p.y * 16))};
}

double DeviceScale(const DeviceContext& dc) {
  const XFORM& w = dc.drawing.world;
  const PageScale s = PageScaleOf(dc);
  const double det = (double(w.eM11) * w.eM22 - double(w.eM12) * w.eM21) * s.x * s.y;
  return std::sqrt(std::fabs(det));
}

}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::Select(*display, h);
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  auto object = FindGdiObject(h);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  DrawingState& state = dc->drawing;
  switch (object->kind) {
    case GdiObject::Kind::Pen: {
      HGDIOBJ previous = state.penHandle ? state.penHandle : GetStockObject(BLACK_PEN);
      state.pen = object->pen;
      state.penHandle = h;
      return previous;
    }
    case GdiObject::Kind::Brush: {
      HGDIOBJ previous = state.brushHandle ? state.brushHandle : GetStockObject(WHITE_BRUSH);
      state.brush = object->brush;
      state.brushHandle = h;
      return previous;
    }
    case GdiObject::Kind::Font: {
      HGDIOBJ previous = state.fontHandle;
      state.font = object->font;
      state.fontHandle = h;
      return previous;
    }
    case GdiObject::Kind::Region: return static_cast<HGDIOBJ>(SelectClipRgn(hdc, h));
  }
  return 0;
}

ZEL_EXTERN_C int SelectClipRgn(HDC hdc, HRGN hrgn) {
  auto dc = FindDC(hdc);
  if (!dc) return ERROR;
  if (hrgn == 0) {
    dc->drawing.clipped = false;
    dc->drawing.clip.clear();
    return SIMPLEREGION;
  }
  auto region = FindGdiObject(hrgn);
  if (!region || region->kind != GdiObject::Kind::Region) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  dc->drawing.clipped = true;
  dc->drawing.clip = region->rects;
  return RegionKind(dc->drawing.clip);
}

ZEL_EXTERN_C int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = FindDC(hdc);
  if (!dc) return ERROR;
  // The logical rectangle's device bounds (exact for transforms without rotation).
  const PagePoint corners[] = {ToDevice(*dc, left, top), ToDevice(*dc, right, top), ToDevice(*dc, right, bottom),
                               ToDevice(*dc, left, bottom)};
  double minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
  for (const PagePoint& c : corners) {
    minX = std::min(minX, c.x);
    maxX = std::max(maxX, c.x);
    minY = std::min(minY, c.y);
    maxY = std::max(maxY, c.y);
  }
  const RECTL rect{static_cast<LONG>(std::lround(minX)), static_cast<LONG>(std::lround(minY)),
                   static_cast<LONG>(std::lround(maxX)), static_cast<LONG>(std::lround(maxY))};
  std::vector<RECTL> current =
      dc->drawing.clipped
          ? dc->drawing.clip
          : std::vector<RECTL>{RECTL{0, 0, dc->pdev.gdiInfo.szlPhysSize.cx, dc->pdev.gdiInfo.szlPhysSize.cy}};
  dc->drawing.clip = IntersectRegions(current, {rect});
  dc->drawing.clipped = true;
  return RegionKind(dc->drawing.clip);
}

ZEL_EXTERN_C int SetMapMode(HDC hdc, int iMode) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::SetMapMode(*display, iMode);
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  if (iMode < MM_TEXT || iMode > MM_TWIPS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return std::exchange(dc->drawing.mapMode, iMode);
}

ZEL_EXTERN_C int GetMapMode(HDC hdc) {
  auto dc = FindDC(hdc);
  return dc ? dc->drawing.mapMode : 0;
}

ZEL_EXTERN_C int SetGraphicsMode(HDC hdc, int iMode) {
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  if (iMode != GM_COMPATIBLE && iMode != GM_ADVANCED) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const XFORM identity{1, 0, 0, 1, 0, 0};
  // Back to compatible mode only with the identity transform, as on Windows.
  if (iMode == GM_COMPATIBLE && std::memcmp(&dc->drawing.world, &identity, sizeof identity) != 0) return 0;
  return std::exchange(dc->drawing.graphicsMode, iMode);
}

ZEL_EXTERN_C int SetPolyFillMode(HDC hdc, int mode) {
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  if (mode != ALTERNATE && mode != WINDING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return std::exchange(dc->drawing.fillMode, mode);
}

ZEL_EXTERN_C BOOL SetMiterLimit(HDC hdc, FLOAT limit, PFLOAT old) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (!(limit >= 1.0f) || !std::isfinite(limit)) {  // a miter is never shorter than the line is wide
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (old != nullptr) *old = dc->drawing.miterLimit;
  dc->drawing.miterLimit = limit;
  return TRUE;
}

ZEL_EXTERN_C BOOL GetMiterLimit(HDC hdc, PFLOAT plimit) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (plimit == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *plimit = dc->drawing.miterLimit;
  return TRUE;
}

ZEL_EXTERN_C BOOL SetWorldTransform(HDC hdc, const XFORM* lpxf) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (lpxf == nullptr || dc->drawing.graphicsMode != GM_ADVANCED || !Invertible(*lpxf)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  dc->drawing.world = *lpxf;
  return TRUE;
}

ZEL_EXTERN_C BOOL ModifyWorldTransform(HDC hdc, const XFORM* lpxf, DWORD mode) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->drawing.graphicsMode != GM_ADVANCED || (mode != MWT_IDENTITY && lpxf == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  XFORM result{1, 0, 0, 1, 0, 0};
  switch (mode) {
    case MWT_IDENTITY: break;
    case MWT_LEFTMULTIPLY: result = Multiply(*lpxf, dc->drawing.world); break;
    case MWT_RIGHTMULTIPLY: result = Multiply(dc->drawing.world, *lpxf); break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
  if (!Invertible(result)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  dc->drawing.world = result;
  return TRUE;
}

ZEL_EXTERN_C BOOL GetWorldTransform(HDC hdc, LPXFORM lpxf) {
  auto dc = FindDC(hdc);
  if (!dc || lpxf == nullptr) return FALSE;
  *lpxf = dc->drawing.world;
  return TRUE;
}

ZEL_EXTERN_C BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::MoveTo(*display, x, y, lppt);
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (lppt) *lppt = dc->drawing.current;
  dc->drawing.current = POINT{x, y};
  dc->drawing.figureOpen = false;
  return TRUE;
}
