// The status monitor as a person runs it: the real vigilod5.exe for a printer
// whose port is net-snmp's agent on 127.0.0.1, the printer's state changed in
// the agent and its alerts and a job's traps sent with net-snmp's trap sender.
// What the person would see or hear is read from the machine's records, the
// log file, the monitor's saved archive and a picture its scripted user takes.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "monitor/engine.h"
#include "monitor/event_model.h"
#include "monitor/event_notification.h"
#include "monitor/main_window.h"
#include "monitor/monitor_settings.h"
#include "platform/base/codepage.h"
#include "platform/base/profile.h"
#include "platform/ui/notify_records.h"
#include "tests/monitor/monitor_fixture.h"
#include "tests/query/agents.h"

namespace monitortest {
namespace {

using Clock = std::chrono::steady_clock;
using Records = std::vector<std::vector<std::string>>;

constexpr char kPaperOutSound[] = "C:\\Sounds\\paper out.wav";

// The printer's objects: up and ready, its panel text, no errors, and a
// trap-host table with free rows.
std::string AgentTable(const std::string& errorState, const std::string& panel) {
  std::string table = "1.3.6.1.2.1.43.16.5.1.2.1.1 string " + panel + "\n" +
                      "1.3.6.1.2.1.43.16.5.1.2.1.2 string TRAY 1\n" + "1.3.6.1.2.1.25.3.2.1.5.1 integer 2\n" +
                      "1.3.6.1.2.1.25.3.5.1.2.1 octet " + errorState + "\n";
  for (int row = 1; row <= 4; ++row) {
    table += "1.3.6.1.4.1.4417.6.17.1.2." + std::to_string(row) + " ipaddress 0.0.0.0\n";
  }
  return table;
}

// A printer alert as the printer sends it (version 2c): index, severity,
// group, group index, location, code.
std::vector<std::string> AlertTrap(int index, int location, int code) {
  std::vector<std::string> rest = {"", "1.3.6.1.2.1.43.18.2.0.1"};
  const int values[] = {index, 3, 8, 1, location, code};
  const int columns[] = {1, 2, 4, 5, 6, 7};
  for (int i = 0; i < 6; ++i) {
    rest.push_back("1.3.6.1.2.1.43.18.1.1." + std::to_string(columns[i]) + ".1." + std::to_string(index));
    rest.push_back("i");
    rest.push_back(std::to_string(values[i]));
  }
  return rest;
}

bool PollUntil(const std::function<bool()>& done, int seconds) {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

class MonitorSession : public MonitorTest {
 protected:
  void TearDown() override {
    if (monitor_) {
      kill(monitor_, SIGKILL);
      waitpid(monitor_, nullptr, 0);
    }
    agent_.Stop();
    MonitorTest::TearDown();
  }

  // The settings a person chose before: the serious category logged, and the
  // paper-out alert announced with a box, the window brought back and a sound.
  // An engine of this process writes them to the printer's archive, which the
  // program reads when it starts.
  void ChooseSettings() {
    PM_CEngine engine(PM_CCommandLine(std::string("x _(") + kPrinter + ")_ NORMAL"));
    ASSERT_EQ(engine.Start(), 1);
    PM_CEventCategoryManager* serious = engine.Agents().Category(1);
    serious->m_Logging = 1;
    logFile_ = serious->m_LogFilePath;
    ASSERT_FALSE(logFile_.empty());
    for (const auto& agent : serious->m_EventAgentsArray) {
      if (agent->Code() != 5010808) continue;
      auto* notification = static_cast<PM_CEventNotificationWIN311*>(agent->GetNotification());
      notification->SetFlags(PM_NOTIFY_BEEP | PM_NOTIFY_MESSAGE | PM_NOTIFY_SHOW_WINDOW | PM_NOTIFY_SOUND);
      notification->SetSoundFile(kPaperOutSound);
    }
    engine.SaveIdx();
    engine.SetNoSave();
  }

  pid_t StartMonitor(const std::string& script) {
    // Started by the driver for a job it spools, as 17.
    std::vector<std::string> args = {ZEL_VIGILOD5, "_(Laser", "1)_", "JOB_STARTED", "17", "Quarterly", "results.doc"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"ZEL_MACHINE_ROOT=" + root().string(), "ZEL_USER=User", "PATH=/usr/bin:/bin",
                                    "ZEL_SNMP_TRAP_ADDRESS=127.0.0.1:" + std::to_string(trapPort_),
                                    "ZEL_UI_SCRIPT=" + script};
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, ZEL_VIGILOD5, nullptr, nullptr, argv.data(), envp.data()) != 0) return 0;
    return pid;
  }

  // The printer's state changes at once for every later request.
  void SetPrinterState(const std::string& errorState, const std::string& panel) {
    const std::filesystem::path table = root() / "agent" / "table.txt";
    std::ofstream(table.string() + ".new") << AgentTable(errorState, panel);
    std::filesystem::rename(table.string() + ".new", table);
  }

  querytest::NetSnmpAgent agent_;
  int trapPort_ = 0;
  pid_t monitor_ = 0;
  std::string logFile_;
};

TEST_F(MonitorSession, AlertsAndAJobReachThePersonTheLogAndTheLists) {
  if (querytest::FindProgram("snmpd").empty() || querytest::FindProgram("snmptrap").empty()) {
    GTEST_SKIP() << "net-snmp's agent or trap sender is not installed";
  }
  ASSERT_TRUE(agent_.Start(root() / "agent", AgentTable("00", "READY")));
  SetPrinterDword("Monitor", 1);
  SetPrinterText("IP", agent_.Address().c_str());
  ChooseSettings();
  if (HasFatalFailure()) return;
  trapPort_ = querytest::FreeUdpPort();

  // The scripted user looks at the window once the alerts and the job are in.
  const std::string picture = std::string(ZEL_BINARY_DIR) + "/monitor_session_main_dialog.png";
  std::filesystem::remove(picture);
  const std::filesystem::path script = root() / "look.txt";
  std::ofstream(script) << "wait 12\npng \"" << picture << "\"\n";
  monitor_ = StartMonitor(script.string());
  ASSERT_NE(monitor_, 0);

  // Ready once it listens for traps.
  ASSERT_TRUE(PollUntil([&] { return querytest::UdpPortBound(trapPort_); }, 10)) << "no trap port";

  struct Case {
    const char* name;
    const char* errorState;  // hrPrinterDetectedErrorState
    const char* panel;
    int location, code;
    int32_t event;  // the event it makes; 0 none
  };
  const Case cases[] = {
      {"paper out", "40", "PAPER OUT", 501, 808, 5010808},
      {"cover open", "08", "COVER OPEN", 101, 3, 1010003},
      {"jam", "04", "PAPER JAM", 4, 8, 40008},
      // No agent announces a low toner: the printer shows it, the monitor keeps quiet.
      {"toner low", "20", "TONER LOW", 3, 1104, 0},
  };
  int index = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetPrinterState(c.errorState, c.panel);
    ASSERT_TRUE(querytest::SendTrap(trapPort_, "2c", AlertTrap(index++, c.location, c.code)));
  }
  // The printer starts the job: its name, document, owner and the printer's
  // own number for it.
  ASSERT_TRUE(querytest::SendTrap(
      trapPort_, "1",
      {"1.3.6.1.4.1.4417.7", "127.0.0.1", "6", "501", "", "1.3.6.1.4.1.4417.9.1", "s", "JOB#17", "1.3.6.1.4.1.4417.9.2",
       "s", "Quarterly results.doc", "1.3.6.1.4.1.4417.9.3", "s", "someone", "1.3.6.1.4.1.4417.9.4", "i", "1234"}));

  // The paper-out alert as chosen: a beep, the box with its title, the window
  // brought to the front and the sound; the other two bring the window back
  // only, and the low toner and the job nothing.
  const std::string title = MainWindowTitle(kPrinter);
  const Records announced = {{"beep", std::to_string(0xFFFFFFFFu)},
                             {"shown", platform::AnsiFromUtf8("ステータス"), monitor::LoadText(59310)},
                             {"front", title},
                             {"sound", kPaperOutSound, std::to_string(SND_ASYNC)},
                             {"front", title},
                             {"front", title}};
  Records seen;
  ASSERT_TRUE(PollUntil(
      [&] {
        seen = platform::ReadNotifyRecords();
        const auto beep = std::find_if(seen.begin(), seen.end(), [](const auto& r) { return r[0] == "beep"; });
        seen.erase(seen.begin(), beep);
        return seen.size() >= announced.size();
      },
      10));
  EXPECT_EQ(seen, announced);

  // The log: one entry per serious alert, each its time, its lines and two blank lines.
  std::string log;
  // clang-format off
  ASSERT_TRUE(PollUntil([&] {
    log = ReadFile(logFile_);
    return log.find(monitor::LoadText(59313)) != std::string::npos;
  }, 10)) << logFile_;
  // clang-format on
  const std::regex entry("\\d\\d:\\d\\d:\\d\\d -- \\d\\d\\.\\d\\d\\.\\d{4}\r\n([^\r\n]+\r\n)+\r\n\r\n");
  const auto entries = std::distance(std::sregex_iterator(log.begin(), log.end(), entry), std::sregex_iterator());
  EXPECT_EQ(entries, 3) << log;
  EXPECT_TRUE(std::regex_match(
      log, std::regex("(\\d\\d:\\d\\d:\\d\\d -- \\d\\d\\.\\d\\d\\.\\d{4}\r\n([^\r\n]+\r\n)+\r\n\r\n)+")))
      << log;
  for (unsigned text : {59310u, 59317u, 59313u})
    EXPECT_NE(log.find(monitor::LoadText(text)), std::string::npos) << text;

  // The program ends as closed after the picture; its archive holds the rows
  // of both lists.
  kill(monitor_, SIGTERM);
  int status = 0;
  ASSERT_TRUE(PollUntil([&] { return waitpid(monitor_, &status, WNOHANG) == monitor_; }, 20)) << "did not end";
  monitor_ = 0;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the scripted user failed";
  EXPECT_TRUE(std::filesystem::exists(picture));

  now = std::time(nullptr);  // the rows are judged fresh by this process's clock
  PM_CEngine engine(PM_CCommandLine(std::string("x _(") + kPrinter + ")_ NORMAL"));
  ASSERT_EQ(engine.Start(), 1);
  engine.SetNoSave();
  ASSERT_TRUE(engine.Create(new RecordingUi(&ui, 0)));
  std::multiset<int32_t> codes;
  for (PM_CEvent* event : engine.Data().Events()) {
    int32_t code = 0;
    event->Command(kEventGetCode, &code);
    codes.insert(code);
  }
  for (const Case& c : cases) EXPECT_EQ(codes.count(c.event), c.event ? 1u : 0u) << c.name;
  ASSERT_EQ(engine.Data().GetJobCount(), 1u);
  EXPECT_EQ(engine.Data().GetJob(0)->documentName, "Quarterly results.doc");
  EXPECT_EQ(engine.Data().GetJob(0)->spoolerJobId, 17u);
  EXPECT_EQ(engine.Data().GetJob(0)->state, kJobStarted) << "the start trap reached the job";
}

}  // namespace
}  // namespace monitortest
