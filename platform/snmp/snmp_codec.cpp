// The codec of the SNMP stand-in: net-snmp builds and parses the BER of each
// message; nothing else of net-snmp (sessions, transports, MIB files) is used.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/snmp/snmp_message.h"

namespace platform::snmp {
namespace {

// snmpTrapOID.0 and sysUpTime.0, and the generic traps' prefix snmpTraps.
const Oid kSysUpTime = {1, 3, 6, 1, 2, 1, 1, 3, 0};
const Oid kSnmpTrapOid = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};
const Oid kSnmpTraps = {1, 3, 6, 1, 6, 3, 1, 1, 5};

void StartLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    // A library inside other programs: no configuration files, no log lines.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_REVERSE_ENCODE, 1);
    snmp_disable_log();
    netsnmp_session scratch;
    snmp_sess_init(&scratch);
  });
}

std::vector<oid> ToNetsnmp(const Oid& name) { return std::vector<oid>(name.begin(), name.end()); }

Oid FromNetsnmp(const oid* name, size_t length) {
  Oid out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) out.push_back(static_cast<uint32_t>(name[i]));
  return out;
}

bool AddBinding(netsnmp_pdu* pdu, const VarBind& binding) {
  const std::vector<oid> name = ToNetsnmp(binding.name);
  const Value& value = binding.value;
  const u_char type = static_cast<u_char>(value.syntax);
  netsnmp_variable_list* added = nullptr;
  switch (value.syntax) {
    case ASN_INTEGER: {
      long number = static_cast<int32_t>(value.number);
      added = snmp_pdu_add_variable(pdu, name.data(), name.size(), type, &number, sizeof number);
      break;
    }
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_UINTEGER: {
      u_long number = value.number;
      added = snmp_pdu_add_variable(pdu, name.data(), name.size(), type, &number, sizeof number);
      break;
    }
    case ASN_COUNTER64: {
      counter64 number{value.high, value.number};
      added = snmp_pdu_add_variable(pdu, name.data(), name.size(), type, &number, sizeof number);
      break;
    }
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
    case ASN_OPAQUE:
      added = snmp_pdu_add_variable(pdu, name.data(), name.size(), type, value.octets.data(), value.octets.size());
      break;
    case ASN_OBJECT_ID: {
      const std::vector<oid> target = ToNetsnmp(value.oid);
      added = snmp_pdu_add_variable(pdu, name.data(), name.size(), type, target.data(), target.size() * sizeof(oid));
      break;
    }
    case ASN_NULL: added = snmp_pdu_add_variable(pdu, name.data(), name.size(), type, nullptr, 0); break;
    default: return false;
  }
  return added != nullptr;
}

Value ReadValue(const netsnmp_variable_list& var) {
  Value value;
  value.syntax = var.type;
  switch (var.type) {
    case ASN_INTEGER: value.number = static_cast<uint32_t>(static_cast<int32_t>(*var.val.integer)); break;
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_UINTEGER: value.number = static_cast<uint32_t>(*var.val.integer); break;
    case ASN_COUNTER64:
      value.high = static_cast<uint32_t>(var.val.counter64->high);
      value.number = static_cast<uint32_t>(var.val.counter64->low);
      break;
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
    case ASN_OPAQUE: value.octets.assign(var.val.string, var.val.string + var.val_len); break;
    case ASN_OBJECT_ID: value.oid = FromNetsnmp(var.val.objid, var.val_len / sizeof(oid)); break;
    default: break;  // NULL and the exceptions carry no data
  }
  return value;
}

// A version 1 trap in version 2 form: up time, the trap's identifier, its var-binds.
void ConvertV1Trap(const netsnmp_pdu& trap, Pdu& out) {
  VarBind upTime{kSysUpTime, {}};
  upTime.value.syntax = ASN_TIMETICKS;
  upTime.value.number = static_cast<uint32_t>(trap.time);
  VarBind trapOid{kSnmpTrapOid, {}};
  trapOid.value.syntax = ASN_OBJECT_ID;
  if (trap.trap_type == SNMP_TRAP_ENTERPRISESPECIFIC) {
    trapOid.value.oid = FromNetsnmp(trap.enterprise, trap.enterprise_length);
    trapOid.value.oid.push_back(0);
    trapOid.value.oid.push_back(static_cast<uint32_t>(trap.specific_type));
  } else {
    trapOid.value.oid = kSnmpTraps;
    trapOid.value.oid.push_back(static_cast<uint32_t>(trap.trap_type + 1));
  }
  out.type = SNMP_MSG_TRAP2;
  out.bindings.insert(out.bindings.begin(), {upTime, trapOid});
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodeMessage(const Pdu& in, const std::string& community) {
  StartLibrary();
  netsnmp_session session;
  snmp_sess_init(&session);
  session.version = SNMP_VERSION_1;
  std::string communityCopy = community;
  session.community = reinterpret_cast<u_char*>(communityCopy.data());
  session.community_len = communityCopy.size();
  netsnmp_pdu* pdu = snmp_pdu_create(in.type);
  if (!pdu) return std::nullopt;
  pdu->version = SNMP_VERSION_1;
  pdu->reqid = in.requestId;
  pdu->errstat = in.errorStatus;
  pdu->errindex = in.errorIndex;
  for (const VarBind& binding : in.bindings) {
    if (!AddBinding(pdu, binding)) {
      snmp_free_pdu(pdu);
      return std::nullopt;
    }
  }
  size_t size = 1024;
  size_t used = 0;
  u_char* buffer = static_cast<u_char*>(std::malloc(size));
  const int built = buffer ? snmp_build(&buffer, &size, &used, &session, pdu) : -1;
  std::optional<std::vector<uint8_t>> out;
  // Reverse encoding writes the message at the end of the buffer.
  if (built == 0) out.emplace(buffer + size - used, buffer + size);
  std::free(buffer);
  snmp_free_pdu(pdu);
  return out;
}

std::optional<Decoded> DecodeMessage(const uint8_t* data, size_t length) {
  StartLibrary();
  netsnmp_session session;
  snmp_sess_init(&session);
  netsnmp_pdu* pdu = static_cast<netsnmp_pdu*>(std::calloc(1, sizeof(netsnmp_pdu)));
  if (!pdu) return std::nullopt;
  std::vector<u_char> copy(data, data + length);
  const int parsed = snmp_parse(nullptr, &session, pdu, copy.data(), copy.size());
  std::optional<Decoded> out;
  if (parsed == 0 && (pdu->version == SNMP_VERSION_1 || pdu->version == SNMP_VERSION_2c)) {
    Decoded decoded;
    if (pdu->community) decoded.community.assign(reinterpret_cast<const char*>(pdu->community), pdu->community_len);
    decoded.pdu.type = pdu->command;
    decoded.pdu.requestId = static_cast<int32_t>(pdu->reqid);
    decoded.pdu.errorStatus = static_cast<int32_t>(pdu->errstat);
    decoded.pdu.errorIndex = static_cast<int32_t>(pdu->errindex);
    for (netsnmp_variable_list* var = pdu->variables; var; var = var->next_variable) {
      decoded.pdu.bindings.push_back(VarBind{FromNetsnmp(var->name, var->name_length), ReadValue(*var)});
    }
    if (pdu->command == SNMP_MSG_TRAP) {
      decoded.pdu.requestId = 0;
      ConvertV1Trap(*pdu, decoded.pdu);
    }
    out = std::move(decoded);
  }
  snmp_free_pdu(pdu);
  return out;
}

}  // namespace platform::snmp
