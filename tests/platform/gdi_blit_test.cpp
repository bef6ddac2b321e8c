// Raster calls the driver hands back to the engine on a device surface.
#include <gtest/gtest.h>

#include <random>
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
  std::vector<std::vector<BYTE>> rows;  // a 1-bit bitmap written to the device, whole
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
    if (psoSrc->iBitmapFormat == BMF_1BPP) {
      const size_t bytes = static_cast<size_t>((psoSrc->sizlBitmap.cx + 7) / 8);
      for (LONG y = 0; y < psoSrc->sizlBitmap.cy; ++y) {
        const BYTE* r = row + static_cast<ptrdiff_t>(y) * psoSrc->lDelta;
        call.rows.emplace_back(r, r + bytes);
      }
    }
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
  ASSERT_TRUE(RecordingBitBlt(device(), nullptr, nullptr, nullptr, nullptr, &target, nullptr, nullptr, nullptr, nullptr,
                              0x0000 /* BLACKNESS */));
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
  RECTL dest{16, 0, 0, 8};       // right to left
  RECTL from{0, 0, 2, 1};
  ASSERT_TRUE(
      EngStretchBlt(device(), src, nullptr, nullptr, nullptr, nullptr, nullptr, &dest, &from, nullptr, HALFTONE));
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
  ASSERT_TRUE(
      EngStretchBlt(device(), src, nullptr, nullptr, nullptr, nullptr, nullptr, &dest, &from, nullptr, HALFTONE));
  ASSERT_EQ(g_copies.size(), 1u);
  const BYTE first = g_copies[0].firstRow[0];
  EXPECT_EQ(__builtin_popcount(first), 4);
  EngDeleteSurface(source);
}

// The halftone of stretched images, against the plain rule pixel by pixel: the
// nearest source pixel (white outside the source), its grey, and the 8x8 ordered
// dither from the halftone origin. Random sizes, mirrors, origins and source
// rectangles reaching past the bitmap, from 24-bit and 8-bit grey sources.
TEST_F(GdiBlit, StretchBltHalftoneFollowsTheDitherRulePixelByPixel) {
  static constexpr unsigned char kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                                 {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                                 {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                                 {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
  std::mt19937 random(7);
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    const bool grey8 = round % 3 == 2;
    const SIZEL size{between(1, 40), between(1, 20)};
    HBITMAP source = EngCreateBitmap(size, 0, grey8 ? BMF_8BPP : BMF_24BPP, BMF_TOPDOWN, nullptr);
    SURFOBJ* src = SurfaceObject(source);
    for (LONG y = 0; y < size.cy; ++y) {
      BYTE* row = static_cast<BYTE*>(src->pvScan0) + static_cast<ptrdiff_t>(y) * src->lDelta;
      for (LONG x = 0; x < size.cx * (grey8 ? 1 : 3); ++x) row[x] = static_cast<BYTE>(between(0, 255));
    }
    auto pixelRgb = [&](LONG x, LONG y, ULONG* r, ULONG* g, ULONG* b) {
      if (x < 0 || y < 0 || x >= size.cx || y >= size.cy) return void(*r = *g = *b = 255);
      const BYTE* row = static_cast<const BYTE*>(src->pvScan0) + static_cast<ptrdiff_t>(y) * src->lDelta;
      if (grey8) return void(*r = *g = *b = row[x]);
      *r = row[3 * x + 2], *g = row[3 * x + 1], *b = row[3 * x];
    };
    const LONG dw = between(1, 61), dh = between(1, 12);
    const LONG left = between(0, 2), top = between(0, 40);
    const bool flipX = between(0, 1) == 1, flipY = between(0, 3) == 0;
    RECTL dest = flipX ? RECTL{left + dw, top, left, top + dh} : RECTL{left, top, left + dw, top + dh};
    if (flipY) std::swap(dest.top, dest.bottom);
    const RECTL from{between(-3, size.cx - 1), between(-2, size.cy - 1), 0, 0};
    RECTL fromRect{from.left, from.top, from.left + between(1, size.cx + 3), from.top + between(1, size.cy + 2)};
    POINTL origin{between(-9, 9), between(-9, 9)};
    g_copies.clear();
    ASSERT_TRUE(
        EngStretchBlt(device(), src, nullptr, nullptr, nullptr, nullptr, &origin, &dest, &fromRect, nullptr, HALFTONE));
    ASSERT_EQ(g_copies.size(), 1u);
    const std::vector<std::vector<BYTE>>& rows = g_copies[0].rows;
    ASSERT_EQ(rows.size(), static_cast<size_t>(dh));
    const LONG sw = fromRect.right - fromRect.left, sh = fromRect.bottom - fromRect.top;
    for (LONG r = 0; r < dh; ++r) {
      const LONG y = top + r;
      const LONG oy = flipY ? dh - 1 - r : r;
      const LONG sy = fromRect.top + oy * sh / dh;
      for (LONG i = 0; i < dw; ++i) {
        const LONG ox = flipX ? dw - 1 - i : i;
        ULONG red = 0, green = 0, blue = 0;
        pixelRgb(fromRect.left + ox * sw / dw, sy, &red, &green, &blue);
        const ULONG grey = (30 * red + 59 * green + 11 * blue) / 100;
        const int cell = kBayer[((y - origin.y) % 8 + 8) % 8][((left + i - origin.x) % 8 + 8) % 8];
        const bool lit = grey * 64 / 255 > static_cast<ULONG>(cell);
        ASSERT_EQ((rows[static_cast<size_t>(r)][static_cast<size_t>(i / 8)] >> (7 - i % 8)) & 1, lit ? 1 : 0)
            << "row " << r << " column " << i;
      }
    }
    EngDeleteSurface(source);
  }
}

// A photograph printed at its own size reads each source row straight through,
// eight pixels at a time: the same bits as the rule above, for widths on and off
// a byte, every halftone phase, and greys that land exactly on a cell's step.
TEST_F(GdiBlit, UnscaledHalftoneFollowsTheDitherRulePixelByPixel) {
  static constexpr unsigned char kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                                 {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                                 {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                                 {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
  std::mt19937 random(11);
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    const SIZEL size{between(1, 63), between(1, 9)};
    HBITMAP source = EngCreateBitmap(size, 0, BMF_24BPP, BMF_TOPDOWN, nullptr);
    SURFOBJ* src = SurfaceObject(source);
    for (LONG y = 0; y < size.cy; ++y) {
      BYTE* row = static_cast<BYTE*>(src->pvScan0) + static_cast<ptrdiff_t>(y) * src->lDelta;
      for (LONG x = 0; x < size.cx; ++x) {
        if (between(0, 1) == 0) {
          row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<BYTE>(between(0, 255));
        } else {
          for (int c = 0; c < 3; ++c) row[3 * x + c] = static_cast<BYTE>(between(0, 255));
        }
      }
    }
    const LONG left = between(0, 64 - size.cx), top = between(0, 64 - size.cy);
    RECTL dest{left, top, left + size.cx, top + size.cy};
    RECTL fromRect{0, 0, size.cx, size.cy};
    POINTL origin{between(-9, 9), between(-9, 9)};
    g_copies.clear();
    ASSERT_TRUE(
        EngStretchBlt(device(), src, nullptr, nullptr, nullptr, nullptr, &origin, &dest, &fromRect, nullptr, HALFTONE));
    ASSERT_EQ(g_copies.size(), 1u);
    const std::vector<std::vector<BYTE>>& rows = g_copies[0].rows;
    ASSERT_EQ(rows.size(), static_cast<size_t>(size.cy));
    for (LONG r = 0; r < size.cy; ++r) {
      const BYTE* pixels = static_cast<const BYTE*>(src->pvScan0) + static_cast<ptrdiff_t>(r) * src->lDelta;
      for (LONG i = 0; i < size.cx; ++i) {
        const ULONG grey =
            (30 * ULONG{pixels[3 * i + 2]} + 59 * ULONG{pixels[3 * i + 1]} + 11 * ULONG{pixels[3 * i]}) / 100;
        const int cell = kBayer[((top + r - origin.y) % 8 + 8) % 8][((left + i - origin.x) % 8 + 8) % 8];
        const bool lit = grey * 64 / 255 > static_cast<ULONG>(cell);
        ASSERT_EQ((rows[static_cast<size_t>(r)][static_cast<size_t>(i / 8)] >> (7 - i % 8)) & 1, lit ? 1 : 0)
            << "row " << r << " column " << i;
      }
    }
    EngDeleteSurface(source);
  }
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
