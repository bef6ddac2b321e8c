// scopeod5.exe as a user runs it: started with the command line the driver's
// user-interface library writes, a scripted user at the wizard, net-snmp's
// agent answering the logical-printer table on a loopback port, and a small
// fake printer that receives the RAW detection job on its port and answers
// with the v1 detection trap through net-snmp's snmptrap.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/base/machine.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/drawing.h"
#include "platform/spooler/spooler.h"
#include "tests/detect/detect_fixture.h"
#include "tests/query/agents.h"
#include "tests/sessions/png_picture.h"

extern char** environ;

namespace detecttest {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int RunProgram(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// How the fake printer answers a detection job.
enum class Answer { kMatching, kOtherHostAndOlderJob, kNone };

// Receives RAW jobs on a loopback TCP port; answers each detection job with a
// v1 trap (enterprise 1.3.6.1.4.1.4417.7, specific 501) whose third var-bind
// quotes the job attribute and whose eighth names the logical printer.
class FakePrinter {
 public:
  FakePrinter(int trapPort, Answer answer, std::string logicalPrinter)
      : trapPort_(trapPort), answer_(answer), logicalPrinter_(std::move(logicalPrinter)) {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(socket_, 4);
    thread_ = std::thread([this] { Run(); });
  }
  ~FakePrinter() {
    stop_ = true;
    shutdown(socket_, SHUT_RDWR);
    close(socket_);
    thread_.join();
  }
  int port() const { return port_; }
  std::vector<std::string> Jobs() {
    std::lock_guard guard(lock_);
    return jobs_;
  }

 private:
  void Run() {
    while (!stop_) {
      const int client = accept(socket_, nullptr, nullptr);
      if (client < 0) return;
      std::string job;
      char buffer[4096];
      ssize_t n;
      while ((n = read(client, buffer, sizeof buffer)) > 0) job.append(buffer, static_cast<size_t>(n));
      close(client);
      {
        std::lock_guard guard(lock_);
        jobs_.push_back(job);
      }
      AnswerJob(job);
    }
  }

  void AnswerJob(const std::string& job) {
    const std::string entry = "@PJL SET JOBATTR=\"";
    const size_t start = job.find(entry);
    if (start == std::string::npos || answer_ == Answer::kNone) return;
    const size_t from = start + entry.size();
    std::string attribute = job.substr(from, job.find('"', from) - from);
    if (answer_ == Answer::kOtherHostAndOlderJob) {
      // What this printer answers to other detections: another host's job,
      // and this host's job of an earlier run.
      const size_t host = attribute.find("DetectJob=00") + 12;
      const size_t hostEnd = attribute.find("=00", host);
      SendTrap(attribute.substr(0, host) + "192.0.2.77" + attribute.substr(hostEnd));
      const size_t number = attribute.find("Job#") + 4;
      const size_t numberEnd = attribute.find("=00", number);
      const int older = (std::stoi(attribute.substr(number, numberEnd - number)) + 59) % 60;
      SendTrap(attribute.substr(0, number) + std::to_string(older) + attribute.substr(numberEnd));
      return;
    }
    SendTrap(attribute);
  }

  void SendTrap(const std::string& attribute) {
    const std::string program = querytest::FindProgram("snmptrap");
    // clang-format off
    RunProgram({program, "-v", "1", "-c", "quokka", "-M", "/nonexistent", "-m", "",
                "127.0.0.1:" + std::to_string(trapPort_), "1.3.6.1.4.1.4417.7", "127.0.0.1", "6", "501", "",
                "1.3.6.1.4.1.4417.7.1.1", "s", attribute, "1.3.6.1.4.1.4417.7.1.2", "s", "job",
                "1.3.6.1.4.1.4417.7.1.3", "s", "owner", "1.3.6.1.4.1.4417.7.1.4", "i", "0",
                "1.3.6.1.4.1.4417.7.1.5", "i", "0", "1.3.6.1.4.1.4417.7.1.6", "s", logicalPrinter_});
    // clang-format on
  }

  int socket_ = -1;
  int port_ = 0;
  int trapPort_;
  Answer answer_;
  std::string logicalPrinter_;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::vector<std::string> jobs_;
  std::thread thread_;
};

class WizardSessionTest : public DetectTest {
 protected:
  void SetUp() override {
    DetectTest::SetUp();
    if (querytest::FindProgram("snmpd").empty() || querytest::FindProgram("snmptrap").empty())
      GTEST_SKIP() << "net-snmp's snmpd and snmptrap are not installed";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::path(ZEL_BINARY_DIR) / "detect_sessions" / info->name();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    trapPort_ = querytest::FreeUdpPort();
  }

  // The logical printer "vp-pcl" in row 1 with the language column's value.
  void StartAgent(const std::string& languageRows) {
    ASSERT_TRUE(agent_.Start(root() / "agent",
                             "1.3.6.1.4.1.4417.3.2.0 integer 1\n"
                             "1.3.6.1.4.1.4417.3.6.1.2.1 string vp-pcl\n" +
                                 languageRows));
  }

  // Runs scopeod5.exe with the script; its exit code (-1 when it did not end
  // within the time).
  int RunWizard(const std::string& script, int seconds = 120) {
    const fs::path scriptFile = folder_ / "session.txt";
    std::ofstream(scriptFile, std::ios::binary) << script;
    const std::string program = platform::WindowsPathFromHost(ZEL_SCOPEOD5);
    std::vector<std::string> env = {
        "ZEL_MACHINE_ROOT=" + root().string(),
        "ZEL_USER=User",
        "PATH=/usr/bin:/bin",
        "ZEL_UI_SCRIPT=" + scriptFile.string(),
        "ZEL_SNMP_AGENT_PORT=" + std::to_string(agent_.port()),
        "ZEL_SNMP_TRAP_ADDRESS=127.0.0.1:" + std::to_string(trapPort_),
        // The line the driver's user-interface library writes.
        "ZEL_COMMAND_LINE=\"" + program + "\" " + kPrinter + "\"zeldb5.dll\"1",
    };
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string path = ZEL_SCOPEOD5;
    std::vector<char*> argv = {path.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, (folder_ / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
  }

  std::string Said() {
    std::ifstream file(folder_ / "stderr.txt");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  // A picture the script saved, with ink in it.
  void ExpectPicture(const std::string& name) {
    sessions::Picture picture;
    ASSERT_TRUE(sessions::ReadPicture((folder_ / name).string(), &picture)) << name;
    EXPECT_GT(picture.Ink(0, 0, picture.width, picture.height), 500) << name;
  }

  std::string Png(const std::string& name) const { return "png \"" + (folder_ / name).string() + "\"\n"; }

  // Prints one page through a device context of the printer into a file.
  std::string PrintPage(const char* printerName = kPrinter) {
    const std::string output = "C:\\Windows\\Temp\\after-setup.prn";
    HDC dc = CreateDCA("WINSPOOL", printerName, nullptr, nullptr);
    if (!dc) return {};
    DOCINFOA document{};
    document.cbSize = sizeof document;
    document.lpszDocName = "after set-up";
    document.lpszOutput = output.c_str();
    if (StartDocA(dc, &document) > 0) {
      StartPage(dc);
      Rectangle(dc, 100, 100, 400, 300);
      EndPage(dc);
      EndDoc(dc);
    }
    DeleteDC(dc);
    std::ifstream file(Host(output), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }

  fs::path folder_;
  int trapPort_ = 0;
  querytest::NetSnmpAgent agent_;
};

constexpr char kNext[] = "click 12324\n";
constexpr char kFinish[] = "click 12325\n";

TEST_F(WizardSessionTest, DetectsThePrinterAndCommitsItsLanguage) {
  FakePrinter printer_(trapPort_, Answer::kMatching, "vp-pcl");
  InstallPackagedModel("IP_127.0.0.1:" + std::to_string(printer_.port()));
  StartAgent("1.3.6.1.4.1.4417.3.6.1.45.1 integer 3\n");
  SetNumber("PDL", 259);
  SetNumber("Cfg", 6);
  const std::string script = Png("106-monitor.png") + "check 1002 on\n" + kNext + Png("108-address.png") +
                             "click 1009\n" + Png("110-countdown.png") + "wait 30\n" +
                             "expect 1017 selected \"vp-pcl\"\n"
                             "expect 1012 text \"127\"\n"
                             "expect 1015 text \"1\"\n"
                             "expect 1017 disabled\n" +
                             Png("108-found.png") + kNext + "expect 1004 selected \"PCL5e\"\n" +
                             Png("107-language.png") + kNext + Png("109-goodbye.png") + kFinish;
  ASSERT_EQ(RunWizard(script), 0) << Said();
  ASSERT_EQ(printer_.Jobs().size(), 1u);
  EXPECT_EQ(printer_.Jobs()[0].rfind("\x1B%-12345X@PJL SET JOBATTR=\"DetectClient=00DetectJob=00", 0), 0u);
  EXPECT_EQ(Number("Monitor"), 1u);
  EXPECT_EQ(Text("Protocol"), "IP");
  EXPECT_EQ(Text("IP"), "127.0.0.1");
  EXPECT_EQ(Text("IPX"), std::nullopt);
  EXPECT_EQ(Text("VPName"), "vp-pcl");
  EXPECT_EQ(Number("PDL"), 140u);
  EXPECT_EQ(Number("Cfg"), 7u);
  for (const char* name : {"106-monitor.png", "108-address.png", "110-countdown.png", "108-found.png",
                           "107-language.png", "109-goodbye.png"})
    ExpectPicture(name);
  // The job is printed without the monitor, which would outlive the test.
  SetNumber("Monitor", 0);
  const std::string job = PrintPage();
  EXPECT_NE(job.find("@PJL ENTER LANGUAGE = PCL"), std::string::npos) << job.substr(0, 400);
}

TEST_F(WizardSessionTest, TypedAddressAsksTheLanguageOfTheLogicalPrinter) {
  struct Case {
    const char* rows;
    const char* shown;  // the language page's only entry, or the model's first
  };
  const Case cases[] = {
      {"1.3.6.1.4.1.4417.3.6.1.45.1 integer 6\n", "PostScript"},
      {"1.3.6.1.4.1.4417.3.6.1.45.1 integer 3\n", "PCL5e"},
      // No language column: column 11 answers.
      {"1.3.6.1.4.1.4417.3.6.1.11.1 integer 5\n", "PCL5e"},
      {"1.3.6.1.4.1.4417.3.6.1.11.1 integer 1\n", "PostScript"},
  };
  InstallPackagedModel("LPT1:");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    agent_.Stop();
    StartAgent(c.rows);
    const std::string script = std::string("check 1002 on\n") + kNext +
                               "type 1012 \"127\"\n"
                               "expect 1013 focused\n"
                               "type 1013 \"0\"\nexpect 1013 focused\n"
                               "type 1014 \"0x\"\nexpect 1014 text \"0\"\n"
                               "type 1015 \"1234\"\nexpect 1015 text \"123\"\nexpect 1015 focused\n"
                               "clear 1015\ntype 1015 \"1\"\n"
                               "pick 1017 \"vp-pcl\"\n" +
                               kNext + "expect 1004 selected \"" + c.shown + "\"\n" + kNext + kFinish;
    ClearWizardValues();
    ASSERT_EQ(RunWizard(script), 0) << Said();
    EXPECT_EQ(Text("IP"), "127.0.0.1");
    EXPECT_EQ(Number("PDL"), std::string(c.shown) == "PostScript" ? 259u : 140u);
  }
}

TEST_F(WizardSessionTest, AnUnknownLogicalPrinterKeepsThePageAndCancelRestores) {
  InstallPackagedModel("LPT1:");
  StartAgent("1.3.6.1.4.1.4417.3.6.1.45.1 integer 6\n");
  SetNumber("Monitor", 0);
  SetNumber("PDL", 140);
  SetText("VPName", "postscript");
  const std::string script = std::string("check 1002 on\n") + kNext +
                             "type 1012 \"127\"\ntype 1013 \"0\"\ntype 1014 \"0\"\ntype 1015 \"1\"\n"
                             "pick 1017 \"postscript\"\n"
                             "answer ok\n" +
                             kNext + "expect 1017 selected \"postscript\"\n" + Png("108-refused.png") + "cancel\n";
  ASSERT_EQ(RunWizard(script), 0) << Said();
  // The language query wrote the address; Cancel took it back.
  EXPECT_EQ(Number("Monitor"), 0u);
  EXPECT_EQ(Text("Protocol"), std::nullopt);
  EXPECT_EQ(Text("IP"), std::nullopt);
  EXPECT_EQ(Text("VPName"), "postscript");
  EXPECT_EQ(Number("PDL"), 140u);
}

TEST_F(WizardSessionTest, AddressEntryRefusesIncompleteAddresses) {
  InstallPackagedModel("LPT1:");
  StartAgent("1.3.6.1.4.1.4417.3.6.1.45.1 integer 6\n");
  const char* refused[][4] = {
      {"192", "168", "", "5"}, {"192", "168", "0", "256"}, {"0", "0", "0", "0"}, {"010", "1", "1", "1"}};
  std::string script = std::string("check 1002 on\n") + kNext;
  for (const auto& octets : refused) {
    for (int i = 0; i < 4; ++i)
      script += "clear " + std::to_string(1012 + i) + "\n" +
                (octets[i][0] ? "type " + std::to_string(1012 + i) + " \"" + octets[i] + "\"\n" : "");
    // 2109 asks whether to go on without the monitor: No stays on the page.
    script += "pick 1017 \"vp-pcl\"\nanswer no\n" + std::string(kNext) + "expect 1009 visible\n";
  }
  script += "cancel\n";
  ASSERT_EQ(RunWizard(script), 0) << Said();
  EXPECT_EQ(Text("IP"), std::nullopt);
}

// A job the spooler could not deliver is reported at once; the user is not
// left waiting a minute for an answer that cannot come, and may try again.
TEST_F(WizardSessionTest, AJobThatCannotReachThePrinterIsReported) {
  const int closedPort = querytest::FreeUdpPort();
  InstallPackagedModel("IP_127.0.0.1:" + std::to_string(closedPort));
  StartAgent("1.3.6.1.4.1.4417.3.6.1.45.1 integer 6\n");
  const std::string script = std::string("check 1002 on\n") + kNext + "answer ok\nclick 1009\n" +
                             "expect 1009 enabled\nexpect 1012 enabled\ncancel\n";
  ASSERT_EQ(RunWizard(script, 60), 0) << Said();
  EXPECT_EQ(Text("IP"), std::nullopt);
}

TEST_F(WizardSessionTest, AnswersForOtherJobsAreIgnoredUntilTheTimeOut) {
  FakePrinter printer_(trapPort_, Answer::kOtherHostAndOlderJob, "vp-pcl");
  InstallPackagedModel("IP_127.0.0.1:" + std::to_string(printer_.port()));
  StartAgent("1.3.6.1.4.1.4417.3.6.1.45.1 integer 6\n");
  const std::string script = std::string("check 1002 on\n") + kNext + "click 1009\nwait 4\n" + Png("110-running.png") +
                             "wait 90\n" + Png("111-timeout.png") + "cancel\n" + "expect 1017 enabled\n" + "cancel\n";
  ASSERT_EQ(RunWizard(script, 150), 0) << Said();
  EXPECT_EQ(printer_.Jobs().size(), 1u);
  ExpectPicture("110-running.png");
  ExpectPicture("111-timeout.png");
  // Nothing was taken from the traps.
  EXPECT_EQ(Text("IP"), std::nullopt);
  EXPECT_EQ(Text("VPName"), std::nullopt);
}

// From the printer's properties, as a printers folder opens them: the set-up
// button starts the program on the same machine, the user chooses PCL 5e
// without the monitor, and the next job comes out in PCL.
TEST_F(WizardSessionTest, SetUpButtonOfThePrintersPropertiesRunsTheWizard) {
  std::ofstream(folder_ / "properties.txt") << "click 1719\nok\n";
  std::ofstream(folder_ / "wizard.txt") << "check 1003 on\n"
                                        << kNext << "pick 1004 \"PCL5e\"\n"
                                        << Png("107-from-properties.png") << kNext << kFinish;
  const std::string command =
      "ZEL_UI_SCRIPT='" + (folder_ / "wizard.txt").string() + "' '" ZEL_PRINTHOST "' --root '" + root().string() +
      "' --model '" ZEL_SOURCE_DIR "/data/models/nardo-c5545.ini' --printer-properties --ui-script '" +
      (folder_ / "properties.txt").string() + "' 2> '" + (folder_ / "stderr.txt").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << Said();
  ExpectPicture("107-from-properties.png");
  HANDLE hostPrinter = 0;
  ASSERT_TRUE(OpenPrinterA(const_cast<char*>("Print Host Printer"), &hostPrinter, nullptr));
  DWORD pdl = 0;
  EXPECT_EQ(db.GetDword(hostPrinter, kStorePrinterData, "Printer", "PDL", &pdl), 0u);
  EXPECT_EQ(pdl, 140u);
  DWORD monitor = 1;
  EXPECT_EQ(db.GetDword(hostPrinter, kStorePrinterData, "Printer", "Monitor", &monitor), 0u);
  EXPECT_EQ(monitor, 0u);
  ClosePrinter(hostPrinter);
  EXPECT_NE(PrintPage("Print Host Printer").find("@PJL ENTER LANGUAGE = PCL"), std::string::npos);
}

}  // namespace
}  // namespace detecttest
