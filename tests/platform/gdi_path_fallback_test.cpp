// The engine's last resort when a graphics library refuses a path even after its
// curves were flattened: the area the path covers (a stroke widened with the
// pen's width, joins and caps; a fill under its fill rule), cut to the clip, is
// filled through DrvBitBlt with that area as a DC_COMPLEX clip whose rectangles
// and outline describe it; a library that refuses DrvBitBlt too fails the call,
// unless the engine owns the surface's pixels and draws there itself.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>

#include "platform/gdi/device_context.h"
#include "platform/gdi/drawing.h"
#include "tests/platform/gdi_dc_test_helpers.h"

namespace {

// One DrvBitBlt as the recording library traced it, with the outline
// CLIPOBJ_ppoGetPath gave for its clip.
struct Blit {
  bool refused = false;
  char kind = '?';  // T, R or C
  RECTL bounds{};
  std::vector<RECTL> rects;
  std::string rop;
  std::string brush;
  std::vector<std::vector<std::pair<double, double>>> outline;  // pixels

  std::vector<bool> covered;  // the bounds' pixels, row by row

  void Rasterize() {
    if (kind != 'C') rects = {bounds};
    const LONG width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    covered.assign(static_cast<size_t>(std::max(0, width) * std::max(0, height)), false);
    for (const RECTL& r : rects)
      for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x)
          if (x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom)
            covered[static_cast<size_t>((y - bounds.top) * width + (x - bounds.left))] = true;
  }
  bool Covers(LONG x, LONG y) const {
    if (x < bounds.left || x >= bounds.right || y < bounds.top || y >= bounds.bottom) return false;
    return covered[static_cast<size_t>((y - bounds.top) * (bounds.right - bounds.left) + (x - bounds.left))];
  }
  // Where the outline's figures cross the row centre y + 0.5, left to right.
  std::vector<double> OutlineCrossings(LONG row) const {
    const double y = row + 0.5;
    std::vector<double> xs;
    for (const auto& loop : outline)
      for (size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
        const auto [xi, yi] = loop[i];
        const auto [xj, yj] = loop[j];
        if ((yi > y) != (yj > y)) xs.push_back(xi + (y - yi) * (xj - xi) / (yj - yi));
      }
    std::sort(xs.begin(), xs.end());
    return xs;
  }
};

RECTL ParseRect(const std::string& text) {
  int l = 0, t = 0, r = 0, b = 0;
  std::sscanf(text.c_str(), "%d,%d,%d,%d", &l, &t, &r, &b);
  return RECTL{l, t, r, b};
}

std::string Field(const std::string& call, const std::string& name) {
  const size_t at = call.find(" " + name + "=");
  if (at == std::string::npos) return "";
  const size_t from = at + name.size() + 2;
  return call.substr(from, call.find(' ', from) - from);
}

Blit ParseBlit(const std::string& call, const std::string& outline) {
  Blit blit;
  blit.refused = call.find(" refused ") != std::string::npos;
  const size_t clipAt = call.find(" clip=") + 6;
  const std::string clip = call.substr(clipAt, call.find(" src=") - clipAt);
  blit.kind = clip[0];
  blit.bounds = ParseRect(clip.substr(2));
  std::istringstream rest(clip.substr(clip.find(']') + 1));
  for (std::string item; rest >> item;) blit.rects.push_back(ParseRect(item));
  blit.rop = Field(call, "rop");
  blit.brush = Field(call, "brush");
  // "M x,y L x,y ... Z M ..." in 28.4.
  std::vector<std::pair<double, double>> loop;
  size_t pos = 0;
  while (pos < outline.size()) {
    const size_t end = outline.find(' ', pos);
    const std::string item = outline.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    int x = 0, y = 0;
    if (item == "M" && !loop.empty()) blit.outline.push_back(std::move(loop)), loop.clear();
    if (std::sscanf(item.c_str(), "%d,%d", &x, &y) == 2) loop.emplace_back(x / 16.0, y / 16.0);
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  if (!loop.empty()) blit.outline.push_back(std::move(loop));
  blit.Rasterize();
  return blit;
}

class PathFallbackTest : public dctest::DeviceContextTest {
 protected:
  void SetUp() override {
    DeviceContextTest::SetUp();
    if (IsSkipped()) return;
    Open("Fallback");
  }
  void TearDown() override {
    if (dc_) DeleteDC(dc_);
    DeviceContextTest::TearDown();
  }

  void Open(const std::string& printer) {
    if (dc_) DeleteDC(dc_);
    AddPrinter(printer, "recording_driver.dll");
    dc_ = Create(platform::Utf16FromUtf8(printer), DevMode(DMORIENT_PORTRAIT));
    ASSERT_NE(dc_, 0u);
    DOCINFOW doc{sizeof(DOCINFOW), u"Fallback", u"C:\\fallback.prn", nullptr, 0};
    ASSERT_GT(StartDocW(dc_, &doc), 0);
    ASSERT_GT(StartPage(dc_), 0);
    ExtEscape(dc_, 9006, 0, nullptr, 0, nullptr);  // the library refuses every path
    Calls();
  }

  // The drawing calls since the last look ("DrvStrokePath refused", "DrvBitBlt",
  // ...) and the blits among them.
  std::vector<std::string> Drawn(std::vector<Blit>* blits = nullptr) {
    std::vector<std::string> names;
    const std::vector<std::string> calls = Calls();
    for (size_t i = 0; i < calls.size(); ++i) {
      const std::string& call = calls[i];
      if (call.rfind("rec: Drv", 0) != 0 || call.rfind("rec: DrvEscape", 0) == 0) continue;
      const std::string name = call.substr(5, call.find(' ', 5) - 5);
      names.push_back(name + (call.find(" refused ") != std::string::npos ? " refused" : ""));
      if (name == "DrvBitBlt" && blits != nullptr) {
        const bool traced = i + 1 < calls.size() && calls[i + 1].rfind("rec: ClipOutline pdevA ", 0) == 0;
        blits->push_back(ParseBlit(call, traced ? calls[i + 1].substr(23) : ""));
      }
    }
    return names;
  }

  HDC dc_ = 0;
};

// A point at `along` the line's direction and `across` to its left from `from`.
POINT Offset(double fromX, double fromY, double dx, double dy, double along, double across) {
  return POINT{static_cast<LONG>(std::floor(fromX + dx * along - dy * across)),
               static_cast<LONG>(std::floor(fromY + dy * along + dx * across))};
}

// Every pixel around the blit's bounds: the outline fills exactly the rectangles.
void ExpectOutlineMatchesRectangles(const Blit& blit) {
  ASSERT_FALSE(blit.outline.empty());
  int mismatches = 0;
  for (LONG y = blit.bounds.top - 2; y < blit.bounds.bottom + 2; ++y) {
    const std::vector<double> crossings = blit.OutlineCrossings(y);
    for (LONG x = blit.bounds.left - 2; x < blit.bounds.right + 2; ++x) {
      // Even-odd: inside after an odd number of crossings to the left of the centre.
      const auto left = std::lower_bound(crossings.begin(), crossings.end(), x + 0.5) - crossings.begin();
      if (blit.Covers(x, y) != (left % 2 == 1)) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(PathFallbackTest, RefusedStrokeFillsTheWidenedLineWithItsCaps) {
  // A 40-pixel line from (1000,1000) to (1300,1400): direction (0.6, 0.8).
  struct Sample {
    double along, across;  // from the end point, in pixels
    bool flat, square, round;
  };
  const Sample samples[] = {
      {-30, 0, true, true, true},     {-30, 15, true, true, true},     {-30, -15, true, true, true},
      {-30, 25, false, false, false}, {-30, -25, false, false, false}, {10, 0, false, true, true},
      {12, 12, false, true, true},    {16, 16, false, true, false},    {24, 0, false, false, false},
  };
  const struct {
    const char* name;
    DWORD cap;
    bool Sample::*expected;
  } caps[] = {{"flat", PS_ENDCAP_FLAT, &Sample::flat},
              {"square", PS_ENDCAP_SQUARE, &Sample::square},
              {"round", PS_ENDCAP_ROUND, &Sample::round}};
  const LOGBRUSH blue{BS_SOLID, RGB(0, 0, 255), 0};
  for (const auto& cap : caps) {
    SCOPED_TRACE(cap.name);
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | cap.cap, 40, &blue, 0, nullptr);
    HGDIOBJ old = SelectObject(dc_, pen);
    MoveToEx(dc_, 1000, 1000, nullptr);
    ASSERT_TRUE(LineTo(dc_, 1300, 1400));
    SelectObject(dc_, old);
    DeleteObject(pen);
    std::vector<Blit> blits;
    EXPECT_EQ(Drawn(&blits), (std::vector<std::string>{"DrvStrokePath refused", "DrvBitBlt"}));
    ASSERT_EQ(blits.size(), 1u);
    const Blit& blit = blits[0];
    EXPECT_EQ(blit.kind, 'C');
    EXPECT_EQ(blit.rop, "F0F0");
    EXPECT_EQ(blit.brush, "FF0000") << "the pen's colour";
    for (const Sample& s : samples) {
      const POINT p = Offset(1300, 1400, 0.6, 0.8, s.along, s.across);
      EXPECT_EQ(blit.Covers(p.x, p.y), s.*cap.expected) << s.along << " along, " << s.across << " across";
    }
    // The start has the same cap, mirrored.
    const POINT before = Offset(1000, 1000, 0.6, 0.8, -10, 0);
    EXPECT_EQ(blit.Covers(before.x, before.y), cap.cap != PS_ENDCAP_FLAT);
    ExpectOutlineMatchesRectangles(blit);
  }
}

TEST_F(PathFallbackTest, RefusedStrokeHonoursJoinsAndTheMiterLimit) {
  // Right then down, 40 pixels wide: the outer corner of the turn is up and right of (1400,2000).
  struct Sample {
    LONG dx, dy;
    bool miter, bevel, round;
  };
  const Sample samples[] = {
      {17, -17, true, false, false}, {11, -11, true, false, true}, {5, -5, true, true, true},
      {25, -5, false, false, false}, {-5, 5, true, true, true},
  };
  const struct {
    const char* name;
    DWORD join;
    FLOAT limit;
    bool Sample::*expected;
  } joins[] = {{"miter", PS_JOIN_MITER, 10, &Sample::miter},
               {"miter over its limit", PS_JOIN_MITER, 1.2f, &Sample::bevel},
               {"bevel", PS_JOIN_BEVEL, 10, &Sample::bevel},
               {"round", PS_JOIN_ROUND, 10, &Sample::round}};
  const LOGBRUSH black{BS_SOLID, 0, 0};
  for (const auto& join : joins) {
    SCOPED_TRACE(join.name);
    ASSERT_TRUE(SetMiterLimit(dc_, join.limit, nullptr));
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | join.join, 40, &black, 0, nullptr);
    HGDIOBJ old = SelectObject(dc_, pen);
    const POINT corner[] = {{1000, 2000}, {1400, 2000}, {1400, 2400}};
    ASSERT_TRUE(Polyline(dc_, corner, 3));
    SelectObject(dc_, old);
    DeleteObject(pen);
    std::vector<Blit> blits;
    Drawn(&blits);
    ASSERT_EQ(blits.size(), 1u);
    for (const Sample& s : samples)
      EXPECT_EQ(blits[0].Covers(1400 + s.dx, 2000 + s.dy), s.*join.expected) << s.dx << "," << s.dy;
    ExpectOutlineMatchesRectangles(blits[0]);
  }
}

// Whether a pixel's centre is inside the triangle, and how far it is from its edges.
struct Triangle {
  double x[3], y[3];
  double EdgeDistance(double px, double py, int i) const {
    const int j = (i + 1) % 3;
    const double ex = x[j] - x[i], ey = y[j] - y[i];
    return ((px - x[i]) * ey - (py - y[i]) * ex) / std::hypot(ex, ey);
  }
  bool Inside(double px, double py) const {
    const double a = EdgeDistance(px, py, 0), b = EdgeDistance(px, py, 1), c = EdgeDistance(px, py, 2);
    return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
  }
  double Nearest(double px, double py) const {
    return std::min(
        {std::fabs(EdgeDistance(px, py, 0)), std::fabs(EdgeDistance(px, py, 1)), std::fabs(EdgeDistance(px, py, 2))});
  }
};

TEST_F(PathFallbackTest, RefusedFillCoversTheTriangleWithinAPixelAndKeepsToTheClip) {
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  SelectObject(dc_, green);
  SelectObject(dc_, GetStockObject(NULL_PEN));
  const POINT points[] = {{2000, 1000}, {2400, 1000}, {2200, 1300}};
  const Triangle triangle{{2000, 2400, 2200}, {1000, 1000, 1300}};
  struct Case {
    const char* name;
    RECTL clip;  // empty: none
  };
  for (const Case& c : {Case{"unclipped", {0, 0, 0, 0}}, Case{"clipped", {2250, 900, 2450, 1100}}}) {
    SCOPED_TRACE(c.name);
    HRGN region = c.clip.right ? CreateRectRgn(c.clip.left, c.clip.top, c.clip.right, c.clip.bottom) : 0;
    SelectClipRgn(dc_, region);
    ASSERT_TRUE(Polygon(dc_, points, 3));
    std::vector<Blit> blits;
    EXPECT_EQ(Drawn(&blits), (std::vector<std::string>{"DrvFillPath refused", "DrvBitBlt"}));
    ASSERT_EQ(blits.size(), 1u);
    const Blit& blit = blits[0];
    EXPECT_EQ(blit.kind, 'C');
    EXPECT_EQ(blit.brush, "00C800");
    EXPECT_EQ(blit.rop, "F0F0");
    int wrong = 0;
    for (LONG y = 990; y < 1310; ++y)
      for (LONG x = 1990; x < 2410; ++x) {
        const double cx = x + 0.5, cy = y + 0.5;
        const bool inClip =
            !c.clip.right || (x >= c.clip.left && x < c.clip.right && y >= c.clip.top && y < c.clip.bottom);
        if (triangle.Nearest(cx, cy) < 1.0 && inClip) continue;  // on the edge: either way
        if (blit.Covers(x, y) != (triangle.Inside(cx, cy) && inClip)) ++wrong;
      }
    EXPECT_EQ(wrong, 0);
    for (const RECTL& r : blit.rects) {
      EXPECT_GE(r.left, 2000);
      if (c.clip.right) {
        EXPECT_GE(r.left, c.clip.left);
        EXPECT_LE(r.right, c.clip.right);
        EXPECT_LE(r.bottom, c.clip.bottom);
      }
    }
    ExpectOutlineMatchesRectangles(blit);
    SelectClipRgn(dc_, 0);
    if (region) DeleteObject(region);
  }
  SelectObject(dc_, GetStockObject(WHITE_BRUSH));
  DeleteObject(green);
}

TEST_F(PathFallbackTest, StrokeAndFillAreSplitAndCurvesOfferedFlatFirst) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HPEN blue = CreatePen(PS_SOLID, 10, RGB(0, 0, 255));
  SelectObject(dc_, red);
  SelectObject(dc_, blue);
  ASSERT_TRUE(Rectangle(dc_, 100, 100, 200, 200));
  std::vector<Blit> blits;
  EXPECT_EQ(Drawn(&blits), (std::vector<std::string>{"DrvStrokeAndFillPath refused", "DrvFillPath refused", "DrvBitBlt",
                                                     "DrvStrokePath refused", "DrvBitBlt"}));
  ASSERT_EQ(blits.size(), 2u);
  // The inside is one rectangle; the frame is a ring: outside and hole.
  EXPECT_EQ(blits[0].kind, 'R');
  EXPECT_EQ(blits[0].brush, "0000FF");
  EXPECT_EQ(blits[1].kind, 'C');
  EXPECT_EQ(blits[1].brush, "FF0000");
  EXPECT_EQ(blits[1].outline.size(), 2u);
  EXPECT_TRUE(blits[1].Covers(96, 150));
  EXPECT_TRUE(blits[1].Covers(203, 150));
  EXPECT_FALSE(blits[1].Covers(150, 150));
  EXPECT_FALSE(blits[1].Covers(90, 150));
  ExpectOutlineMatchesRectangles(blits[1]);

  // A curve is offered as it is, then flattened, then filled.
  const POINT curve[] = {{300, 300}, {350, 200}, {450, 200}, {500, 300}};
  ASSERT_TRUE(PolyBezier(dc_, curve, 4));
  blits.clear();
  EXPECT_EQ(Drawn(&blits), (std::vector<std::string>{"DrvStrokePath refused", "DrvStrokePath refused", "DrvBitBlt"}));
  ASSERT_EQ(blits.size(), 1u);
  EXPECT_TRUE(blits[0].Covers(400, 225)) << "the curve's top, at t = 0.5";
  EXPECT_FALSE(blits[0].Covers(400, 300));
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  SelectObject(dc_, GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
  DeleteObject(blue);
}

TEST_F(PathFallbackTest, ThinAndDashedLinesKeepTheirShape) {
  // A cosmetic line is one pixel across and never breaks: one or two pixels a column.
  MoveToEx(dc_, 100, 100, nullptr);
  ASSERT_TRUE(LineTo(dc_, 300, 180));
  std::vector<Blit> blits;
  Drawn(&blits);
  ASSERT_EQ(blits.size(), 1u);
  for (LONG x = 101; x < 299; ++x) {
    int count = 0;
    for (LONG y = 90; y < 190; ++y) count += blits[0].Covers(x, y) ? 1 : 0;
    EXPECT_GE(count, 1) << x;
    EXPECT_LE(count, 2) << x;
  }

  // A geometric dash pattern: 30 on, 10 off for a 10-pixel pen, with flat ends.
  const LOGBRUSH black{BS_SOLID, 0, 0};
  HPEN dashed = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT, 10, &black, 0, nullptr);
  SelectObject(dc_, dashed);
  MoveToEx(dc_, 100, 500, nullptr);
  ASSERT_TRUE(LineTo(dc_, 300, 500));
  blits.clear();
  Drawn(&blits);
  ASSERT_EQ(blits.size(), 1u);
  for (const auto& [x, on] : std::vector<std::pair<LONG, bool>>{
           {105, true}, {125, true}, {135, false}, {145, true}, {175, false}, {185, true}})
    EXPECT_EQ(blits[0].Covers(x, 500), on) << x;
  EXPECT_EQ(blits[0].outline.size(), 5u) << "five dashes";
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  DeleteObject(dashed);
}

TEST_F(PathFallbackTest, RefusedBitBltFailsTheDrawingOnADeviceSurface) {
  ExtEscape(dc_, 9005, 0, nullptr, 0, nullptr);  // DrvBitBlt answers FALSE too
  Calls();
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(Rectangle(dc_, 100, 100, 200, 200));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(Drawn(),
            (std::vector<std::string>{"DrvStrokeAndFillPath refused", "DrvFillPath refused", "DrvBitBlt refused"}))
      << "the outline is not tried once the inside failed";
  SetLastError(ERROR_SUCCESS);
  MoveToEx(dc_, 0, 0, nullptr);
  EXPECT_FALSE(LineTo(dc_, 100, 100));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  // Drawn wholly outside the clip, there is nothing to refuse.
  HRGN far = CreateRectRgn(4000, 4000, 4100, 4100);
  SelectClipRgn(dc_, far);
  EXPECT_TRUE(Rectangle(dc_, 100, 100, 200, 200));
  SelectClipRgn(dc_, 0);
  DeleteObject(far);
}

TEST_F(PathFallbackTest, EngineDrawsOnASurfaceWhosePixelsItOwns) {
  Open("BitmapSurface Fallback");
  ExtEscape(dc_, 9005, 0, nullptr, 0, nullptr);
  Calls();
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(dc_, red);
  SelectObject(dc_, GetStockObject(NULL_PEN));
  const POINT points[] = {{100, 100}, {300, 100}, {200, 250}};
  ASSERT_TRUE(Polygon(dc_, points, 3));
  const LOGBRUSH blue{BS_SOLID, RGB(0, 0, 255), 0};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 20, &blue, 0, nullptr);
  SelectObject(dc_, pen);
  MoveToEx(dc_, 400, 50, nullptr);
  ASSERT_TRUE(LineTo(dc_, 400, 400));
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"DrvFillPath refused", "DrvBitBlt refused", "DrvStrokePath refused",
                                               "DrvBitBlt refused"}));

  SURFOBJ* so = platform::gdi::FindDC(dc_)->Surface();
  ASSERT_NE(so, nullptr);
  ASSERT_EQ(so->iBitmapFormat, static_cast<ULONG>(BMF_24BPP));
  auto pixel = [&](LONG x, LONG y) {
    const BYTE* p = static_cast<const BYTE*>(so->pvScan0) + y * so->lDelta + x * 3;
    return RGB(p[2], p[1], p[0]);
  };
  EXPECT_EQ(pixel(200, 150), RGB(255, 0, 0));
  EXPECT_EQ(pixel(110, 200), RGB(255, 255, 255)) << "outside the triangle";
  EXPECT_EQ(pixel(400, 200), RGB(0, 0, 255));
  EXPECT_EQ(pixel(395, 200), RGB(0, 0, 255));
  EXPECT_EQ(pixel(412, 200), RGB(255, 255, 255)) << "beyond the half width";
  EXPECT_EQ(pixel(400, 45), RGB(255, 255, 255)) << "before a flat end";
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  SelectObject(dc_, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(red);
}

}  // namespace
