// Path records routed to the vector writer: the operation table, the rectangle
// shortcut of PostScript, the PATINVERT correction, the band cut of rectangle
// records; and the country group of a printer.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/pdev.h"
#include "graphics/dispatch/country_group.h"
#include "graphics/dispatch/path_dispatch.h"
#include "graphics/output/vector/vector_path.h"
#include "tests/graphics/fake_vector_writer.h"
#include "tests/graphics/printer_fixture.h"

// Found by argument-dependent lookup (the types are global); internal to this file.
static bool operator==(const RECTL& a, const RECTL& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
static bool operator==(const POINTFIX& a, const POINTFIX& b) { return a.x == b.x && a.y == b.y; }

namespace graphicstest {
namespace {

constexpr WORD kWholeClosed = kPathBatchFirst | kPathBatchLast | kPathBatchClosed | 2;
constexpr WORD kWholeOpen = kPathBatchFirst | kPathBatchLast | 2;
constexpr DWORD kPatCopy = 0x00F00021;
constexpr DWORD kPatInvert = 0x005A0049;

// A 10 x 5 pixel rectangle at (16, 32) px in 28.4, clockwise, closed by a fifth point.
const std::vector<POINTFIX> kClockwise = {{256, 512}, {416, 512}, {416, 592}, {256, 592}, {256, 512}};
// The same corners counter-clockwise (first edge vertical), without the fifth point.
const std::vector<POINTFIX> kCounterClockwise = {{256, 512}, {256, 592}, {416, 592}, {416, 512}};
// Three sides of that rectangle: an open U whose ends share an x.
const std::vector<POINTFIX> kOpenU = {{256, 512}, {256, 592}, {416, 592}, {416, 512}};
const RECTL kExpectedRect{256, 512, 416, 592};

class PathDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeVectorWriter().Reset();
    pdev = std::make_unique<PDEV>();
    SetPdl(kPdlPs3);
  }
  void SetPdl(WORD pdl) { pdev->devmode.dmPrivate._nPDL = pdl; }
  BOOL Dispatch(int operation, const std::vector<POINTFIX>& points, WORD flags, DWORD rop = kPatCopy,
                const RECTL* band = nullptr) {
    return DispatchPathRecord(pdev.get(), operation, static_cast<int>(points.size()), points.data(), paint, band, flags,
                              rop);
  }

  std::unique_ptr<PDEV> pdev;
  LINEATTRS line{};
  BRUSHOBJ brush{};
  XFORMOBJ xform{};
  RECTL clip{10, 20, 300, 400};
  PathRecordPaint paint;
};

TEST_F(PathDispatchTest, OperationsGoToTheirWriterWithTheirFillRuleAndClip) {
  paint = {&line, &xform, &brush, 0x123456, &clip, TRUE, FALSE};
  // A triangle: never a rectangle, so only the operation decides.
  const std::vector<POINTFIX> triangle = {{0, 0}, {160, 0}, {80, 160}};
  struct Case {
    int operation;
    bool path;
    DWORD fillRule;
    bool clipPassed;
  } cases[] = {{kPathOpPolyline, true, kPathFillNone, false},
               {kPathOpWinding, true, kPathFillWinding, true},
               {kPathOpAlternate, true, kPathFillAlternate, true},
               {0, false, 0, false},
               {7, false, 0, false},
               {19, false, 0, false},
               {21, false, 0, false},
               {23, false, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operation);
    FakeVectorWriter().Reset();
    EXPECT_EQ(Dispatch(c.operation, triangle, kWholeClosed), c.path ? TRUE : FALSE);
    ASSERT_EQ(FakeVectorWriter().paths.size(), c.path ? 1u : 0u);
    EXPECT_TRUE(FakeVectorWriter().rectangles.empty());
    if (!c.path) continue;
    const PathCall& call = FakeVectorWriter().paths[0];
    EXPECT_EQ(call.pdev, pdev.get());
    EXPECT_EQ(call.points, triangle);
    EXPECT_EQ(call.fillRule, c.fillRule);
    EXPECT_EQ(call.clip.has_value(), c.clipPassed);
    EXPECT_EQ(call.batchFlags, kWholeClosed);
    // Everything else is passed through untouched.
    EXPECT_EQ(call.line, &line);
    EXPECT_EQ(call.xform, &xform);
    EXPECT_EQ(call.fill, &brush);
    EXPECT_EQ(call.lineRgb, 0x123456u);
    EXPECT_EQ(call.rop3, kPatCopy);
    EXPECT_EQ(call.reportFailure, TRUE);
    EXPECT_EQ(call.noPaint, FALSE);
  }
}

TEST_F(PathDispatchTest, TheWritersResultIsTheRecordsResult) {
  FakeVectorWriter().result = FALSE;
  EXPECT_EQ(Dispatch(kPathOpWinding, {{0, 0}, {160, 0}, {80, 160}}, kWholeClosed), FALSE);
  EXPECT_EQ(Dispatch(kPathOpWinding, kClockwise, kWholeClosed), FALSE);  // through the rectangle writer
  EXPECT_EQ(FakeVectorWriter().rectangles.size(), 1u);
  EXPECT_EQ(DispatchPathRecord(nullptr, kPathOpWinding, 5, kClockwise.data(), paint, nullptr, kWholeClosed, 0), FALSE);
  EXPECT_EQ(FakeVectorWriter().paths.size() + FakeVectorWriter().rectangles.size(), 2u);
}

TEST_F(PathDispatchTest, PostScriptDrawsAClosedAxisAlignedFigureAsARectangle) {
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
    FakeVectorWriter().Reset();
    SetPdl(c.pdl);
    EXPECT_TRUE(Dispatch(kPathOpAlternate, *c.points, c.flags));
    ASSERT_EQ(FakeVectorWriter().rectangles.size(), c.rectangle ? 1u : 0u);
    ASSERT_EQ(FakeVectorWriter().paths.size(), c.rectangle ? 0u : 1u);
    if (c.rectangle) {
      EXPECT_TRUE(FakeVectorWriter().rectangles[0].rect == kExpectedRect);
      EXPECT_EQ(FakeVectorWriter().rectangles[0].fill, &brush);
    }
  }
}

TEST_F(PathDispatchTest, AStrokedOpenUShapeWithAClipKeepsItsThreeSides) {
  paint = {&line, &xform, nullptr, 0, &clip, FALSE, FALSE};
  EXPECT_TRUE(Dispatch(kPathOpWinding, kOpenU, kWholeOpen));
  ASSERT_EQ(FakeVectorWriter().paths.size(), 1u);
  EXPECT_TRUE(FakeVectorWriter().rectangles.empty());
  EXPECT_EQ(FakeVectorWriter().paths[0].points, kOpenU);

  // Stroked and filled: the stroke still decides.
  FakeVectorWriter().Reset();
  paint.fill = &brush;
  EXPECT_TRUE(Dispatch(kPathOpWinding, kOpenU, kWholeOpen));
  EXPECT_EQ(FakeVectorWriter().paths.size(), 1u);

  // Filled only, the fill closes the figure: the rectangle it covers is the same.
  FakeVectorWriter().Reset();
  paint.line = nullptr;
  EXPECT_TRUE(Dispatch(kPathOpAlternate, kOpenU, kWholeOpen));
  ASSERT_EQ(FakeVectorWriter().rectangles.size(), 1u);
  EXPECT_TRUE(FakeVectorWriter().rectangles[0].rect == kExpectedRect);
  ASSERT_TRUE(FakeVectorWriter().rectangles[0].clip.has_value());
  EXPECT_TRUE(*FakeVectorWriter().rectangles[0].clip == clip);
}

TEST_F(PathDispatchTest, PatInvertFigureLosesOneUnitAtTheBottomOnlyWhereNeeded) {
  const std::vector<POINTFIX> box = {{0, 0}, {160, 0}, {160, 160}, {0, 160}, {0, 0}};
  const std::vector<POINTFIX> lowered = {{0, 0}, {160, 0}, {160, 159}, {0, 159}, {0, 0}};
  const std::vector<POINTFIX> unclosed = {{0, 0}, {160, 0}, {160, 160}, {0, 160}, {0, 16}};
  struct Case {
    const char* name;
    WORD pdl;
    DWORD rop;
    WORD flags;
    const std::vector<POINTFIX>* points;
    const std::vector<POINTFIX>* written;
  } cases[] = {
      {"PCL 5e", kPdlPcl5e, kPatInvert, kWholeClosed, &box, &lowered},
      {"PostScript, not a whole path", kPdlPs3, kPatInvert, kPathBatchFirst | kPathBatchClosed, &box, &lowered},
      {"pixel placement (0x80)", kPdlPcl5si, kPatInvert, kWholeClosed, &box, &box},
      {"another raster operation", kPdlPcl5e, kPatCopy, kWholeClosed, &box, &box},
      {"last point not the first", kPdlPcl5e, kPatInvert, kWholeClosed, &unclosed, &unclosed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeVectorWriter().Reset();
    SetPdl(c.pdl);
    const std::vector<POINTFIX> callers = *c.points;
    EXPECT_TRUE(Dispatch(kPathOpAlternate, callers, c.flags, c.rop));
    ASSERT_EQ(FakeVectorWriter().paths.size(), 1u);
    EXPECT_EQ(FakeVectorWriter().paths[0].points, *c.written);
    EXPECT_EQ(callers, *c.points) << "the caller's points must stay as they were";
  }
  // Four points are never corrected.
  FakeVectorWriter().Reset();
  SetPdl(kPdlPcl5e);
  const std::vector<POINTFIX> four(box.begin(), box.begin() + 4);
  EXPECT_TRUE(Dispatch(kPathOpWinding, four, kWholeClosed, kPatInvert));
  EXPECT_EQ(FakeVectorWriter().paths[0].points, four);
}

TEST_F(PathDispatchTest, RectangleRecordsAreCutToTheBandOrClippedByIt) {
  paint = {nullptr, nullptr, &brush, 0, &clip, FALSE, FALSE};
  const RECTL band{0, 10, 50, 40};  // pixels: 0..800, 160..640 in 28.4
  struct Case {
    const char* name;
    std::vector<POINTFIX> points;
    const RECTL* band;
    RECTL rect;
    std::optional<RECTL> clip;
  } cases[] = {
      {"no band", {{32, 48}, {400, 480}}, nullptr, {32, 48, 399, 479}, clip},
      {"inside the band", {{32, 200}, {400, 480}}, &band, {32, 200, 399, 479}, clip},
      {"cut by the band", {{32, 48}, {1600, 1600}}, &band, {32, 160, 800, 640}, clip},
      // A rectangle starting left of the page is not cut; the band clips it,
      // within the caller's clip.
      {"negative left", {{-32, 48}, {400, 480}}, &band, {-32, 48, 399, 479}, RECTL{10, 20, 50, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeVectorWriter().Reset();
    EXPECT_TRUE(Dispatch(kPathOpRectangle, c.points, 0, kPatCopy, c.band));
    ASSERT_EQ(FakeVectorWriter().rectangles.size(), 1u);
    const RectangleCall& call = FakeVectorWriter().rectangles[0];
    EXPECT_TRUE(call.rect == c.rect) << call.rect.left << "," << call.rect.top << "," << call.rect.right << ","
                                     << call.rect.bottom;
    ASSERT_EQ(call.clip.has_value(), c.clip.has_value());
    if (c.clip) {
      EXPECT_TRUE(*call.clip == *c.clip);
    }
    EXPECT_EQ(call.fill, &brush);
  }
  FakeVectorWriter().Reset();
  EXPECT_FALSE(Dispatch(kPathOpRectangle, {{0, 0}}, 0));
  EXPECT_TRUE(FakeVectorWriter().rectangles.empty());
}

TEST(AxisAlignedRectTest, RecognisesBothWindingsAndNothingElse) {
  struct Case {
    const char* name;
    std::vector<POINTFIX> points;
    bool rectangle;
    RECTL rect;
  } cases[] = {
      {"horizontal first edge", {{0, 0}, {32, 0}, {32, 16}, {0, 16}}, true, {0, 0, 32, 16}},
      {"vertical first edge", {{0, 0}, {0, 16}, {32, 16}, {32, 0}}, true, {0, 0, 32, 16}},
      {"starting bottom right", {{32, 16}, {0, 16}, {0, 0}, {32, 0}, {32, 16}}, true, {0, 0, 32, 16}},
      {"negative coordinates", {{-48, -32}, {-48, 0}, {16, 0}, {16, -32}}, true, {-48, -32, 16, 0}},
      {"fifth point differs", {{0, 0}, {32, 0}, {32, 16}, {0, 16}, {0, 1}}, false, {}},
      {"p0 equals p1", {{0, 0}, {0, 0}, {32, 16}, {0, 16}}, false, {}},
      {"zero height", {{0, 0}, {32, 0}, {32, 0}, {0, 0}}, false, {}},
      {"zero width", {{0, 0}, {0, 16}, {0, 16}, {0, 0}}, false, {}},
      {"slanted side", {{0, 0}, {32, 0}, {33, 16}, {0, 16}}, false, {}},
      {"three points", {{0, 0}, {32, 0}, {32, 16}}, false, {}},
      {"six points", {{0, 0}, {32, 0}, {32, 16}, {0, 16}, {0, 0}, {0, 0}}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RECTL out{1, 2, 3, 4};
    EXPECT_EQ(GetAxisAlignedRect(c.points.data(), static_cast<int>(c.points.size()), &out) != FALSE, c.rectangle);
    EXPECT_TRUE(out == c.rect) << "the rectangle, or empty";
    EXPECT_EQ(GetAxisAlignedRect(c.points.data(), static_cast<int>(c.points.size()), nullptr) != FALSE, c.rectangle);
  }
  EXPECT_FALSE(GetAxisAlignedRect(nullptr, 4, nullptr));
}

TEST(ClipRectToBand16Test, MeetsTheBandInFixedPoint) {
  struct Case {
    RECTL rect, band, out;
  } cases[] = {
      {{0, 0, 1600, 1600}, {10, 20, 50, 60}, {160, 320, 800, 960}},
      {{200, 400, 300, 500}, {10, 20, 50, 60}, {200, 400, 300, 500}},
      {{-16, -16, 16, 16}, {0, 0, 100, 100}, {0, 0, 16, 16}},
      // A band beyond the 28.4 range does not wrap around.
      {{0, 0, 1600, 1600}, {-200000000, -200000000, 200000000, 200000000}, {0, 0, 1600, 1600}},
  };
  for (const Case& c : cases) {
    RECTL out{};
    ClipRectToBand16(&out, &c.rect, &c.band);
    EXPECT_TRUE(out == c.out) << out.left << "," << out.top << "," << out.right << "," << out.bottom;
    RECTL inPlace = c.rect;
    ClipRectToBand16(&inPlace, &inPlace, &c.band);
    EXPECT_TRUE(inPlace == c.out);
  }
}

// The country group from the printer's data, read through the settings library
// as the graphics library binds it.
class CountryGroupTest : public GraphicsPrinterTest {};

TEST_F(CountryGroupTest, NorthAmericaJapanOrOther) {
  HANDLE printer = Install(kMonoModel, "Country Printer", kPdlPcl5e, 0);
  ASSERT_NE(printer, 0u);
  struct Case {
    DWORD country;
    DWORD group;
  } cases[] = {{1, 1}, {2, 1}, {81, 81}, {44, 0}, {0, 0}, {3, 0}, {80, 0}, {82, 0}, {0x10001, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.country);
    SetPrinterDword(printer, "INTL", "iCountry", c.country);
    EXPECT_EQ(GetCountryGroup(printer), c.group);
  }
  DeletePrinterValue(printer, "INTL", "iCountry");
  EXPECT_EQ(GetCountryGroup(printer), 0u) << "a missing value";
  SetPrinterDword(printer, "INTL", "iCountry", 81);
  ASSERT_EQ(GetCountryGroup(printer), 81u);
  SetGraphicsSettings(SettingsFunctions{});
  EXPECT_EQ(GetCountryGroup(printer), 0u) << "settings not bound";
}

}  // namespace
}  // namespace graphicstest
