// Runs the print host as a person would from a shell: a fresh root per test,
// a script of user actions written beside it, the exit code, what it said and
// the job file read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace sessions {

namespace fs = std::filesystem;

struct HostRun {
  int exitCode = -1;
  std::string said;  // standard error
  std::string job;   // the job file's bytes, empty when none was written
  fs::path folder;
};

inline std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

inline std::string Quote(const std::string& text) { return "'" + text + "'"; }

// The folder of the running test, emptied.
inline fs::path TestFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path folder = fs::path(ZEL_BINARY_DIR) / "printhost_sessions" / info->test_suite_name() / info->name();
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// `script` (UTF-8) goes to session.txt in `folder` unless empty; `root` is the
// machine root, kept between runs of one test.
inline HostRun RunHost(const fs::path& folder, const std::string& model, const std::string& script,
                       const std::vector<std::string>& options, const std::string& extraEnvironment = "") {
  HostRun run;
  run.folder = folder;
  const fs::path job = folder / "job.prn";
  fs::remove(job);
  std::string command = extraEnvironment + " " + Quote(ZEL_PRINTHOST) + " --root " + Quote((folder / "root").string()) +
                        " --model " + Quote(std::string(ZEL_SOURCE_DIR) + "/data/models/" + model) + " --output " +
                        Quote(job.string());
  if (!script.empty()) {
    std::ofstream(folder / "session.txt", std::ios::binary) << script;
    command += " --ui-script " + Quote((folder / "session.txt").string());
  }
  for (const std::string& option : options) command += " " + Quote(option);
  command += " 2> " + Quote((folder / "said.txt").string()) + " > /dev/null";
  const int status = std::system(("cd " + Quote(folder.string()) + " && " + command).c_str());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.said = ReadAll(folder / "said.txt");
  if (fs::exists(job)) run.job = ReadAll(job);
  return run;
}

}  // namespace sessions
