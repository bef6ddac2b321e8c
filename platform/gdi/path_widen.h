// The area a path covers when it is stroked with a wide pen or filled, as
// polygons in device pixels: what the engine fills itself when a graphics
// library refuses a path.
#pragma once

#include <vector>

#include "platform/gdi/engine.h"
#include "platform/gdi/region.h"

namespace platform::gdi {

// A pen's shape on the device.
struct StrokeGeometry {
  double width = 1;             // device pixels
  ULONG join = JOIN_ROUND;      // JOIN_ROUND, JOIN_BEVEL, JOIN_MITER
  ULONG endCap = ENDCAP_ROUND;  // ENDCAP_ROUND, ENDCAP_SQUARE, ENDCAP_BUTT
  double miterLimit = 10;       // longest miter, in line widths, before it is bevelled
  std::vector<double> dashes;   // device pixels: dash, gap, dash, ...; empty for a solid line
  bool startGap = false;        // the pattern starts with its first entry as a gap
};

// Polygons whose union covers the stroke: a quadrilateral per segment, a join
// piece at every corner (round joins and caps as polygons close to the circle),
// a cap piece at the ends of open figures and of dashes. All polygons run the
// same way round, so they are filled together under the winding rule. Curves are
// flattened first; the dash pattern starts afresh with every figure.
std::vector<Polygon> WidenPath(const Path& path, const StrokeGeometry& geometry);

// The figures of `path` (curves flattened) as closed polygons, for a fill.
std::vector<Polygon> FillPolygons(const Path& path);

}  // namespace platform::gdi
