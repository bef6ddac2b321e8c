// The document and page calls of a printer device context, and ExtEscape: each
// raises its document event, then drives the graphics library and the spooler.
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/device_font.h"
#include "platform/spooler/spooler.h"

namespace platform::gdi {
namespace {

int StartDocument(HDC hdc, const DOCINFOW* info) {
  auto dc = FindDC(hdc);
  if (!dc) return SP_ERROR;
  if (info == nullptr || dc->inDocument) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  DOCINFOW docInfo = *info;
  // The library may point lpszOutput somewhere else (a file the user chose).
  LPDOCINFOW current = &docInfo;
  if (dc->RaiseEvent(DOCUMENTEVENT_STARTDOCPRE, sizeof current, &current, 0, nullptr) == DOCUMENTEVENT_FAILURE) {
    SetLastError(ERROR_PRINT_CANCELLED);
    return SP_ERROR;
  }
  std::u16string docName = current && current->lpszDocName ? Utf16FromZ(current->lpszDocName) : u"";
  std::u16string output = current && current->lpszOutput ? Utf16FromZ(current->lpszOutput) : u"";
  std::u16string datatype = u"RAW";
  DOC_INFO_1W spoolInfo{docName.data(), output.empty() ? nullptr : output.data(), datatype.data()};
  const DWORD jobId = StartDocPrinterW(dc->printer, 1, reinterpret_cast<LPBYTE>(&spoolInfo));
  if (jobId == 0) return SP_ERROR;

  auto startDoc = dc->driver->Get<PFN_DrvStartDoc>(INDEX_DrvStartDoc);
  if (!startDoc(dc->Surface(), docName.data(), jobId)) {
    DWORD error = GetLastError();
    AbortPrinter(dc->printer);
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_PRINT_CANCELLED);
    return SP_ERROR;
  }
  dc->inDocument = true;
  dc->jobId = jobId;
  LONG jobArgument = static_cast<LONG>(jobId);
  if (dc->RaiseEvent(DOCUMENTEVENT_STARTDOCPOST, sizeof jobArgument, &jobArgument, 0, nullptr) ==
      DOCUMENTEVENT_FAILURE) {
    AbandonDocument(*dc);
    SetLastError(ERROR_PRINT_CANCELLED);
    return SP_ERROR;
  }
  return static_cast<int>(jobId);
}

}  // namespace

void AbandonDocument(DeviceContext& dc) {
  if (!dc.inDocument) return;
  dc.RaiseEvent(DOCUMENTEVENT_ABORTDOC, 0, nullptr, 0, nullptr);
  dc.driver->Get<PFN_DrvEndDoc>(INDEX_DrvEndDoc)(dc.Surface(), ED_ABORTDOC);
  AbortPrinter(dc.printer);
  dc.inDocument = false;
  dc.inPage = false;
  dc.jobId = 0;
}

}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C int StartDocW(HDC hdc, const DOCINFOW* lpdi) { return StartDocument(hdc, lpdi); }

ZEL_EXTERN_C int StartDocA(HDC hdc, const DOCINFOA* lpdi) {
  if (lpdi == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  std::u16string name = lpdi->lpszDocName ? platform::ToUtf16(lpdi->lpszDocName) : u"";
  std::u16string output = lpdi->lpszOutput ? platform::ToUtf16(lpdi->lpszOutput) : u"";
  std::u16string datatype = lpdi->lpszDatatype ? platform::ToUtf16(lpdi->lpszDatatype) : u"";
  DOCINFOW wide{static_cast<int>(sizeof(DOCINFOW)), lpdi->lpszDocName ? name.c_str() : nullptr,
                lpdi->lpszOutput ? output.c_str() : nullptr, lpdi->lpszDatatype ? datatype.c_str() : nullptr,
                lpdi->fwType};
  return StartDocument(hdc, &wide);
}

ZEL_EXTERN_C int StartPage(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return SP_ERROR;
  // The driver's own page inside a document event at the end of the
  // application's page (a watermark drawn over it): the driver captures what is
  // drawn on it, so it nests in the open page.
  if (dc->inDocument && dc->inPage && dc->InsideEvent()) {
    if (!dc->driver->Get<PFN_DrvStartPage>(INDEX_DrvStartPage)(dc->Surface())) return SP_ERROR;
    ++dc->nestedPages;
    return 1;
  }
  if (!dc->inDocument || dc->inPage) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  if (dc->RaiseEvent(DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr) == DOCUMENTEVENT_FAILURE) {
    SetLastError(ERROR_PRINT_CANCELLED);
    return SP_ERROR;
  }
  StartPagePrinter(dc->printer);
  if (!dc->driver->Get<PFN_DrvStartPage>(INDEX_DrvStartPage)(dc->Surface())) return SP_ERROR;
  dc->inPage = true;
  return 1;
}

ZEL_EXTERN_C int EndPage(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return SP_ERROR;
  if (!dc->inPage) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  if (dc->nestedPages > 0 && dc->InsideEvent()) {
    --dc->nestedPages;
    return dc->driver->Get<PFN_DrvSendPage>(INDEX_DrvSendPage)(dc->Surface()) ? 1 : SP_ERROR;
  }
  dc->RaiseEvent(DOCUMENTEVENT_ENDPAGE, 0, nullptr, 0, nullptr);
  dc->inPage = false;  // the page is over whatever the driver answers
  const BOOL sent = dc->driver->Get<PFN_DrvSendPage>(INDEX_DrvSendPage)(dc->Surface());
  EndPagePrinter(dc->printer);
  return sent ? 1 : SP_ERROR;
}

ZEL_EXTERN_C int EndDoc(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return SP_ERROR;
  if (!dc->inDocument) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  // A page left open is finished first, as GDI does.
  if (dc->inPage) EndPage(hdc);
  // ENDDOCPRE may still draw (tab pages): the document stays open through it.
  dc->RaiseEvent(DOCUMENTEVENT_ENDDOCPRE, 0, nullptr, 0, nullptr);
  if (dc->inPage) EndPage(hdc);
  const BOOL ended = dc->driver->Get<PFN_DrvEndDoc>(INDEX_DrvEndDoc)(dc->Surface(), 0);
  DWORD error = GetLastError();
  BOOL delivered = ended ? EndDocPrinter(dc->printer) : AbortPrinter(dc->printer) && FALSE;
  if (!ended)
    SetLastError(error);
  else if (!delivered)
    error = GetLastError();
  dc->inDocument = false;
  dc->jobId = 0;
  dc->RaiseEvent(DOCUMENTEVENT_ENDDOCPOST, 0, nullptr, 0, nullptr);
  if (!ended || !delivered) {
    SetLastError(error);
    return SP_ERROR;
  }
  return 1;
}

ZEL_EXTERN_C int AbortDoc(HDC hdc) {
  auto dc = FindDC(hdc);
  if (!dc) return SP_ERROR;
  if (!dc->inDocument) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return SP_ERROR;
  }
  AbandonDocument(*dc);
  return 1;
}

ZEL_EXTERN_C int ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData) {
  auto dc = FindDC(hdc);
  if (!dc) return -1;
  if (cjInput < 0 || cjOutput < 0 || (cjInput > 0 && lpInData == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  DOCEVENT_ESCAPE escape{iEscape, cjInput, const_cast<LPSTR>(lpInData)};
  dc->RaiseEvent(DOCUMENTEVENT_ESCAPE, sizeof escape, &escape, static_cast<ULONG>(cjOutput), lpOutData);
  // The event may put a corrected input block of the same size in the
  // application's place (kept alive by the interface library past this call).
  if (escape.pvInData != nullptr && escape.cjInput == cjInput) lpInData = static_cast<LPCSTR>(escape.pvInData);
  int fontAnswer = 0;
  if (RouteFontEscape(*dc, iEscape, cjInput, lpInData, cjOutput, lpOutData, &fontAnswer)) return fontAnswer;
  auto drvEscape = dc->driver->Get<PFN_DrvEscape>(INDEX_DrvEscape);
  if (!drvEscape) return 0;
  const ULONG result = drvEscape(dc->Surface(), static_cast<ULONG>(iEscape), static_cast<ULONG>(cjInput),
                                 const_cast<LPSTR>(lpInData), static_cast<ULONG>(cjOutput), lpOutData);
  return static_cast<int>(result);
}
