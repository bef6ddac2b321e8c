// Rectangles, paths, clip brackets and the end of application paths, written
// by the real vector writer: byte-exact in PostScript, PCL and HP-GL/2, and a
// PCL page of them read back by the structural reader.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/output/halftone/halftone.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/vector/vector_clip.h"
#include "graphics/output/vector/vector_end_path.h"
#include "graphics/output/vector/vector_path.h"
#include "graphics/output/vector/vector_pattern.h"
#include "graphics/output/vector/vector_rectangle.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_targets.h"
#include "platform/base/codepage.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/graphics/vector_fixture.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

using pagesetup::LeaveHpgl;

constexpr WORD kPs = kPdlPs3;
constexpr WORD kPcl5e = kPdlPcl5e;  // user patterns of format 20
constexpr WORD kPcl5 = kPdlPcl5;    // no format 20, no pixel placement
constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kGrey = 0x808080;
constexpr DWORD kRed = 0x0000FF;
constexpr DWORD kPatCopy = 0x00F00021;
constexpr WORD kLines = 1;
constexpr WORD kBeziers = 2;
constexpr WORD kWholeClosed = kPathBatchFirst | kPathBatchLast | kPathBatchClosed | 2;
constexpr WORD kWholeOpen = kPathBatchFirst | kPathBatchLast | 2;

// (10, 20) to (30, 40) pixels in 28.4, right and bottom exclusive.
constexpr RECTL kRect{160, 320, 480, 640};
constexpr RECTL kClip{5, 6, 105, 206};
constexpr RECTL kEmptyClip{5, 6, 5, 206};

const std::string kGreyCell = Raw({0x07, 0x07, 0x07, 0x00, 0x70, 0x70, 0x70, 0x40});
const std::string kFormat20Header = Raw({20, 0, 1, 0, 0, 8, 0, 8, 0x02, 0x58, 0x02, 0x58});
const std::string kPenLine = "LTSV;PW0.085LA1,4LA2,4;";
const std::string kPsLine = " [] 0 sd 0 g 1 lw 1 lc 1 lj\n";

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

std::string CellValuesOf(DWORD rgb) {
  BYTE cells[64];
  DWORD capacity = sizeof cells;
  EXPECT_EQ(MakeHalftoneBrush8x8(rgb, nullptr, cells, &capacity), 1);
  std::string values;
  for (BYTE cell : cells) {
    if (!values.empty()) values += ',';
    values += cell ? '1' : '0';
  }
  return values;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

LINEATTRS CosmeticLine(FLONG fl = 0) {
  LINEATTRS line{};
  line.fl = fl;
  line.elWidth.l = 1;
  return line;
}

// What a case draws with.
enum class Fill { None, Black, White, Grey, Unrealised };

struct Paint {
  Fill fill = Fill::None;
  bool line = false;
};

class Brushes {
 public:
  BRUSHOBJ* Of(Fill fill) {
    switch (fill) {
      case Fill::Black: return black_.get();
      case Fill::White: return white_.get();
      case Fill::Grey: return grey_.get();
      case Fill::Unrealised: return unrealised_.get();
      default: return nullptr;
    }
  }

 private:
  TestBrush black_ = TestBrush::Solid(0);
  TestBrush white_ = TestBrush::Solid(kWhite);
  TestBrush grey_ = TestBrush::Solid(kGrey);
  TestBrush unrealised_ = TestBrush::Unrealized();
};

// --- Rectangles ------------------------------------------------------------------

struct RectangleCase {
  const char* what;
  WORD pdl;
  Paint paint;
  std::optional<RECTL> clip;
  std::string written;
  bool appPath = false;
  bool ignoreUsed = false;
  bool noPaint = false;
  DWORD rop = kPatCopy;
  bool pixelPlacement = false;
  bool inHpgl = false;
};

void RunRectangleCases(const std::vector<RectangleCase>& cases) {
  for (const RectangleCase& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(c.pdl);
    ASSERT_TRUE(pdev);
    pdev->job.pathEscapeDepth = c.appPath ? 1 : 0;
    pdev->job.applicationIgnoreUsed = c.ignoreUsed ? 1 : 0;
    pdev->writers.vector.pixelPlacement = c.pixelPlacement ? 1 : 0;
    pdev->job.inHpgl = c.inHpgl ? 1 : 0;
    Brushes brushes;
    LINEATTRS line = CosmeticLine();
    const RECTL* clip = c.clip ? &*c.clip : nullptr;
    EXPECT_EQ(Captured(pdev.get(),
                       [&] {
                         EXPECT_TRUE(WriteRectangle(pdev.get(), &kRect, c.paint.line ? &line : nullptr, nullptr,
                                                    brushes.Of(c.paint.fill), 0, c.rop, clip, TRUE, c.noPaint));
                       }),
              c.written);
    if (c.clip && c.clip->right > c.clip->left && !c.appPath) {
      EXPECT_EQ(pdev->writers.vector.stale, kStaleEverything) << "after the clip's restore";
    }
    EXPECT_EQ(pdev->writers.vector.pixelPlacement, 0u);
  }
}

TEST(VectorRectangleTest, PostScriptForms) {
  const std::string black = " 0 g\n";
  RunRectangleCases({
      {"fill", kPs, {Fill::Black, false}, {}, " np 10 20 20 20" + black + " rf\n"},
      {"grey fill", kPs, {Fill::Grey, false}, {}, " np 10 20 20 20 128 255 div g\n rf\n"},
      {"line", kPs, {Fill::None, true}, {}, " np 10 20 20 20" + kPsLine + "  rs\n"},
      // clang-format off
      {"fill and line", kPs, {Fill::Black, true}, {},
       " np 10 20 20 20" + black + " 4 copy rf [] 0 sd 1 lw 1 lc 1 lj\n  rs\n"},
      {"clipped fill", kPs, {Fill::Black, false}, kClip, " gs np 100 200 5 6 CB np np 10 20 20 20" + black + " rf gr\n"},
      {"an empty clip clips nothing", kPs, {Fill::Black, false}, kEmptyClip, " np 10 20 20 20" + black + " rf\n"},
      {"application path: the rectangle joins it, unclipped", kPs, {Fill::Black, false}, kClip, " 20 20 10 20 B\n",
       // clang-format on
       true},
      {"application path, nothing to paint", kPs, {Fill::None, false}, {}, " 20 20 10 20 B\n", true},
      // clang-format off
      {"after POSTSCRIPT_IGNORE: fill and line", kPs, {Fill::Black, true}, {},
       " np 20 20 10 20" + black + " 4 copy B f [] 0 sd 1 lw 1 lc 1 lj\n B S\n", false, true},
      {"after POSTSCRIPT_IGNORE: a fill alone keeps rf", kPs, {Fill::Black, false}, {},
       " np 10 20 20 20" + black + " rf\n", false, true},
      {"after POSTSCRIPT_IGNORE: clipped line", kPs, {Fill::None, true}, kClip,
       " gs 5 6 100 200 rc np 20 20 10 20" + kPsLine + " B S gr\n", false, true},
      // clang-format on
      {"unpainted", kPs, {Fill::Black, true}, {}, " np  \n", false, false, true},
      {"unpainted, alternative forms", kPs, {Fill::Black, true}, {}, " np 20 20 10 20 4 copy B B\n", false, true, true},
  });
}

TEST(VectorRectangleTest, PclAndHpglForms) {
  const std::string cellValues = CellValues(kGreyCell);
  RunRectangleCases({
      {"black fill: plain PCL", kPcl5e, {Fill::Black, false}, {}, Esc("ESC*l240OESC*p10x20YESC*c20a20b0PESC*l252O")},
      {"white fill: plain PCL", kPcl5e, {Fill::White, false}, {}, Esc("ESC*l240OESC*p10x20YESC*c20a20b1PESC*l252O")},
      // clang-format off
      {"the ROP3 code byte", kPcl5e, {Fill::Black, false}, {}, Esc("ESC*l90OESC*p10x20YESC*c20a20b0PESC*l252O"),
       false, false, false, 0x005A0049},
      {"grey fill where user patterns carry their resolution: a PCL pattern", kPcl5e, {Fill::Grey, false}, {},
       // clang-format on
       Esc("ESC*l240OESC*p10x20YESC*v1OESC*c1g20W") + kFormat20Header + kGreyCell +
           Esc("ESC*v4TESC*c20a20b5PESC*l252O")},
      // clang-format off
      {"grey fill elsewhere: HP-GL/2", kPcl5, {Fill::Grey, false}, {},
       // clang-format on
       Esc("ESC%0BMC1,240;PAPU10,20RF1,8,8,") + cellValues + ";FT11,1;RR20,20;MC1,252;"},
      {"line", kPcl5e, {Fill::None, true}, {}, Esc("ESC%0BMC1,240;PAPU10,20") + kPenLine + "ER20,20;MC1,252;"},
      // HP-GL/2 has a fill type of its own: black is selected there too.
      // clang-format off
      {"black fill and line", kPcl5e, {Fill::Black, true}, {},
       Esc("ESC%0BMC1,240;PAPU10,20FT;RR20,20") + kPenLine + "EP;MC1,252;"},
      {"clipped black fill", kPcl5e, {Fill::Black, false}, kClip,
       Esc("ESC%0BIW5,206,105,6MC1,240;PAPU10,20FT;RR20,20IW;MC1,252;")},
      {"pixel placement in force, plain PCL", kPdlPcl5si, {Fill::Black, false}, {},
       Esc("ESC*l240OESC*lRESC*p10x20YESC*l240OESC*c20a20b0PESC*l252O"), false, false, false, kPatCopy, true},
      {"pixel placement in force, HP-GL/2", 0x84, {Fill::Grey, false}, {},
       Esc("ESC%0BMC1,240;PP0PAPU10,20RF1,8,8,") + cellValues + ";FT11,1;MC1,240RR20,20;MC1,252;", false, false,
       false, kPatCopy, true},
      {"plain PCL leaves HP-GL/2", kPcl5e, {Fill::Black, false}, {},
       Esc("ESC%0AESC*l240OESC*p10x20YESC*c20a20b0PESC*l252O"), false, false, false, kPatCopy, false, true},
      // clang-format on
      // Nothing is selected, so nothing may be painted.
      {"unpainted", kPcl5e, {Fill::Black, true}, {}, Esc("ESC%0BMC1,240;PAPU10,20;MC1,252;"), false, false, true},
  });
}

TEST(VectorRectangleTest, RectanglesThatDrawNothing) {
  PdevPtr pdev = BarePdev(kPs);
  ASSERT_TRUE(pdev);
  Brushes brushes;
  BRUSHOBJ* black = brushes.Of(Fill::Black);
  auto draw = [&](const RECTL* rect, BRUSHOBJ* fill, BOOL expected) {
    return Captured(pdev.get(), [&] {
      EXPECT_EQ(WriteRectangle(pdev.get(), rect, nullptr, nullptr, fill, 0, kPatCopy, nullptr, TRUE, FALSE), expected);
    });
  };
  EXPECT_EQ(draw(&kRect, nullptr, TRUE), "") << "neither line nor fill";
  EXPECT_EQ(draw(nullptr, black, FALSE), "");
  for (const RECTL& empty : {RECTL{160, 320, 160, 640}, RECTL{160, 320, 480, 320}, RECTL{480, 320, 160, 640}}) {
    EXPECT_EQ(draw(&empty, black, FALSE), "");
  }
  EXPECT_FALSE(WriteRectangle(nullptr, &kRect, nullptr, nullptr, black, 0, kPatCopy, nullptr, TRUE, FALSE));
  // A rectangle whose last 28.4 unit is inclusive covers the same pixels as
  // one with exclusive edges.
  const RECTL inclusive{160, 320, 479, 639};
  EXPECT_EQ(draw(&inclusive, black, TRUE), " np 10 20 20 20 0 g\n rf\n");
  EXPECT_EQ(draw(&kRect, black, TRUE), " np 10 20 20 20\n rf\n");
  // A brush that cannot be selected fails the rectangle when the caller asks;
  // otherwise the rectangle is filled with what is selected.
  EXPECT_EQ(draw(&kRect, brushes.Of(Fill::Unrealised), FALSE), " np 10 20 20 20");
  EXPECT_EQ(Captured(pdev.get(),
                     [&] {
                       EXPECT_TRUE(WriteRectangle(pdev.get(), &kRect, nullptr, nullptr, brushes.Of(Fill::Unrealised), 0,
                                                  kPatCopy, nullptr, FALSE, FALSE));
                     }),
            " np 10 20 20 20 rf\n");
  PdevPtr pcl = BarePdev(kPcl5);
  ASSERT_TRUE(pcl);
  EXPECT_FALSE(WriteRectangle(pcl.get(), &kRect, nullptr, nullptr, brushes.Of(Fill::Unrealised), 0, kPatCopy, nullptr,
                              TRUE, FALSE));
}

TEST(VectorRectangleTest, WordPadBackgroundUnderABackgroundWatermark) {
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  struct Case {
    const char* what;
    const char* application;
    DWORD background;
    Fill fill;
    bool line;
    bool skipped;
  } cases[] = {
      {"WORDPAD.EXE in its folder", "C:\\Program Files\\Windows NT\\Accessories\\WORDPAD.EXE", 1, Fill::White, false,
       true},
      {"no folder, no extension", "wordpad", 1, Fill::White, false, true},
      {"watermark in front of the page", "C:\\Program Files\\WORDPAD.EXE", 0, Fill::White, false, false},
      {"another program", "C:\\Apps\\wordpad2.exe", 1, Fill::White, false, false},
      {"a black fill", "C:\\Program Files\\WORDPAD.EXE", 1, Fill::Black, false, false},
      {"a framed white rectangle", "C:\\Program Files\\WORDPAD.EXE", 1, Fill::White, true, false},
      // 0x95 0x5C is one double-byte character: its trail byte is no folder
      // separator, so the name is not "Wordpad".
      {"a double-byte name", "C:\\x\\\x95\x5CWordpad.exe", 1, Fill::White, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(kPs);
    ASSERT_TRUE(pdev);
    std::strncpy(pdev->devmode.dmPrivate.applicationPath, c.application,
                 sizeof pdev->devmode.dmPrivate.applicationPath - 1);
    pdev->devmode.dmPrivate._bWmBackground = c.background;
    Brushes brushes;
    LINEATTRS line = CosmeticLine();
    const std::string written = Captured(pdev.get(), [&] {
      EXPECT_TRUE(WriteRectangle(pdev.get(), &kRect, c.line ? &line : nullptr, nullptr, brushes.Of(c.fill), 0, kPatCopy,
                                 nullptr, TRUE, FALSE));
    });
    EXPECT_EQ(written.empty(), c.skipped) << written;
  }
}

// --- Paths -----------------------------------------------------------------------

// A triangle (10,10) (30,10) (20,30) in pixels: moves of (20,0) and (-10,20).
const std::vector<POINTFIX> kTriangle = {{160, 160}, {480, 160}, {320, 480}};
// The same moves polyline-encoded: 20 -> 40 -> 231, 0 -> 191, -10 -> 21 -> 212.
const std::string kTrianglePe = "PE\xE7\xBF\xD4\xE7;";
const std::string kTrianglePs = " 10 10 m\n 20 0 L -10 20 L\n";
// Curves: a group of three points, then a group of two.
const std::vector<POINTFIX> kCurves = {{0, 0}, {160, 0}, {320, 160}, {320, 320}, {480, 320}, {640, 480}};

struct PathCase {
  const char* what;
  WORD pdl;
  Paint paint;
  DWORD fillRule;
  WORD flags;
  std::string written;
  std::optional<RECTL> clip = {};
  const std::vector<POINTFIX>* points = &kTriangle;
  WORD pathKind = kLines;
  bool appPath = false;
  bool noPaint = false;
  FLONG lineFlags = 0;
  DWORD lineRgb = 0;
};

void RunPathCases(const std::vector<PathCase>& cases) {
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(c.pdl);
    ASSERT_TRUE(pdev);
    pdev->job.pathKind = c.pathKind;
    pdev->job.pathEscapeDepth = c.appPath ? 1 : 0;
    Brushes brushes;
    LINEATTRS line = CosmeticLine(c.lineFlags);
    FLOAT_LONG styles[2] = {{.l = 3}, {.l = 1}};
    if (c.lineFlags & LA_STYLED) {
      line.cstyle = 2;
      line.pstyle = styles;
    }
    const RECTL* clip = c.clip ? &*c.clip : nullptr;
    EXPECT_EQ(Captured(pdev.get(),
                       [&] {
                         EXPECT_TRUE(WritePath(pdev.get(), static_cast<int>(c.points->size()), c.points->data(),
                                               c.paint.line ? &line : nullptr, nullptr, brushes.Of(c.paint.fill), clip,
                                               c.fillRule, c.flags, c.lineRgb, kPatCopy, TRUE, c.noPaint));
                       }),
              c.written);
    EXPECT_EQ(pdev->writers.vector.clipRectOpen, 0u) << "the bracket is closed with the path";
  }
}

TEST(VectorPathTest, PostScriptPaths) {
  const std::vector<POINTFIX> oneLeft(kCurves.begin(), kCurves.begin() + 5);
  RunPathCases({
      // clang-format off
      {"filled, winding", kPs, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       " 0 g\n np" + kTrianglePs + " cp\n f\n"},
      {"filled, alternate", kPs, {Fill::Black, false}, kPathFillAlternate, kWholeClosed,
       // clang-format on
       " 0 g\n np" + kTrianglePs + " cp\n ef\n"},
      {"stroked, open", kPs, {Fill::None, true}, kPathFillNone, kWholeOpen, kPsLine + " np" + kTrianglePs + " S\n"},
      // The fill's colour lives in a gsave of its own: the stroke keeps the line's.
      // clang-format off
      {"stroked and filled", kPs, {Fill::Grey, true}, kPathFillAlternate, kWholeClosed,
       kPsLine + " np" + kTrianglePs + " cp\n gs  128 255 div g\n ef gr S\n"},
      {"clipped fill", kPs, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       " 0 g\n gs 5 6 100 200 rc\n np" + kTrianglePs + " cp\n f gr\n", kClip},
      {"an empty clip clips nothing", kPs, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       " 0 g\n np" + kTrianglePs + " cp\n f\n", kEmptyClip},
      // clang-format on
      // A gsave inside the application's path would lose the path at its
      // grestore: no bracket, no newpath and no painting there.
      // clang-format off
      {"inside an application path", kPs, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       " 0 g\n" + kTrianglePs + " cp\n\n", kClip, &kTriangle, kLines, true},
      {"unpainted: the path alone", kPs, {Fill::Black, true}, kPathFillWinding, kWholeClosed,
       " np" + kTrianglePs + " cp\n\n", {}, &kTriangle, kLines, false, true},
      {"neither line nor fill: the path alone", kPs, {Fill::None, false}, kPathFillAlternate, kWholeClosed,
       " np" + kTrianglePs + " cp\n\n"},
      {"curves", kPs, {Fill::None, true}, kPathFillNone, kWholeOpen,
       kPsLine + " np 0 0 m\n 10 0 20 10 20 20 C 10 0 10 0 20 10 C\n S\n", {}, &kCurves, kBeziers},
      {"curves, one point left: a line", kPs, {Fill::None, true}, kPathFillNone, kWholeOpen,
       kPsLine + " np 0 0 m\n 10 0 20 10 20 20 C 10 0 L\n S\n", {}, &oneLeft, kBeziers},
      // clang-format on
  });
}

TEST(VectorPathTest, HpglPaths) {
  const std::vector<POINTFIX> oneLeft(kCurves.begin(), kCurves.begin() + 5);
  const std::string dashes = "UL8,75.000,25.000LT8,4.064,1";
  RunPathCases({
      // clang-format off
      {"filled, winding", kPcl5e, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       Esc("ESC%0BFT;PAPU10,10PM") + kTrianglePe + "PM2FP1;"},
      {"filled, alternate", kPcl5e, {Fill::Black, false}, kPathFillAlternate, kWholeClosed,
       Esc("ESC%0BFT;PAPU10,10PM") + kTrianglePe + "PM2FP;"},
      {"stroked, open", kPcl5e, {Fill::None, true}, kPathFillNone, kWholeOpen,
       Esc("ESC%0B") + kPenLine + "PAPU10,10PM" + kTrianglePe + "PUPM2EP;"},
      {"stroked and filled", kPcl5e, {Fill::Grey, true}, kPathFillWinding, kWholeClosed,
       // clang-format on
       Esc("ESC%0B") + kPenLine + "PAPU10,10PM" + kTrianglePe + "PM2RF1,8,8," + CellValues(kGreyCell) +
           ";FT11,1;FP1EP;"},
      // clang-format off
      {"clipped fill", kPcl5e, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       Esc("ESC%0BFT;IW5,6,105,206PAPU10,10PM") + kTrianglePe + "PM2FP1IW;", kClip},
      {"pixel placement", kPdlPcl5si, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       // clang-format on
       Esc("ESC%0BPP1FT;MC1,240PAPU10,10PM") + kTrianglePe + "PM2FP1MC0;"},
      // A coloured styled line is drawn with a screened pen anchored at its start.
      // clang-format off
      {"styled coloured line", kPcl5e, {Fill::None, true}, kPathFillNone, kWholeOpen,
       // clang-format on
       Esc("ESC%0B") + dashes + "RF2,8,8," + CellValuesOf(kRed) + ";SV2,2,0;PW0.085LA1,4LA2,4;AC10,10PAPU10,10PM" +
           kTrianglePe + "PUPM2EP;AC;",
       // clang-format off
       {}, &kTriangle, kLines, false, false, LA_STYLED, kRed},
      {"styled black line", kPcl5e, {Fill::None, true}, kPathFillNone, kWholeOpen,
       Esc("ESC%0B") + dashes + "SV;PW0.085LA1,4LA2,4;PAPU10,10PM" + kTrianglePe + "PUPM2EP;", {}, &kTriangle, kLines,
       false, false, LA_STYLED, 0},
      {"curves", kPcl5e, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       Esc("ESC%0BFT;PAPU0,0PMPDBR10,0,20,10,20,20,10,0,10,0,20,10PM2FP1;"), {}, &kCurves, kBeziers},
      // A relative curve takes whole curves only: the lone point is a line.
      {"curves, one point left", kPcl5e, {Fill::Black, false}, kPathFillWinding, kWholeClosed,
       Esc("ESC%0BFT;PAPU0,0PMPDBR10,0,20,10,20,20PR10,0PM2FP1;"), {}, &oneLeft, kBeziers},
      // clang-format on
  });
}

// A path in several batches: each batch after the first starts with the last
// point of the one before.
struct Batch {
  std::vector<POINTFIX> points;
  WORD flags;
};

std::string WriteBatches(PDEV* pdev, const std::vector<Batch>& batches, BRUSHOBJ* fill, LINEATTRS* line,
                         const RECTL* clip = nullptr) {
  return Captured(pdev, [&] {
    for (const Batch& batch : batches) {
      EXPECT_TRUE(WritePath(pdev, static_cast<int>(batch.points.size()), batch.points.data(), line, nullptr, fill, clip,
                            kPathFillWinding, batch.flags, 0, kPatCopy, TRUE, FALSE));
    }
  });
}

TEST(VectorPathTest, PathsInSeveralBatches) {
  TestBrush black = TestBrush::Solid(0);
  const std::vector<POINTFIX> second = {{640, 640}, {960, 640}, {800, 960}};  // (40,40) (60,40) (50,60)
  const std::vector<Batch> oneSubpath = {{{kTriangle[0], kTriangle[1]}, kPathBatchFirst | 0},
                                         {{kTriangle[1], kTriangle[2]}, kPathBatchLast | kPathBatchClosed | 3}};
  const std::vector<Batch> twoSubpaths = {{kTriangle, kPathBatchFirst | kPathBatchClosed | 2},
                                          {second, kPathBatchLast | kPathBatchClosed | 2}};
  PdevPtr ps = BarePdev(kPs);
  ASSERT_TRUE(ps);
  EXPECT_EQ(WriteBatches(ps.get(), oneSubpath, black.get(), nullptr),
            " 0 g\n np 10 10 m\n 20 0 L\n -10 20 L\n cp\n f\n");
  EXPECT_EQ(WriteBatches(ps.get(), twoSubpaths, black.get(), nullptr, &kClip),
            "\n gs 5 6 100 200 rc\n np" + kTrianglePs + " cp\n 40 40 m\n 20 0 L -10 20 L\n cp\n f gr\n");

  PdevPtr pcl = BarePdev(kPcl5e);
  ASSERT_TRUE(pcl);
  EXPECT_EQ(WriteBatches(pcl.get(), oneSubpath, black.get(), nullptr),
            Esc("ESC%0BFT;PAPU10,10PMPE\xE7\xBF;PE\xD4\xE7;PM2FP1;"));
  EXPECT_EQ(WriteBatches(pcl.get(), twoSubpaths, black.get(), nullptr, &kClip),
            "IW5,6,105,206PAPU10,10PM" + kTrianglePe + "PM1PAPU40,40" + kTrianglePe + "PM2FP1IW;");

  // A long line breaks after every 16 points.
  std::vector<POINTFIX> straight;
  for (int i = 0; i <= 17; ++i) straight.push_back({i * 16, 0});
  LINEATTRS line = CosmeticLine();
  std::string moves;
  for (int i = 0; i < 16; ++i) moves += " 1 0 L";
  EXPECT_EQ(WriteBatches(ps.get(), {{straight, kWholeOpen}}, nullptr, &line),
            " [] 0 sd 0 g 1 lw 1 lc 1 lj\n np 0 0 m\n" + moves + "\n 1 0 L\n S\n")
      << "the clip's grestore took the colour";
  straight.pop_back();
  EXPECT_EQ(WriteBatches(ps.get(), {{straight, kWholeOpen}}, nullptr, &line),
            " [] 0 sd 1 lw 1 lc 1 lj\n np 0 0 m\n" + moves + "\n S\n");
}

TEST(VectorPathTest, FailuresAndRefusedPaths) {
  PdevPtr pdev = BarePdev(kPs);
  ASSERT_TRUE(pdev);
  TestBrush unrealised = TestBrush::Unrealized();
  LINEATTRS line = CosmeticLine();
  const POINTFIX one[1] = {{0, 0}};
  EXPECT_EQ(Captured(pdev.get(),
                     [&] {
                       EXPECT_FALSE(WritePath(pdev.get(), 1, one, &line, nullptr, nullptr, nullptr, 0, kWholeOpen, 0,
                                              kPatCopy, TRUE, FALSE));
                       EXPECT_FALSE(WritePath(pdev.get(), 3, nullptr, &line, nullptr, nullptr, nullptr, 0, kWholeOpen,
                                              0, kPatCopy, TRUE, FALSE));
                     }),
            "");
  EXPECT_FALSE(WritePath(nullptr, 3, kTriangle.data(), &line, nullptr, nullptr, nullptr, 0, kWholeOpen, 0, kPatCopy,
                         TRUE, FALSE));

  // The fill of a filled-only path is chosen first: its failure writes nothing.
  EXPECT_EQ(Captured(pdev.get(),
                     [&] {
                       EXPECT_FALSE(WritePath(pdev.get(), 3, kTriangle.data(), nullptr, nullptr, unrealised.get(),
                                              &kClip, kPathFillWinding, kWholeClosed, 0, kPatCopy, TRUE, FALSE));
                     }),
            "");
  // Stroked and filled, the fill comes last: the clip bracket and the fill's
  // gsave are closed before the failure is reported.
  for (WORD pdl : {kPs, kPcl5e}) {
    SCOPED_TRACE(pdl);
    PdevPtr p = BarePdev(pdl);
    ASSERT_TRUE(p);
    const std::string written = Captured(p.get(), [&] {
      EXPECT_FALSE(WritePath(p.get(), 3, kTriangle.data(), &line, nullptr, unrealised.get(), &kClip, kPathFillWinding,
                             kWholeClosed, 0, kPatCopy, TRUE, FALSE));
    });
    EXPECT_EQ(p->writers.vector.clipRectOpen, 0u);
    if (pdl == kPs) {
      EXPECT_TRUE(EndsWith(written, " cp\n gs  gr gr\n")) << written;
    } else {
      EXPECT_TRUE(EndsWith(written, "PM2IW")) << written;
    }
  }
  // Without reportFailure the path is painted with what is selected.
  EXPECT_EQ(Captured(pdev.get(),
                     [&] {
                       EXPECT_TRUE(WritePath(pdev.get(), 3, kTriangle.data(), nullptr, nullptr, unrealised.get(),
                                             nullptr, kPathFillWinding, kWholeClosed, 0, kPatCopy, FALSE, FALSE));
                     }),
            " np" + kTrianglePs + " cp\n f\n");
}

// --- Clip brackets and application paths ----------------------------------------

TEST(VectorClipTest, BracketsNeverNest) {
  PdevPtr ps = BarePdev(kPs);
  ASSERT_TRUE(ps);
  PDEV* p = ps.get();
  const RECTL other{7, 8, 17, 18};
  EXPECT_EQ(Captured(p, [&] { EXPECT_TRUE(BeginClipRect(p, &kClip)); }), " gs 5 6 100 200 rc\n");
  EXPECT_EQ(p->writers.vector.clipRectOpen, 1u);
  p->writers.vector.stale = 0;
  EXPECT_EQ(Captured(p, [&] { EXPECT_TRUE(BeginClipRect(p, &other)); }), " gr\n gs 7 8 10 10 rc\n");
  EXPECT_EQ(Captured(p, [&] { EXPECT_TRUE(EndClipRect(p)); }), " gr\n");
  EXPECT_EQ(p->writers.vector.stale, kStaleEverything);
  EXPECT_EQ(p->writers.vector.clipRectOpen, 0u);
  EXPECT_EQ(Captured(p, [&] { EXPECT_TRUE(EndClipRect(p)); }), "") << "no bracket open";
  EXPECT_FALSE(BeginClipRect(p, nullptr));
  EXPECT_FALSE(BeginClipRect(nullptr, &kClip));
  EXPECT_FALSE(EndClipRect(nullptr));

  PdevPtr pcl = BarePdev(kPcl5e);
  ASSERT_TRUE(pcl);
  PDEV* q = pcl.get();
  q->writers.vector.stale = 0;
  EXPECT_EQ(Captured(q, [&] { BeginClipRect(q, &kClip); }), Esc("ESC%0BIW5,6,105,206"));
  EXPECT_EQ(Captured(q, [&] { EndClipRect(q); }), "IW");
  EXPECT_EQ(q->writers.vector.stale, kStaleColor);
  EXPECT_EQ(Captured(q,
                     [&] {
                       BeginClipRect(q, &kClip);
                       LeaveHpgl(q);
                       EndClipRect(q);
                     }),
            Esc("IW5,6,105,206ESC%0AESC%0BIW"));
  // A bracket around plain PCL output (the raster writer's) reads clean.
  const std::string around = Captured(q, [&] {
    LeaveHpgl(q);
    BeginClipRect(q, &kClip);
    LeaveHpgl(q);
    EndClipRect(q);
    LeaveHpgl(q);
  });
  const testsupport::PclReport report = testsupport::ReadPclJob(around);
  EXPECT_TRUE(report.ok()) << report.Summary();
  ASSERT_EQ(report.Instructions("IW").size(), 2u);
  EXPECT_EQ(report.Instructions("IW")[0]->numbers, (std::vector<double>{5, 6, 105, 206}));
  EXPECT_TRUE(report.Instructions("IW")[1]->numbers.empty());
}

TEST(VectorStateTest, RememberedPatternsMoveWithTheJobToANewDeviceContext) {
  PdevPtr old = BarePdev(kPs);
  PdevPtr fresh = BarePdev(kPs);
  ASSERT_TRUE(old && fresh);
  TestBrush hatch = TestBrush::Hatch(3);
  EXPECT_NE(Captured(old.get(), [&] { DownloadFillPattern(old.get(), hatch.get(), TRUE, kTargetPostScript, 0); }), "");
  ASSERT_EQ(FlushOutputBuffer(old.get()), 1);
  ASSERT_EQ(CopyJobState(fresh.get(), old.get()), 1);
  EXPECT_EQ(old->writers.vector.color.pattern, nullptr);
  // The printer still has the pattern: the new device context knows it.
  EXPECT_EQ(Captured(fresh.get(), [&] { DownloadFillPattern(fresh.get(), hatch.get(), TRUE, kTargetPostScript, 0); }),
            "");
  // Both are freed by their PdevPtr: the copy is freed once.
}

TEST(VectorClipTest, EndOfAnApplicationPath) {
  struct Case {
    const char* what;
    DWORD flags;
    Fill fill;
    bool line;
    std::string written;
  } cases[] = {
      {"clip, new path", kEndPathClip | kEndPathNewPath, Fill::None, false, " clip np\n"},
      {"even-odd clip, new path", kEndPathEoClip | kEndPathNewPath, Fill::None, false, " eoclip np\n"},
      {"clip before even-odd clip", kEndPathClip | kEndPathEoClip, Fill::None, false, " clip\n"},
      {"close", kEndPathClose, Fill::None, false, " cp\n"},
      {"fill", 0, Fill::Black, false, " 0 g\n f\n"},
      {"even-odd fill", kEndPathAlternate, Fill::Black, false, " 0 g\n ef\n"},
      {"close, fill, new path", kEndPathClose | kEndPathNewPath, Fill::Black, false, " cp 0 g\n f np\n"},
      {"stroke without a brush: black", 0, Fill::None, true, kPsLine + " S\n"},
      {"fill and stroke, both in the brush's colour", kEndPathAlternate, Fill::Grey, true,
       " gs 128 255 div g\n ef gr\n [] 0 sd 128 255 div g 1 lw 1 lc 1 lj\n S\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = BarePdev(kPs);
    ASSERT_TRUE(pdev);
    Brushes brushes;
    LINEATTRS line = CosmeticLine();
    EXPECT_EQ(
        Captured(pdev.get(),
                 [&] { EXPECT_TRUE(EndFillClip(pdev.get(), c.line ? &line : nullptr, brushes.Of(c.fill), c.flags)); }),
        c.written);
  }
  PdevPtr pcl = BarePdev(kPcl5e);
  ASSERT_TRUE(pcl);
  EXPECT_EQ(Captured(pcl.get(), [&] { EXPECT_FALSE(EndFillClip(pcl.get(), nullptr, nullptr, kEndPathClip)); }), "");
  EXPECT_FALSE(EndFillClip(nullptr, nullptr, nullptr, kEndPathClip));
}

// --- A PCL page read back ---------------------------------------------------------

TEST(VectorPclTest, APageOfShapesReadsCleanAndDecodesToItsPoints) {
  for (WORD pdl : {kPcl5, kPcl5e, WORD(kPdlPcl5si)}) {
    SCOPED_TRACE(pdl);
    PdevPtr pdev = BarePdev(pdl);
    ASSERT_TRUE(pdev);
    PDEV* p = pdev.get();
    Brushes brushes;
    TestBrush hatch = TestBrush::Hatch(4);
    TestBrush pattern = TestBrush::Realized(kBrushKindPattern, kRed, kWhite, 3, 2, {0x40, 0xA0});
    LINEATTRS line = CosmeticLine();
    LINEATTRS dashed = CosmeticLine(LA_STYLED);
    FLOAT_LONG styles[2] = {{.l = 2}, {.l = 1}};
    dashed.cstyle = 2;
    dashed.pstyle = styles;
    // A star of five points, drawn in two batches.
    const std::vector<POINTFIX> star = {{1600, 160}, {2240, 1760}, {640, 800}, {2560, 800}, {960, 1760}};
    const std::string bytes = Captured(p, [&] {
      WriteRectangle(p, &kRect, nullptr, nullptr, brushes.Of(Fill::Black), 0, kPatCopy, nullptr, TRUE, FALSE);
      WriteRectangle(p, &kRect, nullptr, nullptr, brushes.Of(Fill::Grey), 0, kPatCopy, nullptr, TRUE, FALSE);
      WriteRectangle(p, &kRect, nullptr, nullptr, hatch.get(), 0, kPatCopy, nullptr, TRUE, FALSE);
      WriteRectangle(p, &kRect, &line, nullptr, pattern.get(), 0, kPatCopy, &kClip, TRUE, FALSE);
      WritePath(p, 3, star.data(), &dashed, nullptr, hatch.get(), &kClip, kPathFillAlternate, kPathBatchFirst | 0, kRed,
                kPatCopy, TRUE, FALSE);
      const std::vector<POINTFIX> rest(star.begin() + 2, star.end());
      WritePath(p, 3, rest.data(), &dashed, nullptr, hatch.get(), &kClip, kPathFillAlternate,
                kPathBatchLast | kPathBatchClosed | 3, kRed, kPatCopy, TRUE, FALSE);
      p->job.pathKind = kBeziers;
      WritePath(p, static_cast<int>(kCurves.size()), kCurves.data(), &line, nullptr, nullptr, nullptr, kPathFillNone,
                kWholeOpen, kGrey, kPatCopy, TRUE, FALSE);
      WriteRectangle(p, &kRect, nullptr, nullptr, pattern.get(), 0, kPatCopy, nullptr, TRUE, FALSE);
      LeaveHpgl(p);
    });
    const testsupport::PclReport report = testsupport::ReadPclJob(bytes);
    ASSERT_TRUE(report.ok()) << report.Summary();
    EXPECT_FALSE(report.hpglSections.empty());
    for (const testsupport::HpglSection& section : report.hpglSections) EXPECT_TRUE(section.left);
    for (const testsupport::HpglInstruction* instruction : report.Instructions("RF")) {
      ASSERT_GE(instruction->numbers.size(), 3u);
      EXPECT_EQ(instruction->numbers.size(), 3 + size_t(instruction->numbers[1] * instruction->numbers[2]));
    }
    // The star's moves, batch by batch.
    const auto pe = report.Instructions("PE");
    ASSERT_EQ(pe.size(), 2u);
    std::vector<std::pair<double, double>> moves;
    for (const auto* instruction : pe) {
      for (const testsupport::PeVertex& vertex : instruction->vertices) {
        EXPECT_FALSE(vertex.absolute);
        EXPECT_FALSE(vertex.penUp);
        moves.emplace_back(vertex.x, vertex.y);
      }
    }
    const std::vector<std::pair<double, double>> expected = {{40, 100}, {-100, -60}, {120, 0}, {-100, 60}};
    EXPECT_EQ(moves, expected);
    // The curves, relative to the point before each.
    const auto br = report.Instructions("BR");
    ASSERT_EQ(br.size(), 1u);
    EXPECT_EQ(br[0]->numbers, (std::vector<double>{10, 0, 20, 10, 20, 20, 10, 0, 10, 0, 20, 10}));
    // Plain PCL fills where the model takes them: black always, patterns on
    // models whose user patterns carry their resolution.
    const size_t plain = report.Count("*c", 'P');
    EXPECT_EQ(plain, (pdl & 0x08) ? 4u : 1u);
  }
}

}  // namespace
}  // namespace graphicstest
