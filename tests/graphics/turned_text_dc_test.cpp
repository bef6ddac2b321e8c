// Turned text printed through a device context whose driver is the built
// graphics library. Glyphs of a downloaded bitmap font that the driver cannot
// turn come back from the engine as glyph masks; they must print as the glyphs
// (the ink FreeType gives them) and not as boxes, in PostScript (rendered by
// Ghostscript) and in PCL (the raster read back).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <string>

#include "common/pdl_kind.h"
#include "platform/base/codepage.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/drawing.h"
#include "platform/gdi/engine.h"
#include "tests/graphics/ghostscript_job.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/support/pcl_reader.h"

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
    HDC dc = CreateDCW(u"WINSPOOL", name, nullptr, &dm.dmPublic);
    EXPECT_NE(dc, 0u) << GetLastError();
    if (dc == 0) return {};
    std::u16string title = u"turned";
    std::u16string output = platform::ToUtf16(kJobFile);
    DOCINFOW doc{sizeof(DOCINFOW), title.c_str(), output.c_str(), nullptr, 0};
    EXPECT_GT(StartDocW(dc, &doc), 0) << GetLastError();
    EXPECT_GT(StartPage(dc), 0);
    *dpi = GetDeviceCaps(dc, LOGPIXELSY);
    lf_ = ArialAt(kPoints * *dpi / 72, degrees * 10);
    HFONT font = CreateFontIndirectW(&lf_);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const int x = GetDeviceCaps(dc, HORZRES) / 2, y = GetDeviceCaps(dc, VERTRES) / 2;
    EXPECT_TRUE(ExtTextOutW(dc, x, y, 0, nullptr, kText, static_cast<UINT>(std::char_traits<char16_t>::length(kText)), nullptr));
    SelectObject(dc, old);
    DeleteObject(font);
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

}  // namespace
}  // namespace graphicstest
