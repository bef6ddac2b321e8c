// Entities, contexts, PDUs, variable-binding lists, descriptors and OIDs.
#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/snmp/snmp_tables.h"

namespace platform::snmp {
namespace {

thread_local SNMPAPI_STATUS t_lastError = 0;

SNMPAPI_STATUS Fail(SNMPAPI_STATUS error) {
  t_lastError = error;
  return SNMPAPI_FAILURE;
}

bool CopyOid(const Oid& from, smiOID* to) {
  to->len = 0;
  to->ptr = nullptr;
  if (from.empty()) return true;
  to->ptr = static_cast<smiUINT32*>(std::malloc(from.size() * sizeof(smiUINT32)));
  if (!to->ptr) return false;
  std::copy(from.begin(), from.end(), to->ptr);
  to->len = static_cast<smiUINT32>(from.size());
  return true;
}

Oid OidOf(const smiOID* oid) {
  if (!oid || !oid->ptr) return {};
  return Oid(oid->ptr, oid->ptr + oid->len);
}

}  // namespace

HandleTable<Entity>& Entities() {
  static HandleTable<Entity> table;
  return table;
}
HandleTable<std::string>& Contexts() {
  static HandleTable<std::string> table;
  return table;
}
HandleTable<Pdu>& Pdus() {
  static HandleTable<Pdu> table;
  return table;
}
HandleTable<std::vector<VarBind>>& Lists() {
  static HandleTable<std::vector<VarBind>> table;
  return table;
}

void SetSnmpError(SNMPAPI_STATUS error) { t_lastError = error; }

std::optional<Address> ParseAddress(const std::string& text, uint16_t defaultPort) {
  std::string host = text;
  uint16_t port = defaultPort;
  const size_t colon = text.find(':');
  if (colon != std::string::npos) {
    host = text.substr(0, colon);
    const std::string digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) {
      return std::nullopt;
    }
    const unsigned long number = std::strtoul(digits.c_str(), nullptr, 10);
    if (number == 0 || number > 65535) return std::nullopt;
    port = static_cast<uint16_t>(number);
  }
  in_addr address{};
  if (host.empty() || inet_pton(AF_INET, host.c_str(), &address) != 1) return std::nullopt;
  return Address{address.s_addr, port};
}

std::string AddressText(const Address& address) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr in{};
  in.s_addr = address.ip;
  inet_ntop(AF_INET, &in, text, sizeof text);
  return text;
}

// The agents' port of the machine: 161 unless the machine names another (tests
// run their agents on high loopback ports, where a printer's address has none).
uint16_t AgentPort() {
  const char* configured = std::getenv("ZEL_SNMP_AGENT_PORT");
  const long port = configured ? std::strtol(configured, nullptr, 10) : 0;
  return port > 0 && port < 65536 ? static_cast<uint16_t>(port) : 161;
}

}  // namespace platform::snmp

using namespace platform::snmp;

SNMPAPI_STATUS SnmpGetLastError(HSNMP_SESSION) { return t_lastError; }

HSNMP_ENTITY SnmpStrToEntity(HSNMP_SESSION, LPCSTR text) {
  if (!SnmpStarted()) return Fail(SNMPAPI_NOT_INITIALIZED);
  const std::optional<Address> address = text ? ParseAddress(text, AgentPort()) : std::nullopt;
  if (!address) return Fail(SNMPAPI_ENTITY_UNKNOWN);
  return Entities().Insert(Entity{*address, text});
}

SNMPAPI_STATUS SnmpEntityToStr(HSNMP_ENTITY handle, smiUINT32 size, LPSTR text) {
  const std::optional<Entity> entity = Entities().Find(handle);
  if (!entity) return Fail(SNMPAPI_ENTITY_INVALID);
  if (!text || size == 0) return Fail(SNMPAPI_SIZE_INVALID);
  const size_t count = std::min<size_t>(entity->text.size(), size - 1);
  std::memcpy(text, entity->text.data(), count);
  text[count] = 0;
  if (count < entity->text.size()) return Fail(SNMPAPI_OUTPUT_TRUNCATED);
  return static_cast<SNMPAPI_STATUS>(count + 1);
}

SNMPAPI_STATUS SnmpFreeEntity(HSNMP_ENTITY entity) {
  return Entities().Erase(entity) ? SNMPAPI_SUCCESS : Fail(SNMPAPI_ENTITY_INVALID);
}

HSNMP_CONTEXT SnmpStrToContext(HSNMP_SESSION, smiLPCOCTETS community) {
  if (!SnmpStarted()) return Fail(SNMPAPI_NOT_INITIALIZED);
  if (!community || (community->len && !community->ptr)) return Fail(SNMPAPI_CONTEXT_INVALID);
  return Contexts().Insert(std::string(reinterpret_cast<const char*>(community->ptr), community->len));
}

SNMPAPI_STATUS SnmpFreeContext(HSNMP_CONTEXT context) {
  return Contexts().Erase(context) ? SNMPAPI_SUCCESS : Fail(SNMPAPI_CONTEXT_INVALID);
}

HSNMP_PDU SnmpCreatePdu(HSNMP_SESSION, smiINT type, smiINT32 requestId, smiINT errorStatus, smiINT errorIndex,
                        HSNMP_VBL list) {
  if (!SnmpStarted()) return Fail(SNMPAPI_NOT_INITIALIZED);
  Pdu pdu;
  pdu.type = type;
  pdu.requestId = requestId;
  pdu.errorStatus = errorStatus;
  pdu.errorIndex = errorIndex;
  if (list) {
    const auto bindings = Lists().Find(list);
    if (!bindings) return Fail(SNMPAPI_VBL_INVALID);
    pdu.bindings = *bindings;
  }
  switch (static_cast<smiUINT32>(type)) {
    case SNMP_PDU_GET:
    case SNMP_PDU_GETNEXT:
    case SNMP_PDU_RESPONSE:
    case SNMP_PDU_SET:
    case SNMP_PDU_TRAP: break;
    default: return Fail(SNMPAPI_PDU_INVALID);
  }
  return Pdus().Insert(std::move(pdu));
}

SNMPAPI_STATUS SnmpGetPduData(HSNMP_PDU handle, smiLPINT type, smiINT32* requestId, smiLPINT errorStatus,
                              smiLPINT errorIndex, LPHSNMP_VBL list) {
  const std::optional<Pdu> pdu = Pdus().Find(handle);
  if (!pdu) return Fail(SNMPAPI_PDU_INVALID);
  if (type) *type = pdu->type;
  if (requestId) *requestId = pdu->requestId;
  if (errorStatus) *errorStatus = pdu->errorStatus;
  if (errorIndex) *errorIndex = pdu->errorIndex;
  if (list) *list = Lists().Insert(pdu->bindings);
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpFreePdu(HSNMP_PDU pdu) { return Pdus().Erase(pdu) ? SNMPAPI_SUCCESS : Fail(SNMPAPI_PDU_INVALID); }

HSNMP_VBL SnmpCreateVbl(HSNMP_SESSION, smiLPCOID name, smiLPCVALUE value) {
  if (!SnmpStarted()) return Fail(SNMPAPI_NOT_INITIALIZED);
  std::vector<VarBind> bindings;
  if (name) {
    if (name->len == 0 || !name->ptr || name->len > MAXOBJIDSIZE) return Fail(SNMPAPI_OID_INVALID);
    VarBind binding;
    binding.name = OidOf(name);
    if (value) {
      binding.value.syntax = value->syntax;
      switch (value->syntax) {
        case SNMP_SYNTAX_INT:
        case SNMP_SYNTAX_CNTR32:
        case SNMP_SYNTAX_GAUGE32:
        case SNMP_SYNTAX_TIMETICKS:
        case SNMP_SYNTAX_UINT32: binding.value.number = value->value.uNumber; break;
        case SNMP_SYNTAX_CNTR64:
          binding.value.high = value->value.hNumber.hipart;
          binding.value.number = value->value.hNumber.lopart;
          break;
        case SNMP_SYNTAX_OCTETS:
        case SNMP_SYNTAX_IPADDR:
        case SNMP_SYNTAX_OPAQUE:
          if (value->value.string.len && !value->value.string.ptr) return Fail(SNMPAPI_SYNTAX_INVALID);
          if (value->value.string.ptr) {
            binding.value.octets.assign(value->value.string.ptr, value->value.string.ptr + value->value.string.len);
          }
          if (value->syntax == SNMP_SYNTAX_IPADDR && binding.value.octets.size() != 4) {
            return Fail(SNMPAPI_SYNTAX_INVALID);
          }
          break;
        case SNMP_SYNTAX_OID: binding.value.oid = OidOf(&value->value.oid); break;
        case SNMP_SYNTAX_NULL: break;
        default: return Fail(SNMPAPI_SYNTAX_INVALID);
      }
    }
    bindings.push_back(std::move(binding));
  }
  return Lists().Insert(std::move(bindings));
}

SNMPAPI_STATUS SnmpFreeVbl(HSNMP_VBL list) { return Lists().Erase(list) ? SNMPAPI_SUCCESS : Fail(SNMPAPI_VBL_INVALID); }

SNMPAPI_STATUS SnmpCountVbl(HSNMP_VBL list) {
  const auto bindings = Lists().Find(list);
  if (!bindings) return Fail(SNMPAPI_VBL_INVALID);
  if (bindings->empty()) return Fail(SNMPAPI_NOOP);
  return static_cast<SNMPAPI_STATUS>(bindings->size());
}

SNMPAPI_STATUS SnmpGetVb(HSNMP_VBL list, smiUINT32 index, smiLPOID name, smiLPVALUE value) {
  const auto bindings = Lists().Find(list);
  if (!bindings) return Fail(SNMPAPI_VBL_INVALID);
  if (index < 1 || index > bindings->size()) return Fail(SNMPAPI_INDEX_INVALID);
  const VarBind& binding = (*bindings)[index - 1];
  if (name && !CopyOid(binding.name, name)) return Fail(SNMPAPI_ALLOC_ERROR);
  if (value) {
    std::memset(value, 0, sizeof *value);
    value->syntax = binding.value.syntax;
    switch (binding.value.syntax) {
      case SNMP_SYNTAX_CNTR64:
        value->value.hNumber.hipart = binding.value.high;
        value->value.hNumber.lopart = binding.value.number;
        break;
      case SNMP_SYNTAX_OCTETS:
      case SNMP_SYNTAX_IPADDR:
      case SNMP_SYNTAX_OPAQUE:
        if (!binding.value.octets.empty()) {
          value->value.string.ptr = static_cast<smiLPBYTE>(std::malloc(binding.value.octets.size()));
          if (!value->value.string.ptr) return Fail(SNMPAPI_ALLOC_ERROR);
          std::memcpy(value->value.string.ptr, binding.value.octets.data(), binding.value.octets.size());
          value->value.string.len = static_cast<smiUINT32>(binding.value.octets.size());
        }
        break;
      case SNMP_SYNTAX_OID:
        if (!CopyOid(binding.value.oid, &value->value.oid)) return Fail(SNMPAPI_ALLOC_ERROR);
        break;
      default: value->value.uNumber = binding.value.number; break;
    }
  }
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpFreeDescriptor(smiUINT32 syntax, smiLPOPAQUE descriptor) {
  if (!descriptor) return Fail(SNMPAPI_OPERATION_INVALID);
  switch (syntax) {
    case SNMP_SYNTAX_OCTETS:
    case SNMP_SYNTAX_IPADDR:
    case SNMP_SYNTAX_OPAQUE:
    case SNMP_SYNTAX_OID:
      // Both descriptor kinds are a length and one allocated block.
      std::free(descriptor->ptr);
      descriptor->ptr = nullptr;
      descriptor->len = 0;
      return SNMPAPI_SUCCESS;
    default: return Fail(SNMPAPI_SYNTAX_INVALID);
  }
}

SNMPAPI_STATUS SnmpStrToOid(LPCSTR text, smiLPOID oid) {
  if (!text || !oid) return Fail(SNMPAPI_OID_INVALID);
  const char* p = text;
  if (*p == '.') ++p;
  Oid parts;
  while (*p) {
    if (!std::isdigit(static_cast<unsigned char>(*p))) return Fail(SNMPAPI_OID_INVALID);
    unsigned long long number = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
      number = number * 10 + static_cast<unsigned>(*p - '0');
      if (number > 0xFFFFFFFFull) return Fail(SNMPAPI_OID_INVALID);
      ++p;
    }
    parts.push_back(static_cast<uint32_t>(number));
    if (*p == '.') {
      ++p;
      if (!*p) return Fail(SNMPAPI_OID_INVALID);
    } else if (*p) {
      return Fail(SNMPAPI_OID_INVALID);
    }
  }
  if (parts.empty() || parts.size() > MAXOBJIDSIZE) return Fail(SNMPAPI_OID_INVALID);
  if (!CopyOid(parts, oid)) return Fail(SNMPAPI_ALLOC_ERROR);
  return static_cast<SNMPAPI_STATUS>(parts.size());
}

SNMPAPI_STATUS SnmpOidToStr(smiLPCOID oid, smiUINT32 size, LPSTR text) {
  if (!oid || (oid->len && !oid->ptr)) return Fail(SNMPAPI_OID_INVALID);
  if (!text || size == 0) return Fail(SNMPAPI_SIZE_INVALID);
  std::string out;
  for (smiUINT32 i = 0; i < oid->len; ++i) {
    if (i) out += '.';
    out += std::to_string(oid->ptr[i]);
  }
  if (out.size() + 1 > size) {
    std::memcpy(text, out.data(), size - 1);
    text[size - 1] = 0;
    return Fail(SNMPAPI_OUTPUT_TRUNCATED);
  }
  std::memcpy(text, out.c_str(), out.size() + 1);
  return static_cast<SNMPAPI_STATUS>(out.size() + 1);
}

SNMPAPI_STATUS SnmpOidCopy(smiLPCOID source, smiLPOID destination) {
  if (!source || !destination || (source->len && !source->ptr)) return Fail(SNMPAPI_OID_INVALID);
  if (!CopyOid(OidOf(source), destination)) return Fail(SNMPAPI_ALLOC_ERROR);
  return static_cast<SNMPAPI_STATUS>(destination->len);
}

SNMPAPI_STATUS SnmpOidCompare(smiLPCOID first, smiLPCOID second, smiUINT32 maxLength, smiLPINT result) {
  if (!first || !second || !result || (first->len && !first->ptr) || (second->len && !second->ptr)) {
    return Fail(SNMPAPI_OID_INVALID);
  }
  if (maxLength > MAXOBJIDSIZE) return Fail(SNMPAPI_SIZE_INVALID);
  smiUINT32 a = first->len;
  smiUINT32 b = second->len;
  if (maxLength) {
    a = std::min(a, maxLength);
    b = std::min(b, maxLength);
  }
  const smiUINT32 common = std::min(a, b);
  for (smiUINT32 i = 0; i < common; ++i) {
    if (first->ptr[i] != second->ptr[i]) {
      *result = first->ptr[i] < second->ptr[i] ? -1 : 1;
      return SNMPAPI_SUCCESS;
    }
  }
  *result = a == b ? 0 : (a < b ? -1 : 1);
  return SNMPAPI_SUCCESS;
}
