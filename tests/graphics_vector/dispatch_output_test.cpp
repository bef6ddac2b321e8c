// Path records routed to the real vector writers: the operation table, the
// rectangle shortcut of PostScript, the PATINVERT correction and the band cut
// of rectangle records, read from what reaches the job stream.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/dispatch/path_dispatch.h"
#include "graphics/output/vector/vector_path.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/stream/output.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/support/pcl_reader.h"

// Found by argument-dependent lookup (the types are global); internal to this file.
static bool operator==(const POINTFIX& a, const POINTFIX& b) { return a.x == b.x && a.y == b.y; }

namespace graphicstest {
namespace {

constexpr WORD kWholeClosed = kPathBatchFirst | kPathBatchLast | kPathBatchClosed | 2;
constexpr WORD kWholeOpen = kPathBatchFirst | kPathBatchLast | 2;
constexpr DWORD kPatCopy = 0x00F00021;
constexpr DWORD kPatInvert = 0x005A0049;
constexpr WORD kLinesOnly = 1;

// A 10 x 5 pixel rectangle at (16, 32) px in 28.4, clockwise, closed by a fifth point.
const std::vector<POINTFIX> kClockwise = {{256, 512}, {416, 512}, {416, 592}, {256, 592}, {256, 512}};
// The same corners counter-clockwise (first edge vertical), without the fifth point.
const std::vector<POINTFIX> kCounterClockwise = {{256, 512}, {256, 592}, {416, 592}, {416, 512}};
// Three sides of that rectangle: an open U whose ends share an x.
const std::vector<POINTFIX> kOpenU = {{256, 512}, {256, 592}, {416, 592}, {416, 512}};
// How the PostScript rectangle writer draws that rectangle filled black.
constexpr char kRectangleFill[] = " np 16 32 10 5 0 g\n rf\n";

class DispatchOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pdev.reset(AllocPdev());
    ASSERT_TRUE(pdev);
    ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
    pdev->resolution = 600;
    pdev->job.pathKind = kLinesOnly;
    SetPdl(kPdlPs3);
  }
  void SetPdl(WORD pdl) { pdev->devmode.dmPrivate._nPDL = pdl; }
  BOOL Dispatch(int operation, const std::vector<POINTFIX>& points, WORD flags, DWORD rop = kPatCopy,
                const RECTL* band = nullptr) {
    return DispatchPathRecord(pdev.get(), operation, static_cast<int>(points.size()), points.data(), paint, band, flags,
                              rop);
  }
  // What the record's writer put into the stream; the writers' caches are
  // forgotten before each record so that every record shows its colour.
  std::string Written(const std::function<BOOL()>& dispatch, BOOL expected = TRUE) {
    pdev->output.fill = 0;
    pdev->writers.vector.stale = kStaleEverything;
    pdev->job.inHpgl = 0;
    EXPECT_EQ(dispatch(), expected);
    std::string bytes(reinterpret_cast<const char*>(pdev->output.buffer), pdev->output.fill);
    pdev->output.fill = 0;
    return bytes;
  }

  PdevPtr pdev;
  LINEATTRS line{};
  BRUSHOBJ brush{0, nullptr, 0};  // solid black
  RECTL clip{10, 20, 300, 400};
  PathRecordPaint paint;
};

TEST_F(DispatchOutputTest, OperationsGoToTheirWriterWithTheirFillRuleAndClip) {
  paint = {nullptr, nullptr, &brush, 0, &clip, TRUE, FALSE};
  // A triangle: never a rectangle, so only the operation decides.
  const std::vector<POINTFIX> triangle = {{0, 0}, {160, 0}, {80, 160}};
  const std::string path = " np 0 0 m\n 10 0 L -5 10 L\n cp\n";
  struct Case {
    int operation;
    BOOL result;
    std::string written;
  } cases[] = {
      // A polyline has no fill rule (winding, bit 0 clear) and is not clipped.
      {kPathOpPolyline, TRUE, " 0 g\n" + path + " f\n"},
      {kPathOpWinding, TRUE, " 0 g\n gs 10 20 290 380 rc\n" + path + " f gr\n"},
      {kPathOpAlternate, TRUE, " 0 g\n gs 10 20 290 380 rc\n" + path + " ef gr\n"},
      {0, FALSE, ""},
      {7, FALSE, ""},
      {19, FALSE, ""},
      {21, FALSE, ""},
      {23, FALSE, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operation);
    EXPECT_EQ(Written([&] { return Dispatch(c.operation, triangle, kWholeClosed); }, c.result), c.written);
  }
}

TEST_F(DispatchOutputTest, TheWritersResultIsTheRecordsResult) {
  // A pattern brush without a realisation cannot be selected; the caller asked
  // to hear about it.
  BRUSHOBJ unrealised{0xFFFFFFFF, nullptr, 0};
  paint = {nullptr, nullptr, &unrealised, 0, nullptr, TRUE, FALSE};
  Written([&] { return Dispatch(kPathOpWinding, {{0, 0}, {160, 0}, {80, 160}}, kWholeClosed); }, FALSE);
  Written([&] { return Dispatch(kPathOpWinding, kClockwise, kWholeClosed); }, FALSE);  // the rectangle writer
  Written([&] { return Dispatch(kPathOpRectangle, {{0, 0}, {160, 160}}, 0); }, FALSE);
  paint.reportFailure = FALSE;
  Written([&] { return Dispatch(kPathOpWinding, kClockwise, kWholeClosed); }, TRUE);
  EXPECT_EQ(DispatchPathRecord(nullptr, kPathOpWinding, 5, kClockwise.data(), paint, nullptr, kWholeClosed, 0), FALSE);
}

TEST_F(DispatchOutputTest, PostScriptDrawsAClosedAxisAlignedFigureAsARectangle) {
  paint = {nullptr, nullptr, &brush, 0, nullptr, FALSE, FALSE};
  struct Case {
    const char* name;
    WORD pdl;
    const std::vector<POINTFIX>* points;
    WORD flags;
    bool rectangle;
  } cases[] = {
      {"clockwise, five points", kPdlPs3, &kClockwise, kWholeClosed, true},
      {"counter-clockwise, four points", kPdlPs2, &kCounterClockwise, kWholeClosed, true},
      {"not the last record of its path", kPdlPs3, &kClockwise, kPathBatchFirst | kPathBatchClosed, false},
      {"not the first record of its path", kPdlPs3, &kClockwise, kPathBatchLast | kPathBatchClosed, false},
      {"open, without clip", kPdlPs3, &kClockwise, kWholeOpen, false},
      {"PCL", kPdlPcl5e, &kClockwise, kWholeClosed, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetPdl(c.pdl);
    const std::string written = Written([&] { return Dispatch(kPathOpAlternate, *c.points, c.flags); });
    if (c.rectangle) {
      EXPECT_EQ(written, kRectangleFill);
    } else {
      EXPECT_EQ(written.find(" rf"), std::string::npos) << written;
      EXPECT_EQ(written.find("RR"), std::string::npos) << written;
      EXPECT_NE(written.find(c.pdl == kPdlPcl5e ? "PAPU16,32" : " 16 32 m\n"), std::string::npos) << written;
    }
  }
}

TEST_F(DispatchOutputTest, AStrokedOpenUShapeWithAClipKeepsItsThreeSides) {
  paint = {&line, nullptr, nullptr, 0, &clip, FALSE, FALSE};
  const std::string sides = " np 16 32 m\n 0 5 L 10 0 L 0 -5 L\n";
  EXPECT_EQ(Written([&] { return Dispatch(kPathOpWinding, kOpenU, kWholeOpen); }),
            " [] 0 sd 0 g 1 lw 1 lc 1 lj\n gs 10 20 290 380 rc\n" + sides + " S gr\n");

  // Stroked and filled: the stroke still decides.
  paint.fill = &brush;
  const std::string both = Written([&] { return Dispatch(kPathOpWinding, kOpenU, kWholeOpen); });
  EXPECT_NE(both.find(sides), std::string::npos) << both;
  EXPECT_EQ(both.find(" cp"), std::string::npos) << both;

  // Filled only, the fill closes the figure: the rectangle it covers is the same.
  paint.line = nullptr;
  EXPECT_EQ(Written([&] { return Dispatch(kPathOpAlternate, kOpenU, kWholeOpen); }),
            " gs np 290 380 10 20 CB np np 16 32 10 5 0 g\n rf gr\n");
}

TEST_F(DispatchOutputTest, PatInvertFigureLosesOneUnitAtTheBottomOnlyWhereNeeded) {
  paint = {nullptr, nullptr, &brush, 0, nullptr, FALSE, FALSE};
  // A 10 x 10 pixel box; lowered by one 28.4 unit its bottom is in pixel row 9.
  const std::vector<POINTFIX> box = {{0, 0}, {160, 0}, {160, 160}, {0, 160}, {0, 0}};
  const std::vector<POINTFIX> unclosed = {{0, 0}, {160, 0}, {160, 160}, {0, 160}, {0, 16}};
  const std::vector<std::pair<double, double>> lowered = {{10, 0}, {0, 9}, {-10, 0}, {0, -9}};
  const std::vector<std::pair<double, double>> kept = {{10, 0}, {0, 10}, {-10, 0}, {0, -10}};
  const std::vector<std::pair<double, double>> keptUnclosed = {{10, 0}, {0, 10}, {-10, 0}, {0, -9}};
  struct Case {
    const char* name;
    WORD pdl;
    DWORD rop;
    WORD flags;
    const std::vector<POINTFIX>* points;
    const std::vector<std::pair<double, double>>* deltas;
  } cases[] = {
      {"PCL 5e", kPdlPcl5e, kPatInvert, kWholeClosed, &box, &lowered},
      {"PostScript, not a whole path", kPdlPs3, kPatInvert, kPathBatchFirst | kPathBatchClosed, &box, &lowered},
      {"pixel placement (0x80)", kPdlPcl5si, kPatInvert, kWholeClosed, &box, &kept},
      {"another raster operation", kPdlPcl5e, kPatCopy, kWholeClosed, &box, &kept},
      {"last point not the first", kPdlPcl5e, kPatInvert, kWholeClosed, &unclosed, &keptUnclosed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetPdl(c.pdl);
    const std::vector<POINTFIX> callers = *c.points;
    std::string written = Written([&] { return Dispatch(kPathOpAlternate, callers, c.flags, c.rop); });
    EXPECT_EQ(callers, *c.points) << "the caller's points must stay as they were";
    std::vector<std::pair<double, double>> deltas;
    if (IsPostScriptPdl(c.pdl)) {
      // " 10 0 L 0 9 L ..." after the moveto.
      size_t at = written.find(" m\n");
      ASSERT_NE(at, std::string::npos) << written;
      int dx = 0;
      int dy = 0;
      int used = 0;
      for (const char* text = written.c_str() + at + 3; std::sscanf(text, " %d %d L%n", &dx, &dy, &used) == 2;
           text += used)
        deltas.emplace_back(dx, dy);
    } else {
      written += "\x1b%0A";
      const testsupport::PclReport report = testsupport::ReadPclJob(written);
      ASSERT_TRUE(report.ok()) << report.Summary();
      const auto pe = report.Instructions("PE");
      ASSERT_EQ(pe.size(), 1u);
      for (const testsupport::PeVertex& vertex : pe[0]->vertices) deltas.emplace_back(vertex.x, vertex.y);
    }
    EXPECT_EQ(deltas, *c.deltas);
  }
  // Four points are never corrected.
  SetPdl(kPdlPcl5e);
  const std::vector<POINTFIX> four(box.begin(), box.begin() + 4);
  const std::string written = Written([&] { return Dispatch(kPathOpWinding, four, kWholeClosed, kPatInvert); });
  const testsupport::PclReport report = testsupport::ReadPclJob(written + "\x1b%0A");
  ASSERT_EQ(report.Instructions("PE").size(), 1u);
  ASSERT_EQ(report.Instructions("PE")[0]->vertices.size(), 3u);
  EXPECT_EQ(report.Instructions("PE")[0]->vertices[1].y, 10);
}

TEST_F(DispatchOutputTest, RectangleRecordsAreCutToTheBandOrClippedByIt) {
  paint = {nullptr, nullptr, &brush, 0, &clip, FALSE, FALSE};
  const RECTL band{0, 10, 50, 40};  // pixels: 0..800, 160..640 in 28.4
  // The record's corners are exclusive: (32, 48)-(400, 480) covers pixels 2-24
  // across and 3-29 down, 23 x 27.
  struct Case {
    const char* name;
    std::vector<POINTFIX> points;
    const RECTL* band;
    std::string written;
  } cases[] = {
      {"no band", {{32, 48}, {400, 480}}, nullptr, " gs np 290 380 10 20 CB np np 2 3 23 27 0 g\n rf gr\n"},
      {"inside the band", {{32, 200}, {400, 480}}, &band, " gs np 290 380 10 20 CB np np 2 12 23 18 0 g\n rf gr\n"},
      {"cut by the band", {{32, 48}, {1600, 1600}}, &band, " gs np 290 380 10 20 CB np np 2 10 48 30 0 g\n rf gr\n"},
      // A rectangle starting left of the page is not cut; the band clips it,
      // within the caller's clip.
      {"negative left", {{-32, 48}, {400, 480}}, &band, " gs np 40 20 10 20 CB np np -2 3 27 27 0 g\n rf gr\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Written([&] { return Dispatch(kPathOpRectangle, c.points, 0, kPatCopy, c.band); }), c.written);
  }
  EXPECT_EQ(Written([&] { return Dispatch(kPathOpRectangle, {{0, 0}}, 0); }, FALSE), "");
}

}  // namespace
}  // namespace graphicstest
