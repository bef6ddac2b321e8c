// Log file paths as the event configuration completes them: the missing parts
// filled in, and a file the user already has never removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "monitor/log_path.h"
#include "monitor/monitor_files.h"
#include "platform/base/machine.h"
#include "tests/monitor/monitor_fixture.h"

namespace monitortest {
namespace {

class LogPath : public MonitorTest {
 protected:
  static std::filesystem::path Host(const std::string& windowsPath) {
    return *platform::HostPathFromWindows(windowsPath);
  }
  static std::string UserFolder() {
    char folder[MAX_PATH] = {};
    EXPECT_TRUE(GetMonitorUserFolder(folder));
    return folder;
  }
};

TEST_F(LogPath, MissingPartsAreFilledIn) {
  std::filesystem::create_directories(Host("C:\\logs"));
  struct Case {
    std::string given;
    BOOL create;
    std::string expected;
  };
  const Case cases[] = {
      {"C:", TRUE, "C:\\PM1.LOG"},
      {"events", TRUE, UserFolder() + "\\events.LOG"},
      {"C:\\logs\\", TRUE, "C:\\logs\\PM1.LOG"},
      {"C:\\logs\\printer.", TRUE, "C:\\logs\\printer.LOG"},
      {"C:\\logs\\printer.txt", FALSE, "C:\\logs\\printer.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given);
    std::string path = c.given;
    EXPECT_TRUE(NormalizeLogPath(&path, c.create));
    EXPECT_EQ(path, c.expected);
    // Made when asked to; a trial leaves nothing behind.
    EXPECT_EQ(std::filesystem::exists(Host(path)), c.create != FALSE);
  }
}

TEST_F(LogPath, AFileTheUserHasIsNeverRemoved) {
  std::filesystem::create_directories(Host("C:\\logs"));
  std::ofstream(Host("C:\\logs\\empty.log")).close();
  for (BOOL create : {FALSE, TRUE}) {
    std::string path = "C:\\logs\\empty.log";
    EXPECT_TRUE(NormalizeLogPath(&path, create));
    EXPECT_TRUE(std::filesystem::exists(Host("C:\\logs\\empty.log"))) << "create " << create;
  }
  // A folder that cannot be made: the trial fails, creating falls back to the
  // user's data folder.
  std::ofstream(Host("C:\\blocked")).close();
  std::string path = "C:\\blocked\\inside\\x.log";
  EXPECT_FALSE(NormalizeLogPath(&path, FALSE));
  path = "C:\\blocked\\inside\\x.log";
  EXPECT_TRUE(NormalizeLogPath(&path, TRUE));
  EXPECT_EQ(path, UserFolder() + "\\PM1.LOG");
  EXPECT_TRUE(std::filesystem::exists(Host(path)));
}

}  // namespace
}  // namespace monitortest
