// Grey levels, the ordered dither and the 8 x 8 brush cells that stand for
// colours on the monochrome printers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics/output/halftone/halftone.h"
#include "tests/graphics/vector_fixture.h"

namespace graphicstest {
namespace {

TEST(HalftoneTest, GreyWeightsTheColoursAndTheCurveLiftsTheMiddle) {
  struct Case {
    BYTE r, g, b;
    BYTE plain;
    BYTE curved;
  } cases[] = {
      {0, 0, 0, 0, 0},           {255, 255, 255, 255, 255}, {1, 1, 1, 1, 15},  // floor(sqrt(255))
      {2, 2, 2, 2, 22},          {3, 3, 3, 3, 27},          {4, 4, 4, 4, 31},
      {254, 254, 254, 254, 254},  // floor(sqrt(64770)) = 254.5...
      {255, 0, 0, 76, 139},       // 7650 / 100, integer division
      {0, 255, 0, 150, 195},     {0, 0, 255, 28, 84},       {128, 128, 128, 128, 180},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.r) << "," << int(c.g) << "," << int(c.b));
    EXPECT_EQ(GrayFromRgb(0.0f, c.r, c.g, c.b), c.plain);
    EXPECT_EQ(GrayFromRgb(2.0f, c.r, c.g, c.b), c.curved);
    EXPECT_EQ(GrayFromColor(2.0f, DWORD(c.r) | DWORD(c.g) << 8 | DWORD(c.b) << 16), c.curved);
  }
  // The curve is floor(sqrt(255 g)) for every level, and never falls.
  for (int g = 0; g < 256; ++g) {
    const int curved = GrayFromRgb(1.0f, BYTE(g), BYTE(g), BYTE(g));
    EXPECT_LE(curved * curved, 255 * g);
    EXPECT_GT((curved + 1) * (curved + 1), 255 * g);
  }
}

TEST(HalftoneTest, BrushCellsFromBlackToWhite) {
  BYTE cells[64];
  DWORD capacity = 10;
  SIZEL size{0, 0};
  EXPECT_EQ(MakeHalftoneBrush8x8(0, &size, cells, &capacity), 0);
  EXPECT_EQ(capacity, 64u) << "too small: the size needed";
  EXPECT_EQ(MakeHalftoneBrush8x8(0, &size, nullptr, &capacity), 0);

  capacity = 64;
  ASSERT_EQ(MakeHalftoneBrush8x8(0x000000, &size, cells, &capacity), 1);
  EXPECT_EQ(size.cx, 8);
  EXPECT_EQ(size.cy, 8);
  for (BYTE cell : cells) EXPECT_EQ(cell, 1) << "black: every cell inked";
  ASSERT_EQ(MakeHalftoneBrush8x8(0xFFFFFF, &size, cells, &capacity), 1);
  for (BYTE cell : cells) EXPECT_EQ(cell, 0) << "white: no cell inked";

  // 50% grey is 180 after the curve, level 45 of 64: the 19 cells of the
  // matrix at 45 or above, read with rows and columns exchanged.
  ASSERT_EQ(MakeHalftoneBrush8x8(0x808080, nullptr, cells, &capacity), 1);
  const BYTE rows[8] = {0x07, 0x07, 0x07, 0x00, 0x70, 0x70, 0x70, 0x40};
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) EXPECT_EQ(cells[r * 8 + c], (rows[r] >> (7 - c)) & 1) << r << "," << c;
  }
  // Darker colours ink more cells.
  int previous = 65;
  for (DWORD level : {0x000000u, 0x404040u, 0x808080u, 0xC0C0C0u, 0xFFFFFFu}) {
    ASSERT_EQ(MakeHalftoneBrush8x8(level, nullptr, cells, &capacity), 1);
    int inked = 0;
    for (BYTE cell : cells) inked += cell;
    EXPECT_LT(inked, previous) << std::hex << level;
    previous = inked;
  }
}

TEST(HalftoneTest, DitherFollowsTheThresholdsAndContinuesAcrossBands) {
  PdevPtr pdev = BarePdev(0x0C);
  ASSERT_TRUE(pdev);
  // A level dithers to one white bit for every threshold below it.
  for (int level : {0, 1, 100, 139, 254}) {
    std::vector<BYTE> gray(16 * 16, BYTE(level));
    GrayRowBlock block;
    block.width = 16;
    block.rows = 16;
    block.stride = 16;
    block.data = gray.data();
    ASSERT_EQ(DitherGrayRowsToMono(pdev.get(), &block), 1);
    EXPECT_EQ(block.bitsPerPixel, 1u);
    int white = 0;
    for (int r = 0; r < 16; ++r) {
      for (int byte = 0; byte < 2; ++byte) white += __builtin_popcount(gray[r * 16 + byte]);
    }
    EXPECT_EQ(white, level) << "level " << level;
  }

  // Two bands of 8 rows continue the matrix where one band of 16 would.
  std::vector<BYTE> ramp(20 * 16);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = BYTE((i * 37) % 256);
  std::vector<BYTE> whole = ramp;
  GrayRowBlock block{20, 16, 20, whole.data(), 8};
  ASSERT_EQ(DitherGrayRowsToMono(pdev.get(), &block), 1);
  EXPECT_EQ(pdev->writers.raster.ditherPhase, 0);
  std::vector<BYTE> halves = ramp;
  GrayRowBlock top{20, 8, 20, halves.data(), 8};
  GrayRowBlock bottom{20, 8, 20, halves.data() + 8 * 20, 8};
  ASSERT_EQ(DitherGrayRowsToMono(pdev.get(), &top), 1);
  EXPECT_EQ(pdev->writers.raster.ditherPhase, 8);
  ASSERT_EQ(DitherGrayRowsToMono(pdev.get(), &bottom), 1);
  EXPECT_EQ(pdev->writers.raster.ditherPhase, 0);
  for (int r = 0; r < 16; ++r) {
    for (int byte = 0; byte < 3; ++byte) {
      EXPECT_EQ(halves[r * 20 + byte], whole[r * 20 + byte]) << r << "," << byte;
    }
  }
  EXPECT_EQ(DitherGrayRowsToMono(nullptr, &block), 0);
  EXPECT_EQ(DitherGrayRowsToMono(pdev.get(), nullptr), 0);
}

}  // namespace
}  // namespace graphicstest
