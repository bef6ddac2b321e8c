// Banded pixel regions: built from rectangles or polygons, intersected, listed
// as rectangles and traced as outlines.
#include "platform/gdi/region.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>

namespace platform::gdi {

namespace {

using Span = BandRegion::Span;

bool SameSpans(const std::vector<Span>& a, const std::vector<Span>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].left != b[i].left || a[i].right != b[i].right) return false;
  return true;
}

// Sorts spans and joins those that overlap or touch.
std::vector<Span> Normalize(std::vector<Span> spans) {
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.left < b.left; });
  std::vector<Span> out;
  for (const Span& s : spans) {
    if (s.right <= s.left) continue;
    if (!out.empty() && s.left <= out.back().right)
      out.back().right = std::max(out.back().right, s.right);
    else
      out.push_back(s);
  }
  return out;
}

std::vector<Span> IntersectSpans(const std::vector<Span>& a, const std::vector<Span>& b) {
  std::vector<Span> out;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const LONG left = std::max(a[i].left, b[j].left), right = std::min(a[i].right, b[j].right);
    if (left < right) out.push_back(Span{left, right});
    if (a[i].right < b[j].right)
      ++i;
    else
      ++j;
  }
  return out;
}

// The parts of `a` that `b` does not cover.
std::vector<Span> SubtractSpans(const std::vector<Span>& a, const std::vector<Span>& b) {
  std::vector<Span> out;
  size_t j = 0;
  for (const Span& s : a) {
    LONG left = s.left;
    while (j < b.size() && b[j].right <= left) ++j;
    size_t k = j;
    while (left < s.right) {
      if (k >= b.size() || b[k].left >= s.right) {
        out.push_back(Span{left, s.right});
        break;
      }
      if (b[k].left > left) out.push_back(Span{left, b[k].left});
      left = std::max(left, b[k].right);
      ++k;
    }
  }
  return out;
}

struct Edge {
  double x0, y0, x1, y1;
  double top, bottom;  // y range, top < bottom
  int direction;       // +1 downwards, -1 upwards
};

// Pixel rows in [first, last) whose centres fall in [top, bottom).
LONG FirstRow(double top) { return static_cast<LONG>(std::ceil(top - 0.5)); }

LONG ClampToLong(double v) {
  constexpr double lo = std::numeric_limits<LONG>::min() / 2, hi = std::numeric_limits<LONG>::max() / 2;
  return static_cast<LONG>(std::clamp(v, lo, hi));
}

}  // namespace

void BandRegion::Append(LONG top, LONG bottom, std::vector<Span> spans) {
  if (spans.empty() || bottom <= top) return;
  if (!bands_.empty() && bands_.back().bottom == top && SameSpans(bands_.back().spans, spans)) {
    bands_.back().bottom = bottom;
    return;
  }
  bands_.push_back(Band{top, bottom, std::move(spans)});
}

BandRegion BandRegion::FromRects(const std::vector<RECTL>& input) {
  std::vector<RECTL> rects;
  for (const RECTL& r : input)
    if (r.right > r.left && r.bottom > r.top) rects.push_back(r);
  std::sort(rects.begin(), rects.end(), [](const RECTL& a, const RECTL& b) { return a.top < b.top; });
  std::vector<LONG> edges;
  for (const RECTL& r : rects) {
    edges.push_back(r.top);
    edges.push_back(r.bottom);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

  BandRegion out;
  std::vector<RECTL> active;
  size_t next = 0;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    const LONG y0 = edges[i], y1 = edges[i + 1];
    active.erase(std::remove_if(active.begin(), active.end(), [&](const RECTL& r) { return r.bottom <= y0; }),
                 active.end());
    while (next < rects.size() && rects[next].top <= y0) active.push_back(rects[next++]);
    std::vector<Span> spans;
    for (const RECTL& r : active) spans.push_back(Span{r.left, r.right});
    out.Append(y0, y1, Normalize(std::move(spans)));
  }
  return out;
}

BandRegion BandRegion::FromPolygons(const std::vector<Polygon>& polygons, bool winding, const RECTL& limit) {
  std::vector<Edge> edges;
  double top = std::numeric_limits<double>::max(), bottom = std::numeric_limits<double>::lowest();
  for (const Polygon& polygon : polygons) {
    for (size_t i = 0; i < polygon.size(); ++i) {
      const PointD& a = polygon[i];
      const PointD& b = polygon[(i + 1) % polygon.size()];
      if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) continue;
      if (a.y == b.y) continue;  // a horizontal edge crosses no row centre
      Edge e{a.x, a.y, b.x, b.y, std::min(a.y, b.y), std::max(a.y, b.y), b.y > a.y ? 1 : -1};
      top = std::min(top, e.top);
      bottom = std::max(bottom, e.bottom);
      edges.push_back(e);
    }
  }
  BandRegion out;
  if (edges.empty()) return out;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.top < b.top; });
  // Only rows inside the limit are looked at: a shape far off the page costs nothing.
  const LONG firstRow = std::max(FirstRow(top), limit.top);
  const LONG endRow = std::min(FirstRow(bottom), limit.bottom);

  std::vector<const Edge*> active;
  std::vector<std::pair<double, int>> crossings;
  size_t next = 0;
  for (LONG row = firstRow; row < endRow; ++row) {
    const double centre = row + 0.5;
    while (next < edges.size() && edges[next].top <= centre) active.push_back(&edges[next++]);
    active.erase(std::remove_if(active.begin(), active.end(), [&](const Edge* e) { return e->bottom <= centre; }),
                 active.end());
    crossings.clear();
    for (const Edge* e : active) {
      if (e->top > centre) continue;
      const double x = e->x0 + (centre - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0);
      crossings.emplace_back(x, e->direction);
    }
    std::sort(crossings.begin(), crossings.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Span> spans;
    int count = 0;
    double start = 0;
    for (const auto& [x, direction] : crossings) {
      const bool wasInside = winding ? count != 0 : (count & 1) != 0;
      count += winding ? direction : 1;
      const bool inside = winding ? count != 0 : (count & 1) != 0;
      if (!wasInside && inside) {
        start = x;
      } else if (wasInside && !inside) {
        // Pixels whose centre lies in [start, x).
        const LONG left = std::max(ClampToLong(std::ceil(start - 0.5)), limit.left);
        const LONG right = std::min(ClampToLong(std::ceil(x - 0.5)), limit.right);
        if (right > left) spans.push_back(Span{left, right});
      }
    }
    out.Append(row, row + 1, Normalize(std::move(spans)));
  }
  return out;
}

BandRegion BandRegion::Intersect(const BandRegion& other) const {
  BandRegion out;
  size_t i = 0, j = 0;
  while (i < bands_.size() && j < other.bands_.size()) {
    const Band& a = bands_[i];
    const Band& b = other.bands_[j];
    const LONG top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
    if (top < bottom) out.Append(top, bottom, IntersectSpans(a.spans, b.spans));
    // clang-format off
    if (a.bottom < b.bottom) ++i;
    else if (b.bottom < a.bottom) ++j;
    else ++i, ++j;
    // clang-format on
  }
  return out;
}

std::vector<RECTL> BandRegion::Rects() const {
  std::vector<RECTL> out;
  for (const Band& band : bands_)
    for (const Span& s : band.spans) out.push_back(RECTL{s.left, band.top, s.right, band.bottom});
  return out;
}

RECTL BandRegion::Bounds() const {
  if (bands_.empty()) return RECTL{0, 0, 0, 0};
  RECTL r{std::numeric_limits<LONG>::max(), bands_.front().top, std::numeric_limits<LONG>::min(), bands_.back().bottom};
  for (const Band& band : bands_) {
    r.left = std::min(r.left, band.spans.front().left);
    r.right = std::max(r.right, band.spans.back().right);
  }
  return r;
}

bool BandRegion::Contains(LONG x, LONG y) const {
  auto band = std::upper_bound(bands_.begin(), bands_.end(), y, [](LONG v, const Band& b) { return v < b.bottom; });
  if (band == bands_.end() || band->top > y) return false;
  for (const Span& s : band->spans)
    if (x >= s.left && x < s.right) return true;
  return false;
}

std::vector<std::vector<POINTL>> BandRegion::Outline() const {
  // Directed boundary edges with the region on their right as one walks them on
  // the page (y down): tops run right, right sides down, bottoms left, left
  // sides up.
  struct Directed {
    POINTL from, to;
    bool used;
  };
  std::vector<Directed> edges;
  static const std::vector<Span> none;
  for (size_t i = 0; i < bands_.size(); ++i) {
    const Band& band = bands_[i];
    const std::vector<Span>& above = i > 0 && bands_[i - 1].bottom == band.top ? bands_[i - 1].spans : none;
    const std::vector<Span>& below =
        i + 1 < bands_.size() && bands_[i + 1].top == band.bottom ? bands_[i + 1].spans : none;
    for (const Span& s : band.spans) {
      edges.push_back({{s.left, band.bottom}, {s.left, band.top}, false});
      edges.push_back({{s.right, band.top}, {s.right, band.bottom}, false});
    }
    for (const Span& s : SubtractSpans(band.spans, above))
      edges.push_back({{s.left, band.top}, {s.right, band.top}, false});
    for (const Span& s : SubtractSpans(band.spans, below))
      edges.push_back({{s.right, band.bottom}, {s.left, band.bottom}, false});
  }
  auto key = [](const POINTL& p) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(p.x)) << 32) | static_cast<uint32_t>(p.y);
  };
  std::unordered_map<uint64_t, std::vector<size_t>> leaving;
  for (size_t i = 0; i < edges.size(); ++i) leaving[key(edges[i].from)].push_back(i);

  std::vector<std::vector<POINTL>> loops;
  for (size_t first = 0; first < edges.size(); ++first) {
    if (edges[first].used) continue;
    std::vector<POINTL> loop;
    size_t current = first;
    edges[current].used = true;
    loop.push_back(edges[current].from);
    const uint64_t home = key(edges[first].from);
    while (key(edges[current].to) != home) {
      const POINTL at = edges[current].to;
      loop.push_back(at);
      const LONG dx = edges[current].to.x - edges[current].from.x, dy = edges[current].to.y - edges[current].from.y;
      // Where two corners touch, keep right (towards the inside) so loops meet at
      // the point without crossing.
      size_t best = edges.size();
      double bestTurn = -2;
      for (size_t candidate : leaving[key(at)]) {
        if (edges[candidate].used) continue;
        const LONG ox = edges[candidate].to.x - at.x, oy = edges[candidate].to.y - at.y;
        const double cross = static_cast<double>(dx) * oy - static_cast<double>(dy) * ox;
        const double turn = cross > 0 ? 1 : cross == 0 ? 0 : -1;
        if (turn > bestTurn) bestTurn = turn, best = candidate;
      }
      if (best == edges.size()) break;  // cannot happen for a well-formed edge set
      current = best;
      edges[current].used = true;
    }
    // Drop corners where the outline runs straight on.
    std::vector<POINTL> corners;
    const size_t n = loop.size();
    for (size_t i = 0; i < n; ++i) {
      const POINTL& prev = loop[(i + n - 1) % n];
      const POINTL& p = loop[i];
      const POINTL& next = loop[(i + 1) % n];
      const bool straight = (prev.x == p.x && p.x == next.x) || (prev.y == p.y && p.y == next.y);
      if (!straight) corners.push_back(p);
    }
    if (corners.size() >= 4) loops.push_back(std::move(corners));
  }
  return loops;
}

}  // namespace platform::gdi
