// Whole jobs as a user makes them: the print host sets up a fresh root, adds a
// printer of a shipped model through the driver's own set-up, and prints through
// the real driver libraries into a job file. The PostScript job (its PJL
// envelope taken off) must run in Ghostscript with one rendered page per page
// printed; the PCL job must read clean with one form feed per page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ghostscript_run.h"
#include "tests/support/loopback_listener.h"
#include "tests/support/pcl_reader.h"

#ifdef ZEL_PRINTHOST

namespace {

namespace fs = std::filesystem;

struct PrintedJob {
  int exitCode = -1;
  std::string bytes;
};

std::string Quote(const std::string& text) { return "'" + text + "'"; }

// Runs the print host on a fresh root and reads the job file back.
PrintedJob PrintWithHost(const std::string& model, const std::vector<std::string>& options) {
  const fs::path folder = fs::path(ZEL_BINARY_DIR) / "printhost_jobs" /
                          (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" + model);
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path job = folder / "job.prn";
  std::string command = Quote(ZEL_PRINTHOST) + " --root " + Quote((folder / "root").string()) + " --model " +
                        Quote(std::string(ZEL_SOURCE_DIR) + "/data/models/" + model) + " --output " +
                        Quote(job.string());
  for (const std::string& option : options) command += " " + Quote(option);
  command += " > " + Quote((folder / "printhost.log").string()) + " 2>&1";
  PrintedJob printed;
  const int status = std::system(command.c_str());
  printed.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(job, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  printed.bytes = content.str();
  return printed;
}

constexpr char kPostScriptModel[] = "nardo-c5545.ini";  // PostScript and PCL
constexpr char kMonoModel[] = "nardo-m3020.ini";        // PCL

struct BlankCase {
  int pages;
};

class PrintHostBlankPages : public ::testing::TestWithParam<BlankCase> {};

TEST_P(PrintHostBlankPages, PostScriptJobRendersOnePagePerPage) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const int pages = GetParam().pages;
  const PrintedJob job = PrintWithHost(kPostScriptModel, {"--blank", std::to_string(pages)});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  const std::vector<std::string> postscript = report.PostScript();
  ASSERT_EQ(postscript.size(), 1u);
  EXPECT_EQ(postscript[0].rfind("%!", 0), 0u);
  const testsupport::GhostscriptRun run = testsupport::RunPostScriptJob(postscript[0]);
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(static_cast<int>(run.pages.size()), pages);
  for (const testsupport::RenderedPage& page : run.pages)
    EXPECT_EQ(page.DarkCount(0, 0, page.width, page.height), 0) << "a blank page has ink";
}

TEST_P(PrintHostBlankPages, PclJobReadsCleanWithOneFormFeedPerPage) {
  const int pages = GetParam().pages;
  const PrintedJob job = PrintWithHost(kMonoModel, {"--blank", std::to_string(pages)});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  EXPECT_TRUE(report.ok()) << report.Summary();
  EXPECT_EQ(report.formFeeds, pages);
  ASSERT_FALSE(report.pjl.empty());
  EXPECT_EQ(report.pjl.front().command, "JOB");
  EXPECT_EQ(report.pjl.back().command, "EOJ");
  EXPECT_TRUE(report.PostScript().empty());
}

INSTANTIATE_TEST_SUITE_P(Pages, PrintHostBlankPages, ::testing::Values(BlankCase{0}, BlankCase{1}, BlankCase{3}),
                         [](const auto& param) { return "Pages" + std::to_string(param.param.pages); });

// Options chosen in the print host reach the job through the driver's own
// device-mode merge: the PJL and PCL settings of a mono PCL job.
TEST(PrintHostOptions, CopiesAndDuplexReachThePclJob) {
  const PrintedJob job = PrintWithHost(kMonoModel, {"--blank", "2", "--copies", "3", "--duplex", "long"});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  std::vector<std::string> lines;
  for (const auto& line : report.pjl) lines.push_back(line.text);
  const auto has = [&](const std::string& text) {
    for (const std::string& line : lines)
      if (line == text) return true;
    return false;
  };
  EXPECT_TRUE(has("@PJL SET COPIES = 3") || has("@PJL SET QTY = 3")) << ::testing::PrintToString(lines);
  EXPECT_EQ(report.formFeeds, 2);
}

TEST(PrintHostOptions, SampleDocumentRunsInGhostscript) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const PrintedJob job = PrintWithHost(kPostScriptModel, {"--sample"});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  ASSERT_EQ(report.PostScript().size(), 1u);
  const testsupport::GhostscriptRun run = testsupport::RunPostScriptJob(report.PostScript()[0]);
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(run.pages.size(), 4u);
}

// The sample document's text that no printer font matches goes through the
// driver as PCL soft fonts; its first line inks its place.
TEST(PrintHostOptions, SampleDocumentTextWithoutAPrinterFontIsDownloadedInPcl) {
  const PrintedJob pcl = PrintWithHost(kMonoModel, {"--sample"});
  ASSERT_EQ(pcl.exitCode, 0);
  const testsupport::PclReport pclReport = testsupport::ReadPclJob(pcl.bytes);
  ASSERT_TRUE(pclReport.ok()) << pclReport.Summary();
  EXPECT_GE(pclReport.Count(")s", 'W'), 1u) << "a soft-font header";
  EXPECT_GE(pclReport.Count("*c", 'E'), 10u) << "character downloads";
  EXPECT_NE(pclReport.Text().find("The quick brown fox"), std::string::npos);
}

// In PostScript the sample's text is set in the printer's own fonts: the
// Courier line in Courier, Arial in Helvetica by the default substitution
// table, Times New Roman in Times, the Japanese line in the composite Gothic;
// no glyph is downloaded, and Ghostscript inks every line where it was drawn.
TEST(PrintHostOptions, PostScriptSampleTextUsesThePrinterFonts) {
  const PrintedJob ps = PrintWithHost(kPostScriptModel, {"--sample", "--portrait"});
  ASSERT_EQ(ps.exitCode, 0);
  const testsupport::PclReport psReport = testsupport::ReadPclJob(ps.bytes);
  ASSERT_TRUE(psReport.ok()) << psReport.Summary();
  ASSERT_EQ(psReport.PostScript().size(), 1u);
  const std::string postScript = psReport.PostScript()[0];
  // The font made current last before a line of text.
  auto fontBefore = [&](const std::string& text) {
    const size_t at = postScript.find(text);
    if (at == std::string::npos) return std::string("(text not found)");
    const size_t select = postScript.rfind("\n/", at);
    if (select == std::string::npos) return std::string("(no font)");
    return postScript.substr(select + 1, postScript.find('\n', select + 1) - select - 1);
  };
  EXPECT_EQ(fontBefore("(Printer font: Courier"), "/Courier 100 SDF");
  EXPECT_EQ(fontBefore("(Rotated text)"), "/Helvetica 120 SDF");
  EXPECT_EQ(fontBefore("(The quick brown fox"), "/Times-Roman 150 SDF");
  EXPECT_NE(postScript.find("/GothicBBB-Medium-83pv-RKSJ-H /GothicBBB-Medium /83pv-RKSJ-H mF_FE"), std::string::npos);
  EXPECT_EQ(postScript.find(" AC\n"), std::string::npos) << "no glyph downloaded";
  EXPECT_EQ(postScript.find(" CF\t"), std::string::npos) << "no font downloaded";

  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const testsupport::GhostscriptRun run = testsupport::RunPostScriptJob(postScript);
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_GE(run.pages.size(), 1u);
  const testsupport::RenderedPage& page = run.pages[0];  // 72 pixels an inch
  struct Region {
    const char* what;
    int x, y, w, h;
    bool inked;
  } regions[] = {
      {"Times line", 72, 72, 300, 30, true},
      {"Japanese line", 72, 144, 200, 30, true},
      {"Courier line", 72, 216, 300, 30, true},
      {"turned Helvetica line", 8, 300, 40, 150, true},
      {"between the lines and the turned one", 72, 260, 400, 150, false},
  };
  for (const Region& r : regions) {
    const int dark = page.DarkCount(r.x, r.y, r.w, r.h);
    if (r.inked) {
      EXPECT_GT(dark, 30) << r.what;
    } else {
      EXPECT_EQ(dark, 0) << r.what;
    }
  }
}

// In PCL the Courier line selects the printer's Courier by its characteristics
// (symbol set, fixed spacing, pitch, typeface) and prints with no soft font, on
// the PCL model and on the PostScript model switched to PCL.
TEST(PrintHostOptions, PclCourierLineSelectsThePrinterCourier) {
  struct Case {
    const char* model;
    std::vector<std::string> options;
  } cases[] = {{kMonoModel, {"--sample"}}, {kPostScriptModel, {"--sample", "--language", "pcl"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    const PrintedJob job = PrintWithHost(c.model, c.options);
    ASSERT_EQ(job.exitCode, 0);
    const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
    ASSERT_TRUE(report.ok()) << report.Summary();
    ASSERT_TRUE(report.PostScript().empty());
    const testsupport::TextRun* line = nullptr;
    for (const testsupport::TextRun& run : report.text)
      if (run.text.find("Printer font: Courier") != std::string::npos) line = &run;
    ASSERT_NE(line, nullptr);
    // The last command of a kind before the line.
    auto last = [&](const char* family, char terminator) -> const testsupport::PclCommand* {
      const testsupport::PclCommand* found = nullptr;
      for (const testsupport::PclCommand& command : report.commands)
        if (command.offset < line->offset && command.Is(family, terminator)) found = &command;
      return found;
    };
    const testsupport::PclCommand* typeface = last("(s", 'T');
    const testsupport::PclCommand* symbolSet = last("(", 'U');
    const testsupport::PclCommand* spacing = last("(s", 'P');
    const testsupport::PclCommand* pitch = last("(s", 'H');
    const testsupport::PclCommand* byId = last("(", 'X');
    ASSERT_TRUE(typeface && symbolSet && spacing && pitch);
    EXPECT_EQ(typeface->IntValue(), 4099) << "Courier";
    EXPECT_EQ(symbolSet->valueText, "19");
    EXPECT_EQ(spacing->IntValue(), 0) << "fixed spacing";
    EXPECT_NEAR(pitch->value, 10.0, 0.2) << "12-point Courier sets 10 characters an inch";
    if (byId) {
      EXPECT_LT(byId->offset, typeface->offset) << "no soft font selected for the line";
    }
  }
}

// Columns of the rectangle that hold any ink: the length of a bar drawn along
// the rows, whatever its height rounds to.
int InkedColumns(const testsupport::RenderedPage& page, int x, int y, int w, int h) {
  int count = 0;
  for (int column = x; column < x + w; ++column) count += page.DarkCount(column, y, 1, h) > 0 ? 1 : 0;
  return count;
}

// N-up sheets rendered by Ghostscript: page k of a marked document draws a bar
// whose length grows with k, so every cell of the sheet's grid must hold ink
// and the bars must lengthen cell by cell in reading order (left to right, top
// to bottom). Landscape pages keep the portrait sheet and the same grid.
struct NupCase {
  int pages;
  const char* orientation;
  int columns;
  int rows;
};

class PrintHostNupSheets : public ::testing::TestWithParam<NupCase> {};

TEST_P(PrintHostNupSheets, EveryCellHoldsItsPageInReadingOrder) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const NupCase& c = GetParam();
  const std::string n = std::to_string(c.pages);
  const PrintedJob job = PrintWithHost(kPostScriptModel, {std::string("--") + c.orientation, "--nup", n, "--marks", n});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  ASSERT_EQ(report.PostScript().size(), 1u);
  const testsupport::GhostscriptRun run = testsupport::RunPostScriptJob(report.PostScript()[0], 50);
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u) << "all pages go on one sheet";
  const testsupport::RenderedPage& sheet = run.pages[0];
  ASSERT_LT(sheet.width, sheet.height) << "the sheet stays portrait";
  const int cellWidth = sheet.width / c.columns;
  const int cellHeight = sheet.height / c.rows;
  int previous = 0;
  int total = 0;
  for (int row = 0; row < c.rows; ++row) {
    for (int column = 0; column < c.columns; ++column) {
      const int x = column * cellWidth;
      const int y = row * cellHeight;
      const int length = InkedColumns(sheet, x, y, cellWidth, cellHeight);
      EXPECT_GT(length, previous) << "cell at row " << row << ", column " << column;
      previous = length;
      total += sheet.DarkCount(x, y, cellWidth, cellHeight);
    }
  }
  EXPECT_EQ(total, sheet.DarkCount(0, 0, sheet.width, sheet.height)) << "ink outside the grid";
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, PrintHostNupSheets,
    ::testing::Values(NupCase{2, "portrait", 1, 2}, NupCase{4, "portrait", 2, 2}, NupCase{6, "portrait", 2, 3},
                      NupCase{8, "portrait", 2, 4}, NupCase{9, "portrait", 3, 3}, NupCase{16, "portrait", 4, 4},
                      NupCase{2, "landscape", 1, 2}, NupCase{4, "landscape", 2, 2}, NupCase{6, "landscape", 2, 3},
                      NupCase{8, "landscape", 2, 4}, NupCase{9, "landscape", 3, 3}, NupCase{16, "landscape", 4, 4}),
    [](const auto& param) { return std::string(param.param.orientation) + std::to_string(param.param.pages); });

// The sample document's last page turns landscape (the application resets
// the device context before it). On a 4-up sheet it must take its own cell,
// the bottom right one, and not print over page 2 in the top right: each cell
// holds ink, and the last cell holds the landscape page's one line of text,
// placed as an all-landscape document places its pages (level, scaled).
TEST(PrintHostOptions, NupPageTurnedLandscapeTakesItsOwnCell) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const PrintedJob job = PrintWithHost(kPostScriptModel, {"--sample", "--portrait", "--nup", "4"});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  ASSERT_EQ(report.PostScript().size(), 1u);
  const testsupport::GhostscriptRun run = testsupport::RunPostScriptJob(report.PostScript()[0], 50);
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u) << "all four pages go on one sheet";
  const testsupport::RenderedPage& sheet = run.pages[0];
  ASSERT_LT(sheet.width, sheet.height);
  const int cellWidth = sheet.width / 2;
  const int cellHeight = sheet.height / 2;
  for (int cell = 0; cell < 4; ++cell) {
    const int x = (cell % 2) * cellWidth;
    const int y = (cell / 2) * cellHeight;
    EXPECT_GT(sheet.DarkCount(x, y, cellWidth, cellHeight), 20) << "cell " << cell + 1;
  }
  // The landscape page prints one line, "Landscape page".
  int top = sheet.height, bottom = -1, left = sheet.width, right = -1;
  for (int y = cellHeight; y < sheet.height; ++y) {
    for (int x = cellWidth; x < sheet.width; ++x) {
      if (sheet.DarkCount(x, y, 1, 1) == 0) continue;
      top = std::min(top, y), bottom = std::max(bottom, y);
      left = std::min(left, x), right = std::max(right, x);
    }
  }
  ASSERT_GE(bottom, 0) << "no ink in the last cell";
  EXPECT_GT(right - left, 5 * (bottom - top)) << "the last cell's ink is not the landscape page's line";
}

// The job and page settings a user chooses, printed through the print host on
// both models: the mono model's PCL job must carry the PJL and PCL lines byte
// for byte and read clean; the colour model's PostScript job must carry the
// setpagedevice entries and page set-up text byte for byte and run clean in
// Ghostscript. A setting a model has no hardware for must leave no line.
struct SettingCase {
  const char* name;
  std::vector<std::string> options;
  std::vector<std::string> pcl;         // in the mono model's job
  std::vector<std::string> pclAbsent;   // hardware the mono model lacks: the host refuses the run
  std::vector<std::string> postScript;  // in the colour model's job
};

std::vector<SettingCase> SettingCases() {
  std::vector<SettingCase> cases = {
      // clang-format off
      {"CopiesCollated", {"--copies", "3", "--collate", "on"}, {"@PJL SET COPIES = 3\n@PJL SET QTY = 1\n"}, {},
       {" dup\n/NumCopies          3 put dup\n/Collate            true put"}},
      {"CopiesUncollated", {"--copies", "3", "--collate", "off"}, {"@PJL SET COPIES = 3\n@PJL SET QTY = 1\n"}, {},
       {" dup\n/NumCopies          3 put dup\n/Collate            false put"}},
      {"DuplexLongEdge", {"--duplex", "long"}, {"\x1b&l1S"}, {},
       {" dup\n/Duplex             true put dup\n/Tumble             false put"}},
      {"DuplexShortEdge", {"--duplex", "short"}, {"\x1b&l2S"}, {},
       {" dup\n/Duplex             true put dup\n/Tumble             true put"}},
      {"Simplex", {"--duplex", "none"}, {"\x1b&l0S"}, {},
       {" dup\n/Duplex             false put dup\n/Tumble             false put"}},
      {"Tray257", {"--tray", "257"}, {"\x1b&l2H"}, {},
       {" dup\n/InputAttributes    <</Priority [3]>> put dup\n/TraySwitch         false put"}},
      {"Tray258", {"--tray", "258"}, {"\x1b&l1H"}, {},
       {" dup\n/InputAttributes    <</Priority [0]>> put dup\n/TraySwitch         false put"}},
      {"Tray259", {"--tray", "259"}, {}, {},
       {" dup\n/InputAttributes    <</Priority [1]>> put dup\n/TraySwitch         false put"}},
      {"Tray260", {"--tray", "260"}, {}, {},
       // clang-format on
       {" dup\n/InputAttributes    <</Priority [2]>> put dup\n/TraySwitch         false put"}},
      {"Bin257", {"--bin", "257"}, {"@PJL SET OUTBIN = UPPER\n"}, {}, {" dup\n/OutputType         (Stacker 1) put"}},
      {"Bin258", {"--bin", "258"}, {"@PJL SET OUTBIN = LOWER\n"}, {}, {" dup\n/OutputType         (Stacker 2) put"}},
      {"Mirror",
       {"--mirror"},
       {},
       {},
       {"\ninitmatrix\n72 600 div dup scale 4960 7015.200 translate 0 rotate -1 -1 scale\n"}},
      // clang-format off
      {"Negative", {"--negative"}, {}, {},
       {"{ 1 exch sub}bind settransfer\n1 setgray clippath fill\n", "\n{}bind settransfer\n"}},
      {"Booklet", {"--booklet", "1"}, {}, {},
       // clang-format on
       {"\ninitmatrix\ncurrentpagedevice /PageSize get aload pop 2 div translate 90 rotate\n",
        "\ninitmatrix\ncurrentpagedevice /PageSize get aload pop pop 0 translate 90 rotate\n"}},
      {"Nup2", {"--nup", "2"}, {"@PJL SET NUP = 2\n"}, {}, {"gsave\n0 0 595 842 rc\n"}},
  };
  for (int bin = 259; bin <= 261; ++bin) {
    // clang-format off
    cases.push_back({"", {"--bin", std::to_string(bin)}, {}, {},
                     // clang-format on
                     {" dup\n/OutputType         (Stacker " + std::to_string(bin - 256) + ") put"}});
  }
  const int stapleLocations[] = {1, 2, 5, 6};
  for (int staple = 1; staple <= 4; ++staple) {
    // clang-format off
    cases.push_back({"", {"--staple", std::to_string(staple)}, {}, {"FINISH"},
                     // clang-format on
                     {" dup\n/Staple             1 put dup\n/StapleDetails      <</StapleLocation " +
                      std::to_string(stapleLocations[staple - 1]) + ">> put"}});
  }
  for (int punch = 1; punch <= 3; ++punch) {
    // clang-format off
    cases.push_back({"", {"--punch", std::to_string(punch)}, {}, {"PUNCH"},
                     // clang-format on
                     {" dup\n/Punch              " + std::to_string(punch) + " put"}});
  }
  for (int fold = 1; fold <= 2; ++fold) {
    // clang-format off
    cases.push_back({"", {"--fold", std::to_string(fold)}, {}, {"FOLD"},
                     {" dup\n/Fold               1 put dup\n/FoldDetails        <</FoldType " + std::to_string(fold) +
                      ">> put"}});
    // clang-format on
  }
  return cases;
}

std::string CaseName(const SettingCase& c) {
  if (*c.name) return c.name;
  std::string name;
  for (const std::string& option : c.options) {
    for (char ch : option)
      if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
  }
  return name;
}

class PrintHostSettings : public ::testing::TestWithParam<SettingCase> {
 protected:
  std::vector<std::string> Options() const {
    std::vector<std::string> options = {"--portrait", "--blank", "2"};
    options.insert(options.end(), GetParam().options.begin(), GetParam().options.end());
    return options;
  }
};

TEST_P(PrintHostSettings, MonoPclJobCarriesTheLines) {
  const PrintedJob job = PrintWithHost(kMonoModel, Options());
  if (!GetParam().pclAbsent.empty()) {
    // A finishing unit the model does not have is refused before anything prints.
    EXPECT_NE(job.exitCode, 0);
    EXPECT_TRUE(job.bytes.empty());
    return;
  }
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  EXPECT_TRUE(report.ok()) << report.Summary();
  for (const std::string& text : GetParam().pcl)
    EXPECT_NE(job.bytes.find(text), std::string::npos) << "missing " << ::testing::PrintToString(text);
}

TEST_P(PrintHostSettings, ColourPostScriptJobCarriesTheEntriesAndRuns) {
  const PrintedJob job = PrintWithHost(kPostScriptModel, Options());
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  ASSERT_EQ(report.PostScript().size(), 1u);
  const std::string postScript = report.PostScript()[0];
  for (const std::string& text : GetParam().postScript)
    EXPECT_NE(postScript.find(text), std::string::npos) << "missing " << ::testing::PrintToString(text);
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const testsupport::GhostscriptRun run = testsupport::RunPostScriptJob(postScript, 20);
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_FALSE(run.pages.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, PrintHostSettings, ::testing::ValuesIn(SettingCases()),
                         [](const auto& param) { return CaseName(param.param); });

// A scale of 50% is laid out on a logical page twice the size: the mark drawn
// one inch from the page's corner lands half an inch from it, half as long.
TEST(PrintHostOptions, ScaledPageRendersAtItsScale) {
  if (!testsupport::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  constexpr int kDpi = 100;
  const auto markBox = [&](const std::vector<std::string>& options) {
    std::vector<std::string> all = {"--portrait", "--marks", "4"};
    all.insert(all.end(), options.begin(), options.end());
    const PrintedJob job = PrintWithHost(kPostScriptModel, all);
    EXPECT_EQ(job.exitCode, 0);
    const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
    std::vector<int> box = {-1, -1, -1, -1};  // left, top, columns, rows of ink on page 4
    if (report.PostScript().size() != 1u) return box;
    const testsupport::GhostscriptRun run = testsupport::RunPostScriptJob(report.PostScript()[0], kDpi);
    EXPECT_TRUE(run.Clean()) << run.output;
    if (run.pages.size() != 4u) return box;
    const testsupport::RenderedPage& page = run.pages[3];
    int left = page.width, top = page.height, right = -1, bottom = -1;
    for (int y = 0; y < page.height; ++y) {
      for (int x = 0; x < page.width; ++x) {
        if (page.DarkCount(x, y, 1, 1) == 0) continue;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    return std::vector<int>{left, top, right - left + 1, bottom - top + 1};
  };
  const std::vector<int> plain = markBox({});
  const std::vector<int> half = markBox({"--scale", "50"});
  // Page 4's bar: one inch long, half an inch high, one inch in from the corner.
  EXPECT_NEAR(plain[0], kDpi, 2);
  EXPECT_NEAR(plain[1], kDpi, 2);
  EXPECT_NEAR(plain[2], kDpi, 2);
  EXPECT_NEAR(plain[3], kDpi / 2, 2);
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(half[i], plain[i] / 2, 2) << "box value " << i;
}

// --port prints to the printer's port: a network printer that takes the job
// gets it whole, one that closes at once or resets part-way is reported as a
// failed job (exit 1), never as printed.
TEST(PrintHostOptions, PortPrintsToANetworkPrinterAndReportsAJobItDidNotTake) {
  using Device = testsupport::LoopbackListener::Device;
  struct Case {
    const char* what;
    Device device;
    int exitCode;
  };
  const Case cases[] = {
      {"takes everything", Device::TakesAll, 0},
      {"closes at once", Device::ClosesAtOnce, 1},
      {"resets after 1 KB", Device::Resets, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::LoopbackListener listener;
    listener.Receive(c.device, 1024);
    const PrintedJob job =
        PrintWithHost(kMonoModel, {"--marks", "40", "--port", "IP_127.0.0.1:" + std::to_string(listener.port())});
    const std::vector<BYTE> received = listener.Received();
    EXPECT_EQ(job.exitCode, c.exitCode);
    EXPECT_TRUE(job.bytes.empty()) << "the job went to --output instead of the port";
    if (c.exitCode != 0) continue;
    ASSERT_GT(received.size(), 1024u) << "the job is too small to be cut by the resetting printer";
    const std::string bytes(received.begin(), received.end());
    const testsupport::PclReport report = testsupport::ReadPclJob(bytes);
    ASSERT_TRUE(report.ok()) << report.Summary();
  }
}

}  // namespace

#endif  // ZEL_PRINTHOST
