// Registration for a printer's traps and this host's row in its trap-host table.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/base/codepage.h"
#include "query/object_requests.h"
#include "query/query_settings.h"
#include "query/request_ids.h"
#include "query/trap_reception.h"

namespace {

const char kTrapHostColumn[] = "1.3.6.1.4.1.4417.6.17.1.2.";
constexpr int kTrapHostRows = 32;

// The trap addressing: this host's entity and the agent's, a context of the
// session's community, made the session's current exchange for the operation.
class TrapAddressing {
 public:
  TrapAddressing(LPCSTR printerName, SnmpSession* session) : session_(session) {
    if (printerName) {
      char local[33] = {};
      GetTrapSourceAddress(local, printerName);
      here_ = SnmpStrToEntity(session->trapSession, local);
      char agent[33] = {};
      GetAgentAddress(printerName, agent, sizeof agent);
      agent_ = SnmpStrToEntity(session->trapSession, agent);
    }
    smiOCTETS community{static_cast<smiUINT32>(strnlen(session->community, sizeof session->community)),
                        reinterpret_cast<smiLPBYTE>(session->community)};
    context_ = SnmpStrToContext(session->trapSession, &community);
    session->trapExchange.context = context_;
    session->trapExchange.source = here_;
    session->trapExchange.destination = agent_;
    previous_ = session->current;
    session->current = &session->trapExchange;
  }
  ~TrapAddressing() {
    session_->current = previous_;
    session_->trapExchange.context = 0;
    session_->trapExchange.source = 0;
    session_->trapExchange.destination = 0;
    SnmpCloseAgent(here_, agent_, context_);
  }
  HSNMP_ENTITY here() const { return here_; }
  HSNMP_ENTITY agent() const { return agent_; }
  HSNMP_CONTEXT context() const { return context_; }

 private:
  SnmpSession* session_;
  SnmpExchange* previous_ = nullptr;
  HSNMP_ENTITY here_ = 0;
  HSNMP_ENTITY agent_ = 0;
  HSNMP_CONTEXT context_ = 0;
};

int Register(SnmpSession* session, const TrapAddressing& addressing, smiUINT32 state) {
  return SnmpRegister(session->trapSession, addressing.here(), addressing.agent(), addressing.context(), nullptr,
                      state) == SNMPAPI_SUCCESS
             ? SNMP_RESULT_OK
             : static_cast<int>(SnmpGetLastError(session->trapSession));
}

// The row this host holds, kept as decimal text in the printer's settings.
int GetTrapHostIndex(LPCSTR printerName) {
  OpenedPrinter printer(printerName, false);
  std::string text;
  if (!printer.ok() || !ReadPrinterSetting(printer.handle(), "TrapHostIndex", 16, &text)) return 0;
  const long row = std::strtol(text.c_str(), nullptr, 10);
  return row >= 1 && row <= kTrapHostRows ? static_cast<int>(row) : 0;
}

void SetTrapHostIndex(LPCSTR printerName, int row) {
  OpenedPrinter printer(printerName, true);
  if (!printer.ok()) return;
  char text[16] = {};
  std::snprintf(text, sizeof text, "%d", row);
  QuerySettings().SetString(printer.handle(), kStorePrinterData, "Printer", "TrapHostIndex", text);
}

int SetTrapHostRow(SnmpSession* session, int row, const BYTE address[4], RequestKind kind) {
  smiVALUE value{};
  value.syntax = SNMP_SYNTAX_IPADDR;
  value.value.string.len = 4;
  value.value.string.ptr = const_cast<BYTE*>(address);
  OwnedValue echoed;
  return SnmpRequestOfKind(session, SNMP_PDU_SET, kind, nullptr, Join(kTrapHostColumn, row).c_str(), &value, nullptr,
                           &echoed.value);
}

bool IsAddress(const OwnedValue& value) {
  return value.value.syntax == SNMP_SYNTAX_IPADDR && value.value.value.string.len == 4 && value.value.value.string.ptr;
}

int RegisterTrapHost(SnmpSession* session, const BYTE address[4], LPCSTR printerName) {
  AgentScope agent(printerName, session, true);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  // First pass: a row already ours. It runs to the end of the table, so that a
  // row of ours is never missed and taken a second time.
  int result = SNMP_RESULT_OK;
  int row = 0;
  for (int i = 1; i <= kTrapHostRows && row == 0; ++i) {
    OwnedValue value;
    result = GetObject(session, Join(kTrapHostColumn, i), value);
    if (IsNoSuchName(result)) {
      result = SNMP_RESULT_OK;
      break;
    }
    if (result != SNMP_RESULT_OK) return result;
    if (IsAddress(value) && std::memcmp(value.value.value.string.ptr, address, 4) == 0) row = i;
  }
  if (row == 0) {
    // Second pass: the first free row.
    for (int i = 1; i <= kTrapHostRows && row == 0; ++i) {
      OwnedValue value;
      result = GetObject(session, Join(kTrapHostColumn, i), value);
      if (result != SNMP_RESULT_OK) break;
      if (IsAddress(value) && value.value.value.string.ptr[0] == 0) {
        result = SetTrapHostRow(session, i, address, kRequestTrapHostSet);
        if (result != SNMP_RESULT_OK) return result;
        row = i;
      }
    }
    if (row == 0) return IsNoSuchName(result) || result == SNMP_RESULT_OK ? SNMP_RESULT_TRAP_TABLE_FULL : result;
  }
  SetTrapHostIndex(printerName, row);
  return SNMP_RESULT_OK;
}

int UnregisterTrapHost(LPCSTR printerName, SnmpSession* session) {
  const int row = GetTrapHostIndex(printerName);
  if (row == 0) return SNMP_RESULT_OK;
  int result = SNMP_RESULT_FAILED;
  {
    AgentScope agent(printerName, session, true);
    result = agent.result();
    if (result == SNMP_RESULT_OK) {
      const BYTE none[4] = {0, 0, 0, 0};
      result = SetTrapHostRow(session, row, none, kRequestSet);
    }
  }
  SetTrapHostIndex(printerName, 0);
  return result;
}

int ReadAlertDescription(SnmpSession* session) {
  const std::string object = "1.3.6.1.2.1.43.18.1.1.8.1." + std::to_string(session->lastTrap.alertRowIndex);
  OwnedValue value;
  const int result = GetObject(session, object, value);
  if (result == SNMP_RESULT_OK && value.IsOctets()) {
    char* text = session->lastTrap.alertDescription;
    std::memset(text, 0, sizeof session->lastTrap.alertDescription);
    const std::string shown = value.Text();
    std::memcpy(text, shown.data(),
                platform::WholeCharacterPrefix(shown, sizeof session->lastTrap.alertDescription - 1));
  }
  return result;
}

}  // namespace

int SnmpTrapControl(int operation, LPCSTR printerName, SnmpSession* session) {
  if (!session) return 0;
  int result = SNMP_RESULT_FAILED;
  TrapAddressing addressing(printerName, session);
  switch (operation) {
    case kTrapRegister: result = Register(session, addressing, SNMPAPI_ON); break;
    case kTrapReadAlertDescription: result = ReadAlertDescription(session); break;
    case kTrapRegisterHost: {
      LocalHostAddress local{};
      if (GetLocalHostAddressFor(printerName, &local) == 0) {
        result = RegisterTrapHost(session, local.address, printerName);
      }
      break;
    }
    case kTrapUnregisterHost:
      result = Register(session, addressing, SNMPAPI_OFF);
      if (result == SNMP_RESULT_OK) result = UnregisterTrapHost(printerName, session);
      break;
    case kTrapUnregister: result = Register(session, addressing, SNMPAPI_OFF); break;
    default: break;
  }
  return result == SNMP_RESULT_OK ? 1 : 0;
}
