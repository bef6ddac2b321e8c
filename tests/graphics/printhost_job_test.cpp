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

}  // namespace

#endif  // ZEL_PRINTHOST
