// Brush realisation through the driver, colour translation and transforms.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/engine.h"

namespace {

using namespace platform::gdi;

struct RealizeRecord {
  int calls = 0;
  ULONG hatch = 0;
  ULONG patternFormat = 0;
  ULONG foreground = 0;
  BYTE firstRow = 0;
  bool refuse = false;
};
RealizeRecord g_realize;

BOOL RecordingRealizeBrush(BRUSHOBJ* pbo, SURFOBJ*, SURFOBJ* psoPattern, SURFOBJ*, XLATEOBJ* pxlo, ULONG iHatch) {
  ++g_realize.calls;
  g_realize.hatch = iHatch;
  g_realize.patternFormat = psoPattern != nullptr ? psoPattern->iBitmapFormat : 0;
  g_realize.foreground = XLATEOBJ_iXlate(pxlo, 0);
  g_realize.firstRow = psoPattern != nullptr ? *static_cast<BYTE*>(psoPattern->pvScan0) : 0;
  if (g_realize.refuse) return FALSE;
  auto* block = static_cast<ULONG*>(BRUSHOBJ_pvAllocRbrush(pbo, 32 + 25));
  if (block == nullptr) return FALSE;
  block[0] = 0xB7;
  return TRUE;
}

class GdiBrush : public ::testing::Test {
 protected:
  void SetUp() override {
    g_realize = {};
    device_ = CreateDevice(DriverCallbacks{nullptr, RecordingRealizeBrush});
    surface_ = EngCreateDeviceSurface(nullptr, SIZEL{100, 100}, BMF_24BPP);
    ASSERT_TRUE(EngAssociateSurface(surface_, device_, HOOK_BITBLT));
  }
  void TearDown() override {
    EngDeleteSurface(surface_);
    DeleteDevice(device_);
  }
  HDEV device_ = 0;
  HSURF surface_ = 0;
};

TEST_F(GdiBrush, HatchIsRealisedOnceThroughTheDriver) {
  auto brush = Brush::Hatch(HS_HORIZONTAL, 0x0000FF, 0xFFFFFF, SurfaceObject(surface_));
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(brush->iSolidColor, SOLID_COLOR_NONE);
  auto* first = static_cast<ULONG*>(BRUSHOBJ_pvGetRbrush(brush.get()));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first[0], 0xB7u);
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(brush.get()), first);
  EXPECT_EQ(g_realize.calls, 1);
  EXPECT_EQ(g_realize.hatch, static_cast<ULONG>(HS_HORIZONTAL));
  EXPECT_EQ(g_realize.patternFormat, static_cast<ULONG>(BMF_1BPP));
  EXPECT_EQ(g_realize.foreground, 0x0000FFu);  // index 0 is the hatch line's colour
  EXPECT_EQ(g_realize.firstRow, 0xFF);         // row 0 of a horizontal hatch is background
  EXPECT_EQ(brush->pvRbrush, first);
}

TEST_F(GdiBrush, RefusedRealisationIsNotRetriedAndSolidNeedsNone) {
  g_realize.refuse = true;
  auto brush = Brush::Hatch(HS_CROSS, 0, 0xFFFFFF, SurfaceObject(surface_));
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(brush.get()), nullptr);
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(brush.get()), nullptr);
  EXPECT_EQ(g_realize.calls, 1);

  auto solid = Brush::Solid(0x123456);
  EXPECT_EQ(solid->iSolidColor, 0x123456u);
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(solid.get()), nullptr);
  EXPECT_EQ(g_realize.calls, 1);
}

TEST(GdiXlate, TableAndTrivialTranslation) {
  auto table = Xlate::Table({0x000000, 0xFFFFFF});
  EXPECT_EQ(XLATEOBJ_iXlate(table.get(), 1), 0xFFFFFFu);
  EXPECT_EQ(XLATEOBJ_piVector(table.get()), table->pulXlate);
  EXPECT_EQ(table->cEntries, 2u);
  auto trivial = Xlate::Trivial();
  for (ULONG probe : {0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u}) EXPECT_EQ(XLATEOBJ_iXlate(trivial.get(), probe), probe);
  EXPECT_EQ(XLATEOBJ_piVector(trivial.get()), nullptr);
  EXPECT_EQ(XLATEOBJ_iXlate(nullptr, 7), 7u);
}

TEST(GdiXform, AppliesBothWaysWithDeterministicRounding) {
  struct Case {
    XFORML m;
    ULONG kind;
    POINTL in;
    POINTL ltol;
    POINTL ltofx;
  };
  const Case cases[] = {
      {{1, 0, 0, 1, 0, 0}, GX_IDENTITY, {3, -4}, {3, -4}, {48, -64}},
      {{1, 0, 0, 1, 10, 20}, GX_OFFSET, {3, 4}, {13, 24}, {208, 384}},
      {{0.5f, 0, 0, 0.5f, 0, 0}, GX_SCALE, {3, -3}, {2, -2}, {24, -24}},  // 1.5 rounds away from zero
      {{0, -1, 1, 0, 0, 0}, GX_GENERAL, {10, 0}, {0, -10}, {0, -160}},    // a quarter turn
  };
  for (const Case& c : cases) {
    Xform xform(c.m);
    XFORML got{};
    EXPECT_EQ(XFORMOBJ_iGetXform(&xform, &got), c.kind);
    EXPECT_EQ(got.eM12, c.m.eM12);
    FLOATOBJ_XFORM fo{};
    EXPECT_EQ(XFORMOBJ_iGetFloatObjXform(&xform, &fo), c.kind);
    EXPECT_EQ(fo.eDx, c.m.eDx);

    POINTL in = c.in, out{}, fx{}, back{};
    ASSERT_TRUE(XFORMOBJ_bApplyXform(&xform, XF_LTOL, 1, &in, &out));
    EXPECT_EQ(out.x, c.ltol.x);
    EXPECT_EQ(out.y, c.ltol.y);
    ASSERT_TRUE(XFORMOBJ_bApplyXform(&xform, XF_LTOFX, 1, &in, &fx));
    EXPECT_EQ(fx.x, c.ltofx.x);
    EXPECT_EQ(fx.y, c.ltofx.y);
    // Back from 28.4 device units to the notional point.
    ASSERT_TRUE(XFORMOBJ_bApplyXform(&xform, XF_INV_FXTOL, 1, &fx, &back));
    EXPECT_EQ(back.x, c.in.x);
    EXPECT_EQ(back.y, c.in.y);
  }
  Xform singular(XFORML{0, 0, 0, 0, 0, 0});
  POINTL p{1, 1}, q{};
  EXPECT_FALSE(XFORMOBJ_bApplyXform(&singular, XF_INV_LTOL, 1, &p, &q));
  XFORMOBJ foreign{};
  EXPECT_FALSE(XFORMOBJ_bApplyXform(&foreign, XF_LTOL, 1, &p, &q));
}

}  // namespace
