// The spooler's document-event entry point and its print query.
#include <new>

#include "interface/app/drv_trace.h"
#include "interface/job/document_events.h"
#include "platform/base/errors.h"

ZEL_EXPORT int DrvDocumentEvent(HANDLE hPrinter, HDC hdc, int iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut) {
  // Nothing may unwind into the application's printing call.
  try {
    return HandleDocumentEvent(hPrinter, hdc, iEsc, cbIn, pvIn, cbOut, pvOut);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return -1;
  } catch (...) {
    SetLastError(ERROR_GEN_FAILURE);
    return -1;
  }
}

ZEL_EXPORT BOOL DevQueryPrintEx(PVOID /*pDQPInfo*/) {
  DrvTrace("DevQueryPrintEx\n");
  return TRUE;
}
