// PostScript images inside a whole job (header with the procedure set, page
// set-up, images, page end, trailer), rendered by Ghostscript: ink where the
// source is dark and none where it is white, for every source depth, both
// image writers and every data form; a mask leaves its white transparent and
// paints black whatever colour was set.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/output/raster/clip_image_to_band.h"
#include "graphics/output/raster/raster_image.h"
#include "graphics/output/vector/vector_rectangle.h"
#include "tests/graphics/page_setup_fixture.h"
#include "tests/graphics/render_page.h"
#include "tests/graphics_raster/raster_fixture.h"
#include "tests/support/ghostscript_run.h"

namespace rastertest {
namespace {

using graphicstest::DotRect;
using graphicstest::InkInside;
using graphicstest::WriteOnePageJob;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;

class RasterRenderTest : public graphicstest::PageSetupTest {
 protected:
  GhostscriptRun Render(const graphicstest::DevmodeChange& change, const std::function<void(PDEV*)>& draw) {
    PdevPtr pdev = PostScriptPdev(change);
    EXPECT_TRUE(pdev);
    if (!pdev) return {};
    PDEV* p = pdev.get();
    p->job.pathKind = 1;
    const std::string job = Bytes(p, [&] { WriteOnePageJob(p, draw); });
    // With "BinaryData" set the job framing ends the job without its PJL end
    // unless the printer's compatibility value asks for one (the framing reads
    // the same bit so); the PostScript itself is whole either way.
    const bool binary = (p->devmode.dmPrivate._dwAdvSettings & kAdvBinaryData) != 0;
    return graphicstest::RenderPostScriptPart(job, [binary](const testsupport::PclIssue& issue) {
      return binary && (issue.kind == testsupport::PclProblem::LanguageNotEnded ||
                        issue.kind == testsupport::PclProblem::PjlJobUnbalanced);
    });
  }
};

// A source whose left half is black and right half white, in each depth.
TestImage HalfBlack(DWORD bits, std::vector<ULONG> palette, ULONG black, ULONG white) {
  TestImage image(64, 48, bits, std::move(palette));
  image.Fill(white);
  image.FillRect(0, 0, 32, 48, black);
  return image;
}

struct SourceCase {
  const char* name;
  DWORD bits;
  std::vector<ULONG> palette;
  ULONG black, white;
};

const SourceCase kSources[] = {
    {"1-bit black-white", 1, {kBlack, kWhite}, 0, 1},
    {"1-bit white-black", 1, {kWhite, kBlack}, 1, 0},
    {"4-bit", 4, {kWhite, 0x202020, kBlack}, 2, 0},
    {"8-bit", 8, GreyPalette(), 0, 255},
    {"24-bit", 24, {}, kBlack, kWhite},
    {"32-bit", 32, {}, kBlack, kWhite},
};

TEST_F(RasterRenderTest, ImagesInkWhereTheSourceIsDark) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  struct Form {
    const char* name;
    WORD compression;
    DWORD advanced;
  } forms[] = {
      {"run length, ASCII85", 5, 0},
      {"raw, binary", kImageCompressionNone, kAdvBinaryData},
      {"grey path, run length, binary", kImageCompressionGrey, kAdvBinaryData},
      {"grey path, raw, ASCII85", kImageCompressionGrey, 0},
  };
  const DotRect dest{600, 600, 1800, 1500};
  const DotRect dark{600, 600, 1200, 1500}, light{1200, 600, 1800, 1500};
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    const GhostscriptRun run = Render(
        [&](XDEVMODE& dm) {
          dm.dmPrivate._nCompression = form.compression;
          dm.dmPrivate._dwAdvSettings = (dm.dmPrivate._dwAdvSettings & ~kAdvBinaryData) | form.advanced;
        },
        [&](PDEV* p) {
          // One source a row of images down the page, 1000 dots apart.
          int top = 0;
          for (const SourceCase& s : kSources) {
            TestImage image = HalfBlack(s.bits, s.palette, s.black, s.white);
            const RECTL source{0, 0, 64, 48};
            const RECTL target{dest.left, dest.top + top, dest.right, dest.bottom + top};
            EXPECT_TRUE(ClipImageToBand(p, image.surface(), &source, &target, nullptr, SRCCOPY, image.xlate(),
                                        kImagePlaceClipped))
                << s.name;
            top += 1000;
          }
        });
    ASSERT_TRUE(run.Clean()) << run.output;
    ASSERT_EQ(run.pages.size(), 1u);
    int top = 0;
    for (const SourceCase& s : kSources) {
      SCOPED_TRACE(s.name);
      EXPECT_GT(InkInside(run.pages[0], {dark.left, dark.top + top, dark.right, dark.bottom + top}), 0.99);
      EXPECT_EQ(InkInside(run.pages[0], {light.left, light.top + top, light.right, light.bottom + top}), 0.0);
      top += 1000;
    }
    // Nothing beside the images.
    EXPECT_EQ(InkInside(run.pages[0], {2000, 0, 4000, 6000}), 0.0);
  }
}

TEST_F(RasterRenderTest, AMaskLeavesItsWhiteTransparentAndPaintsBlack) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  TestImage mask = HalfBlack(1, {kWhite, kBlack}, 1, 0);
  graphicstest::TestBrush black = graphicstest::TestBrush::Solid(0);
  graphicstest::TestBrush light = graphicstest::TestBrush::Solid(0xE0E0E0);
  const GhostscriptRun run = Render({}, [&](PDEV* p) {
    // A black box under the first mask; the second is drawn after a light
    // grey fill left that colour selected.
    const RECTL box{600 * 16, 600 * 16, 1800 * 16, 1500 * 16};
    EXPECT_TRUE(WriteRectangle(p, &box, nullptr, nullptr, black.get(), 0, 0xF00021, nullptr, TRUE, FALSE));
    const RECTL source{0, 0, 64, 48};
    const RECTL first{600, 600, 1800, 1500};
    EXPECT_TRUE(ClipImageToBand(p, mask.surface(), &source, &first, nullptr, SRCAND, mask.xlate(), kImagePlaceMasked));
    const RECTL greyBox{3000 * 16, 3000 * 16, 3600 * 16, 3600 * 16};
    EXPECT_TRUE(WriteRectangle(p, &greyBox, nullptr, nullptr, light.get(), 0, 0xF00021, nullptr, TRUE, FALSE));
    const RECTL second{600, 2000, 1800, 2900};
    EXPECT_TRUE(ClipImageToBand(p, mask.surface(), &source, &second, nullptr, SRCAND, mask.xlate(), kImagePlaceMasked));
  });
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u);
  const RenderedPage& page = run.pages[0];
  EXPECT_GT(InkInside(page, {600, 600, 1800, 1500}), 0.99) << "the box shows through the mask's white";
  EXPECT_GT(InkInside(page, {600, 2000, 1200, 2900}), 0.99) << "the mask paints black";
  EXPECT_EQ(InkInside(page, {1200, 2000, 1800, 2900}), 0.0);
}

TEST_F(RasterRenderTest, MirroredAndCutImagesKeepTheirOrientation) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  TestImage image = HalfBlack(8, GreyPalette(), 0, 255);
  const GhostscriptRun run = Render([](XDEVMODE& dm) { dm.dmPrivate._nCompression = 5; },
                                    [&](PDEV* p) {
                                      const RECTL source{0, 0, 64, 48};
                                      // Right to left: the black half on the right.
                                      const RECTL mirrored{1800, 600, 600, 1500};
                                      EXPECT_TRUE(ClipImageToBand(p, image.surface(), &source, &mirrored, nullptr,
                                                                  SRCCOPY, image.xlate(), kImagePlaceClipped));
                                      // Bottom-up, black still on the left.
                                      const RECTL flipped{600, 2900, 1800, 2000};
                                      EXPECT_TRUE(ClipImageToBand(p, image.surface(), &source, &flipped, nullptr,
                                                                  SRCCOPY, image.xlate(), kImagePlaceClipped));
                                      // Half of it before the page's left edge: only the white half shows... and
                                      // the part of the black half right of the edge.
                                      const RECTL cut{-900, 3400, 300, 4300};
                                      EXPECT_TRUE(ClipImageToBand(p, image.surface(), &source, &cut, nullptr, SRCCOPY,
                                                                  image.xlate(), kImagePlaceClipped));
                                    });
  ASSERT_TRUE(run.Clean()) << run.output;
  const RenderedPage& page = run.pages[0];
  EXPECT_EQ(InkInside(page, {600, 600, 1200, 1500}), 0.0);
  EXPECT_GT(InkInside(page, {1200, 600, 1800, 1500}), 0.99);
  EXPECT_GT(InkInside(page, {600, 2000, 1200, 2900}), 0.99);
  EXPECT_EQ(InkInside(page, {1200, 2000, 1800, 2900}), 0.0);
  // The image spans -900..300, black -900..-300: the page shows white only.
  EXPECT_EQ(InkInside(page, {0, 3400, 300, 4300}), 0.0);
}

}  // namespace
}  // namespace rastertest
