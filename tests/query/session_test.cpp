// Sessions, the three requests, the wait and the addressing of the agent.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "query/query_ids.h"
#include "query/snmp_request.h"
#include "tests/query/query_fixture.h"

namespace querytest {
namespace {

using Clock = std::chrono::steady_clock;

class SessionTest : public QueryTest {};

std::string AgentAddressOf(const char* printerName) {
  char address[64] = {};
  std::memset(address, 'x', sizeof address - 1);
  GetAgentAddress(printerName, address, 33);
  return address;
}

TEST_F(SessionTest, AgentAddressComesFromTheNameOrThePrintersSettings) {
  EXPECT_EQ(AgentAddressOf("@192.168.3.7"), "192.168.3.7");
  EXPECT_EQ(AgentAddressOf("@1234567890123456789012345678901234567890"), "12345678901234567890123456789012");
  EXPECT_EQ(AgentAddressOf("No Such Printer"), "");
  EXPECT_EQ(AgentAddressOf(kPrinter), "") << "no address stored yet";

  SetPrinterText("IP", "10.1.2.3");
  SetPrinterText("IPX", "0000ABCD.0080C7123456");
  EXPECT_EQ(AgentAddressOf(kPrinter), "10.1.2.3") << "no protocol: addressed by IP";
  struct Case {
    const char* protocol;
    const char* address;
  };
  for (const Case& c : {Case{"IP", "10.1.2.3"}, Case{"ipx", "0000ABCD.0080C7123456"},
                        Case{"IpX", "0000ABCD.0080C7123456"}, Case{"TCP", "10.1.2.3"}}) {
    SetPrinterText("Protocol", c.protocol);
    EXPECT_EQ(AgentAddressOf(kPrinter), c.address) << c.protocol;
  }
}

TEST_F(SessionTest, GetReadsTheAgentsObjectsAndNoSuchNameComesBackAsItsCode) {
  if (!StartAgent("1.3.6.1.4.1.4417.4.1.0 integer 77\n")) GTEST_SKIP() << "snmpd is not installed";
  int32_t upTime = 0;
  EXPECT_EQ(SnmpQueryA(5, kPrinter, &session, &upTime, 4), SNMP_RESULT_OK);
  EXPECT_GT(upTime, 0);
  char description[256] = {};
  EXPECT_EQ(SnmpQueryA(35, AgentPrinter().c_str(), &session, description, sizeof description), SNMP_RESULT_OK);
  EXPECT_EQ(std::string(description).rfind("Linux", 0), 0u) << description;
  int32_t value = 0;
  EXPECT_EQ(SnmpQueryA(3, kPrinter, &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, 77);
  EXPECT_EQ(SnmpQueryA(2, kPrinter, &session, &value, 4), SNMP_RESULT_NO_SUCH_NAME);
  EXPECT_EQ(value, -1);
}

TEST_F(SessionTest, AnAgentThatCannotBeAddressedFailsWithoutSending) {
  int32_t value = 0;
  for (const char* printerName : {"@printer.invalid", "@", "No Such Printer", kPrinter}) {
    EXPECT_EQ(SnmpQueryA(5, printerName, &session, &value, 4), SNMP_RESULT_FAILED) << printerName;
  }
}

TEST_F(SessionTest, RequestsNameTheirKindAndNeverShareAnId) {
  ScriptedAgent scripted;
  scripted.Set("1.3.6.1.4.1.4417.4.1.0", ScriptedValue{2, 5, {}});
  const std::string printerName = "@" + scripted.Address();
  int32_t value = 0;
  EXPECT_EQ(SnmpQueryA(3, printerName.c_str(), &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(SnmpQueryA(3, printerName.c_str(), &session, &value, 4), SNMP_RESULT_OK);
  session.setMode = 1;
  value = 9;
  EXPECT_EQ(SnmpQueryA(3, printerName.c_str(), &session, &value, 4), SNMP_RESULT_OK);
  session.setMode = 0;
  const std::vector<int> ids = scripted.RequestIds();
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids[0] & 0xFF, 6);
  EXPECT_EQ(ids[1] & 0xFF, 6);
  EXPECT_EQ(ids[2] & 0xFF, 8);
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_EQ(scripted.Requests()[2], "set 1.3.6.1.4.1.4417.4.1.0");
  EXPECT_EQ(SnmpQueryA(3, printerName.c_str(), &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, 9) << "the SET was stored";
}

// One slow case for the wait: a reply later than 6000 ms is a time-out, the timer
// is gone afterwards, and the late reply is not taken for the next request's.
TEST_F(SessionTest, ALateReplyIsATimeOutAndNeverAnswersTheNextRequest) {
  ScriptedAgent scripted;
  scripted.Set("1.3.6.1.4.1.4417.4.1.0", ScriptedValue{2, 111, {}});
  scripted.Set("1.3.6.1.4.1.4417.4.10.0", ScriptedValue{2, 222, {}});
  scripted.DelayReplies(1, 6300);
  const std::string printerName = "@" + scripted.Address();
  int32_t value = 0;
  const Clock::time_point started = Clock::now();
  EXPECT_EQ(SnmpQueryA(3, printerName.c_str(), &session, &value, 4), SNMP_RESULT_TIMEOUT);
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
  EXPECT_GE(waited, 5900);
  EXPECT_LT(waited, 8000);
  EXPECT_FALSE(KillTimer(session.window, session.session + SNMP_TIMER_BASE)) << "the wait's timer is gone";
  // The held-back reply (111) arrives while the next request waits for its own.
  EXPECT_EQ(SnmpQueryA(2, printerName.c_str(), &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, 222);
}

TEST_F(SessionTest, AWrongCommunityIsNotAnsweredAndTimesOut) {
  if (!StartAgent("1.3.6.1.4.1.4417.4.1.0 integer 77\n")) GTEST_SKIP() << "snmpd is not installed";
  std::strcpy(session.community, "wrong");
  int32_t value = 0;
  EXPECT_EQ(SnmpQueryA(3, kPrinter, &session, &value, 4), SNMP_RESULT_TIMEOUT);
}

TEST_F(SessionTest, GetNextReportsLeavingTheSubtreeAndMovesTheCursor) {
  ScriptedAgent scripted;
  scripted.Set("1.3.6.1.4.1.4417.2.1.5.1.2.1", ScriptedValue{2, 1, {}});
  scripted.Set("1.3.6.1.4.1.4417.2.1.5.1.3.1", ScriptedValue{2, 2, {}});
  const std::string printerName = "@" + scripted.Address();
  AgentScope scope(printerName.c_str(), &session, false);
  ASSERT_EQ(scope.result(), SNMP_RESULT_OK);
  smiOID base{}, cursor{};
  ASSERT_NE(SnmpStrToOid("1.3.6.1.4.1.4417.2.1.5.1.2", &base), SNMPAPI_FAILURE);
  ASSERT_NE(SnmpStrToOid("1.3.6.1.4.1.4417.2.1.5.1.2", &cursor), SNMPAPI_FAILURE);
  smiVALUE value{};
  EXPECT_EQ(SnmpGetNextRequest(&base, &cursor, &cursor, &value, &session), SNMP_RESULT_OK);
  EXPECT_EQ(cursor.len, 13u);
  EXPECT_EQ(SnmpGetNextRequest(&base, &cursor, &cursor, &value, &session),
            SNMP_RESULT_OK | SNMP_RESULT_OUTSIDE_SUBTREE);
  char text[128] = {};
  SnmpOidToStr(&cursor, sizeof text, text);
  EXPECT_STREQ(text, "1.3.6.1.4.1.4417.2.1.5.1.3.1");
  EXPECT_EQ(SnmpGetNextRequest(nullptr, &cursor, &cursor, &value, &session), SNMP_RESULT_FAILED);
  FreeValue(&value);
  FreeOid(&cursor);
  FreeOid(&base);
}

TEST_F(SessionTest, DestroyingTwiceAndCreatingTwiceLeaveNoSessionBehind) {
  const HSNMP_SESSION first = session.session;
  ASSERT_EQ(SnmpCreateSessionWindow(&session), SNMP_RESULT_OK);
  EXPECT_NE(session.session, first);
  EXPECT_EQ(SnmpClose(first), SNMPAPI_FAILURE) << "the first session was closed by the second create";
  const HWND window = session.window;
  session.logicalPrinterCache = 1;
  EXPECT_EQ(SnmpDestroySessionWindow(&session), SNMP_RESULT_OK);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(session.session, 0u);
  EXPECT_EQ(session.logicalPrinterCache, 0u);
  EXPECT_EQ(SnmpDestroySessionWindow(&session), SNMP_RESULT_FAILED);
}

TEST_F(SessionTest, AWindowOfTheCallerIsUsedAndNotDestroyed) {
  SnmpDestroySessionWindow(&session);
  SnmpSession own{};
  std::strcpy(own.community, SNMP_READ_COMMUNITY);
  own.window = CreateWindowExA(0, "EDIT", "caller", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
  own.notificationMessage = SNMP_MSG_TRAP;
  ASSERT_EQ(SnmpCreateSessionWindow(&own), SNMP_RESULT_OK);
  EXPECT_EQ(own.windowCreatedHere, 0u);
  EXPECT_EQ(SnmpDestroySessionWindow(&own), SNMP_RESULT_OK);
  EXPECT_TRUE(IsWindow(own.window));
  DestroyWindow(own.window);
}

TEST_F(SessionTest, AQuitRequestDuringTheWaitIsGivenBackAfterIt) {
  ScriptedAgent scripted;
  scripted.Set("1.3.6.1.4.1.4417.4.1.0", ScriptedValue{2, 5, {}});
  scripted.DelayReplies(1, 200);
  const std::string printerName = "@" + scripted.Address();
  PostQuitMessage(3);
  int32_t value = 0;
  EXPECT_EQ(SnmpQueryA(3, printerName.c_str(), &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, 5);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(SessionTest, RepliesWithNoRequestInFlightAreDropped) {
  // A reply notification with nothing pending: the debugger hears of it and the
  // status says the receive was aborted.
  session.current = nullptr;
  SnmpOnReply(&session);
  EXPECT_EQ(session.status, SNMP_STATUS_ABORTED);
  SnmpOnTimer(session.session + SNMP_TIMER_BASE + 1, &session);
  session.status = SNMP_STATUS_WAITING;
  SnmpOnTimer(session.session + SNMP_TIMER_BASE + 1, &session);
  EXPECT_EQ(session.status, SNMP_STATUS_WAITING) << "another timer does not end the wait";
  SnmpOnTimer(session.session + SNMP_TIMER_BASE, &session);
  EXPECT_EQ(session.status, SNMP_STATUS_ABORTED);
}

}  // namespace
}  // namespace querytest
