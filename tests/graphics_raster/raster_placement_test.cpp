// Where an image lands: the PostScript clipped placement cuts the
// destination to the page and the source with it (in both directions, mirrored
// destinations included), writing what it cut as comments; the plain placement
// leaves images that start off the page out; the clip rectangle brackets the
// image; calls that cannot be drawn fail without output.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "graphics/output/raster/clip_image_to_band.h"
#include "graphics/output/raster/raster_image.h"
#include "graphics/output/raster/raster_pcl.h"
#include "graphics/output/raster/raster_ps_gray.h"
#include "graphics/output/raster/raster_ps_image.h"
#include "tests/graphics_raster/raster_fixture.h"

namespace rastertest {
namespace {

// What an image header says, and the first source byte of its data.
struct Header {
  bool found = false;
  long sourceWidth = 0, sourceHeight = 0;
  long destWidth = 0, destHeight = 0, destX = 0, destY = 0;
  int firstByte = -1;
};

Header ParseHeader(const std::string& out) {
  static const std::regex header(
      R"(save (true|false) (true|false) \[(\d+) 0 0 (\d+) 0 0\]\[([01]) ([01])\] (\d+) (\d+) (\d+) (-?\d+) (-?\d+) (-?\d+) (-?\d+) (ImGray|ImMask)\n)");
  std::smatch m;
  Header h;
  if (!std::regex_search(out, m, header)) return h;
  h.found = true;
  h.sourceWidth = std::stol(m[3]);
  h.sourceHeight = std::stol(m[4]);
  h.destWidth = std::stol(m[10]);
  h.destHeight = std::stol(m[11]);
  h.destX = std::stol(m[12]);
  h.destY = std::stol(m[13]);
  const size_t data = static_cast<size_t>(m.position(0) + m.length(0));
  if (data < out.size()) h.firstByte = static_cast<unsigned char>(out[data]);
  return h;
}

struct ClippedCase {
  const char* name;
  RECTL dest;
  const char* comment;  // nullptr: none
  bool drawn;
  long destX, destWidth, destY, destHeight;
  int sourceX, sourceWidth, sourceY, sourceHeight;
};

// The page is 5100 x 6600 pixels (Letter at 600 dpi); the source 100 x 50.
const ClippedCase kClippedCases[] = {
    {"inside", {100, 100, 300, 150}, nullptr, true, 100, 200, 100, 50, 0, 100, 0, 50},
    {"past the right edge", {5000, 100, 5200, 150}, "%[X<r]\n", true, 5000, 100, 100, 50, 0, 50, 0, 50},
    {"before the left edge", {-100, 100, 100, 150}, "%[0<r<X]\n", true, 0, 100, 100, 50, 50, 50, 0, 50},
    {"across the page", {-100, 100, 5200, 150}, "%[X<r]\n", true, 0, 5100, 100, 50, 2, 96, 0, 50},
    {"right of the page", {5100, 100, 5300, 150}, "%[X<l]\n", false},
    {"left of the page", {-300, 100, 0, 150}, "%[r<0]\n", false},
    {"mirrored inside", {300, 100, 100, 150}, " %[l>r]\n", true, 300, -200, 100, 50, 0, 100, 0, 50},
    {"mirrored past the right edge", {5200, 100, 5000, 150}, "%[l>X>r]\n", true, 5100, -100, 100, 50, 50, 50, 0, 50},
    {"mirrored before the left edge", {100, 100, -100, 150}, "%[l>0>r]\n", true, 100, -100, 100, 50, 0, 50, 0, 50},
    {"mirrored right of the page", {5400, 100, 5200, 150}, "%[r>X]\n", false},
    {"mirrored left of the page", {0, 100, -200, 150}, "%[0>l]\n", false},
    {"mirrored across the page", {5200, 100, -100, 150}, "%[l>X]\n", true, 5100, -5100, 100, 50, 2, 96, 0, 50},
    {"past the bottom", {100, 6500, 300, 6700}, "%[Y<b]\n", true, 100, 200, 6500, 100, 0, 100, 0, 25},
    {"above the top", {100, -100, 300, 100}, "%[0<b<Y]\n", true, 100, 200, 0, 100, 0, 100, 25, 25},
    {"below the page", {100, 6600, 300, 6700}, "%[Y<t]\n", false},
    {"above the page", {100, -200, 300, 0}, "%[b<0]\n", false},
    {"taller than the page", {100, -100, 300, 6700}, "%[Y<b]\n", true, 100, 200, 0, 6600, 0, 100, 1, 49},
    // Faults of the clipped placement handled: a zero height is nothing to
    // draw (not a failure), and a bottom-up destination draws the image upside
    // down instead of failing.
    {"zero height", {100, 100, 300, 100}, nullptr, false},
    {"bottom-up", {100, 150, 300, 100}, nullptr, true, 100, 200, 150, -50, 0, 100, 0, 50},
    {"zero width", {100, 100, 100, 150}, nullptr, false},
};

TEST(RasterPlacementTest, ClippedPlacementCutsTheImageToThePage) {
  // Pixel (x, y) holds x + y, so the first byte of the data tells where the
  // source was cut.
  TestImage image(100, 50, 8, GreyPalette());
  for (LONG y = 0; y < 50; ++y)
    for (LONG x = 0; x < 100; ++x) image.Set(x, y, static_cast<ULONG>(x + y));
  const RECTL source{0, 0, 100, 50};
  for (const ClippedCase& c : kClippedCases) {
    SCOPED_TRACE(c.name);
    PdevPtr pdev = PagePdev(kPdlPs3, 600, kImageCompressionNone, kAdvBinaryData);
    ASSERT_TRUE(pdev);
    BOOL result = FALSE;
    const std::string out = Output(pdev.get(), [&] {
      result = ClipImageToBand(pdev.get(), image.surface(), &source, &c.dest, nullptr, SRCCOPY, image.xlate(),
                               kImagePlaceClipped);
    });
    EXPECT_TRUE(result);
    const std::string diagnostic = "%3:100,50(0,0,100,50=" + std::to_string(c.dest.left) + "," +
                                   std::to_string(c.dest.top) + "," + std::to_string(c.dest.right) + "," +
                                   std::to_string(c.dest.bottom) + ")\n";
    EXPECT_EQ(out.rfind(diagnostic, 0), 0u) << out.substr(0, 80);
    const std::string rest = out.substr(std::min(out.size(), diagnostic.size()));
    if (c.comment) {
      EXPECT_EQ(rest.rfind(c.comment, 0), 0u) << rest.substr(0, 40);
    }
    const Header h = ParseHeader(out);
    ASSERT_EQ(h.found, c.drawn) << out.substr(0, 200);
    if (!c.drawn) {
      EXPECT_EQ(rest, c.comment ? c.comment : "");
      continue;
    }
    if (!c.comment) {
      EXPECT_EQ(rest.rfind("\nsave ", 0), 0u) << "no comment for this case";
    }
    EXPECT_EQ(h.destX, c.destX);
    EXPECT_EQ(h.destWidth, c.destWidth);
    EXPECT_EQ(h.destY, c.destY);
    EXPECT_EQ(h.destHeight, c.destHeight);
    EXPECT_EQ(h.sourceWidth, c.sourceWidth);
    EXPECT_EQ(h.sourceHeight, c.sourceHeight);
    EXPECT_EQ(h.firstByte, c.sourceX + c.sourceY);
  }
}

TEST(RasterPlacementTest, ClippedPlacementCutsTheSourceToTheBitmapAndNeedsASourceRectangle) {
  TestImage image(100, 50, 8, GreyPalette());
  PdevPtr pdev = PagePdev(kPdlPs3, 600, kImageCompressionNone, kAdvBinaryData);
  const RECTL dest{100, 100, 300, 200};
  // A source reaching past the bitmap's right edge and starting above it.
  const RECTL source{50, -10, 150, 40};
  const std::string out = Output(pdev.get(), [&] {
    EXPECT_TRUE(ClipImageToBand(pdev.get(), image.surface(), &source, &dest, nullptr, SRCCOPY, image.xlate(),
                                kImagePlaceClipped));
  });
  const Header h = ParseHeader(out);
  ASSERT_TRUE(h.found);
  EXPECT_EQ(h.sourceWidth, 50);
  EXPECT_EQ(h.sourceHeight, 40);

  EXPECT_EQ(Output(pdev.get(),
                   [&] {
                     EXPECT_FALSE(ClipImageToBand(pdev.get(), image.surface(), nullptr, &dest, nullptr, SRCCOPY,
                                                  image.xlate(), kImagePlaceClipped));
                   }),
            "");
}

TEST(RasterPlacementTest, PlainPlacementCutsImagesToThePage) {
  // Columns 8-15 of the source are ink (index 1 black).
  TestImage image(16, 4, 1, {kWhite, kBlack});
  for (LONG y = 0; y < 4; ++y) image.Row(y)[1] = 0xFF;
  struct Case {
    const char* name;
    RECTL dest;
    bool drawn;
    long x, y, width, height;
    int firstInk;  // the first inked column of the raster, -1: none
  } cases[] = {
      {"on the page", {100, 200, 116, 204}, true, 100, 200, 16, 4, 8},
      {"reversed across (not mirrored)", {116, 200, 100, 204}, true, 100, 200, 16, 4, 8},
      {"reversed down", {100, 204, 116, 200}, true, 100, 200, 16, 4, 8},
      // An image that only starts before the page keeps its visible part.
      {"starting left of the page", {-8, 200, 8, 204}, true, 0, 200, 8, 4, 0},
      {"starting above the page", {100, -2, 116, 2}, true, 100, 0, 16, 2, 8},
      {"reversed, its left edge off the page", {8, 200, -8, 204}, true, 0, 200, 8, 4, 0},
      {"past the right edge", {5092, 200, 5108, 204}, true, 5092, 200, 8, 4, -1},
      {"below the page", {100, 6600, 116, 6604}, false},
      {"left of the page", {-16, 200, 0, 204}, false},
      {"zero width", {100, 200, 100, 204}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PdevPtr pdev = PagePdev(kPdlPcl5e);
    const std::string out = Output(pdev.get(), [&] {
      EXPECT_TRUE(ClipImageToBand(pdev.get(), image.surface(), nullptr, &c.dest, nullptr, SRCCOPY, image.xlate(),
                                  kImagePlaceMasked));
    });
    const DecodedRaster raster = DecodeRaster(out);
    ASSERT_EQ(raster.blocks.size(), c.drawn ? 1u : 0u) << out;
    if (!c.drawn) {
      EXPECT_EQ(out, "");
      continue;
    }
    EXPECT_NE(out.find("\x1b*p" + std::to_string(c.x) + "x" + std::to_string(c.y) + "Y\x1b*r1A"), std::string::npos);
    EXPECT_EQ(raster.blocks[0].sourceWidth.value_or(0), c.width);
    EXPECT_EQ(raster.blocks[0].sourceHeight.value_or(0), c.height);
    ASSERT_EQ(raster.bits[0].size(), static_cast<size_t>(c.height));
    int firstInk = -1;
    for (size_t x = 0; x < raster.bits[0][0].size(); ++x)
      if (raster.bits[0][0][x]) {
        firstInk = static_cast<int>(x);
        break;
      }
    EXPECT_EQ(firstInk, c.firstInk);
  }
}

TEST(RasterPlacementTest, LandscapePagesExchangeWidthAndHeight) {
  TestImage image(16, 4, 8, GreyPalette());
  PdevPtr pdev = PagePdev(kPdlPs3, 600, kImageCompressionNone, kAdvBinaryData);
  pdev->devmode.dmPublic.dmOrientation = DMORIENT_LANDSCAPE;
  const RECTL source{0, 0, 16, 4};
  // 6000 is past the portrait width (5100) but inside the landscape one (6600).
  const RECTL dest{6000, 100, 6016, 104};
  const std::string out = Output(pdev.get(), [&] {
    EXPECT_TRUE(ClipImageToBand(pdev.get(), image.surface(), &source, &dest, nullptr, SRCCOPY, image.xlate(),
                                kImagePlaceClipped));
  });
  EXPECT_TRUE(ParseHeader(out).found) << out;
}

TEST(RasterPlacementTest, ClipRectangleBracketsTheImage) {
  TestImage image(16, 4, 1);
  const RECTL dest{100, 200, 116, 204};
  const RECTL clip{104, 200, 112, 204};
  PdevPtr ps = PagePdev(kPdlPs3);
  const std::string out = Output(ps.get(), [&] {
    EXPECT_TRUE(ClipImageToBand(ps.get(), image.surface(), nullptr, &dest, &clip, SRCCOPY, nullptr, kImagePlaceMasked));
  });
  const size_t open = out.find(" gs 104 200 8 4 rc\n"), image_ = out.find("\nsave "), close = out.find(" gr\n");
  ASSERT_NE(open, std::string::npos) << out;
  ASSERT_NE(close, std::string::npos) << out;
  EXPECT_LT(open, image_);
  EXPECT_LT(image_, close);
  EXPECT_EQ(ps->writers.vector.clipRectOpen, 0u);
}

TEST(RasterPlacementTest, PclImagesAreCutToTheClipRectangle) {
  // The HP-GL/2 window does not clip PCL raster: the image is cut instead.
  TestImage image(16, 4, 1, {kWhite, kBlack});
  for (LONG y = 0; y < 4; ++y) {
    image.Row(y)[0] = 0x0F;  // columns 4-11 ink
    image.Row(y)[1] = 0xF0;
  }
  const RECTL dest{100, 200, 116, 204};
  struct Case {
    const char* name;
    RECTL clip;
    bool drawn;
    long x, y, width, height;
  } cases[] = {
      {"the middle columns", {104, 0, 112, 1000}, true, 104, 200, 8, 4},
      {"the lower rows", {0, 202, 1000, 1000}, true, 100, 202, 16, 2},
      {"beside the image", {200, 200, 300, 204}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PdevPtr pcl = PagePdev(kPdlPcl5e);
    const std::string out = Output(pcl.get(), [&] {
      EXPECT_TRUE(ClipImageToBand(pcl.get(), image.surface(), nullptr, &dest, &c.clip, SRCCOPY, image.xlate(),
                                  kImagePlaceClipped));
    });
    EXPECT_EQ(out.find("IW"), std::string::npos);
    const DecodedRaster raster = DecodeRaster(out);
    ASSERT_EQ(raster.blocks.size(), c.drawn ? 1u : 0u);
    if (!c.drawn) continue;
    EXPECT_NE(out.find("\x1b*p" + std::to_string(c.x) + "x" + std::to_string(c.y) + "Y"), std::string::npos);
    EXPECT_EQ(raster.blocks[0].sourceWidth.value_or(0), c.width);
    ASSERT_EQ(raster.bits[0].size(), static_cast<size_t>(c.height));
    for (long x = 0; x < c.width; ++x) {
      const long column = c.x - 100 + x;
      EXPECT_EQ(raster.bits[0][0][static_cast<size_t>(x)], column >= 4 && column < 12) << x;
    }
  }
}

TEST(RasterPlacementTest, CallsThatCannotBeDrawnFailWithoutOutput) {
  TestImage image(16, 4, 8, GreyPalette());
  const RECTL dest{100, 200, 116, 204};
  PdevPtr pdev = PagePdev(kPdlPs3);
  EXPECT_FALSE(ClipImageToBand(nullptr, image.surface(), nullptr, &dest, nullptr, SRCCOPY, nullptr, 0));
  EXPECT_EQ(Output(pdev.get(),
                   [&] {
                     EXPECT_FALSE(ClipImageToBand(pdev.get(), nullptr, nullptr, &dest, nullptr, SRCCOPY, nullptr, 0));
                     EXPECT_FALSE(
                         ClipImageToBand(pdev.get(), image.surface(), nullptr, nullptr, nullptr, SRCCOPY, nullptr, 0));
                   }),
            "");
  // A surface format the writers do not know.
  SURFOBJ odd = *image.surface();
  odd.iBitmapFormat = 7;
  EXPECT_EQ(
      Output(pdev.get(),
             [&] { EXPECT_FALSE(ClipImageToBand(pdev.get(), &odd, nullptr, &dest, nullptr, SRCCOPY, nullptr, 0)); }),
      "");
  // The writers themselves refuse a source rectangle outside the bitmap.
  ImageDescriptor descriptor;
  descriptor.width = 16;
  descriptor.height = 4;
  descriptor.bitsPerPixel = 8;
  descriptor.stride = 16;
  descriptor.scan0 = image.Row(0);
  const ImageRect outside{8, 0, 16, 4}, target{0, 0, 16, 4}, inside{0, 0, 16, 4};
  EXPECT_EQ(Output(pdev.get(),
                   [&] {
                     EXPECT_FALSE(WritePsImage(pdev.get(), &descriptor, &outside, &target, nullptr, SRCCOPY));
                     EXPECT_FALSE(WritePsImageGray(pdev.get(), &descriptor, &outside, &target, SRCCOPY));
                     EXPECT_FALSE(WritePsImage(pdev.get(), nullptr, &inside, &target, nullptr, SRCCOPY));
                     EXPECT_FALSE(WritePsImageGray(pdev.get(), &descriptor, &inside, nullptr, SRCCOPY));
                   }),
            "");
  PdevPtr pcl = PagePdev(kPdlPcl5e);
  EXPECT_EQ(Output(pcl.get(),
                   [&] {
                     EXPECT_FALSE(WritePclRaster(pcl.get(), &descriptor, &outside, &target, SRCCOPY, TRUE));
                     // Without the grey path only 1-bit sources are taken.
                     EXPECT_FALSE(WritePclRaster(pcl.get(), &descriptor, &inside, &target, SRCCOPY, FALSE));
                   }),
            "");
  // An unknown depth: a comment and failure.
  descriptor.bitsPerPixel = 2;
  EXPECT_EQ(Output(pdev.get(),
                   [&] { EXPECT_FALSE(WritePsImage(pdev.get(), &descriptor, &inside, &target, nullptr, SRCCOPY)); }),
            "%% DIB-???bpp\n");
}

}  // namespace
}  // namespace rastertest
