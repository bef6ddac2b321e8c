// One trap port for the machine's registered processes: the first registrant
// owns the port and hands every trap on; when it ends, another takes over. And a
// port nobody may bind is reported, not passed over in silence.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/debug.h"
#include "platform/snmp/winsnmp.h"
#include "platform/ui/window.h"
#include "tests/query/agents.h"
#include "tests/support/machine_fixture.h"

namespace querytest {
namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kTrapMessage = 0x2401;

// A registered process: it says "ready", then writes one line per trap, the
// sender and the trap's text var-bind, until its control pipe closes.
[[noreturn]] void RunRegistrant(int control, int report) {
  auto say = [report](const std::string& line) {
    if (write(report, line.data(), line.size()) < 0) _exit(3);
  };
  if (SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr) != SNMPAPI_SUCCESS) _exit(1);
  const HWND window = CreateWindowExA(0, "EDIT", "registrant", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
  const HSNMP_SESSION session = SnmpOpen(window, kTrapMessage);
  if (!session || SnmpRegister(session, 0, 0, 0, nullptr, SNMPAPI_ON) != SNMPAPI_SUCCESS) _exit(2);
  say("ready\n");
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < deadline) {
    char byte = 0;
    if (read(control, &byte, 1) == 0) break;  // the test closed the pipe: end normally
    MSG msg{};
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
      if (msg.message != kTrapMessage) continue;
      HSNMP_ENTITY source = 0, destination = 0;
      HSNMP_CONTEXT context = 0;
      HSNMP_PDU pdu = 0;
      if (SnmpRecvMsg(session, &source, &destination, &context, &pdu) != SNMPAPI_SUCCESS) continue;
      char sender[64] = {};
      SnmpEntityToStr(source, sizeof sender, sender);
      HSNMP_VBL list = 0;
      std::string text;
      if (SnmpGetPduData(pdu, nullptr, nullptr, nullptr, nullptr, &list) == SNMPAPI_SUCCESS) {
        smiOID name{};
        smiVALUE value{};
        if (SnmpGetVb(list, 3, &name, &value) == SNMPAPI_SUCCESS && value.syntax == SNMP_SYNTAX_OCTETS) {
          text.assign(reinterpret_cast<const char*>(value.value.string.ptr), value.value.string.len);
        }
        SnmpFreeVbl(list);
      }
      say(std::string(sender) + " " + text + "\n");
      SnmpFreeEntity(source);
      SnmpFreeEntity(destination);
      SnmpFreeContext(context);
      SnmpFreePdu(pdu);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  SnmpRegister(session, 0, 0, 0, nullptr, SNMPAPI_OFF);
  SnmpClose(session);
  SnmpCleanup();
  _exit(0);
}

struct Registrant {
  pid_t pid = 0;
  int control = -1;  // written by the test; closing it ends the process
  int report = -1;   // lines from the process
  std::string pending;

  // The next line, waiting at most the given time; empty when none came.
  std::string Line(std::chrono::milliseconds wait) {
    const Clock::time_point deadline = Clock::now() + wait;
    for (;;) {
      const size_t end = pending.find('\n');
      if (end != std::string::npos) {
        std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return "";
      pollfd fd{report, POLLIN, 0};
      if (poll(&fd, 1, static_cast<int>(left)) <= 0) return "";
      char buffer[256];
      const ssize_t got = read(report, buffer, sizeof buffer);
      if (got <= 0) return "";
      pending.append(buffer, static_cast<size_t>(got));
    }
  }
  // Whether the line arrives within the wait, lines before it skipped.
  bool Saw(const std::string& wanted, std::chrono::milliseconds wait) {
    const Clock::time_point deadline = Clock::now() + wait;
    while (Clock::now() < deadline) {
      if (Line(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())) == wanted) return true;
    }
    return false;
  }
  void End() {
    if (control >= 0) close(control);
    control = -1;
    if (pid > 0) waitpid(pid, nullptr, 0);
    pid = 0;
  }
  void Kill() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    pid = 0;
  }
  ~Registrant() {
    Kill();
    if (control >= 0) close(control);
    if (report >= 0) close(report);
  }
};

class TrapPort : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    port_ = FreeUdpPort();
    setenv("ZEL_SNMP_TRAP_ADDRESS", ("127.0.0.1:" + std::to_string(port_)).c_str(), 1);
  }
  void TearDown() override {
    unsetenv("ZEL_SNMP_TRAP_ADDRESS");
    FreshMachine::TearDown();
  }

  // Starts a registered process and waits until it is registered.
  bool Start(Registrant& registrant) {
    int control[2], report[2];
    if (pipe2(control, O_CLOEXEC) != 0 || pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
      close(control[1]);
      close(report[0]);
      // The others' pipe ends: a copy held here would keep them from ending.
      for (const int fd : parentEnds_) {
        if (fd != control[0] && fd != report[1]) close(fd);
      }
      fcntl(control[0], F_SETFL, O_NONBLOCK);
      RunRegistrant(control[0], report[1]);
    }
    close(control[0]);
    close(report[1]);
    parentEnds_.push_back(control[1]);
    parentEnds_.push_back(report[0]);
    registrant.pid = pid;
    registrant.control = control[1];
    registrant.report = report[0];
    return registrant.Line(std::chrono::seconds(10)) == "ready";
  }

  bool SendTrap(const std::string& text) {
    return querytest::SendTrap(port_, "2c", {"", "1.3.6.1.4.1.4417.7.0.501", "1.3.6.1.4.1.4417.9.1", "s", text});
  }

  // Sends the trap until every registrant has it: while the port changes hands
  // a trap may find nobody listening, as a datagram may on any network.
  bool AllReceive(const std::string& text, std::vector<Registrant*> registrants) {
    const std::string wanted = "127.0.0.1 " + text;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    std::vector<bool> seen(registrants.size(), false);
    while (Clock::now() < deadline) {
      if (!SendTrap(text)) return false;
      bool all = true;
      for (size_t i = 0; i < registrants.size(); ++i) {
        if (!seen[i]) seen[i] = registrants[i]->Saw(wanted, std::chrono::milliseconds(300));
        all = all && seen[i];
      }
      if (all) return true;
    }
    return false;
  }

  int port_ = 0;
  std::vector<int> parentEnds_;
};

TEST_F(TrapPort, EveryRegisteredProcessGetsEveryTrapWhileTheOwnerChanges) {
  if (FindProgram("snmptrap").empty()) GTEST_SKIP() << "net-snmp's trap sender is not installed";
  Registrant first, second, third;
  ASSERT_TRUE(Start(first));
  ASSERT_TRUE(Start(second));
  ASSERT_TRUE(Start(third));
  // One send is enough while the owner stays: it hands the trap to the others.
  ASSERT_TRUE(SendTrap("one"));
  for (Registrant* registrant : {&first, &second, &third}) {
    EXPECT_EQ(registrant->Line(std::chrono::seconds(5)), "127.0.0.1 one");
  }
  // The owner dies without leaving; one of the others takes the port.
  first.Kill();
  EXPECT_TRUE(AllReceive("two", {&second, &third}));
  // A registrant that ends normally leaves; the last one keeps receiving,
  // whichever of the two owned the port.
  second.End();
  EXPECT_TRUE(AllReceive("three", {&third}));
  // A newcomer joins whoever owns the port now.
  Registrant fourth;
  ASSERT_TRUE(Start(fourth));
  EXPECT_TRUE(AllReceive("four", {&third, &fourth}));
}

// Whether this process may bind port 162 (root, or a host that lets anyone).
bool MayBindPrivilegedPort() {
  if (geteuid() == 0) return true;
  std::ifstream start("/proc/sys/net/ipv4/ip_unprivileged_port_start");
  int first = 1024;
  start >> first;
  return first <= 162;
}

TEST_F(TrapPort, APortTheOwnerCannotBindIsReported) {
  std::mutex lock;
  std::string traces;
  platform::SetDebugOutputSink([&](std::string_view text) {
    std::lock_guard guard(lock);
    traces.append(text);
  });
  // Another program holds the port.
  int held = 0;
  const int holder = LoopbackUdpSocket(&held);
  port_ = held;
  struct Case {
    std::string address;
    SNMPAPI_STATUS error;
  };
  std::vector<Case> cases = {{"127.0.0.1:" + std::to_string(port_), SNMPAPI_TL_IN_USE}};
  if (!MayBindPrivilegedPort()) cases.push_back({"127.0.0.1:162", SNMPAPI_TL_RESOURCE_ERROR});
  ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
  const HWND window = CreateWindowExA(0, "EDIT", "registrant", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
  const HSNMP_SESSION session = SnmpOpen(window, kTrapMessage);
  for (const Case& c : cases) {
    setenv("ZEL_SNMP_TRAP_ADDRESS", c.address.c_str(), 1);
    traces.clear();
    EXPECT_EQ(SnmpRegister(session, 0, 0, 0, nullptr, SNMPAPI_ON), SNMPAPI_FAILURE) << c.address;
    EXPECT_EQ(SnmpGetLastError(session), c.error) << c.address;
    std::lock_guard guard(lock);
    EXPECT_NE(traces.find("trap port " + c.address + " cannot be opened"), std::string::npos) << traces;
    EXPECT_NE(traces.find("ZEL_SNMP_TRAP_ADDRESS"), std::string::npos) << "it says what to do";
  }
  // Once the port is free the next registration owns it.
  close(holder);
  setenv("ZEL_SNMP_TRAP_ADDRESS", ("127.0.0.1:" + std::to_string(port_)).c_str(), 1);
  EXPECT_EQ(SnmpRegister(session, 0, 0, 0, nullptr, SNMPAPI_ON), SNMPAPI_SUCCESS);
  SnmpClose(session);
  DestroyWindow(window);
  SnmpCleanup();
  platform::SetDebugOutputSink(nullptr);
}

}  // namespace
}  // namespace querytest
