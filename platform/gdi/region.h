// Sets of device pixels as bands of spans: what a clip region, a filled polygon
// or a widened line covers. A band is a run of rows with the same spans; bands
// are sorted top to bottom, spans left to right, none overlap, and two touching
// bands never have the same spans (so a rectangle stays one band).
#pragma once

#include <vector>

#include "platform/gdi/ddi_types.h"

namespace platform::gdi {

// A point in device pixels, unrounded.
struct PointD {
  double x;
  double y;
};
using Polygon = std::vector<PointD>;

class BandRegion {
 public:
  struct Span {
    LONG left;
    LONG right;  // exclusive
  };
  struct Band {
    LONG top;
    LONG bottom;  // exclusive
    std::vector<Span> spans;
  };

  BandRegion() = default;
  // The union of rectangles (overlaps allowed, empty ones ignored).
  static BandRegion FromRects(const std::vector<RECTL>& rects);
  // The pixels whose centres lie inside the polygons (each closed implicitly),
  // under the winding rule or the alternate (even-odd) rule, within `limit`.
  static BandRegion FromPolygons(const std::vector<Polygon>& polygons, bool winding, const RECTL& limit);

  BandRegion Intersect(const BandRegion& other) const;

  bool Empty() const { return bands_.empty(); }
  const std::vector<Band>& bands() const { return bands_; }
  // One rectangle per span, bands top to bottom.
  std::vector<RECTL> Rects() const;
  RECTL Bounds() const;
  bool Contains(LONG x, LONG y) const;
  // The boundary as closed loops of pixel corners, clockwise on the page for an
  // outer edge and counter-clockwise around a hole, so the loops fill exactly
  // the region under either fill rule. No two consecutive edges are collinear.
  std::vector<std::vector<POINTL>> Outline() const;

 private:
  // Appends a band, merging it into the last one when they touch with equal spans.
  void Append(LONG top, LONG bottom, std::vector<Span> spans);

  std::vector<Band> bands_;
};

}  // namespace platform::gdi
