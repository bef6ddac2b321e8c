// GDIINFO of both shipped models: printable area, physical offset and size,
// logical resolution, by paper, orientation, margin type, scale and resolution.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "graphics/ddi/device_info.h"
#include "tests/graphics/ddi_fixture.h"

namespace graphicstest {
namespace {

class DdiGdiInfoTest : public DdiPrinterTest {
 protected:
  GDIINFO Info(HANDLE printer, const XDEVMODE& devmode) {
    XDEVMODE copy = devmode;
    GDIINFO gdi{};
    EnabledPdev pdev = Enable(printer, &copy, &gdi);
    EXPECT_NE(pdev, nullptr);
    if (pdev) {
      EXPECT_EQ(pdev->surfaceWidth, LONG(gdi.ulHorzRes));
      EXPECT_EQ(pdev->surfaceHeight, LONG(gdi.ulVertRes));
    }
    return gdi;
  }
};

struct Page {
  const char* what;
  bool colour;
  SHORT paper;
  SHORT orientation;
  SHORT dpi;
  WORD marginType;
  WORD booklet;
  SHORT scale;
  const char* application;
  // Expected.
  ULONG horzRes, vertRes, horzSize, vertSize, logPixels;
  LONG offsetX, offsetY, physX, physY;
};

// Sizes in thousandths of an inch: A4 8267 x 11692, Letter 8500 x 11000. The
// mono model (PCL) keeps 0.25 inch left and right and 0.167 inch top and bottom
// and cannot print into one edge; the colour model (PostScript here) keeps 0.167
// inch everywhere and prints to the edge.
const Page kPages[] = {
    {"mono A4", false, 9, 1, 600, 0, 0, 100, "", 4660, 6815, 197, 288, 600, 150, 100, 4960, 7015},
    {"mono A4 landscape", false, 9, 2, 600, 0, 0, 100, "", 6815, 4660, 288, 197, 600, 100, 150, 7015, 4960},
    {"mono A4 no margins", false, 9, 1, 600, 2, 0, 100, "", 4810, 7015, 204, 297, 600, 150, 0, 4960, 7015},
    {"mono A4 landscape no margins", false, 9, 2, 600, 2, 0, 100, "", 6915, 4960, 293, 210, 600, 0, 0, 7015, 4960},
    {"mono Letter 300 dpi", false, 1, 1, 300, 0, 0, 100, "", 2400, 3200, 203, 271, 300, 75, 50, 2550, 3300},
    {"mono A4 half size", false, 9, 1, 600, 0, 0, 50, "", 4660, 6815, 395, 577, 300, 150, 100, 4960, 7015},
    {"mono A4 half size, document reader", false, 9, 1, 600, 0, 0, 50, "C:\\Reader\\AcroRd32.exe", 4660, 6815, 197, 288,
     600, 150, 100, 4960, 7015},
    {"mono A4 scale 0", false, 9, 1, 600, 0, 0, 0, "", 4660, 6815, 197, 288, 600, 150, 100, 4960, 7015},
    {"colour A4", true, 9, 1, 600, 0, 0, 100, "", 4760, 6815, 201, 288, 600, 100, 100, 4960, 7015},
    {"colour A4 no margins", true, 9, 1, 600, 2, 0, 100, "", 4960, 7015, 210, 297, 600, 0, 0, 4960, 7015},
    {"colour A4 booklet", true, 9, 1, 600, 0, 1, 100, "", 4960, 7015, 210, 297, 600, 0, 0, 4960, 7015},
    {"colour A4 1200 dpi", true, 9, 1, 1200, 0, 0, 100, "", 9520, 13630, 201, 288, 1200, 200, 200, 9920, 14030},
    // The variant model feeds the turned A4 upright.
    {"colour A4 rotated", true, 290, 1, 600, 0, 0, 100, "", 4760, 6815, 201, 288, 600, 100, 100, 4960, 7015},
    {"colour A4 half size, document reader", true, 9, 1, 600, 0, 0, 50, "AcroRd32.exe", 4760, 6815, 403, 577, 300, 100,
     100, 4960, 7015},
};

TEST_F(DdiGdiInfoTest, PrintableAreaOffsetAndResolutionByPage) {
  HANDLE mono = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  HANDLE colour = Install(kColourModel, "Colour", kPdlPs3, 1);
  for (const Page& p : kPages) {
    SCOPED_TRACE(p.what);
    const WORD pdl = p.colour ? kPdlPs3 : kPdlPcl5e;
    XDEVMODE dm = DriverLayout(pdl);
    dm.dmPublic.dmPaperSize = p.paper;
    dm.dmPublic.dmOrientation = p.orientation;
    dm.dmPublic.dmPrintQuality = p.dpi;
    dm.dmPublic.dmScale = p.scale;
    dm.dmPrivate._nMarginType = p.marginType;
    dm.dmPrivate._nBooklet = p.booklet;
    std::strncpy(dm.dmPrivate.applicationPath, p.application, sizeof dm.dmPrivate.applicationPath - 1);
    dm.dmPrivate.applicationMajorVersion = 11;
    const GDIINFO g = Info(p.colour ? colour : mono, dm);
    EXPECT_EQ(g.ulHorzRes, p.horzRes);
    EXPECT_EQ(g.ulVertRes, p.vertRes);
    EXPECT_EQ(g.ulHorzSize, p.horzSize);
    EXPECT_EQ(g.ulVertSize, p.vertSize);
    EXPECT_EQ(g.ulLogPixelsX, p.logPixels);
    EXPECT_EQ(g.ulLogPixelsY, p.logPixels);
    EXPECT_EQ(g.ptlPhysOffset.x, p.offsetX);
    EXPECT_EQ(g.ptlPhysOffset.y, p.offsetY);
    EXPECT_EQ(g.szlPhysSize.cx, p.physX);
    EXPECT_EQ(g.szlPhysSize.cy, p.physY);
    EXPECT_EQ(g.ulPanningHorzRes, p.horzRes);
    EXPECT_EQ(g.ulPanningVertRes, p.vertRes);
    // What does not depend on the page.
    const ULONG dpi = static_cast<ULONG>(p.dpi);
    EXPECT_EQ(g.ulVersion, 0x400u);
    EXPECT_EQ(g.ulTechnology, 2u);
    EXPECT_EQ(g.cBitsPixel, 1u);
    EXPECT_EQ(g.cPlanes, 1u);
    EXPECT_EQ(g.ulNumColors, 256u);
    EXPECT_EQ(g.flTextCaps, p.colour ? 0x19F7u : 0x1807u);
    EXPECT_EQ(g.ulAspectX, dpi);
    EXPECT_EQ(g.ulAspectY, dpi);
    EXPECT_EQ(g.ulAspectXY, dpi * 1414 / 1000);
    EXPECT_EQ(g.xStyleStep, 5);
    EXPECT_EQ(g.yStyleStep, 5);
    EXPECT_EQ(g.denStyleStep, LONG(dpi / 25));
    EXPECT_EQ(g.ulDevicePelsDPI, dpi);
    EXPECT_EQ(g.ulHTPatternSize, 7u);
    EXPECT_EQ(g.ulHTOutputFormat, 0u);
    EXPECT_EQ(g.flHTFlags, 2u);
    EXPECT_EQ(g.ciDevice.Red.x, 6700);
    EXPECT_EQ(g.ciDevice.Cyan.Y, 65535);
    EXPECT_EQ(g.ciDevice.AlignmentWhite.Y, 10000);
    EXPECT_EQ(g.ciDevice.BlueGamma, 10000);
    EXPECT_EQ(g.ciDevice.MagentaInCyanDye, 1648);
    EXPECT_EQ(g.ciDevice.MagentaInYellowDye, 129);
  }
}

// Every paper of both models in both orientations: the printable area lies
// inside the sheet, landscape is portrait turned, and a scale of 0 lays the
// page out as 100 does.
TEST_F(DdiGdiInfoTest, EveryPaperOfBothModelsFitsTheSheetInBothOrientations) {
  struct Model {
    const char* file;
    const char* name;
    WORD pdl;
    DWORD variant;
  } models[] = {{kMonoModel, "Mono", kPdlPcl5e, 0}, {kColourModel, "Colour", kPdlPs3, 1}};
  for (const Model& m : models) {
    HANDLE printer = Install(m.file, m.name, m.pdl, m.variant);
    XDEVMODE probe = DriverLayout(m.pdl);
    EnabledPdev pdev = Enable(printer, &probe);
    ASSERT_NE(pdev, nullptr);
    std::set<WORD> papers;
    for (const PaperEntry& row : pdev->model->papers) {
      if (row.id == 0) break;
      if (row.userSizeMark == 0) papers.insert(static_cast<WORD>(row.id));
    }
    EXPECT_GE(papers.size(), 8u) << m.name;
    for (WORD paper : papers) {
      for (WORD marginType : {WORD{0}, WORD{2}}) {
        SCOPED_TRACE(testing::Message() << m.name << " paper " << paper << " margin type " << marginType);
        XDEVMODE dm = DriverLayout(m.pdl);
        dm.dmPublic.dmPaperSize = static_cast<SHORT>(paper);
        dm.dmPrivate._nMarginType = marginType;
        const GDIINFO portrait = Info(printer, dm);
        dm.dmPublic.dmOrientation = DMORIENT_LANDSCAPE;
        const GDIINFO landscape = Info(printer, dm);
        dm.dmPublic.dmScale = 0;
        const GDIINFO unscaled = Info(printer, dm);

        for (const GDIINFO& g : {portrait, landscape}) {
          EXPECT_GT(g.ulHorzRes, 0u);
          EXPECT_GT(g.ulVertRes, 0u);
          EXPECT_GE(g.ptlPhysOffset.x, 0);
          EXPECT_GE(g.ptlPhysOffset.y, 0);
          EXPECT_LE(LONG(g.ulHorzRes) + g.ptlPhysOffset.x, g.szlPhysSize.cx + 1);
          EXPECT_LE(LONG(g.ulVertRes) + g.ptlPhysOffset.y, g.szlPhysSize.cy + 1);
        }
        // Turned with its margins; without margins a printer that cannot print to
        // the edge keeps a different one in each orientation.
        if (marginType == 0) {
          EXPECT_EQ(landscape.ulHorzRes, portrait.ulVertRes);
          EXPECT_EQ(landscape.ulVertRes, portrait.ulHorzRes);
          EXPECT_EQ(landscape.ulHorzSize, portrait.ulVertSize);
        }
        EXPECT_EQ(landscape.szlPhysSize.cx, portrait.szlPhysSize.cy);
        EXPECT_EQ(landscape.szlPhysSize.cy, portrait.szlPhysSize.cx);
        EXPECT_LE(portrait.szlPhysSize.cx, portrait.szlPhysSize.cy) << "sheets are described upright";
        EXPECT_EQ(std::memcmp(&unscaled, &landscape, sizeof unscaled), 0);
      }
    }
  }
}

}  // namespace
}  // namespace graphicstest
