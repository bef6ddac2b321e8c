// Responses reach a session only from where its request went: another sender on
// this host that guesses the request id cannot answer in the agent's place.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/snmp/winsnmp.h"
#include "platform/ui/window.h"
#include "tests/query/agents.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kReplyMessage = 0x1401;

// A UDP socket on 127.0.0.1 with a port of its own.
struct Peer {
  Peer() { fd = querytest::LoopbackUdpSocket(&port); }
  ~Peer() { close(fd); }
  // The next datagram within a second, and who sent it.
  std::vector<uint8_t> Receive(sockaddr_in& from) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 1000) <= 0) return {};
    std::vector<uint8_t> bytes(2048);
    socklen_t size = sizeof from;
    const ssize_t got = recvfrom(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
  }
  void Send(const std::vector<uint8_t>& bytes, const sockaddr_in& to) {
    sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  int fd = -1;
  int port = 0;
};

// The request made into its response: a GET and the response to it differ only
// in the PDU's tag (short-form lengths: the requests here are small).
std::vector<uint8_t> AsResponse(std::vector<uint8_t> request) {
  const size_t community = 2 + 3;  // sequence header, version
  const size_t tag = community + 2 + request.at(community + 1);
  EXPECT_EQ(request.at(tag), 0xA0);
  request.at(tag) = 0xA2;
  return request;
}

class Replies : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
    window_ = CreateWindowExA(0, "EDIT", "replies", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
    session_ = SnmpOpen(window_, kReplyMessage);
    ASSERT_NE(session_, 0u);
  }
  void TearDown() override {
    SnmpClose(session_);
    DestroyWindow(window_);
    SnmpCleanup();
  }
  // Sends a GET with the request id to the agent; gives what the agent got.
  std::vector<uint8_t> SendGet(Peer& agent, smiINT32 requestId, sockaddr_in& from) {
    const HSNMP_ENTITY destination = SnmpStrToEntity(session_, ("127.0.0.1:" + std::to_string(agent.port)).c_str());
    smiOCTETS community{6, reinterpret_cast<smiLPBYTE>(const_cast<char*>("quokka"))};
    const HSNMP_CONTEXT context = SnmpStrToContext(session_, &community);
    smiOID name{};
    SnmpStrToOid("1.3.6.1.2.1.1.3.0", &name);
    const HSNMP_VBL list = SnmpCreateVbl(session_, &name, nullptr);
    const HSNMP_PDU pdu = SnmpCreatePdu(session_, SNMP_PDU_GET, requestId, 0, 0, list);
    EXPECT_EQ(SnmpSendMsg(session_, 0, destination, context, pdu), SNMPAPI_SUCCESS);
    SnmpFreePdu(pdu);
    SnmpFreeVbl(list);
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, reinterpret_cast<smiLPOPAQUE>(&name));
    SnmpFreeContext(context);
    SnmpFreeEntity(destination);
    return agent.Receive(from);
  }
  // The request id of the next response the session takes within the wait; 0 when none.
  smiINT32 NextResponse(int waitMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (Clock::now() < deadline) {
      MSG msg{};
      while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        if (msg.message != kReplyMessage) continue;
        HSNMP_ENTITY source = 0, destination = 0;
        HSNMP_CONTEXT context = 0;
        HSNMP_PDU pdu = 0;
        if (SnmpRecvMsg(session_, &source, &destination, &context, &pdu) != SNMPAPI_SUCCESS) continue;
        smiINT32 id = 0;
        SnmpGetPduData(pdu, nullptr, &id, nullptr, nullptr, nullptr);
        SnmpFreeEntity(source);
        SnmpFreeEntity(destination);
        SnmpFreeContext(context);
        SnmpFreePdu(pdu);
        return id;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return 0;
  }

  HWND window_ = 0;
  HSNMP_SESSION session_ = 0;
};

TEST_F(Replies, OnlyTheAgentAskedAnswersWithItsRequestId) {
  Peer agent, guesser;
  sockaddr_in session{};
  const std::vector<uint8_t> request = SendGet(agent, 0x4206, session);
  ASSERT_FALSE(request.empty());
  const std::vector<uint8_t> response = AsResponse(request);
  // Another sender on this host (another port) with the right id.
  guesser.Send(response, session);
  EXPECT_EQ(NextResponse(300), 0) << "the guesser's response was taken";
  // The agent's own answer is taken, once.
  agent.Send(response, session);
  EXPECT_EQ(NextResponse(2000), 0x4206);
  agent.Send(response, session);
  EXPECT_EQ(NextResponse(300), 0) << "an answered request is not answered twice";
}

}  // namespace
