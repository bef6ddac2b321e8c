// Raster calls the driver hands back to the engine on a device surface.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/engine.h"

namespace {

using namespace platform::gdi;

struct CopyCall {
  bool toDevice;
  RECTL rect;
  ULONG srcFormat;
  std::vector<ULONG> xlate;
  std::vector<BYTE> firstRow;
};

// A recording driver: its DrvBitBlt hands every call to EngBitBlt (as the
// graphics library does for BLACKNESS/WHITENESS); its DrvCopyBits answers reads
// from the device with white and records writes.
std::vector<CopyCall> g_copies;
int g_bitBltCalls = 0;

BOOL RecordingCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ*, XLATEOBJ* pxlo, RECTL* prclDest, POINTL*) {
  CopyCall call{psoDest->iType == STYPE_DEVICE, *prclDest, psoSrc->iBitmapFormat, {}, {}};
  if (ULONG* vector = XLATEOBJ_piVector(pxlo)) call.xlate.assign(vector, vector + pxlo->cEntries);
  if (call.toDevice) {
    const BYTE* row = static_cast<const BYTE*>(psoSrc->pvScan0);
    call.firstRow.assign(row, row + 4);
  } else {
    EngEraseSurface(psoDest, prclDest, 0xFFFFFFFF);
  }
  g_copies.push_back(call);
  return TRUE;
}

BOOL RecordingBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
                     POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
  if (++g_bitBltCalls > 1) return FALSE;  // re-entered: the engine looped back
  return EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);
}

class GdiBlit : public ::testing::Test {
 protected:
  void SetUp() override {
    g_copies.clear();
    g_bitBltCalls = 0;
    device_ = CreateDevice(DriverCallbacks{RecordingCopyBits, nullptr}, HT_FORMAT_1BPP);
    surface_ = EngCreateDeviceSurface(nullptr, SIZEL{64, 64}, BMF_24BPP);
    ASSERT_TRUE(EngAssociateSurface(surface_, device_, HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_COPYBITS));
  }
  void TearDown() override {
    EngDeleteSurface(surface_);
    DeleteDevice(device_);
  }
  SURFOBJ* device() { return SurfaceObject(surface_); }
  HDEV device_ = 0;
  HSURF surface_ = 0;
};

TEST_F(GdiBlit, BitBltOnTheDeviceReadsBackAndWritesBackWithoutRecursing) {
  RECTL target{8, 8, 24, 12};
  ASSERT_TRUE(RecordingBitBlt(device(), nullptr, nullptr, nullptr, nullptr, &target, nullptr, nullptr, nullptr,
                              nullptr, 0x0000 /* BLACKNESS */));
  EXPECT_EQ(g_bitBltCalls, 1);
  ASSERT_EQ(g_copies.size(), 2u);
  EXPECT_FALSE(g_copies[0].toDevice);
  EXPECT_TRUE(g_copies[1].toDevice);
  EXPECT_EQ(g_copies[1].rect.left, 8);
  EXPECT_EQ(g_copies[1].rect.right, 24);
  EXPECT_EQ(g_copies[1].srcFormat, static_cast<ULONG>(BMF_24BPP));
  EXPECT_EQ(g_copies[1].firstRow, (std::vector<BYTE>{0, 0, 0, 0}));  // black written back
}

TEST_F(GdiBlit, BitBltKeepsWhatTheClipLeavesOut) {
  // PATINVERT with a solid brush on a read-back of white, clipped to the left half.
  auto clip = Clip::Rectangle({0, 0, 10, 64});
  auto brush = Brush::Solid(0x0000FF);
  RECTL target{8, 0, 12, 1};
  ASSERT_TRUE(EngBitBlt(device(), nullptr, nullptr, clip.get(), nullptr, &target, nullptr, nullptr, brush.get(),
                        nullptr, 0x5A5A));
  ASSERT_EQ(g_copies.size(), 2u);
  // Pixel 0 (device x 8) inverted: white ^ red = cyan (B,G,R = FF,FF,00).
  const auto& row = g_copies[1].firstRow;
  EXPECT_EQ(row[0], 0xFF);
  EXPECT_EQ(row[1], 0xFF);
  EXPECT_EQ(row[2], 0x00);
}

TEST_F(GdiBlit, StretchBltHalftonesIntoOneBitAndCallsCopyBits) {
  // A 2x1 source, black and white, stretched to 16x8 and mirrored.
  HBITMAP source = EngCreateBitmap(SIZEL{2, 1}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr);
  SURFOBJ* src = SurfaceObject(source);
  auto* px = static_cast<BYTE*>(src->pvScan0);
  px[3] = px[4] = px[5] = 0xFF;  // pixel 1 white
  RECTL dest{16, 0, 0, 8};        // right to left
  RECTL from{0, 0, 2, 1};
  ASSERT_TRUE(EngStretchBlt(device(), src, nullptr, nullptr, nullptr, nullptr, nullptr, &dest, &from, nullptr,
                            HALFTONE));
  ASSERT_EQ(g_copies.size(), 1u);
  const CopyCall& call = g_copies[0];
  EXPECT_TRUE(call.toDevice);
  EXPECT_EQ(call.srcFormat, static_cast<ULONG>(BMF_1BPP));
  EXPECT_EQ(call.xlate, (std::vector<ULONG>{0x000000, 0xFFFFFF}));
  EXPECT_EQ(call.rect.left, 0);
  EXPECT_EQ(call.rect.right, 16);
  // Mirrored: the white half comes first (bits set), the black half after.
  EXPECT_EQ(call.firstRow[0], 0xFF);
  EXPECT_EQ(call.firstRow[1], 0x00);
  EXPECT_EQ(g_bitBltCalls, 0);
  EngDeleteSurface(source);
}

TEST_F(GdiBlit, StretchBltMidGreyGivesAnEvenDither) {
  HBITMAP source = EngCreateBitmap(SIZEL{1, 1}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr);
  SURFOBJ* src = SurfaceObject(source);
  auto* px = static_cast<BYTE*>(src->pvScan0);
  px[0] = px[1] = px[2] = 128;
  RECTL dest{0, 0, 8, 8}, from{0, 0, 1, 1};
  ASSERT_TRUE(EngStretchBlt(device(), src, nullptr, nullptr, nullptr, nullptr, nullptr, &dest, &from, nullptr,
                            HALFTONE));
  ASSERT_EQ(g_copies.size(), 1u);
  const BYTE first = g_copies[0].firstRow[0];
  EXPECT_EQ(__builtin_popcount(first), 4);
  EngDeleteSurface(source);
}

TEST(GdiSurface, BitmapsEraseAndRefuseBadSizes) {
  HBITMAP bitmap = EngCreateBitmap(SIZEL{9, 3}, 0, BMF_1BPP, 0, nullptr);
  SURFOBJ* so = SurfaceObject(bitmap);
  ASSERT_NE(so, nullptr);
  EXPECT_EQ(so->lDelta, -4);  // bottom-up, rows padded to 32 bits
  RECTL all{0, 0, 9, 3};
  ASSERT_TRUE(EngEraseSurface(so, &all, 0xFFFFFFFF));
  EXPECT_EQ(static_cast<BYTE*>(so->pvScan0)[1], 0x80);
  EXPECT_EQ(EngCreateBitmap(SIZEL{0, 3}, 0, BMF_1BPP, 0, nullptr), 0u);
  EXPECT_EQ(EngCreateBitmap(SIZEL{100, 3}, 4, BMF_24BPP, 0, nullptr), 0u);  // stride too short
  EXPECT_TRUE(EngDeleteSurface(bitmap));
  EXPECT_FALSE(EngDeleteSurface(bitmap));

  HPALETTE palette = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  EXPECT_NE(palette, 0u);
  EXPECT_TRUE(EngDeletePalette(palette));
  EXPECT_EQ(EngCreatePalette(PAL_INDEXED, 0, nullptr, 0, 0, 0), 0u);
}

}  // namespace
