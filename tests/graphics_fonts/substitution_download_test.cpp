// TrueType text on the printer: printed in the printer font its face is
// substituted by, or through a soft font downloaded once per job (PCL bitmap
// soft fonts read back structurally, PostScript Type 3 fonts rendered).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/font_download_send.h"
#include "graphics/output/download/font_download_undefine.h"
#include "graphics/output/download/release_font_lists.h"
#include "graphics/output/fonts/device_font_list_cache.h"
#include "graphics/output/fonts/find_substitute_device_font.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/output/fonts/free_font_substitution.h"
#include "graphics/output/text/text_writer.h"
#include "tests/graphics/vector_fixture.h"
#include "tests/graphics_text/text_fixture.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

using platform::gdi::TextRun;

const std::string kEsc = "\x1b";

class TrueTypeTextTest : public testsupport::FreshMachine {
 protected:
  void Open(WORD pdl, WORD trueTypeMode, std::vector<fontrecord::MetricsBlock> records) {
    pdev_ = BarePdev(pdl);
    ASSERT_TRUE(pdev_);
    pdev_->devmode.dmPrivate._nTrueTypeMode = trueTypeMode;
    pdev_->devmode.dmPrivate._lAvailableMemory = 0x7FFFFFFF;
    fonts_ = std::make_unique<PrinterFonts>(pdev_.get(), records);
    pdev_->fontSubstitution = BuildFontSubstitutionTable(0, "P", pdl, pdev_->carried.deviceFonts, 0);
  }
  void TearDown() override {
    if (pdev_) {
      FreeFontSubstitution(&pdev_->fontSubstitution);
      ReleaseFontLists(pdev_.get());
    }
    fonts_.reset();
    pdev_.reset();
    FreshMachine::TearDown();
  }
  std::string Walk(TextRun* run, FONTOBJ* font, BOOL* result = nullptr) {
    BRUSHOBJ fore{};
    BOOL answer = FALSE;
    std::string out =
        Captured(pdev_.get(), [&] { answer = WalkGlyphs(pdev_.get(), run, nullptr, font, nullptr, &fore); });
    if (result) *result = answer;
    return out;
  }

  PdevPtr pdev_;
  std::unique_ptr<PrinterFonts> fonts_;
};

// The soft-font commands of a stream read back by the PCL reader.
testsupport::PclReport ReadSoftFonts(const std::string& bytes) {
  testsupport::PclReport report = testsupport::ReadPclJob(bytes);
  EXPECT_TRUE(report.ok()) << report.Summary();
  return report;
}

int Word(const std::string& data, size_t at) {
  return (static_cast<unsigned char>(data[at]) << 8) | static_cast<unsigned char>(data[at + 1]);
}

TEST_F(TrueTypeTextTest, SubstitutedFaceOrDownloadFollowsTheTrueTypeSetting) {
  struct Case {
    WORD mode;
    bool printerHasArialMT;
    const char* typeface;  // of the printer font that prints the text; null: downloaded
  };
  // By table ArialMT; by score Univers, which stands in the same family group
  // as Arial.
  const Case cases[] = {{3, true, "16602"}, {3, false, nullptr}, {2, true, nullptr}, {0, true, "4148"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " ArialMT " << c.printerHasArialMT);
    Open(kPdlPcl5e, c.mode,
         c.printerHasArialMT ? std::vector<fontrecord::MetricsBlock>{PrinterFontRecord("Univers", "4148,8U"),
                                                                     PrinterFontRecord("ArialMT", "16602,8U")}
                             : std::vector<fontrecord::MetricsBlock>{PrinterFontRecord("Univers", "4148,8U")});
    auto arial = TrueTypeFont(u"Arial", 50);
    ASSERT_NE(arial, nullptr);
    auto run = MakeRun(u"Hello", 100, 200, 25, arial.get());
    BOOL ok = FALSE;
    const std::string out = Walk(run.get(), arial.get(), &ok);
    EXPECT_TRUE(ok);
    if (c.typeface) {
      EXPECT_EQ(out, kEsc + "&t1P" + kEsc + "&c0T" + kEsc + "(8U" + kEsc + "(s1p6v0s0b" + c.typeface + "T" + kEsc +
                         "*v1O" + kEsc + "*v0T" + kEsc + "*p100x200YHello");
    } else {
      EXPECT_EQ(out.find("16602T"), std::string::npos);
      EXPECT_EQ(out.rfind(kEsc + "*c16000D" + kEsc + ")s68W", 0), 0u) << "a soft font goes down first";
      EXPECT_NE(out.find(kEsc + "(16000X"), std::string::npos) << testing::PrintToString(out.substr(out.size() - 40));
    }
    TearDown();
  }
}

TEST_F(TrueTypeTextTest, BuiltInSubstitutionRowsNeedTheirPrinterFace) {
  Open(kPdlPs3, 3, {PrinterFontRecord("Helvetica", ""), PrinterFontRecord("Courier", "", true)});
  const FontSubstitutionTable* table = pdev_->fontSubstitution;
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(FindFontSubstitution("Arial", table), 0);
  EXPECT_EQ(FindFontSubstitution("Courier New", table), 1);
  EXPECT_EQ(FindFontSubstitution("arial", table), -1) << "the TrueType face is compared exactly";
  EXPECT_EQ(FindFontSubstitution("Times New Roman", table), -1) << "no Times on this printer";
  EXPECT_EQ(FindFontSubstitution(nullptr, table), -1);
}

TEST_F(TrueTypeTextTest, FamilyEquivalenceGroups) {
  struct Case {
    const char* printer;
    const char* trueType;
    int expected;
  };
  const Case cases[] = {{"Helvetica", "Arial", 0},      {"arial", "Arial", 1},
                        {"Courier", "Arial", -1},       {"Times", "Times New Roman", 0},
                        {"Helvetica", "Garamond", -1},  {"Univers Cd", "Arial Narrow", 0},
                        {"Univers", "Arial Narrow", -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(FontFamilyEquivalence(c.printer, c.trueType), c.expected) << c.printer << " / " << c.trueType;
  }
}

TEST_F(TrueTypeTextTest, OnEqualScoresTheLaterPrinterFontWins) {
  Open(kPdlPcl5e, 1, {PrinterFontRecord("Helvetica", "4148,8U"), PrinterFontRecord("Helvetica", "4148,8U")});
  auto arial = TrueTypeFont(u"Arial", 50);
  ASSERT_NE(arial, nullptr);
  EXPECT_EQ(FindSubstituteDeviceFont(pdev_.get(), arial.get(), nullptr), 1);
}

TEST_F(TrueTypeTextTest, PclSoftFontIsDownloadedOncePerJobAndReadsBackWhole) {
  Open(kPdlPcl5e, 2, {PrinterFontRecord("Univers", "4148,8U")});
  auto arial = TrueTypeFont(u"Arial", 50);
  ASSERT_NE(arial, nullptr);
  auto hello = MakeRun(u"Hello", 100, 200, 25, arial.get());
  const testsupport::PclReport first = ReadSoftFonts(Walk(hello.get(), arial.get()));

  const auto ids = first.Find("*c", 'D');
  ASSERT_GE(ids.size(), 1u);
  EXPECT_EQ(ids[0]->IntValue(), 16000);
  const auto headers = first.Find(")s", 'W');
  ASSERT_EQ(headers.size(), 1u);
  const std::string& d = headers[0]->data;
  ASSERT_EQ(d.size(), 68u);
  EXPECT_EQ(Word(d, 0), 68);
  EXPECT_EQ(d[2], 20) << "format 20 carries the resolution";
  EXPECT_EQ(d[3], 2);
  EXPECT_EQ(Word(d, 14), 629) << "symbol set 19U";
  EXPECT_EQ(Word(d, 18), 200) << "the 50-dot em in quarter dots";
  EXPECT_EQ(d.substr(48, 5), "Arial");
  EXPECT_EQ(Word(d, 64), 600);

  // H, e, l and o: "l" once.
  const auto codes = first.Find("*c", 'E');
  std::vector<long> sent;
  for (const auto* code : codes) sent.push_back(code->IntValue());
  EXPECT_EQ(sent, (std::vector<long>{'H', 'e', 'l', 'o'}));
  const auto glyphs = first.Find("(s", 'W');
  ASSERT_EQ(glyphs.size(), 4u);
  for (const auto* glyph : glyphs) {
    const std::string& g = glyph->data;
    ASSERT_GE(g.size(), 16u);
    EXPECT_EQ(g.substr(0, 4), std::string("\x04\x00\x0e\x01", 4));
    const int width = Word(g, 10);
    const int height = Word(g, 12);
    EXPECT_GT(width, 0);
    EXPECT_EQ(g.size(), 16u + static_cast<size_t>(height) * ((width + 7) / 8));
  }
  EXPECT_EQ(first.Text().find("Hello"), first.Text().size() - 5);

  // The same text again: nothing more goes down. New characters add only themselves.
  auto again = MakeRun(u"Hello", 100, 300, 25, arial.get());
  const testsupport::PclReport second = ReadSoftFonts(Walk(again.get(), arial.get()));
  EXPECT_EQ(second.Count(")s", 'W'), 0u);
  EXPECT_EQ(second.Count("*c", 'E'), 0u);
  auto hi = MakeRun(u"Hi", 100, 400, 25, arial.get());
  const testsupport::PclReport third = ReadSoftFonts(Walk(hi.get(), arial.get()));
  ASSERT_EQ(third.Count("*c", 'E'), 1u);
  EXPECT_EQ(third.Find("*c", 'E')[0]->IntValue(), 'i');
}

TEST_F(TrueTypeTextTest, LargeGlyphIsSplitIntoBlocksOfWholeRows) {
  Open(kPdlPcl5e, 2, {});
  // About 40 KB of bitmap: more than one block, less than the output buffer.
  auto arial = TrueTypeFont(u"Arial", 700);
  ASSERT_NE(arial, nullptr);
  auto run = MakeRun(u"W", 100, 2000, 700, arial.get());
  BOOL ok = FALSE;
  const std::string out = Walk(run.get(), arial.get(), &ok);
  EXPECT_TRUE(ok);
  const testsupport::PclReport report = ReadSoftFonts(out);
  const auto blocks = report.Find("(s", 'W');
  ASSERT_GT(blocks.size(), 1u);
  const std::string& head = blocks[0]->data;
  const int rowBytes = (Word(head, 10) + 7) / 8;
  const int height = Word(head, 12);
  long rows = 0;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const std::string& b = blocks[i]->data;
    EXPECT_LE(b.size(), 32767u);
    const size_t header = i == 0 ? 16 : 2;
    if (i > 0) {
      EXPECT_EQ(b.substr(0, 2), std::string("\x04\x01", 2));
    }
    EXPECT_EQ((b.size() - header) % rowBytes, 0u);
    rows += static_cast<long>((b.size() - header) / rowBytes);
  }
  EXPECT_EQ(rows, height);
}

TEST_F(TrueTypeTextTest, SoftFontIdsStartAt18000ForAMacroFile) {
  Open(kPdlPcl5e, 2, {});
  EXPECT_EQ(NextSoftFontId(pdev_.get()), 16000);
  EXPECT_EQ(NextSoftFontId(pdev_.get()), 16001);
  pdev_->carried.softFontCounter = 0;
  pdev_->devmode.dmPrivate._nOutputDest = 5;
  EXPECT_EQ(NextSoftFontId(pdev_.get()), 18000);
}

TEST_F(TrueTypeTextTest, AfterAnUndefineTheFontGoesDownAgain) {
  Open(kPdlPcl5e, 2, {});
  auto arial = TrueTypeFont(u"Arial", 50);
  ASSERT_NE(arial, nullptr);
  auto run = MakeRun(u"Ab", 100, 200, 25, arial.get());
  Walk(run.get(), arial.get());
  const std::string undefine = Captured(pdev_.get(), [&] { UndefineDownloadedFonts(pdev_.get()); });
  EXPECT_EQ(undefine, kEsc + "*c16000d2F");
  EXPECT_EQ(pdev_->downloadedFonts[0], nullptr);
  EXPECT_EQ(pdev_->carried.vmEstimate, 80000u);
  const testsupport::PclReport again = ReadSoftFonts(Walk(run.get(), arial.get()));
  EXPECT_EQ(again.Count(")s", 'W'), 1u);
  EXPECT_EQ(again.Count("*c", 'E'), 2u);
  EXPECT_NE(again.Text().find("Ab"), std::string::npos);
  EXPECT_EQ(again.Find("*c", 'D')[0]->IntValue(), 16000) << "ids restart after the undefine";
}

TEST_F(TrueTypeTextTest, InstalledHostSoftFontIsSentWholeOnceAndAMissingFileSendsNothing) {
  Open(kPdlPcl5e, 2, {PrinterFontRecord("Garamond Soft", "4197,8U")});
  fonts_->Entry(0).kind = kDeviceFontHostSoft;
  fonts_->Entry(0).fontId = 7;
  auto font = fonts_->Font(1, 50);

  // A file that is not there: no header counts as sent, nothing is created.
  std::snprintf(fonts_->Entry(0).file, sizeof fonts_->Entry(0).file, "%s", "C:\\fonts\\gone.sfp");
  FontDownloadRecord* record = NewFontDownloadRecord(pdev_.get(), font.get(), FALSE);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->softFontId, 7);
  BOOL sent = TRUE;
  Captured(pdev_.get(),
           [&] { sent = CreateDownloadFont(pdev_.get(), font.get(), nullptr, 0, record, nullptr, FALSE); });
  EXPECT_FALSE(sent);
  EXPECT_EQ(record->headerSent, 0u);

  // An existing file goes down as it is.
  const std::string path = TestModulePath("fonts_module.dll");
  std::snprintf(fonts_->Entry(0).file, sizeof fonts_->Entry(0).file, "%s", path.c_str());
  std::string out = Captured(
      pdev_.get(), [&] { sent = CreateDownloadFont(pdev_.get(), font.get(), nullptr, 0, record, nullptr, FALSE); });
  EXPECT_TRUE(sent);
  EXPECT_EQ(record->headerSent, 1u);
  std::FILE* file = std::fopen(ZEL_TEST_MODULE_DIR "/fonts_module.dll", "rb");
  ASSERT_NE(file, nullptr);
  std::string bytes;
  for (int c; (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
  std::fclose(file);
  EXPECT_EQ(out, kEsc + "*c7D" + bytes);
}

TEST_F(TrueTypeTextTest, TurnedTextInBitmapGlyphsIsLeftToTheEngine) {
  for (WORD pdl : {kPdlPcl5e, kPdlPs3}) {
    SCOPED_TRACE(pdl);
    Open(pdl, 2, {});
    LOGFONTW lf{};
    lf.lfHeight = -50;
    lf.lfWeight = 400;
    lf.lfEscapement = 900;
    lf.lfOrientation = 900;
    const std::u16string face = u"Arial";
    for (size_t i = 0; i < face.size(); ++i) lf.lfFaceName[i] = face[i];
    auto turned = platform::gdi::Font::Open(lf);
    ASSERT_NE(turned, nullptr);
    auto run = MakeRun(u"Up", 300, 2000, 0, turned.get(), false, -25);
    BOOL ok = TRUE;
    const std::string out = Walk(run.get(), turned.get(), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(out.find("CF"), std::string::npos);
    EXPECT_EQ(out.find(kEsc + ")s"), std::string::npos);
    TearDown();
  }
}

TEST_F(TrueTypeTextTest, CharactersBeyondTheSingleByteCodesGoToAGlyphPageOfItsOwnId) {
  Open(kPdlPcl5e, 2, {});
  auto arial = TrueTypeFont(u"Arial", 50);
  ASSERT_NE(arial, nullptr);
  auto run = MakeRun(u"\u03A9\u03A3", 100, 200, 25, arial.get());
  BOOL ok = FALSE;
  const testsupport::PclReport report = ReadSoftFonts(Walk(run.get(), arial.get(), &ok));
  EXPECT_TRUE(ok);
  const auto headers = report.Find(")s", 'W');
  ASSERT_EQ(headers.size(), 1u) << "the page's font only";
  const auto ids = report.Find("*c", 'D');
  ASSERT_GE(ids.size(), 1u);
  EXPECT_EQ(ids[0]->IntValue(), 16001) << "16000 went to the realisation's single-byte font";
  std::vector<long> codes;
  for (const auto* code : report.Find("*c", 'E')) codes.push_back(code->IntValue());
  EXPECT_EQ(codes, (std::vector<long>{33, 34}));
}

TEST_F(TrueTypeTextTest, NamesOfOtherFontsReplaceCharactersThatWouldBreakThem) {
  Open(kPdlPs3, 2, {});
  auto font = TrueTypeFont(u"Courier New", 50);
  ASSERT_NE(font, nullptr);
  char ttName[kDownloadNameSize];
  MakeDownloadFontName(ttName, pdev_.get(), font.get(), 0, TRUE);
  EXPECT_EQ(std::string(ttName).rfind("TT", 0), 0u);
  // The same face taken as an engine font that is not TrueType.
  font->flFontType &= ~TRUETYPE_FONTTYPE;
  char otherName[kDownloadNameSize];
  MakeDownloadFontName(otherName, pdev_.get(), font.get(), 2, FALSE);
  const std::string name(otherName);
  EXPECT_EQ(name.rfind("OT", 0), 0u);
  EXPECT_EQ(name.find_first_of(" ()<>[]/\\%"), std::string::npos) << name;
  EXPECT_NE(name.find("CourierXNew"), std::string::npos) << name;
  EXPECT_LT(name.size(), kDownloadNameSize);
}

TEST_F(TrueTypeTextTest, DownloadCallsWithoutTheirPiecesWriteNothing) {
  Open(kPdlPcl5e, 2, {});
  auto arial = TrueTypeFont(u"Arial", 50);
  ASSERT_NE(arial, nullptr);
  FontDownloadRecord* record = NewFontDownloadRecord(pdev_.get(), arial.get(), FALSE);
  ASSERT_NE(record, nullptr);
  const HGLYPH glyph = arial->GlyphForChar(u'A');
  const DWORD code = 'A';
  struct Case {
    const char* what;
    std::function<BOOL()> call;
    BOOL expected;
  };
  const Case cases[] = {
      {"no record", [&] { return DownloadGlyphs(pdev_.get(), arial.get(), &glyph, &code, 1, nullptr, nullptr, FALSE); },
       FALSE},
      {"no glyphs", [&] { return DownloadGlyphs(pdev_.get(), arial.get(), nullptr, &code, 1, record, nullptr, FALSE); },
       FALSE},
      {"no font", [&] { return CreateDownloadFont(pdev_.get(), nullptr, &glyph, 1, record, nullptr, FALSE); }, FALSE},
      {"zero glyphs",
       [&] { return DownloadGlyphs(pdev_.get(), arial.get(), &glyph, &code, 0, record, nullptr, FALSE); }, TRUE},
  };
  for (const Case& c : cases) {
    BOOL result = !c.expected;
    EXPECT_EQ(Captured(pdev_.get(), [&] { result = c.call(); }), "") << c.what;
    EXPECT_EQ(result, c.expected) << c.what;
  }
  EXPECT_EQ(record->headerSent, 0u);
}

TEST_F(TrueTypeTextTest, PostScriptUndefinesEveryFontAndReclaimsMemory) {
  Open(kPdlPs3, 2, {});
  auto arial = TrueTypeFont(u"Arial", 50);
  ASSERT_NE(arial, nullptr);
  auto run = MakeRun(u"A\u03A9", 100, 200, 25, arial.get());
  Walk(run.get(), arial.get());
  ASSERT_NE(pdev_->downloadedFonts[0], nullptr);
  ASSERT_FALSE(pdev_->downloadedFonts[0]->records.empty());
  const FontDownloadRecord* record = &pdev_->downloadedFonts[0]->records.front();
  ASSERT_FALSE(record->pages.empty());
  const std::string expected =
      std::string("/") + record->pages.front().name + " UDF\n/" + record->name + " UDF\nfreeVM\n";
  EXPECT_EQ(Captured(pdev_.get(), [&] { UndefineDownloadedFonts(pdev_.get()); }), expected);
  EXPECT_EQ(pdev_->carried.vmEstimate, 80000u);
}

TEST_F(TrueTypeTextTest, AnEstimateBeyondTheAvailableMemoryPurgesBeforeTheNextText) {
  Open(kPdlPcl5e, 2, {});
  pdev_->devmode.dmPrivate._lAvailableMemory = 2000;
  auto arial = TrueTypeFont(u"Arial", 50);
  ASSERT_NE(arial, nullptr);
  auto first = MakeRun(u"Ab", 100, 200, 25, arial.get());
  Walk(first.get(), arial.get());
  EXPECT_GT(pdev_->carried.vmEstimate, 2000u) << "a header and two glyphs";
  auto second = MakeRun(u"Ab", 100, 300, 25, arial.get());
  const std::string out = Walk(second.get(), arial.get());
  EXPECT_EQ(out.rfind(kEsc + "*c16000d2F", 0), 0u) << "the purge comes first";
  const testsupport::PclReport report = ReadSoftFonts(out);
  EXPECT_EQ(report.Count(")s", 'W'), 1u) << "then the font goes down again";
  EXPECT_EQ(report.Count("*c", 'E'), 2u);
}

}  // namespace
}  // namespace graphicstest
