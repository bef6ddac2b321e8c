// The page matrix of PostScript pages (1-up, N-up cells, booklet halves,
// mirror, negative image, scaling to another sheet) and the HP-GL/2 scaling of
// PCL pages, byte for byte as the printer gets them; N-up sheets and the
// image options rendered in Ghostscript, with ink where each page drew.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/output/job/job_prolog.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_hpgl.h"
#include "graphics/output/page/page_setup_page.h"
#include "graphics/output/page/page_setup_ps.h"
#include "graphics/stream/output.h"
#include "tests/graphics/page_setup_fixture.h"
#include "tests/support/ghostscript_run.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

constexpr short kLandscape = 2;
constexpr WORD kPaperLedger = 17;
constexpr WORD kPaperA5 = 11;

std::string PageMatrix(PageSetupTest& test, PDEV* pdev, BOOL sheetFlag) {
  return test.Bytes(pdev, [&] { EXPECT_EQ(WritePsPageSetup(pdev, sheetFlag), 1); });
}

class PageSetupPostScript : public PageSetupTest {};

TEST_F(PageSetupPostScript, OneUpPageTakesTheDotSystemOfItsImageableArea) {
  // Letter at 600 dpi, margins of 167 thousandths: the imageable area's top
  // left is 100, 6499.8 dots from the sheet's bottom left.
  struct Case {
    const char* what;
    DevmodeChange change;
    std::string want;
  } cases[] = {
      {"portrait", {}, "\ninitmatrix\n72 600 div dup scale 100 6499.800 translate 0 rotate 1 -1 scale\n"},
      {"landscape: origin at the bottom left, turned", [](XDEVMODE& dm) { dm.dmPublic.dmOrientation = kLandscape; },
       "\ninitmatrix\n72 600 div dup scale 100 100.200 translate 90 rotate 1 -1 scale\n"},
      {"mirror", [](XDEVMODE& dm) { dm.dmPrivate._bMirrorImage = 1; },
       "\ninitmatrix\n72 600 div dup scale 5000 6499.800 translate 0 rotate -1 -1 scale\n"},
      {"mirror landscape",
       [](XDEVMODE& dm) {
         dm.dmPublic.dmOrientation = kLandscape;
         dm.dmPrivate._bMirrorImage = 1;
       },
       "\ninitmatrix\n72 600 div dup scale 100 6499.800 translate 90 rotate -1 -1 scale\n"},
      {"negative image", [](XDEVMODE& dm) { dm.dmPrivate._bNegativeImage = 1; },
       "\ninitmatrix\n72 600 div dup scale 100 6499.800 translate 0 rotate 1 -1 scale\n"
       "{ 1 exch sub}bind settransfer\n1 setgray clippath fill\n"},
      {"colours to black and negative",
       [](XDEVMODE& dm) {
         dm.dmPrivate._bColorToBlack = 1;
         dm.dmPrivate._bNegativeImage = 1;
       },
       "\ninitmatrix\n72 600 div dup scale 100 6499.800 translate 0 rotate 1 -1 scale\n"
       "{ floor 1 exch sub}bind settransfer\n1 setgray clippath fill\n"},
      {"colours to black", [](XDEVMODE& dm) { dm.dmPrivate._bColorToBlack = 1; },
       "\ninitmatrix\n72 600 div dup scale 100 6499.800 translate 0 rotate 1 -1 scale\n{ floor}bind settransfer\n"},
      {"low-compression jobs take whole dots", [](XDEVMODE& dm) { dm.dmPrivate._nCompression = 20; },
       "\ninitmatrix\n72 600 div dup scale 100 6500 translate 0 rotate 1 -1 scale\n"},
      {"Letter page on a Ledger sheet grows", [](XDEVMODE& dm) { dm.dmPrivate._iOutputSize = kPaperLedger; },
       "\ninitmatrix\n72 600 div dup scale 100 10099.800 translate 0 rotate 1.306 -1.306 scale\n"},
      {"Letter page on an A5 sheet shrinks", [](XDEVMODE& dm) { dm.dmPrivate._iOutputSize = kPaperA5; },
       "\ninitmatrix\n72 600 div dup scale 100 4860 translate 0 rotate 0.673 -0.673 scale\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = PostScriptPdev(c.change);
    ASSERT_TRUE(pdev);
    EXPECT_EQ(PageMatrix(*this, pdev.get(), FALSE), c.want);
    EXPECT_FALSE(pdev->writers.pageSetup.pageGsaveOpen);
  }
}

TEST_F(PageSetupPostScript, NupPagesArePlacedInTheirCells) {
  // The first and the last page of each sheet: origin in points, rotation and
  // scale. Portrait pages fill rows from the top left; landscape pages are laid
  // on the sheet turned (columns of the turned sheet from its top right), so
  // on the upright sheet they also read from the top left.
  struct Case {
    int n;
    bool landscape;
    const char* first;
    const char* last;
  } cases[] = {
      {2, false, "12 396 translate 0 rotate 0.5 0.5 scale\n", "12 12 translate 0 rotate 0.5 0.5 scale\n"},
      {4, false, "12 396 translate 0 rotate 0.5 0.5 scale\n", "306 12 translate 0 rotate 0.5 0.5 scale\n"},
      {6, false, "12 524 translate 0 rotate 0.333 0.333 scale\n", "306 12 translate 0 rotate 0.333 0.333 scale\n"},
      {8, false, "12 588 translate 0 rotate 0.25 0.25 scale\n", "306 12 translate 0 rotate 0.25 0.25 scale\n"},
      {9, false, "12 524 translate 0 rotate 0.333 0.333 scale\n", "404 12 translate 0 rotate 0.333 0.333 scale\n"},
      {16, false, "12 588 translate 0 rotate 0.25 0.25 scale\n", "453 12 translate 0 rotate 0.25 0.25 scale\n"},
      {2, true, "396 600 translate 270 rotate 0.653 0.653 scale\n", "12 600 translate 270 rotate 0.653 0.653 scale\n"},
      {4, true, "396 600 translate 270 rotate 0.383 0.383 scale\n", "12 306 translate 270 rotate 0.383 0.383 scale\n"},
      {6, true, "524 600 translate 270 rotate 0.383 0.383 scale\n", "12 306 translate 270 rotate 0.383 0.383 scale\n"},
      {8, true, "588 600 translate 270 rotate 0.326 0.326 scale\n", "12 306 translate 270 rotate 0.326 0.326 scale\n"},
      {9, true, "524 600 translate 270 rotate 0.255 0.255 scale\n", "12 208 translate 270 rotate 0.255 0.255 scale\n"},
      {16, true, "588 600 translate 270 rotate 0.191 0.191 scale\n", "12 159 translate 270 rotate 0.191 0.191 scale\n"},
  };
  const std::string portraitHead = "\ninitmatrix\n";
  const std::string landscapeHead =
      "\ninitmatrix\ncurrentpagedevice /PageSize get aload pop pop 0 translate 90 rotate\n";
  // After the placement: the page's clip in points and its own dot system.
  const std::string portraitTail =
      "gsave\n0 0 612 792 rc\n72 600 div dup scale 100 6499.800 translate 0 rotate 1 -1 scale\n";
  const std::string landscapeTail =
      "gsave\n0 0 792 612 rc\n72 600 div dup scale 100 4999.800 translate 0 rotate 1 -1 scale\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.n) + (c.landscape ? "-up landscape" : "-up portrait"));
    PdevPtr pdev = PostScriptPdev([&](XDEVMODE& dm) {
      dm.dmPrivate._nUp = static_cast<WORD>(c.n);
      if (c.landscape) dm.dmPublic.dmOrientation = kLandscape;
    });
    ASSERT_TRUE(pdev);
    const std::string& head = c.landscape ? landscapeHead : portraitHead;
    const std::string& tail = c.landscape ? landscapeTail : portraitTail;
    pdev->pages.sheetPageIndex = 1;
    EXPECT_EQ(PageMatrix(*this, pdev.get(), TRUE), head + c.first + tail);
    EXPECT_TRUE(pdev->writers.pageSetup.pageGsaveOpen);
    pdev->writers.pageSetup.pageGsaveOpen = FALSE;
    pdev->pages.sheetPageIndex = static_cast<DWORD>(c.n);
    EXPECT_EQ(PageMatrix(*this, pdev.get(), TRUE), head + c.last + tail);
  }
}

TEST_F(PageSetupPostScript, BookletPagesTakeTheHalfOfTheirParity) {
  // A Letter sheet halved: each page goes turned into a 5500 x 8500 half.
  const std::string placement =
      "translate 90 rotate\n0 0 translate 0 rotate 0.647 0.647 scale\ngsave\n0 0 612 792 rc\n"
      "72 600 div dup scale 0 6600 translate 0 rotate 1 -1 scale\n";
  struct Case {
    WORD type;
    DWORD stored;
    const char* half;
  } cases[] = {{1, 1, "2 div "}, {1, 2, "pop 0 "}, {2, 1, "pop 0 "}, {2, 2, "2 div "}};
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type) + ", pages stored " + std::to_string(c.stored));
    PdevPtr pdev = PostScriptPdev([&](XDEVMODE& dm) { dm.dmPrivate._nBooklet = c.type; });
    ASSERT_TRUE(pdev);
    pdev->pages.sheetPageIndex = 1;
    pdev->pages.pagesStored = c.stored;
    EXPECT_EQ(PageMatrix(*this, pdev.get(), TRUE),
              std::string("\ninitmatrix\ncurrentpagedevice /PageSize get aload pop ") + c.half + placement);
  }
}

TEST_F(PageSetupPostScript, AlternativeMatrixOfThePageEnd) {
  // One line in the device-dot system, no clip and no transfer; the scale
  // only when asked.
  // Its rectangle ends one unit inside the margins: 10832 thousandths up.
  PdevPtr pdev = PostScriptPdev([](XDEVMODE& dm) { dm.dmPrivate._bNegativeImage = 1; });
  ASSERT_TRUE(pdev);
  EXPECT_EQ(Bytes(pdev.get(), [&] { EXPECT_EQ(WritePsPageSetupAlt(pdev.get(), FALSE), 1); }),
            "\ninitmatrix\n72 600 div dup scale 100 6499 translate 0 rotate 1 -1 scale\n");
  // 2-up: the wide cell turns the page; the scale fits it.
  PdevPtr twoUp = PostScriptPdev([](XDEVMODE& dm) { dm.dmPrivate._nUp = 2; });
  ASSERT_TRUE(twoUp);
  twoUp->pages.sheetPageIndex = 1;
  EXPECT_EQ(Bytes(twoUp.get(), [&] { EXPECT_EQ(WritePsPageSetupAlt(twoUp.get(), TRUE), 1); }),
            "\ninitmatrix\n72 600 div dup scale 100 100 translate 90 rotate 0.653 -0.653 scale\n");
}

// Ghostscript: every page of an N-up sheet draws a bar whose length grows with
// its number; the ink of the sheet's cells, read from the top left row by row,
// must then grow too, and no cell may stay blank.
TEST_F(PageSetupPostScript, RenderedNupSheetsCarryEachPageInItsCell) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  constexpr int kDpi = 50;
  for (bool landscape : {false, true}) {
    for (int n : {2, 4, 6, 8, 9, 16}) {
      SCOPED_TRACE(std::to_string(n) + (landscape ? "-up landscape" : "-up portrait"));
      PdevPtr pdev = PostScriptPdev([&](XDEVMODE& dm) {
        dm.dmPrivate._nUp = static_cast<WORD>(n);
        if (landscape) dm.dmPublic.dmOrientation = kLandscape;
      });
      ASSERT_TRUE(pdev);
      PDEV* p = pdev.get();
      // The imageable page in dots: 4900 x 6400, turned for landscape.
      const int width = landscape ? 6400 : 4900;
      const int height = landscape ? 4900 : 6400;
      const std::string job = Bytes(p, [&] {
        WritePsProlog(p, TRUE);
        for (int k = 0; k < n; ++k) {
          p->pages.sheetPageIndex = static_cast<DWORD>(k + 1);
          p->pages.pagesStarted = static_cast<DWORD>(k + 1);
          WritePsPageSetup(p, TRUE);
          char mark[128];
          FormatOut(mark, "\n%d %d %d %d rf\n", width / 10, height * 4 / 10, width * 8 / 10 * (k + 1) / n, height / 5);
          WriteOut(p, kWriteText, 0, mark);
          EmitPageTrailer(p, k == n - 1 ? TRUE : FALSE, FALSE);
        }
      });
      const GhostscriptRun run = RunPostScriptJob(job, kDpi);
      ASSERT_TRUE(run.Clean()) << run.output;
      ASSERT_EQ(run.pages.size(), 1u) << "one sheet";
      const RenderedPage& sheet = run.pages[0];
      int columns = 0;
      int rows = 0;
      PageNupGrid(n, &columns, &rows);
      // The cells of the sheet's imageable area (167 thousandths in from every
      // edge of a Letter sheet), in pixels.
      const double left = 0.167 * kDpi;
      const double top = 0.167 * kDpi;
      const double cellWidth = 8.166 * kDpi / columns;
      const double cellHeight = 10.666 * kDpi / rows;
      int previous = 0;
      for (int cell = 0; cell < n; ++cell) {
        const int x = static_cast<int>(left + (cell % columns) * cellWidth);
        const int y = static_cast<int>(top + (cell / columns) * cellHeight);
        const int ink =
            sheet.DarkCount(x + 1, y + 1, static_cast<int>(cellWidth) - 2, static_cast<int>(cellHeight) - 2);
        EXPECT_GT(ink, previous) << "cell " << cell;
        previous = ink;
      }
    }
  }
}

TEST_F(PageSetupPostScript, RenderedBookletPagesGoToTheirHalf) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  // Booklet type 1: an odd count of stored pages takes the upper half of the
  // upright sheet (the right half of the turned sheet), an even one the lower.
  PdevPtr pdev = PostScriptPdev([](XDEVMODE& dm) { dm.dmPrivate._nBooklet = 1; });
  ASSERT_TRUE(pdev);
  PDEV* p = pdev.get();
  const std::string job = Bytes(p, [&] {
    WritePsProlog(p, TRUE);
    for (DWORD stored = 1; stored <= 2; ++stored) {
      p->pages.pagesStarted = stored;
      p->pages.pagesStored = stored;
      p->pages.sheetPageIndex = 1;
      WritePsPageSetup(p, TRUE);
      // The whole imageable page (booklet pages have no margins): 5100 x 6600.
      WriteOut(p, kWriteText, 0, "\n0 g 0 0 5100 6600 rf\n");
      EmitPageTrailer(p, TRUE, FALSE);
    }
  });
  const GhostscriptRun run = RunPostScriptJob(job, 30);
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 2u);
  for (int sheet = 0; sheet < 2; ++sheet) {
    SCOPED_TRACE(sheet == 0 ? "odd: upper half" : "even: lower half");
    const RenderedPage& page = run.pages[static_cast<size_t>(sheet)];
    const int half = page.height / 2;
    const int area = page.width * (half - 4);
    const int upper = page.DarkCount(0, 2, page.width, half - 4);
    const int lower = page.DarkCount(0, half + 2, page.width, half - 4);
    // The Letter page fills its half across and 84% of it along.
    EXPECT_GT(sheet == 0 ? upper : lower, area * 3 / 4);
    EXPECT_LT(sheet == 0 ? lower : upper, area / 20);
  }
}

TEST_F(PageSetupPostScript, RenderedMirrorAndNegativePages) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  constexpr int kDpi = 40;
  struct Case {
    const char* what;
    DevmodeChange change;
    bool inkLeft;
    bool inkRight;
  } cases[] = {
      {"plain: the mark on the left", {}, true, false},
      {"mirror: the mark on the right", [](XDEVMODE& dm) { dm.dmPrivate._bMirrorImage = 1; }, false, true},
      {"negative: dark ground, the mark white", [](XDEVMODE& dm) { dm.dmPrivate._bNegativeImage = 1; }, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = PostScriptPdev(c.change);
    ASSERT_TRUE(pdev);
    PDEV* p = pdev.get();
    const std::string job = Bytes(p, [&] {
      WritePsProlog(p, TRUE);
      for (int page = 1; page <= 2; ++page) {
        p->pages.pagesStarted = static_cast<DWORD>(page);
        p->pages.sheetPageIndex = 1;
        WritePsPageSetup(p, FALSE);
        // A black band over the left third of the imageable area.
        WriteOut(p, kWriteText, 0, "\n0 g 0 0 1600 6400 rf\n");
        EmitPageTrailer(p, TRUE, FALSE);
      }
    });
    const GhostscriptRun run = RunPostScriptJob(job, kDpi);
    ASSERT_TRUE(run.Clean()) << run.output;
    ASSERT_EQ(run.pages.size(), 2u);
    for (const RenderedPage& page : run.pages) {
      // Left and right strips of the sheet, inside the imageable area.
      const int h = page.height / 2;
      const int strip = page.width / 6;
      const int left = page.DarkCount(page.width / 20, page.height / 4, strip, h);
      const int right = page.DarkCount(page.width - page.width / 20 - strip, page.height / 4, strip, h);
      EXPECT_EQ(left > strip * h / 2, c.inkLeft) << "every page, also the second";
      EXPECT_EQ(right > strip * h / 2, c.inkRight) << "every page, also the second";
    }
  }
}

// The watermark captured between the watermark escapes is laid under the
// page at its set-up: inside its own gsave and page matrix, before the page's.
class PageSetupWatermark : public PageSetupTest {
 protected:
  static void Capture(PDEV* pdev, const char* drawing) {
    SelectOutputChannel(pdev, kChannelWatermark);
    WriteOut(pdev, kWriteText, 0, drawing);
    FlushOutputBuffer(pdev);
    SelectOutputChannel(pdev, kChannelSpooler);
    pdev->carried.watermarkCapture = 2;
  }
  static void Choose(XDEVMODE& dm) {
    std::snprintf(dm.dmPrivate._wmCurrent.text, sizeof dm.dmPrivate._wmCurrent.text, "%s", "DRAFT");
    dm.dmPrivate._bWmBackground = 1;
  }
};

TEST_F(PageSetupWatermark, ReplayedUnderThePage) {
  const std::string matrix = "\ninitmatrix\n72 600 div dup scale 100 6499.800 translate 0 rotate 1 -1 scale\n";
  const std::string laid = "\nCalyxonDict begin\n\ngsave\n" + matrix + "%watermark\n\ngrestore\n\nend\n" + matrix;
  struct Case {
    const char* what;
    DevmodeChange change;
    bool captured;
    DWORD page;
    std::string want;
  } cases[] = {
      {"behind the page", Choose, true, 1, laid},
      {"behind every page", Choose, true, 3, laid},
      {"first page only: page 1",
       [](XDEVMODE& dm) {
         Choose(dm);
         dm.dmPrivate._bWmFirstPageOnly = 1;
       },
       true, 1, laid},
      {"first page only: page 2",
       [](XDEVMODE& dm) {
         Choose(dm);
         dm.dmPrivate._bWmFirstPageOnly = 1;
       },
       true, 2, matrix},
      {"in front of the page (the page end draws it)",
       [](XDEVMODE& dm) {
         Choose(dm);
         dm.dmPrivate._bWmBackground = 0;
       },
       true, 1, matrix},
      {"nothing captured", Choose, false, 1, matrix},
      {"no watermark chosen", [](XDEVMODE& dm) { dm.dmPrivate._bWmBackground = 1; }, true, 1, matrix},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = PostScriptPdev(c.change);
    ASSERT_TRUE(pdev);
    PDEV* p = pdev.get();
    if (c.captured) Capture(p, "%watermark\n");
    p->pages.pagesStarted = c.page;
    EXPECT_EQ(Bytes(p, [&] { EXPECT_EQ(EmitPageSetup(p), 1); }), c.want);
    DeleteChannelFiles(p);
  }
}

TEST_F(PageSetupWatermark, PclWatermarkInTheHpglScaling) {
  PdevPtr pdev = PclPdev(Choose);
  ASSERT_TRUE(pdev);
  PDEV* p = pdev.get();
  const std::string scaling = Bytes(p, [&] { EnterHpglScaling(p, 0); });
  Capture(p, "\x1b%0BPU0,0PD100,100;");
  p->pages.pagesStarted = 1;
  EXPECT_EQ(Bytes(p, [&] { EXPECT_EQ(EmitPageSetup(p), 1); }), scaling + "\x1b%0BPU0,0PD100,100;\x1b%0A");
  EXPECT_EQ(p->job.inHpgl, 0);
  DeleteChannelFiles(p);
}

class PageSetupPcl : public PageSetupTest {};

TEST_F(PageSetupPcl, HpglScalingOfThePage) {
  // Letter at 600 dpi on the mono model: PCL margins 250 left and right, 167
  // top and bottom.
  const std::string tail = Esc("SC0,1.6933,0,-1.6933,2;SP1TR0;ESC%1A");
  struct Case {
    const char* what;
    DevmodeChange change;
    std::string want;
  } cases[] = {
      {"portrait", {}, Esc("ESC&l0OESC&l0.08c100EESC&l6400FESC*p0x0YESC*c7920y0TESC%0BIR0,100,100,0;") + tail},
      {"landscape: the left margin is the top, the width the length",
       [](XDEVMODE& dm) { dm.dmPublic.dmOrientation = kLandscape; },
       Esc("ESC&l1OESC&l0.08c150EESC&l4850FESC*p0x0YESC*c6120y0TESC%0BIR0,100,100,0;") + tail},
      {"page rotation turns the page by 180 degrees", [](XDEVMODE& dm) { dm.dmPrivate._bRotatePage = 1; },
       Esc("ESC&l2OESC&l0.08c100EESC&l6400FESC*p0x0YESC*c7920y0TESC%0BIR0,100,100,0;") + tail},
      {"no margins: the whole length", [](XDEVMODE& dm) { dm.dmPrivate._nMarginType = 2; },
       Esc("ESC&l0OESC&l0.08c0EESC&l6599FESC*p0x0YESC*c7920y0TESC%0BIR0,100,100,0;") + tail},
      {"300 dpi", [](XDEVMODE& dm) { dm.dmPublic.dmPrintQuality = dm.dmPublic.dmYResolution = 300; },
       Esc("ESC&l0OESC&l0.16c50EESC&l3200FESC*p0x0YESC*c7920y0TESC%0BIR0,100,100,0;SC0,3.3866,0,-3.3866,2;"
           "SP1TR0;ESC%1A")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = PclPdev(c.change);
    ASSERT_TRUE(pdev);
    const std::string sent = Bytes(pdev.get(), [&] { EXPECT_EQ(EnterHpglScaling(pdev.get(), 0), 1); });
    EXPECT_EQ(sent, c.want);
    EXPECT_EQ(pdev->job.inHpgl, 0);
  }
}

TEST_F(PageSetupPcl, ScalingLeavesHpglFirstAndIsNoPostScript) {
  PdevPtr pcl = PclPdev();
  ASSERT_TRUE(pcl);
  pcl->job.inHpgl = 1;
  EXPECT_EQ(Bytes(pcl.get(), [&] { EnterHpglScaling(pcl.get(), 0); }).rfind(Esc("ESC%0AESC&l0O"), 0), 0u);

  PdevPtr ps = PostScriptPdev();
  ASSERT_TRUE(ps);
  EXPECT_EQ(Bytes(ps.get(), [&] { EXPECT_EQ(EnterHpglScaling(ps.get(), 0), 0); }), "");
  EXPECT_EQ(Bytes(pcl.get(), [&] { EXPECT_EQ(WritePsPageSetup(pcl.get(), FALSE), 0); }), "");
}

TEST(PageNupGridTest, ClosestDivisorsColumnsFirst) {
  struct Case {
    int n, columns, rows;
  } cases[] = {{1, 1, 1}, {2, 1, 2},  {4, 2, 2},  {6, 2, 3}, {8, 2, 4},
               {9, 3, 3}, {12, 3, 4}, {16, 4, 4}, {7, 1, 7}, {0, 1, 1}};
  for (const Case& c : cases) {
    int columns = -1;
    int rows = -1;
    PageNupGrid(c.n, &columns, &rows);
    EXPECT_EQ(columns, c.columns) << c.n;
    EXPECT_EQ(rows, c.rows) << c.n;
  }
}

}  // namespace
}  // namespace graphicstest
