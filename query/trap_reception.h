// Traps: the printer's events (job progress, alerts, the answer to a detection
// job) as SNMP version 1 traps, received into the session's last trap; this
// host's entry in the printer's trap-host table; this host's own address.
#pragma once

#include "query/snmp_session.h"

// This host's name and IPv4 address.
struct LocalHostAddress {
  char hostName[64];
  char addressText[32];
  BYTE address[4];  // network order
};
static_assert(sizeof(LocalHostAddress) == 100);

// Trap operations of SnmpTrapControl.
enum TrapOperation {
  kTrapRegister = 1,
  kTrapReadAlertDescription = 3,
  kTrapRegisterHost = 4,
  kTrapUnregisterHost = 5,
  kTrapUnregister = 8,
};

// Receives one trap (the session's trap notification) into the session's last trap.
ZEL_EXTERN_C QUERY_API void SnmpOnTrap(SnmpSession* session);
// 1 or 0.
ZEL_EXTERN_C QUERY_API int SnmpTrapControl(int operation, LPCSTR printerName, SnmpSession* session);
// 0 on success, else the failing call's error; the record is empty on failure.
ZEL_EXTERN_C QUERY_API int GetLocalHostAddress(LocalHostAddress* record);
// The address this host is reached at from the printer's agent; 0 on success.
ZEL_EXTERN_C QUERY_API int GetLocalHostAddressFor(LPCSTR printerName, LocalHostAddress* record);
// The address text, or "none".
ZEL_EXTERN_C QUERY_API void GetLocalHostAddressText(char* text, DWORD size);
// This host's address text as a trap destination for the printer: "ERROR" when the
// printer cannot be opened, uses IPX, or this host has no address.
ZEL_EXTERN_C QUERY_API void GetTrapSourceAddress(char* text, LPCSTR printerName);
// "NNNNNNNN.NNNNNNNNNNNN" (network, one separator, node) into 10 bytes written over
// the start of the text; FALSE, and the text unchanged, when it is not such a text.
ZEL_EXTERN_C QUERY_API BOOL ParseIpxAddress(char* text);

// The trap kind of a trap identifier text; 0 when it is not in the table.
WORD TrapKindOf(const smiOID& trapOid);
