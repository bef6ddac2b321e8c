// Traps from net-snmp's trap sender, this host's row in the printer's trap-host
// table, the local host address and IPX address texts.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "query/trap_reception.h"
#include "tests/query/query_fixture.h"

namespace querytest {
namespace {

using Clock = std::chrono::steady_clock;

// A session as the status monitor holds one for traps: its own window, passing
// the session's messages on to the library, with the trap notification message.
class TrapTest : public QueryTest {
 protected:
  void SetUp() override {
    QueryTest::SetUp();
    trapPort_ = FreeUdpPort();
    const std::string listen = "127.0.0.1:" + std::to_string(trapPort_);
    setenv("ZEL_SNMP_TRAP_ADDRESS", listen.c_str(), 1);
    SnmpDestroySessionWindow(&session);
    session = SnmpSession{};
    std::strcpy(session.community, SNMP_READ_COMMUNITY);
    window_ = CreateWindowExA(0, "EDIT", "monitor", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
    session.previousProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SnmpSessionWindowProc)));
    SendMessageA(window_, SNMP_MSG_ATTACH, 0, reinterpret_cast<LPARAM>(&session));
    session.window = window_;
    session.notificationMessage = SNMP_MSG_TRAP;
    ASSERT_EQ(SnmpCreateSessionWindow(&session), SNMP_RESULT_OK);
  }
  void TearDown() override {
    SnmpTrapControl(kTrapUnregister, nullptr, &session);
    QueryTest::TearDown();
    DestroyWindow(window_);
    unsetenv("ZEL_SNMP_TRAP_ADDRESS");
  }

  bool SendTrap(const std::string& version, std::vector<std::string> rest) {
    return querytest::SendTrap(trapPort_, version, std::move(rest));
  }

  // Pumps the thread's messages until a trap was received, for at most 3 s.
  bool AwaitTrap() {
    session.lastTrap = SnmpTrapRecord{};
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(3);
    while (Clock::now() < deadline) {
      MSG msg{};
      while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
        if (session.lastTrap.sender[0]) return true;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
  }

  int trapPort_ = 0;
  HWND window_ = 0;
};

#define NEED(program) \
  if (FindProgram(program).empty()) GTEST_SKIP() << program " is not installed"

TEST_F(TrapTest, APrivateJobTrapFillsItsSlots) {
  NEED("snmptrap");
  ASSERT_EQ(SnmpTrapControl(kTrapRegister, nullptr, &session), 1);
  // clang-format off
  ASSERT_TRUE(SendTrap("1", {"1.3.6.1.4.1.4417.7", "127.0.0.1", "6", "503", "", "1.3.6.1.4.1.4417.9.1", "i", "11",
                             "1.3.6.1.4.1.4417.9.2", "i", "22", "1.3.6.1.4.1.4417.9.3", "i", "33",
                             "1.3.6.1.4.1.4417.9.4", "i", "44", "1.3.6.1.4.1.4417.9.5", "i", "55"}));
  // clang-format on
  ASSERT_TRUE(AwaitTrap());
  const SnmpTrapRecord& trap = session.lastTrap;
  EXPECT_EQ(+trap.kind, kTrapJobEnd);
  EXPECT_EQ(+trap.value310, 11);
  EXPECT_EQ(+trap.value1082, 22);
  EXPECT_EQ(+trap.value1086, 33);
  EXPECT_EQ(+trap.value1145, 55);
  EXPECT_STREQ(trap.sender, "127.0.0.1");
}

TEST_F(TrapTest, TextsAreCutToTheirSlots) {
  NEED("snmptrap");
  ASSERT_EQ(SnmpTrapControl(kTrapRegister, nullptr, &session), 1);
  const std::string longA(300, 'a'), longB(300, 'b');
  // clang-format off
  ASSERT_TRUE(SendTrap("1", {"1.3.6.1.2.1.1.2.0", "127.0.0.1", "6", "501", "", "1.3.6.1.4.1.4417.9.1", "s", longA,
                             "1.3.6.1.4.1.4417.9.2", "s", "report.doc", "1.3.6.1.4.1.4417.9.3", "s", "someone",
                             "1.3.6.1.4.1.4417.9.4", "i", "7", "1.3.6.1.4.1.4417.9.5", "i", "8",
                             "1.3.6.1.4.1.4417.9.6", "s", longB}));
  // clang-format on
  ASSERT_TRUE(AwaitTrap());
  const SnmpTrapRecord& trap = session.lastTrap;
  EXPECT_EQ(+trap.kind, kTrapJobStart);
  EXPECT_EQ(std::string(trap.text314), std::string(255, 'a'));
  EXPECT_STREQ(trap.text570, "report.doc");
  EXPECT_STREQ(trap.text826, "someone");
  EXPECT_EQ(+trap.value310, 7);
  EXPECT_EQ(+trap.value1141, 8);
  EXPECT_EQ(std::string(trap.text1090), std::string(50, 'b'));
}

TEST_F(TrapTest, AnAlertTrapThenItsDescriptionFromThePrinter) {
  NEED("snmptrap");
  if (!StartAgent("1.3.6.1.2.1.43.18.1.1.8.1.2 string Toner low\n")) GTEST_SKIP() << "snmpd is not installed";
  ASSERT_EQ(SnmpTrapControl(kTrapRegister, kPrinter, &session), 1);
  ASSERT_TRUE(SendTrap("1", {"1.3.6.1.2.1.43.18.2", "127.0.0.1", "6", "1", "", "1.3.6.1.2.1.43.18.1.1.2.1.2", "i", "2",
                             "1.3.6.1.2.1.43.18.1.1.4.1.2", "i", "3", "1.3.6.1.2.1.43.18.1.1.5.1.2", "i", "4"}));
  ASSERT_TRUE(AwaitTrap());
  EXPECT_EQ(+session.lastTrap.kind, kTrapAlert);
  EXPECT_EQ(+session.lastTrap.alertRowIndex, 2);
  EXPECT_EQ(+session.lastTrap.alertVarBind4, 3);
  EXPECT_EQ(+session.lastTrap.alertVarBind5, 4);
  EXPECT_EQ(SnmpTrapControl(kTrapReadAlertDescription, kPrinter, &session), 1);
  EXPECT_STREQ(session.lastTrap.alertDescription, "Toner low");

  // The same alert as a version 2c trap.
  ASSERT_TRUE(SendTrap("2c", {"", "1.3.6.1.2.1.43.18.2.0.1", "1.3.6.1.2.1.43.18.1.1.2.1.9", "i", "9"}));
  ASSERT_TRUE(AwaitTrap());
  EXPECT_EQ(+session.lastTrap.kind, kTrapAlert);
  EXPECT_EQ(+session.lastTrap.alertRowIndex, 9);
  EXPECT_EQ(SnmpTrapControl(kTrapReadAlertDescription, kPrinter, &session), 0) << "no row 9: noSuchName";
}

TEST_F(TrapTest, AnUnknownTrapKeepsOnlyItsSender) {
  NEED("snmptrap");
  ASSERT_EQ(SnmpTrapControl(kTrapRegister, nullptr, &session), 1);
  ASSERT_TRUE(SendTrap("1", {"1.3.6.1.4.1.4417.7", "127.0.0.1", "0", "0", "", "1.3.6.1.4.1.4417.9.1", "i", "11"}));
  ASSERT_TRUE(AwaitTrap());
  EXPECT_EQ(+session.lastTrap.kind, kTrapUnknown);
  EXPECT_EQ(+session.lastTrap.value310, 0);
  EXPECT_STREQ(session.lastTrap.sender, "127.0.0.1");
  // Unregistered, no trap arrives.
  ASSERT_EQ(SnmpTrapControl(kTrapUnregister, nullptr, &session), 1);
  ASSERT_TRUE(SendTrap("1", {"1.3.6.1.4.1.4417.7", "127.0.0.1", "6", "503", ""}));
  EXPECT_FALSE(AwaitTrap());
  EXPECT_EQ(SnmpTrapControl(2, nullptr, &session), 0) << "no such operation";
}

TEST(TrapKinds, IdentifiersMatchOverElevenSubIdentifiers) {
  struct Case {
    const char* identifier;
    WORD kind;
  };
  for (const Case& c :
       {Case{"1.3.6.1.2.1.1.2.0.0.501", 1}, Case{"1.3.6.1.2.1.1.2.0.0.506", 6}, Case{"1.3.6.1.2.1.43.18.2.0.1", 3},
        Case{"1.3.6.1.4.1.4417.7.0.505", 5}, Case{"1.3.6.1.4.1.4417.7.0.505.1", 0},
        Case{"1.3.6.1.2.1.1.2.0.0.501.7", 1}, Case{"1.3.6.1.4.1.4417.7.0.507", 0}, Case{"1.3.6.1.4.1.4417.7.0", 0},
        Case{"1.3.6.1.6.3.1.1.5.1", 0}}) {
    SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr);
    smiOID oid{};
    ASSERT_NE(SnmpStrToOid(c.identifier, &oid), SNMPAPI_FAILURE);
    EXPECT_EQ(TrapKindOf(oid), c.kind) << c.identifier;
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, reinterpret_cast<smiLPOPAQUE>(&oid));
    SnmpCleanup();
  }
}

std::string TrapHostTable(std::initializer_list<const char*> rows) {
  std::string table;
  int row = 1;
  for (const char* address : rows) {
    table += "1.3.6.1.4.1.4417.6.17.1.2." + std::to_string(row++) + " ipaddress " + address + "\n";
  }
  return table;
}

class TrapHostTest : public QueryTest {
 protected:
  bool Sets() {
    for (const std::string& request : agent.Requests()) {
      if (request.rfind("set ", 0) == 0) return true;
    }
    return false;
  }
};

TEST_F(TrapHostTest, ARowAlreadyOursIsKept) {
  if (!StartAgent(TrapHostTable({"10.0.0.1", "10.0.0.2", "0.0.0.0", "10.0.0.4", "127.0.0.1", "0.0.0.0"}))) {
    GTEST_SKIP() << "snmpd is not installed";
  }
  EXPECT_EQ(SnmpTrapControl(kTrapRegisterHost, kPrinter, &session), 1);
  EXPECT_EQ(PrinterText("TrapHostIndex"), "5");
  EXPECT_FALSE(Sets());
}

TEST_F(TrapHostTest, TheFirstFreeRowIsTakenWithTheWriteCommunityAndGivenBack) {
  if (!StartAgent(TrapHostTable({"10.0.0.1", "10.0.0.2", "10.0.0.3", "0.0.0.0", "0.0.0.0"}))) {
    GTEST_SKIP() << "snmpd is not installed";
  }
  // The agent lets only "pilvark" write; the session reads with "quokka".
  EXPECT_EQ(SnmpTrapControl(kTrapRegisterHost, kPrinter, &session), 1);
  EXPECT_EQ(PrinterText("TrapHostIndex"), "4");
  EXPECT_NE(agent.Table().find("1.3.6.1.4.1.4417.6.17.1.2.4 ipaddress 127.0.0.1"), std::string::npos);
  EXPECT_EQ(agent.Table().find("1.3.6.1.4.1.4417.6.17.1.2.5 ipaddress 127.0.0.1"), std::string::npos);

  EXPECT_EQ(SnmpTrapControl(kTrapUnregisterHost, kPrinter, &session), 1);
  EXPECT_EQ(PrinterText("TrapHostIndex"), "0");
  EXPECT_NE(agent.Table().find("1.3.6.1.4.1.4417.6.17.1.2.4 ipaddress 0.0.0.0"), std::string::npos);
}

TEST_F(TrapHostTest, AFullTableIsRefused) {
  std::string table;
  for (int row = 1; row <= 32; ++row) {
    table += "1.3.6.1.4.1.4417.6.17.1.2." + std::to_string(row) + " ipaddress 10.0.1." + std::to_string(row) + "\n";
  }
  if (!StartAgent(table)) GTEST_SKIP() << "snmpd is not installed";
  EXPECT_EQ(SnmpTrapControl(kTrapRegisterHost, kPrinter, &session), 0);
  EXPECT_EQ(PrinterText("TrapHostIndex"), "<unset>");
  EXPECT_FALSE(Sets());
}

TEST_F(TrapHostTest, RegisteringAndClearingARowSayWhatTheyAre) {
  ScriptedAgent scripted;
  scripted.Set("1.3.6.1.4.1.4417.6.17.1.2.1", ScriptedValue{0x40, 0, std::string("\x0a\0\0\x01", 4)});
  scripted.Set("1.3.6.1.4.1.4417.6.17.1.2.2", ScriptedValue{0x40, 0, std::string(4, '\0')});
  SetPrinterText("IP", scripted.Address().c_str());
  EXPECT_EQ(SnmpTrapControl(kTrapRegisterHost, kPrinter, &session), 1);
  EXPECT_EQ(PrinterText("TrapHostIndex"), "2");
  EXPECT_EQ(SnmpTrapControl(kTrapUnregisterHost, kPrinter, &session), 1);
  const std::vector<std::string> requests = scripted.Requests();
  const std::vector<int> ids = scripted.RequestIds();
  std::vector<int> setKinds;
  for (size_t i = 0; i < requests.size(); ++i) {
    if (requests[i].rfind("set ", 0) == 0) setKinds.push_back(ids[i] & 0xFF);
  }
  EXPECT_EQ(setKinds, (std::vector<int>{66, 8}));
  // Nothing registered: unregistering sends nothing.
  const size_t before = scripted.Requests().size();
  EXPECT_EQ(SnmpTrapControl(kTrapUnregisterHost, kPrinter, &session), 1);
  EXPECT_EQ(scripted.Requests().size(), before);
}

TEST_F(TrapHostTest, LocalHostAddress) {
  LocalHostAddress record{};
  ASSERT_EQ(GetLocalHostAddress(&record), 0);
  char host[64] = {};
  gethostname(host, sizeof host - 1);
  EXPECT_STREQ(record.hostName, host);
  in_addr parsed{};
  ASSERT_EQ(inet_pton(AF_INET, record.addressText, &parsed), 1) << record.addressText;
  EXPECT_EQ(std::memcmp(&parsed.s_addr, record.address, 4), 0);
  char text[32] = {};
  GetLocalHostAddressText(text, sizeof text);
  EXPECT_STREQ(text, record.addressText);

  // Towards an agent on this machine the address is the loopback one.
  ASSERT_EQ(GetLocalHostAddressFor("@127.0.0.1:16161", &record), 0);
  EXPECT_STREQ(record.addressText, "127.0.0.1");

  char source[32] = {};
  GetTrapSourceAddress(source, "No Such Printer");
  EXPECT_STREQ(source, "ERROR");
  SetPrinterText("IP", "127.0.0.1");
  GetTrapSourceAddress(source, kPrinter);
  EXPECT_STREQ(source, "127.0.0.1");
  SetPrinterText("Protocol", "IPX");
  GetTrapSourceAddress(source, kPrinter);
  EXPECT_STREQ(source, "ERROR") << "this host has no IPX address";
}

TEST(IpxAddress, NetworkAndNodeBytesFromHexadecimal) {
  struct Case {
    const char* text;
    bool ok;
    const char* bytes;
  };
  for (const Case& c : {Case{"0000ABCD.0080C7123456", true, "\x00\x00\xAB\xCD\x00\x80\xC7\x12\x34\x56"},
                        Case{"0000abcd:0080c7123456", true, "\x00\x00\xAB\xCD\x00\x80\xC7\x12\x34\x56"},
                        Case{"0000ABCZ.0080C7123456", false, nullptr}, Case{"0000ABCD.0080C71234", false, nullptr},
                        Case{"0000ABCD00080C7123456", false, nullptr}}) {
    char text[32] = {};
    std::strcpy(text, c.text);
    EXPECT_EQ(ParseIpxAddress(text) != FALSE, c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(std::memcmp(text, c.bytes, 10), 0) << c.text;
    } else {
      EXPECT_STREQ(text, c.text) << "unchanged";
    }
  }
}

}  // namespace
}  // namespace querytest
