// The application's GDI objects: pens, brushes and regions behind handles.
#pragma once

#include <memory>
#include <vector>

#include "platform/base/handles.h"
#include "platform/gdi/device_context.h"

namespace platform::gdi {

class GdiObject final : public KernelObject {
 public:
  enum class Kind { Pen, Brush, Region, Font };
  explicit GdiObject(Kind k) : kind(k) {}
  Kind kind;
  PenData pen;
  BrushData brush;
  LOGFONTW font{};
  std::vector<RECTL> rects;  // a region: non-overlapping device rectangles
  bool stock = false;
};

std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle);

// Region arithmetic on rectangle lists.
std::vector<RECTL> IntersectRegions(const std::vector<RECTL>& a, const std::vector<RECTL>& b);
// The kind (NULLREGION, SIMPLEREGION, COMPLEXREGION) of a rectangle list.
int RegionKind(const std::vector<RECTL>& rects);

}  // namespace platform::gdi
