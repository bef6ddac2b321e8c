// Datagrams from the network (replies and traps): decoded without a wait, and a
// message that decodes must encode again.
#include <cstddef>
#include <cstdint>

#include "platform/snmp/snmp_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto decoded = platform::snmp::DecodeMessage(data, size);
  if (decoded) platform::snmp::EncodeMessage(decoded->pdu, decoded->community);
  return 0;
}
