// Widening a path into polygons: segments as quadrilaterals, joins and caps as
// small polygons, dashes cut out of the figures before they are widened.
#include "platform/gdi/path_widen.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::gdi {

namespace {

struct Figure {
  std::vector<PointD> points;
  bool closed = false;
};

// A pattern so fine that it would cut a figure into more pieces than this is
// drawn solid: the dashes could not be told apart on the page anyway.
constexpr double kMaxDashPieces = 100000;
constexpr double kCircleTolerance = 0.25;  // pixels between a round piece and its circle

PointD operator+(PointD a, PointD b) { return {a.x + b.x, a.y + b.y}; }
PointD operator-(PointD a, PointD b) { return {a.x - b.x, a.y - b.y}; }
PointD operator*(PointD a, double k) { return {a.x * k, a.y * k}; }
double Cross(PointD a, PointD b) { return a.x * b.y - a.y * b.x; }
double Dot(PointD a, PointD b) { return a.x * b.x + a.y * b.y; }
double Length(PointD a) { return std::hypot(a.x, a.y); }

// Device figures of a path without curves, consecutive repeated points dropped.
std::vector<Figure> Figures(const Path& path) {
  std::unique_ptr<Path> flat = path.Flattened();
  std::vector<Figure> out;
  auto add = [](Figure& f, const POINTFIX& p) {
    const PointD d{p.x / 16.0, p.y / 16.0};
    if (f.points.empty() || f.points.back().x != d.x || f.points.back().y != d.y) f.points.push_back(d);
  };
  for (const Path::Figure& figure : flat->figures()) {
    Figure f;
    f.closed = figure.closed;
    add(f, figure.start);
    for (const Path::Run& run : figure.runs)
      for (const POINTFIX& p : run.points) add(f, p);
    if (f.closed && f.points.size() > 1 && f.points.front().x == f.points.back().x &&
        f.points.front().y == f.points.back().y)
      f.points.pop_back();
    out.push_back(std::move(f));
  }
  return out;
}

// Adds the polygon turned so its area is positive; degenerate ones are dropped.
void AddOriented(std::vector<Polygon>& out, Polygon polygon) {
  double area = 0;
  for (size_t i = 0; i < polygon.size(); ++i) area += Cross(polygon[i], polygon[(i + 1) % polygon.size()]);
  if (std::fabs(area) < 1e-12) return;
  if (area < 0) std::reverse(polygon.begin(), polygon.end());
  out.push_back(std::move(polygon));
}

void AddCircle(std::vector<Polygon>& out, PointD centre, double radius) {
  if (radius <= 0) return;
  const double step = radius > kCircleTolerance ? 2 * std::acos(1 - kCircleTolerance / radius) : std::numbers::pi / 2;
  const int count = std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi / step)), 8, 256);
  Polygon circle;
  for (int i = 0; i < count; ++i) {
    const double a = 2 * std::numbers::pi * i / count;
    circle.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
  }
  AddOriented(out, std::move(circle));
}

// The cap at `end`, where the line arrives running along `direction` (unit).
void AddCap(std::vector<Polygon>& out, PointD end, PointD direction, const StrokeGeometry& g) {
  const double half = g.width / 2;
  const PointD normal{-direction.y, direction.x};
  if (g.endCap == ENDCAP_ROUND) {
    AddCircle(out, end, half);
  } else if (g.endCap == ENDCAP_SQUARE) {
    const PointD beyond = end + direction * half;
    AddOriented(out, {end + normal * half, beyond + normal * half, beyond - normal * half, end - normal * half});
  }
}

void AddJoin(std::vector<Polygon>& out, PointD vertex, PointD in, PointD outgoing, const StrokeGeometry& g) {
  const double half = g.width / 2;
  const double cross = Cross(in, outgoing), dot = Dot(in, outgoing);
  if (std::fabs(cross) < 1e-12 && dot > 0) return;  // straight on: the segments meet flush
  if (g.join == JOIN_ROUND) {
    AddCircle(out, vertex, half);
    return;
  }
  // The outer side of the corner is away from the turn.
  const double side = cross > 0 ? -1 : 1;
  const PointD n0{-in.y * side, in.x * side}, n1{-outgoing.y * side, outgoing.x * side};
  const PointD a = vertex + n0 * half, b = vertex + n1 * half;
  // Miter length over line width is 1 / sin(half the angle between the lines).
  const double sinHalfAngle = std::sqrt(std::max(0.0, (1 + dot) / 2));
  if (g.join == JOIN_MITER && sinHalfAngle > 0 && 1 / sinHalfAngle <= g.miterLimit) {
    const PointD bisector = n0 + n1;
    const double length = Length(bisector);
    if (length > 1e-12) {
      const PointD tip = vertex + bisector * (half / sinHalfAngle / length);
      AddOriented(out, {vertex, a, tip, b});
      return;
    }
  }
  AddOriented(out, {vertex, a, b});
}

void WidenPolyline(std::vector<Polygon>& out, const std::vector<PointD>& points, bool closed, const StrokeGeometry& g) {
  const double half = g.width / 2;
  if (points.empty() || half <= 0) return;
  if (points.size() == 1) {
    // A zero-length piece shows only its caps.
    if (g.endCap == ENDCAP_ROUND)
      AddCircle(out, points[0], half);
    else if (g.endCap == ENDCAP_SQUARE)
      AddOriented(out, {points[0] + PointD{-half, -half}, points[0] + PointD{half, -half},
                        points[0] + PointD{half, half}, points[0] + PointD{-half, half}});
    return;
  }
  const size_t segments = closed ? points.size() : points.size() - 1;
  std::vector<PointD> directions;
  for (size_t i = 0; i < segments; ++i) {
    const PointD p = points[i], q = points[(i + 1) % points.size()];
    const PointD d = (q - p) * (1 / Length(q - p));
    directions.push_back(d);
    const PointD n{-d.y * half, d.x * half};
    AddOriented(out, {p + n, q + n, q - n, p - n});
  }
  for (size_t i = closed ? 0 : 1; i < (closed ? segments : points.size() - 1); ++i) {
    const PointD in = directions[(i + segments - 1) % segments];
    AddJoin(out, points[i], in, directions[i], g);
  }
  if (!closed) {
    AddCap(out, points.front(), directions.front() * -1, g);
    AddCap(out, points.back(), directions.back(), g);
  }
}

// The dashes of one figure as open polylines (a closed figure's closing segment
// included). Answers false when the pattern cannot be used.
bool CutDashes(const Figure& figure, const StrokeGeometry& g, std::vector<std::vector<PointD>>& pieces) {
  double period = 0;
  for (double d : g.dashes) {
    if (!(d >= 0) || !std::isfinite(d)) return false;
    period += d;
  }
  if (period <= 0) return false;
  std::vector<PointD> points = figure.points;
  if (figure.closed && points.size() > 1) points.push_back(points.front());
  double length = 0;
  for (size_t i = 0; i + 1 < points.size(); ++i) length += Length(points[i + 1] - points[i]);
  if (length / period * static_cast<double>(g.dashes.size()) > kMaxDashPieces) return false;

  size_t index = 0;
  double remaining = g.dashes[0];
  bool on = !g.startGap;
  std::vector<PointD> current;
  if (on) current.push_back(points.front());
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const PointD p = points[i], q = points[i + 1];
    const double segment = Length(q - p);
    double at = 0;
    while (segment - at > remaining) {
      at += remaining;
      const PointD cut = p + (q - p) * (at / segment);
      if (on) {
        current.push_back(cut);
        pieces.push_back(std::move(current));
        current.clear();
      } else {
        current = {cut};
      }
      on = !on;
      index = (index + 1) % g.dashes.size();
      remaining = g.dashes[index];
    }
    remaining -= segment - at;
    if (on) current.push_back(q);
  }
  if (on && !current.empty()) pieces.push_back(std::move(current));
  return true;
}

}  // namespace

std::vector<Polygon> WidenPath(const Path& path, const StrokeGeometry& geometry) {
  std::vector<Polygon> out;
  for (const Figure& figure : Figures(path)) {
    std::vector<std::vector<PointD>> pieces;
    if (!geometry.dashes.empty() && CutDashes(figure, geometry, pieces)) {
      for (std::vector<PointD>& piece : pieces) {
        piece.erase(std::unique(piece.begin(), piece.end(),
                                [](const PointD& a, const PointD& b) { return a.x == b.x && a.y == b.y; }),
                    piece.end());
        WidenPolyline(out, piece, false, geometry);
      }
    } else {
      WidenPolyline(out, figure.points, figure.closed && figure.points.size() > 2, geometry);
    }
  }
  return out;
}

std::vector<Polygon> FillPolygons(const Path& path) {
  std::vector<Polygon> out;
  for (Figure& figure : Figures(path))
    if (figure.points.size() > 2) out.push_back(std::move(figure.points));
  return out;
}

}  // namespace platform::gdi
