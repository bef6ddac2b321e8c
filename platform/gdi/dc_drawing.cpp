// Lines, shapes, Béziers and paths: each becomes a PATHOBJ in 28.4 device units
// handed to the graphics library's DrvStrokePath / DrvFillPath /
// DrvStrokeAndFillPath with the DC's clip, brushes and line attributes.
#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/gdi/dc_transform.h"
#include "platform/gdi/display_dc.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/path_widen.h"
#include "platform/gdi/region.h"

namespace platform::gdi {
namespace {

constexpr MIX kCopyPen = (R2_COPYPEN << 8) | R2_COPYPEN;
constexpr ROP4 kPatCopy = 0xF0F0;  // PATCOPY as a ROP4: the brush wherever the clip allows

// The style patterns of the cosmetic styles, in style units; a geometric pen's
// pattern is these times its width.
std::vector<int> StockPattern(int style) {
  switch (style) {
    case PS_DASH: return {3, 1};
    case PS_DOT: return {1, 1};
    case PS_DASHDOT: return {3, 1, 1, 1};
    case PS_DASHDOTDOT: return {3, 1, 1, 1, 1, 1};
    case PS_ALTERNATE: return {1, 1};
    default: return {};
  }
}

ULONG DdiJoin(DWORD join) {
  return join == PS_JOIN_BEVEL ? JOIN_BEVEL : join == PS_JOIN_MITER ? JOIN_MITER : JOIN_ROUND;
}
ULONG DdiEndCap(DWORD cap) {
  return cap == PS_ENDCAP_SQUARE ? ENDCAP_SQUARE : cap == PS_ENDCAP_FLAT ? ENDCAP_BUTT : ENDCAP_ROUND;
}

// The drawing of one path: builds the engine objects and asks the driver, with
// GDI's fallbacks when it refuses: curves flattened and offered again, then the
// covered area as a region filled through DrvBitBlt.
class PathOutput {
 public:
  explicit PathOutput(DeviceContext& dc) : dc_(dc) {}

  BOOL Draw(Path& path, bool stroke, bool fill) {
    const DrawingState& state = dc_.drawing;
    stroke = stroke && state.pen.style != PS_NULL;
    fill = fill && state.brush.style != BS_NULL;
    if ((!stroke && !fill) || path.Empty()) return TRUE;
    if (!dc_.inPage) {
      SetLastError(ERROR_INVALID_PARAMETER);  // drawing belongs on a page
      return FALSE;
    }
    pso_ = dc_.Surface();
    const RECTL surface{0, 0, pso_->sizlBitmap.cx, pso_->sizlBitmap.cy};
    clip_ = state.clipped ? Clip::Region(IntersectRegions(state.clip, {surface})) : Clip::Trivial(surface);
    if (RectEmpty(clip_->rclBounds)) return TRUE;  // all clipped away
    BuildLineAttributes();
    penBrush_ = state.pen.brushStyle == BS_HATCHED ? Brush::Hatch(state.pen.hatch, state.pen.color, 0xFFFFFF, pso_)
                                                   : Brush::Solid(state.pen.color);
    if (state.brush.style == BS_HATCHED) {
      fillBrush_ = Brush::Hatch(state.brush.hatch, state.brush.color, 0xFFFFFF, pso_);
    } else {
      fillBrush_ = Brush::Solid(state.brush.color);
    }
    xform_ = Xform::Identity();
    if (!penBrush_ || !fillBrush_ || !xform_) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }

    if (stroke && fill) {
      if (Offer(path, [&](Path& p) { return StrokeAndFill(p); })) return TRUE;
      // GDI's own split: the interior, then the outline.
      return DrawFill(path) && DrawStroke(path);
    }
    return fill ? DrawFill(path) : DrawStroke(path);
  }

 private:
  BOOL DrawFill(Path& path) {
    return Offer(path, [&](Path& p) { return Fill(p); }) || FillArea(FillRegion(path), *fillBrush_);
  }
  BOOL DrawStroke(Path& path) {
    return Offer(path, [&](Path& p) { return Stroke(p); }) || FillArea(StrokeRegion(path), *penBrush_);
  }

  // The call as it is, then with curves flattened for a library that refused them.
  template <class Call>
  bool Offer(Path& path, Call call) {
    if (call(path)) return true;
    if (path.fl & PO_BEZIERS) {
      std::unique_ptr<Path> flat = path.Flattened();
      if (call(*flat)) return true;
    }
    return false;
  }

  bool Hooked(FLONG hook, ULONG index) const {
    return (SurfaceHooks(pso_) & hook) != 0 && dc_.driver->Function(index) != nullptr;
  }

  BOOL Stroke(Path& path) {
    if (!Hooked(HOOK_STROKEPATH, INDEX_DrvStrokePath)) return FALSE;
    path.EnumStart();
    return dc_.driver->Get<PFN_DrvStrokePath>(INDEX_DrvStrokePath)(
        pso_, &path, clip_.get(), xform_.get(), penBrush_.get(), &brushOrigin_, &lineAttrs_, kCopyPen);
  }

  BOOL Fill(Path& path) {
    if (!Hooked(HOOK_FILLPATH, INDEX_DrvFillPath)) return FALSE;
    path.EnumStart();
    return dc_.driver->Get<PFN_DrvFillPath>(INDEX_DrvFillPath)(pso_, &path, clip_.get(), fillBrush_.get(),
                                                               &brushOrigin_, kCopyPen, FillOptions());
  }

  BOOL StrokeAndFill(Path& path) {
    if (!Hooked(HOOK_STROKEANDFILLPATH, INDEX_DrvStrokeAndFillPath)) return FALSE;
    path.EnumStart();
    return dc_.driver->Get<PFN_DrvStrokeAndFillPath>(INDEX_DrvStrokeAndFillPath)(
        pso_, &path, clip_.get(), xform_.get(), penBrush_.get(), &lineAttrs_, fillBrush_.get(), &brushOrigin_, kCopyPen,
        FillOptions());
  }

  FLONG FillOptions() const { return dc_.drawing.fillMode == WINDING ? FP_WINDINGMODE : FP_ALTERNATEMODE; }

  // ---- The last fallback: the covered pixels as a region -------------------

  BandRegion FillRegion(const Path& path) const {
    return BandRegion::FromPolygons(FillPolygons(path), dc_.drawing.fillMode == WINDING, clip_->rclBounds);
  }

  BandRegion StrokeRegion(const Path& path) const {
    return BandRegion::FromPolygons(WidenPath(path, StrokeGeometryOf()), true, clip_->rclBounds);
  }

  // The pen as the widening draws it, from the same line attributes the library was offered.
  StrokeGeometry StrokeGeometryOf() const {
    StrokeGeometry g;
    const bool geometric = (lineAttrs_.fl & LA_GEOMETRIC) != 0;
    if (geometric) {
      g.width = lineAttrs_.elWidth.e;
      g.join = lineAttrs_.iJoin;
      g.endCap = lineAttrs_.iEndCap;
      g.miterLimit = lineAttrs_.eMiterLimit;
    } else {
      // A cosmetic line: one pixel across, the corners filled, the ends flush.
      g.width = 1;
      g.join = JOIN_ROUND;
      g.endCap = ENDCAP_BUTT;
    }
    if (lineAttrs_.fl & LA_ALTERNATE) {
      g.dashes = {1, 1};
    } else if (lineAttrs_.fl & LA_STYLED) {
      const double unit = geometric ? 1.0 : CosmeticStyleUnit();
      for (ULONG i = 0; i < lineAttrs_.cstyle; ++i)
        g.dashes.push_back(geometric ? lineAttrs_.pstyle[i].e : lineAttrs_.pstyle[i].l * unit);
      g.startGap = (lineAttrs_.fl & LA_STARTGAP) != 0;
    }
    return g;
  }

  // Pixels per style unit of a cosmetic line: the device's style steps when it
  // announces them, else a 25th of an inch (as printer drivers draw them).
  double CosmeticStyleUnit() const {
    const GDIINFO& info = dc_.pdev.gdiInfo;
    if (info.xStyleStep > 0 && info.denStyleStep > 0) return static_cast<double>(info.denStyleStep) / info.xStyleStep;
    const double dpi = info.ulLogPixelsX ? info.ulLogPixelsX : 600;
    return std::max(1.0, dpi / 25);
  }

  // Fills the region, cut to the DC's clip, with the brush: DrvBitBlt with the
  // region as the clip (its rectangles and its outline), or, when the library
  // refuses that too, the engine's own EngBitBlt on a surface whose pixels it
  // owns. A device surface the library will not draw on fails the call.
  BOOL FillArea(BandRegion area, Brush& brush) {
    area = area.Intersect(BandRegion::FromRects(clip_->Rects()));
    if (area.Empty()) return TRUE;  // nothing of it inside the clip
    std::unique_ptr<Clip> clip = Clip::Region(area.Rects());
    RECTL target = clip->rclBounds;
    SetLastError(ERROR_SUCCESS);
    if (Hooked(HOOK_BITBLT, INDEX_DrvBitBlt) &&
        dc_.driver->Get<PFN_DrvBitBlt>(INDEX_DrvBitBlt)(pso_, nullptr, nullptr, clip.get(), nullptr, &target, nullptr,
                                                        nullptr, &brush, &brushOrigin_, kPatCopy))
      return TRUE;
    if (HasBits(pso_)) {
      if (EngBitBlt(pso_, nullptr, nullptr, clip.get(), nullptr, &target, nullptr, nullptr, &brush, &brushOrigin_,
                    kPatCopy))
        return TRUE;
    } else {
      OutputDebugStringA(
          "gdi: the graphics library refused the path and DrvBitBlt, and the engine cannot draw on its "
          "device surface: nothing was drawn");
    }
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }

  // ---- Line attributes -----------------------------------------------------

  void BuildLineAttributes() {
    const PenData& pen = dc_.drawing.pen;
    const double scale = DeviceScale(dc_);
    const double width = pen.width * scale;
    // CreatePen's pens turn geometric once wider than a pixel on the device.
    const bool geometric = pen.extended ? pen.geometric : width > 1.0;
    lineAttrs_ = LINEATTRS{};
    lineAttrs_.iJoin = pen.extended ? DdiJoin(pen.join) : JOIN_ROUND;
    lineAttrs_.iEndCap = pen.extended ? DdiEndCap(pen.endCap) : ENDCAP_ROUND;
    lineAttrs_.eMiterLimit = dc_.drawing.miterLimit;
    if (geometric) {
      lineAttrs_.fl = LA_GEOMETRIC;
      lineAttrs_.elWidth.e = static_cast<FLOATL>(width);
    } else {
      lineAttrs_.elWidth.l = 1;
    }
    style_.clear();
    if (pen.style == PS_USERSTYLE) {
      // Geometric entries are logical lengths, cosmetic ones style units.
      for (DWORD entry : pen.userStyle) {
        FLOAT_LONG v{};
        if (geometric)
          v.e = static_cast<FLOATL>(entry * scale);
        else
          v.l = static_cast<LONG>(entry);
        style_.push_back(v);
      }
    } else {
      for (int unit : StockPattern(pen.style)) {
        FLOAT_LONG v{};
        if (geometric)
          v.e = static_cast<FLOATL>(unit * width);
        else
          v.l = unit;
        style_.push_back(v);
      }
    }
    if (pen.style == PS_ALTERNATE) lineAttrs_.fl |= LA_ALTERNATE;
    if (!style_.empty()) {
      // The pattern also stands for PS_ALTERNATE's every other pixel, for a
      // library that reads only patterns.
      lineAttrs_.fl |= LA_STYLED;
      lineAttrs_.cstyle = static_cast<ULONG>(style_.size());
      lineAttrs_.pstyle = style_.data();
    }
  }

  DeviceContext& dc_;
  SURFOBJ* pso_ = nullptr;
  std::unique_ptr<Clip> clip_;
  std::unique_ptr<Brush> penBrush_;
  std::unique_ptr<Brush> fillBrush_;
  std::unique_ptr<Xform> xform_;
  LINEATTRS lineAttrs_{};
  std::vector<FLOAT_LONG> style_;
  POINTL brushOrigin_{0, 0};
};

POINTFIX Fix(const DeviceContext& dc, LONG x, LONG y) { return ToFix(ToDevice(dc, x, y)); }

// Adds a figure to the recorded path, or draws it at once.
BOOL Shape(HDC hdc, bool stroke, bool fill, const std::function<void(DeviceContext&, Path&)>& build) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->drawing.recordingPath) {
    build(*dc, *dc->drawing.path);
    return TRUE;
  }
  Path path;
  build(*dc, path);
  return PathOutput(*dc).Draw(path, stroke, fill);
}

void ClosedFigure(DeviceContext& dc, Path& path, const POINT* points, int count) {
  path.MoveTo(Fix(dc, points[0].x, points[0].y));
  for (int i = 1; i < count; ++i) path.LineTo(Fix(dc, points[i].x, points[i].y));
  path.CloseFigure();
  dc.drawing.figureOpen = false;
}

// Continues the open figure of a recorded path, or starts one at the current point.
void ContinueFigure(DeviceContext& dc, Path& path) {
  if (!dc.drawing.recordingPath || !dc.drawing.figureOpen) {
    path.MoveTo(Fix(dc, dc.drawing.current.x, dc.drawing.current.y));
  }
  dc.drawing.figureOpen = dc.drawing.recordingPath;
}

BOOL ConsumePath(HDC hdc, bool stroke, bool fill) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->drawing.recordingPath || !dc->drawing.path) {
    SetLastError(ERROR_CAN_NOT_COMPLETE);
    return FALSE;
  }
  std::unique_ptr<Path> path = std::move(dc->drawing.path);
  if (fill) path->CloseFigure();
  return PathOutput(*dc).Draw(*path, stroke, fill);
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C BOOL LineTo(HDC hdc, int x, int y) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::LineTo(*display, x, y);
  return Shape(hdc, true, false, [&](DeviceContext& dc, Path& path) {
    ContinueFigure(dc, path);
    path.LineTo(Fix(dc, x, y));
    dc.drawing.current = POINT{x, y};
  });
}

ZEL_EXTERN_C BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
  if (apt == nullptr || cpt < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::Polyline(*display, apt, cpt);
  return Shape(hdc, true, false, [&](DeviceContext& dc, Path& path) {
    path.MoveTo(Fix(dc, apt[0].x, apt[0].y));
    for (int i = 1; i < cpt; ++i) path.LineTo(Fix(dc, apt[i].x, apt[i].y));
    dc.drawing.figureOpen = false;
  });
}

ZEL_EXTERN_C BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
  if (apt == nullptr || cpt < 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::Polygon(*display, apt, cpt);
  return Shape(hdc, true, true, [&](DeviceContext& dc, Path& path) { ClosedFigure(dc, path, apt, cpt); });
}

ZEL_EXTERN_C BOOL PolyBezier(HDC hdc, const POINT* apt, DWORD cpt) {
  if (apt == nullptr || cpt < 4 || (cpt - 1) % 3 != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Shape(hdc, true, false, [&](DeviceContext& dc, Path& path) {
    path.MoveTo(Fix(dc, apt[0].x, apt[0].y));
    for (DWORD i = 1; i + 2 < cpt; i += 3) {
      path.BezierTo(Fix(dc, apt[i].x, apt[i].y), Fix(dc, apt[i + 1].x, apt[i + 1].y),
                    Fix(dc, apt[i + 2].x, apt[i + 2].y));
    }
    dc.drawing.figureOpen = false;
  });
}

ZEL_EXTERN_C BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  if (auto display = platform::gdi::display::Find(hdc))
    return platform::gdi::display::Rectangle(*display, left, top, right, bottom);
  const POINT corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  return Shape(hdc, true, true, [&](DeviceContext& dc, Path& path) { ClosedFigure(dc, path, corners, 4); });
}

ZEL_EXTERN_C BOOL BeginPath(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  dc->drawing.path = std::make_unique<Path>();
  dc->drawing.recordingPath = true;
  dc->drawing.figureOpen = false;
  return TRUE;
}

ZEL_EXTERN_C BOOL EndPath(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (!dc->drawing.recordingPath) {
    SetLastError(ERROR_CAN_NOT_COMPLETE);
    return FALSE;
  }
  dc->drawing.recordingPath = false;
  dc->drawing.figureOpen = false;
  return TRUE;
}

ZEL_EXTERN_C BOOL AbortPath(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  dc->drawing.path.reset();
  dc->drawing.recordingPath = false;
  dc->drawing.figureOpen = false;
  return TRUE;
}

ZEL_EXTERN_C BOOL CloseFigure(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (!dc->drawing.recordingPath || !dc->drawing.figureOpen) {
    SetLastError(ERROR_CAN_NOT_COMPLETE);
    return FALSE;
  }
  dc->drawing.path->CloseFigure();
  dc->drawing.figureOpen = false;
  return TRUE;
}

ZEL_EXTERN_C BOOL FillPath(HDC hdc) { return ConsumePath(hdc, false, true); }
ZEL_EXTERN_C BOOL StrokePath(HDC hdc) { return ConsumePath(hdc, true, false); }
ZEL_EXTERN_C BOOL StrokeAndFillPath(HDC hdc) { return ConsumePath(hdc, true, true); }
