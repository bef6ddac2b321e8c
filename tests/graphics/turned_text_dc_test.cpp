// Turned text printed through a device context whose driver is the built
// graphics library. Glyphs of a downloaded bitmap font that the driver cannot
// turn come back from the engine as glyph masks; they must print as the glyphs
// (the ink FreeType gives them) and not as boxes, in PostScript (rendered by
// Ghostscript) and in PCL (the raster read back).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "common/pdl_kind.h"
#include "platform/base/codepage.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/drawing.h"
#include "platform/gdi/engine.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

constexpr char kJobFile[] = "C:\\turned.prn";
constexpr char16_t kText[] = u"Rotated";
constexpr int kPoints = 20;  // small enough to go as bitmap glyphs in PostScript
constexpr int kRenderDpi = 150;

LOGFONTW ArialAt(int height, int tenthsOfDegrees) {
  LOGFONTW lf{};
  lf.lfHeight = -height;
  lf.lfWeight = FW_NORMAL;
  lf.lfEscapement = tenthsOfDegrees;
  lf.lfOrientation = tenthsOfDegrees;
  const std::u16string face = u"Arial";
  for (size_t i = 0; i < face.size(); ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

// The set pixels of the text's glyphs as FreeType renders them, turned.
long FreeTypeInk(const LOGFONTW& lf, int dpi) {
  auto font = platform::gdi::Font::Open(lf, nullptr, SIZE{dpi, dpi});
  if (!font) return -1;
  long ink = 0;
  for (const char16_t* c = kText; *c; ++c) {
    GLYPHDATA* glyph = font->Glyph(font->GlyphForChar(*c), FO_GLYPHBITS);
    if (!glyph || !glyph->gdf.pgb) return -1;
    const GLYPHBITS* bits = glyph->gdf.pgb;
    const size_t rowBytes = static_cast<size_t>((bits->sizlBitmap.cx + 7) / 8);
    for (size_t i = 0; i < rowBytes * static_cast<size_t>(bits->sizlBitmap.cy); ++i) ink += std::popcount(bits->aj[i]);
  }
  return ink;
}

class TurnedTextTest : public GraphicsPrinterTest {
 protected:
  // Prints the text turned by `degrees` in the middle of an otherwise blank page.
  std::string Print(bool postScript, int degrees, int* dpi) {
    // clang-format off
    return PrintPage(postScript, dpi, [](XDEVMODE&) {}, [&](HDC dc) {
      lf_ = ArialAt(kPoints * *dpi / 72, degrees * 10);
      HFONT font = CreateFontIndirectW(&lf_);
      HGDIOBJ old = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      const int x = GetDeviceCaps(dc, HORZRES) / 2, y = GetDeviceCaps(dc, VERTRES) / 2;
      EXPECT_TRUE(ExtTextOutW(dc, x, y, 0, nullptr, kText, static_cast<UINT>(std::char_traits<char16_t>::length(kText)), nullptr));
      SelectObject(dc, old);
      DeleteObject(font);
    });
    // clang-format on
  }

  // Prints one page with the device mode as `setUp` leaves it and what `draw`
  // puts on the page; the job file's bytes.
  template <typename SetUp, typename Draw>
  std::string PrintPage(bool postScript, int* dpi, SetUp setUp, Draw draw) {
    const WORD pdl = postScript ? kPdlPs3 : kPdlPcl5e;
    const char16_t* name = postScript ? u"Colour" : u"Mono";
    bool& installed = postScript ? postScriptInstalled_ : pclInstalled_;
    if (!installed) Install(postScript ? kColourModel : kMonoModel, platform::FromUtf16(name), pdl, postScript ? 1 : 0);
    installed = true;
    XDEVMODE dm = DriverLayout(pdl);
    dm.dmPublic.dmFields |= DM_ORIENTATION | DM_TTOPTION;
    dm.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPublic.dmTTOption = DMTT_DOWNLOAD;
    // TrueType always downloaded (2): the shipped models' printer fonts would
    // otherwise stand in for the face and no glyph would be drawn by the engine.
    dm.dmPrivate._nTrueTypeMode = 2;
    setUp(dm);
    HDC dc = CreateDCW(u"WINSPOOL", name, nullptr, &dm.dmPublic);
    EXPECT_NE(dc, 0u) << GetLastError();
    if (dc == 0) return {};
    std::u16string title = u"turned";
    std::u16string output = platform::ToUtf16(kJobFile);
    DOCINFOW doc{sizeof(DOCINFOW), title.c_str(), output.c_str(), nullptr, 0};
    EXPECT_GT(StartDocW(dc, &doc), 0) << GetLastError();
    EXPECT_GT(StartPage(dc), 0);
    *dpi = GetDeviceCaps(dc, LOGPIXELSY);
    draw(dc);
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(EndDoc(dc), 0) << GetLastError();
    EXPECT_TRUE(DeleteDC(dc));
    std::ifstream in(Host(kJobFile), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  LOGFONTW lf_{};
  bool postScriptInstalled_ = false;
  bool pclInstalled_ = false;
};

TEST_F(TurnedTextTest, GlyphMasksPrintTheGlyphsInkAndNothingAroundIt) {
  for (bool postScript : {true, false}) {
    for (int degrees : {45, 90, 180, 270}) {
      SCOPED_TRACE(std::string(postScript ? "PostScript " : "PCL ") + std::to_string(degrees) + " degrees");
      int dpi = 0;
      const std::string job = Print(postScript, degrees, &dpi);
      ASSERT_FALSE(job.empty());
      const long expected = FreeTypeInk(lf_, dpi);
      ASSERT_GT(expected, 0);
      const testsupport::PclReport report = testsupport::ReadPclJob(job);
      ASSERT_TRUE(report.ok()) << report.Summary();
      if (postScript) {
        std::string program;
        for (const std::string& section : report.PostScript()) program += section;
        // The glyphs came back as masks, not as a downloaded font's text.
        EXPECT_NE(program.find("ImPaint"), std::string::npos);
        if (!GhostscriptAvailable()) continue;
        const GhostscriptRun run = RunPostScriptJob(program, kRenderDpi);
        ASSERT_TRUE(run.Clean()) << run.output;
        ASSERT_EQ(run.pages.size(), 1u);
        const RenderedPage& page = run.pages[0];
        const double scale = static_cast<double>(kRenderDpi) / dpi;
        const double dark = page.DarkCount(0, 0, page.width, page.height) / (scale * scale);
        // A box (or an inverted one) would have several times the glyphs' ink.
        EXPECT_NEAR(dark, static_cast<double>(expected), 0.1 * static_cast<double>(expected));
      } else {
        ASSERT_FALSE(report.raster.empty());
        long set = 0;
        for (const testsupport::RasterBlock& block : report.raster) {
          // The source transparency in force for the block: transparent (0).
          long transparency = 0;
          for (const testsupport::PclCommand* c : report.Find("*v", 'N'))
            if (c->offset < block.offset) transparency = c->IntValue();
          EXPECT_EQ(transparency, 0) << "the mask's white pixels would paint over the page";
          for (const testsupport::RasterRow& row : block.rows) {
            EXPECT_TRUE(row.decoded);
            for (unsigned char b : row.bytes) set += std::popcount(b);
          }
        }
        // The set pixels are the glyphs' ink, not the box around them.
        EXPECT_NEAR(static_cast<double>(set), static_cast<double>(expected), 0.02 * static_cast<double>(expected));
      }
    }
  }
}

// The ink of a rendered page seen as a line: its direction (degrees, counter-
// clockwise on the page), its length and its spread across the line (standard
// deviations along and across the principal axis of the dark pixels).
struct InkLine {
  long pixels = 0;
  double degrees = 0;
  double along = 0;
  double across = 0;
};

InkLine LineOfInk(const RenderedPage& page) {
  double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      if (page.gray[static_cast<size_t>(y) * page.width + x] >= 128) continue;
      // y up, as the page's angles count.
      const double px = x, py = -static_cast<double>(y);
      n += 1, sx += px, sy += py, sxx += px * px, syy += py * py, sxy += px * py;
    }
  }
  InkLine line;
  line.pixels = static_cast<long>(n);
  if (n < 2) return line;
  const double cxx = sxx / n - (sx / n) * (sx / n), cyy = syy / n - (sy / n) * (sy / n);
  const double cxy = sxy / n - (sx / n) * (sy / n);
  const double mean = (cxx + cyy) / 2, spread = std::sqrt((cxx - cyy) * (cxx - cyy) / 4 + cxy * cxy);
  line.along = std::sqrt(mean + spread);
  line.across = std::sqrt(std::max(0.0, mean - spread));
  line.degrees = 0.5 * std::atan2(2 * cxy, cxx - cyy) * 180.0 / 3.14159265358979323846;
  return line;
}

// Large turned text goes to the printer as an outline font turned by the
// font's matrix; each glyph's advance must run along the turned baseline.
// Rendered, "CONFIDENTIAL" at 45 degrees must make one thin line climbing at
// 45 degrees (not turned letters stepping along a level line, nor nothing at
// all), as the driver's watermark and as an application's turned line, at the
// device mode's scale of 100 and of 200 alike.
TEST_F(TurnedTextTest, OutlineLettersLieOnTheTurnedBaseline) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  for (bool watermark : {true, false}) {
    for (short scale : {short(100), short(200)}) {
      SCOPED_TRACE(std::string(watermark ? "watermark" : "turned line") + " at scale " + std::to_string(scale));
      int dpi = 0;
      const std::string job = PrintPage(
          true, &dpi,
          [&](XDEVMODE& dm) {
            dm.dmPublic.dmFields |= DM_SCALE;
            dm.dmPublic.dmScale = scale;
            if (!watermark) return;
            WatermarkRecord& mark = dm.dmPrivate._wmCurrent;
            std::strcpy(mark.text, "CONFIDENTIAL");
            std::strcpy(mark.faceName, "Arial");
            mark.size = 48;
            mark.weight = 400;
            mark.angle = 45;
            mark.colour = 0;
          },
          [&](HDC dc) {
            if (watermark) return;
            const LOGFONTW lf = ArialAt(40 * dpi / 72, 450);
            HFONT font = CreateFontIndirectW(&lf);
            HGDIOBJ old = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            // Near the page's left edge, so that the line stays on the paper
            // when the page is printed twice its size.
            EXPECT_TRUE(ExtTextOutW(dc, dpi / 2, dpi * 4, 0, nullptr, u"CONFIDENTIAL", 12, nullptr));
            SelectObject(dc, old);
            DeleteObject(font);
          });
      ASSERT_FALSE(job.empty());
      const testsupport::PclReport report = testsupport::ReadPclJob(job);
      ASSERT_TRUE(report.ok()) << report.Summary();
      std::string program;
      for (const std::string& section : report.PostScript()) program += section;
      // An outline glyph's procedure is not bound ("}bind [" is a bitmap's).
      EXPECT_NE(program.find("} ["), std::string::npos) << "the glyphs go as outlines";
      const GhostscriptRun run = RunPostScriptJob(program, 50);
      ASSERT_TRUE(run.Clean()) << run.output;
      ASSERT_EQ(run.pages.size(), 1u);
      const InkLine line = LineOfInk(run.pages[0]);
      ASSERT_GT(line.pixels, 100) << "the text is not on the page";
      EXPECT_NEAR(line.degrees, 45.0, 3.0);
      // Twelve letters in a row: a long, thin line, not a level row of turned
      // letters (whose ink would spread about as far across as along).
      EXPECT_GT(line.along, 6 * line.across);
    }
  }
}

// The printer's vertical Japanese faces ("@" before the name): text set in
// them goes down the page in the printer's vertical writing mode. PostScript
// builds the vertical composite font and Ghostscript inks a column of glyphs;
// PCL selects the face with the vertical text path, the level face without.
TEST_F(TurnedTextTest, VerticalJapaneseFacesPrintInTheVerticalWritingMode) {
  constexpr char16_t kJapanese[] = u"日本語の縦書き";
  for (bool postScript : {true, false}) {
    SCOPED_TRACE(postScript ? "PostScript" : "PCL");
    const std::u16string vertical = postScript ? u"@中ゴシックBBB" : u"@明朝";
    int dpi = 0;
    auto draw = [&](const std::u16string& face, int tenths) {
      return [&, face, tenths](HDC dc) {
        LOGFONTW lf{};
        lf.lfHeight = -dpi / 3;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lf.lfEscapement = lf.lfOrientation = tenths;
        for (size_t i = 0; i < face.size(); ++i) lf.lfFaceName[i] = face[i];
        HFONT font = CreateFontIndirectW(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        EXPECT_TRUE(ExtTextOutW(dc, dpi * 4, dpi * 2, 0, nullptr, kJapanese, 7, nullptr));
        SelectObject(dc, old);
        DeleteObject(font);
      };
    };
    // The printer's fonts stand for the faces asked for by name.
    auto useTable = [](XDEVMODE& dm) { dm.dmPrivate._nTrueTypeMode = 3; };
    const std::string job = PrintPage(postScript, &dpi, useTable, draw(vertical, 2700));
    ASSERT_FALSE(job.empty());
    const testsupport::PclReport report = testsupport::ReadPclJob(job);
    ASSERT_TRUE(report.ok()) << report.Summary();
    if (!postScript) {
      // The vertical face: the vertical text path before its selection.
      EXPECT_NE(job.find("\x1b&c-1T\x1b(19K"), std::string::npos);
      const std::string level = PrintPage(postScript, &dpi, useTable, draw(u"明朝", 0));
      EXPECT_NE(level.find("\x1b&c0T\x1b(19K"), std::string::npos);
      EXPECT_EQ(level.find("\x1b&c-1T"), std::string::npos);
      continue;
    }
    std::string program;
    for (const std::string& section : report.PostScript()) program += section;
    EXPECT_NE(program.find("/GothicBBB-Medium-83pv-RKSJ-H /GothicBBB-Medium /83pv-RKSJ-H mF_V_FE"), std::string::npos);
    if (!GhostscriptAvailable()) continue;
    const GhostscriptRun run = RunPostScriptJob(program, 50);
    ASSERT_TRUE(run.Clean()) << run.output;
    ASSERT_EQ(run.pages.size(), 1u);
    const RenderedPage& page = run.pages[0];
    int top = page.height, bottom = -1, left = page.width, right = -1;
    for (int y = 0; y < page.height; ++y) {
      for (int x = 0; x < page.width; ++x) {
        if (page.DarkCount(x, y, 1, 1) == 0) continue;
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
    }
    ASSERT_GE(bottom, 0) << "nothing printed";
    // Seven glyphs of a third of an inch in a column: about 2.3 inches down
    // and one glyph across.
    const double glyph = 50.0 / 3;
    EXPECT_NEAR(bottom - top, 7 * glyph, 1.5 * glyph);
    EXPECT_LT(right - left, 1.5 * glyph);
  }
}

}  // namespace
}  // namespace graphicstest
