// TrueType text on a PostScript printer inside a whole job, rendered by
// Ghostscript: Type 3 fonts of image-mask glyphs and of outlines ink where the
// text was drawn; a substituted face prints with the printer's font; while
// pages are held back for a booklet the fonts go to the download file, which
// reaches the job ahead of the pages that use them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/release_font_lists.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/output/fonts/free_font_substitution.h"
#include "graphics/output/job/job_framing.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_ps.h"
#include "graphics/output/text/text_writer.h"
#include "graphics/stream/output.h"
#include "tests/graphics/page_setup_fixture.h"
#include "tests/graphics_text/text_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

// Letter at 600 dpi rendered at 60 dpi: ten dots to a pixel, the imageable
// area 100 dots in from the left and 6500 dots above the bottom.
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

class Type3RenderTest : public PageSetupTest {
 protected:
  // The job with one page drawn by `draw`; with `heldBack` the page goes to
  // the page file and the fonts to the download file, which are then sent
  // downloads first, as the page store replays a held-back document.
  GhostscriptRun Render(const DevmodeChange& change, const std::function<void(PDEV*)>& draw, bool heldBack = false,
                        std::string* postScriptOut = nullptr) {
    PdevPtr pdev = PostScriptPdev(change);
    EXPECT_TRUE(pdev);
    if (!pdev) return {};
    PDEV* p = pdev.get();
    const std::string job = Bytes(p, [&] {
      EXPECT_EQ(WriteJobHeader(p), 1);
      if (heldBack) {
        EXPECT_TRUE(InitChannelFiles(p));
        EXPECT_EQ(FlushOutputBuffer(p), 1);
        EXPECT_EQ(SelectOutputChannel(p, kChannelPages), 1);
      }
      p->pages.pagesStarted = 1;
      p->pages.sheetPageIndex = 1;
      EXPECT_EQ(WritePsPageSetup(p, FALSE), 1);
      draw(p);
      EXPECT_EQ(EmitPageTrailer(p, TRUE, FALSE), 1);
      if (heldBack) {
        EXPECT_EQ(FlushOutputBuffer(p), 1);
        EXPECT_EQ(SelectOutputChannel(p, kChannelSpooler), 1);
        EXPECT_TRUE(CopyChannelFile(p, kChannelDownloads - 1, 0));
        EXPECT_TRUE(CopyChannelFile(p, kChannelPages - 1, 0));
      }
      EXPECT_EQ(WriteJobTrailer(p), 1);
    });
    FreeFontSubstitution(&p->fontSubstitution);
    ReleaseFontLists(p);
    p->carried.deviceFonts = nullptr;
    const testsupport::PclReport report = testsupport::ReadPclJob(job);
    EXPECT_TRUE(report.ok()) << report.Summary();
    const std::vector<std::string> postScript = report.PostScript();
    EXPECT_EQ(postScript.size(), 1u);
    if (postScript.empty()) return {};
    if (postScriptOut) *postScriptOut = postScript[0];
    return RunPostScriptJob(postScript[0], kRenderDpi);
  }

  static void ExpectInkOnlyOnTheLine(const RenderedPage& page, int baseline) {
    SCOPED_TRACE(baseline);
    EXPECT_GT(InkInside(page, {600, baseline - 200, 1150, baseline}), 0.2) << "the text";
    EXPECT_EQ(InkInside(page, {600, baseline + 20, 2000, baseline + 300}), 0.0) << "below the baseline";
    EXPECT_EQ(InkInside(page, {600, baseline - 500, 2000, baseline - 260}), 0.0) << "above the capitals";
  }

  static void DrawHhhh(PDEV* p, int baseline) {
    auto arial = TrueTypeFont(u"Arial", 300);
    ASSERT_NE(arial, nullptr);
    BRUSHOBJ black{};
    auto run = MakeRun(u"HHHH", 600, baseline, 216, arial.get());
    EXPECT_TRUE(WalkGlyphs(p, run.get(), nullptr, arial.get(), nullptr, &black));
  }
};

TEST_F(Type3RenderTest, DownloadedTrueTypeInksWhereItWasDrawnAsBitmapsAndAsOutlines) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  struct Case {
    WORD downloadType;  // "TTDLType": 1 outlines; 0 bitmaps below 28 points
    int pixels;
    const char* glyphMark;
  };
  const Case cases[] = {{0, 200, "imagemask"}, {1, 300, " fill "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.glyphMark);
    std::string postScript;
    const GhostscriptRun run = Render(
        [&](XDEVMODE& dm) {
          dm.dmPrivate._nTrueTypeMode = 2;
          dm.dmPrivate._nTrueTypeDownload = c.downloadType;
        },
        [&](PDEV* p) {
          auto arial = TrueTypeFont(u"Arial", c.pixels);
          ASSERT_NE(arial, nullptr);
          BRUSHOBJ black{};
          auto first = MakeRun(u"HHHH", 600, 1000, c.pixels * 72 / 100, arial.get());
          EXPECT_TRUE(WalkGlyphs(p, first.get(), nullptr, arial.get(), nullptr, &black));
          auto second = MakeRun(u"HHHH", 600, 2000, c.pixels * 72 / 100, arial.get());
          EXPECT_TRUE(WalkGlyphs(p, second.get(), nullptr, arial.get(), nullptr, &black));
        },
        false, &postScript);
    ASSERT_TRUE(run.Clean()) << run.output;
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_NE(postScript.find(c.glyphMark), std::string::npos);
    // One font and one glyph for the two lines.
    EXPECT_EQ(postScript.find(" CF\t"), postScript.rfind(" CF\t"));
    EXPECT_EQ(postScript.find("/C72 {"), postScript.rfind("/C72 {"));
    const RenderedPage& page = run.pages[0];
    for (int baseline : {1000, 2000}) {
      SCOPED_TRACE(baseline);
      EXPECT_GT(InkInside(page, {600, baseline - c.pixels * 6 / 10, 600 + c.pixels * 2, baseline}), 0.2);
      EXPECT_EQ(InkInside(page, {600, baseline + 20, 3000, baseline + 200}), 0.0) << "below the baseline";
    }
  }
}

TEST_F(Type3RenderTest, ArialIsPrintedWithTheSubstitutedHelvetica) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  std::string postScript;
  std::unique_ptr<PrinterFonts> fonts;
  const GhostscriptRun run = Render([](XDEVMODE& dm) { dm.dmPrivate._nTrueTypeMode = 3; },
                                    [&](PDEV* p) {
                                      fonts = std::make_unique<PrinterFonts>(
                                          p, std::vector<fontrecord::MetricsBlock>{PrinterFontRecord("Helvetica", "")});
                                      p->fontSubstitution =
                                          BuildFontSubstitutionTable(0, "P", kPdlPs3, p->carried.deviceFonts, 0);
                                      DrawHhhh(p, 1000);
                                    },
                                    false, &postScript);
  ASSERT_TRUE(run.Clean()) << run.output;
  EXPECT_NE(postScript.find("/Helvetica"), std::string::npos);
  EXPECT_EQ(postScript.find(" CF\t"), std::string::npos) << "nothing is downloaded";
  ASSERT_EQ(run.pages.size(), 1u);
  ExpectInkOnlyOnTheLine(run.pages[0], 1000);
}

TEST_F(Type3RenderTest, BookletFontsGoToTheDownloadFileAndReachTheJobBeforeThePages) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  std::string postScript;
  const GhostscriptRun run = Render(
      [](XDEVMODE& dm) {
        dm.dmPrivate._nTrueTypeMode = 2;
        dm.dmPrivate._nBooklet = 1;
        dm.dmPrivate._bClearMemoryPerPage = 0;
      },
      [&](PDEV* p) { DrawHhhh(p, 1000); }, true, &postScript);
  ASSERT_TRUE(run.Clean()) << run.output;
  // The download file comes before the page file, whose page begins with the
  // booklet's placement of the page.
  const size_t font = postScript.find(" CF\t");
  const size_t text = postScript.find("HHHH");
  ASSERT_NE(font, std::string::npos);
  ASSERT_NE(text, std::string::npos);
  const size_t placement = postScript.rfind(" translate", text);
  ASSERT_NE(placement, std::string::npos);
  EXPECT_LT(font, placement);
  EXPECT_LT(postScript.rfind(" AC\n"), postScript.find("HHHH")) << "every glyph before the page's text";
  ASSERT_EQ(run.pages.size(), 1u);
  // The booklet places the page on half the sheet; the glyphs ink it.
  const RenderedPage& sheet = run.pages[0];
  EXPECT_GT(sheet.DarkCount(0, 0, sheet.width, sheet.height), 200);
}

}  // namespace
}  // namespace graphicstest
