// Text in the printer's PostScript fonts inside a whole job (the header with
// the procedure set, the page set-up, the runs, the page end and the trailer),
// rendered by Ghostscript: ink where each run was drawn, none beside it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/output/job/job_framing.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_ps.h"
#include "graphics/output/text/text_writer.h"
#include "tests/graphics/page_setup_fixture.h"
#include "tests/graphics_text/fake_text_services.h"
#include "tests/graphics_text/text_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

using platform::gdi::Font;
using platform::gdi::TextRun;

// Device dots of 600 dpi from the top left corner of the Letter page's
// imageable area (100 dots in from the left edge, 6500 dots above the bottom),
// rendered at 60 dpi: ten dots to a pixel.
constexpr int kRenderDpi = 60;
constexpr int kLeftMargin = 100;
constexpr int kHeightAboveBottom = 6500;

struct DotRect {
  int left, top, right, bottom;
};

double InkInside(const RenderedPage& page, const DotRect& r) {
  const int x = (kLeftMargin + r.left) / 10 + 1;
  const int y = page.height - kHeightAboveBottom / 10 + r.top / 10 + 1;
  const int w = (r.right - r.left) / 10 - 2;
  const int h = (r.bottom - r.top) / 10 - 2;
  return w > 0 && h > 0 ? page.DarkCount(x, y, w, h) / double(w * h) : 0.0;
}

class TextRenderTest : public PageSetupTest {
 protected:
  GhostscriptRun Render(const std::function<void(PDEV*)>& draw) {
    PdevPtr pdev = PostScriptPdev();
    EXPECT_TRUE(pdev);
    if (!pdev) return {};
    PDEV* p = pdev.get();
    ResetServices(p);
    const std::string job = Bytes(p, [&] {
      EXPECT_EQ(WriteJobHeader(p), 1);
      p->pages.pagesStarted = 1;
      p->pages.sheetPageIndex = 1;
      EXPECT_EQ(WritePsPageSetup(p, FALSE), 1);
      draw(p);
      EXPECT_EQ(EmitPageTrailer(p, TRUE, FALSE), 1);
      EXPECT_EQ(WriteJobTrailer(p), 1);
    });
    ResetServices(p);
    const testsupport::PclReport report = testsupport::ReadPclJob(job);
    EXPECT_TRUE(report.ok()) << report.Summary();
    const std::vector<std::string> postScript = report.PostScript();
    EXPECT_EQ(postScript.size(), 1u);
    if (postScript.empty()) return {};
    return RunPostScriptJob(postScript[0], kRenderDpi);
  }
};

TEST_F(TextRenderTest, PrinterFontTextInksWhereItWasDrawn) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  // Three lines of capitals 300 dots high: shown, fitted to the TrueType run's
  // width (a substituted face), and placed glyph by glyph; the last one clipped
  // to its left half.
  const int baselines[] = {1000, 2000, 3000};
  const GhostscriptRun run = Render([&](PDEV* p) {
    PrinterFonts fonts(p, {PrinterFontRecord("Helvetica", "")});
    auto helvetica = fonts.Font(1, 300);
    BRUSHOBJ black{};
    black.iSolidColor = 0;
    auto shown = MakeRun(u"HHHH", 600, baselines[0], 216);
    EXPECT_TRUE(WalkGlyphs(p, shown.get(), nullptr, helvetica.get(), nullptr, &black));

    auto arial = TrueTypeFont(u"Arial", 300);
    ASSERT_NE(arial, nullptr);
    Services().substitute = 0;
    auto fitted = MakeRun(u"HHHH", 600, baselines[1], 216, arial.get());
    EXPECT_TRUE(WalkGlyphs(p, fitted.get(), nullptr, arial.get(), nullptr, &black));

    auto placed = MakeRun(u"HHHH", 600, baselines[2], 300, nullptr, true);
    CLIPOBJ half = RectClip(RECTL{0, 0, 1200, 6000});
    EXPECT_TRUE(WalkGlyphs(p, placed.get(), &half, helvetica.get(), nullptr, &black));
  });
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u);
  const RenderedPage& page = run.pages[0];
  for (int baseline : baselines) {
    SCOPED_TRACE(baseline);
    // Capitals stand about 0.72 em above the baseline.
    EXPECT_GT(InkInside(page, {600, baseline - 200, 1150, baseline}), 0.2) << "the text";
    EXPECT_EQ(InkInside(page, {600, baseline + 20, 2000, baseline + 300}), 0.0) << "below the baseline";
    EXPECT_EQ(InkInside(page, {600, baseline - 500, 2000, baseline - 260}), 0.0) << "above the capitals";
  }
  // The clipped line stops at its clip; the others run on past it.
  EXPECT_EQ(InkInside(page, {1210, baselines[2] - 200, 2000, baselines[2]}), 0.0);
  EXPECT_GT(InkInside(page, {1210, baselines[0] - 200, 1450, baselines[0]}), 0.2);
  EXPECT_EQ(InkInside(page, {1500, baselines[0] - 200, 2400, baselines[0]}), 0.0) << "past the shown line";
}

TEST_F(TextRenderTest, TurnedTextRunsUpThePage) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const GhostscriptRun run = Render([&](PDEV* p) {
    PrinterFonts fonts(p, {PrinterFontRecord("Helvetica", "")});
    auto turned = fonts.Font(1, 300, 90);
    BRUSHOBJ black{};
    auto up = MakeRun(u"HHHH", 2400, 5000, 0);
    EXPECT_TRUE(WalkGlyphs(p, up.get(), nullptr, turned.get(), nullptr, &black));
  });
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u);
  const RenderedPage& page = run.pages[0];
  // The baseline goes up from (2400, 5000); the capitals stand to its left.
  EXPECT_GT(InkInside(page, {2200, 4200, 2400, 4950}), 0.2);
  EXPECT_EQ(InkInside(page, {2420, 4000, 2800, 5000}), 0.0) << "right of the baseline";
  EXPECT_EQ(InkInside(page, {2100, 5020, 2400, 5400}), 0.0) << "below the start";
}

}  // namespace
}  // namespace graphicstest
