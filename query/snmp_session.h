// The printer query library's conversation with WinSNMP: the session record that a
// caller owns, one request exchange at a time, and the result codes that every
// operation of the library answers.
//
// A caller's conversation: SnmpStartupSession; a zero-filled SnmpSession with its
// module instance, community "quokka" and notification message 0x1401;
// SnmpCreateSessionWindow; queries and trap operations; SnmpDestroySessionWindow;
// SnmpCleanupSession. Every exchange blocks the caller's thread, which keeps
// dispatching its window messages, until the reply or a 6000 ms timer.
#pragma once

#include "platform/snmp/winsnmp.h"
#include "platform/ui/window.h"
#include "query/trap_record.h"

#define QUERY_API ZEL_EXPORT

// Result codes.
#define SNMP_RESULT_FAILED 0
#define SNMP_RESULT_OK 1
#define SNMP_RESULT_TIMEOUT 108             // no reply within the wait, or the receive was aborted
#define SNMP_RESULT_AGENT_ERROR 0x6F00      // + the agent's error status
#define SNMP_RESULT_NO_SUCH_NAME 0x6F02     // 28418
#define SNMP_RESULT_OUTSIDE_SUBTREE 0x4000  // GETNEXT left the walked subtree
#define SNMP_RESULT_NO_LOGICAL_PRINTER 0x6000
#define SNMP_RESULT_TRAP_TABLE_FULL 10

// Window messages of the session window.
#define SNMP_MSG_REPLY 0x1401u
#define SNMP_MSG_TRAP 0x2401u
#define SNMP_MSG_ATTACH 0x3401u
// The wait's timer: id session handle + 0x4000, 6000 ms.
#define SNMP_TIMER_BASE 0x4000u
#define SNMP_REPLY_WAIT_MS 6000u

// The read community the caller puts into its session; the write community is the
// library's own, for the printer's trap-host table.
#define SNMP_READ_COMMUNITY "quokka"

// One request in flight: its addressing and where the reply's PDU goes. The
// request id tells the reply to this request from a late one to an earlier
// request: both come from the same agent, to the same session.
struct SnmpExchange {
  HSNMP_CONTEXT context;
  HSNMP_ENTITY source;
  HSNMP_ENTITY destination;
  HSNMP_PDU* pdu;
  smiINT32 requestId;
};

struct SnmpSession {
  HSNMP_SESSION session;      // every request is made on it
  HSNMP_SESSION trapSession;  // the same value, for trap reception and SnmpRegister
  HINSTANCE instance;         // owner of the hidden window; set by the caller
  HWND window;                // 0 until created
  char community[32];         // the read community
  WORD notificationMessage;   // 0x1401 for a window created here
  SHORT status;               // 0 waiting, 1 reply received, 3 timer or nothing pending
  SnmpExchange* current;      // the exchange in flight, or null
  SnmpTrapRecord lastTrap;    // the trap most recently received
  WORD setMode;               // 1: the query items write the caller's value with SET
  DWORD windowCreatedHere;
  DWORD logicalPrinterCache;  // 1: logical-printer rows are looked up in VPT.INI
  SnmpExchange trapExchange;  // the addressing of the trap operations
  WNDPROC previousProcedure;  // the EDIT class's procedure
};

// Session status values.
#define SNMP_STATUS_WAITING 0
#define SNMP_STATUS_REPLY 1
#define SNMP_STATUS_ABORTED 3

ZEL_EXTERN_C QUERY_API int SnmpStartupSession(void);
ZEL_EXTERN_C QUERY_API int SnmpCleanupSession(void);
ZEL_EXTERN_C QUERY_API int SnmpCreateSessionWindow(SnmpSession* session);
ZEL_EXTERN_C QUERY_API int SnmpDestroySessionWindow(SnmpSession* session);

// The object is the text, or the OID value when the text is null. Name and value
// are the caller's descriptors to free with SnmpFreeDescriptor.
ZEL_EXTERN_C QUERY_API int SnmpGetRequest(smiLPCOID oid, LPCSTR oidText, smiLPOID nameOut, smiLPVALUE valueOut,
                                          SnmpSession* session);
ZEL_EXTERN_C QUERY_API int SnmpSetRequest(smiLPCOID oid, LPCSTR oidText, smiLPOID nameOut, smiLPCVALUE value,
                                          SnmpSession* session);
// Callers pass the same OID as cursor and name out, so the cursor advances.
ZEL_EXTERN_C QUERY_API int SnmpGetNextRequest(smiLPCOID baseOid, smiLPCOID cursorOid, smiLPOID nameOut,
                                              smiLPVALUE valueOut, SnmpSession* session);
ZEL_EXTERN_C QUERY_API int SnmpSendRequest(SnmpSession* session, HSNMP_CONTEXT context, HSNMP_ENTITY source,
                                           HSNMP_ENTITY destination, HSNMP_PDU pdu);
ZEL_EXTERN_C QUERY_API int SnmpWaitForReply(SnmpSession* session);

ZEL_EXTERN_C QUERY_API int SnmpOpenAgent(LPCSTR printerName, SnmpSession* session, HSNMP_ENTITY* source,
                                         HSNMP_ENTITY* destination, HSNMP_CONTEXT* context, BOOL writeCommunity);
ZEL_EXTERN_C QUERY_API void SnmpCloseAgent(HSNMP_ENTITY source, HSNMP_ENTITY destination, HSNMP_CONTEXT context);
// The agent address of a printer, at most 32 characters: "@address" names itself;
// otherwise the printer's "Printer"/"IP" (or "Printer"/"IPX" for the IPX
// protocol); the empty text when it cannot be read.
ZEL_EXTERN_C QUERY_API void GetAgentAddress(LPCSTR printerName, char* address, DWORD size);

ZEL_EXTERN_C QUERY_API LRESULT SnmpSessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
ZEL_EXTERN_C QUERY_API void SnmpOnTimer(UINT_PTR timerId, SnmpSession* session);
ZEL_EXTERN_C QUERY_API void SnmpOnReply(SnmpSession* session);
