// Escapes sent through ExtEscape on the device context of a printer whose
// driver is the built graphics library: the application's own PostScript
// rendered by Ghostscript where it drew, a watermark captured once and laid
// under every page, and a banner page ahead of the document.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "common/pdl_kind.h"
#include "graphics/escapes/escapes.h"
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

constexpr char kJobFile[] = "C:\\escapes.prn";
constexpr int kRenderDpi = 50;

class EscapesDeviceContextTest : public GraphicsPrinterTest {
 protected:
  HDC Create(bool postScript, XDEVMODE* devmode = nullptr) {
    const WORD pdl = postScript ? kPdlPs3 : kPdlPcl5e;
    const char16_t* name = postScript ? u"Colour" : u"Mono";
    Install(postScript ? kColourModel : kMonoModel, platform::FromUtf16(name), pdl, postScript ? 1 : 0);
    XDEVMODE portrait = DriverLayout(pdl);
    if (devmode != nullptr) portrait = *devmode;
    portrait.dmPublic.dmFields |= DM_ORIENTATION;
    portrait.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
    return CreateDCW(u"WINSPOOL", name, nullptr, &portrait.dmPublic);
  }

  void StartDocument(HDC dc) {
    std::u16string name = u"escapes";
    std::u16string output = platform::ToUtf16(kJobFile);
    DOCINFOW doc{sizeof(DOCINFOW), name.c_str(), output.c_str(), nullptr, 0};
    ASSERT_GT(StartDocW(dc, &doc), 0) << GetLastError();
    dpi_ = GetDeviceCaps(dc, LOGPIXELSX);
    offsetX_ = GetDeviceCaps(dc, PHYSICALOFFSETX);
    offsetY_ = GetDeviceCaps(dc, PHYSICALOFFSETY);
  }

  void EndDocument(HDC dc) {
    ASSERT_GT(EndDoc(dc), 0) << GetLastError();
    EXPECT_TRUE(DeleteDC(dc));
  }

  static int Send(HDC dc, ULONG escape, const std::string& in) {
    return ExtEscape(dc, static_cast<int>(escape), static_cast<int>(in.size()), in.data(), 0, nullptr);
  }
  static std::string Counted(const std::string& data) {
    const WORD count = static_cast<WORD>(data.size());
    return std::string(reinterpret_cast<const char*>(&count), 2) + data;
  }
  static std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

  // A black rectangle in inches of the device context.
  void Box(HDC dc, double left, double top, double right, double bottom) {
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    HGDIOBJ oldBrush = SelectObject(dc, black);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    EXPECT_TRUE(Rectangle(dc, static_cast<int>(left * dpi_), static_cast<int>(top * dpi_),
                          static_cast<int>(right * dpi_), static_cast<int>(bottom * dpi_)));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(black);
  }

  std::string Job() {
    std::ifstream in(Host(kJobFile), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  GhostscriptRun Render() {
    const testsupport::PclReport report = testsupport::ReadPclJob(Job());
    EXPECT_TRUE(report.ok()) << report.Summary();
    std::string postScript;
    for (const std::string& section : report.PostScript()) postScript += section;
    return RunPostScriptJob(postScript, kRenderDpi);
  }

  // Dark pixels of a rendered page in a box given in inches of the device context.
  int Ink(const RenderedPage& page, double x, double y, double w, double h) const {
    const double scale = static_cast<double>(kRenderDpi) / dpi_;
    return page.DarkCount(static_cast<int>(offsetX_ * scale + x * kRenderDpi),
                          static_cast<int>(offsetY_ * scale + y * kRenderDpi), static_cast<int>(w * kRenderDpi),
                          static_cast<int>(h * kRenderDpi));
  }
  static int Area(double w, double h) { return static_cast<int>(w * kRenderDpi) * static_cast<int>(h * kRenderDpi); }

  int dpi_ = 600;
  int offsetX_ = 0;
  int offsetY_ = 0;
};

TEST_F(EscapesDeviceContextTest, ApplicationPostScriptInksWhereItDrew) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  HDC dc = Create(true);
  ASSERT_NE(dc, 0u) << GetLastError();
  StartDocument(dc);
  ASSERT_GT(StartPage(dc), 0);
  // The application's PostScript is in the page's device units, y down: a
  // square from 1 to 2 inches across and down.
  const std::string square = "\n0 setgray " + std::to_string(dpi_) + " dup moveto " + std::to_string(dpi_) +
                             " 0 rlineto 0 " + std::to_string(dpi_) + " rlineto " + std::to_string(-dpi_) +
                             " 0 rlineto closepath fill\n";
  const std::string data = Counted(square);
  EXPECT_EQ(Send(dc, kEscPassThrough, data), static_cast<int>(square.size()));
  ASSERT_GT(EndPage(dc), 0);
  EndDocument(dc);
  const GhostscriptRun run = Render();
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u);
  EXPECT_EQ(Ink(run.pages[0], 1.1, 1.1, 0.8, 0.8), Area(0.8, 0.8));
  EXPECT_EQ(Ink(run.pages[0], 2.2, 0.2, 4.0, 4.0), 0);
}

TEST_F(EscapesDeviceContextTest, BannerPageComesFirstAndKeepsItsOwnDrawing) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  HDC dc = Create(true);
  ASSERT_NE(dc, 0u) << GetLastError();
  StartDocument(dc);
  // The banner and the watermark are drawn on a page of their own, which the
  // capture keeps out of the document's pages.
  Send(dc, kEscBannerBegin, "");
  ASSERT_GT(StartPage(dc), 0);
  Box(dc, 1, 1, 3, 2);
  ASSERT_GT(EndPage(dc), 0);
  Send(dc, kEscBannerEnd, Dword(1));
  ASSERT_GT(StartPage(dc), 0);
  Box(dc, 1, 5, 3, 6);
  ASSERT_GT(EndPage(dc), 0);
  EndDocument(dc);
  EXPECT_NE(Job().find("%%Banner page"), std::string::npos);
  const GhostscriptRun run = Render();
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 2u);
  // The banner is drawn from the corner of the printer's imageable area, not
  // from the page's printable offset: only its inside is checked.
  EXPECT_EQ(Ink(run.pages[0], 1.3, 1.3, 1.4, 0.4), Area(1.4, 0.4));
  EXPECT_EQ(Ink(run.pages[0], 1.1, 5.1, 1.8, 0.8), 0);
  EXPECT_EQ(Ink(run.pages[1], 1.1, 5.1, 1.8, 0.8), Area(1.8, 0.8));
  EXPECT_EQ(Ink(run.pages[1], 1.1, 1.1, 1.8, 0.8), 0);
}

TEST_F(EscapesDeviceContextTest, CapturedWatermarkIsLaidUnderEveryPage) {
  XDEVMODE devmode = DriverLayout(kPdlPcl5e);
  std::strcpy(devmode.dmPrivate._wmCurrent.text, "DRAFT");
  devmode.dmPrivate._bWmBackground = 1;
  // The user-interface library leaves its own decorations out of this job, so
  // that the capture holds only what the test draws.
  devmode.dmPrivate._dwAdvSettings |= kAdvEmfSpooling;
  HDC dc = Create(false, &devmode);
  ASSERT_NE(dc, 0u) << GetLastError();
  StartDocument(dc);
  // The user-interface library draws the watermark once, into the capture.
  Send(dc, kEscWatermarkBegin, Dword(1));
  ASSERT_GT(StartPage(dc), 0);
  Box(dc, 1, 1, 3, 2);
  ASSERT_GT(EndPage(dc), 0);
  Send(dc, kEscWatermarkEnd, Dword(0));
  for (int page = 0; page < 3; ++page) {
    ASSERT_GT(StartPage(dc), 0);
    ASSERT_GT(EndPage(dc), 0);
  }
  EndDocument(dc);
  const std::string job = Job();
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  EXPECT_TRUE(report.ok()) << report.Summary();
  // The rectangle's HP-GL/2 polygon, as the capture holds it, once per page.
  const std::string rectangle = "PM2FP;";
  size_t count = 0;
  for (size_t at = job.find(rectangle); at != std::string::npos; at = job.find(rectangle, at + 1)) ++count;
  EXPECT_EQ(count, 3u) << job;
}

TEST_F(EscapesDeviceContextTest, CaptureInsideACaptureComesBackToTheJob) {
  XDEVMODE devmode = DriverLayout(kPdlPcl5e);
  std::strcpy(devmode.dmPrivate._wmCurrent.text, "DRAFT");
  devmode.dmPrivate._bWmBackground = 1;
  HDC dc = Create(false, &devmode);
  ASSERT_NE(dc, 0u) << GetLastError();
  StartDocument(dc);
  // The application brackets a page of its own with the watermark escapes;
  // at that page's start the user-interface library captures its watermark
  // inside the application's capture.
  Send(dc, kEscWatermarkBegin, Dword(1));
  ASSERT_GT(StartPage(dc), 0);
  Box(dc, 1, 1, 3, 2);
  ASSERT_GT(EndPage(dc), 0);
  Send(dc, kEscWatermarkEnd, Dword(1));
  ASSERT_GT(StartPage(dc), 0);
  Box(dc, 1, 5, 3, 6);
  ASSERT_GT(EndPage(dc), 0);
  EndDocument(dc);
  const std::string job = Job();
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  EXPECT_TRUE(report.ok()) << report.Summary();
  EXPECT_NE(job.find("@PJL EOJ"), std::string::npos);
}

TEST_F(EscapesDeviceContextTest, TabPagesAreCapturedOutOfTheDocument) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  HDC dc = Create(true);
  ASSERT_NE(dc, 0u) << GetLastError();
  StartDocument(dc);
  ASSERT_GT(StartPage(dc), 0);
  Box(dc, 1, 5, 3, 6);
  ASSERT_GT(EndPage(dc), 0);
  DWORD pages = 0;
  const DWORD ask = 0;
  EXPECT_EQ(ExtEscape(dc, kEscTabPageBegin, sizeof ask, reinterpret_cast<const char*>(&ask), sizeof pages,
                      reinterpret_cast<char*>(&pages)),
            0);
  EXPECT_EQ(pages, 1u);
  // A tab page as the user-interface library draws it: kept in the tab
  // capture until a page-ticket table asks for it.
  Send(dc, kEscTabPageBegin, Dword(1));
  ASSERT_GT(StartPage(dc), 0);
  const std::string sheet = Dword(1) + Dword(4) + Dword(1);
  Send(dc, kEscTabSheetBegin, sheet);
  Box(dc, 1, 1, 3, 2);
  Send(dc, kEscTabSheetEnd, sheet);
  ASSERT_GT(EndPage(dc), 0);
  Send(dc, kEscTabPageEnd, sheet);
  EndDocument(dc);
  const GhostscriptRun run = Render();
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u);
  EXPECT_EQ(Ink(run.pages[0], 1.1, 5.1, 1.8, 0.8), Area(1.8, 0.8));
  EXPECT_EQ(Ink(run.pages[0], 1.1, 1.1, 1.8, 0.8), 0);
}

}  // namespace
}  // namespace graphicstest
