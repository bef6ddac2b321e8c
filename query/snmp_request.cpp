// One request exchange (GET, GETNEXT, SET) and the wait for its reply.
#include "query/snmp_request.h"

#include <atomic>

#include "platform/base/sync.h"
#include "query/request_ids.h"

namespace {

std::atomic<smiINT32> g_requestCount{0};

// Frees what one exchange made, whatever step it reached.
struct ExchangeParts {
  smiOID converted{};
  HSNMP_VBL list = 0;
  HSNMP_PDU request = 0;
  HSNMP_PDU reply = 0;
  HSNMP_VBL replyList = 0;
  ~ExchangeParts() {
    FreeOid(&converted);
    if (list) SnmpFreeVbl(list);
    if (request) SnmpFreePdu(request);
    if (reply) SnmpFreePdu(reply);
    if (replyList) SnmpFreeVbl(replyList);
  }
};

int LastError(const SnmpSession* session) { return static_cast<int>(SnmpGetLastError(session->session)); }

}  // namespace

smiINT32 NextRequestId(RequestKind kind) {
  // Kept positive: 23 bits of count above the kind's byte.
  const smiINT32 count = (g_requestCount.fetch_add(1) % 0x7FFFFF) + 1;
  return (count << 8) | kind;
}

void FreeOid(smiLPOID oid) {
  if (oid && oid->ptr) SnmpFreeDescriptor(SNMP_SYNTAX_OID, reinterpret_cast<smiLPOPAQUE>(oid));
  if (oid) *oid = smiOID{};
}

void FreeValue(smiLPVALUE value) {
  if (!value) return;
  switch (value->syntax) {
    case SNMP_SYNTAX_OCTETS:
    case SNMP_SYNTAX_IPADDR:
    case SNMP_SYNTAX_OPAQUE:
      if (value->value.string.ptr) {
        SnmpFreeDescriptor(value->syntax, reinterpret_cast<smiLPOPAQUE>(&value->value.string));
      }
      break;
    case SNMP_SYNTAX_OID: FreeOid(&value->value.oid); break;
    default: break;
  }
  *value = smiVALUE{};
  value->syntax = SNMP_SYNTAX_NULL;
}

int SnmpRequestOfKind(SnmpSession* session, smiINT type, smiINT32 kind, smiLPCOID object, LPCSTR objectText,
                      smiLPCVALUE value, smiLPOID nameOut, smiLPVALUE valueOut) {
  if (!session || !session->current) return SNMP_RESULT_FAILED;
  SnmpExchange* exchange = session->current;
  session->status = SNMP_STATUS_WAITING;
  ExchangeParts parts;
  smiLPCOID name = object;
  if (objectText) {
    if (SnmpStrToOid(objectText, &parts.converted) == SNMPAPI_FAILURE) return LastError(session);
    name = &parts.converted;
  }
  if (!name) return SNMP_RESULT_FAILED;
  const bool isSet = type == static_cast<smiINT>(SNMP_PDU_SET);
  parts.list = SnmpCreateVbl(session->session, name, isSet ? value : nullptr);
  if (!parts.list) return LastError(session);
  exchange->requestId = NextRequestId(static_cast<RequestKind>(kind));
  parts.request = SnmpCreatePdu(session->session, type, exchange->requestId, 0, 0, parts.list);
  if (!parts.request) return LastError(session);

  // The reply handler receives the reply's own addressing into the exchange; the
  // addressing of the request is put back afterwards for the next request.
  const SnmpExchange sent = *exchange;
  exchange->pdu = &parts.reply;
  int result = SnmpSendRequest(session, sent.context, sent.source, sent.destination, parts.request);
  if (result == SNMP_RESULT_OK) {
    SnmpWaitForReply(session);
    if (session->status == SNMP_STATUS_ABORTED) result = SNMP_RESULT_TIMEOUT;
  }
  if (exchange->source != sent.source) SnmpFreeEntity(exchange->source);
  if (exchange->destination != sent.destination) SnmpFreeEntity(exchange->destination);
  if (exchange->context != sent.context) SnmpFreeContext(exchange->context);
  *exchange = sent;
  exchange->pdu = nullptr;
  if (result != SNMP_RESULT_OK) return result;

  smiINT replyType = 0, errorStatus = 0, errorIndex = 0;
  smiINT32 requestId = 0;
  if (SnmpGetPduData(parts.reply, &replyType, &requestId, &errorStatus, &errorIndex, &parts.replyList) ==
      SNMPAPI_FAILURE) {
    return LastError(session);
  }
  if (errorStatus != 0) return SNMP_RESULT_AGENT_ERROR + errorStatus;
  if (replyType != static_cast<smiINT>(SNMP_PDU_RESPONSE)) return SNMP_RESULT_FAILED;
  smiOID replyName{};
  smiVALUE replyValue{};
  if (SnmpGetVb(parts.replyList, 1, &replyName, &replyValue) == SNMPAPI_FAILURE) return LastError(session);
  // The name out may be the request's own object (a walk's cursor): its old value
  // is freed only now that the request is done with it.
  if (nameOut) {
    if (nameOut == object) FreeOid(nameOut);
    *nameOut = replyName;
  } else {
    FreeOid(&replyName);
  }
  if (valueOut) {
    *valueOut = replyValue;
  } else {
    FreeValue(&replyValue);
  }
  return SNMP_RESULT_OK;
}

int SnmpGetRequest(smiLPCOID oid, LPCSTR oidText, smiLPOID nameOut, smiLPVALUE valueOut, SnmpSession* session) {
  return SnmpRequestOfKind(session, SNMP_PDU_GET, kRequestGet, oid, oidText, nullptr, nameOut, valueOut);
}

int SnmpSetRequest(smiLPCOID oid, LPCSTR oidText, smiLPOID nameOut, smiLPCVALUE value, SnmpSession* session) {
  smiVALUE echoed{};
  const int result = SnmpRequestOfKind(session, SNMP_PDU_SET, kRequestSet, oid, oidText, value, nameOut, &echoed);
  FreeValue(&echoed);
  return result;
}

int SnmpGetNextRequest(smiLPCOID baseOid, smiLPCOID cursorOid, smiLPOID nameOut, smiLPVALUE valueOut,
                       SnmpSession* session) {
  if (!baseOid || !cursorOid) return SNMP_RESULT_FAILED;
  // The base is compared after the cursor (which may be the name out) moved.
  smiOID base{};
  if (SnmpOidCopy(baseOid, &base) == SNMPAPI_FAILURE) return static_cast<int>(SnmpGetLastError(0));
  smiOID returned{};
  smiLPOID nameTarget = nameOut ? nameOut : &returned;
  int result =
      SnmpRequestOfKind(session, SNMP_PDU_GETNEXT, kRequestGet, cursorOid, nullptr, nullptr, nameTarget, valueOut);
  if (result == SNMP_RESULT_OK) {
    smiINT compared = 0;
    SnmpOidCompare(&base, nameTarget, base.len, &compared);
    // A name shorter than the base cannot lie under it.
    if (compared != 0 || nameTarget->len < base.len) result |= SNMP_RESULT_OUTSIDE_SUBTREE;
  }
  FreeOid(&returned);
  FreeOid(&base);
  return result;
}

int SnmpSendRequest(SnmpSession* session, HSNMP_CONTEXT context, HSNMP_ENTITY source, HSNMP_ENTITY destination,
                    HSNMP_PDU pdu) {
  if (!session) return SNMP_RESULT_FAILED;
  if (SnmpSendMsg(session->session, source, destination, context, pdu) == SNMPAPI_FAILURE) {
    return LastError(session);
  }
  return SNMP_RESULT_OK;
}

int SnmpWaitForReply(SnmpSession* session) {
  if (!session) return SNMP_RESULT_FAILED;
  const UINT_PTR timer = session->session + SNMP_TIMER_BASE;
  SetTimer(session->window, timer, SNMP_REPLY_WAIT_MS, nullptr);
  // The timer ends the wait through the window; the deadline stands behind it for
  // a window whose procedure does not pass the timer on.
  const DWORD started = GetTickCount();
  const DWORD limit = SNMP_REPLY_WAIT_MS + 500;
  bool quit = false;
  int quitCode = 0;
  while (session->status == SNMP_STATUS_WAITING) {
    MSG msg{};
    if (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Given back to the caller's loop once the wait is over.
        quit = true;
        quitCode = static_cast<int>(msg.wParam);
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      continue;
    }
    // Sleeps until a message or the timer: the reply is posted as a message.
    const DWORD elapsed = GetTickCount() - started;
    if (elapsed >= limit) {
      session->status = SNMP_STATUS_ABORTED;
      break;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, limit - elapsed, QS_ALLINPUT);
  }
  KillTimer(session->window, timer);
  if (quit) PostQuitMessage(quitCode);
  return session->status;
}
