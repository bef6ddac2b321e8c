// The document page as a user drives it in the sheet: what each action leaves
// in the settings for both models and both printer languages, the copies edit,
// the user-defined size in inches and millimetres, and the picture's geometry.
#include <cstring>
#include <string>

#include "interface/pages/custom_paper_size.h"
#include "interface/pages/document_preview.h"
#include "tests/interface/page_test_support.h"

namespace pagetest {
namespace {

using DocumentPageTest = PageTest;

struct Action {
  const char* script;  // lines played on the document page, before OK
  bool pclOnly;
  bool postScriptOnly;
  void (*check)(const XDEVMODE& out, bool pcl);
};

const Action kActions[] = {
    {"pick 1052 \"A5\"\n", false, false, [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPublic.dmPaperSize, 11); }},
    {"check 1032 on\n", false, false, [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPublic.dmOrientation, 2); }},
    {"check 1032 on\ncheck 1031 on\n", false, false,
     [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPublic.dmOrientation, 1); }},
    {"pick 1038 \"2\"\n", false, false,
     [](const XDEVMODE& o, bool pcl) {
       EXPECT_EQ(pcl ? o.dmPrivate._nUpPCL : o.dmPrivate._nUp, 2);
       EXPECT_EQ(pcl ? o.dmPrivate._nUp : o.dmPrivate._nUpPCL, 1);
     }},
    {"pick 1038 \"16\"\n", false, true, [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPrivate._nUp, 16); }},
    {"check 1124 on\n", false, false, [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPrivate._bNupBorder, 1u); }},
    {"check 1221 on\n", true, false, [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPrivate._bRotatePage, 1u); }},
    {"expect 1221 hidden\n", false, true, [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPrivate._bRotatePage, 0u); }},
    {"pick 1717 \"ランドスケープ\"\n", false, false,
     [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPrivate._nFixedOrientation, 2); }},
    {"type 1034 \"12\" replace\n", false, false, [](const XDEVMODE& o, bool) { EXPECT_EQ(o.dmPublic.dmCopies, 12); }},
};

TEST_F(DocumentPageTest, EachActionLeavesItsFieldForBothModelsAndLanguages) {
  const struct {
    Model model;
    WORD pdl;
  } jobs[] = {{kColour, kPostScript}, {kColour, kPcl5}, {kMono, kPcl5}, {kMono, kPclXl}};
  HANDLE colour = Printer(kColour), mono = Printer(kMono);
  for (const auto& job : jobs) {
    HANDLE printer = job.model.file == kColour.file ? colour : mono;
    const XDEVMODE in = Settings(printer, job.model, job.pdl);
    const bool pcl = job.pdl != kPostScript;
    for (const Action& action : kActions) {
      if ((action.pclOnly && !pcl) || (action.postScriptOnly && pcl)) continue;
      SCOPED_TRACE(std::string(job.model.file) + " pdl " + std::to_string(job.pdl) + ": " + action.script);
      const SheetRun run = Run(printer, in, std::string(action.script) + "ok\n");
      ASSERT_EQ(run.error, "");
      ASSERT_EQ(run.result, 1);
      action.check(run.out, pcl);
    }
  }
}

TEST_F(DocumentPageTest, CopiesAreKeptBetweenOneAndTheLargestCount) {
  HANDLE printer = Printer(kColour);
  const XDEVMODE in = Settings(printer, kColour, kPostScript);
  const struct {
    const char* typed;
    short copies;
  } cases[] = {{"0", 1}, {"", 1}, {"40000", 32767}, {"12", 12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const std::string typing = *c.typed ? "type 1034 \"" + std::string(c.typed) + "\" replace\n" : "clear 1034\n";
    const SheetRun run = Run(printer, in, typing + "ok\n");
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(run.out.dmPublic.dmCopies, c.copies);
  }
}

TEST_F(DocumentPageTest, CollationFollowsTheModel) {
  HANDLE colour = Printer(kColour);
  SheetRun run = Run(colour, Settings(colour, kColour, kPostScript), "check 1120 on\nexpect 1120 checked\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPrivate._bCollate, 1u);
  EXPECT_EQ(run.out.dmPublic.dmCollate, 1);
  // A model without collation does not offer it.
  HANDLE mono = Printer(kMono);
  run = Run(mono, Settings(mono, kMono, kPcl5), "expect 1120 hidden\nok\n");
  EXPECT_EQ(run.error, "");
}

TEST_F(DocumentPageTest, JobMonitoringIsOffAndClosedWhileSpoolingAsMetafile) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  in.dmPrivate._iSNMP = 2;
  SheetRun run = Run(printer, in, "expect 1099 checked\ncheck 1099 off\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPrivate._iSNMP, 1u);
  in.dmPrivate._iSNMP = 1;
  in.dmPrivate._dwAdvSettings |= kAdvEmfSpooling;
  run = Run(printer, in, "expect 1099 unchecked\nexpect 1099 disabled\nok\n");
  EXPECT_EQ(run.error, "");
}

// A value the page cannot show is stored as what it shows, so the job prints
// what the user saw.
TEST_F(DocumentPageTest, UnknownValuesBecomeTheOnesShown) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  in.dmPublic.dmPaperSize = 999;
  in.dmPrivate._nUp = 3;
  in.dmPrivate._nFixedOrientation = 7;
  const SheetRun run =
      Run(printer, in, "expect 1052 selected \"A4\"\nexpect 1038 selected \"1\"\nexpect 1717 selected \"無効\"\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPublic.dmPaperSize, 9);
  EXPECT_EQ(run.out.dmPrivate._nUp, 1);
  EXPECT_EQ(run.out.dmPrivate._nFixedOrientation, 0);
}

TEST_F(DocumentPageTest, ARestrictedUserChangesNothingAndFixedOrientationMayBeAbsent) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  SheetRun run = Run(printer, in, "expect 1052 disabled\nexpect 1034 disabled\nexpect 1038 disabled\nok\n", TRUE);
  EXPECT_EQ(run.error, "");
  in.dmPrivate._nFixedOrientation = 3;
  run = Run(printer, in, "expect 1717 hidden\nexpect 1718 hidden\nok\n");
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPrivate._nFixedOrientation, 3);
}

// The user-defined size of the colour model: 3.543 to 11.693 inches wide, 5.5 to
// 17 inches long.
TEST_F(DocumentPageTest, CustomSizeIsTakenInEitherUnitAndClampedIntoItsRange) {
  HANDLE printer = Printer(kColour);
  const XDEVMODE in = Settings(printer, kColour, kPostScript);
  const struct {
    const char* script;
    DWORD unit;
    DWORD width;
    DWORD length;
  } cases[] = {
      {"type 1204 \"5.25\" replace\ntype 1206 \"7.5\" replace\n", 1, 5250, 7500},
      // Below the minimum and above the maximum: the limits.
      {"type 1204 \"1\" replace\ntype 1206 \"99\" replace\n", 1, 3543, 17000},
      {"check 1198 on\ntype 1204 \"100\" replace\ntype 1206 \"250\" replace\n", 2, 3937, 9843},
      // Switching the unit converts what is shown.
      {"type 1204 \"5.00\" replace\ncheck 1198 on\nexpect 1204 text \"127.0\"\n", 2, 5000, 11000},
      // A leading point is fine once the number is whole.
      {"type 1204 \".5\" replace\nclick 1031\n", 1, 3543, 11000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const SheetRun run = Run(printer, in, "pick 1052 \"ユーザー定義サイズ\"\n" + std::string(c.script) + "ok\n");
    ASSERT_EQ(run.error, "");
    EXPECT_TRUE(run.boxes.empty()) << run.boxes.front();
    EXPECT_EQ(run.out.dmPublic.dmPaperSize, 261);
    EXPECT_EQ(run.out.dmPrivate._nCustomUnit, c.unit);
    EXPECT_EQ(run.out.dmPrivate._lCustomWidth, c.width);
    EXPECT_EQ(run.out.dmPrivate._lCustomLength, c.length);
    EXPECT_EQ(run.out.dmPrivate._bCustomPortraitFeed, c.width < c.length ? 1u : 0u);
  }
}

TEST_F(DocumentPageTest, ACustomSizeThatIsNotANumberIsRefusedWhenTheEditIsLeft) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  for (const char* typed : {".", "-", "1a"}) {
    SCOPED_TRACE(typed);
    const SheetRun run =
        Run(printer, in,
            "pick 1052 \"ユーザー定義サイズ\"\ntype 1206 \"" + std::string(typed) + "\" replace\nclick 1031\nok\n");
    ASSERT_EQ(run.error, "");
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_NE(run.boxes[0].find("不正文字 : " + std::string(typed)), std::string::npos) << run.boxes[0];
    EXPECT_NE(run.boxes[0].find("入力エラー"), std::string::npos) << run.boxes[0];
    EXPECT_EQ(run.out.dmPrivate._lCustomLength, 11000u);
  }
}

TEST_F(DocumentPageTest, ALongCustomLengthInMillimetresSurvivesShowingThePage) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  // A model whose user-defined size may be up to 50 inches long.
  ModelRecord* model = GetModelRecord(printer, kColour.printer, kModelReloadWhenMissing);
  ASSERT_NE(model, nullptr);
  const int row = pages::CustomPaperRow(*model);
  ASSERT_GE(row, 0);
  model->papers[row].variableSize.geometry[0].margin2 = 50000;
  in.dmPublic.dmPaperSize = 261;
  in.dmPrivate._nCustomPaperIndex = row;
  in.dmPrivate._nCustomUnit = 2;
  in.dmPrivate._lCustomWidth = 8500;
  in.dmPrivate._lCustomLength = 48000;
  const SheetRun run = Run(printer, in, "expect 1206 text \"1219.2\"\nexpect 1198 checked\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPrivate._lCustomLength, 48000u);
  EXPECT_EQ(run.out.dmPrivate._lCustomWidth, 8500u);
}

TEST_F(DocumentPageTest, AModelWithoutAUserDefinedSizeLeavesItsFirstPaperAlone) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  ModelRecord* model = GetModelRecord(printer, kColour.printer, kModelReloadWhenMissing);
  ASSERT_NE(model, nullptr);
  const int row = pages::CustomPaperRow(*model);
  ASSERT_GE(row, 0);
  model->papers[row].userSizeMark = 0;
  const PaperEntry first = model->papers[0];
  const SheetRun run = Run(printer, in, "pick 1052 \"A5\"\nexpect 1204 hidden\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPrivate._nCustomPaperIndex, -1);
  EXPECT_EQ(std::memcmp(&model->papers[0], &first, sizeof first), 0);
}

// Each visit makes the page anew: what was chosen is shown again from the settings.
TEST_F(DocumentPageTest, LeavingAndComingBackShowsWhatWasChosen) {
  HANDLE printer = Printer(kColour);
  const SheetRun run = Run(printer, Settings(printer, kColour, kPostScript), R"(page "イメージ"
type 1058 "150" replace
page "ドキュメント"
pick 1052 "ユーザー定義サイズ"
type 1204 "5.5" replace
page "高度な設定"
page "ドキュメント"
expect 1204 text "5.50"
expect 1052 selected "ユーザー定義サイズ"
page "イメージ"
expect 1058 text "150"
ok
)");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPublic.dmScale, 150);
  EXPECT_EQ(run.out.dmPrivate._lCustomWidth, 5500u);
}

TEST(CustomPaperSizeTest, UnitsConvertWithoutLosingAThousandth) {
  EXPECT_DOUBLE_EQ(pages::MillimetresShown(48000), 1219.2);
  EXPECT_DOUBLE_EQ(pages::MillimetresShown(8267), 210.0);  // 209.98 shown rounded up
  EXPECT_EQ(pages::ThousandthsOf(1219.2, pages::kUnitMillimetres), 48000);
  EXPECT_EQ(pages::ThousandthsOf(8.27, pages::kUnitInches), 8270);
  EXPECT_EQ(pages::SizeText(48000, pages::kUnitMillimetres), "1219.2");
  EXPECT_EQ(pages::SizeText(5250, pages::kUnitInches), "5.25");
  EXPECT_EQ(pages::RangeText(3.543, 11.693, pages::kUnitInches), "[3.54...11.69]");
  EXPECT_DOUBLE_EQ(pages::MillimetreLimit(3543), 90.0);
  EXPECT_DOUBLE_EQ(pages::RoundUpTenth(210.058), 210.1);
  EXPECT_DOUBLE_EQ(pages::RoundUpTenth(127.0), 127.0);
}

TEST(DocumentPreviewTest, TheSheetTurnsWithThePagesOnIt) {
  const RECT frame{0, 0, 90, 150};
  const struct {
    long width, length;
    short orientation;
    WORD pages;
    bool landscape;
    int columns, rows;
  } cases[] = {
      {8267, 11692, 1, 1, false, 1, 1},  // A4 portrait
      {8267, 11692, 2, 1, true, 1, 1},   // A4 landscape
      {8267, 11692, 1, 2, true, 2, 1},   // two portrait pages side by side
      {5827, 8267, 2, 4, true, 2, 2},    // A5 landscape, four on a sheet
      {8267, 11692, 1, 6, true, 3, 2},   // six: three across a landscape sheet
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.orientation) + " " + std::to_string(c.pages));
    const pages::PreviewLayout layout = pages::LayoutPreview(frame, c.width, c.length, 0, c.orientation, c.pages);
    EXPECT_EQ(layout.landscape, c.landscape);
    EXPECT_EQ(layout.columns, c.columns);
    EXPECT_EQ(layout.rows, c.rows);
    EXPECT_EQ(layout.sheet.right - layout.sheet.left, c.landscape ? 90 : 60);
    EXPECT_EQ(layout.sheet.bottom - layout.sheet.top, c.landscape ? 60 : 90);
    EXPECT_EQ(layout.across, c.landscape ? c.length : c.width);
  }
  EXPECT_EQ(pages::MillimetreLabel(8267), "210.0mm");
  EXPECT_EQ(pages::InchLabel(8267), "(8.27\")");
}

TEST(DocumentPreviewTest, APclJobShowsItsOwnPagesPerSheet) {
  XDEVMODE settings{};
  settings.dmPrivate._nUp = 1;
  settings.dmPrivate._nUpPCL = 2;
  settings.dmPrivate._nPDL = kPcl5;
  EXPECT_EQ(pages::PreviewPagesPerSheet(settings), 2);
  settings.dmPrivate._nPDL = kPostScript;
  EXPECT_EQ(pages::PreviewPagesPerSheet(settings), 1);
}

}  // namespace
}  // namespace pagetest
