// The vector writer's selections: solid colours, brushes (hatches and pattern
// brushes) and line attributes, byte-exact in PostScript, PCL and HP-GL/2,
// and the caches that keep runs of drawing calls from repeating them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/output/halftone/halftone.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/output/vector/vector_clip.h"
#include "graphics/output/vector/vector_color.h"
#include "graphics/output/vector/vector_line.h"
#include "graphics/output/vector/vector_pattern.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_targets.h"
#include "graphics/util/diagnostic.h"
#include "graphics/util/graphics_heap.h"
#include "platform/gdi/engine.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/graphics/vector_fixture.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

using pagesetup::LeaveHpgl;
using platform::gdi::Xform;

constexpr WORD kPs = kPdlPs3;       // 0x103
constexpr WORD kPcl5e = kPdlPcl5e;  // 0x0C: user patterns of format 20
constexpr WORD kPcl5 = kPdlPcl5;    // 0x04: format 0, rectangles of patterns in HP-GL/2
constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kGrey = 0x808080;
constexpr DWORD kRed = 0x0000FF;

// The 8 x 8 cell of 50% grey (180 after the curve, level 45 of 64), and the
// same cell as HP-GL/2 raster-fill values.
const std::string kGreyCell = Raw({0x07, 0x07, 0x07, 0x00, 0x70, 0x70, 0x70, 0x40});

std::string CellValues(const std::string& rows) {
  std::string values;
  for (char row : rows) {
    for (int c = 0; c < 8; ++c) {
      if (!values.empty()) values += ',';
      values += ((static_cast<BYTE>(row) >> (7 - c)) & 1) ? '1' : '0';
    }
  }
  return values;
}

TEST(VectorColourTest, SolidColoursInEachLanguage) {
  const std::string format20 = Raw({20, 0, 1, 0, 0, 8, 0, 8, 0x02, 0x58, 0x02, 0x58});  // 600 dpi
  const std::string format0 = Raw({0, 0, 1, 0, 0, 8, 0, 8});
  struct Case {
    const char* what;
    WORD pdl;
    bool inHpgl;
    DWORD rgb;
    DWORD target;
    int index;
    std::string written;
  } cases[] = {
      {"PostScript black", kPs, false, 0, kTargetPostScript, kHpglFill, " 0 g"},
      {"PostScript white", kPs, false, kWhite, kTargetPostScript, kHpglFill, " 1 g"},
      {"PostScript grey", kPs, false, kGrey, kTargetPostScript, kHpglFill, " 128 255 div g"},
      {"PostScript red: weighted, no curve", kPs, false, kRed, kTargetPostScript, kHpglFill, " 76 255 div g"},
      {"PostScript by the job's PdlKind", kPs, false, kGrey, kPdlPs2, kHpglFill, " 128 255 div g"},
      {"PCL black", kPcl5e, false, 0, kTargetPcl, kHpglFill, Esc("ESC*v1OESC*v0T")},
      {"PCL white", kPcl5e, false, kWhite, 8, kHpglFill, Esc("ESC*v1OESC*v1T")},
      {"PCL leaves HP-GL/2 first", kPcl5e, true, 0, kTargetPcl, kHpglFill, Esc("ESC%0AESC*v1OESC*v0T")},
      {"PCL grey: a format 20 user pattern", kPcl5e, false, kGrey, kTargetPcl, kHpglFill,
       Esc("ESC*v1OESC*c1g20W") + format20 + kGreyCell + Esc("ESC*v4T")},
      {"PCL grey: a format 0 user pattern", kPcl5, false, kGrey, kPdlPcl5, kHpglFill,
       Esc("ESC*v1OESC*c1g16W") + format0 + kGreyCell + Esc("ESC*v4T")},
      {"HP-GL/2 fill black", kPcl5e, false, 0, kTargetHpgl, kHpglFill, Esc("ESC%0BFT;")},
      {"HP-GL/2 fill white", kPcl5e, false, kWhite, kTargetHpgl, kHpglFill, Esc("ESC%0BFT10,0;")},
      {"HP-GL/2 pen black", kPcl5e, false, 0, kTargetHpgl, kHpglPen, Esc("ESC%0BSV;")},
      {"HP-GL/2 pen white", kPcl5e, false, kWhite, kTargetHpgl, kHpglPen, Esc("ESC%0BSV1, 0;")},
      {"HP-GL/2 fill grey, already in HP-GL/2", kPcl5e, true, kGrey, kTargetHpgl, kHpglFill,
       "RF1,8,8," + CellValues(kGreyCell) + ";FT11,1;"},
      {"HP-GL/2 pen grey", kPcl5e, false, kGrey, kTargetHpgl, kHpglPen,
       Esc("ESC%0BRF2,8,8,") + CellValues(kGreyCell) + ";SV2,2,0;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(c.pdl);
    ASSERT_TRUE(pdev);
    pdev->job.inHpgl = c.inHpgl;
    EXPECT_EQ(Captured(pdev.get(), [&] { EXPECT_TRUE(SelectFillHpglPs(pdev.get(), c.rgb, TRUE, c.target, c.index)); }),
              c.written);
    EXPECT_EQ(pdev->job.inHpgl, c.target == kTargetHpgl ? 1 : c.pdl == kPs ? c.inHpgl : 0);
  }
  EXPECT_FALSE(SelectFillHpglPs(nullptr, 0, TRUE, kTargetPostScript, kHpglFill));
}

TEST(VectorColourTest, RepeatedColoursAreWrittenOnceWhileInForce) {
  PdevPtr ps = BarePdev(kPs);
  ASSERT_TRUE(ps);
  PDEV* p = ps.get();
  auto select = [&](DWORD rgb, BOOL remember = TRUE) {
    return Captured(p, [&] { SelectFillHpglPs(p, rgb, remember, kTargetPostScript, kHpglFill); });
  };
  EXPECT_EQ(select(0), " 0 g");
  EXPECT_EQ(select(0), "");
  EXPECT_EQ(select(0, FALSE), "") << "in force, whatever remember says";
  EXPECT_EQ(select(kGrey, FALSE), " 128 255 div g");
  EXPECT_EQ(select(kGrey, FALSE), " 128 255 div g") << "not remembered";
  EXPECT_EQ(select(kGrey), " 128 255 div g");
  EXPECT_EQ(select(kGrey | 0xFF000000), "") << "only the colour bytes count";

  // A clip bracket's grestore gives back the state before it.
  const RECTL clip{5, 6, 105, 206};
  EXPECT_EQ(Captured(p, [&] { BeginClipRect(p, &clip); }), " gs 5 6 100 200 rc\n");
  EXPECT_EQ(select(kGrey), "");
  EXPECT_EQ(Captured(p, [&] { EndClipRect(p); }), " gr\n");
  EXPECT_EQ(select(kGrey), " 128 255 div g");
  // So does every grestore and page restore of the page's save levels.
  for (int level : {kRestoreGraphics, kRestorePage}) {
    SCOPED_TRACE(level);
    Captured(p, [&] { EmitSaveRestore(p, level); });
    EXPECT_EQ(select(kGrey), " 128 255 div g");
    EXPECT_EQ(select(kGrey), "");
  }
  InvalidateVectorState(p, kStaleColor);
  EXPECT_EQ(select(kGrey), " 128 255 div g");

  // PCL sends the pattern transparency once per sheet, and again after the
  // page state is reset.
  PdevPtr pcl = BarePdev(kPcl5e);
  ASSERT_TRUE(pcl);
  auto pclSelect = [&](DWORD rgb) {
    return Captured(pcl.get(), [&] { SelectFillHpglPs(pcl.get(), rgb, TRUE, kTargetPcl, kHpglFill); });
  };
  EXPECT_EQ(pclSelect(0), Esc("ESC*v1OESC*v0T"));
  EXPECT_EQ(pclSelect(kWhite), Esc("ESC*v1T"));
  EXPECT_EQ(pclSelect(kWhite), "");
  ResetVectorPageState(pcl.get());
  EXPECT_EQ(pclSelect(kWhite), Esc("ESC*v1OESC*v1T"));
  // A printer reset written by the device settings ("ESC E") drops the
  // selection and the transparency: both are sent again.
  pcl->writers.deviceSettings.printerResets += 1;
  EXPECT_EQ(pclSelect(kWhite), Esc("ESC*v1OESC*v1T"));
  EXPECT_EQ(pclSelect(kWhite), "");

  // The HP-GL/2 fill and pen are two selections.
  auto hpglSelect = [&](DWORD rgb, int index) {
    return Captured(pcl.get(), [&] { SelectFillHpglPs(pcl.get(), rgb, TRUE, kTargetHpgl, index); });
  };
  EXPECT_EQ(hpglSelect(0, kHpglFill), Esc("ESC%0BFT;"));
  EXPECT_EQ(hpglSelect(0, kHpglPen), "SV;");
  EXPECT_EQ(hpglSelect(0, kHpglFill), "");
  EXPECT_EQ(hpglSelect(0, kHpglPen), "");
  InvalidateVectorState(pcl.get(), kStaleHpglPen);
  EXPECT_EQ(hpglSelect(0, kHpglFill), "");
  EXPECT_EQ(hpglSelect(0, kHpglPen), "SV;");
}

// --- Brushes -----------------------------------------------------------------

// The horizontal hatch as a PostScript tiling pattern: 32 x 8 bits, 0 bits
// (the line in row 4) painted black over white, four device dots a bit.
const std::string kHorizontalHatchPs =
    "\n<</PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 32 8] /XStep 32 /YStep 8 /im matrix \n"
    "/sPattern <FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00000000FFFFFFFFFFFFFFFFFFFFFFFF>\n"
    " /PaintProc {begin 0 0 32 8 255 255 div g rf 0 255 div g 32 8 false im sPattern imagemask end}bind >>\n"
    "[4 0 0 4 0 0] makepattern setpattern\n\n";

// The vertical hatch as a PCL user pattern of format 0, enlarged to 128 x 32:
// each row 00 00 F0 00 four times (ink = 1 where the source bit 4 was 0).
std::string VerticalHatchPcl() {
  std::string rows;
  for (int r = 0; r < 32; ++r) {
    for (int k = 0; k < 4; ++k) rows += Raw({0x00, 0x00, 0xF0, 0x00});
  }
  return Esc("ESC*c1g520W") + Raw({0, 0, 1, 0, 0, 32, 0, 128}) + rows + Esc("ESC*v1o4T");
}

TEST(VectorBrushTest, SolidHollowAndHatchBrushes) {
  struct Case {
    const char* what;
    WORD pdl;
    TestBrush brush;
    DWORD target;
    std::string written;
  } cases[] = {
      {"PostScript solid brush", kPs, TestBrush::Solid(kGrey), kTargetPostScript, " 128 255 div g\n"},
      {"PostScript realised solid", kPs, TestBrush::Realized(kBrushKindSolid, 0, kWhite), kTargetPostScript, " 0 g\n"},
      {"PostScript hollow", kPs, TestBrush::Realized(kBrushKindHollow, 0, kWhite), kTargetPostScript, "\n"},
      {"PCL hollow", kPcl5e, TestBrush::Realized(kBrushKindHollow, 0, kWhite), kTargetPcl, ""},
      {"PCL solid brush", kPcl5e, TestBrush::Solid(0), kTargetPcl, Esc("ESC*v1OESC*v0T")},
      {"HP-GL/2 solid brush", kPcl5e, TestBrush::Solid(kWhite), kTargetHpgl, Esc("ESC%0BFT10,0;")},
      {"PostScript horizontal hatch", kPs, TestBrush::Hatch(0), kTargetPostScript, kHorizontalHatchPs},
      {"PCL vertical hatch", kPcl5, TestBrush::Hatch(1), kPdlPcl5, VerticalHatchPcl()},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(c.pdl);
    ASSERT_TRUE(pdev);
    EXPECT_EQ(
        Captured(pdev.get(), [&] { EXPECT_TRUE(DownloadFillPattern(pdev.get(), c.brush.get(), TRUE, c.target, 0)); }),
        c.written);
  }
}

TEST(VectorBrushTest, HatchStylesInHpglRasterFills) {
  // Each style's lines, as the 1-bit rows of a 32 x 8 tile (1 = line).
  const std::vector<std::vector<BYTE>> lines = {
      {0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
      {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},
      {0x08, 0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08}, {0x80, 0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41},
  };
  for (DWORD style : {0u, 1u, 2u, 3u, 4u, 5u, 9u}) {
    for (int index : {kHpglFill, kHpglPen}) {
      SCOPED_TRACE(testing::Message() << "style " << style << (index == kHpglPen ? " pen" : " fill"));
      PdevPtr pdev = BarePdev(kPcl5e);
      ASSERT_TRUE(pdev);
      TestBrush hatch = TestBrush::Hatch(style);
      const std::string bytes = Captured(pdev.get(), [&] {
        EXPECT_TRUE(DownloadFillPattern(pdev.get(), hatch.get(), TRUE, kTargetHpgl, index));
        EXPECT_EQ(LeaveHpgl(pdev.get()), 1);
      });
      const testsupport::PclReport report = testsupport::ReadPclJob(bytes);
      ASSERT_TRUE(report.ok()) << report.Summary();
      ASSERT_EQ(report.hpglSections.size(), 1u);
      EXPECT_TRUE(report.hpglSections[0].left);
      const auto rf = report.Instructions("RF");
      ASSERT_EQ(rf.size(), 1u);
      const std::vector<double>& n = rf[0]->numbers;
      ASSERT_EQ(n.size(), 3u + 128 * 32);
      EXPECT_EQ(n[0], index == kHpglPen ? 2 : 1);
      EXPECT_EQ(n[1], 128);
      EXPECT_EQ(n[2], 32);
      // Styles above 5 are drawn as the forward diagonal.
      const std::vector<BYTE>& tile = lines[style < 6 ? style : 2];
      int wrong = 0;
      for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 128; ++x) {
          const int line = (tile[size_t(y / 4)] >> (7 - (x / 4) % 8)) & 1;
          if (n[size_t(3 + y * 128 + x)] != line) ++wrong;
        }
      }
      EXPECT_EQ(wrong, 0);
      const auto select = report.Instructions(index == kHpglPen ? "SV" : "FT");
      ASSERT_EQ(select.size(), 1u);
      EXPECT_EQ(select[0]->numbers, (index == kHpglPen ? std::vector<double>{2, 2, 0} : std::vector<double>{11, 1}));
    }
  }
}

TEST(VectorBrushTest, PatternColoursBecomeBlackAndWhiteOrAreDithered) {
  // A 2 x 1 pattern: the left pixel foreground (bit 0), the right background.
  // Enlarged it is 8 x 4; the PCL row is the ink of the two halves.
  struct Case {
    const char* what;
    DWORD foreground;
    DWORD background;
    int ink;
  } cases[] = {
      {"black on white", 0, kWhite, 0xF0},
      {"white on black", kWhite, 0, 0x0F},
      {"white on white", kWhite, kWhite, 0x00},
      {"black on black", 0, 0, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(kPcl5);
    ASSERT_TRUE(pdev);
    TestBrush brush = TestBrush::Realized(kBrushKindPattern, c.foreground, c.background, 2, 1, {0x40, 0x00});
    EXPECT_EQ(Captured(pdev.get(), [&] { EXPECT_TRUE(DownloadFillPattern(pdev.get(), brush.get(), TRUE, 4, 0)); }),
              Esc("ESC*c1g12W") + Raw({0, 0, 1, 0, 0, 4, 0, 8, c.ink, c.ink, c.ink, c.ink}) + Esc("ESC*v1o4T"));
  }

  // Any other pair is dithered: a 4 x 4 red pattern is one 16 x 16 tile of
  // the threshold matrix at grey 139, so 139 of its 256 dots stay white.
  for (bool hpgl : {false, true}) {
    SCOPED_TRACE(hpgl ? "HP-GL/2" : "PCL");
    PdevPtr pdev = BarePdev(kPcl5e);
    ASSERT_TRUE(pdev);
    pdev->writers.raster.ditherPhase = 5;
    TestBrush red = TestBrush::Realized(kBrushKindPattern, kRed, kWhite, 4, 4, {0, 0, 0, 0});
    const std::string bytes = Captured(pdev.get(), [&] {
      EXPECT_TRUE(DownloadFillPattern(pdev.get(), red.get(), TRUE, hpgl ? kTargetHpgl : kTargetPcl, 0));
      LeaveHpgl(pdev.get());
    });
    EXPECT_EQ(pdev->writers.raster.ditherPhase, 5) << "an image's dither phase is left as it was";
    const testsupport::PclReport report = testsupport::ReadPclJob(bytes);
    ASSERT_TRUE(report.ok()) << report.Summary();
    int ink = 0;
    if (hpgl) {
      const auto rf = report.Instructions("RF");
      ASSERT_EQ(rf.size(), 1u);
      ASSERT_EQ(rf[0]->numbers.size(), 3u + 256);
      for (size_t i = 3; i < rf[0]->numbers.size(); ++i) ink += rf[0]->numbers[i] == 1;
    } else {
      const auto pattern = report.Find("*c", 'W');
      ASSERT_EQ(pattern.size(), 1u);
      ASSERT_EQ(pattern[0]->data.size(), 12u + 32);
      EXPECT_EQ(pattern[0]->data.substr(0, 12), Raw({20, 0, 1, 0, 0, 16, 0, 16, 0x02, 0x58, 0x02, 0x58}));
      for (size_t i = 12; i < pattern[0]->data.size(); ++i) ink += __builtin_popcount(BYTE(pattern[0]->data[i]));
    }
    EXPECT_EQ(ink, 256 - 139);
  }
}

TEST(VectorBrushTest, PatternsAreSentOnceWhileInForce) {
  PdevPtr pdev = BarePdev(kPs);
  ASSERT_TRUE(pdev);
  PDEV* p = pdev.get();
  TestBrush horizontal = TestBrush::Hatch(0);
  TestBrush grey = TestBrush::Hatch(0, kGrey);
  TestBrush vertical = TestBrush::Hatch(1);
  auto select = [&](TestBrush& brush, BOOL remember = TRUE) {
    return Captured(p, [&] { EXPECT_TRUE(DownloadFillPattern(p, brush.get(), remember, kTargetPostScript, 0)); });
  };
  EXPECT_EQ(select(horizontal), kHorizontalHatchPs);
  EXPECT_EQ(select(horizontal), "");
  EXPECT_NE(select(grey), "") << "other colours";
  EXPECT_NE(select(horizontal), "");
  EXPECT_NE(select(vertical), "") << "other bits";
  EXPECT_EQ(select(vertical), "");
  // A solid colour of the pattern's foreground replaces it, and the pattern
  // is selected again after it.
  EXPECT_EQ(Captured(p, [&] { SelectFillHpglPs(p, 0, TRUE, kTargetPostScript, 0); }), " 0 g");
  EXPECT_NE(select(vertical), "");
  EXPECT_EQ(select(vertical), "");
  Captured(p, [&] { EmitSaveRestore(p, kRestoreGraphics); });
  EXPECT_NE(select(vertical), "");
  EXPECT_EQ(select(vertical), "");

  // The copy that lets the cache compare bits cannot be made: the pattern is
  // written again next time.
  FailGraphicsHeapAfter(0);
  EXPECT_EQ(select(horizontal), kHorizontalHatchPs);
  FailGraphicsHeapAfter(-1);
  EXPECT_EQ(select(horizontal), kHorizontalHatchPs);
  EXPECT_EQ(select(horizontal), "");

  // HP-GL/2: the fill and the pen each keep their own pattern. A pen pattern
  // of the same colours must not pass for the fill's.
  PdevPtr pcl = BarePdev(kPcl5e);
  ASSERT_TRUE(pcl);
  auto hpgl = [&](TestBrush& brush, int index) {
    return Captured(pcl.get(),
                    [&] { EXPECT_TRUE(DownloadFillPattern(pcl.get(), brush.get(), TRUE, kTargetHpgl, index)); });
  };
  EXPECT_NE(hpgl(horizontal, kHpglFill), "");
  EXPECT_NE(hpgl(vertical, kHpglPen), "");
  EXPECT_EQ(hpgl(horizontal, kHpglFill), "");
  EXPECT_EQ(hpgl(vertical, kHpglPen), "");
  const std::string fillVertical = hpgl(vertical, kHpglFill);
  EXPECT_NE(fillVertical.find("RF1,128,32"), std::string::npos);
  EXPECT_NE(fillVertical.find(";FT11,1;"), std::string::npos);

  // PCL: the transparency goes with the first pattern of the sheet only; an
  // out-of-memory conversion selects nothing and says so.
  PdevPtr plain = BarePdev(kPcl5);
  ASSERT_TRUE(plain);
  auto pclSelect = [&](TestBrush& brush) {
    return Captured(plain.get(), [&] { DownloadFillPattern(plain.get(), brush.get(), TRUE, kPdlPcl5, 0); });
  };
  EXPECT_EQ(pclSelect(vertical), VerticalHatchPcl());
  const std::string second = pclSelect(horizontal);
  EXPECT_EQ(second.substr(second.size() - 5), Esc("ESC*v4T"));
  EXPECT_EQ(second.find(Esc("ESC*v1o")), std::string::npos);
  FailGraphicsHeapAfter(0);
  EXPECT_EQ(Captured(plain.get(), [&] { EXPECT_FALSE(DownloadFillPattern(plain.get(), vertical.get(), TRUE, 4, 0)); }),
            "");
  FailGraphicsHeapAfter(-1);
}

std::vector<std::string>& Diagnostics() {
  static std::vector<std::string> tags;
  return tags;
}

TEST(VectorBrushTest, BrushesThatCannotBeSelected) {
  Diagnostics().clear();
  const DiagnosticObserver previous = SetDiagnosticObserver([](const char* tag) { Diagnostics().push_back(tag); });
  PdevPtr pdev = BarePdev(kPcl5e);
  ASSERT_TRUE(pdev);
  TestBrush unrealised = TestBrush::Unrealized();
  TestBrush unknownKind = TestBrush::Realized(4, 0, kWhite, 8, 1, {0x55, 0});
  TestBrush noWidth = TestBrush::Realized(kBrushKindPattern, 0, kWhite, 0, 1, {0x55, 0});
  TestBrush tooTall = TestBrush::Realized(kBrushKindPattern, 0, kWhite, 1, 20000, {0x55, 0});
  TestBrush solid = TestBrush::Solid(0);
  for (TestBrush* brush : {&unrealised, &unknownKind, &noWidth, &tooTall}) {
    for (DWORD target : {kTargetPostScript, kTargetPcl, kTargetHpgl}) {
      EXPECT_EQ(
          Captured(pdev.get(), [&] { EXPECT_FALSE(DownloadFillPattern(pdev.get(), brush->get(), TRUE, target, 0)); }),
          "");
    }
  }
  EXPECT_FALSE(DownloadFillPattern(pdev.get(), nullptr, TRUE, kTargetPcl, 0));
  EXPECT_FALSE(DownloadFillPattern(nullptr, solid.get(), TRUE, kTargetPcl, 0));
  SetDiagnosticObserver(previous);
  // Each refused realisation is named: a shape that goes on without it is
  // drawn with the fill in force before.
  EXPECT_EQ(Diagnostics(), std::vector<std::string>(12, "FILLPATTERN"));
}

// --- Line attributes -----------------------------------------------------------

struct LineSpec {
  FLONG fl = 0;
  float geometricWidth = 0;
  LONG cosmeticWidth = 1;
  ULONG cap = ENDCAP_ROUND;
  ULONG join = JOIN_ROUND;
  std::vector<float> dashes;  // geometric, pixels
  std::vector<LONG> styles;   // cosmetic, style units
  LONG styleState = 0;
};

class Line {
 public:
  explicit Line(const LineSpec& spec) {
    attrs_.fl = spec.fl;
    attrs_.iEndCap = spec.cap;
    attrs_.iJoin = spec.join;
    if (spec.fl & LA_GEOMETRIC) {
      attrs_.elWidth.e = spec.geometricWidth;
      for (float dash : spec.dashes) style_.push_back(FLOAT_LONG{.e = dash});
    } else {
      attrs_.elWidth.l = spec.cosmeticWidth;
      for (LONG unit : spec.styles) style_.push_back(FLOAT_LONG{.l = unit});
    }
    attrs_.cstyle = static_cast<ULONG>(style_.size());
    attrs_.pstyle = style_.empty() ? nullptr : style_.data();
    attrs_.elStyleState.l = spec.styleState;
  }
  LINEATTRS* get() { return &attrs_; }

 private:
  LINEATTRS attrs_{};
  std::vector<FLOAT_LONG> style_;
};

TEST(VectorLineTest, WidthDashesCapsJoinsAndPenColour) {
  constexpr FLONG kGeometric = LA_GEOMETRIC;
  const std::string hpglCaps = "LA1,4LA2,4;";
  struct Case {
    const char* what;
    WORD pdl;
    WORD dpi;
    LineSpec spec;
    DWORD rgb;
    std::string written;
  } cases[] = {
      {"cosmetic solid", kPs, 600, {}, 0, " [] 0 sd 0 g 1 lw 1 lc 1 lj\n"},
      {"width 0 is drawn 1 wide", kPs, 600, {.cosmeticWidth = 0}, 0, " [] 0 sd 0 g 1 lw 1 lc 1 lj\n"},
      // clang-format off
      {"geometric, butt, miter", kPs, 600,
       {.fl = kGeometric, .geometricWidth = 10.4f, .cap = ENDCAP_BUTT, .join = JOIN_MITER}, 0,
       " [] 0 sd 0 g 10 lw 0 lc 0 lj\n"},
      {"square, bevel", kPs, 600, {.fl = kGeometric, .geometricWidth = 3, .cap = ENDCAP_SQUARE, .join = JOIN_BEVEL},
       0, " [] 0 sd 0 g 3 lw 2 lc 2 lj\n"},
      {"geometric dashes in pixels", kPs, 600, {.fl = kGeometric, .geometricWidth = 2, .dashes = {30.0f, 10.4f}}, 0,
       // clang-format on
       " [30 10 ] 0 sd 0 g 2 lw 1 lc 1 lj\n"},
      {"cosmetic styles: units of dpi / 25", kPs, 600, {.styles = {3, 1}}, 0, " [72 24 ] 0 sd 0 g 1 lw 1 lc 1 lj\n"},
      {"cosmetic alternate", kPs, 600, {.fl = LA_ALTERNATE, .styleState = 5}, 0, " [1] 5 sd 0 g 1 lw 1 lc 1 lj\n"},
      {"grey line", kPs, 600, {}, kGrey, " [] 0 sd 128 255 div g 1 lw 1 lc 1 lj\n"},
      {"HP-GL/2: 1 pixel is the thinnest pen", kPcl5e, 600, {}, 0, Esc("ESC%0BLTSV;PW0.085") + hpglCaps},
      // clang-format off
      {"HP-GL/2: 24 pixels are 1.016 mm", kPcl5e, 600, {.fl = kGeometric, .geometricWidth = 24}, 0,
       Esc("ESC%0BLTSV;PW1.016") + hpglCaps},
      {"HP-GL/2 butt, miter", kPcl5e, 600, {.cap = ENDCAP_BUTT, .join = JOIN_MITER}, 0,
       Esc("ESC%0BLTSV;PW0.085LA1,1LA2,1;")},
      {"HP-GL/2 square, bevel", kPcl5e, 600, {.cap = ENDCAP_SQUARE, .join = JOIN_BEVEL}, 0,
       Esc("ESC%0BLTSV;PW0.085LA1,2LA2,5;")},
      {"HP-GL/2 dashes: shares of the pattern, its length in mm", kPcl5e, 600, {.styles = {3, 1}}, 0,
       // clang-format on
       Esc("ESC%0BUL8,75.000,25.000LT8,4.064,1SV;PW0.085") + hpglCaps},
      // 1005 micrometres: three decimals, padded.
      // clang-format off
      {"HP-GL/2 thousandths keep their zeros", kPcl5e, 25400,
       {.fl = kGeometric, .geometricWidth = 1, .dashes = {1000.0f, 5.0f}}, 0,
       Esc("ESC%0BUL8,99.502,0.498LT8,1.005,1SV;PW0.085") + hpglCaps},
      {"HP-GL/2 dashes of no length: solid", kPcl5e, 600, {.fl = kGeometric, .geometricWidth = 1, .dashes = {0, 0}},
       0, Esc("ESC%0BLTSV;PW0.085") + hpglCaps},
      {"HP-GL/2 grey pen", kPcl5e, 600, {}, kGrey,
       // clang-format on
       Esc("ESC%0BLTRF2,8,8,") + CellValues(kGreyCell) + ";SV2,2,0;PW0.085" + hpglCaps},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(c.pdl, c.dpi);
    ASSERT_TRUE(pdev);
    Line line(c.spec);
    EXPECT_EQ(
        Captured(pdev.get(), [&] { EXPECT_TRUE(SetLineAttributes(pdev.get(), line.get(), nullptr, TRUE, c.rgb)); }),
        c.written);
  }
  PdevPtr pdev = BarePdev(kPs);
  ASSERT_TRUE(pdev);
  EXPECT_FALSE(SetLineAttributes(pdev.get(), nullptr, nullptr, TRUE, 0));
  Line line(LineSpec{});
  EXPECT_FALSE(SetLineAttributes(nullptr, line.get(), nullptr, TRUE, 0));
  // The pen colour is cached like any other colour.
  EXPECT_EQ(Captured(pdev.get(), [&] { SetLineAttributes(pdev.get(), line.get(), nullptr, TRUE, 0); }),
            " [] 0 sd 0 g 1 lw 1 lc 1 lj\n");
  EXPECT_EQ(Captured(pdev.get(), [&] { SetLineAttributes(pdev.get(), line.get(), nullptr, TRUE, 0); }),
            " [] 0 sd 1 lw 1 lc 1 lj\n");
}

TEST(VectorLineTest, GeometricLinesScaleWithTheirTransform) {
  struct Case {
    const char* what;
    XFORML matrix;
    std::string written;
  } cases[] = {
      {"identity", {1, 0, 0, 1, 0, 0}, " [20 10 ] 0 sd 0 g 10 lw 1 lc 1 lj\n"},
      {"offset only", {1, 0, 0, 1, 30, 40}, " [20 10 ] 0 sd 0 g 10 lw 1 lc 1 lj\n"},
      {"scale: the smaller factor", {0.5f, 0, 0, 2, 0, 0}, " [10 5 ] 0 sd 0 g 5 lw 1 lc 1 lj\n"},
      {"turned a quarter: the factors of the other diagonal",
       {0, 3, -0.3f, 0, 0, 0},
       " [6 3 ] 0 sd 0 g 3 lw 1 lc 1 lj\n"},
      {"negative factors count by size", {-2, 0, 0, -4, 0, 0}, " [40 20 ] 0 sd 0 g 20 lw 1 lc 1 lj\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(kPs);
    ASSERT_TRUE(pdev);
    Xform xform(c.matrix);
    Line line(LineSpec{.fl = LA_GEOMETRIC, .geometricWidth = 10, .dashes = {20, 10}});
    EXPECT_EQ(Captured(pdev.get(), [&] { SetLineAttributes(pdev.get(), line.get(), &xform, TRUE, 0); }), c.written);
  }
  // A cosmetic line keeps its width whatever the transform.
  PdevPtr pdev = BarePdev(kPs);
  ASSERT_TRUE(pdev);
  Xform xform(XFORML{3, 0, 0, 3, 0, 0});
  Line line(LineSpec{.cosmeticWidth = 2});
  EXPECT_EQ(Captured(pdev.get(), [&] { SetLineAttributes(pdev.get(), line.get(), &xform, TRUE, 0); }),
            " [] 0 sd 0 g 2 lw 1 lc 1 lj\n");
}

}  // namespace
}  // namespace graphicstest
