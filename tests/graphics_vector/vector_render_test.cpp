// The vector writer's PostScript inside a whole job (the job header with the
// procedure set, the page set-up, the shapes, the page end and the job
// trailer), run in Ghostscript: ink where a shape is, none elsewhere.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/output/page/save_restore.h"
#include "graphics/output/vector/vector_path.h"
#include "graphics/output/vector/vector_rectangle.h"
#include "tests/graphics/page_setup_fixture.h"
#include "tests/graphics/render_page.h"
#include "tests/graphics/vector_fixture.h"
#include "tests/support/ghostscript_run.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;

namespace graphicstest {
namespace {

RECTL Fix(const DotRect& r) { return RECTL{r.left * 16, r.top * 16, r.right * 16, r.bottom * 16}; }

class VectorRenderTest : public PageSetupTest {
 protected:
  // A whole PostScript job of one page whose body `draw` writes; its
  // PostScript part rendered.
  GhostscriptRun Render(const std::function<void(PDEV*)>& draw) {
    PdevPtr pdev = PostScriptPdev();
    EXPECT_TRUE(pdev);
    if (!pdev) return {};
    PDEV* p = pdev.get();
    p->job.pathKind = 1;
    return RenderPostScriptPart(Bytes(p, [&] { WriteOnePageJob(p, draw); }));
  }
};

TEST_F(VectorRenderTest, FilledStrokedAndClippedShapesLandWhereTheyAre) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const DotRect filled{600, 600, 1800, 1200};
  const DotRect clipped{600, 3000, 3600, 4200};
  const DotRect clip{1200, 3000, 2400, 4200};
  const DotRect hatched{3000, 600, 4200, 1800};
  TestBrush black = TestBrush::Solid(0);
  TestBrush grey = TestBrush::Solid(0x404040);
  TestBrush cross = TestBrush::Hatch(4);

  const GhostscriptRun run = Render([&](PDEV* p) {
    const RECTL r1 = Fix(filled);
    EXPECT_TRUE(WriteRectangle(p, &r1, nullptr, nullptr, black.get(), 0, 0xF00021, nullptr, TRUE, FALSE));

    LINEATTRS line{};
    line.fl = LA_GEOMETRIC;
    line.elWidth.e = 40;
    line.iEndCap = ENDCAP_BUTT;
    const POINTFIX ends[2] = {{600 * 16, 2000 * 16}, {3000 * 16, 2000 * 16}};
    EXPECT_TRUE(WritePath(p, 2, ends, &line, nullptr, nullptr, nullptr, kPathFillNone,
                          kPathBatchFirst | kPathBatchLast | 2, 0, 0xF00021, TRUE, FALSE));

    const RECTL r2 = Fix(clipped);
    const RECTL c2{clip.left, clip.top, clip.right, clip.bottom};
    EXPECT_TRUE(WriteRectangle(p, &r2, nullptr, nullptr, black.get(), 0, 0xF00021, &c2, TRUE, FALSE));

    const RECTL r3 = Fix(hatched);
    EXPECT_TRUE(WriteRectangle(p, &r3, nullptr, nullptr, cross.get(), 0, 0xF00021, nullptr, TRUE, FALSE));

    // A triangle, its top edge along the box's top, filled dark grey.
    const POINTFIX corners[3] = {{2400 * 16, 4800 * 16}, {3600 * 16, 4800 * 16}, {3000 * 16, 6000 * 16}};
    EXPECT_TRUE(WritePath(p, 3, corners, nullptr, nullptr, grey.get(), nullptr, kPathFillWinding,
                          kPathBatchFirst | kPathBatchLast | kPathBatchClosed | 2, 0, 0xF00021, TRUE, FALSE));
  });
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u);
  const RenderedPage& page = run.pages[0];

  EXPECT_GT(InkInside(page, filled), 0.95);
  EXPECT_GT(InkInside(page, {600, 1980, 3000, 2020}), 0.95) << "the line";
  EXPECT_EQ(InkInside(page, {600, 1900, 3000, 1970}), 0.0) << "above the line";
  EXPECT_EQ(InkInside(page, {600, 2030, 3000, 2100}), 0.0) << "below the line";
  EXPECT_EQ(InkInside(page, {3000, 1900, 3400, 2100}), 0.0) << "past the butt end";
  EXPECT_GT(InkInside(page, clip), 0.95) << "the clipped fill inside its clip";
  EXPECT_EQ(InkInside(page, {clipped.left, clipped.top, clip.left, clipped.bottom}), 0.0) << "left of the clip";
  EXPECT_EQ(InkInside(page, {clip.right, clipped.top, clipped.right, clipped.bottom}), 0.0) << "right of the clip";
  // The cross hatch: lines of 4 dots every 32 dots each way, about a quarter.
  const double hatch = InkInside(page, hatched);
  EXPECT_GT(hatch, 0.1);
  EXPECT_LT(hatch, 0.6);
  // The triangle: its upper middle is dark grey, the box's lower corners are not.
  EXPECT_GT(InkInside(page, {2900, 4850, 3100, 5200}), 0.95);
  EXPECT_EQ(InkInside(page, {2400, 5700, 2600, 6000}), 0.0);
  EXPECT_EQ(InkInside(page, {3400, 5700, 3600, 6000}), 0.0);
  // Nothing anywhere else: the strip between the shapes and the page's bottom.
  EXPECT_EQ(InkInside(page, {0, 6100, 4800, 6400}), 0.0);
  EXPECT_EQ(InkInside(page, {1900, 600, 2900, 1800}), 0.0);
}

TEST_F(VectorRenderTest, ColoursComeBackAfterRestores) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  // White is in force; black is selected inside a gsave (or a clip bracket)
  // whose grestore brings white back. The next black fill must select black
  // again rather than trust what it selected inside.
  const DotRect first{600, 600, 1800, 1200};
  const DotRect second{600, 1800, 1800, 2400};
  const DotRect third{600, 3000, 1800, 3600};
  const DotRect fourth{600, 4200, 1800, 4800};
  TestBrush black = TestBrush::Solid(0);
  TestBrush white = TestBrush::Solid(0xFFFFFF);
  const GhostscriptRun run = Render([&](PDEV* p) {
    auto fill = [&](const DotRect& r, TestBrush& brush, const RECTL* clip = nullptr) {
      const RECTL rect = Fix(r);
      EXPECT_TRUE(WriteRectangle(p, &rect, nullptr, nullptr, brush.get(), 0, 0xF00021, clip, TRUE, FALSE));
    };
    fill({0, 0, 10, 10}, white);
    EmitSaveRestore(p, kSaveGraphics);
    fill(first, black);
    EmitSaveRestore(p, kRestoreGraphics);
    fill(second, black);
    fill({0, 0, 10, 10}, white);
    const RECTL clip{third.left, third.top, third.right, third.bottom};
    fill({0, 2900, 4000, 3700}, black, &clip);
    fill(fourth, black);
  });
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u);
  for (const DotRect& r : {first, second, third, fourth}) EXPECT_GT(InkInside(run.pages[0], r), 0.95) << r.top;
  EXPECT_EQ(InkInside(run.pages[0], {2000, 2900, 4000, 3700}), 0.0) << "outside the clip";
}

}  // namespace
}  // namespace graphicstest
