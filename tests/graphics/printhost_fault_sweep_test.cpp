// A fault sweep over the print host's sample job on both models: the disk fills
// up after N bytes of the job written to the spooler (ZEL_FAIL_SPOOLER_WRITE),
// for N from nothing to one byte short of the job. Every run must report the job failed,
// leave at the output file nothing or a beginning of the good job (never a job
// that looks whole but is not), leave no spool file, channel folder or hidden
// copy behind, and, in the sanitizer build, no leak or memory error.
//
// Every position is run near both ends, where set-up and clean-up happen; in
// between about 30 spread over the job, so the sweep stays near a minute per model.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifdef ZEL_PRINTHOST

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& text) { return "'" + text + "'"; }

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

struct HostRun {
  int exitCode = -1;
  bool jobWritten = false;
  std::string job;
  std::string said;
};

class FaultSweep : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    folder_ = fs::path(ZEL_BINARY_DIR) / "printhost_fault_sweep" / GetParam();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }

  // The sample job with room for `failAt` bytes of it on the disk (-1: no limit).
  HostRun Print(int64_t failAt) {
    const fs::path job = folder_ / "job.prn";
    fs::remove(job);
    const std::string limit = failAt < 0 ? "" : "ZEL_FAIL_SPOOLER_WRITE=" + std::to_string(failAt) + " ";
    std::string command = limit + Quote(ZEL_PRINTHOST) + " --root " + Quote((folder_ / "root").string()) + " --model " +
                          Quote(std::string(ZEL_SOURCE_DIR) + "/data/models/" + GetParam()) + " --output " +
                          Quote(job.string()) + " --sample > /dev/null 2> " + Quote((folder_ / "said.txt").string());
    HostRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.jobWritten = fs::exists(job);
    if (run.jobWritten) run.job = ReadAll(job);
    run.said = ReadAll(folder_ / "said.txt");
    return run;
  }

  // What a job may leave behind: spool files, the driver's per-document
  // folders and hidden copies beside the output file.
  std::vector<std::string> LeftBehind() const {
    std::vector<std::string> left;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder_, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
      const std::string name = it->path().filename().string();
      const bool channelFolder = it->is_directory() && name.size() > 3 && name.rfind("zel", 0) == 0 &&
                                 std::isdigit(static_cast<unsigned char>(name[3]));
      const std::string extension = it->path().extension().string();
      if (channelFolder || extension == ".SPL" || extension == ".tmp") left.push_back(it->path().string());
    }
    return left;
  }

  fs::path folder_;
};

TEST_P(FaultSweep, FullDiskAtEveryWriteFailsTheJobAndLeavesNothingBehind) {
  const HostRun good = Print(-1);
  ASSERT_EQ(good.exitCode, 0) << good.said;
  ASSERT_FALSE(good.job.empty());
  ASSERT_TRUE(LeftBehind().empty());
  const int64_t size = static_cast<int64_t>(good.job.size());

  // Room for the whole job: it goes through whole.
  const HostRun exact = Print(size);
  EXPECT_EQ(exact.exitCode, 0) << exact.said;
  EXPECT_EQ(exact.job, good.job);

  constexpr int64_t kEnds = 12;
  constexpr int64_t kBetween = 30;
  std::set<int64_t> positions;
  for (int64_t n = 0; n < kEnds && n < size; ++n) positions.insert(n);
  for (int64_t n = std::max<int64_t>(0, size - kEnds); n < size; ++n) positions.insert(n);
  for (int64_t i = 1; i < kBetween; ++i) positions.insert(size * i / kBetween);
  for (const int64_t room : positions) {
    SCOPED_TRACE("disk full after " + std::to_string(room) + " of " + std::to_string(size) + " bytes");
    const HostRun run = Print(room);
    EXPECT_EQ(run.said.find("Sanitizer"), std::string::npos) << run.said;
    const std::vector<std::string> left = LeftBehind();
    EXPECT_TRUE(left.empty()) << left.front();
    EXPECT_EQ(run.exitCode, 1) << run.said;
    EXPECT_NE(run.said.find("printing failed"), std::string::npos) << run.said;
    if (run.jobWritten) {
      EXPECT_LT(run.job.size(), good.job.size());
      EXPECT_EQ(good.job.compare(0, run.job.size(), run.job), 0) << "not a beginning of the good job";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Models, FaultSweep, ::testing::Values("nardo-c5545.ini", "nardo-m3020.ini"),
                         [](const ::testing::TestParamInfo<const char*>& model) {
                           return std::string(model.param).find("c5545") != std::string::npos ? "Colour" : "Mono";
                         });

}  // namespace

#endif  // ZEL_PRINTHOST
