// Jobs printed after a user's choices on the watermark and fonts pages: the
// watermark made in the sheet prints at its angle (on the first page only when
// asked), and a pair chosen in the substitution table selects that printer
// font for the text's TrueType face.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/sessions/printhost_session.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

namespace {

std::string PostScriptOf(const std::string& job) {
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  EXPECT_TRUE(report.ok()) << report.Summary();
  std::string text;
  for (const std::string& section : report.PostScript()) text += section;
  return text;
}

// The grey pixels of a rendered page (the watermark's mid grey, not the black
// marks or the white paper) and where they lie.
struct GreyInk {
  int count = 0;
  int top = -1, topX = 0;        // the highest grey pixel and its column
  int bottom = -1, bottomX = 0;  // the lowest
  int left = 1 << 30, right = -1;
};

GreyInk GreyOf(const testsupport::RenderedPage& page) {
  GreyInk ink;
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x) {
      const int v = page.gray[static_cast<size_t>(y) * page.width + x];
      if (v < 90 || v > 170) continue;
      ++ink.count;
      if (ink.top < 0) ink.top = y, ink.topX = x;
      ink.bottom = y, ink.bottomX = x;
      ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
    }
  return ink;
}

TEST(WatermarkJobTest, AWatermarkMadeInTheSheetPrintsTurnedOnTheChosenPages) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const sessions::fs::path folder = sessions::TestFolder();
  for (bool firstPageOnly : {true, false}) {
    SCOPED_TRACE(firstPageOnly ? "first page only" : "every page");
    const std::string script = std::string(R"(click 200
  pick 1028 #2
  click 1161
  type 1159 "SAMPLE" replace
  check 1131 )") + (firstPageOnly ? "on" : "off") +
                               R"(
  ok
ok
)";
    const sessions::HostRun run =
        sessions::RunHost(folder, "nardo-c5545.ini", script, {"--properties", "--portrait", "--marks", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.said;
    const testsupport::GhostscriptRun rendered = testsupport::RunPostScriptJob(PostScriptOf(run.job), 36);
    ASSERT_TRUE(rendered.Clean()) << rendered.output;
    ASSERT_EQ(rendered.pages.size(), 2u);
    const GreyInk first = GreyOf(rendered.pages[0]);
    const GreyInk second = GreyOf(rendered.pages[1]);
    EXPECT_GT(first.count, 100);
    if (firstPageOnly) {
      EXPECT_LT(second.count, 10);
    } else {
      EXPECT_GT(second.count, 100);
    }
    // At 45 degrees the text rises to the right on the portrait page: its
    // highest ink lies right of its lowest, and it is about as tall as wide.
    EXPECT_GT(first.topX, first.bottomX);
    const int width = first.right - first.left, height = first.bottom - first.top;
    EXPECT_GT(height * 2, width);
    EXPECT_GT(width * 2, height);
  }
}

TEST(SubstitutionJobTest, APairChosenInTheTableSelectsThatPrinterFont) {
  const sessions::fs::path folder = sessions::TestFolder();
  std::ofstream(folder / "text.txt") << "Substituted text\n";
  const std::string text = (folder / "text.txt").string();
  static const std::regex courier(R"(/Courier \d+ SDF)"), helvetica(R"(/Helvetica \d+ SDF)");

  // Printed as the built-in table has it: the text's Courier New with Courier.
  const sessions::HostRun plain = sessions::RunHost(folder, "nardo-c5545.ini", "", {"--text", text});
  ASSERT_EQ(plain.exitCode, 0) << plain.said;
  EXPECT_TRUE(std::regex_search(plain.job, courier));

  const sessions::HostRun paired = sessions::RunHost(folder, "nardo-c5545.ini", R"S(click 200
  pick 1028 #3
  click 1152
    pick 1040 "Courier New (Courier)"
    pick 1041 "Helvetica"
    expect 1040 selected "Courier New (Helvetica)"
    ok
  ok
ok
)S",
                                                     {"--properties", "--text", text});
  ASSERT_EQ(paired.exitCode, 0) << paired.said;
  EXPECT_TRUE(std::regex_search(paired.job, helvetica));
  EXPECT_FALSE(std::regex_search(paired.job, courier));

  // The table stays the printer's: the next job without the sheet uses it too,
  // and "標準に戻す" brings Courier back.
  const sessions::HostRun later = sessions::RunHost(folder, "nardo-c5545.ini", "", {"--text", text});
  EXPECT_TRUE(std::regex_search(later.job, helvetica));
  const sessions::HostRun reset = sessions::RunHost(folder, "nardo-c5545.ini", R"(click 200
  pick 1028 #3
  click 1152
    click 1176
    ok
  ok
ok
)",
                                                    {"--properties", "--text", text});
  ASSERT_EQ(reset.exitCode, 0) << reset.said;
  EXPECT_TRUE(std::regex_search(reset.job, courier));
}

}  // namespace
