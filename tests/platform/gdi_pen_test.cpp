// Pens as the graphics library sees them: the LINEATTRS of DrvStrokePath for
// cosmetic and geometric pens, their styles, joins, caps and widths on the
// device, the miter limit, and the pens ExtCreatePen refuses.
#include <functional>

#include "platform/gdi/drawing.h"
#include "tests/platform/gdi_dc_test_helpers.h"

namespace {

class PenTest : public dctest::DeviceContextTest {
 protected:
  void SetUp() override {
    DeviceContextTest::SetUp();
    if (IsSkipped()) return;
    AddPrinter("Pens", "recording_driver.dll");
    dc_ = Create(u"Pens", DevMode(DMORIENT_PORTRAIT));
    ASSERT_NE(dc_, 0u);
    DOCINFOW doc{sizeof(DOCINFOW), u"Pens", u"C:\\pens.prn", nullptr, 0};
    ASSERT_GT(StartDocW(dc_, &doc), 0);
    ASSERT_GT(StartPage(dc_), 0);
    ExtEscape(dc_, 9007, 0, nullptr, 0, nullptr);  // the library traces whole line attributes
    Calls();
  }
  void TearDown() override {
    if (dc_) DeleteDC(dc_);
    DeviceContextTest::TearDown();
  }

  // The line attributes of one line drawn with `pen` ("fl=.. join=.. ..."), or
  // what went wrong.
  std::string LineAttrsOf(HPEN pen) {
    if (pen == 0) return "<no pen: " + std::to_string(GetLastError()) + ">";
    HGDIOBJ old = SelectObject(dc_, pen);
    MoveToEx(dc_, 10, 10, nullptr);
    LineTo(dc_, 100, 10);
    SelectObject(dc_, old);
    DeleteObject(pen);
    std::vector<std::string> found;
    for (const std::string& call : Calls())
      if (call.rfind("rec: LineAttrs pdevA ", 0) == 0) found.push_back(call.substr(21));
    return found.size() == 1 ? found[0] : "<" + std::to_string(found.size()) + " strokes>";
  }

  HDC dc_ = 0;
};

HPEN Geometric(DWORD style, DWORD width, DWORD count = 0, const DWORD* pattern = nullptr) {
  const LOGBRUSH brush{BS_SOLID, RGB(0, 0, 0), 0};
  return ExtCreatePen(PS_GEOMETRIC | style, width, &brush, count, pattern);
}

HPEN Cosmetic(DWORD style, DWORD count = 0, const DWORD* pattern = nullptr) {
  const LOGBRUSH brush{BS_SOLID, RGB(0, 0, 0), 0};
  return ExtCreatePen(PS_COSMETIC | style, 1, &brush, count, pattern);
}

TEST_F(PenTest, LineAttributesFollowThePenAndTheTransform) {
  const XFORM identity{1, 0, 0, 1, 0, 0};
  const DWORD user[] = {2, 3, 4, 5};
  const DWORD dashes[] = {10, 5};
  struct Case {
    const char* name;
    std::function<HPEN()> pen;
    int mapMode;
    XFORM world;
    std::string attrs;
  };
  const Case cases[] = {
      // Cosmetic: one pixel (a LONG width), the stock patterns in style units.
      {"solid hairline", [] { return CreatePen(PS_SOLID, 0, 0); }, MM_TEXT, identity,
       "fl=0x0 join=0 cap=0 width=1 miter=10 style="},
      {"dash", [] { return CreatePen(PS_DASH, 0, 0); }, MM_TEXT, identity,
       "fl=0x8 join=0 cap=0 width=1 miter=10 style=3,1"},
      {"dot", [] { return CreatePen(PS_DOT, 0, 0); }, MM_TEXT, identity,
       "fl=0x8 join=0 cap=0 width=1 miter=10 style=1,1"},
      {"dash dot", [] { return CreatePen(PS_DASHDOT, 0, 0); }, MM_TEXT, identity,
       "fl=0x8 join=0 cap=0 width=1 miter=10 style=3,1,1,1"},
      {"dash dot dot", [] { return Cosmetic(PS_DASHDOTDOT); }, MM_TEXT, identity,
       "fl=0x8 join=0 cap=0 width=1 miter=10 style=3,1,1,1,1,1"},
      {"alternate", [] { return Cosmetic(PS_ALTERNATE); }, MM_TEXT, identity,
       "fl=0xA join=0 cap=0 width=1 miter=10 style=1,1"},
      {"cosmetic user style", [&] { return Cosmetic(PS_USERSTYLE, 4, user); }, MM_TEXT, identity,
       "fl=0x8 join=0 cap=0 width=1 miter=10 style=2,3,4,5"},
      // A cosmetic pen stays one pixel under any transform.
      {"cosmetic scaled", [] { return Cosmetic(PS_SOLID); }, MM_TEXT, XFORM{5, 0, 0, 5, 0, 0},
       "fl=0x0 join=0 cap=0 width=1 miter=10 style="},
      // CreatePen's wide pens are geometric with round joins and caps.
      {"wide CreatePen", [] { return CreatePen(PS_SOLID, 10, 0); }, MM_TEXT, identity,
       "fl=0x1 join=0 cap=0 width=10 miter=10 style="},
      {"miter, flat", [] { return Geometric(PS_SOLID | PS_JOIN_MITER | PS_ENDCAP_FLAT, 10); }, MM_TEXT, identity,
       "fl=0x1 join=2 cap=2 width=10 miter=10 style="},
      {"bevel, square", [] { return Geometric(PS_SOLID | PS_JOIN_BEVEL | PS_ENDCAP_SQUARE, 10); }, MM_TEXT, identity,
       "fl=0x1 join=1 cap=1 width=10 miter=10 style="},
      // A geometric width is logical: the world transform and the map mode scale it.
      {"geometric scaled", [] { return Geometric(PS_SOLID, 10); }, MM_TEXT, XFORM{2.5f, 0, 0, 2.5f, 0, 0},
       "fl=0x1 join=0 cap=0 width=25 miter=10 style="},
      {"geometric turned", [] { return Geometric(PS_SOLID, 8); }, MM_TEXT, XFORM{0, 1, -1, 0, 0, 0},
       "fl=0x1 join=0 cap=0 width=8 miter=10 style="},
      {"geometric in thousandths of an inch", [] { return Geometric(PS_SOLID, 100); }, MM_HIENGLISH, identity,
       "fl=0x1 join=0 cap=0 width=60 miter=10 style="},
      {"narrow geometric", [] { return Geometric(PS_SOLID, 1); }, MM_TEXT, XFORM{0.5f, 0, 0, 0.5f, 0, 0},
       "fl=0x1 join=0 cap=0 width=0.5 miter=10 style="},
      // Geometric patterns are lengths on the device: stock ones in pen widths,
      // user ones in logical units.
      {"geometric dash", [] { return Geometric(PS_DASH, 4); }, MM_TEXT, identity,
       "fl=0x9 join=0 cap=0 width=4 miter=10 style=12,4"},
      {"geometric user style", [&] { return Geometric(PS_USERSTYLE, 3, 2, dashes); }, MM_TEXT, XFORM{2, 0, 0, 2, 0, 0},
       "fl=0x9 join=0 cap=0 width=6 miter=10 style=20,10"},
  };
  ASSERT_TRUE(SetGraphicsMode(dc_, GM_ADVANCED));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetMapMode(dc_, c.mapMode);
    ASSERT_TRUE(SetWorldTransform(dc_, &c.world));
    EXPECT_EQ(LineAttrsOf(c.pen()), c.attrs);
  }
}

TEST_F(PenTest, MiterLimitReachesTheLibraryAndRefusesLessThanOne) {
  FLOAT limit = 0;
  ASSERT_TRUE(GetMiterLimit(dc_, &limit));
  EXPECT_EQ(limit, 10.0f);
  FLOAT old = 0;
  ASSERT_TRUE(SetMiterLimit(dc_, 2.5f, &old));
  EXPECT_EQ(old, 10.0f);
  EXPECT_EQ(LineAttrsOf(Geometric(PS_JOIN_MITER, 4)), "fl=0x1 join=2 cap=0 width=4 miter=2.5 style=");
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(SetMiterLimit(dc_, 0.5f, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(GetMiterLimit(dc_, &limit));
  EXPECT_EQ(limit, 2.5f);
  EXPECT_FALSE(GetMiterLimit(dc_, nullptr));
  EXPECT_FALSE(SetMiterLimit(0x7FFF, 3.0f, nullptr));
}

TEST_F(PenTest, BrushesOfGeometricPens) {
  // A hatched pen strokes with a pattern brush; a hollow one draws nothing.
  const LOGBRUSH hatch{BS_HATCHED, RGB(255, 0, 0), HS_CROSS};
  HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 6, &hatch, 0, nullptr);
  ASSERT_NE(pen, 0u);
  SelectObject(dc_, pen);
  MoveToEx(dc_, 0, 0, nullptr);
  ASSERT_TRUE(LineTo(dc_, 50, 0));
  bool patterned = false;
  for (const std::string& call : Calls())
    if (call.rfind("rec: DrvStrokePath", 0) == 0) patterned = call.find(" pen=FFFFFFFF ") != std::string::npos;
  EXPECT_TRUE(patterned);

  const LOGBRUSH hollow{BS_NULL, 0, 0};
  HPEN none = ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 6, &hollow, 0, nullptr);
  ASSERT_NE(none, 0u);
  SelectObject(dc_, none);
  ASSERT_TRUE(LineTo(dc_, 50, 50));
  for (const std::string& call : Calls()) EXPECT_EQ(call.find("DrvStrokePath"), std::string::npos) << call;
  SelectObject(dc_, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  DeleteObject(none);
}

TEST(ExtCreatePen, RefusesWhatGdiRefuses) {
  const LOGBRUSH solid{BS_SOLID, 0, 0};
  const LOGBRUSH hatch{BS_HATCHED, 0, HS_CROSS};
  const LOGBRUSH badHatch{BS_HATCHED, 0, HS_DDI_MAX};
  const DWORD pattern[] = {1, 2};
  const DWORD zeros[] = {0, 0};
  const DWORD tooLong[17] = {1};
  struct Case {
    const char* name;
    DWORD style;
    DWORD width;
    const LOGBRUSH* brush;
    DWORD count;
    const DWORD* entries;
    bool made;
  };
  const Case cases[] = {
      {"cosmetic", PS_COSMETIC | PS_DOT, 1, &solid, 0, nullptr, true},
      {"cosmetic two wide", PS_COSMETIC, 2, &solid, 0, nullptr, false},
      {"cosmetic with a cap", PS_COSMETIC | PS_ENDCAP_FLAT, 1, &solid, 0, nullptr, false},
      {"cosmetic with a join", PS_COSMETIC | PS_JOIN_BEVEL, 1, &solid, 0, nullptr, false},
      {"cosmetic hatched", PS_COSMETIC, 1, &hatch, 0, nullptr, false},
      {"cosmetic inside frame", PS_COSMETIC | PS_INSIDEFRAME, 1, &solid, 0, nullptr, false},
      {"geometric", PS_GEOMETRIC | PS_DASH | PS_JOIN_MITER | PS_ENDCAP_SQUARE, 7, &solid, 0, nullptr, true},
      {"geometric hatched", PS_GEOMETRIC, 7, &hatch, 0, nullptr, true},
      {"geometric bad hatch", PS_GEOMETRIC, 7, &badHatch, 0, nullptr, false},
      {"geometric alternate", PS_GEOMETRIC | PS_ALTERNATE, 7, &solid, 0, nullptr, false},
      {"unknown cap", PS_GEOMETRIC | 0x300, 7, &solid, 0, nullptr, false},
      {"unknown type", 0x20000, 1, &solid, 0, nullptr, false},
      {"no brush", PS_GEOMETRIC, 7, nullptr, 0, nullptr, false},
      {"user style", PS_GEOMETRIC | PS_USERSTYLE, 3, &solid, 2, pattern, true},
      {"user style without entries", PS_GEOMETRIC | PS_USERSTYLE, 3, &solid, 0, nullptr, false},
      {"user style of zeros", PS_COSMETIC | PS_USERSTYLE, 1, &solid, 2, zeros, false},
      {"user style too long", PS_COSMETIC | PS_USERSTYLE, 1, &solid, 17, tooLong, false},
      {"entries without user style", PS_GEOMETRIC | PS_DASH, 3, &solid, 2, pattern, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(ERROR_SUCCESS);
    HPEN pen = ExtCreatePen(c.style, c.width, c.brush, c.count, c.entries);
    EXPECT_EQ(pen != 0, c.made);
    if (pen != 0) {
      EXPECT_TRUE(DeleteObject(pen));
    } else {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
  }
}

}  // namespace
