// Shapes drawn through the stand-in GDI on a device context of a printer whose
// driver is the built graphics library: rectangles, a polygon, a Bézier curve,
// a thick line, a hollow rectangle and a fill through a clip region of two
// rectangles. The PostScript job is rendered by Ghostscript and checked for
// ink where each shape is and none where nothing is; the PCL job is read by
// the structural reader and checked for the HP-GL/2 that draws the shapes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

constexpr char kJobFile[] = "C:\\shapes.prn";

constexpr int kRenderDpi = 50;

class DrawingDeviceContextTest : public GraphicsPrinterTest {
 protected:
  HDC Create(const char* model, const char16_t* name, WORD pdl, DWORD variant) {
    Install(model, platform::FromUtf16(name), pdl, variant);
    // Upright pages: the inches below are along the sheet as it is read.
    XDEVMODE portrait = DriverLayout(pdl);
    portrait.dmPublic.dmFields |= DM_ORIENTATION;
    portrait.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
    return CreateDCW(u"WINSPOOL", name, nullptr, &portrait.dmPublic);
  }

  std::string Job() {
    std::ifstream in(Host(kJobFile), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // One page with every shape, at the device's resolution (MM_TEXT: a logical
  // unit is a device pixel, so the inches below are dpi units).
  void PrintShapes(HDC dc) {
    std::u16string name = u"shapes";
    std::u16string output = platform::ToUtf16(kJobFile);
    DOCINFOW doc{sizeof(DOCINFOW), name.c_str(), output.c_str(), nullptr, 0};
    ASSERT_GT(StartDocW(dc, &doc), 0) << GetLastError();
    ASSERT_GT(StartPage(dc), 0) << GetLastError();
    const int in = GetDeviceCaps(dc, LOGPIXELSX);
    dpi_ = in;
    offsetX_ = GetDeviceCaps(dc, PHYSICALOFFSETX);
    offsetY_ = GetDeviceCaps(dc, PHYSICALOFFSETY);

    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    HBRUSH grey = CreateSolidBrush(RGB(96, 96, 96));
    HPEN thin = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
    HPEN thick = CreatePen(PS_SOLID, in / 20, RGB(0, 0, 0));
    HGDIOBJ oldBrush = SelectObject(dc, black);
    HGDIOBJ oldPen = SelectObject(dc, thin);

    // A filled rectangle: 1-3 in across, 1-2 in down.
    EXPECT_TRUE(Rectangle(dc, in, in, 3 * in, 2 * in)) << GetLastError();
    // A filled triangle with its point down: 5-7 in across, 1-2.5 in down.
    SelectObject(dc, grey);
    const POINT triangle[] = {{5 * in, in}, {7 * in, in}, {6 * in, in * 5 / 2}};
    EXPECT_TRUE(Polygon(dc, triangle, 3)) << GetLastError();
    // A thick Bézier curve through (2.5 in, 4 in) at its middle.
    SelectObject(dc, thick);
    const POINT curve[] = {{in, 4 * in}, {2 * in, 3 * in}, {3 * in, 5 * in}, {4 * in, 4 * in}};
    EXPECT_TRUE(PolyBezier(dc, curve, 4)) << GetLastError();
    // A thick line 5-7 in across at 4 in.
    EXPECT_TRUE(MoveToEx(dc, 5 * in, 4 * in, nullptr));
    EXPECT_TRUE(LineTo(dc, 7 * in, 4 * in)) << GetLastError();
    // A hollow rectangle: 5-7 in across, 5-6.5 in down, its inside left alone.
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(Rectangle(dc, 5 * in, 5 * in, 7 * in, in * 13 / 2)) << GetLastError();
    // A black fill of 0.5-4.5 in x 7.5-8.5 in through two clip rectangles,
    // 1-2 in and 3-4 in across: the gap between them stays white.
    HRGN left = CreateRectRgn(in, in * 15 / 2, 2 * in, in * 17 / 2);
    HRGN right = CreateRectRgn(3 * in, in * 15 / 2, 4 * in, in * 17 / 2);
    EXPECT_NE(CombineRgn(left, left, right, RGN_OR), ERROR);
    EXPECT_NE(SelectClipRgn(dc, left), ERROR);
    SelectObject(dc, black);
    SelectObject(dc, GetStockObject(NULL_PEN));
    EXPECT_TRUE(Rectangle(dc, in / 2, in * 29 / 4, in * 9 / 2, in * 35 / 4)) << GetLastError();
    SelectClipRgn(dc, 0);

    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    for (HGDIOBJ o : {HGDIOBJ(black), HGDIOBJ(grey), HGDIOBJ(thin), HGDIOBJ(thick), HGDIOBJ(left), HGDIOBJ(right)})
      DeleteObject(o);
    ASSERT_GT(EndPage(dc), 0) << GetLastError();
    ASSERT_GT(EndDoc(dc), 0) << GetLastError();
    EXPECT_TRUE(DeleteDC(dc));
  }

  // Dark pixels of the rendered page in a box given in inches of the drawing.
  int Ink(const RenderedPage& page, double x, double y, double w, double h) const {
    const double scale = static_cast<double>(kRenderDpi) / dpi_;
    const double originX = offsetX_ * scale, originY = offsetY_ * scale;
    return page.DarkCount(static_cast<int>(originX + x * kRenderDpi), static_cast<int>(originY + y * kRenderDpi),
                          static_cast<int>(w * kRenderDpi), static_cast<int>(h * kRenderDpi));
  }
  int Area(double w, double h) const { return static_cast<int>(w * kRenderDpi) * static_cast<int>(h * kRenderDpi); }

  int dpi_ = 600;
  int offsetX_ = 0;
  int offsetY_ = 0;
};

TEST_F(DrawingDeviceContextTest, PostScriptShapesInkWhereTheyWereDrawn) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  HDC dc = Create(kColourModel, u"Colour", kPdlPs3, 1);
  ASSERT_NE(dc, 0u) << GetLastError();
  PrintShapes(dc);
  if (HasFatalFailure()) return;
  const testsupport::PclReport report = testsupport::ReadPclJob(Job());
  ASSERT_TRUE(report.ok()) << report.Summary();
  std::string postScript;
  for (const std::string& section : report.PostScript()) postScript += section;
  ASSERT_FALSE(postScript.empty());
  const GhostscriptRun run = RunPostScriptJob(postScript, kRenderDpi);
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u);
  const RenderedPage& page = run.pages[0];

  // Inside the filled rectangle and triangle: all ink.
  EXPECT_EQ(Ink(page, 1.2, 1.2, 1.6, 0.6), Area(1.6, 0.6));
  EXPECT_EQ(Ink(page, 5.8, 1.1, 0.4, 0.5), Area(0.4, 0.5));
  // The curve at its middle and the line.
  EXPECT_GT(Ink(page, 2.4, 3.9, 0.2, 0.2), 0);
  EXPECT_GT(Ink(page, 5.5, 3.9, 1.0, 0.2), Area(1.0, 0.04));
  // The hollow rectangle: its edges inked, its inside white.
  EXPECT_GT(Ink(page, 4.9, 5.2, 0.2, 1.0), 0);
  EXPECT_GT(Ink(page, 6.9, 5.2, 0.2, 1.0), 0);
  EXPECT_EQ(Ink(page, 5.2, 5.2, 1.6, 1.1), 0);
  // The clipped fill: ink in both clip rectangles, none in the gap or beside them.
  EXPECT_EQ(Ink(page, 1.1, 7.6, 0.8, 0.8), Area(0.8, 0.8));
  EXPECT_EQ(Ink(page, 3.1, 7.6, 0.8, 0.8), Area(0.8, 0.8));
  EXPECT_EQ(Ink(page, 2.1, 7.3, 0.8, 1.4), 0);
  EXPECT_EQ(Ink(page, 0.5, 7.3, 0.45, 1.4), 0);
  EXPECT_EQ(Ink(page, 4.05, 7.3, 0.45, 1.4), 0);
  // Nothing where nothing was drawn.
  EXPECT_EQ(Ink(page, 0.2, 9.0, 7.0, 1.0), 0);
  EXPECT_EQ(Ink(page, 3.5, 1.0, 1.2, 1.5), 0);
}

TEST_F(DrawingDeviceContextTest, PclShapesAreHpglTheReaderTakesCleanly) {
  HDC dc = Create(kMonoModel, u"Mono", kPdlPcl5e, 0);
  ASSERT_NE(dc, 0u) << GetLastError();
  PrintShapes(dc);
  if (HasFatalFailure()) return;
  const std::string job = Job();
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  ASSERT_TRUE(report.ok()) << report.Summary();
  EXPECT_FALSE(report.hpglSections.empty());
  for (const auto& section : report.hpglSections) EXPECT_TRUE(section.left);
  const int in = dpi_;
  // The triangle: moved to its first corner, then two edges as a polyline,
  // closed and filled.
  bool triangle = false;
  for (const auto* pe : report.Instructions("PE")) {
    const auto& v = pe->vertices;
    if (v.size() >= 2 && v[0].x == 2 * in && v[0].y == 0 && v[1].x == -in && v[1].y == in * 3 / 2) triangle = true;
  }
  EXPECT_TRUE(triangle);
  bool atTriangle = false;
  for (const auto* pu : report.Instructions("PU"))
    if (pu->numbers.size() == 2 && pu->numbers[0] == 5 * in && pu->numbers[1] == in) atTriangle = true;
  EXPECT_TRUE(atTriangle);
  // The curve as relative Béziers.
  ASSERT_FALSE(report.Instructions("BR").empty());
  const auto& curve = report.Instructions("BR")[0]->numbers;
  ASSERT_EQ(curve.size(), 6u);
  EXPECT_EQ(curve[4], 3 * in);
  EXPECT_EQ(curve[5], 0);
  // Fills, edges, the thick pen, and the window of the clipped fill (set and
  // reset again).
  EXPECT_GE(report.Instructions("FP").size(), 3u);
  EXPECT_GE(report.Instructions("EP").size(), 4u);
  EXPECT_FALSE(report.Instructions("PW").empty());
  int windows = 0, resets = 0;
  for (const auto* iw : report.Instructions("IW")) (iw->numbers.empty() ? resets : windows)++;
  EXPECT_GE(windows, 1);
  EXPECT_EQ(windows, resets);
}

}  // namespace
}  // namespace graphicstest
