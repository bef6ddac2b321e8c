// The query library's session taking what the network brings: each input is a
// datagram handed to the session as its receiver hands one over (the decoder,
// the check that a response comes from where its request went), then the
// session window's notification as the message loop delivers it (the matching
// of the reply to the request in flight, or the parsing of a trap into the
// session's last trap). A kept reply is read as a request reads it. Nothing
// waits on the network: the datagram is queued in this thread.
//
// Input: one control byte (bit 0 a trap, bit 1 a request with the datagram's
// own id is in flight, bit 2 that request went elsewhere), then the datagram.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/snmp/snmp_message.h"
#include "platform/snmp/snmp_tables.h"
#include "platform/snmp/winsnmp.h"
#include "platform/ui/window.h"
#include "query/snmp_session.h"

namespace {

using platform::snmp::Address;

constexpr char kAgent[] = "127.0.0.1:9";  // the discard port: nothing answers
constexpr char kElsewhere[] = "127.0.0.2:9";

struct Conversation {
  SnmpSession session{};
  HSNMP_ENTITY agent = 0;
  HSNMP_ENTITY elsewhere = 0;
  HSNMP_CONTEXT context = 0;
};

Conversation& TheConversation() {
  static Conversation* conversation = [] {
    auto* made = new Conversation;
    SnmpStartupSession();
    std::strncpy(made->session.community, SNMP_READ_COMMUNITY, sizeof made->session.community - 1);
    SnmpCreateSessionWindow(&made->session);
    made->agent = SnmpStrToEntity(made->session.session, kAgent);
    made->elsewhere = SnmpStrToEntity(made->session.session, kElsewhere);
    smiOCTETS community{static_cast<smiUINT32>(std::strlen(SNMP_READ_COMMUNITY)),
                        reinterpret_cast<smiLPBYTE>(const_cast<char*>(SNMP_READ_COMMUNITY))};
    made->context = SnmpStrToContext(made->session.session, &community);
    return made;
  }();
  return *conversation;
}

// A GET of one object with the given id, sent so that the session awaits its
// answer from the destination.
void SendRequest(Conversation& c, smiINT32 requestId, HSNMP_ENTITY destination) {
  smiUINT32 ids[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
  smiOID name{sizeof ids / sizeof ids[0], ids};
  smiVALUE null{};
  null.syntax = SNMP_SYNTAX_NULL;
  HSNMP_VBL list = SnmpCreateVbl(c.session.session, &name, &null);
  HSNMP_PDU pdu = SnmpCreatePdu(c.session.session, SNMP_PDU_GET, requestId, 0, 0, list);
  SnmpSendRequest(&c.session, c.context, 0, destination, pdu);
  SnmpFreePdu(pdu);
  SnmpFreeVbl(list);
}

// Reads a kept reply as a request does: its header, then every binding.
void ReadReply(HSNMP_PDU reply) {
  smiINT type = 0, status = 0, index = 0;
  smiINT32 requestId = 0;
  HSNMP_VBL list = 0;
  if (SnmpGetPduData(reply, &type, &requestId, &status, &index, &list) != SNMPAPI_SUCCESS) return;
  const SNMPAPI_STATUS count = SnmpCountVbl(list);
  for (smiUINT32 i = 1; count != SNMPAPI_FAILURE && i <= static_cast<smiUINT32>(count); ++i) {
    smiOID name{};
    smiVALUE value{};
    if (SnmpGetVb(list, i, &name, &value) != SNMPAPI_SUCCESS) break;
    char text[128];
    SnmpOidToStr(&name, sizeof text, text);
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, reinterpret_cast<smiLPOPAQUE>(&name));
    if (value.syntax == SNMP_SYNTAX_OID) {
      SnmpFreeDescriptor(SNMP_SYNTAX_OID, reinterpret_cast<smiLPOPAQUE>(&value.value.oid));
    } else if (value.syntax == SNMP_SYNTAX_OCTETS || value.syntax == SNMP_SYNTAX_IPADDR ||
               value.syntax == SNMP_SYNTAX_OPAQUE) {
      SnmpFreeDescriptor(value.syntax, reinterpret_cast<smiLPOPAQUE>(&value.value.string));
    }
  }
  SnmpFreeVbl(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  Conversation& c = TheConversation();
  const uint8_t control = data[0];
  const bool trap = (control & 1) != 0;
  const uint8_t* datagram = data + 1;
  const size_t length = size - 1;

  // The request in flight, with the id the datagram carries when it has one.
  HSNMP_PDU reply = 0;
  SnmpExchange exchange{c.context, 0, c.agent, &reply, 0};
  if (control & 2) {
    if (std::optional<platform::snmp::Decoded> decoded = platform::snmp::DecodeMessage(datagram, length)) {
      exchange.requestId = decoded->pdu.requestId;
    }
    SendRequest(c, exchange.requestId, (control & 4) ? c.elsewhere : c.agent);
    c.session.current = &exchange;
  }
  c.session.status = SNMP_STATUS_WAITING;

  const Address from{inet_addr("127.0.0.1"), 9};
  platform::snmp::DeliverDatagram(c.session.session, trap, datagram, length, from);
  // The notification, as the session's message loop dispatches it.
  MSG msg{};
  while (PeekMessageA(&msg, c.session.window, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

  if (reply) {
    ReadReply(reply);
    SnmpFreePdu(reply);
  }
  if (exchange.source) SnmpFreeEntity(exchange.source);
  if (exchange.destination && exchange.destination != c.agent) SnmpFreeEntity(exchange.destination);
  if (exchange.context && exchange.context != c.context) SnmpFreeContext(exchange.context);
  c.session.current = nullptr;
  // What a trap left for the monitor to read.
  volatile WORD kind = c.session.lastTrap.kind;
  (void)kind;
  return 0;
}
