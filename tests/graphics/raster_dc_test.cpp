// Bitmaps drawn with StretchDIBits through the stand-in GDI on device contexts
// of printers whose driver is the built graphics library: the PostScript jobs
// (normal images and the "Compression" 20 grey images) are rendered by
// Ghostscript and checked for ink where the bitmap is dark and none where it
// is white; the PCL jobs are read by the structural reader, their compressed
// rows decoded and checked bit by bit.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "platform/base/codepage.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/drawing.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

constexpr char kJobFile[] = "C:\\images.prn";
constexpr int kRenderDpi = 50;

// A DIB of 64 x 48 pixels whose left half is black and right half white, of
// 1, 8 or 24 bits, stored bottom-up as applications usually hand them.
class HalfBlackDib {
 public:
  explicit HalfBlackDib(WORD bits) {
    const size_t colors = bits <= 8 ? (1u << bits) : 0;
    info_.assign(sizeof(BITMAPINFOHEADER) + std::max<size_t>(colors, 1) * sizeof(RGBQUAD), 0);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info_.data());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = kWidth;
    h->biHeight = kHeight;
    h->biPlanes = 1;
    h->biBitCount = bits;
    h->biCompression = BI_RGB;
    auto* palette = reinterpret_cast<RGBQUAD*>(info_.data() + sizeof(BITMAPINFOHEADER));
    for (size_t i = 0; i < colors; ++i) {
      const BYTE grey = static_cast<BYTE>(colors == 2 ? i * 255 : i);
      palette[i] = RGBQUAD{grey, grey, grey, 0};
    }
    const size_t stride = ((kWidth * bits + 31) / 32) * 4;
    bits_.assign(stride * kHeight, 0);
    for (LONG y = 0; y < kHeight; ++y) {
      BYTE* row = bits_.data() + stride * static_cast<size_t>(y);
      for (LONG x = kWidth / 2; x < kWidth; ++x) {  // the white half
        if (bits == 1) row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        if (bits == 8) row[x] = 255;
        if (bits == 24) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = 255;
      }
    }
  }
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(info_.data()); }
  const void* bits() const { return bits_.data(); }

  static constexpr LONG kWidth = 64;
  static constexpr LONG kHeight = 48;

 private:
  std::vector<BYTE> info_;
  std::vector<BYTE> bits_;
};

class RasterDeviceContextTest : public GraphicsPrinterTest {
 protected:
  HDC Create(const char* model, const char16_t* name, WORD pdl, DWORD variant, WORD compression) {
    Install(model, platform::FromUtf16(name), pdl, variant);
    XDEVMODE devmode = DriverLayout(pdl);
    devmode.dmPublic.dmFields |= DM_ORIENTATION;
    devmode.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
    devmode.dmPrivate._nCompression = compression;
    return CreateDCW(u"WINSPOOL", name, nullptr, &devmode.dmPublic);
  }

  std::string Job() {
    std::ifstream in(Host(kJobFile), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // One page: the 1-, 8- and 24-bit bitmaps stretched to 2 x 1 in at 1 in
  // across and 1, 3 and 5 in down; then the 8-bit one again across the page's
  // right edge at 7 in down.
  void PrintImages(HDC dc) {
    std::u16string name = u"images";
    std::u16string output = platform::ToUtf16(kJobFile);
    DOCINFOW doc{sizeof(DOCINFOW), name.c_str(), output.c_str(), nullptr, 0};
    ASSERT_GT(StartDocW(dc, &doc), 0) << GetLastError();
    ASSERT_GT(StartPage(dc), 0) << GetLastError();
    dpi_ = GetDeviceCaps(dc, LOGPIXELSX);
    offsetX_ = GetDeviceCaps(dc, PHYSICALOFFSETX);
    offsetY_ = GetDeviceCaps(dc, PHYSICALOFFSETY);
    pageWidth_ = GetDeviceCaps(dc, HORZRES);
    const int in = dpi_;
    int top = in;
    for (WORD bits : {WORD{1}, WORD{8}, WORD{24}}) {
      HalfBlackDib dib(bits);
      EXPECT_EQ(StretchDIBits(dc, in, top, 2 * in, in, 0, 0, HalfBlackDib::kWidth, HalfBlackDib::kHeight, dib.bits(),
                              dib.info(), DIB_RGB_COLORS, SRCCOPY),
                HalfBlackDib::kHeight)
          << bits << " bits: " << GetLastError();
      top += 2 * in;
    }
    HalfBlackDib dib(8);
    EXPECT_EQ(StretchDIBits(dc, pageWidth_ - in, 7 * in, 4 * in, in, 0, 0, HalfBlackDib::kWidth, HalfBlackDib::kHeight,
                            dib.bits(), dib.info(), DIB_RGB_COLORS, SRCCOPY),
              HalfBlackDib::kHeight)
        << GetLastError();
    ASSERT_GT(EndPage(dc), 0) << GetLastError();
    ASSERT_GT(EndDoc(dc), 0) << GetLastError();
    EXPECT_TRUE(DeleteDC(dc));
  }

  // Share of dark pixels of the rendered page in a box given in inches of the
  // drawing.
  double Ink(const RenderedPage& page, double x, double y, double w, double h) const {
    const double scale = static_cast<double>(kRenderDpi) / dpi_;
    const int px = static_cast<int>(offsetX_ * scale + x * kRenderDpi),
              py = static_cast<int>(offsetY_ * scale + y * kRenderDpi);
    const int pw = static_cast<int>(w * kRenderDpi), ph = static_cast<int>(h * kRenderDpi);
    return page.DarkCount(px, py, pw, ph) / static_cast<double>(pw * ph);
  }

  int dpi_ = 600;
  int offsetX_ = 0;
  int offsetY_ = 0;
  int pageWidth_ = 0;
};

TEST_F(RasterDeviceContextTest, PostScriptImagesInkWhereTheBitmapIsDark) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  for (WORD compression : {WORD{5}, WORD{20}}) {
    SCOPED_TRACE(compression);
    HDC dc = Create(kColourModel, compression == 5 ? u"Colour" : u"Colour grey", kPdlPs3, 1, compression);
    ASSERT_NE(dc, 0u) << GetLastError();
    PrintImages(dc);
    if (HasFatalFailure()) return;
    const testsupport::PclReport report = testsupport::ReadPclJob(Job());
    ASSERT_TRUE(report.ok()) << report.Summary();
    std::string postScript;
    for (const std::string& section : report.PostScript()) postScript += section;
    // The grey path sends every image as 8-bit grey; the normal one sends the
    // 1-bit bitmap as bits.
    EXPECT_NE(postScript.find("] 8 "), std::string::npos);
    EXPECT_EQ(postScript.find("] 1 ") != std::string::npos, compression == 5);
    const GhostscriptRun run = RunPostScriptJob(postScript, kRenderDpi);
    ASSERT_TRUE(run.Clean()) << run.output;
    ASSERT_EQ(run.pages.size(), 1u);
    const RenderedPage& page = run.pages[0];
    for (double top : {1.0, 3.0, 5.0}) {
      SCOPED_TRACE(top);
      EXPECT_GT(Ink(page, 1.05, top + 0.05, 0.9, 0.9), 0.99);
      EXPECT_EQ(Ink(page, 2.05, top + 0.05, 0.9, 0.9), 0.0);
    }
    // Across the right edge: the black half is on the page.
    const double right = static_cast<double>(pageWidth_) / dpi_;
    EXPECT_GT(Ink(page, right - 0.95, 7.05, 0.85, 0.9), 0.99);
    // Nowhere else.
    EXPECT_EQ(Ink(page, 3.2, 0.5, 3.0, 6.0), 0.0);
    EXPECT_EQ(Ink(page, 0.5, 8.2, 6.0, 1.0), 0.0);
  }
}

TEST_F(RasterDeviceContextTest, PclImagesAreRowsTheReaderDecodes) {
  for (WORD compression : {WORD{5}, WORD{20}, WORD{3}}) {
    SCOPED_TRACE(compression);
    const std::u16string name = u"Mono " + platform::ToUtf16(std::to_string(compression));
    HDC dc = Create(kMonoModel, name.c_str(), kPdlPcl5e, 0, compression);
    ASSERT_NE(dc, 0u) << GetLastError();
    PrintImages(dc);
    if (HasFatalFailure()) return;
    const std::string job = Job();
    const testsupport::PclReport report = testsupport::ReadPclJob(job);
    ASSERT_TRUE(report.ok()) << report.Summary();
    ASSERT_EQ(report.raster.size(), 4u);
    const long width = 2 * dpi_, height = dpi_;
    std::set<int> methods;
    for (size_t b = 0; b < 3; ++b) {
      SCOPED_TRACE(b);
      const testsupport::RasterBlock& block = report.raster[b];
      EXPECT_TRUE(block.ended);
      EXPECT_EQ(block.sourceWidth.value_or(0), width);
      EXPECT_EQ(block.sourceHeight.value_or(0), height);
      ASSERT_EQ(block.rows.size(), static_cast<size_t>(height));
      // Every row: the left half ink, the right half none.
      std::string expected(static_cast<size_t>(width / 8), '\0');
      for (long i = 0; i < width / 16; ++i) expected[static_cast<size_t>(i)] = '\xFF';
      int wrong = 0;
      for (const auto& row : block.rows) {
        EXPECT_TRUE(row.decoded);
        methods.insert(row.method);
        if (row.bytes != expected) ++wrong;
      }
      EXPECT_EQ(wrong, 0);
    }
    if (compression == 3) {
      EXPECT_EQ(methods, std::set<int>{0});
    } else {
      EXPECT_TRUE(methods.count(2) && methods.count(3)) << methods.size();
    }
    // The image across the right edge: placed where it starts, the printer
    // clips the rest.
    EXPECT_NE(job.find("\x1b*p" + std::to_string(pageWidth_ - dpi_) + "x" + std::to_string(7 * dpi_) + "Y"),
              std::string::npos);
  }
}

// A line of text with a white background (opaque mode) printed after an
// image. The background goes as an HP-GL/2 polygon filled white: the state the
// image left and the polygon's own merge control must let it paint its white
// pattern, and the text after it must print with the default logical
// operation again (a merge control left on would paint each character's whole
// cell with the pattern: a black bar).
TEST_F(RasterDeviceContextTest, WhiteTextBackgroundAfterAnImagePaintsWhite) {
  for (WORD pdl : {kPdlPcl5e, kPdlPcl5si}) {
    SCOPED_TRACE(pdl);
    const std::u16string name = u"Mono background " + platform::ToUtf16(std::to_string(pdl));
    HDC dc = Create(kMonoModel, name.c_str(), pdl, 0, 5);
    ASSERT_NE(dc, 0u) << GetLastError();
    std::u16string title = u"background";
    std::u16string output = platform::ToUtf16(kJobFile);
    DOCINFOW doc{sizeof(DOCINFOW), title.c_str(), output.c_str(), nullptr, 0};
    ASSERT_GT(StartDocW(dc, &doc), 0) << GetLastError();
    ASSERT_GT(StartPage(dc), 0);
    const int in = GetDeviceCaps(dc, LOGPIXELSX);
    HalfBlackDib dib(8);
    EXPECT_EQ(StretchDIBits(dc, in, in, 2 * in, in, 0, 0, HalfBlackDib::kWidth, HalfBlackDib::kHeight, dib.bits(),
                            dib.info(), DIB_RGB_COLORS, SRCCOPY),
              HalfBlackDib::kHeight);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));
    EXPECT_TRUE(ExtTextOutW(dc, in, 3 * in, 0, nullptr, u"Opaque", 6, nullptr));
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    EXPECT_TRUE(DeleteDC(dc));

    const testsupport::PclReport report = testsupport::ReadPclJob(Job());
    ASSERT_TRUE(report.ok()) << report.Summary();
    ASSERT_EQ(report.raster.size(), 1u);
    // The logical operation and the pattern transparency in force at an
    // offset: PCL "ESC*l#O" and HP-GL/2 "MC" set the same operation (MC0 the
    // default, 252).
    auto ropAt = [&](size_t offset) {
      long rop = 252;
      size_t at = 0;
      for (const testsupport::PclCommand* c : report.Find("*l", 'O'))
        if (c->offset < offset && c->offset >= at) at = c->offset, rop = c->IntValue();
      for (const testsupport::HpglInstruction* mc : report.Instructions("MC")) {
        if (mc->offset >= offset || mc->offset < at) continue;
        at = mc->offset;
        const bool on = !mc->numbers.empty() && mc->numbers[0] != 0;
        rop = on && mc->numbers.size() > 1 ? static_cast<long>(mc->numbers[1]) : 252;
      }
      return rop;
    };
    auto patternOpaqueAt = [&](size_t offset) {
      long mode = 0;  // transparent, the reset default
      for (const testsupport::PclCommand* c : report.Find("*v", 'O'))
        if (c->offset < offset) mode = c->IntValue();
      return mode == 1;
    };
    const testsupport::HpglInstruction* white = nullptr;
    for (const testsupport::HpglInstruction* ft : report.Instructions("FT"))
      if (ft->offset > report.raster[0].end && ft->numbers.size() == 2 && ft->numbers[0] == 10 && ft->numbers[1] == 0)
        white = ft;
    ASSERT_NE(white, nullptr) << "the background is filled white";
    const testsupport::HpglInstruction* fill = nullptr;
    for (const testsupport::HpglInstruction* fp : report.Instructions("FP"))
      if (!fill && fp->offset > white->offset) fill = fp;
    ASSERT_NE(fill, nullptr);
    // The polygon paints its pattern: the texture alone (240) or over the
    // source (252), with the pattern's white pixels opaque.
    const long fillRop = ropAt(fill->offset);
    EXPECT_TRUE(fillRop == 252 || fillRop == 240) << fillRop;
    EXPECT_TRUE(patternOpaqueAt(fill->offset)) << "white pattern pixels would be left out";
    // The text afterwards: the default operation again.
    const testsupport::TextRun* text = nullptr;
    for (const testsupport::TextRun& run : report.text)
      if (!text && run.text.find("Opaque") != std::string::npos) text = &run;
    ASSERT_NE(text, nullptr);
    EXPECT_GT(text->offset, fill->offset);
    EXPECT_EQ(ropAt(text->offset), 252) << "the merge control is left on for the text";
  }
}

}  // namespace
}  // namespace graphicstest
