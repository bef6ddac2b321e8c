// Lines, shapes, Béziers and paths: each becomes a PATHOBJ in 28.4 device units
// handed to the graphics library's DrvStrokePath / DrvFillPath /
// DrvStrokeAndFillPath with the DC's clip, brushes and line attributes.
#include <cmath>
#include <functional>

#include "platform/base/errors.h"
#include "platform/gdi/dc_transform.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {
namespace {

constexpr MIX kCopyPen = (R2_COPYPEN << 8) | R2_COPYPEN;

// Dash patterns in units of the pen width (geometric) or style steps (cosmetic).
std::vector<FLOAT_LONG> DashPattern(int style, bool geometric, double width) {
  std::vector<int> units;
  switch (style) {
    case PS_DASH: units = {3, 1}; break;
    case PS_DOT: units = {1, 1}; break;
    case PS_DASHDOT: units = {3, 1, 1, 1}; break;
    case PS_DASHDOTDOT: units = {3, 1, 1, 1, 1, 1}; break;
    default: return {};
  }
  std::vector<FLOAT_LONG> pattern;
  for (int u : units) {
    FLOAT_LONG v{};
    if (geometric) v.e = static_cast<FLOATL>(u * width);
    else v.l = u;
    pattern.push_back(v);
  }
  return pattern;
}

// The drawing of one path: builds the engine objects and asks the driver, with
// GDI's fallbacks when it refuses.
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
    penBrush_ = Brush::Solid(state.pen.color);
    if (state.brush.style == BS_HATCHED) {
      fillBrush_ = Brush::Hatch(state.brush.hatch, state.brush.color, 0xFFFFFF, pso_);
    } else {
      fillBrush_ = Brush::Solid(state.brush.color);
    }
    xform_ = Xform::Identity();

    if (stroke && fill) {
      if (Offer(path, [&](Path& p) { return StrokeAndFill(p); })) return TRUE;
      // GDI's own split: the interior, then the outline.
      return Offer(path, [&](Path& p) { return Fill(p); }) && Offer(path, [&](Path& p) { return Stroke(p); });
    }
    return fill ? Offer(path, [&](Path& p) { return Fill(p); }) : Offer(path, [&](Path& p) { return Stroke(p); });
  }

 private:
  // The call as it is, then with curves flattened for a library that refused them.
  template <class Call>
  BOOL Offer(Path& path, Call call) {
    SetLastError(ERROR_SUCCESS);
    if (call(path)) return TRUE;
    if (path.fl & PO_BEZIERS) {
      std::unique_ptr<Path> flat = path.Flattened();
      if (call(*flat)) return TRUE;
    }
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }

  bool Hooked(FLONG hook, ULONG index) const {
    return (SurfaceHooks(pso_) & hook) != 0 && dc_.driver->Function(index) != nullptr;
  }

  BOOL Stroke(Path& path) {
    if (!Hooked(HOOK_STROKEPATH, INDEX_DrvStrokePath)) return FALSE;
    path.EnumStart();
    return dc_.driver->Get<PFN_DrvStrokePath>(INDEX_DrvStrokePath)(pso_, &path, clip_.get(), xform_.get(),
                                                                   penBrush_.get(), &brushOrigin_, &lineAttrs_,
                                                                   kCopyPen);
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
        pso_, &path, clip_.get(), xform_.get(), penBrush_.get(), &lineAttrs_, fillBrush_.get(), &brushOrigin_,
        kCopyPen, FillOptions());
  }

  FLONG FillOptions() const { return dc_.drawing.fillMode == WINDING ? FP_WINDINGMODE : FP_ALTERNATEMODE; }

  void BuildLineAttributes() {
    const PenData& pen = dc_.drawing.pen;
    const double width = pen.width * DeviceScale(dc_);
    const bool geometric = width > 1.0;
    lineAttrs_ = LINEATTRS{};
    lineAttrs_.iJoin = JOIN_ROUND;
    lineAttrs_.iEndCap = ENDCAP_ROUND;
    lineAttrs_.eMiterLimit = 10.0f;
    if (geometric) {
      lineAttrs_.fl = LA_GEOMETRIC;
      lineAttrs_.elWidth.e = static_cast<FLOATL>(width);
    } else {
      lineAttrs_.elWidth.l = 1;
    }
    style_ = DashPattern(pen.style, geometric, geometric ? width : 1.0);
    if (!style_.empty()) {
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
