// What the query items share beyond the exported request operations: the agent
// addressing made current for a run of requests, and freeing a value descriptor.
#pragma once

#include "query/snmp_session.h"

// Opens the printer's agent (read or write community) and makes an exchange with
// its addressing the session's current one for the scope's life; restores the
// previous current exchange and frees the addressing at the end.
class AgentScope {
 public:
  AgentScope(LPCSTR printerName, SnmpSession* session, bool writeCommunity);
  ~AgentScope();
  AgentScope(const AgentScope&) = delete;
  AgentScope& operator=(const AgentScope&) = delete;
  // SnmpOpenAgent's result: 1 when the addressing was made.
  int result() const { return result_; }

 private:
  SnmpSession* session_;
  SnmpExchange exchange_{};
  SnmpExchange* previous_ = nullptr;
  HSNMP_ENTITY source_ = 0;
  HSNMP_ENTITY destination_ = 0;
  HSNMP_CONTEXT context_ = 0;
  int result_ = SNMP_RESULT_FAILED;
};

// Frees the data of a value descriptor (octets, OID) and leaves it NULL.
void FreeValue(smiLPVALUE value);
// Frees an OID descriptor and leaves it empty.
void FreeOid(smiLPOID oid);

// One exchange of the given PDU type and request kind on the session's current
// exchange: the text (or the OID when the text is null) as the object, the value
// for SET. The SET of a trap-host row uses the kinds 8 and 66.
int SnmpRequestOfKind(SnmpSession* session, smiINT type, smiINT32 kind, smiLPCOID object, LPCSTR objectText,
                      smiLPCVALUE value, smiLPOID nameOut, smiLPVALUE valueOut);
