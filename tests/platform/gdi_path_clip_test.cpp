// Paths and clip regions as a driver enumerates them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/engine.h"

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

TEST(GdiClip, PathOfTheRegionIsOwnedByTheDriver) {
  auto clip = Clip::Region({{0, 0, 100, 50}, {0, 0, 40, 120}});
  clip->iMode = TC_PATHOBJ;  // as the driver switches it
  PATHOBJ* outline = CLIPOBJ_ppoGetPath(clip.get());
  ASSERT_NE(outline, nullptr);
  const auto batches = Enumerate(outline);
  ASSERT_EQ(batches.size(), 2u);
  for (const Batch& b : batches) {
    EXPECT_EQ(b.flags & (PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_CLOSEFIGURE),
              static_cast<FLONG>(PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_CLOSEFIGURE));
    EXPECT_EQ(b.points.size(), 4u);
  }
  EXPECT_EQ(batches[1].points[2].x, 40 * 16);
  EXPECT_EQ(batches[1].points[2].y, 120 * 16);
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

}  // namespace
