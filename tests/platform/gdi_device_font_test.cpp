// The printer's own fonts through the recording library: a LOGFONT naming one of
// its two device fonts ("Courier", "明朝") reaches DrvTextOut as that face with the
// driver's glyph handles and widths; other names stay outline fonts. Also the
// font escapes, the background and line rectangles GDI hands with a run, the
// fallback when the library refuses a run, and a library that describes its
// fonts badly.
#include <cmath>
#include <cstring>
#include <set>

#include "platform/gdi/drawing.h"
#include "platform/gdi/engine.h"
#include "tests/platform/gdi_dc_test_helpers.h"

namespace {

using dctest::DeviceContextTest;

// Courier: em 1000 units, ascender 800, descender 200, every glyph 600 wide.
// 明朝: em 1000, single-byte glyphs 500 wide, kana and kanji 1000.
class GdiDeviceFont : public DeviceContextTest {
 protected:
  void SetUp() override {
    DeviceContextTest::SetUp();
    if (IsSkipped()) return;
    AddPrinter("Fonts", "recording_driver.dll");
    dc_ = Open(u"Fonts");
    ASSERT_NE(dc_, 0u);
  }
  void TearDown() override {
    for (HFONT font : fonts_) DeleteObject(font);
    if (dc_) DeleteDC(dc_);
    DeviceContextTest::TearDown();
  }

  // A DC on `printer` with a page open, its traces so far taken.
  HDC Open(const std::u16string& printer) {
    HDC dc = Create(printer, DevMode(DMORIENT_PORTRAIT));
    if (dc == 0) return 0;
    DOCINFOW doc{sizeof(DOCINFOW), u"Fonts", output_.c_str(), nullptr, 0};
    EXPECT_GT(StartDocW(dc, &doc), 0);
    EXPECT_GT(StartPage(dc), 0);
    SetTextAlign(dc, TA_BASELINE);
    // The faces the engine asked the library for as the PDEV was enabled.
    queried_.clear();
    for (const std::string& line : TraceLines())
      if (line.rfind("rec-font: DrvQueryFont ", 0) == 0) queried_.push_back(line.substr(line.rfind(' ') + 1));
    return dc;
  }

  void Select(HDC dc, const std::u16string& face, LONG height, BYTE outPrecision = OUT_DEFAULT_PRECIS,
              bool underline = false, bool strikeOut = false) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    lf.lfOutPrecision = outPrecision;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    face.copy(lf.lfFaceName, 31);
    HFONT font = CreateFontIndirectW(&lf);
    fonts_.push_back(font);
    SelectObject(dc, font);
  }

  // The library's calls for text since the last look, without "rec: " and the PDEV name.
  std::vector<std::string> TextCalls() {
    std::vector<std::string> out;
    for (const std::string& call : Calls()) {
      if (call.rfind("rec: Drv", 0) != 0 || call.rfind("rec: DrvEscape", 0) == 0) continue;
      std::string text = call.substr(5);
      const auto at = text.find(" pdevA");
      if (at != std::string::npos) text.erase(at, 6);
      out.push_back(text);
    }
    return out;
  }
  static std::string Joined(const std::vector<std::string>& calls) {
    std::string all;
    for (const std::string& call : calls) all += call + "\n";
    return all;
  }
  // The one DrvTextOut among `calls`.
  static std::string TextOutOf(const std::vector<std::string>& calls) {
    std::string found;
    for (const std::string& call : calls)
      if (call.rfind("DrvTextOut", 0) == 0) {
        EXPECT_TRUE(found.empty()) << "two runs:\n" << Joined(calls);
        found = call;
      }
    EXPECT_FALSE(found.empty()) << "no run:\n" << Joined(calls);
    return found;
  }
  // "hg@x,y" of a recorded run.
  static std::string GlyphsOf(const std::string& call) {
    const auto at = call.find(" glyphs=");
    return at == std::string::npos ? "" : call.substr(at + 8);
  }
  static std::string Field(const std::string& call, const std::string& name) {
    const auto at = call.find(" " + name + "=");
    if (at == std::string::npos) return "";
    const auto start = at + name.size() + 2;
    return call.substr(start, call.find(' ', start) - start);
  }

  HDC dc_ = 0;
  std::vector<HFONT> fonts_;
  std::vector<std::string> queried_;  // "face=N" of each DrvQueryFont
  std::u16string output_ = u"C:\\fonts.prn";
};

TEST_F(GdiDeviceFont, FaceNamesChooseTheDeviceFontOrStayOutlineFonts) {
  struct Case {
    const char* name;
    std::u16string face;
    BYTE precision;
    const char* font;  // as the run names it
  };
  const Case cases[] = {
      {"device face", u"Courier", OUT_DEFAULT_PRECIS, "font=Courier device face=1"},
      {"any case", u"COURIER", OUT_DEFAULT_PRECIS, "font=Courier device face=1"},
      {"Japanese name", u"明朝", OUT_DEFAULT_PRECIS, "font=明朝 device face=2"},
      {"device preferred", u"明朝", OUT_DEVICE_PRECIS, "font=明朝 device face=2"},
      // An outline Mincho answers to the name too: asked for, it wins the tie.
      {"outline preferred", u"明朝", OUT_TT_PRECIS, "font=明朝 truetype"},
      {"outline only", u"Courier", OUT_TT_ONLY_PRECIS, "font=Courier truetype"},
      {"another name", u"Courier New", OUT_DEFAULT_PRECIS, "font=Courier New truetype"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Select(dc_, c.face, -100, c.precision);
    ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"AB", 2, nullptr));
    const std::string run = TextOutOf(TextCalls());
    EXPECT_NE(run.find(c.font), std::string::npos) << run;
    if (run.find(" device ") != std::string::npos) {
      EXPECT_EQ(GlyphsOf(run).substr(0, 11), "65@100,200 ") << "the driver's handles: " << run;
    } else {
      // The outline face's own glyph indices.
      LOGFONTW lf{};
      lf.lfHeight = -100;
      c.face.copy(lf.lfFaceName, 31);
      auto reference = platform::gdi::Font::Open(lf);
      ASSERT_NE(reference, nullptr);
      EXPECT_EQ(GlyphsOf(run).substr(0, GlyphsOf(run).find('@')), std::to_string(reference->GlyphForChar(U'A')));
    }
  }
}

TEST_F(GdiDeviceFont, AdvancesComeFromTheDriverAndExtentsAgree) {
  Select(dc_, u"Courier", -100);
  ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"A BA", 4, nullptr));
  std::vector<std::string> calls = TextCalls();
  // One question for the run's distinct glyphs: 600 units at 100 pixels an em are 60 pixels (960 in 28.4).
  ASSERT_GE(calls.size(), 2u) << Joined(calls);
  EXPECT_EQ(calls[0], "DrvQueryAdvanceWidths face=1 mode=0 hg=65,32,66 widths=960,960,960");
  const std::string run = TextOutOf(calls);
  EXPECT_EQ(GlyphsOf(run), "65@100,200 32@160,200 66@220,200 65@280,200");
  EXPECT_NE(run.find("cp=0"), std::string::npos);
  const std::string uniq = Field(run, "uniq");

  SIZE extent{};
  ASSERT_TRUE(GetTextExtentPoint32W(dc_, u"A BA", 4, &extent));
  EXPECT_EQ(extent.cx, 240);
  EXPECT_EQ(extent.cy, 100);  // ascender + descender
  // The same font again is the same realisation, its widths already known.
  ASSERT_TRUE(ExtTextOutW(dc_, 0, 300, 0, nullptr, u"AB", 2, nullptr));
  calls = TextCalls();
  ASSERT_EQ(calls.size(), 1u) << Joined(calls);
  EXPECT_EQ(Field(calls[0], "uniq"), uniq);

  // A library that cannot answer widths in one go is asked glyph by glyph.
  ExtEscape(dc_, 9003, 0, nullptr, 0, nullptr);
  Select(dc_, u"Courier", -50);
  ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"AB", 2, nullptr));
  calls = TextCalls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "DrvQueryFontData face=1 mode=1 hg=65 metrics"), 1) << Joined(calls);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "DrvQueryFontData face=1 mode=1 hg=66 metrics"), 1);
  EXPECT_EQ(GlyphsOf(TextOutOf(calls)), "65@100,200 66@130,200");
  EXPECT_NE(Field(TextOutOf(calls), "uniq"), uniq) << "another size is another realisation";
  ASSERT_TRUE(GetTextExtentPoint32W(dc_, u"AB", 2, &extent));
  EXPECT_EQ(extent.cx, 60);
}

TEST_F(GdiDeviceFont, AnsiTextInTheCodePageMapsToTheDeviceGlyphs) {
  ASSERT_EQ(GetACP(), 932u);
  LOGFONTA lf{};
  lf.lfHeight = -100;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  const std::string face = platform::AnsiFromUtf8("明朝");
  std::memcpy(lf.lfFaceName, face.data(), face.size());
  HFONT font = CreateFontIndirectA(&lf);
  fonts_.push_back(font);
  SelectObject(dc_, font);
  // 日 本 語 あ A, and 漢, which the glyph set lacks: it becomes the default character '?'.
  const std::string text = platform::AnsiFromUtf8("日本語あA漢");
  ASSERT_TRUE(ExtTextOutA(dc_, 0, 500, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr));
  const std::string run = TextOutOf(TextCalls());
  EXPECT_NE(run.find("text=日本語あA漢 cp=932 font=明朝 device face=2"), std::string::npos) << run;
  // Double-width glyphs advance 100 pixels, single-byte ones 50.
  EXPECT_EQ(GlyphsOf(run), "512@0,500 515@100,500 516@200,500 256@300,500 65@400,500 63@450,500");
  SIZE extent{};
  ASSERT_TRUE(GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &extent));
  EXPECT_EQ(extent.cx, 500);
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(dc_, &tm));
  EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(tm.tmAscent, 88);
  EXPECT_EQ(tm.tmMaxCharWidth, 100);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_DEVICE);
  EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
}

TEST_F(GdiDeviceFont, FontEscapesGoToFontManagementWithTheCurrentFont) {
  Select(dc_, u"Courier", -100);
  struct Query {
    DWORD escape;
    int answer;
    const char* call;  // the library call that answered
  };
  for (const Query& q : {Query{GETFACENAME, 1, "DrvFontManagement mode=8 font=none in=4 first=513 out=0"},
                         Query{DOWNLOADFACE, 1, "DrvFontManagement mode=8 font=none in=4 first=514 out=0"},
                         Query{256, 0, "DrvFontManagement mode=8 font=none in=4 first=256 out=0"}}) {
    SCOPED_TRACE(q.escape);
    EXPECT_EQ(ExtEscape(dc_, QUERYESCSUPPORT, sizeof q.escape, reinterpret_cast<LPCSTR>(&q.escape), 0, nullptr),
              q.answer);
    EXPECT_EQ(TextCalls(), std::vector<std::string>{q.call});
  }
  // Other escapes, and the support query for them, still go to DrvEscape.
  const DWORD other = 9000;
  EXPECT_EQ(ExtEscape(dc_, QUERYESCSUPPORT, sizeof other, reinterpret_cast<LPCSTR>(&other), 0, nullptr), 1008);
  EXPECT_TRUE(TextCalls().empty());

  char name[64] = {};
  EXPECT_EQ(ExtEscape(dc_, GETFACENAME, 0, nullptr, sizeof name, name), 1);
  EXPECT_STREQ(name, "Courier");
  EXPECT_EQ(TextCalls(), std::vector<std::string>{"DrvFontManagement mode=513 font=Courier face=1 in=0 out=64"});
  // A short buffer gets what fits, however much the library wrote.
  char shortName[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(ExtEscape(dc_, GETFACENAME, 0, nullptr, sizeof shortName, shortName), 1);
  EXPECT_EQ(std::string(shortName, 3), "Cou");
  TextCalls();

  // DOWNLOADFACE hands the library the font's glyph for every single-byte code.
  const WORD mode = 1;
  EXPECT_EQ(ExtEscape(dc_, DOWNLOADFACE, sizeof mode, reinterpret_cast<LPCSTR>(&mode), 0, nullptr), 1);
  EXPECT_EQ(TextCalls(),
            std::vector<std::string>{"DrvFontManagement mode=514 font=Courier face=1 in=1028 first=1 glyphA=65 out=0"});
  Select(dc_, u"Arial", -100);
  EXPECT_EQ(ExtEscape(dc_, DOWNLOADFACE, sizeof mode, reinterpret_cast<LPCSTR>(&mode), 0, nullptr), 1);
  LOGFONTW arial{};
  arial.lfHeight = -100;
  std::u16string(u"Arial").copy(arial.lfFaceName, 31);
  auto reference = platform::gdi::Font::Open(arial);
  ASSERT_NE(reference, nullptr);
  EXPECT_EQ(TextCalls(), std::vector<std::string>{"DrvFontManagement mode=514 font=Arial in=1028 first=1 glyphA=" +
                                                  std::to_string(reference->GlyphForChar(U'A')) + " out=0"});
}

TEST_F(GdiDeviceFont, BackgroundAndLinesArriveAsRectanglesOfTheRun) {
  // "AB" at (100, 200) on the baseline: cells from x 100 to 220, y 120 (ascender
  // 80 pixels) to 220 (descender 20); the underline 10 pixels below the baseline
  // and 5 thick, the strike-out 25 above.
  struct Case {
    const char* name;
    int bkMode;
    bool underline, strikeOut, etoOpaque;
    const char* opaque;  // the run's opaque rectangle and brush, "" for none
    const char* extra;   // its line rectangles, "" for none
  };
  const Case cases[] = {
      {"opaque mode", OPAQUE, false, false, false, "100,120,220,220/030201", ""},
      {"transparent", TRANSPARENT, false, false, false, "", ""},
      {"underline", TRANSPARENT, true, false, false, "", "100,210,220,215"},
      {"both lines", OPAQUE, true, true, false, "100,120,220,220/030201", "100,210,220,215;100,175,220,180"},
      {"ETO_OPAQUE rectangle", TRANSPARENT, false, false, true, "10,20,30,40/030201", ""},
  };
  SetBkColor(dc_, RGB(1, 2, 3));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetBkMode(dc_, c.bkMode);
    Select(dc_, u"Courier", -100, OUT_DEFAULT_PRECIS, c.underline, c.strikeOut);
    const RECT rect{10, 20, 30, 40};
    ASSERT_TRUE(
        ExtTextOutW(dc_, 100, 200, c.etoOpaque ? ETO_OPAQUE : 0, c.etoOpaque ? &rect : nullptr, u"AB", 2, nullptr));
    const std::string run = TextOutOf(TextCalls());
    EXPECT_EQ(Field(run, "opaque"), c.opaque) << run;
    EXPECT_EQ(Field(run, "extra"), c.extra) << run;
  }
  EXPECT_EQ(SetBkMode(dc_, 7), 0);
  EXPECT_EQ(GetBkMode(dc_), TRANSPARENT);
  EXPECT_EQ(GetBkColor(dc_), RGB(1, 2, 3));

  // A turned run's cells and lines are no rectangles: the background is filled
  // as a band before the run, the underline after it.
  SetBkMode(dc_, OPAQUE);
  LOGFONTW turned{};
  turned.lfHeight = -100;
  turned.lfEscapement = turned.lfOrientation = 900;
  turned.lfUnderline = TRUE;
  std::u16string(u"Courier").copy(turned.lfFaceName, 31);
  HFONT font = CreateFontIndirectW(&turned);
  fonts_.push_back(font);
  SelectObject(dc_, font);
  ASSERT_TRUE(ExtTextOutW(dc_, 1000, 1000, 0, nullptr, u"AB", 2, nullptr));
  std::vector<std::string> calls;
  for (const std::string& call : TextCalls())
    if (call.rfind("DrvQuery", 0) != 0) calls.push_back(call);
  ASSERT_EQ(calls.size(), 3u) << Joined(calls);
  EXPECT_EQ(calls[0].rfind("DrvFillPath clip=T[0,0,4760,6816] brush=030201 winding path=M ", 0), 0u) << calls[0];
  EXPECT_EQ(calls[1].rfind("DrvTextOut", 0), 0u);
  EXPECT_EQ(Field(calls[1], "opaque"), "");
  EXPECT_EQ(Field(calls[1], "extra"), "");
  EXPECT_EQ(calls[2].rfind("DrvFillPath clip=T[0,0,4760,6816] brush=000000 winding path=M ", 0), 0u) << calls[2];
}

TEST_F(GdiDeviceFont, ResetDcAsksTheNewPdevForItsFonts) {
  Select(dc_, u"Courier", -100);
  ASSERT_TRUE(ExtTextOutW(dc_, 0, 100, 0, nullptr, u"A", 1, nullptr));
  const std::string before = Field(TextOutOf(TextCalls()), "uniq");
  ASSERT_GT(EndPage(dc_), 0);
  const std::vector<BYTE> landscape = DevMode(DMORIENT_LANDSCAPE);
  ASSERT_EQ(ResetDCW(dc_, reinterpret_cast<const DEVMODEW*>(landscape.data())), dc_);
  ASSERT_GT(StartPage(dc_), 0);
  std::vector<std::string> asked;
  for (const std::string& line : TraceLines())
    if (line.rfind("rec-font: DrvQueryFont ", 0) == 0) asked.push_back(line.substr(line.rfind(' ') + 1));
  EXPECT_EQ(asked, (std::vector<std::string>{"face=1", "face=2"}));
  ASSERT_TRUE(ExtTextOutW(dc_, 0, 100, 0, nullptr, u"A", 1, nullptr));
  const std::string run = TextOutOf(TextCalls());
  EXPECT_NE(run.find("font=Courier device face=1"), std::string::npos) << run;
  EXPECT_NE(Field(run, "uniq"), before) << "a realisation of the new PDEV";
}

TEST_F(GdiDeviceFont, RefusedRunsAreDrawnPaintingOnlyTheGlyphsInk) {
  ExtEscape(dc_, 9001, 0, nullptr, 0, nullptr);  // DrvTextOut refuses from now on
  SetTextColor(dc_, RGB(10, 20, 30));
  SetBkColor(dc_, RGB(255, 255, 255));
  Select(dc_, u"Courier", -100, OUT_DEFAULT_PRECIS, true);
  ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"A B", 3, nullptr));
  // The background first, then the device glyphs from the library's bitmaps
  // (hollow squares 50 pixels wide: 196 set pixels of 2500) painted as masks:
  // the text colour where a bit is set, the page left alone elsewhere (ROP4
  // 0xAAF0); the underline last.
  std::vector<std::string> calls = TextCalls();
  std::vector<std::string> drawing;
  for (const std::string& call : calls)
    if (call.rfind("DrvQueryAdvanceWidths", 0) != 0) drawing.push_back(call);
  ASSERT_GE(drawing.size(), 1u);
  EXPECT_EQ(drawing[0].rfind("DrvTextOut refused", 0), 0u) << Joined(drawing);
  drawing.erase(drawing.begin());
  EXPECT_EQ(drawing,
            (std::vector<std::string>{
                "DrvBitBlt clip=T[0,0,4760,6816] src=none mask=none rop=F0F0 brush=FFFFFF dest=100,120,280,220",
                "DrvGetGlyphMode face=1",
                "DrvQueryFontData face=1 mode=1 hg=65 metrics",
                "DrvQueryFontData face=1 mode=1 hg=65 bits",
                "DrvBitBlt clip=T[0,0,4760,6816] src=none mask=50x50 set=196 rop=AAF0 brush=1E140A "
                "dest=100,150,150,200",
                "DrvQueryFontData face=1 mode=1 hg=32 metrics",
                "DrvQueryFontData face=1 mode=1 hg=66 metrics",
                "DrvQueryFontData face=1 mode=1 hg=66 bits",
                "DrvBitBlt clip=T[0,0,4760,6816] src=none mask=50x50 set=196 rop=AAF0 brush=1E140A "
                "dest=220,150,270,200",
                "DrvBitBlt clip=T[0,0,4760,6816] src=none mask=none rop=F0F0 brush=1E140A "
                "dest=100,210,280,215",
            }))
      << Joined(drawing);

  // Without mask blits the set pixels go as rectangles of a path: a hollow
  // square is 2 spans on its top and bottom rows and 2 on each of the 48 between.
  ExtEscape(dc_, 9005, 0, nullptr, 0, nullptr);
  SetBkMode(dc_, TRANSPARENT);
  Select(dc_, u"Courier", -100);
  ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"A", 1, nullptr));
  int fills = 0;
  for (const std::string& call : TextCalls()) {
    if (call.rfind("DrvFillPath", 0) != 0) continue;
    ++fills;
    size_t figures = 0;
    for (size_t at = call.find(" M "); at != std::string::npos; at = call.find(" M ", at + 1)) ++figures;
    EXPECT_EQ(figures + (call.find("path=M ") != std::string::npos ? 1 : 0), 98u) << call;
    EXPECT_NE(call.find("brush=1E140A"), std::string::npos);
  }
  EXPECT_EQ(fills, 1);
}

TEST_F(GdiDeviceFont, RefusedOutlineRunsFollowTheGlyphModeTheLibraryAsks) {
  ExtEscape(dc_, 9001, 0, nullptr, 0, nullptr);
  SetBkMode(dc_, TRANSPARENT);
  Select(dc_, u"Arial", -100);
  struct Case {
    const char* name;
    DWORD escape;      // 0: none
    const char* call;  // how the glyphs reach the library
  };
  for (const Case& c : {Case{"bitmaps", 0, "DrvBitBlt clip=T[0,0,4760,6816] src=none mask="},
                        Case{"outlines", 9004, "DrvFillPath clip=T[0,0,4760,6816] brush=000000 winding path=M "}}) {
    SCOPED_TRACE(c.name);
    if (c.escape) ExtEscape(dc_, static_cast<int>(c.escape), 0, nullptr, 0, nullptr);
    TextCalls();
    ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"H", 1, nullptr));
    const std::vector<std::string> calls = TextCalls();
    ASSERT_EQ(calls.size(), 3u) << Joined(calls);
    EXPECT_EQ(calls[1], "DrvGetGlyphMode face=0");
    EXPECT_EQ(calls[2].rfind(c.call, 0), 0u) << calls[2];
  }
}

TEST_F(GdiDeviceFont, OrientationTurnsGlyphsApartFromTheBaselineOnlyInAdvancedMode) {
  LOGFONTW lf{};
  lf.lfHeight = -100;
  lf.lfEscapement = 0;
  lf.lfOrientation = 900;
  std::u16string(u"Courier").copy(lf.lfFaceName, 31);
  HFONT font = CreateFontIndirectW(&lf);
  fonts_.push_back(font);
  SelectObject(dc_, font);
  SetBkMode(dc_, TRANSPARENT);
  struct Case {
    int mode;
    const char* accel;  // SO_FLAG_DEFAULT_PLACEMENT | SO_HORIZONTAL, or | SO_ESC_NOT_ORIENT
  };
  for (const Case& c : {Case{GM_COMPATIBLE, "3"}, Case{GM_ADVANCED, "513"}}) {
    SCOPED_TRACE(c.mode);
    SetGraphicsMode(dc_, c.mode);
    ASSERT_TRUE(ExtTextOutW(dc_, 100, 200, 0, nullptr, u"AB", 2, nullptr));
    const std::string run = TextOutOf(TextCalls());
    EXPECT_EQ(Field(run, "accel"), c.accel) << run;
    // Either way the run goes along the baseline of lfEscapement, 60 pixels a glyph.
    EXPECT_EQ(GlyphsOf(run), "65@100,200 66@160,200");
  }
}

TEST_F(GdiDeviceFont, EnumerationListsTheDeviceFontsBesideOutlineFamilies) {
  struct Seen {
    std::u16string face;
    DWORD type;
    BYTE charset;
    std::u16string script;
  };
  std::vector<Seen> seen;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  auto collect = [](const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM lParam) -> int {
    const auto* elf = reinterpret_cast<const ENUMLOGFONTEXW*>(lf);
    reinterpret_cast<std::vector<Seen>*>(lParam)->push_back(Seen{lf->lfFaceName, type, lf->lfCharSet, elf->elfScript});
    return 1;
  };
  EXPECT_EQ(EnumFontFamiliesExW(dc_, &all, collect, reinterpret_cast<LPARAM>(&seen), 0), 1);
  auto find = [&](const std::u16string& face, DWORD type) {
    return std::find_if(seen.begin(), seen.end(), [&](const Seen& s) { return s.face == face && s.type == type; });
  };
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen[0].face, u"Courier");
  EXPECT_EQ(seen[0].type, DWORD(DEVICE_FONTTYPE));
  EXPECT_EQ(seen[1].face, u"明朝");
  EXPECT_EQ(seen[1].charset, SHIFTJIS_CHARSET);
  EXPECT_EQ(seen[1].script, u"Japanese");
  EXPECT_NE(find(u"Arial", TRUETYPE_FONTTYPE), seen.end());
  EXPECT_NE(find(u"ＭＳ 明朝", TRUETYPE_FONTTYPE), seen.end());

  // One family by its ANSI name, stopped by the callback after the first font.
  LOGFONTA one{};
  one.lfCharSet = DEFAULT_CHARSET;
  const std::string mincho = platform::AnsiFromUtf8("明朝");
  std::memcpy(one.lfFaceName, mincho.data(), mincho.size());
  std::vector<std::string> names;
  auto stop = [](const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD type, LPARAM lParam) -> int {
    auto* out = reinterpret_cast<std::vector<std::string>*>(lParam);
    out->push_back(std::string(lf->lfFaceName) + "/" + std::to_string(type) + "/" +
                   std::to_string(reinterpret_cast<const NEWTEXTMETRICA*>(tm)->ntmSizeEM));
    return 0;
  };
  EXPECT_EQ(EnumFontFamiliesExA(dc_, &one, stop, reinterpret_cast<LPARAM>(&names), 0), 0);
  EXPECT_EQ(names, std::vector<std::string>{mincho + "/2/1000"});
}

TEST_F(GdiDeviceFont, BadlyDescribedFacesAreLeftOutAndNeverFollowed) {
  // Faces 3 to 7 of this driver: no metrics, a name past the block, a block
  // smaller than its metrics, no glyph set, a name that runs off the block.
  AddPrinter("BadFonts", "recording_driver.dll");
  HDC bad = Open(u"BadFonts");
  ASSERT_NE(bad, 0u);
  EXPECT_EQ(queried_, (std::vector<std::string>{"face=1", "face=2", "face=3", "face=4", "face=5", "face=6", "face=7"}));
  std::vector<std::u16string> faces;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(
      bad, &all,
      [](const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM lParam) -> int {
        if (type & DEVICE_FONTTYPE) reinterpret_cast<std::vector<std::u16string>*>(lParam)->push_back(lf->lfFaceName);
        return 1;
      },
      reinterpret_cast<LPARAM>(&faces), 0);
  EXPECT_EQ(faces, (std::vector<std::u16string>{u"Courier", u"明朝", u"Broken Set"}));

  // The face without a glyph set is drawn with an outline font instead; the good ones still work.
  Select(bad, u"Broken Set", -100);
  ASSERT_TRUE(ExtTextOutW(bad, 0, 100, 0, nullptr, u"A", 1, nullptr));
  EXPECT_NE(TextOutOf(TextCalls()).find("font=Broken Set truetype"), std::string::npos);
  Select(bad, u"明朝", -100);
  ASSERT_TRUE(ExtTextOutW(bad, 0, 100, 0, nullptr, u"あ", 1, nullptr));
  EXPECT_EQ(GlyphsOf(TextOutOf(TextCalls())), "256@0,100");
  EXPECT_TRUE(DeleteDC(bad));

  // A driver that announces -1 fonts tells their number when asked for face 0.
  AddPrinter("AskFonts", "recording_driver.dll");
  HDC ask = Open(u"AskFonts");
  ASSERT_NE(ask, 0u);
  EXPECT_EQ(queried_, (std::vector<std::string>{"face=0", "face=1", "face=2"}));
  Select(ask, u"Courier", -100);
  ASSERT_TRUE(ExtTextOutW(ask, 0, 100, 0, nullptr, u"A", 1, nullptr));
  EXPECT_NE(TextOutOf(TextCalls()).find("font=Courier device face=1"), std::string::npos);
  EXPECT_TRUE(DeleteDC(ask));
}

}  // namespace
