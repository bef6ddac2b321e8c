// PCL raster: the frame around the rows and the state it keeps between images,
// rows compressed by the method each suits (and decoded back by the structural
// reader), grey sources dithered with the 16 x 16 matrix after the transfer
// curve, scaled to the destination, and bands that continue into an image
// placed right below.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "graphics/output/raster/raster_image.h"
#include "graphics/output/raster/raster_pcl.h"
#include "tests/graphics_raster/raster_fixture.h"

namespace rastertest {
namespace {

// The threshold matrix of the printers' dither, as published for them.
constexpr int kThreshold[16][16] = {
    {25, 105, 233, 214, 243, 115, 43, 11, 27, 107, 235, 215, 241, 113, 41, 9},
    {73, 153, 182, 134, 198, 171, 91, 59, 75, 155, 183, 135, 199, 169, 89, 57},
    {185, 150, 70, 54, 86, 166, 203, 139, 187, 151, 71, 55, 87, 167, 201, 137},
    {230, 102, 22, 6, 38, 126, 254, 219, 231, 103, 23, 7, 39, 127, 255, 217},
    {246, 118, 46, 14, 30, 110, 238, 208, 247, 119, 47, 15, 31, 111, 239, 210},
    {194, 174, 94, 62, 78, 158, 176, 128, 192, 175, 95, 63, 79, 159, 178, 130},
    {82, 162, 206, 142, 190, 144, 64, 48, 80, 160, 207, 143, 191, 146, 66, 50},
    {34, 122, 250, 222, 224, 96, 16, 0, 32, 120, 248, 223, 226, 98, 18, 2},
    {26, 106, 234, 213, 240, 112, 40, 8, 24, 104, 232, 212, 242, 114, 42, 10},
    {74, 154, 181, 133, 197, 168, 88, 56, 72, 152, 180, 132, 196, 170, 90, 58},
    {186, 149, 69, 53, 85, 165, 200, 136, 184, 148, 68, 52, 84, 164, 202, 138},
    {229, 101, 21, 5, 37, 125, 253, 216, 228, 100, 20, 4, 36, 124, 252, 218},
    {245, 117, 45, 13, 29, 109, 237, 211, 244, 116, 44, 12, 28, 108, 236, 209},
    {193, 173, 93, 61, 77, 157, 179, 131, 195, 172, 92, 60, 76, 156, 177, 129},
    {81, 161, 205, 141, 189, 147, 67, 51, 83, 163, 204, 140, 188, 145, 65, 49},
    {33, 121, 249, 221, 227, 99, 19, 3, 35, 123, 251, 220, 225, 97, 17, 1},
};

// Ink of a grey (0 black) at page pixel (x, y) of a dither that starts at the
// image's top: darkness after the curve above the threshold.
bool ExpectedInk(int grey, LONG x, LONG row) {
  const int curved = static_cast<int>(std::floor(std::sqrt(255.0 * grey)));
  return 255 - curved > kThreshold[row % 16][x % 16];
}

// Writes an image through the writer directly.
BOOL Draw(PDEV* pdev, TestImage& image, const ImageRect& source, const ImageRect& dest, BOOL grey,
          DWORD rop3 = SRCCOPY) {
  ImageDescriptor d;
  d.width = image.width();
  d.height = image.height();
  const SURFOBJ* s = image.surface();
  // clang-format off
  d.bitsPerPixel = s->iBitmapFormat == BMF_1BPP ? 1 : s->iBitmapFormat == BMF_8BPP ? 8 : s->iBitmapFormat == BMF_4BPP ? 4
                   : s->iBitmapFormat == BMF_16BPP ? 16 : s->iBitmapFormat == BMF_24BPP ? 24 : 32;
  // clang-format on
  d.stride = s->lDelta;
  d.scan0 = static_cast<const BYTE*>(s->pvScan0);
  if (image.xlate()) {
    d.palette = image.xlate()->pulXlate;
    d.paletteCount = image.xlate()->cEntries;
  }
  return WritePclRaster(pdev, &d, &source, &dest, rop3, grey);
}

// Positions ("ESC*p#x#Y" before "ESC*r1A") of the raster blocks of a stream.
std::vector<std::pair<long, long>> Positions(const std::string& out) {
  static const std::regex position("\x1b\\*p(\\d+)x(\\d+)Y\x1b\\*r1A");
  std::vector<std::pair<long, long>> found;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), position); it != std::sregex_iterator(); ++it)
    found.emplace_back(std::stol((*it)[1]), std::stol((*it)[2]));
  return found;
}

// The page as the printer builds it from the blocks (later rows over earlier
// ones), `width` x `height` pixels from (0, 0).
std::vector<std::vector<bool>> Compose(const std::string& out, long width, long height) {
  std::vector<std::vector<bool>> page(static_cast<size_t>(height), std::vector<bool>(static_cast<size_t>(width)));
  const DecodedRaster raster = DecodeRaster(out);
  const auto at = Positions(out);
  EXPECT_EQ(at.size(), raster.blocks.size());
  for (size_t b = 0; b < raster.blocks.size() && b < at.size(); ++b) {
    for (size_t r = 0; r < raster.bits[b].size(); ++r) {
      const long y = at[b].second + static_cast<long>(r);
      for (size_t c = 0; c < raster.bits[b][r].size(); ++c) {
        const long x = at[b].first + static_cast<long>(c);
        if (y >= 0 && y < height && x >= 0 && x < width)
          page[static_cast<size_t>(y)][static_cast<size_t>(x)] = raster.bits[b][r][c];
      }
    }
  }
  return page;
}

TEST(RasterPclTest, TheFrameAroundTheRowsAndWhatItKeeps) {
  PdevPtr pdev = PagePdev(kPdlPcl5e, 600, kImageCompressionNone);
  TestImage image(16, 2, 1);
  image.Row(0)[0] = 0x0F;
  image.Row(0)[1] = 0xF0;
  image.Row(1)[0] = 0xFF;
  image.Row(1)[1] = 0xFF;
  pdev->job.inHpgl = 1;
  const ImageRect source{0, 0, 16, 2}, dest{100, 200, 16, 2};
  const std::string first = Output(pdev.get(), [&] { EXPECT_TRUE(Draw(pdev.get(), image, source, dest, FALSE)); });
  // Index 0 is black in a source without palette: the bits are inverted.
  static const char kFirst[] =
      "\x1b%0A\x1b*v1N\x1b*v1O\x1b*l204O\x1b*t600R\x1b*r16s2T\x1b*p100x200Y\x1b*r1A"
      "\x1b*b2W\xF0\x0F\x1b*b2W\x00\x00"
      "\x1b*l252O\x1b*v0N\x1b*rB";
  EXPECT_EQ(first, std::string(kFirst, sizeof kFirst - 1));
  EXPECT_EQ(pdev->job.inHpgl, 0);
  // The pattern transparency stays; the source transparency is sent again; a
  // pending pixel placement is ended; the operation's code byte goes out.
  pdev->writers.vector.pixelPlacement = 1;
  const std::string second =
      Output(pdev.get(), [&] { EXPECT_TRUE(Draw(pdev.get(), image, source, dest, FALSE, 0x008800C6)); });
  EXPECT_EQ(second.rfind("\x1b*v1N\x1b*l136O\x1b*lR\x1b*t600R", 0), 0u) << second.substr(0, 30);
  EXPECT_EQ(pdev->writers.vector.pixelPlacement, 0u);
  // A palette whose index 0 is white goes as it is.
  TestImage whiteBlack(16, 1, 1, {kWhite, kBlack});
  whiteBlack.Row(0)[0] = 0x81;
  const std::string asIs = Output(pdev.get(), [&] {
    EXPECT_TRUE(Draw(pdev.get(), whiteBlack, {0, 0, 16, 1}, {0, 0, 16, 1}, FALSE));
  });
  EXPECT_NE(asIs.find(std::string("\x1b*b2W\x81\x00", 7)), std::string::npos);
}

TEST(RasterPclTest, RowsTakeTheMethodTheySuitAndTheMethodInForceIsKept) {
  PdevPtr pdev = PagePdev(kPdlPcl5e);
  // Three equal rows: from the second on, a delta row with nothing changed.
  TestImage image(64, 3, 1, {kWhite, kBlack});
  for (LONG y = 0; y < 3; ++y)
    for (LONG i = 0; i < 8; ++i) image.Row(y)[i] = static_cast<BYTE>(0x11 * i + 3);
  const ImageRect source{0, 0, 64, 3}, dest{0, 0, 64, 3};
  const std::string out = Output(pdev.get(), [&] { EXPECT_TRUE(Draw(pdev.get(), image, source, dest, FALSE)); });
  EXPECT_NE(out.find("\x1b*b3m0W\x1b*b0W\x1b*l252O"), std::string::npos) << out;
  EXPECT_EQ(pdev->writers.raster.pclMethod, 3);
  const DecodedRaster raster = DecodeRaster(out);
  ASSERT_EQ(raster.blocks.size(), 1u);
  ASSERT_EQ(raster.blocks[0].rows.size(), 3u);
  for (const auto& row : raster.blocks[0].rows)
    EXPECT_EQ(row.bytes, std::string(reinterpret_cast<const char*>(image.Row(0)), 8));

  // The next image starts from a zero seed row, and method 3 is still in
  // force: a blank first row is no bytes and no method.
  TestImage blank(64, 1, 1, {kWhite, kBlack});
  const std::string next = Output(pdev.get(), [&] {
    EXPECT_TRUE(Draw(pdev.get(), blank, {0, 0, 64, 1}, {0, 0, 64, 1}, FALSE));
  });
  EXPECT_NE(next.find("\x1b*r1A\x1b*b0W\x1b*l252O"), std::string::npos) << next;
  EXPECT_EQ(DecodeRaster(next).blocks.size(), 1u);

  // A printer reset returns the printer to method 0, a new page may follow any
  // other: the first row names its method again.
  ++pdev->writers.deviceSettings.printerResets;
  const std::string afterReset = Output(pdev.get(), [&] { EXPECT_TRUE(Draw(pdev.get(), image, source, dest, FALSE)); });
  EXPECT_NE(afterReset.find("\x1b*b3m"), std::string::npos);
  ResetRasterPageState(pdev.get());
  const std::string newPage = Output(pdev.get(), [&] { EXPECT_TRUE(Draw(pdev.get(), image, source, dest, FALSE)); });
  EXPECT_TRUE(std::regex_search(newPage, std::regex("\x1b\\*r1A\x1b\\*b\\dm"))) << newPage;

  // "Compression" 3: rows as they are, no method named.
  PdevPtr plain = PagePdev(kPdlPcl5e, 600, kImageCompressionNone);
  const std::string raw = Output(plain.get(), [&] { EXPECT_TRUE(Draw(plain.get(), image, source, dest, FALSE)); });
  EXPECT_EQ(raw.find('m'), std::string::npos);
  EXPECT_EQ(DecodeRaster(raw).blocks[0].rows.size(), 3u);
}

TEST(RasterPclTest, GreySourcesAreDitheredAfterTheCurve) {
  struct Case {
    const char* name;
    DWORD bits;
    std::vector<ULONG> palette;
  } cases[] = {
      {"8-bit", 8, GreyPalette()},
      {"24-bit", 24, {}},
      {"32-bit", 32, {}},
      {"16-bit", 16, {}},
  };
  const LONG width = 48, height = 40;
  // Grey steps across, darker down; 5-bit steps so that 16-bit sources hold them.
  auto greyAt = [](LONG x, LONG y) { return static_cast<int>(((x * 5 + y * 3) % 32) * 255 / 31); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestImage image(width, height, c.bits, c.palette);
    for (LONG y = 0; y < height; ++y)
      for (LONG x = 0; x < width; ++x) {
        const ULONG g = static_cast<ULONG>(greyAt(x, y));
        image.Set(x, y, c.bits == 8 ? g : g | g << 8 | g << 16);
      }
    for (WORD compression : {WORD{5}, kImageCompressionNone}) {
      PdevPtr pdev = PagePdev(kPdlPcl5e, 600, compression);
      const std::string out = Output(pdev.get(), [&] {
        EXPECT_TRUE(Draw(pdev.get(), image, {0, 0, width, height}, {0, 0, width, height}, TRUE));
      });
      const auto page = Compose(out, width, height);
      int wrong = 0;
      for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x)
          if (page[y][x] != ExpectedInk(greyAt(x, y), x, y)) ++wrong;
      EXPECT_EQ(wrong, 0) << "compression " << compression;
      if (compression == 5) {
        EXPECT_TRUE(out.find("\x1b*b2m") != std::string::npos || out.find("\x1b*b3m") != std::string::npos);
      }
    }
  }
}

TEST(RasterPclTest, GreyPathScalesToTheDestination) {
  // A 1-bit black-and-white source stays bits; each pixel and row doubled.
  PdevPtr pdev = PagePdev(kPdlPcl5e);
  TestImage bits(8, 3, 1, {kBlack, kWhite});
  bits.Row(0)[0] = 0xF0;
  bits.Row(1)[0] = 0x0F;
  bits.Row(2)[0] = 0xAA;
  std::string out = Output(pdev.get(), [&] { EXPECT_TRUE(Draw(pdev.get(), bits, {0, 0, 8, 3}, {0, 0, 16, 6}, TRUE)); });
  DecodedRaster raster = DecodeRaster(out);
  ASSERT_EQ(raster.blocks.size(), 1u);
  ASSERT_EQ(raster.bits[0].size(), 6u);
  for (LONG y = 0; y < 6; ++y)
    for (LONG x = 0; x < 16; ++x)
      EXPECT_EQ(raster.bits[0][y][x], !((bits.Row(y / 2)[0] >> (7 - x / 2)) & 1)) << x << "," << y;

  // Rows of a source rectangle that starts down the bitmap add up to the
  // declared height, however the rows divide.
  TestImage grey(20, 20, 8, GreyPalette());
  grey.Fill(128);
  for (const ImageRect& source : {ImageRect{3, 5, 7, 7}, ImageRect{0, 13, 20, 7}, ImageRect{1, 1, 9, 3}}) {
    for (const LONG h : {1, 5, 10, 17, 33}) {
      PdevPtr p = PagePdev(kPdlPcl5e);
      out = Output(p.get(), [&] { EXPECT_TRUE(Draw(p.get(), grey, source, {0, 0, 11, h}, TRUE)); });
      raster = DecodeRaster(out);
      ASSERT_EQ(raster.blocks.size(), 1u);
      EXPECT_EQ(raster.blocks[0].sourceHeight.value_or(-1), h);
      EXPECT_EQ(raster.blocks[0].rows.size(), static_cast<size_t>(h)) << source.y << " " << h;
    }
  }

  // The direct path draws a source scaled to its destination as well, and
  // starts at an unaligned source column.
  TestImage wide(24, 2, 1);
  wide.Row(0)[0] = 0x1F;  // columns 3-7 white
  wide.Row(1)[0] = 0x00;
  PdevPtr direct = PagePdev(kPdlPcl5e);
  out = Output(direct.get(), [&] { EXPECT_TRUE(Draw(direct.get(), wide, {3, 0, 5, 2}, {0, 0, 5, 4}, FALSE)); });
  raster = DecodeRaster(out);
  ASSERT_EQ(raster.bits.size(), 1u);
  ASSERT_EQ(raster.bits[0].size(), 4u);
  EXPECT_EQ(raster.bits[0][0], std::vector<bool>(5, false));
  EXPECT_EQ(raster.bits[0][3], std::vector<bool>(5, true));
}

TEST(RasterPclTest, AnImageRightBelowContinuesTheDitherWithoutASeam) {
  const LONG width = 40;
  TestImage image(width, 40, 8, GreyPalette());
  for (LONG y = 0; y < 40; ++y)
    for (LONG x = 0; x < width; ++x) image.Set(x, y, static_cast<ULONG>((x * 7 + y * 5) % 256));

  PdevPtr whole = PagePdev(kPdlPcl5e);
  const std::string one = Output(whole.get(), [&] {
    EXPECT_TRUE(Draw(whole.get(), image, {0, 0, width, 40}, {100, 300, width, 40}, TRUE));
  });

  PdevPtr halves = PagePdev(kPdlPcl5e);
  const std::string two = Output(halves.get(), [&] {
    EXPECT_TRUE(Draw(halves.get(), image, {0, 0, width, 20}, {100, 300, width, 20}, TRUE));
    EXPECT_TRUE(Draw(halves.get(), image, {0, 20, width, 20}, {100, 320, width, 20}, TRUE));
  });
  // The second raster starts four rows higher: the grey rows of the first
  // image's last band (rows 16-19) are dithered again with its first rows.
  const auto at = Positions(two);
  ASSERT_EQ(at.size(), 2u);
  EXPECT_EQ(at[1], std::make_pair(100L, 316L));
  EXPECT_NE(two.find("\x1b*r40s24T"), std::string::npos);
  EXPECT_EQ(Compose(two, 200, 400), Compose(one, 200, 400));
  EXPECT_EQ(DecodeRaster(two).bits[1].size(), 24u);

  // Another x or width, or a new page, carries nothing.
  PdevPtr apart = PagePdev(kPdlPcl5e);
  std::string out = Output(apart.get(), [&] {
    EXPECT_TRUE(Draw(apart.get(), image, {0, 0, width, 20}, {100, 300, width, 20}, TRUE));
    EXPECT_TRUE(Draw(apart.get(), image, {0, 20, width, 20}, {108, 320, width, 20}, TRUE));
    EXPECT_TRUE(Draw(apart.get(), image, {0, 0, width, 20}, {100, 500, width, 20}, TRUE));
    ResetRasterPageState(apart.get());
    EXPECT_TRUE(Draw(apart.get(), image, {0, 20, width, 20}, {100, 520, width, 20}, TRUE));
  });
  const auto positions = Positions(out);
  ASSERT_EQ(positions.size(), 4u);
  EXPECT_EQ(positions[1].second, 320);
  EXPECT_EQ(positions[3].second, 520);
  EXPECT_EQ(apart->writers.raster.carried.rowCount, 4u);
}

TEST(RasterPclTest, OneBitSourcesOnTheGreyPath) {
  // A black-and-white pair stays bits; a palette of two colours is dithered
  // as grey.
  TestImage pair(16, 2, 1, {kWhite, kBlack});
  pair.Row(0)[0] = 0xFF;
  TestImage colours(16, 16, 1, {0x0000FF, kWhite});
  PdevPtr pdev = PagePdev(kPdlPcl5e);
  std::string out = Output(pdev.get(), [&] {
    EXPECT_TRUE(Draw(pdev.get(), pair, {0, 0, 16, 2}, {0, 0, 16, 2}, TRUE));
  });
  DecodedRaster raster = DecodeRaster(out);
  ASSERT_EQ(raster.bits.size(), 1u);
  EXPECT_TRUE(raster.bits[0][0][0]);
  EXPECT_FALSE(raster.bits[0][0][8]);
  out = Output(pdev.get(), [&] { EXPECT_TRUE(Draw(pdev.get(), colours, {0, 0, 16, 16}, {0, 0, 16, 16}, TRUE)); });
  raster = DecodeRaster(out);
  ASSERT_EQ(raster.bits.size(), 1u);
  // Red (grey 76, 139 after the curve) inks where the darkness 116 beats the threshold.
  int ink = 0;
  for (LONG y = 0; y < 16; ++y)
    for (LONG x = 0; x < 16; ++x) {
      EXPECT_EQ(raster.bits[0][y][x], ExpectedInk(76, x, y));
      ink += raster.bits[0][y][x];
    }
  EXPECT_EQ(ink, 116);
}

TEST(RasterPclTest, MemoryRunningOutFailsTheImageWithoutOutput) {
  PdevPtr pdev = PagePdev(kPdlPcl5e);
  TestImage image(40, 20, 8, GreyPalette());
  for (int successes : {0, 1, 2, 3}) {
    FailGraphicsHeapAfter(successes);
    const std::string out = Output(pdev.get(), [&] {
      EXPECT_FALSE(Draw(pdev.get(), image, {0, 0, 40, 20}, {0, 0, 40, 20}, TRUE));
    });
    FailGraphicsHeapAfter(-1);
    EXPECT_EQ(out, "") << successes;
  }
}

}  // namespace
}  // namespace rastertest
