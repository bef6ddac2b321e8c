// Receiving one trap into the session's record.
#include <cstring>

#include "platform/base/codepage.h"
#include "query/object_requests.h"
#include "query/trap_reception.h"
#include "query/trap_store.h"

namespace {

struct KindRow {
  const char* identifier;
  WORD kind;
};

const KindRow kKinds[] = {
    {"1.3.6.1.2.1.1.2.0.0.501", kTrapJobStart},    {"1.3.6.1.2.1.1.2.0.0.503", kTrapJobEnd},
    {"1.3.6.1.2.1.43.18.2.0.1", kTrapAlert},       {"1.3.6.1.2.1.1.2.0.0.504", kTrapJobParsed},
    {"1.3.6.1.2.1.1.2.0.0.505", kTrapJobProgress}, {"1.3.6.1.2.1.1.2.0.0.506", kTrapJobOther},
    {"1.3.6.1.4.1.4417.7.0.501", kTrapJobStart},   {"1.3.6.1.4.1.4417.7.0.503", kTrapJobEnd},
    {"1.3.6.1.4.1.4417.7.0.504", kTrapJobParsed},  {"1.3.6.1.4.1.4417.7.0.505", kTrapJobProgress},
    {"1.3.6.1.4.1.4417.7.0.506", kTrapJobOther},
};

// Where a var-bind of a trap kind goes: an integer slot (size 0) or a text slot.
struct Slot {
  WORD kind;
  smiUINT32 varBind;
  size_t offset;
  size_t size;
};

const Slot kSlots[] = {
    {kTrapAlert, 3, offsetof(SnmpTrapRecord, alertRowIndex), 0},
    {kTrapAlert, 4, offsetof(SnmpTrapRecord, alertVarBind4), 0},
    {kTrapAlert, 5, offsetof(SnmpTrapRecord, alertVarBind5), 0},
    {kTrapAlert, 8, offsetof(SnmpTrapRecord, alertVarBind8), 0},
    {kTrapAlert, 7, offsetof(SnmpTrapRecord, alertVarBind7), 0},
    {kTrapJobStart, 6, offsetof(SnmpTrapRecord, value310), 0},
    {kTrapJobStart, 3, offsetof(SnmpTrapRecord, text314), 256},
    {kTrapJobStart, 4, offsetof(SnmpTrapRecord, text570), 256},
    {kTrapJobStart, 5, offsetof(SnmpTrapRecord, text826), 256},
    {kTrapJobStart, 8, offsetof(SnmpTrapRecord, text1090), 51},
    {kTrapJobStart, 7, offsetof(SnmpTrapRecord, value1141), 0},
    {kTrapJobEnd, 3, offsetof(SnmpTrapRecord, value310), 0},
    {kTrapJobEnd, 4, offsetof(SnmpTrapRecord, value1082), 0},
    {kTrapJobEnd, 5, offsetof(SnmpTrapRecord, value1086), 0},
    {kTrapJobEnd, 7, offsetof(SnmpTrapRecord, value1145), 0},
    {kTrapJobParsed, 3, offsetof(SnmpTrapRecord, value310), 0},
    {kTrapJobParsed, 4, offsetof(SnmpTrapRecord, text314), 256},
    {kTrapJobParsed, 5, offsetof(SnmpTrapRecord, value1149), 0},
    {kTrapJobParsed, 6, offsetof(SnmpTrapRecord, value1153), 0},
    {kTrapJobProgress, 3, offsetof(SnmpTrapRecord, value310), 0},
    {kTrapJobProgress, 4, offsetof(SnmpTrapRecord, text314), 256},
    {kTrapJobProgress, 5, offsetof(SnmpTrapRecord, value1157), 0},
    {kTrapJobProgress, 6, offsetof(SnmpTrapRecord, value1149), 0},
    {kTrapJobProgress, 7, offsetof(SnmpTrapRecord, value1153), 0},
    {kTrapJobOther, 3, offsetof(SnmpTrapRecord, value310), 0},
};

bool IsNumber(smiUINT32 syntax) {
  switch (syntax) {
    case SNMP_SYNTAX_INT:
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_TIMETICKS:
    case SNMP_SYNTAX_UINT32: return true;
    default: return false;
  }
}

void Store(SnmpTrapRecord& record, WORD kind, smiUINT32 varBind, const smiVALUE& value) {
  BYTE* base = reinterpret_cast<BYTE*>(&record);
  for (const Slot& slot : kSlots) {
    if (slot.kind != kind || slot.varBind != varBind) continue;
    if (slot.size == 0) {
      const int32_t number = IsNumber(value.syntax) ? value.value.sNumber : 0;
      std::memcpy(base + slot.offset, &number, sizeof number);
    } else if (value.syntax == SNMP_SYNTAX_OCTETS && value.value.string.ptr) {
      // The octets, cut to the slot less one byte and terminated.
      // Whole characters only: trap texts of Japanese printers are Shift-JIS.
      const std::string_view octets(reinterpret_cast<const char*>(value.value.string.ptr), value.value.string.len);
      const size_t count = platform::WholeCharacterPrefix(octets, slot.size - 1);
      std::memcpy(base + slot.offset, value.value.string.ptr, count);
      base[slot.offset + count] = 0;
    }
  }
}

}  // namespace

WORD TrapKindOf(const smiOID& trapOid) {
  for (const KindRow& row : kKinds) {
    OwnedOid identifier(row.identifier);
    smiINT compared = 1;
    if (identifier.ok() && SnmpOidCompare(&identifier.oid, &trapOid, 11, &compared) == SNMPAPI_SUCCESS &&
        compared == 0) {
      return row.kind;
    }
  }
  return kTrapUnknown;
}

void StoreTrap(SnmpSession* session, HSNMP_ENTITY source, HSNMP_PDU pdu) {
  SnmpTrapRecord record{};
  HSNMP_VBL list = 0;
  smiINT type = 0, status = 0, index = 0;
  smiINT32 requestId = 0;
  if (SnmpGetPduData(pdu, &type, &requestId, &status, &index, &list) == SNMPAPI_SUCCESS) {
    const SNMPAPI_STATUS count = SnmpCountVbl(list);
    if (count >= 2 && count != SNMPAPI_FAILURE) {
      OwnedOid name;
      OwnedValue identifier;
      if (SnmpGetVb(list, 2, &name.oid, &identifier.value) == SNMPAPI_SUCCESS &&
          identifier.value.syntax == SNMP_SYNTAX_OID) {
        record.kind = TrapKindOf(identifier.value.value.oid);
      }
    }
    for (smiUINT32 i = 3; record.kind != kTrapUnknown && i <= count; ++i) {
      OwnedOid name;
      OwnedValue value;
      if (SnmpGetVb(list, i, &name.oid, &value.value) != SNMPAPI_SUCCESS) break;
      Store(record, record.kind, i, value.value);
    }
    SnmpEntityToStr(source, sizeof record.sender, record.sender);
  }
  if (list) SnmpFreeVbl(list);
  session->lastTrap = record;
}

void SnmpOnTrap(SnmpSession* session) {
  if (session) ReceiveMessage(session, true);
}
