// The image page as a user drives it: resolution, scale, image inversions,
// printable area and the halftone screen of PostScript jobs.
#include <string>

#include "tests/interface/page_test_support.h"

namespace pagetest {
namespace {

using ImagePageTest = PageTest;

TEST_F(ImagePageTest, EachActionLeavesItsFieldForBothModelsAndLanguages) {
  const struct {
    const char* script;
    bool postScriptOnly;
    void (*check)(const XDEVMODE& out);
  } actions[] = {
      {"check 1075 on\ncheck 1072 on\ncheck 1077 on\n", true,
       [](const XDEVMODE& o) {
         EXPECT_EQ(o.dmPrivate._bColorToBlack, 1u);
         EXPECT_EQ(o.dmPrivate._bNegativeImage, 1u);
         EXPECT_EQ(o.dmPrivate._bMirrorImage, 1u);
       }},
      {"check 1048 on\nexpect 1048 checked\n", false,
       [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._nMarginType, 1); }},
      {"check 1045 on\n", false, [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._nMarginType, 0); }},
      {"check 1317 on\nexpect 1319 text \"85\"\nexpect 1320 text \"45\"\n", true,
       [](const XDEVMODE& o) {
         EXPECT_EQ(o.dmPrivate._bPrinterScreen, 0u);
         EXPECT_EQ(o.dmPrivate._nScreenFrequency, 85);
         EXPECT_EQ(o.dmPrivate._nScreenAngle, 45);
       }},
      {"check 1317 on\ntype 1319 \"999\" replace\ntype 1320 \"400\" replace\n", true,
       [](const XDEVMODE& o) {
         EXPECT_EQ(o.dmPrivate._nScreenFrequency, o.dmPublic.dmPrintQuality);
         EXPECT_EQ(o.dmPrivate._nScreenAngle, 360);
       }},
      {"check 1317 on\ncheck 1316 on\nexpect 1319 disabled\n", true,
       [](const XDEVMODE& o) {
         EXPECT_EQ(o.dmPrivate._bPrinterScreen, 1u);
         EXPECT_EQ(o.dmPrivate._nScreenFrequency, 0);
       }},
      {"expect 1058 hidden\nexpect 1316 hidden\nexpect 1077 hidden\n", false, [](const XDEVMODE&) {}},
  };
  const struct {
    Model model;
    WORD pdl;
  } jobs[] = {{kColour, kPostScript}, {kColour, kPcl5}, {kMono, kPcl5}, {kMono, kPclXl}};
  HANDLE colour = Printer(kColour), mono = Printer(kMono);
  for (const auto& job : jobs) {
    HANDLE printer = job.model.file == kColour.file ? colour : mono;
    const XDEVMODE in = Settings(printer, job.model, job.pdl);
    const bool postScript = job.pdl == kPostScript;
    for (const auto& action : actions) {
      // The last row is what a PCL job shows.
      const bool pclRow = &action == &actions[std::size(actions) - 1];
      if ((action.postScriptOnly && !postScript) || (pclRow && postScript)) continue;
      SCOPED_TRACE(std::string(job.model.file) + " pdl " + std::to_string(job.pdl) + ": " + action.script);
      const SheetRun run = Run(printer, in, "page \"イメージ\"\n" + std::string(action.script) + "ok\n");
      ASSERT_EQ(run.error, "");
      ASSERT_EQ(run.result, 1);
      action.check(run.out);
      EXPECT_EQ(run.out.dmPrivate._nGraphicsMode, 0);
    }
  }
}

TEST_F(ImagePageTest, ScaleIsKeptBetweenTenAndFourHundred) {
  HANDLE printer = Printer(kColour);
  const XDEVMODE in = Settings(printer, kColour, kPostScript);
  const struct {
    const char* typed;
    short scale;
  } cases[] = {{"0", 100}, {"5", 10}, {"999", 400}, {"200", 200}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const SheetRun run =
        Run(printer, in, "page \"イメージ\"\ntype 1058 \"" + std::string(c.typed) + "\" replace\nok\n");
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(run.out.dmPublic.dmScale, c.scale);
  }
}

TEST_F(ImagePageTest, SeveralPagesOnASheetAreNeverMirrored) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  in.dmPrivate._nUp = 4;
  in.dmPrivate._bMirrorImage = 1;
  const SheetRun run = Run(printer, in, "page \"イメージ\"\nexpect 1077 unchecked\nexpect 1077 disabled\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPrivate._bMirrorImage, 0u);
}

TEST_F(ImagePageTest, TheStoredPrintableAreaIsShownAndNoMarginsWarnsOfBorders) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  in.dmPrivate._nMarginType = 1;
  in.dmPrivate._bNupBorder = 0;
  SheetRun run = Run(printer, in, "page \"イメージ\"\nexpect 1048 checked\nexpect 1045 unchecked\ncheck 1050 on\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.out.dmPrivate._nMarginType, 2);
  in.dmPrivate._bNupBorder = 1;
  run = Run(printer, in, "page \"イメージ\"\ncheck 1050 on\nok\n");
  ASSERT_EQ(run.error, "");
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_NE(run.boxes[0].find("備考"), std::string::npos) << run.boxes[0];
}

TEST_F(ImagePageTest, ALowerResolutionBringsTheScreenFrequencyDown) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  in.dmPublic.dmPrintQuality = in.dmPublic.dmYResolution = 1200;
  in.dmPrivate._bPrinterScreen = 0;
  in.dmPrivate._nScreenFrequency = 1000;
  in.dmPrivate._nScreenAngle = 30;
  const SheetRun run = Run(printer, in, "page \"イメージ\"\npick 1053 \"600\"\nexpect 1319 text \"600\"\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPublic.dmPrintQuality, 600);
  EXPECT_EQ(run.out.dmPublic.dmYResolution, 600);
  EXPECT_EQ(run.out.dmPrivate._nScreenFrequency, 600);
  EXPECT_EQ(run.out.dmPrivate._nScreenAngle, 30);
}

}  // namespace
}  // namespace pagetest
