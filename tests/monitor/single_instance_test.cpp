// One monitor per printer: a second vigilod5.exe hands its command line to the
// running one and ends; the first keeps the job and ends normally on SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "monitor/instance_registry.h"
#include "monitor/monitor_app.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/machine.h"
#include "tests/monitor/monitor_fixture.h"

namespace monitortest {
namespace {

using Clock = std::chrono::steady_clock;

class SingleInstance : public MonitorTest {
 protected:
  pid_t Start(std::vector<std::string> args) {
    args.insert(args.begin(), ZEL_VIGILOD5);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"ZEL_MACHINE_ROOT=" + root().string(), "ZEL_USER=User", "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, ZEL_VIGILOD5, nullptr, nullptr, argv.data(), envp.data()) != 0) return 0;
    return pid;
  }
  // The exit status, or -1 when the process did not end within the time.
  int Wait(pid_t pid, int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }
  HWND AwaitWindow(const std::string& line) {
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (Clock::now() < deadline) {
      if (HWND window = FindMonitorWindow(line)) return window;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
  }
  void TearDown() override {
    if (first_) {
      kill(first_, SIGKILL);
      waitpid(first_, nullptr, 0);
    }
    MonitorTest::TearDown();
  }
  pid_t first_ = 0;
};

TEST_F(SingleInstance, ASecondStartHandsOverItsLine) {
  first_ = Start({"_(Laser", "1)_", "NORMAL"});
  ASSERT_NE(first_, 0);
  const std::string mine = "x _(Laser 1)_ JOB_STARTED 18 from the test";
  HWND window = AwaitWindow(mine);
  ASSERT_NE(window, 0u) << "the first monitor did not come up";
  EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDXFileMode", IniPath().c_str()), "Start");

  const pid_t second = Start({"_(Laser", "1)_", "JOB_STARTED", "17", "My", "report.doc"});
  ASSERT_NE(second, 0);
  EXPECT_EQ(Wait(second, 5), 0) << "the second start ends after the hand-over";
  EXPECT_TRUE(HandOverCommandLine(window, mine));
  EXPECT_FALSE(HandOverCommandLine(window, "x _(Laser 1)_ JOB_STARTED 19 " + std::string(1100, 'a')))
      << "a line longer than the receiver holds is not sent";
  EXPECT_EQ(FindMonitorWindow("x _(Other)_ NORMAL"), 0u);

  // A stop signal ends the run as closing the window does: the archive is
  // saved, then the mode says the run ended well.
  kill(first_, SIGTERM);
  EXPECT_EQ(Wait(first_, 5), 0);
  first_ = 0;
  EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDXFileMode", IniPath().c_str()), "End");
  const std::string idx = ReadFile(DP_ReadProfileString(kPrinter, "IDXFileName", IniPath().c_str()));
  EXPECT_NE(idx.find("My report.doc"), std::string::npos);
  EXPECT_NE(idx.find("from the test"), std::string::npos);
  EXPECT_EQ(idx.find(std::string(1100, 'a')), std::string::npos);
}

TEST_F(SingleInstance, TwoStartsAtOneMomentMakeOneMonitor) {
  const pid_t a = Start({"_(Laser", "1)_", "JOB_STARTED", "1", "first"});
  const pid_t b = Start({"_(Laser", "1)_", "JOB_STARTED", "2", "second"});
  ASSERT_TRUE(a && b);
  // One of them hands over and ends; the other runs on.
  const auto deadline = Clock::now() + std::chrono::seconds(6);
  pid_t ended = 0;
  while (!ended && Clock::now() < deadline) {
    for (pid_t pid : {a, b}) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) ended = pid;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_NE(ended, 0) << "both kept running";
  first_ = ended == a ? b : a;
  ASSERT_NE(AwaitWindow("x _(Laser 1)_ NORMAL"), 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  int status = 0;
  EXPECT_EQ(waitpid(first_, &status, WNOHANG), 0) << "the monitor runs";
  kill(first_, SIGTERM);
  EXPECT_EQ(Wait(first_, 5), 0);
  first_ = 0;
  const std::string idx = ReadFile(DP_ReadProfileString(kPrinter, "IDXFileName", IniPath().c_str()));
  EXPECT_NE(idx.find("first"), std::string::npos);
  EXPECT_NE(idx.find("second"), std::string::npos);
}

TEST_F(SingleInstance, AFrozenMonitorNeitherHangsASecondStartNorGetsATwin) {
  first_ = Start({"_(Laser", "1)_", "NORMAL"});
  ASSERT_NE(first_, 0);
  ASSERT_NE(AwaitWindow("x _(Laser 1)_ NORMAL"), 0u) << "the first monitor did not come up";
  // Stopped, it still holds the printer's lock and its title, and answers nothing.
  ASSERT_EQ(kill(first_, SIGSTOP), 0);
  const pid_t second = Start({"_(Laser", "1)_", "JOB_STARTED", "3", "third"});
  ASSERT_NE(second, 0);
  const int status = Wait(second, 40);
  if (status < 0) {
    kill(second, SIGKILL);
    waitpid(second, nullptr, 0);
  }
  EXPECT_EQ(status, 0) << "the second start gives up on the frozen monitor and ends";
  kill(first_, SIGCONT);
  EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDXFileMode", IniPath().c_str()), "Start")
      << "the second start never ran as the printer's monitor";
}

TEST_F(SingleInstance, CommandsThatEndAtStart) {
  // A printer that does not exist: the message, no registry entry kept.
  pid_t pid = Start({"_(Gone)_", "NORMAL"});
  EXPECT_EQ(Wait(pid, 5), 0);
  EXPECT_EQ(DP_ReadProfileString("Gone", "IDXFileName", IniPath().c_str()), "DP_NONE");
  EXPECT_FALSE(std::filesystem::exists(Host(DataFolder() + "\\PM0.IDX"))) << "no archive left for it";
  // Change commands at start end at once, and make no entry or archive for a
  // printer without one; DELETE drops the entry ADD_NEW_PM made.
  pid = Start({"_(Laser", "1)_", "QUEUE_CHANGED"});
  EXPECT_EQ(Wait(pid, 5), 0);
  EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDXFileName", IniPath().c_str()), "DP_NONE");
  EXPECT_FALSE(std::filesystem::exists(Host(DataFolder() + "\\PM0.IDX")));
  pid = Start({"_(Laser", "1)_", "ADD_NEW_PM"});
  EXPECT_EQ(Wait(pid, 5), 0);
  EXPECT_NE(DP_ReadProfileString(kPrinter, "IDXFileName", IniPath().c_str()), "DP_NONE");
  pid = Start({"_(Laser", "1)_", "DELETE"});
  EXPECT_EQ(Wait(pid, 5), 0);
  EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDXFileName", IniPath().c_str()), "DP_NONE");
}

}  // namespace
}  // namespace monitortest
