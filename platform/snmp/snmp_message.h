// The stand-in's own form of SNMP messages: plain values that the handle tables
// hold and the codec turns into datagrams and back. No platform types, so the
// codec can include net-snmp's headers beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::snmp {

using Oid = std::vector<uint32_t>;

struct Value {
  uint32_t syntax = 0x05;       // NULL
  uint32_t number = 0;          // INTEGER (as its bits), Counter, Gauge, TimeTicks, UInteger32
  uint32_t high = 0;            // Counter64: high and low halves (low in number)
  std::vector<uint8_t> octets;  // OCTET STRING, IpAddress, Opaque
  Oid oid;                      // OBJECT IDENTIFIER
};

struct VarBind {
  Oid name;
  Value value;
};

struct Pdu {
  int32_t type = 0;
  int32_t requestId = 0;
  int32_t errorStatus = 0;
  int32_t errorIndex = 0;
  std::vector<VarBind> bindings;
};

// An IPv4 address (network order, as in_addr holds it) and a UDP port (host order).
struct Address {
  uint32_t ip = 0;
  uint16_t port = 0;
  bool operator==(const Address&) const = default;
};

// One SNMPv1 message (a GET, GETNEXT, SET or response) as its datagram.
std::optional<std::vector<uint8_t>> EncodeMessage(const Pdu& pdu, const std::string& community);

// A received datagram: version 1 or 2c, any PDU; a version 1 trap comes in version 2
// form (see winsnmp.h). Nothing for a datagram that does not parse.
struct Decoded {
  Pdu pdu;
  std::string community;
};
std::optional<Decoded> DecodeMessage(const uint8_t* data, size_t length);

}  // namespace platform::snmp
