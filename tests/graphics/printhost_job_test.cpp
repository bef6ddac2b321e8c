// Whole jobs as a user makes them: the print host sets up a fresh root, adds a
// printer of a shipped model through the driver's own set-up, and prints through
// the real driver libraries into a job file. The PostScript job (its PJL
// envelope taken off) must run in Ghostscript with one rendered page per page
// printed; the PCL job must read clean with one form feed per page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/graphics/ghostscript_job.h"
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
  const fs::path folder =
      fs::path(ZEL_BINARY_DIR) / "printhost_jobs" /
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

constexpr char kColourModel[] = "nardo-c5545.ini";  // PostScript
constexpr char kMonoModel[] = "nardo-m3020.ini";    // PCL

struct BlankCase {
  int pages;
};

class PrintHostBlankPages : public ::testing::TestWithParam<BlankCase> {};

TEST_P(PrintHostBlankPages, PostScriptJobRendersOnePagePerPage) {
  if (!graphicstest::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const int pages = GetParam().pages;
  const PrintedJob job = PrintWithHost(kColourModel, {"--blank", std::to_string(pages)});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  const std::vector<std::string> postscript = report.PostScript();
  ASSERT_EQ(postscript.size(), 1u);
  EXPECT_EQ(postscript[0].rfind("%!", 0), 0u);
  const graphicstest::GhostscriptRun run = graphicstest::RunPostScriptJob(postscript[0]);
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(static_cast<int>(run.pages.size()), pages);
  for (const graphicstest::RenderedPage& page : run.pages)
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
  if (!graphicstest::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const PrintedJob job = PrintWithHost(kColourModel, {"--sample"});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  ASSERT_EQ(report.PostScript().size(), 1u);
  const graphicstest::GhostscriptRun run = graphicstest::RunPostScriptJob(report.PostScript()[0]);
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(run.pages.size(), 4u);
}

// Columns of the rectangle that hold any ink: the length of a bar drawn along
// the rows, whatever its height rounds to.
int InkedColumns(const graphicstest::RenderedPage& page, int x, int y, int w, int h) {
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
  if (!graphicstest::GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  const NupCase& c = GetParam();
  const std::string n = std::to_string(c.pages);
  const PrintedJob job = PrintWithHost(kColourModel, {std::string("--") + c.orientation, "--nup", n, "--marks", n});
  ASSERT_EQ(job.exitCode, 0);
  const testsupport::PclReport report = testsupport::ReadPclJob(job.bytes);
  ASSERT_TRUE(report.ok()) << report.Summary();
  ASSERT_EQ(report.PostScript().size(), 1u);
  const graphicstest::GhostscriptRun run = graphicstest::RunPostScriptJob(report.PostScript()[0], 50);
  ASSERT_TRUE(run.Clean()) << run.output;
  ASSERT_EQ(run.pages.size(), 1u) << "all pages go on one sheet";
  const graphicstest::RenderedPage& sheet = run.pages[0];
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
    [](const auto& param) {
      return std::string(param.param.orientation) + std::to_string(param.param.pages);
    });

}  // namespace

#endif  // ZEL_PRINTHOST
