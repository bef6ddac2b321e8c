// Paths and clip regions as a driver enumerates them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi/engine.h"
#include "platform/gdi/region.h"

namespace {

using platform::gdi::Clip;
using platform::gdi::Path;

struct Batch {
  FLONG flags;
  std::vector<POINTFIX> points;
  bool more;
};

std::vector<Batch> Enumerate(PATHOBJ* ppo) {
  std::vector<Batch> batches;
  PATHOBJ_vEnumStart(ppo);
  for (int guard = 0; guard < 100; ++guard) {
    PATHDATA data{};
    const BOOL more = PATHOBJ_bEnum(ppo, &data);
    batches.push_back({data.flags, std::vector<POINTFIX>(data.pptfx, data.pptfx + data.count), more != FALSE});
    if (!more) break;
  }
  return batches;
}

TEST(GdiPath, EnumeratesFiguresInRunsWithFlags) {
  Path path;
  path.MoveTo({0, 0});
  path.LineTo({160, 0});
  path.BezierTo({200, 40}, {200, 120}, {160, 160});
  path.LineTo({0, 168});  // not on a whole pixel
  path.CloseFigure();
  path.MoveTo({320, 320});
  path.LineTo({480, 320});

  EXPECT_EQ(path.fl & PO_BEZIERS, static_cast<FLONG>(PO_BEZIERS));
  EXPECT_EQ(path.fl & PO_ALL_INTEGERS, 0u);
  EXPECT_EQ(path.cCurves, 4u);

  const auto batches = Enumerate(&path);
  ASSERT_EQ(batches.size(), 4u);
  EXPECT_EQ(batches[0].flags, static_cast<FLONG>(PD_BEGINSUBPATH | PD_RESETSTYLE));
  ASSERT_EQ(batches[0].points.size(), 2u);  // the start point and the first line
  EXPECT_EQ(batches[0].points[1].x, 160);
  EXPECT_EQ(batches[1].flags, static_cast<FLONG>(PD_BEZIERS));
  EXPECT_EQ(batches[1].points.size(), 3u);
  EXPECT_EQ(batches[2].flags, static_cast<FLONG>(PD_ENDSUBPATH | PD_CLOSEFIGURE));
  EXPECT_EQ(batches[3].flags, static_cast<FLONG>(PD_BEGINSUBPATH | PD_RESETSTYLE | PD_ENDSUBPATH));
  EXPECT_EQ(batches[3].points.size(), 2u);
  for (size_t i = 0; i + 1 < batches.size(); ++i) EXPECT_TRUE(batches[i].more);
  EXPECT_FALSE(batches.back().more);

  // Enumeration restarts, and an exhausted path answers an empty batch.
  EXPECT_EQ(Enumerate(&path).size(), 4u);
  PATHDATA after{};
  EXPECT_FALSE(PATHOBJ_bEnum(&path, &after));
  EXPECT_EQ(after.count, 0u);

  RECTFX bounds{};
  PATHOBJ_vGetBounds(&path, &bounds);
  EXPECT_EQ(bounds.xLeft, 0);
  EXPECT_EQ(bounds.yTop, 0);
  EXPECT_EQ(bounds.xRight, 480);
  EXPECT_EQ(bounds.yBottom, 320);
}

TEST(GdiPath, FlatteningKeepsEndpointsAndDropsCurves) {
  Path path;
  path.MoveTo({0, 0});
  path.BezierTo({0, 1600}, {1600, 1600}, {1600, 0});
  auto flat = path.Flattened();
  EXPECT_EQ(flat->fl & PO_BEZIERS, 0u);
  const auto batches = Enumerate(flat.get());
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_GT(batches[0].points.size(), 8u);
  EXPECT_EQ(batches[0].points.back().x, 1600);
  EXPECT_EQ(batches[0].points.back().y, 0);
  // The curve's apex (t = 0.5) is at y = 1200: the polyline reaches it closely.
  FIX maxY = 0;
  for (const POINTFIX& p : batches[0].points) maxY = std::max(maxY, p.y);
  EXPECT_NEAR(maxY, 1200, 4);
}

std::vector<RECTL> EnumerateClip(CLIPOBJ* pco, ULONG direction, size_t bufferRects) {
  std::vector<RECTL> out;
  CLIPOBJ_cEnumStart(pco, TRUE, CT_RECTANGLES, direction, 0);
  std::vector<ULONG> buffer(1 + 4 * bufferRects);
  BOOL more = TRUE;
  for (int guard = 0; more && guard < 100; ++guard) {
    more = CLIPOBJ_bEnum(pco, static_cast<ULONG>(buffer.size() * sizeof(ULONG)), buffer.data());
    auto* rects = reinterpret_cast<ENUMRECTS*>(buffer.data());
    const RECTL* first = reinterpret_cast<const RECTL*>(buffer.data() + 1);
    out.insert(out.end(), first, first + rects->c);
  }
  return out;
}

TEST(GdiClip, ComplexRegionEnumeratesBandedRectanglesInAnyBatchSize) {
  // An L shape from two overlapping rectangles.
  auto clip = Clip::Region({{0, 0, 100, 50}, {0, 0, 40, 120}});
  EXPECT_EQ(clip->iDComplexity, DC_COMPLEX);
  EXPECT_EQ(clip->rclBounds.right, 100);
  EXPECT_EQ(clip->rclBounds.bottom, 120);
  const std::vector<RECTL> expected = {{0, 0, 100, 50}, {0, 50, 40, 120}};
  for (size_t batch : {1u, 2u, 10u}) {
    const auto rects = EnumerateClip(clip.get(), CD_RIGHTDOWN, batch);
    ASSERT_EQ(rects.size(), expected.size()) << batch;
    for (size_t i = 0; i < rects.size(); ++i) {
      EXPECT_EQ(rects[i].top, expected[i].top);
      EXPECT_EQ(rects[i].right, expected[i].right);
      EXPECT_EQ(rects[i].bottom, expected[i].bottom);
    }
  }
  const auto upward = EnumerateClip(clip.get(), CD_RIGHTUP, 4);
  ASSERT_EQ(upward.size(), 2u);
  EXPECT_EQ(upward[0].top, 50);

  // A union that is one rectangle collapses to DC_RECT; disjoint bands merge.
  auto merged = Clip::Region({{0, 0, 10, 10}, {0, 10, 10, 20}});
  EXPECT_EQ(merged->iDComplexity, DC_RECT);
  EXPECT_EQ(merged->rclBounds.bottom, 20);
}

TEST(GdiClip, PathOfTheRegionIsItsOutlineOwnedByTheDriver) {
  auto clip = Clip::Region({{0, 0, 100, 50}, {0, 0, 40, 120}});
  clip->iMode = TC_PATHOBJ;  // as the driver switches it
  PATHOBJ* outline = CLIPOBJ_ppoGetPath(clip.get());
  ASSERT_NE(outline, nullptr);
  const auto batches = Enumerate(outline);
  // The L shape is one closed figure of its six corners, clockwise on the page.
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].flags & (PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_CLOSEFIGURE),
            static_cast<FLONG>(PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_CLOSEFIGURE));
  std::vector<std::pair<FIX, FIX>> corners;
  for (const POINTFIX& p : batches[0].points) corners.emplace_back(p.x / 16, p.y / 16);
  const std::vector<std::pair<FIX, FIX>> expected = {{0, 0}, {100, 0}, {100, 50}, {40, 50}, {40, 120}, {0, 120}};
  ASSERT_EQ(corners.size(), expected.size());
  // The same cycle, from wherever it starts.
  const auto start = std::find(corners.begin(), corners.end(), expected[0]);
  ASSERT_NE(start, corners.end());
  std::rotate(corners.begin(), start, corners.end());
  EXPECT_EQ(corners, expected);
  EngDeletePath(outline);

  // A path the engine owns is not the driver's to delete.
  Path owned;
  owned.AddRectangle({0, 0, 1, 1});
  EngDeletePath(&owned);
  EXPECT_EQ(Enumerate(&owned).size(), 1u);
}

TEST(GdiClip, PlainClipBuiltByADriverEnumeratesItsBounds) {
  CLIPOBJ built{};
  built.iDComplexity = DC_RECT;
  built.iFComplexity = FC_RECT;
  built.rclBounds = {5, 6, 7, 8};
  ENUMRECTS rects{};
  EXPECT_FALSE(CLIPOBJ_bEnum(&built, sizeof(rects), reinterpret_cast<ULONG*>(&rects)));
  EXPECT_EQ(rects.c, 1u);
  EXPECT_EQ(rects.arcl[0].bottom, 8);
  PATHOBJ* outline = CLIPOBJ_ppoGetPath(&built);
  ASSERT_NE(outline, nullptr);
  EXPECT_EQ(Enumerate(outline).size(), 1u);
  EngDeletePath(outline);
}

using platform::gdi::BandRegion;
using platform::gdi::Polygon;

// Every pixel of a region, for comparing regions built different ways.
std::vector<std::pair<LONG, LONG>> Pixels(const BandRegion& region) {
  std::vector<std::pair<LONG, LONG>> out;
  for (const RECTL& r : region.Rects())
    for (LONG y = r.top; y < r.bottom; ++y)
      for (LONG x = r.left; x < r.right; ++x) out.emplace_back(y, x);
  std::sort(out.begin(), out.end());
  return out;
}

const RECTL kEverywhere{-100000, -100000, 100000, 100000};

TEST(GdiRegion, PolygonsCoverThePixelsWhoseCentresTheyHoldUnderTheFillRule) {
  // A square from 0.5 to 4.5 holds the centres of pixels 0 to 3 on each axis (4.5 is outside).
  const BandRegion square =
      BandRegion::FromPolygons({{{0.5, 0.5}, {4.5, 0.5}, {4.5, 4.5}, {0.5, 4.5}}}, false, kEverywhere);
  EXPECT_EQ(square.Rects().size(), 1u);
  EXPECT_EQ(square.Bounds().left, 0);
  EXPECT_EQ(square.Bounds().right, 4);
  EXPECT_EQ(square.Bounds().bottom, 4);

  // A five-pointed star drawn in one stroke: its middle is inside under the
  // winding rule and a hole under the alternate rule.
  Polygon star;
  for (int i = 0; i < 5; ++i) {
    const double a = -1.5707963 + i * 4 * 3.14159265 / 5;
    star.push_back({100 + 80 * std::cos(a), 100 + 80 * std::sin(a)});
  }
  const BandRegion winding = BandRegion::FromPolygons({star}, true, kEverywhere);
  const BandRegion alternate = BandRegion::FromPolygons({star}, false, kEverywhere);
  EXPECT_TRUE(winding.Contains(100, 100));
  EXPECT_FALSE(alternate.Contains(100, 100));
  EXPECT_TRUE(alternate.Contains(100, 30));  // a point of the star
  EXPECT_TRUE(winding.Contains(100, 30));

  // Two squares running opposite ways cancel where they overlap under the winding rule.
  const Polygon clockwise{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const Polygon anticlockwise{{5, 0}, {5, 10}, {15, 10}, {15, 0}};
  EXPECT_FALSE(BandRegion::FromPolygons({clockwise, anticlockwise}, true, kEverywhere).Contains(7, 5));
  EXPECT_TRUE(BandRegion::FromPolygons({clockwise, clockwise}, true, kEverywhere).Contains(7, 5));

  // The limit bounds the work and the result.
  const BandRegion cut =
      BandRegion::FromPolygons({{{-1e6, -1e6}, {1e6, -1e6}, {1e6, 1e6}, {-1e6, 1e6}}}, true, RECTL{10, 20, 30, 40});
  ASSERT_EQ(cut.Rects().size(), 1u);
  EXPECT_EQ(cut.Bounds().left, 10);
  EXPECT_EQ(cut.Bounds().bottom, 40);
}

TEST(GdiRegion, IntersectionKeepsBandsAndDropsWhatIsOutside) {
  const BandRegion l = BandRegion::FromRects({{0, 0, 100, 50}, {0, 0, 40, 120}});
  const BandRegion box = BandRegion::FromRects({{20, 30, 200, 60}});
  const BandRegion both = l.Intersect(box);
  const std::vector<RECTL> expected = {{20, 30, 100, 50}, {20, 50, 40, 60}};
  ASSERT_EQ(both.Rects().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(both.Rects()[i].left, expected[i].left);
    EXPECT_EQ(both.Rects()[i].top, expected[i].top);
    EXPECT_EQ(both.Rects()[i].right, expected[i].right);
    EXPECT_EQ(both.Rects()[i].bottom, expected[i].bottom);
  }
  EXPECT_TRUE(l.Intersect(BandRegion::FromRects({{500, 500, 600, 600}})).Empty());
}

TEST(GdiRegion, OutlinesFillBackToTheSameRegionUnderEitherRule) {
  struct Case {
    const char* name;
    std::vector<RECTL> rects;
    size_t loops;
  };
  const Case cases[] = {
      {"rectangle", {{0, 0, 10, 10}}, 1},
      {"L shape", {{0, 0, 100, 50}, {0, 0, 40, 120}}, 1},
      {"ring with a hole", {{0, 0, 30, 10}, {0, 20, 30, 30}, {0, 0, 10, 30}, {20, 0, 30, 30}}, 2},
      {"corners touching", {{0, 0, 10, 10}, {10, 10, 20, 20}}, 2},
      {"comb", {{0, 0, 50, 10}, {0, 10, 10, 30}, {20, 10, 30, 30}, {40, 10, 50, 30}}, 1},
      {"apart", {{0, 0, 5, 5}, {100, 100, 105, 105}}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BandRegion region = BandRegion::FromRects(c.rects);
    const auto loops = region.Outline();
    EXPECT_EQ(loops.size(), c.loops);
    std::vector<Polygon> polygons;
    for (const auto& loop : loops) {
      Polygon p;
      for (size_t i = 0; i < loop.size(); ++i) {
        p.push_back({double(loop[i].x), double(loop[i].y)});
        // Rectilinear, and no corner where the outline runs straight on.
        const POINTL& next = loop[(i + 1) % loop.size()];
        const POINTL& prev = loop[(i + loop.size() - 1) % loop.size()];
        EXPECT_TRUE(loop[i].x == next.x || loop[i].y == next.y);
        EXPECT_FALSE((prev.x == loop[i].x && loop[i].x == next.x) || (prev.y == loop[i].y && loop[i].y == next.y));
      }
      polygons.push_back(p);
    }
    EXPECT_EQ(Pixels(BandRegion::FromPolygons(polygons, true, kEverywhere)), Pixels(region));
    EXPECT_EQ(Pixels(BandRegion::FromPolygons(polygons, false, kEverywhere)), Pixels(region));
  }
}

}  // namespace
