// The text writer's job-stream bytes: PCL text and HP-GL/2 labels in the
// printer's fonts, PostScript show forms, substituted TrueType text that falls
// back to a downloaded font character by character, glyph pages, and the runs
// it refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/pdl_kind.h"
#include "graphics/output/text/text_run.h"
#include "graphics/output/text/text_select_font.h"
#include "graphics/output/text/text_support.h"
#include "graphics/output/text/text_writer.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "tests/graphics/vector_fixture.h"
#include "tests/graphics_text/fake_text_services.h"
#include "tests/graphics_text/text_fixture.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

using platform::gdi::Font;
using platform::gdi::TextRun;

const std::string kEsc = "\x1b";

fontrecord::MetricsBlock BitmapRecord(const char* face, const char* selection) {
  fontrecord::MetricsBlock record = PrinterFontRecord(face, selection, true);
  record.SetU8(fontrecord::offset::kFlags, fontrecord::kFlagFixedPitch);
  return record;
}

class TextWriterTest : public testsupport::FreshMachine {
 protected:
  void Open(WORD pdl) {
    DropCompositeFonts();
    pdev_ = BarePdev(pdl);
    ASSERT_TRUE(pdev_);
    ResetServices(pdev_.get());
    fonts_ = std::make_unique<PrinterFonts>(
        pdev_.get(), std::vector<fontrecord::MetricsBlock>{
                         PrinterFontRecord("Univers", "4148,8U"),              // PCL, proportional
                         PrinterFontRecord("Helvetica", ""),                   // PostScript
                         PrinterFontRecord("Letter Gothic", "4102,8U", true),  // PCL, fixed pitch
                         BitmapRecord("Line Printer", "0,8U"),                 // PCL, bitmap
                     });
  }
  void TearDown() override {
    if (pdev_) ResetServices(pdev_.get());
    DropCompositeFonts();
    fonts_.reset();
    pdev_.reset();
    FreshMachine::TearDown();
  }

  // The composite-font table the real text writer makes; this program's
  // recording ReleaseFontLists only notes the lists it is given.
  void DropCompositeFonts() {
    if (!pdev_) return;
    FreeCompositeFonts(CompositeFonts(pdev_.get(), false));
    pdev_->downloadedFonts[1] = nullptr;
  }

  // What one run writes; *result gets WalkGlyphs' answer.
  std::string Walk(TextRun* run, FONTOBJ* font, CLIPOBJ* clip = nullptr, DWORD rgb = 0, BOOL* result = nullptr) {
    BRUSHOBJ fore{};
    fore.iSolidColor = rgb;
    BOOL answer = FALSE;
    std::string out = Captured(pdev_.get(), [&] { answer = WalkGlyphs(pdev_.get(), run, clip, font, nullptr, &fore); });
    if (result) *result = answer;
    return out;
  }

  PdevPtr pdev_;
  std::unique_ptr<PrinterFonts> fonts_;
};

TEST_F(TextWriterTest, PclTextSelectsTheResidentFontByItsCharacteristicsOnce) {
  Open(kPdlPcl5e);
  auto univers = fonts_->Font(1, 50);
  auto first = MakeRun(u"Hello", 100, 200, 25);
  BOOL ok = FALSE;
  EXPECT_EQ(Walk(first.get(), univers.get(), nullptr, 0, &ok), kEsc + "&t1P" + kEsc + "&c0T" + kEsc + "(8U" + kEsc +
                                                                   "(s1p6v0s0b4148T" + kEsc + "*v1O" + kEsc + "*v0T" +
                                                                   kEsc + "*p100x200YHello");
  EXPECT_TRUE(ok);
  // The same font, height, weight and style: no second selection.
  auto second = MakeRun(u"World", 100, 300, 25);
  EXPECT_EQ(Walk(second.get(), univers.get()), kEsc + "&t1P" + kEsc + "*p100x300YWorld");
  // Another height selects again.
  auto bigger = fonts_->Font(1, 100);
  auto third = MakeRun(u"X", 10, 20, 25);
  EXPECT_EQ(Walk(third.get(), bigger.get()),
            kEsc + "&t1P" + kEsc + "&c0T" + kEsc + "(8U" + kEsc + "(s1p12v0s0b4148T" + kEsc + "*p10x20YX");
  // A page end forgets the printer's current font.
  std::memset(pdev_->carried.savedTextStates, 0, sizeof pdev_->carried.savedTextStates);
  EXPECT_NE(Walk(third.get(), bigger.get()).find("4148T"), std::string::npos);
}

TEST_F(TextWriterTest, FixedPitchFontsGiveAPitchInsteadOfAHeight) {
  Open(kPdlPcl5e);
  auto gothic = fonts_->Font(3, 100);  // 12 points; 600 x 1000 / (500 x 100) = 12 characters an inch
  auto run = MakeRun(u"ab", 0, 100, 50);
  EXPECT_EQ(Walk(run.get(), gothic.get()), kEsc + "&t1P" + kEsc + "&c0T" + kEsc + "(8U" + kEsc + "(s0p12h0s0b4102T" +
                                               kEsc + "*v1O" + kEsc + "*v0T" + kEsc + "*p0x100Yab");
}

TEST_F(TextWriterTest, BitmapFontsGiveWholeCharactersPerInch) {
  Open(kPdlPcl5e);
  // A bitmap font of 300 dpi: an em of 50 dots and characters 25 wide, which
  // the metrics give doubled for 600 dpi.
  fontrecord::MetricsBlock record = BitmapRecord("Line Printer", "0,8U");
  record.SetU16(fontrecord::offset::kHeight, 50);
  record.SetU16(fontrecord::offset::kAverageWidth, 25);
  PrinterFonts bitmap(pdev_.get(), {record});
  auto font = Font::Device(1, bitmap.Metrics(0), XFORML{1, 0, 0, 1, 0, 0});  // 100 dots high
  auto run = MakeRun(u"ab", 0, 100, 50);
  std::string out = Walk(run.get(), font.get());
  EXPECT_EQ(out.substr(0, out.find(kEsc + "*v1O")),
            kEsc + "&t1P" + kEsc + "&c0T" + kEsc + "(8U" + kEsc + "(s0p12h12v0s0b0T");
  pdev_->carried.watermarkTextFlag = 1;
  out = Walk(run.get(), font.get());
  EXPECT_EQ(out.substr(0, out.find("FT")), kEsc + "%1BSD1,277,2,0,3,12,5,0,6,0,7,0;SB0SS;");
}

TEST_F(TextWriterTest, CharactersAreWrittenInTheFontsCodePage) {
  Open(kPdlPcl5e);
  auto univers = fonts_->Font(1, 50);
  // é and the euro sign have codes in code page 1252; a Japanese character has
  // none and prints as the default character.
  auto run = MakeRun(u"\u00e9\u20ac\u65e5", 10, 10, 25);
  const std::string out = Walk(run.get(), univers.get());
  EXPECT_EQ(out.substr(out.size() - 3), "\xe9\x80?");
}

TEST_F(TextWriterTest, GlyphsAtNegativeCoordinatesAreLeftOutAndTheStartFollowsTheFirstVisibleOne) {
  Open(kPdlPcl5e);
  auto univers = fonts_->Font(1, 50);
  // Each glyph carries its own position; the first two lie above the page.
  auto run = MakeRun(u"abcd", 100, -20, 30, nullptr, true, 10);
  const std::string out = Walk(run.get(), univers.get());
  const std::string text = out.substr(out.find(kEsc + "*v0T") + 5);
  EXPECT_EQ(text, kEsc + "*p160x0Yc" + kEsc + "*p190x10Yd");

  // PostScript: the same glyphs, from the first visible one.
  Open(kPdlPs3);
  auto helvetica = fonts_->Font(2, 50);
  auto psRun = MakeRun(u"abcd", 100, -20, 30, nullptr, true, 10);
  EXPECT_EQ(Walk(psRun.get(), helvetica.get()), "/Helvetica 50 SDF\n 0 g 160 0 m (cd)[30 10 0 0]XYS\n");
  // Shown in a row: the row starts at its first visible glyph.
  auto row = MakeRun(u"abcd", -60, 100, 30);
  EXPECT_EQ(Walk(row.get(), helvetica.get()), " 0 100 m (cd)show\n");
  // PCL: a run starting left of the page is a label, from the same glyph.
  Open(kPdlPcl5e);
  auto univers2 = fonts_->Font(1, 50);
  auto pclRow = MakeRun(u"abcd", -60, 100, 30);
  const std::string label = Walk(pclRow.get(), univers2.get());
  EXPECT_EQ(label.substr(label.find("CF2")), "CF2;LO21;PAPU0,100;DI;LBcd\x03");
  // Nothing on the page: nothing written, and not refused.
  auto offPage = MakeRun(u"ab", -90, 100, 30);
  BOOL ok = FALSE;
  Walk(offPage.get(), univers2.get(), nullptr, 0, &ok);
  EXPECT_TRUE(ok);
}

TEST_F(TextWriterTest, PostScriptShowFormsFollowPlacementAndSimulation) {
  Open(kPdlPs3);
  auto helvetica = fonts_->Font(2, 50);
  auto plain = MakeRun(u"Hi (x)\\", 100, 200, 25);
  EXPECT_EQ(Walk(plain.get(), helvetica.get()), "/Helvetica 50 SDF\n 0 g 100 200 m (Hi \\(x\\)\\\\)show\n");
  struct Case {
    const char* what;
    std::u16string text;
    bool positioned;
    FLONG simulation;
    std::string expected;
  } cases[] = {
      {"one glyph", u"A", false, 0, " 10 20 m (A)show\n"},
      {"one glyph in bold", u"A", false, FO_SIM_BOLD, " 10 20 m (A)SB\n"},
      {"bold", u"AB", false, FO_SIM_BOLD, " 10 20 m (AB)FitB\n"},
      {"positioned", u"AB", true, 0, " 10 20 m (AB)[25 0 0 0]XYS\n"},
      {"positioned bold", u"AB", true, FO_SIM_BOLD, " 10 20 m (AB)[25 0 0 0]XYB\n"},
      {"a byte outside ASCII", u"\u00e9", false, 0, " 10 20 m (\\351)show\n"},
      {"plain, octal and escaped bytes in a row", u"a\u00e9bc)\u00e9", false, 0, " 10 20 m (a\\351bc\\)\\351)show\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    helvetica->flFontType = DEVICE_FONTTYPE | c.simulation;
    auto run = MakeRun(c.text, 10, 20, 25, nullptr, c.positioned);
    EXPECT_EQ(Walk(run.get(), helvetica.get()), c.expected);
  }
}

TEST_F(TextWriterTest, ClipsAreWrittenOnlyWhereTheTextReachesBeyondThem) {
  Open(kPdlPs3);
  auto helvetica = fonts_->Font(2, 100);
  auto run = MakeRun(u"AB", 100, 200, 50);
  CLIPOBJ around = RectClip(RECTL{0, 0, 1000, 1000});
  EXPECT_EQ(Walk(run.get(), helvetica.get(), &around), "/Helvetica 100 SDF\n 0 g 100 200 m (AB)show\n");
  CLIPOBJ cutting = RectClip(RECTL{0, 150, 1000, 1000});
  EXPECT_EQ(Walk(run.get(), helvetica.get(), &cutting), " gs 0 150 1000 850 rc\n 100 200 m (AB)show\ngr\n");
  // The first glyph inside the clip is not enough: the run reaches past it.
  CLIPOBJ firstGlyphOnly = RectClip(RECTL{0, 0, 150, 1000});
  EXPECT_EQ(Walk(run.get(), helvetica.get(), &firstGlyphOnly).substr(0, 20), " gs 0 0 150 1000 rc\n");
  // The grestore took the font back: the next run selects it again.
  EXPECT_EQ(Walk(run.get(), helvetica.get(), &around), "/Helvetica 100 SDF\n 0 g 100 200 m (AB)show\n");

  // PCL: a clipped run is drawn with HP-GL/2 labels inside an input window.
  Open(kPdlPcl5e);
  auto univers = fonts_->Font(1, 100);
  auto pclRun = MakeRun(u"AB", 100, 200, 50);
  EXPECT_EQ(Walk(pclRun.get(), univers.get(), &cutting),
            kEsc + "%0BIW0,1000,1000,150SD1,277,2,1,4,12,5,0,6,0,7,4148;SB0SS;FT;CF2;LO21;PAPU100,200;DI;LBAB\x03IW;");
}

TEST_F(TextWriterTest, WatermarkTextIsOutlined) {
  Open(kPdlPs3);
  pdev_->carried.watermarkTextFlag = 1;
  auto helvetica = fonts_->Font(2, 50);
  auto run = MakeRun(u"AB", 10, 20, 25);
  EXPECT_EQ(Walk(run.get(), helvetica.get()), "/Helvetica 50 SDF\n 0 g 10 20 m 1 lw (AB)false charpath stroke\n");

  Open(kPdlPcl5e);
  pdev_->carried.watermarkTextFlag = 1;
  auto univers = fonts_->Font(1, 50);
  auto pclRun = MakeRun(u"AB", 10, 20, 25);
  EXPECT_EQ(Walk(pclRun.get(), univers.get()),
            kEsc + "%1BSD1,277,2,1,4,6,5,0,6,0,7,4148;SB0SS;FT;CF1;LO21;PAPU10,20;DI;LBAB\x03");
}

TEST_F(TextWriterTest, QuarterTurnsSetThePrintDirectionOrTurnTheLabels) {
  Open(kPdlPcl5e);
  // Up the page: the baseline's x stays, y falls.
  std::vector<GLYPHPOS> glyphs(2);
  glyphs[0].hg = 'A';
  glyphs[0].ptl = POINTL{300, 400};
  glyphs[1].hg = 'B';
  glyphs[1].ptl = POINTL{300, 375};
  TextRun run(glyphs, u"AB", 0, SO_FLAG_DEFAULT_PLACEMENT, RECTL{250, 350, 320, 420});
  // A bitmap font is turned by the printer's print direction.
  auto bitmap = fonts_->Font(4, 50, 90);
  std::string out = Walk(&run, bitmap.get());
  std::string text = out.substr(out.find(kEsc + "*v0T") + 5);
  EXPECT_EQ(text,
            kEsc + "*p300x400Y" + kEsc + "&a90PA" + kEsc + "&a0P" + kEsc + "*p300X" + kEsc + "&a90PB" + kEsc + "&a0P");
  // An outline font is drawn as HP-GL/2 labels in the run's direction.
  auto outline = fonts_->Font(1, 50, 90);
  out = Walk(&run, outline.get());
  EXPECT_EQ(out.substr(out.find("CF2")), "CF2;LO21;PAPU300,400;DI0,1;LBAB\x03");
}

TEST_F(TextWriterTest, PostScriptTurnsOutlineTextAboutItsOrigin) {
  Open(kPdlPs3);
  auto turned = fonts_->Font(2, 50, 90);
  std::vector<GLYPHPOS> glyphs(2);
  glyphs[0].hg = 'A';
  glyphs[0].ptl = POINTL{300, 400};
  glyphs[1].hg = 'B';
  glyphs[1].ptl = POINTL{300, 370};
  TextRun run(glyphs, u"AB", 0, 0, RECTL{250, 350, 320, 420});
  // Positioned glyphs step along the turned baseline.
  EXPECT_EQ(Walk(&run, turned.get()),
            "/Helvetica 50 SDF\n 0 g gs 300 400 translate -1 0 atan rotate\n 0 0 m (AB)[30 0 0 0]XYS\ngr\n");
}

TEST_F(TextWriterTest, AnisotropicTextIsSizedInCentimetresForLabels) {
  Open(kPdlPcl5e);
  // Twice as wide as high: an em of 50 pixels, widths of 100.
  const XFORML wide{0.1f, 0, 0, 0.05f, 0, 0};
  auto font = Font::Device(1, fonts_->Metrics(0), wide);
  auto run = MakeRun(u"A", 10, 20, 25);
  const std::string out = Walk(run.get(), font.get());
  // 500 units wide, 700 high: 50 and 35 pixels, in centimetres at 600 dpi.
  EXPECT_EQ(out.substr(out.find("CF2")), "CF2;LO21;PAPU10,20;DI;SI0.2116,0.1481;LBA\x03SI;");

  Open(kPdlPs3);
  auto psFont = Font::Device(2, fonts_->Metrics(1), wide);
  auto psRun = MakeRun(u"AB", 10, 20, 25, nullptr, true);
  EXPECT_EQ(Walk(psRun.get(), psFont.get()), "/Helvetica 50 SDF\n 0 g 10 20 m gs 2 1 scale (AB)[12 0 0 0]XYS gr\n");
}

TEST_F(TextWriterTest, FontNamesAreComparedWhole) {
  Open(kPdlPs3);
  const std::string common(40, 'N');
  PrinterFonts longNames(pdev_.get(), {PrinterFontRecord("One", (common + "-One").c_str()),
                                       PrinterFontRecord("Two", (common + "-Two").c_str())});
  auto one = longNames.Font(1, 50);
  auto two = longNames.Font(2, 50);
  auto run = MakeRun(u"A", 10, 20, 25);
  EXPECT_EQ(Walk(run.get(), one.get()).rfind("/" + common + "-One 50 SDF\n", 0), 0u);
  EXPECT_EQ(Walk(run.get(), two.get()).rfind("/" + common + "-Two 50 SDF\n", 0), 0u);
}

TEST_F(TextWriterTest, PclPositionsBeyondSixteenBitsStayAtTheEdge) {
  Open(kPdlPcl5e);
  auto univers = fonts_->Font(1, 50);
  auto run = MakeRun(u"A", 40000, 20, 25);
  const std::string out = Walk(run.get(), univers.get());
  EXPECT_EQ(out.substr(out.size() - 13), kEsc + "*p32767x20YA");
}

TEST_F(TextWriterTest, JapanesePrinterFontsAreCompositeFontsInPostScript) {
  const UINT saved = platform::AnsiCodePage();
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  Open(kPdlPs3);
  fontrecord::MetricsBlock record = PrinterFontRecord("Ryumin", "Ryumin-Light-90ms-RKSJ-H", true, 5);
  record.SetU8(fontrecord::offset::kStyleVariant, 5);
  PrinterFonts japanese(pdev_.get(), {record});
  auto font = japanese.Font(1, 50);
  auto run = MakeRun(u"\u65e5\u672c", 100, 200, 50);
  EXPECT_EQ(Walk(run.get(), font.get()),
            "/JF0n 0 /Ryumin-Light-90ms-RKSJ-H /Ryumin-Light /90ms-RKSJ-H mF_FE\n"
            "/JF0nB JF0n mFB\n/JF0nI JF0n mFI\n/JF0nX JF0nI mFB\n"
            "/JF0n50 JF0n 50 xF\n JF0n50 setfont\n 0 g 100 200 m <93FA967B>show\n");
  // Bold is a style of the same composite font, defined once.
  font->flFontType |= FO_SIM_BOLD;
  EXPECT_EQ(Walk(run.get(), font.get()), "/JF0nB50 JF0nB 50 xF\n JF0nB50 setfont\n 100 200 m <93FA967B>FitB\n");
  font->flFontType &= ~static_cast<FLONG>(FO_SIM_BOLD);
  EXPECT_EQ(Walk(run.get(), font.get()), " JF0n50 setfont\n 100 200 m <93FA967B>show\n");
  platform::SetAnsiCodePage(saved);
}

TEST_F(TextWriterTest, CompositeFontsAreDefinedInTheDownloadFileWhilePagesAreHeldBack) {
  const UINT saved = platform::AnsiCodePage();
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  Open(kPdlPs3);
  pdev_->devmode.dmPrivate._nBooklet = 1;
  ASSERT_TRUE(InitChannelFiles(pdev_.get()));
  fontrecord::MetricsBlock record = PrinterFontRecord("@Gothic", "GothicBBB-Medium-83pv-RKSJ-H", true, 6);
  PrinterFonts japanese(pdev_.get(), {record});
  auto font = japanese.Font(1, 50);
  auto run = MakeRun(u"\u65e5", 100, 200, 50);
  EXPECT_EQ(Walk(run.get(), font.get()), "/JF0n50 JF0n 50 xF\n JF0n50 setfont\n 0 g 100 200 m <93FA>show\n");
  EXPECT_EQ(pdev_->output.currentChannel, kChannelSpooler);
  ASSERT_EQ(FlushOutputBuffer(pdev_.get()), 1);
  std::ifstream file(Host(pdev_->output.channels[kChannelDownloads - 1].path), std::ios::binary);
  const std::string downloads((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(downloads,
            "/JF0n 0 /GothicBBB-Medium-83pv-RKSJ-H /GothicBBB-Medium /83pv-RKSJ-H mF_V_FE\n"
            "/JF0nB JF0n mFB\n/JF0nI JF0n mFI\n/JF0nX JF0nI mFB\n");
  DeleteChannelFiles(pdev_.get());
  platform::SetAnsiCodePage(saved);
}

TEST_F(TextWriterTest, PrinterDiskFontsAreBoundToTheirIdBeforeUse) {
  Open(kPdlPcl5e);
  fonts_->Entry(0).kind = kDeviceFontPrinterDisk;
  fonts_->Entry(0).fontId = 12;
  auto font = fonts_->Font(1, 50);
  auto run = MakeRun(u"A", 0, 10, 25);
  const std::string out = Walk(run.get(), font.get());
  EXPECT_EQ(out.substr(0, out.find(kEsc + "*v1O")),
            kEsc + "&t1P" + kEsc + "*c12D" + kEsc + "&n3W\x01" + "12" + kEsc + "(12X");
}

// ---- Substituted and downloaded TrueType text -----------------------------------

class TrueTypeTextTest : public TextWriterTest {
 protected:
  void SetUp() override {
    Open(kPdlPs3);
    arial_ = TrueTypeFont(u"Arial", 50);
    ASSERT_NE(arial_, nullptr);
  }
  // The run's width as the writer sums it.
  LONG Width(const std::u16string& text) {
    FIX sum = 0;
    for (char16_t c : text) {
      HGLYPH glyph = arial_->GlyphForChar(c);
      GLYPHDATA* data = nullptr;
      FONTOBJ_cGetGlyphs(arial_.get(), FO_GLYPHBITS, 1, &glyph, reinterpret_cast<PVOID*>(&data));
      sum += data ? data->fxD : 0;
    }
    return (sum + 8) >> 4;
  }
  std::unique_ptr<Font> arial_;
};

// Vector drawing may leave the printer in HP-GL/2; plain PCL text after it must
// leave HP-GL/2 before its font selection, which HP-GL/2 would not take: the
// printer's own fonts and downloaded soft fonts alike.
TEST_F(TrueTypeTextTest, PclFontSelectionComesAfterHpglIsLeft) {
  for (bool downloaded : {false, true}) {
    SCOPED_TRACE(downloaded ? "downloaded soft font" : "printer font");
    Open(kPdlPcl5e);
    auto univers = fonts_->Font(1, 50);
    auto arial = TrueTypeFont(u"Arial", 50);
    ASSERT_NE(arial, nullptr);
    FONTOBJ* font = downloaded ? static_cast<FONTOBJ*>(arial.get()) : static_cast<FONTOBJ*>(univers.get());
    pdev_->job.inHpgl = 1;
    auto run = downloaded ? MakeRun(u"Hello", 100, 200, 25, arial.get()) : MakeRun(u"Hello", 100, 200, 25);
    BOOL ok = FALSE;
    const std::string out = Walk(run.get(), font, nullptr, 0, &ok);
    EXPECT_TRUE(ok);
    // HP-GL/2 is left before the selection (this program's download stand-in
    // writes placeholder text, so the order is read from the bytes).
    const size_t leave = out.find(kEsc + "%0A");
    const size_t selection = out.find(downloaded ? kEsc + "&t1P" + kEsc + "(" : kEsc + "(s");
    ASSERT_NE(selection, std::string::npos) << out;
    ASSERT_NE(leave, std::string::npos) << out;
    EXPECT_LT(leave, selection) << out;
    if (!downloaded) {
      const testsupport::PclReport report = testsupport::ReadPclJob(kEsc + "%0BPD;" + out + kEsc + "E");
      EXPECT_TRUE(report.ok()) << report.Summary() << out;
    }
    EXPECT_EQ(pdev_->job.inHpgl, 0);
    TearDown();
  }
}

TEST_F(TrueTypeTextTest, ASubstituteFallsBackToADownloadedFontForCharactersItLacksInTextOrder) {
  Services().substitute = 1;  // Helvetica
  auto run = MakeRun(u"Ab\u65e5c", 100, 200, 30, arial_.get());
  BOOL ok = FALSE;
  const std::string out = Walk(run.get(), arial_.get(), nullptr, 0, &ok);
  EXPECT_TRUE(ok);
  const std::string page = "TT" + [&] {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%x", arial_->iUniq);
    return std::string(hex);
  }() + "_2_0";
  EXPECT_EQ(out, "/Helvetica 50 SDF\n 0 g 100 200 m (Ab)" + std::to_string(Width(u"Ab")) + " Fit\n" + "{header " +
                     page + "}{glyphs 1}/" + page + " 50 SF\n 160 200 m (!)show\n" +
                     "/Helvetica 50 SDF\n 190 200 m (c)show\n");
  ASSERT_EQ(Services().batches.size(), 1u);
  EXPECT_EQ(Services().batches[0].codes, std::vector<DWORD>{33});
}

TEST_F(TrueTypeTextTest, SingleByteDownloadsSendEachGlyphOnce) {
  auto run = MakeRun(u"ABA", 10, 20, 30, arial_.get());
  const std::string out = Walk(run.get(), arial_.get());
  ASSERT_EQ(Services().headers.size(), 1u);
  ASSERT_EQ(Services().batches.size(), 1u);
  EXPECT_EQ(Services().batches[0].codes, (std::vector<DWORD>{'A', 'B'}));
  EXPECT_NE(out.find("(ABA)show"), std::string::npos) << out;
  auto again = MakeRun(u"AC", 10, 60, 30, arial_.get());
  Walk(again.get(), arial_.get());
  EXPECT_EQ(Services().headers.size(), 1u);
  ASSERT_EQ(Services().batches.size(), 2u);
  EXPECT_EQ(Services().batches[1].codes, std::vector<DWORD>{'C'});
}

TEST_F(TrueTypeTextTest, GlyphPagesHoldAtMost223GlyphsCodedFrom33) {
  std::vector<GLYPHPOS> glyphs;
  std::u16string text;
  for (int i = 0; i < 230; ++i) {
    GLYPHPOS g{};
    g.hg = static_cast<HGLYPH>(5000 + i);
    g.ptl = POINTL{10 + i, 100};
    glyphs.push_back(g);
    text += static_cast<char16_t>(0x4E00 + i);
  }
  TextRun run(glyphs, text, 0, 0, RECTL{0, 0, 300, 120});
  BOOL ok = FALSE;
  Walk(&run, arial_.get(), nullptr, 0, &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(Services().batches.size(), 2u);
  const auto& firstPage = Services().batches[0].codes;
  ASSERT_EQ(firstPage.size(), 223u);
  EXPECT_EQ(firstPage.front(), 33u);
  EXPECT_EQ(firstPage.back(), 255u);
  EXPECT_EQ(Services().batches[1].codes, (std::vector<DWORD>{33, 34, 35, 36, 37, 38, 39}));
  EXPECT_NE(Services().batches[0].font, Services().batches[1].font);
}

TEST_F(TrueTypeTextTest, HalfWidthKatakanaHaveAPageOfTheirOwn) {
  std::vector<GLYPHPOS> glyphs(3);
  for (int i = 0; i < 3; ++i) {
    glyphs[i].hg = static_cast<HGLYPH>(700 + i);
    glyphs[i].ptl = POINTL{10 + 30 * i, 20};
  }
  TextRun run(glyphs, u"\uff71\uff72\u65e5", 0, SO_FLAG_DEFAULT_PLACEMENT, RECTL{0, 0, 100, 30});
  BOOL ok = FALSE;
  Walk(&run, arial_.get(), nullptr, 0, &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(Services().batches.size(), 2u);
  EXPECT_EQ(Services().batches[0].codes, (std::vector<DWORD>{33, 34}));
  EXPECT_EQ(Services().batches[1].codes, std::vector<DWORD>{33});
  EXPECT_NE(Services().batches[0].font, Services().batches[1].font);
  const FontDownloadRecord* record = &pdev_->downloadedFonts[0]->records.front();
  ASSERT_NE(record->katakana, nullptr);
  EXPECT_EQ(record->katakana->pageNumber, kKatakanaPageNumber);
}

TEST_F(TrueTypeTextTest, DownloadedFontsAreUndefinedWhenThePrinterMemoryRunsOut) {
  pdev_->devmode.dmPrivate._bClearMemoryPerPage = 0;
  pdev_->devmode.dmPrivate._lAvailableMemory = 1000;
  pdev_->carried.vmEstimate = 500;
  auto run = MakeRun(u"A", 10, 20, 30, arial_.get());
  Walk(run.get(), arial_.get());
  EXPECT_EQ(Services().undefines, 0);
  pdev_->carried.vmEstimate = 1001;
  Walk(run.get(), arial_.get());
  EXPECT_EQ(Services().undefines, 1);
  // Fonts cleared with every page never pile up.
  pdev_->devmode.dmPrivate._bClearMemoryPerPage = 1;
  pdev_->carried.vmEstimate = 5000;
  Walk(run.get(), arial_.get());
  EXPECT_EQ(Services().undefines, 1);
}

TEST_F(TrueTypeTextTest, ARunThatCannotBeDownloadedIsRefusedForTheEngineToDraw) {
  struct Case {
    const char* what;
    bool refuseRecords, refusePages;
    std::u16string text;
  } cases[] = {
      {"no record", true, false, u"AB"},
      {"no glyph page", false, true, u"\u65e5"},
      {"a substitute's fallen-back character", true, false, u"Ab\u65e5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetServices(pdev_.get());
    Services().refuseRecords = c.refuseRecords;
    Services().refusePages = c.refusePages;
    Services().substitute = c.text.size() == 3 ? 1 : -1;
    auto run = MakeRun(c.text, 10, 20, 30, arial_.get());
    BOOL ok = TRUE;
    const std::string out = Walk(run.get(), arial_.get(), nullptr, 0, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(out.find("(Ab)"), std::string::npos) << "nothing of the run printed before it was refused";
  }
}

// ---- Refusals and helpers ---------------------------------------------------------

TEST_F(TextWriterTest, RunsWithoutPdevGlyphsTransformOrWithAComplexClipAreRefusedUnwritten) {
  Open(kPdlPcl5e);
  auto univers = fonts_->Font(1, 50);
  auto run = MakeRun(u"A", 0, 10, 25);
  auto empty = MakeRun(u"", 0, 10, 25);
  CLIPOBJ complex{};
  complex.iDComplexity = DC_COMPLEX;
  FONTOBJ bare{};
  bare.iFace = 1;
  bare.flFontType = DEVICE_FONTTYPE;
  BRUSHOBJ fore{};
  EXPECT_FALSE(WalkGlyphs(nullptr, run.get(), nullptr, univers.get(), nullptr, &fore));
  BOOL ok = TRUE;
  EXPECT_EQ(Walk(run.get(), nullptr, nullptr, 0, &ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(Walk(empty.get(), univers.get(), nullptr, 0, &ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(Walk(run.get(), univers.get(), &complex, 0, &ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(Walk(run.get(), &bare, nullptr, 0, &ok), "");  // no transform
  EXPECT_FALSE(ok);
  // A PCL selection name without its symbol set.
  fonts_->Metrics(0);
  std::memcpy(reinterpret_cast<BYTE*>(fonts_->Metrics(0)) + kDeviceFontSelectionNameOffset, "4148\0", 5);
  Walk(run.get(), univers.get(), nullptr, 0, &ok);
  EXPECT_FALSE(ok);
}

TEST(TextRotationTest, MatricesAreSortedIntoTurns) {
  struct Case {
    float m11, m12, m21, m22;
    bool rotated;
    int angle;
    bool anisotropic;
  } cases[] = {
      // clang-format off
      {1, 0, 0, 1, false, 0, false},        {2, 0, 0, 1, false, 0, true},
      {-1, 0, 0, -1, true, 180, false},     {0, -1, 1, 0, true, 90, false},
      {0, 1, -1, 0, true, 270, false},      {0, 2, -1, 0, true, 270, true},
      {0.7f, -0.7f, 0.7f, 0.7f, true, -1, false}, {-1, 0, 0, 1, false, -1, false},  // mirrored
      // clang-format on
      {1, 0.0005f, 0, 1, false, 0, false},  // within a thousandth
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.m11 << " " << c.m12 << " " << c.m21 << " " << c.m22);
    TextRunContext run;
    run.eM11 = c.m11;
    run.eM12 = c.m12;
    run.eM21 = c.m21;
    run.eM22 = c.m22;
    AnalyseTextRotation(&run);
    EXPECT_EQ(run.rotated != 0, c.rotated);
    EXPECT_EQ(run.angle, c.angle);
    EXPECT_EQ(IsAnisotropicScale(&run) != FALSE, c.anisotropic);
  }
}

TEST(TextHelpersTest, StrokeWeightsAndFallBackCharacters) {
  const std::pair<int, int> weights[] = {{100, -6}, {200, -4}, {300, -3}, {400, 0}, {500, 0},
                                         {600, 2},  {700, 3},  {800, 4},  {900, 6}, {1000, 0}};
  for (const auto& [weight, stroke] : weights) EXPECT_EQ(PclStrokeWeight(weight), stroke) << weight;

  TextRunContext run;
  run.codePage = 1252;
  const std::u16string text = u"a\u00e9\u65e5";
  ASSERT_EQ(ConvertRunToCodePage(&run, text.data(), 3), 3);
  EXPECT_EQ(run.fellBack, (std::vector<unsigned char>{0, 0, 1}));
  // Symbol code page: round trips decide.
  run.codePage = 42;
  const std::u16string symbol = u"\uf041A";
  ASSERT_GT(ConvertRunToCodePage(&run, symbol.data(), 2), 0);
  EXPECT_EQ(run.fellBack[0], 0);
  // Private-use characters of a double-byte font always fall back.
  run.codePage = 932;
  run.dbcs = 1;
  const std::u16string pua = u"\ue000\u65e5";
  ASSERT_GT(ConvertRunToCodePage(&run, pua.data(), 2), 0);
  EXPECT_EQ(run.fellBack, (std::vector<unsigned char>{1, 0}));
  EXPECT_EQ(run.charLength[1], 2);
}

// Runs convert through a table of remembered characters: a warm conversion
// must give what the platform gives character by character, in every code
// page the writer uses, and the code pages that stand for the ANSI one must
// follow it when it changes.
TEST(TextHelpersTest, RememberedCharacterCodesMatchThePlatform) {
  std::u16string text = u"Az\\~\u00a5\u00e9\u00ff\u0152\u20ac\u3042\u65e5\uff71\ue000\uf041\uf8f0";
  for (char16_t ch = 0x20; ch < 0xFFF0; ch = static_cast<char16_t>(ch + 211)) {
    if (ch < 0xD800 || ch > 0xDFFF) text += ch;
  }
  const auto count = static_cast<ULONG>(text.size());
  for (const UINT codePage : {932u, 1252u, 42u, 50220u, 65001u}) {
    SCOPED_TRACE(codePage);
    for (int pass = 0; pass < 2; ++pass) {
      TextRunContext run;
      run.codePage = codePage;
      const int converted = ConvertRunToCodePage(&run, text.data(), count);
      if (converted == 0) {
        EXPECT_TRUE(run.multibyte.empty());
        continue;
      }
      ASSERT_EQ(run.charStart.size(), count);
      for (ULONG i = 0; i < count; ++i) {
        const char16_t ch = text[i];
        char bytes[8] = {};
        BOOL usedDefault = FALSE;
        const bool noFlags = codePage == 42 || codePage >= 50220;  // symbol, ISO-2022-JP, UTF-8
        const int length = WideCharToMultiByte(codePage, noFlags ? 0 : WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, 8, nullptr,
                                               noFlags ? nullptr : &usedDefault);
        ASSERT_GT(length, 0) << int(ch);
        WCHAR back = 0;
        const int backLength = MultiByteToWideChar(codePage, 0, bytes, length, &back, 1);
        const bool fell = noFlags ? (backLength != 1 || back != ch) : usedDefault != FALSE;
        EXPECT_EQ(run.multibyte.substr(static_cast<size_t>(run.charStart[i]), static_cast<size_t>(run.charLength[i])),
                  std::string(bytes, static_cast<size_t>(length)))
            << "pass " << pass << " char " << int(ch);
        EXPECT_EQ(run.roundTrip[i], back) << int(ch);
        EXPECT_EQ(run.fellBack[i] != 0, fell) << int(ch);
      }
    }
  }

  const std::u16string accent = u"\u00e9";
  TextRunContext run;
  run.codePage = CP_ACP;
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  ASSERT_GT(ConvertRunToCodePage(&run, accent.data(), 1), 0);
  EXPECT_EQ(run.multibyte, "\xe9");
  EXPECT_EQ(run.fellBack[0], 0);
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  ASSERT_GT(ConvertRunToCodePage(&run, accent.data(), 1), 0);
  EXPECT_EQ(run.fellBack[0], 1);
}

}  // namespace
}  // namespace graphicstest
