// The status monitor on a (virtual) desktop: the program runs in a process of
// its own with its main window on the display. An alert the printer sends as a
// trap while the window is shown appears in it without anyone touching it, and
// the title bar's close ends the program.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/settings_store.h"
#include "platform/spooler/spooler.h"
#include "tests/query/agents.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"
#include "tests/support/xvfb_server.h"
#include "tools/machinesetup/printer_install.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kPrinter[] = "Laser 1";

class MonitorWindowTest : public testsupport::FreshMachine {
 protected:
  void TearDown() override {
    if (monitor_ > 0) {
      kill(monitor_, SIGKILL);
      waitpid(monitor_, nullptr, 0);
    }
    if (printer_) ClosePrinter(printer_);
    db_.Unload();
    FreshMachine::TearDown();
  }

  // The printer the monitor watches: monitored, at the scripted agent's address.
  void MakePrinter(const std::string& address) {
    ASSERT_TRUE(db_.Load(machinesetup::BuiltDriverFolder()));
    const std::filesystem::path model = root() / "model.ini";
    std::ofstream(model) << "[General]\nModelName=Nardo 24\nModelID=50\n[PDL]\n1=PCL5E\n";
    machinesetup::PrinterSpec spec;
    spec.printerName = kPrinter;
    spec.modelDescription = model;
    spec.driverFolder = machinesetup::BuiltDriverFolder();
    std::string error;
    ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>(kPrinter), &printer_, &defaults));
    ASSERT_EQ(db_.SetupFolders(), 0u);
    ASSERT_EQ(db_.SetDword(printer_, kStorePrinterData, "Printer", "Monitor", 1), 0u);
    ASSERT_EQ(db_.SetString(printer_, kStorePrinterData, "Printer", "IP", address.c_str()), 0u);
  }

  bool Start(const std::string& display, const std::string& map, int trapPort) {
    std::vector<std::string> args = {ZEL_VIGILOD5, "_(Laser", "1)_", "NORMAL"};
    // clang-format off
    std::vector<std::string> env = {"ZEL_MACHINE_ROOT=" + root().string(), "ZEL_USER=User", "PATH=/usr/bin:/bin",
                                    "DISPLAY=" + display, "ZEL_DISPLAY=on", "ZEL_DISPLAY_MAP=" + map,
                                    // clang-format on
                                    "ZEL_SNMP_TRAP_ADDRESS=127.0.0.1:" + std::to_string(trapPort)};
    std::vector<char*> argv, envp;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    return posix_spawn(&monitor_, ZEL_VIGILOD5, nullptr, nullptr, argv.data(), envp.data()) == 0;
  }

  // The exit status, or -1 when the program did not end within the time.
  int Wait(int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(monitor_, &status, WNOHANG) == monitor_) {
        monitor_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }

  testsupport::SettingsLibrary db_;
  HANDLE printer_ = 0;
  pid_t monitor_ = 0;
};

// The display window whose title names the printer, from the places the
// program writes for tests; empty until it is shown.
std::string MainWindow(const std::string& map) {
  std::ifstream file(map);
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string kind, window;
    words >> kind >> window;
    if (kind == "window" && line.find(kPrinter) != std::string::npos) return window;
  }
  return {};
}

bool Shot(const testsupport::XvfbServer& server, const std::string& window, const std::string& file,
          testsupport::Screenshot* shot) {
  return server.Run("xwd -silent -id " + window + " -out '" + file + "'") == 0 && testsupport::ReadXwd(file, shot);
}

int Difference(const testsupport::Screenshot& a, const testsupport::Screenshot& b) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height + 1;
  int different = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) different += a.pixels[i] != b.pixels[i];
  return different;
}

TEST_F(MonitorWindowTest, AnAlertTrapShowsWhileTheWindowIsShownAndTheCloseBoxEndsIt) {
  testsupport::XvfbServer server;
  std::string why;
  if (!server.Start(&why)) GTEST_SKIP() << "no virtual X server: " << why;
  if (querytest::FindProgram("snmptrap").empty()) GTEST_SKIP() << "net-snmp's snmptrap is not installed";
  // A printer that answers at once: up, ready, with its panel text and the
  // description of its alert row.
  querytest::ScriptedAgent agent;
  agent.Set("1.3.6.1.2.1.1.3.0", querytest::ScriptedValue{67, 1000, {}});
  agent.Set("1.3.6.1.2.1.43.16.5.1.2.1.1", querytest::ScriptedValue{4, 0, "READY"});
  agent.Set("1.3.6.1.2.1.25.3.2.1.5.1", querytest::ScriptedValue{2, 2, {}});
  agent.Set("1.3.6.1.2.1.43.18.1.1.8.1.1", querytest::ScriptedValue{4, 0, "PAPER OUT"});
  MakePrinter(agent.Address());
  const int trapPort = querytest::FreeUdpPort();
  const std::string map = (root() / "places.txt").string();
  ASSERT_TRUE(Start(server.display(), map, trapPort));

  std::string window;
  for (int tries = 0; tries < 400 && window.empty(); ++tries) {
    window = MainWindow(map);
    if (window.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_FALSE(window.empty()) << "the monitor's window never showed";
  // The window as it settles once the printer has answered.
  const std::string file = (root() / "shot.xwd").string();
  testsupport::Screenshot before, again;
  ASSERT_TRUE(Shot(server, window, file, &before));
  for (int tries = 0; tries < 40; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    ASSERT_TRUE(Shot(server, window, file, &again));
    const bool steady = Difference(before, again) == 0;
    before = again;
    if (steady) break;
  }

  // The printer's paper-out alert (location 501, code 808) from its address.
  const std::string alert = "1.3.6.1.2.1.43.18.1.1.";
  ASSERT_TRUE(querytest::SendTrap(trapPort, "1",
                                  // clang-format off
                                  {"1.3.6.1.2.1.43.18.2", "127.0.0.1", "6", "1", "", alert + "2.1.1", "i", "1",
                                   alert + "3.1.1", "i", "4", alert + "4.1.1", "i", "5", alert + "5.1.1", "i", "6",
                                   alert + "6.1.1", "i", "501", alert + "7.1.1", "i", "808"}));
  // clang-format on
  testsupport::Screenshot after;
  int changed = 0;
  for (int tries = 0; tries < 40 && changed == 0; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    ASSERT_TRUE(Shot(server, window, file, &after));
    changed = Difference(before, after);
  }
  EXPECT_GT(changed, 50) << "the alert did not show in the window";

  // The title bar's close box: the window manager sends WM_DELETE_WINDOW.
  ::Display* manager = XOpenDisplay(server.display().c_str());
  ASSERT_NE(manager, nullptr);
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = std::stoul(window);
  close.xclient.message_type = XInternAtom(manager, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(manager, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(manager, close.xclient.window, False, NoEventMask, &close);
  XCloseDisplay(manager);
  EXPECT_EQ(Wait(20), 0) << "the monitor did not end from its close box";
}

}  // namespace
