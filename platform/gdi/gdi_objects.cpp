#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/display_dc.h"

#include <algorithm>
#include <mutex>

#include "platform/base/errors.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/region.h"

namespace platform::gdi {
namespace {

HGDIOBJ Insert(std::shared_ptr<GdiObject> object) {
  HANDLE handle = InsertHandle(std::move(object));
  if (handle == 0) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return handle;
}

std::shared_ptr<GdiObject> MakePen(int style, LONG width, COLORREF color) {
  auto pen = std::make_shared<GdiObject>(GdiObject::Kind::Pen);
  pen->pen.style = style;
  pen->pen.width = width;
  pen->pen.color = color & 0xFFFFFF;
  return pen;
}

std::shared_ptr<GdiObject> MakeBrush(UINT style, COLORREF color, ULONG hatch) {
  auto brush = std::make_shared<GdiObject>(GdiObject::Kind::Brush);
  brush->brush = BrushData{style, color & 0xFFFFFF, hatch};
  return brush;
}

}  // namespace

std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle) { return LookupHandle<GdiObject>(handle); }

std::vector<RECTL> IntersectRegions(const std::vector<RECTL>& a, const std::vector<RECTL>& b) {
  std::vector<RECTL> out;
  for (const RECTL& x : a) {
    for (const RECTL& y : b) {
      RECTL r = IntersectRect(x, y);
      if (!RectEmpty(r)) out.push_back(r);
    }
  }
  return out;
}

int RegionKind(const std::vector<RECTL>& rects) {
  if (rects.empty()) return NULLREGION;
  return rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
  const int style = iStyle & PS_STYLE_MASK;
  if (style > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // Styled pens are one pixel wide, as GDI draws them.
  const LONG width = style >= PS_DASH && style <= PS_DASHDOTDOT ? 0 : (cWidth < 0 ? 0 : cWidth);
  return Insert(MakePen(style, width, color));
}

ZEL_EXTERN_C HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle,
                               const DWORD* pstyle) {
  constexpr DWORD kKnownBits = PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK | PS_TYPE_MASK;
  const DWORD type = iPenStyle & PS_TYPE_MASK, style = iPenStyle & PS_STYLE_MASK;
  const DWORD endCap = iPenStyle & PS_ENDCAP_MASK, join = iPenStyle & PS_JOIN_MASK;
  const bool geometric = type == PS_GEOMETRIC;
  const bool userStyle = style == PS_USERSTYLE;
  bool valid = (iPenStyle & ~kKnownBits) == 0 && (type == PS_COSMETIC || geometric) && style <= PS_ALTERNATE &&
               (endCap == PS_ENDCAP_ROUND || endCap == PS_ENDCAP_SQUARE || endCap == PS_ENDCAP_FLAT) &&
               (join == PS_JOIN_ROUND || join == PS_JOIN_BEVEL || join == PS_JOIN_MITER) && plbrush != nullptr;
  if (valid && !geometric) {
    // A cosmetic pen is one solid-coloured pixel wide, with neither caps nor joins.
    valid = cWidth == 1 && plbrush->lbStyle == BS_SOLID && endCap == PS_ENDCAP_ROUND && join == PS_JOIN_ROUND &&
            style != PS_INSIDEFRAME;
  }
  if (valid && geometric) valid = style != PS_ALTERNATE && cWidth <= 0x7FFFFFFF;
  if (valid && userStyle) {
    valid = cStyle >= 1 && cStyle <= 16 && pstyle != nullptr &&
            std::any_of(pstyle, pstyle + cStyle, [](DWORD v) { return v != 0; }) &&
            std::all_of(pstyle, pstyle + cStyle, [](DWORD v) { return v <= 0x7FFFFFFF; });
  } else if (valid) {
    valid = cStyle == 0 && pstyle == nullptr;
  }
  if (valid && plbrush->lbStyle == BS_HATCHED) valid = plbrush->lbHatch < HS_DDI_MAX;
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (plbrush->lbStyle != BS_SOLID && plbrush->lbStyle != BS_HATCHED && plbrush->lbStyle != BS_NULL) {
    SetLastError(ERROR_NOT_SUPPORTED);  // pattern brushes for pens are not drawn by this engine
    return 0;
  }
  auto pen = MakePen(plbrush->lbStyle == BS_NULL ? PS_NULL : static_cast<int>(style), static_cast<LONG>(cWidth),
                     plbrush->lbColor);
  pen->pen.extended = true;
  pen->pen.geometric = geometric;
  pen->pen.join = join;
  pen->pen.endCap = endCap;
  pen->pen.brushStyle = plbrush->lbStyle == BS_HATCHED ? BS_HATCHED : BS_SOLID;
  pen->pen.hatch = static_cast<ULONG>(plbrush->lbHatch);
  if (userStyle) pen->pen.userStyle.assign(pstyle, pstyle + cStyle);
  return Insert(pen);
}

ZEL_EXTERN_C HBRUSH CreateSolidBrush(COLORREF color) { return Insert(MakeBrush(BS_SOLID, color, 0)); }

ZEL_EXTERN_C HBRUSH CreateHatchBrush(int iHatch, COLORREF color) {
  if (iHatch < HS_HORIZONTAL || iHatch >= HS_DDI_MAX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Insert(MakeBrush(BS_HATCHED, color, static_cast<ULONG>(iHatch)));
}

ZEL_EXTERN_C HRGN CreateRectRgn(int x1, int y1, int x2, int y2) {
  auto region = std::make_shared<GdiObject>(GdiObject::Kind::Region);
  RECTL r{x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
  if (!RectEmpty(r)) region->rects.push_back(r);
  return Insert(region);
}

ZEL_EXTERN_C HRGN CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode) {
  if (!pptl || cPoint < 2 || (iMode != WINDING && iMode != ALTERNATE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  platform::gdi::Polygon polygon;
  RECTL limit{pptl[0].x, pptl[0].y, pptl[0].x, pptl[0].y};
  for (int i = 0; i < cPoint; ++i) {
    polygon.push_back(PointD{static_cast<double>(pptl[i].x), static_cast<double>(pptl[i].y)});
    limit.left = std::min<LONG>(limit.left, pptl[i].x);
    limit.top = std::min<LONG>(limit.top, pptl[i].y);
    limit.right = std::max<LONG>(limit.right, pptl[i].x + 1);
    limit.bottom = std::max<LONG>(limit.bottom, pptl[i].y + 1);
  }
  auto region = std::make_shared<GdiObject>(GdiObject::Kind::Region);
  region->rects = BandRegion::FromPolygons({polygon}, iMode == WINDING, limit).Rects();
  return Insert(region);
}

ZEL_EXTERN_C BOOL PtInRegion(HRGN hrgn, int x, int y) {
  auto region = FindGdiObject(hrgn);
  if (!region || region->kind != GdiObject::Kind::Region) return FALSE;
  for (const RECTL& r : region->rects) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return TRUE;
  }
  return FALSE;
}

ZEL_EXTERN_C int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
  auto dst = FindGdiObject(hrgnDst);
  auto a = FindGdiObject(hrgnSrc1);
  auto b = iMode == RGN_COPY ? a : FindGdiObject(hrgnSrc2);
  if (!dst || !a || !b || dst->kind != GdiObject::Kind::Region || a->kind != GdiObject::Kind::Region ||
      b->kind != GdiObject::Kind::Region) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  std::vector<RECTL> result;
  switch (iMode) {
    case RGN_COPY: result = a->rects; break;
    case RGN_AND: result = IntersectRegions(a->rects, b->rects); break;
    case RGN_OR: {
      // Kept non-overlapping through the clip object's band decomposition.
      std::vector<RECTL> all = a->rects;
      all.insert(all.end(), b->rects.begin(), b->rects.end());
      auto clip = Clip::Region(all);
      result = clip->Rects();
      if (result.empty() && !RectEmpty(clip->rclBounds)) result.push_back(clip->rclBounds);
      break;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return ERROR;
  }
  dst->rects = std::move(result);
  return RegionKind(dst->rects);
}

ZEL_EXTERN_C HGDIOBJ GetStockObject(int i) {
  if (i >= OEM_FIXED_FONT && i <= DEFAULT_GUI_FONT) return platform::gdi::display::StockFont(i);
  static std::mutex mutex;
  static HGDIOBJ stock[NULL_PEN + 1] = {};
  if (i < 0 || i > NULL_PEN) return 0;
  std::lock_guard lock(mutex);
  if (stock[i] == 0 || !FindGdiObject(stock[i])) {
    static const COLORREF greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    std::shared_ptr<GdiObject> object;
    // clang-format off
    if (i <= BLACK_BRUSH) object = MakeBrush(BS_SOLID, greys[i], 0);
    else if (i == NULL_BRUSH) object = MakeBrush(BS_NULL, 0, 0);
    else if (i == WHITE_PEN) object = MakePen(PS_SOLID, 0, 0xFFFFFF);
    else if (i == BLACK_PEN) object = MakePen(PS_SOLID, 0, 0);
    else object = MakePen(PS_NULL, 0, 0);
    // clang-format on
    object->stock = true;
    stock[i] = Insert(object);
  }
  return stock[i];
}

ZEL_EXTERN_C BOOL DeleteObject(HGDIOBJ ho) {
  if (platform::gdi::display::DeleteDisplayObject(ho)) return TRUE;
  auto object = FindGdiObject(ho);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock) return TRUE;  // stock objects live as long as the process
  return platform::RemoveHandle(ho) ? TRUE : FALSE;
}
