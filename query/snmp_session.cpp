// Start-up and clean-up, the hidden session window and its procedure.
#include <cstring>

#include "platform/base/debug.h"
#include "query/snmp_session.h"
#include "query/trap_reception.h"
#include "query/trap_store.h"

namespace {

SnmpSession* AttachedSession(HWND window) {
  return reinterpret_cast<SnmpSession*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

int SnmpStartupSession(void) {
  smiUINT32 major = 0, minor = 0, level = 0, mode = 0, retransmit = 0;
  if (SnmpStartup(&major, &minor, &level, &mode, &retransmit) != SNMPAPI_SUCCESS) {
    return static_cast<int>(SnmpGetLastError(0));
  }
  if (mode != SNMPAPI_UNTRANSLATED_V1) {
    if (SnmpSetTranslateMode(SNMPAPI_UNTRANSLATED_V1) != SNMPAPI_SUCCESS) {
      return static_cast<int>(SnmpGetLastError(0));
    }
  }
  return SNMP_RESULT_OK;
}

int SnmpCleanupSession(void) {
  return SnmpCleanup() == SNMPAPI_SUCCESS ? SNMP_RESULT_OK : static_cast<int>(SnmpGetLastError(0));
}

int SnmpCreateSessionWindow(SnmpSession* session) {
  if (!session) return SNMP_RESULT_FAILED;
  if (session->window == 0) {
    const HWND window = CreateWindowExA(0, "EDIT", "ORBA SNMP", WS_POPUP | WS_BORDER | WS_SYSMENU | ES_NOHIDESEL, 100,
                                        50, 200, 200, 0, 0, session->instance, nullptr);
    if (window == 0) return SNMP_RESULT_FAILED;
    session->window = window;
    session->previousProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SnmpSessionWindowProc)));
    session->notificationMessage = SNMP_MSG_REPLY;
    session->windowCreatedHere = 1;
    SendMessageA(window, SNMP_MSG_ATTACH, 0, reinterpret_cast<LPARAM>(session));
  }
  // A second call must not leave the first WinSNMP session open behind it.
  if (session->session != 0) {
    SnmpClose(session->session);
    session->session = 0;
    session->trapSession = 0;
  }
  const HSNMP_SESSION handle = SnmpOpen(session->window, session->notificationMessage);
  session->session = handle;
  session->trapSession = handle;
  return handle != 0 ? SNMP_RESULT_OK : SNMP_RESULT_FAILED;
}

int SnmpDestroySessionWindow(SnmpSession* session) {
  if (!session) return SNMP_RESULT_FAILED;
  int result = SNMP_RESULT_FAILED;
  if (session->session != 0) {
    result = SnmpClose(session->session) == SNMPAPI_SUCCESS ? SNMP_RESULT_OK : SNMP_RESULT_FAILED;
    // Cleared, so that a second destruction does not close a handle again.
    session->session = 0;
    session->trapSession = 0;
  }
  if (session->windowCreatedHere) {
    DestroyWindow(session->window);
    session->window = 0;
    session->windowCreatedHere = 0;
  }
  session->logicalPrinterCache = 0;
  return result;
}

LRESULT SnmpSessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == SNMP_MSG_ATTACH) {
    SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
    return 0;
  }
  SnmpSession* session = AttachedSession(window);
  if (!session) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_TIMER: SnmpOnTimer(wParam, session); break;
    case SNMP_MSG_REPLY: SnmpOnReply(session); break;
    case SNMP_MSG_TRAP: SnmpOnTrap(session); break;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
  return CallWindowProcA(session->previousProcedure, window, message, wParam, lParam);
}

void SnmpOnTimer(UINT_PTR timerId, SnmpSession* session) {
  if (session && timerId == session->session + SNMP_TIMER_BASE) session->status = SNMP_STATUS_ABORTED;
}

// One received message for the session: a response goes to the request in
// flight, a trap to the session's last trap, whichever notification announced it
// (a session has one notification message for both).
void ReceiveMessage(SnmpSession* session, bool announcedAsTrap) {
  HSNMP_ENTITY source = 0, destination = 0;
  HSNMP_CONTEXT context = 0;
  HSNMP_PDU pdu = 0;
  const HSNMP_SESSION handle = announcedAsTrap ? session->trapSession : session->session;
  if (SnmpRecvMsg(handle, &source, &destination, &context, &pdu) != SNMPAPI_SUCCESS) {
    SnmpGetLastError(handle);
    if (announcedAsTrap) {
      session->lastTrap = SnmpTrapRecord{};
    } else if (session->current) {
      session->status = SNMP_STATUS_REPLY;
    } else {
      OutputDebugStringA("aborted Receive\n");
      session->status = SNMP_STATUS_ABORTED;
    }
    return;
  }
  smiINT type = 0;
  smiINT32 requestId = 0;
  SnmpGetPduData(pdu, &type, &requestId, nullptr, nullptr, nullptr);
  SnmpExchange* exchange = session->current;
  bool kept = false;
  if (type == static_cast<smiINT>(SNMP_PDU_TRAP)) {
    StoreTrap(session, source, pdu);
  } else if (!exchange) {
    OutputDebugStringA("aborted Receive\n");
    session->status = SNMP_STATUS_ABORTED;
  } else if (requestId == exchange->requestId) {
    // A reply to an earlier request (one that timed out) is not this request's
    // answer: only the matching one ends the wait.
    exchange->source = source;
    exchange->destination = destination;
    exchange->context = context;
    if (exchange->pdu) *exchange->pdu = pdu;
    session->status = SNMP_STATUS_REPLY;
    kept = exchange->pdu != nullptr;
  }
  if (kept) return;
  SnmpFreeEntity(source);
  SnmpFreeEntity(destination);
  SnmpFreeContext(context);
  SnmpFreePdu(pdu);
}

void SnmpOnReply(SnmpSession* session) {
  if (session) ReceiveMessage(session, false);
}
