// Application drawing on a printer DC reaches the recording graphics library as
// path calls: points in 28.4 device units under the map mode and the world
// transform, the DC's clip, pen and brush, and curves flattened and offered again
// when the library refuses them.
#include <cmath>
#include <cstring>

#include "platform/gdi/drawing.h"
#include "platform/gdi/engine.h"
#include "tests/platform/gdi_dc_test_helpers.h"

namespace {

class DrawingTest : public dctest::DeviceContextTest {
 protected:
  void SetUp() override {
    DeviceContextTest::SetUp();
    if (IsSkipped()) return;
    AddPrinter("Drawing", "recording_driver.dll");
    dc_ = Create(u"Drawing", DevMode(DMORIENT_PORTRAIT));
    ASSERT_NE(dc_, 0u);
    DOCINFOW doc{sizeof(DOCINFOW), u"Drawing", output_.c_str(), nullptr, 0};
    ASSERT_GT(StartDocW(dc_, &doc), 0);
    ASSERT_GT(StartPage(dc_), 0);
    Calls();
  }
  void TearDown() override {
    if (dc_) DeleteDC(dc_);
    DeviceContextTest::TearDown();
  }

  // The path calls recorded since the last look, without the "rec: " prefix and PDEV name.
  std::vector<std::string> PathCalls() {
    std::vector<std::string> out;
    for (const std::string& call : Calls()) {
      if (call.rfind("rec: DrvStroke", 0) != 0 && call.rfind("rec: DrvFill", 0) != 0 &&
          call.rfind("rec: DrvRealize", 0) != 0 && call.rfind("rec: DrvTextOut", 0) != 0 &&
          call.rfind("rec: DrvCopyBits", 0) != 0 && call.rfind("rec: DrvStretchBlt", 0) != 0 &&
          call.rfind("rec: DrvBitBlt", 0) != 0)
        continue;
      std::string text = call.substr(5);
      auto at = text.find(" pdevA");
      if (at != std::string::npos) text.erase(at, 6);
      out.push_back(text);
    }
    return out;
  }

  HDC dc_ = 0;
  std::u16string output_ = u"C:\\drawing.prn";
};

const std::string kTrivial = "clip=T[0,0,4760,6816]";

TEST_F(DrawingTest, LinesAndShapesBecomePathCallsInFixedPointDeviceUnits) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(dc_, red);
  ASSERT_TRUE(MoveToEx(dc_, 10, 20, nullptr));
  ASSERT_TRUE(LineTo(dc_, 100, 20));
  ASSERT_TRUE(LineTo(dc_, 100, 50));  // continues from the current position
  ASSERT_TRUE(Rectangle(dc_, 10, 10, 30, 40));
  const POINT triangle[] = {{0, 0}, {50, 0}, {25, 40}};
  ASSERT_TRUE(Polygon(dc_, triangle, 3));
  EXPECT_EQ(PathCalls(),
            (std::vector<std::string>{
                "DrvStrokePath " + kTrivial + " pen=000000 line=c1 mix=000D0D path=M 160,320 L 1600,320",
                "DrvStrokePath " + kTrivial + " pen=000000 line=c1 mix=000D0D path=M 1600,320 L 1600,800",
                "DrvStrokeAndFillPath " + kTrivial +
                    " pen=000000 line=c1 brush=0000FF alternate path=M 160,160 L 480,160 L 480,640 L 160,640 Z",
                "DrvStrokeAndFillPath " + kTrivial +
                    " pen=000000 line=c1 brush=0000FF alternate path=M 0,0 L 800,0 L 400,640 Z",
            }));
  // A null pen fills only, a null brush strokes only.
  SelectObject(dc_, GetStockObject(NULL_PEN));
  SetPolyFillMode(dc_, WINDING);
  ASSERT_TRUE(Rectangle(dc_, 0, 0, 1, 1));
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  SelectObject(dc_, GetStockObject(NULL_BRUSH));
  ASSERT_TRUE(Rectangle(dc_, 0, 0, 1, 1));
  EXPECT_EQ(PathCalls(), (std::vector<std::string>{
                             "DrvFillPath " + kTrivial + " brush=0000FF winding path=M 0,0 L 16,0 L 16,16 L 0,16 Z",
                             "DrvStrokePath " + kTrivial +
                                 " pen=000000 line=c1 mix=000D0D path=M 0,0 L 16,0 L 16,16 "
                                 "L 0,16 Z",
                         }));
  EXPECT_TRUE(DeleteObject(red));
}

TEST_F(DrawingTest, MapModesAndWorldTransformsPlacePointsOnTheDevice) {
  struct Case {
    const char* name;
    int mapMode;
    XFORM world;
    POINT from, to;
    std::string path;
  };
  const XFORM identity{1, 0, 0, 1, 0, 0};
  const Case cases[] = {
      // 600 dpi: a thousandth of an inch is 0.6 pixel, and y counts upwards.
      {"hienglish", MM_HIENGLISH, identity, {1000, -500}, {1001, -2}, "M 9600,4800 L 9610,19"},
      {"lometric", MM_LOMETRIC, identity, {254, -254}, {0, 0}, "M 9600,9600 L 0,0"},
      {"twips", MM_TWIPS, identity, {1440, 0}, {0, -720}, "M 9600,0 L 0,4800"},
      // A quarter turn: x runs down the page.
      {"rotated", MM_TEXT, XFORM{0, 1, -1, 0, 0, 0}, {100, 0}, {100, 10}, "M 0,1600 L -160,1600"},
      {"scaled and moved", MM_TEXT, XFORM{2.5f, 0, 0, 2.5f, 10, 20}, {1, 1}, {3, 1}, "M 200,360 L 280,360"},
      {"both", MM_HIENGLISH, XFORM{2, 0, 0, 2, 0, 0}, {500, -500}, {0, 0}, "M 9600,9600 L 0,0"},
  };
  ASSERT_TRUE(SetGraphicsMode(dc_, GM_ADVANCED));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetMapMode(dc_, c.mapMode));
    ASSERT_TRUE(SetWorldTransform(dc_, &c.world));
    MoveToEx(dc_, c.from.x, c.from.y, nullptr);
    LineTo(dc_, c.to.x, c.to.y);
    std::vector<std::string> calls = PathCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].substr(calls[0].find("path=") + 5), c.path);
  }
  // ModifyWorldTransform composes: translate after the scale.
  XFORM scale{2, 0, 0, 2, 0, 0}, move{1, 0, 0, 1, 100, 0};
  SetMapMode(dc_, MM_TEXT);
  ASSERT_TRUE(SetWorldTransform(dc_, &scale));
  ASSERT_TRUE(ModifyWorldTransform(dc_, &move, MWT_RIGHTMULTIPLY));
  MoveToEx(dc_, 1, 0, nullptr);
  LineTo(dc_, 2, 0);
  std::vector<std::string> calls = PathCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].substr(calls[0].find("path=") + 5), "M 1632,0 L 1664,0");
  // Compatible mode has no world transform.
  ASSERT_TRUE(ModifyWorldTransform(dc_, nullptr, MWT_IDENTITY));
  ASSERT_TRUE(SetGraphicsMode(dc_, GM_COMPATIBLE));
  EXPECT_FALSE(SetWorldTransform(dc_, &scale));
}

TEST_F(DrawingTest, PensGiveCosmeticGeometricAndStyledLines) {
  struct Case {
    int mapMode;
    int style;
    int width;
    std::string line;
  };
  const Case cases[] = {
      {MM_TEXT, PS_SOLID, 0, "c1"},
      {MM_TEXT, PS_SOLID, 1, "c1"},
      {MM_TEXT, PS_SOLID, 10, "g100/10"},
      {MM_HIENGLISH, PS_SOLID, 100, "g600/10"},  // a tenth of an inch at 600 dpi
      {MM_TEXT, PS_DASH, 0, "c1 style 3 1"},
      {MM_TEXT, PS_DASHDOTDOT, 5, "c1 style 3 1 1 1 1 1"},  // styled pens are one pixel wide
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SetMapMode(dc_, c.mapMode);
    HPEN pen = CreatePen(c.style, c.width, RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(dc_, pen);
    ASSERT_NE(old, 0u);
    MoveToEx(dc_, 0, 0, nullptr);
    LineTo(dc_, 10, 0);
    SelectObject(dc_, old);
    EXPECT_TRUE(DeleteObject(pen));
    std::vector<std::string> calls = PathCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].find("pen=FF0000 line=" + c.line + " mix"), std::string::npos) << calls[0];
  }
}

TEST_F(DrawingTest, ClipRegionsReachTheLibrary) {
  auto clipOf = [&] {
    Rectangle(dc_, 0, 0, 10, 10);
    std::vector<std::string> calls = PathCalls();
    if (calls.size() != 1) return std::string("<" + std::to_string(calls.size()) + " calls>");
    const size_t from = calls[0].find("clip=") + 5;
    return calls[0].substr(from, calls[0].find(" pen=") - from);
  };
  EXPECT_EQ(clipOf(), "T[0,0,4760,6816]");
  HRGN box = CreateRectRgn(100, 100, 200, 200);
  EXPECT_EQ(SelectClipRgn(dc_, box), SIMPLEREGION);
  EXPECT_EQ(clipOf(), "R[100,100,200,200]");
  // Logical coordinates: at MM_LOENGLISH a hundredth of an inch is 6 pixels.
  SetMapMode(dc_, MM_LOENGLISH);
  EXPECT_EQ(IntersectClipRect(dc_, 20, -20, 30, -30), SIMPLEREGION);
  EXPECT_EQ(clipOf(), "R[120,120,180,180]");
  SetMapMode(dc_, MM_TEXT);
  HRGN other = CreateRectRgn(300, 100, 400, 150);
  ASSERT_EQ(CombineRgn(box, box, other, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(SelectClipRgn(dc_, box), COMPLEXREGION);
  EXPECT_EQ(clipOf(), "C[100,100,400,200] 100,100,200,150 300,100,400,150 100,150,200,200");
  // Clipped away entirely: nothing reaches the library.
  HRGN outside = CreateRectRgn(9000, 9000, 9100, 9100);
  SelectClipRgn(dc_, outside);
  EXPECT_EQ(clipOf(), "<0 calls>");
  EXPECT_EQ(SelectClipRgn(dc_, 0), SIMPLEREGION);
  EXPECT_EQ(clipOf(), "T[0,0,4760,6816]");
  for (HRGN r : {box, other, outside}) EXPECT_TRUE(DeleteObject(r));
}

TEST_F(DrawingTest, BeziersAreFlattenedWhenRefused) {
  const POINT curve[] = {{0, 0}, {10, 20}, {30, 20}, {40, 0}};
  ASSERT_TRUE(PolyBezier(dc_, curve, 4));
  EXPECT_EQ(PathCalls(),
            (std::vector<std::string>{"DrvStrokePath " + kTrivial +
                                      " pen=000000 line=c1 mix=000D0D path=M 0,0 B 160,320 480,320 640,0"}));
  EXPECT_FALSE(PolyBezier(dc_, curve, 3));

  ExtEscape(dc_, 9000, 0, nullptr, 0, nullptr);  // the library now refuses curves
  Calls();
  ASSERT_TRUE(PolyBezier(dc_, curve, 4));
  std::vector<std::string> calls = PathCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].rfind("DrvStrokePath refused", 0), 0u) << calls[0];
  const std::string flat = calls[1].substr(calls[1].find("path=") + 5);
  EXPECT_EQ(flat.find(" B "), std::string::npos) << flat;
  EXPECT_EQ(flat.rfind("M 0,0 L ", 0), 0u) << flat;
  EXPECT_GT(std::count(flat.begin(), flat.end(), 'L'), 3);
  const std::string end = " L 640,0";
  EXPECT_EQ(flat.substr(flat.size() - end.size()), end) << "the flattened curve ends where the curve ends";
}

TEST_F(DrawingTest, RecordedPathsAreFilledAndStroked) {
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  SelectObject(dc_, green);
  ASSERT_TRUE(BeginPath(dc_));
  MoveToEx(dc_, 1, 1, nullptr);
  LineTo(dc_, 5, 1);
  LineTo(dc_, 5, 5);
  ASSERT_TRUE(CloseFigure(dc_));
  ASSERT_TRUE(Rectangle(dc_, 10, 10, 12, 12));
  ASSERT_TRUE(EndPath(dc_));
  EXPECT_TRUE(PathCalls().empty()) << "nothing is drawn while the path is recorded";
  ASSERT_TRUE(FillPath(dc_));
  EXPECT_EQ(PathCalls(), (std::vector<std::string>{"DrvFillPath " + kTrivial +
                                                   " brush=00FF00 alternate path=M 16,16 L 80,16 L 80,80 Z M 160,160 L "
                                                   "192,160 L 192,192 L 160,192 Z"}));
  EXPECT_FALSE(FillPath(dc_)) << "the path is used up";

  ASSERT_TRUE(BeginPath(dc_));
  MoveToEx(dc_, 0, 0, nullptr);
  LineTo(dc_, 2, 0);
  ASSERT_TRUE(EndPath(dc_));
  ASSERT_TRUE(StrokeAndFillPath(dc_));
  EXPECT_EQ(PathCalls(), (std::vector<std::string>{"DrvStrokeAndFillPath " + kTrivial +
                                                   " pen=000000 line=c1 brush=00FF00 alternate path=M 0,0 L 32,0 Z"}));
  DeleteObject(green);
}

TEST_F(DrawingTest, HatchBrushesAreRealisedThroughTheLibrary) {
  HBRUSH hatch = CreateHatchBrush(HS_FDIAGONAL, RGB(0, 0, 0));
  SelectObject(dc_, hatch);
  SelectObject(dc_, GetStockObject(NULL_PEN));
  ASSERT_TRUE(Rectangle(dc_, 0, 0, 2, 2));
  EXPECT_EQ(PathCalls(), (std::vector<std::string>{
                             "DrvRealizeBrush hatch=2 pattern=8x8",
                             "DrvFillPath " + kTrivial + " brush=pattern alternate path=M 0,0 L 32,0 L 32,32 L 0,32 Z",
                         }));
  DeleteObject(hatch);
}

TEST_F(DrawingTest, DrawingOffAPageIsRefused) {
  ASSERT_GT(EndPage(dc_), 0);
  Calls();
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(Rectangle(dc_, 0, 0, 10, 10));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(PathCalls().empty());
}

LOGFONTW Face(const std::u16string& name, LONG height, LONG escapement = 0) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfEscapement = escapement;
  lf.lfWeight = FW_NORMAL;
  std::memcpy(lf.lfFaceName, name.data(), name.size() * sizeof(WCHAR));
  return lf;
}

// The glyph handles and positions of a recorded DrvTextOut ("hg@x,y" each).
struct Placed {
  unsigned hg;
  long x, y;
};
std::vector<Placed> GlyphsOf(const std::string& call) {
  std::vector<Placed> out;
  std::string rest = call.substr(call.find("glyphs=") + 7);
  size_t at = 0;
  while (at < rest.size()) {
    size_t end = rest.find(' ', at);
    std::string item = rest.substr(at, end == std::string::npos ? std::string::npos : end - at);
    Placed p{};
    if (std::sscanf(item.c_str(), "%u@%ld,%ld", &p.hg, &p.x, &p.y) == 3) out.push_back(p);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return out;
}

TEST_F(DrawingTest, TextRunsCarryFreeTypeGlyphsAndAdvances) {
  const LOGFONTW lf = Face(u"Arial", -100);
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(dc_, font);
  SetTextColor(dc_, RGB(0, 0, 255));
  SetTextAlign(dc_, TA_BASELINE);
  ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"AVA", 3, nullptr));
  std::vector<std::string> calls = PathCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].find("text=AVA cp=0 font=Arial truetype fore=FF0000"), std::string::npos) << calls[0];

  // The engine's own font for the same LOGFONT gives the handles and advances.
  auto reference = platform::gdi::Font::Open(lf);
  ASSERT_NE(reference, nullptr);
  const HGLYPH a = reference->GlyphForChar(U'A'), v = reference->GlyphForChar(U'V');
  const double advanceA = reference->Glyph(a, FO_HGLYPHS)->fxD / 16.0;
  const double advanceV = reference->Glyph(v, FO_HGLYPHS)->fxD / 16.0;
  std::vector<Placed> glyphs = GlyphsOf(calls[0]);
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_EQ(glyphs[0].hg, a);
  EXPECT_EQ(glyphs[1].hg, v);
  EXPECT_EQ(glyphs[2].hg, a);
  EXPECT_EQ(glyphs[0].x, 100);
  EXPECT_EQ(glyphs[0].y, 200);
  EXPECT_NEAR(glyphs[1].x, 100 + advanceA, 1.0);
  EXPECT_NEAR(glyphs[2].x, 100 + advanceA + advanceV, 1.0);
  EXPECT_EQ(glyphs[2].y, 200);

  // Explicit advances replace the font's.
  const INT dx[] = {50, 70, 0};
  ASSERT_TRUE(ExtTextOutW(dc_, 0, 0, 0, nullptr, u"AVA", 3, dx));
  glyphs = GlyphsOf(PathCalls().at(0));
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_EQ(glyphs[1].x, 50);
  EXPECT_EQ(glyphs[2].x, 120);

  // Top alignment moves the baseline down by the ascent.
  SetTextAlign(dc_, TA_TOP);
  ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"A", 1, nullptr));
  glyphs = GlyphsOf(PathCalls().at(0));
  ASSERT_EQ(glyphs.size(), 1u);
  EXPECT_GT(glyphs[0].y, 200 + 50);
  EXPECT_LT(glyphs[0].y, 200 + 110);
  DeleteObject(font);
}

TEST_F(DrawingTest, EscapementTurnsTheBaselineCounterClockwise) {
  const LOGFONTW lf = Face(u"Arial", -100, 900);
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(dc_, font);
  SetTextAlign(dc_, TA_BASELINE);
  SetBkMode(dc_, TRANSPARENT);  // no background band before the text
  ASSERT_TRUE(ExtTextOutW(dc_, 1000, 1000, 0, nullptr, u"AA", 2, nullptr));
  std::vector<std::string> calls = PathCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].find("accel=3"), std::string::npos) << "not horizontal: " << calls[0];
  std::vector<Placed> glyphs = GlyphsOf(calls[0]);
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_EQ(glyphs[1].x, 1000);
  EXPECT_LT(glyphs[1].y, 1000 - 40);  // upwards on the page
  DeleteObject(font);
}

TEST_F(DrawingTest, AnsiTextKeepsItsCodePageAndJapaneseFacesTheirName) {
  std::string face = platform::AnsiFromUtf8("ＭＳ ゴシック");
  LOGFONTA lf{};
  lf.lfHeight = -100;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  std::memcpy(lf.lfFaceName, face.data(), face.size());
  HFONT font = CreateFontIndirectA(&lf);
  SelectObject(dc_, font);
  const std::string text = platform::AnsiFromUtf8("日本語です");
  ASSERT_TRUE(ExtTextOutA(dc_, 0, 0, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr));
  std::vector<std::string> calls = PathCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].find("text=日本語です cp=932 font=ＭＳ ゴシック truetype"), std::string::npos) << calls[0];
  std::vector<Placed> glyphs = GlyphsOf(calls[0]);
  ASSERT_EQ(glyphs.size(), 5u);
  for (const Placed& g : glyphs) EXPECT_NE(g.hg, 0u) << "a missing glyph";
  // A full-width face: equal advances.
  EXPECT_EQ(glyphs[1].x - glyphs[0].x, glyphs[2].x - glyphs[1].x);
  DeleteObject(font);
}

TEST_F(DrawingTest, RefusedTextIsDrawnAsGlyphBitmaps) {
  const LOGFONTW lf = Face(u"Arial", -60);
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(dc_, font);
  SetTextColor(dc_, RGB(10, 20, 30));
  SetBkMode(dc_, TRANSPARENT);
  ExtEscape(dc_, 9001, 0, nullptr, 0, nullptr);
  Calls();
  ASSERT_TRUE(ExtTextOutW(dc_, 100, 100, 0, nullptr, u"I I", 3, nullptr));
  std::vector<std::string> calls = PathCalls();
  std::string all;
  for (const std::string& call : calls) all += call + "\n";
  ASSERT_EQ(calls.size(), 3u) << "the refused run, then one glyph mask per inked glyph:\n" << all;
  EXPECT_EQ(calls[0].rfind("DrvTextOut refused", 0), 0u);
  for (size_t i = 1; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].rfind("DrvBitBlt clip=T[0,0,4760,6816] src=none mask=", 0), 0u) << calls[i];
    EXPECT_NE(calls[i].find("rop=AAF0 brush=1E140A"), std::string::npos) << calls[i];
  }
  DeleteObject(font);
}

TEST_F(DrawingTest, TextExtentsScaleWithTheFontInLogicalUnits) {
  auto extent = [&](LONG height) {
    const LOGFONTW lf = Face(u"Arial", height);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc_, font);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(dc_, u"Hello", 5, &size));
    SelectObject(dc_, old);
    DeleteObject(font);
    return size;
  };
  const SIZE small = extent(-100), large = extent(-200);
  EXPECT_GT(small.cx, 150);
  EXPECT_NEAR(large.cx, 2 * small.cx, 2);
  EXPECT_NEAR(large.cy, 2 * small.cy, 2);
  EXPECT_GE(small.cy, 100);
  // The ANSI call measures the same text.
  const LOGFONTW lf = Face(u"Arial", -100);
  HFONT font = CreateFontIndirectW(&lf);
  SelectObject(dc_, font);
  SIZE ansi{};
  EXPECT_TRUE(GetTextExtentPoint32A(dc_, "Hello", 5, &ansi));
  EXPECT_EQ(ansi.cx, small.cx);
  DeleteObject(font);
}

TEST_F(DrawingTest, ImagesAreStretchedByTheLibraryOrHalftonedByTheEngine) {
  // 4x2, 1 bit: black and red, bottom-up rows padded to 4 bytes.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } info{{sizeof(BITMAPINFOHEADER), 4, 2, 1, 1, BI_RGB, 0, 0, 0, 2, 0}, {{0, 0, 0, 0}, {0, 0, 255, 0}}};
  const BYTE bits[8] = {0xA0, 0, 0, 0, 0x50, 0, 0, 0};
  const auto* bmi = reinterpret_cast<const BITMAPINFO*>(&info);
  EXPECT_EQ(StretchDIBits(dc_, 100, 100, 400, 200, 0, 0, 4, 2, bits, bmi, DIB_RGB_COLORS, SRCCOPY), 2);
  // A bottom-up DIB counts ySrc from its bottom: row 1 from the bottom is the top row.
  EXPECT_EQ(StretchDIBits(dc_, 0, 0, 40, 10, 0, 1, 4, 1, bits, bmi, DIB_RGB_COLORS, SRCCOPY), 1);
  EXPECT_EQ(PathCalls(), (std::vector<std::string>{
                             "DrvStretchBlt " + kTrivial +
                                 " src=4x2 format=1 from=0,0,4,2 to=100,100,500,300 mode=4 "
                                 "colours=000000,0000FF",
                             "DrvStretchBlt " + kTrivial +
                                 " src=4x2 format=1 from=0,0,4,1 to=0,0,40,10 mode=4 "
                                 "colours=000000,0000FF",
                         }));

  // A colour image in true colour: no table.
  info.header.biBitCount = 24;
  const BYTE colour[2 * 12] = {};
  EXPECT_EQ(StretchDIBits(dc_, 0, 0, 8, 4, 0, 0, 4, 2, colour, bmi, DIB_RGB_COLORS, SRCCOPY), 2);
  std::vector<std::string> calls = PathCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].find("format=5 from=0,0,4,2 to=0,0,8,4 mode=4"), std::string::npos) << calls[0];
  EXPECT_EQ(calls[0].find("colours="), std::string::npos);

  // Refused: the engine halftones to 1 bit and hands the result to DrvCopyBits.
  info.header.biBitCount = 1;
  ExtEscape(dc_, 9002, 0, nullptr, 0, nullptr);
  Calls();
  EXPECT_EQ(StretchDIBits(dc_, 100, 100, 400, 200, 0, 0, 4, 2, bits, bmi, DIB_RGB_COLORS, SRCCOPY), 2);
  calls = PathCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0].rfind("DrvStretchBlt refused", 0), 0u) << calls[0];
  for (size_t i = 1; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].rfind("DrvCopyBits ", 0), 0u) << calls[i];
    EXPECT_NE(calls[i].find(" format=1"), std::string::npos) << calls[i];
  }

  // Compressed or malformed DIBs are refused.
  info.header.biCompression = 1;
  EXPECT_EQ(StretchDIBits(dc_, 0, 0, 4, 2, 0, 0, 4, 2, bits, bmi, DIB_RGB_COLORS, SRCCOPY), 0);
  info.header.biCompression = BI_RGB;
  info.header.biBitCount = 3;
  EXPECT_EQ(StretchDIBits(dc_, 0, 0, 4, 2, 0, 0, 4, 2, bits, bmi, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST_F(DrawingTest, TextMetricsDescribeTheSelectedFontInLogicalUnits) {
  struct Case {
    const char16_t* face;
    bool fixedPitch;
  };
  for (const Case& c : {Case{u"Arial", false}, Case{u"Courier New", true}}) {
    SCOPED_TRACE(platform::Utf8FromUtf16(c.face));
    const LOGFONTW lf = Face(c.face, -100);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc_, font);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(dc_, &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_NEAR(tm.tmHeight - tm.tmInternalLeading, 100, 1) << "the em is the asked-for height";
    EXPECT_GT(tm.tmAscent, 70);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    // The flag is set for a variable pitch, as GDI has it.
    EXPECT_EQ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, c.fixedPitch);
    if (c.fixedPitch) {
      EXPECT_EQ(tm.tmAveCharWidth, tm.tmMaxCharWidth);
    }
    SelectObject(dc_, old);
    DeleteObject(font);
  }
}

}  // namespace
