// Paths in 28.4 device coordinates and their enumeration in batches.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/engine.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/live_objects.h"

namespace platform::gdi {

namespace {

// Paths the engine gave a driver to free (CLIPOBJ_ppoGetPath); EngDeletePath
// frees only these, never a path the engine still owns.
std::mutex handedOutMutex;
std::unordered_set<const Path*> handedOut;

}  // namespace

void MarkPathHandedOut(const Path* path) {
  std::lock_guard lock(handedOutMutex);
  handedOut.insert(path);
}

Path::Path() : PATHOBJ{} { LiveObjects<Path>::Add(this); }

Path::~Path() { LiveObjects<Path>::Remove(this); }

void Path::MoveTo(POINTFIX point) {
  figures_.push_back(Figure{point, {}, false});
  figureOpen_ = true;
  Refresh();
}

void Path::AddPoints(bool bezier, const POINTFIX* points, size_t count) {
  if (!figureOpen_) {
    POINTFIX start{};
    if (!figures_.empty()) {
      // After a closed figure, a new one starts where that figure began.
      start = figures_.back().start;
    }
    figures_.push_back(Figure{start, {}, false});
    figureOpen_ = true;
  }
  auto& runs = figures_.back().runs;
  if (runs.empty() || runs.back().bezier != bezier) runs.push_back(Run{bezier, {}});
  runs.back().points.insert(runs.back().points.end(), points, points + count);
  Refresh();
}

void Path::LineTo(POINTFIX point) { AddPoints(false, &point, 1); }

void Path::BezierTo(POINTFIX c1, POINTFIX c2, POINTFIX end) {
  const POINTFIX points[3] = {c1, c2, end};
  AddPoints(true, points, 3);
}

void Path::CloseFigure() {
  if (figureOpen_ && !figures_.empty()) figures_.back().closed = true;
  figureOpen_ = false;
}

void Path::AddRectangle(const RECTL& rect) {
  MoveTo({rect.left * 16, rect.top * 16});
  LineTo({rect.right * 16, rect.top * 16});
  LineTo({rect.right * 16, rect.bottom * 16});
  LineTo({rect.left * 16, rect.bottom * 16});
  CloseFigure();
}

void Path::Refresh() {
  fl = PO_ALL_INTEGERS;
  cCurves = 0;
  auto checkInteger = [this](const POINTFIX& p) {
    if ((p.x & 15) != 0 || (p.y & 15) != 0) fl &= ~PO_ALL_INTEGERS;
  };
  for (const Figure& figure : figures_) {
    checkInteger(figure.start);
    for (const Run& run : figure.runs) {
      if (run.bezier) fl |= PO_BEZIERS;
      cCurves += static_cast<ULONG>(run.bezier ? run.points.size() / 3 : run.points.size());
      for (const POINTFIX& p : run.points) checkInteger(p);
    }
  }
}

RECTFX Path::Bounds() const {
  RECTFX r{};
  bool first = true;
  auto add = [&](const POINTFIX& p) {
    if (first) {
      r = {p.x, p.y, p.x, p.y};
      first = false;
      return;
    }
    r.xLeft = std::min(r.xLeft, p.x);
    r.yTop = std::min(r.yTop, p.y);
    r.xRight = std::max(r.xRight, p.x);
    r.yBottom = std::max(r.yBottom, p.y);
  };
  for (const Figure& figure : figures_) {
    add(figure.start);
    for (const Run& run : figure.runs)
      for (const POINTFIX& p : run.points) add(p);
  }
  return r;
}

std::unique_ptr<Path> Path::Flattened(FIX toleranceFix) const {
  auto flat = std::make_unique<Path>();
  const double tolerance = std::max<FIX>(toleranceFix, 1);
  for (const Figure& figure : figures_) {
    flat->MoveTo(figure.start);
    POINTFIX current = figure.start;
    for (const Run& run : figure.runs) {
      if (!run.bezier) {
        for (const POINTFIX& p : run.points) flat->LineTo(p);
        if (!run.points.empty()) current = run.points.back();
        continue;
      }
      for (size_t i = 0; i + 2 < run.points.size(); i += 3) {
        const POINTFIX p0 = current, p1 = run.points[i], p2 = run.points[i + 1], p3 = run.points[i + 2];
        // The control polygon's deviation bounds the curve's; pick the step count from it.
        const double dx = std::abs(p0.x - 2.0 * p1.x + p2.x) + std::abs(p1.x - 2.0 * p2.x + p3.x);
        const double dy = std::abs(p0.y - 2.0 * p1.y + p2.y) + std::abs(p1.y - 2.0 * p2.y + p3.y);
        const double deviation = std::hypot(dx, dy) * 0.75;
        int steps = std::clamp(static_cast<int>(std::ceil(std::sqrt(deviation / tolerance))), 1, 1024);
        for (int s = 1; s <= steps; ++s) {
          const double t = static_cast<double>(s) / steps, u = 1 - t;
          const double x = u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x;
          const double y = u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y;
          flat->LineTo(s == steps ? p3 : POINTFIX{static_cast<FIX>(std::lround(x)), static_cast<FIX>(std::lround(y))});
        }
        current = p3;
      }
    }
    if (figure.closed) flat->CloseFigure();
  }
  return flat;
}

void Path::EnumStart() {
  enumFigure_ = 0;
  enumRun_ = 0;
}

bool Path::Enum(PATHDATA* data) {
  batch_.clear();
  data->flags = 0;
  data->count = 0;
  data->pptfx = nullptr;
  if (enumFigure_ >= figures_.size()) return FALSE;
  const Figure& figure = figures_[enumFigure_];
  FLONG flags = 0;
  if (enumRun_ == 0) {
    flags |= PD_BEGINSUBPATH | PD_RESETSTYLE;
    batch_.push_back(figure.start);
  }
  if (enumRun_ < figure.runs.size()) {
    const Run& run = figure.runs[enumRun_];
    if (run.bezier) flags |= PD_BEZIERS;
    batch_.insert(batch_.end(), run.points.begin(), run.points.end());
  }
  ++enumRun_;
  if (enumRun_ >= figure.runs.size()) {
    flags |= PD_ENDSUBPATH;
    if (figure.closed) flags |= PD_CLOSEFIGURE;
    ++enumFigure_;
    enumRun_ = 0;
  }
  data->flags = flags;
  data->count = static_cast<ULONG>(batch_.size());
  data->pptfx = batch_.data();
  return enumFigure_ < figures_.size() ? TRUE : FALSE;
}

}  // namespace platform::gdi

using platform::gdi::LiveObjects;
using platform::gdi::Path;

ZEL_EXTERN_C void PATHOBJ_vEnumStart(PATHOBJ* ppo) {
  if (Path* path = LiveObjects<Path>::Find(ppo)) path->EnumStart();
}

ZEL_EXTERN_C BOOL PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd) {
  Path* path = LiveObjects<Path>::Find(ppo);
  if (path == nullptr || ppd == nullptr) {
    if (ppd != nullptr) *ppd = PATHDATA{};
    return FALSE;
  }
  return path->Enum(ppd) ? TRUE : FALSE;
}

ZEL_EXTERN_C void PATHOBJ_vGetBounds(PATHOBJ* ppo, RECTFX* prectfx) {
  if (prectfx == nullptr) return;
  Path* path = LiveObjects<Path>::Find(ppo);
  *prectfx = path != nullptr ? path->Bounds() : RECTFX{};
}

ZEL_EXTERN_C void EngDeletePath(PATHOBJ* ppo) {
  Path* path = LiveObjects<Path>::Find(ppo);
  if (path == nullptr) return;
  {
    std::lock_guard lock(platform::gdi::handedOutMutex);
    if (platform::gdi::handedOut.erase(path) == 0) return;
  }
  delete path;
}
