// The document events: the job's context, the job data handed to the graphics
// library, the page decorations, the status monitor and the macro-file dialog.
#include "interface/job/document_events.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "common/driver_escapes.h"
#include "common/xdevmode.h"
#include "interface/app/drv_trace.h"
#include "interface/decorations/decoration_support.h"
#include "interface/decorations/page_decorations.h"
#include "interface/devmode/current_devmode.h"
#include "interface/devmode/printer_port.h"
#include "interface/devmode/server_down_probe.h"
#include "interface/devmode/validate_merge.h"
#include "interface/job/host_address.h"
#include "interface/job/job_context.h"
#include "interface/job/macro_file_dialog.h"
#include "interface/job/status_monitor_launch.h"
#include "interface/records/printer_info.h"
#include "interface/setup/temp_folder.h"
#include "interface/util/text_conversion.h"
#include "model/foreign_devmode.h"
#include "model/model_cache.h"
#include "platform/gdi/dc.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr WORD kOutputPrint = 1;
constexpr WORD kOutputMacroFile = 5;
constexpr DWORD kMonitorPerJob = 2;

bool Skipped(const JobContext* context) {
  return context == nullptr || (context->devmode.dmPrivate._dwAdvSettings & kAdvEmfSpooling) != 0;
}

void CopyAnsi(char* to, size_t size, const WCHAR* wide) {
  if (size == 0) return;
  to[0] = '\0';
  if (wide != nullptr) WideToAnsi(to, wide, static_cast<int>(size));
}

bool BeginsWithFile(const char* text) {
  if (text == nullptr) return false;
  for (int i = 0; i < 4; ++i) {
    const char c = text[i];
    if (c == '\0' || (c != "FILE"[i] && c != "file"[i])) return false;
  }
  return true;
}

// ---- device context -----------------------------------------------------------

int CreateDcPre(HANDLE printer, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut) {
  if (pvIn != nullptr && pvOut != nullptr && cbIn >= sizeof(DOCEVENT_CREATEDCPRE) && cbOut >= sizeof(PDEVMODEW)) {
    *static_cast<PDEVMODEW*>(pvOut) = static_cast<DOCEVENT_CREATEDCPRE*>(pvIn)->pdm;
  }
  BYTE* info = GetPrinterInfo(printer, 4);
  if (info == nullptr) return -1;
  const auto* printerInfo = reinterpret_cast<const PRINTER_INFO_4A*>(info);
  bool down = false;
  // A printer of this machine is always there; a network printer's server is
  // asked afresh for every device context, so that a server that came back
  // is found again rather than being held down by an earlier answer.
  if ((printerInfo->Attributes & PRINTER_ATTRIBUTE_NETWORK) != 0 && printerInfo->pServerName != nullptr &&
      printerInfo->pServerName[0] != '\0') {
    down = ProbeServerDown(printer, printerInfo->pPrinterName, printerInfo->pServerName);
  }
  FreePrinterInfo(info);
  return down ? -1 : 1;
}

bool IsDriverDevmode(const DEVMODEW* devmode) {
  if (devmode == nullptr || devmode->dmSize != kXDevModePublicSize || devmode->dmDriverExtra != kXDevModeDriverExtra) {
    return false;
  }
  return reinterpret_cast<const XDEVMODE*>(devmode)->dmPrivate.privateVersion == kXDevModePrivateVersion;
}

int CreateDcPost(HANDLE printer, HDC dc, ULONG cbIn, PVOID pvIn) {
  const DEVMODEW* passed = pvIn != nullptr && cbIn >= sizeof(PDEVMODEW) ? *static_cast<PDEVMODEW*>(pvIn) : nullptr;
  XDEVMODE devmode{};
  if (IsDriverDevmode(passed)) {
    std::memcpy(&devmode, passed, sizeof devmode);
    // The application's copy may carry texts without their terminators.
    TerminateDevmodeTexts(&devmode);
  } else {
    char name[MAX_PATH] = {};
    if (GetPrinterNameCopy(printer, name, sizeof name)[0] == '\0') {
      DrvTrace("Error - fnGetPrinterA\n");
      return -1;
    }
    if (!GetCurrentDevmode(printer, name, &devmode)) {
      DrvTrace("DrGetPrintSettings() in DrvDocumentEvent() failed!\n");
      return -1;
    }
  }
  return AddJobContext(dc, devmode) != nullptr ? 1 : -1;
}

int ResetDcPre(HDC dc, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut) {
  JobContext* context = FindJobContext(dc);
  if (Skipped(context) || pvIn == nullptr || pvOut == nullptr || cbIn < sizeof(PDEVMODEW) ||
      cbOut < sizeof(PDEVMODEW)) {
    return 1;
  }
  const DEVMODEW* incoming = *static_cast<PDEVMODEW*>(pvIn);
  if (incoming != nullptr) {
    char name[MAX_PATH] = {};
    WideToAnsi(name, context->devmode.dmPrivate._wsPrinterName, sizeof name);
    HANDLE printer = 0;
    if (OpenPrinterA(name, &printer, nullptr)) {
      const ModelRecord* record = GetModelRecord(printer, name, kModelReloadWhenMissing);
      if (record != nullptr) ValidateMergeDevmode(printer, &context->devmode, incoming, record);
      ClosePrinter(printer);
    }
  }
  *static_cast<PDEVMODEW*>(pvOut) = *static_cast<PDEVMODEW*>(pvIn);
  return 1;
}

// ---- document -----------------------------------------------------------------

void SendJobTables(HDC dc, HANDLE printer, JobContext& context) {
  AttachInsertSheetSet(dc, printer);
  AttachSlipSheetTable(dc, printer);
  const InsertSheetSet& set = context.insertSet;
  if (set.rows != nullptr) {
    ExtEscape(dc, kEscInsertSheetTable, set.rowCount * static_cast<int>(sizeof(PageTicketRow)),
              reinterpret_cast<const char*>(set.rows), 0, nullptr);
  }
  if (context.defaults != nullptr) {
    ExtEscape(dc, kEscInsertDefaults, sizeof(SlipSheetTable), reinterpret_cast<const char*>(context.defaults), 0,
              nullptr);
  }
}

int StartDocPre(HANDLE printer, HDC dc, ULONG cbIn, PVOID pvIn) {
  JobContext* context = FindJobContext(dc);
  if (context == nullptr || pvIn == nullptr || cbIn < sizeof(LPDOCINFOW)) return 1;
  LPDOCINFOW* infoSlot = static_cast<LPDOCINFOW*>(pvIn);
  DOCINFOW* info = *infoSlot;
  if (info == nullptr) return 1;
  XDEVMODE_PRIVATE& extra = context->devmode.dmPrivate;

  CopyAnsi(context->documentName, sizeof context->documentName, info->lpszDocName);
  CopyAnsi(extra.documentName, sizeof extra.documentName, info->lpszDocName);
  context->pageCount = 0;
  if (context->cancelled) return -1;

  CreateTempFolder();
  GetPrinterPortName(printer, &context->devmode);
  if ((extra._dwAdvSettings & kAdvEmfSpooling) != 0 && (extra._dwPrinterAttributes & PRINTER_ATTRIBUTE_RAW_ONLY) != 0) {
    extra._dwAdvSettings &= ~kAdvEmfSpooling;
  }
  if ((extra._dwAdvSettings & kAdvEmfSpooling) == 0) {
    SendJobTables(dc, printer, *context);
    if (extra._iSNMP == kMonitorPerJob && extra._nOutputDest != kOutputMacroFile) SendHostAddress(dc, printer);
  }
  if (info->lpszOutput != nullptr) {
    CopyAnsi(context->outputName, sizeof context->outputName, info->lpszOutput);
  } else {
    CopyTerminated(context->outputName, extra._sPortName);
  }
  if (extra._nOutputDest == kOutputMacroFile && !AskMacroFile(printer, *context, info)) {
    context->cancelled = 1;
    return -1;
  }
  return 1;
}

int StartDocPost(HANDLE printer, HDC dc) {
  JobContext* context = FindJobContext(dc);
  if (Skipped(context)) return 1;
  XDEVMODE_PRIVATE& extra = context->devmode.dmPrivate;
  GetPrinterPortName(printer, &context->devmode);
  char port[sizeof extra._sPortName] = {};
  CopyTerminated(port, extra._sPortName);
  const bool toFile = BeginsWithFile(port) || BeginsWithFile(context->outputName);
  if (extra._iSNMP == kMonitorPerJob && extra._nOutputDest == kOutputPrint && !toFile) {
    DWORD jobId = 0;
    ExtEscape(dc, kEscJobIdentity, 0, nullptr, sizeof jobId, reinterpret_cast<char*>(&jobId));
    StartStatusMonitor(printer, MonitorVerb::JobStarted, jobId, context->documentName);
    context->jobId = jobId;
  }
  if (extra._epBanner.on != 0) {
    ExtEscape(dc, kEscBannerBegin, 0, nullptr, 0, nullptr);
    StartPage(dc);
    const DWORD drawn = static_cast<DWORD>(DrawBannerPage(dc, &context->devmode));
    EndPage(dc);
    SendEscapeDword(dc, kEscBannerEnd, drawn);
  }
  const DWORD query = 0;
  DWORD answer = 0;
  ExtEscape(dc, kEscWatermarkBegin, sizeof query, reinterpret_cast<const char*>(&query), sizeof answer,
            reinterpret_cast<char*>(&answer));
  context->watermarkAtStart = answer;
  DrvTrace("DOCUMENTEVENT_STARTDOCPOST ... end\n");
  return 1;
}

// ---- pages --------------------------------------------------------------------

bool WatermarkWanted(const JobContext& context) {
  const XDEVMODE_PRIVATE& extra = context.devmode.dmPrivate;
  if (extra._wmCurrent.text[0] == '\0') return false;
  return !(extra._bWmFirstPageOnly != 0 && context.pageCount != 1);
}

void DrawCapturedWatermark(HANDLE printer, HDC dc, const JobContext& context, DWORD phase) {
  SendEscapeDword(dc, kEscWatermarkBegin, phase);
  DrawWatermark(printer, dc, &context.devmode);
  SendEscapeDword(dc, kEscWatermarkEnd, phase);
}

constexpr DWORD kWatermarkAtPageStart = 1;
constexpr DWORD kWatermarkAtPageEnd = 2;

int StartPageEvent(HANDLE printer, HDC dc) {
  JobContext* context = FindJobContext(dc);
  if (context == nullptr) return 1;
  ++context->pageCount;
  if (Skipped(context) || !WatermarkWanted(*context)) return 1;
  if (context->devmode.dmPrivate._bWmBackground == 0 && context->watermarkAtStart == 0) return 1;
  DrawCapturedWatermark(printer, dc, *context, kWatermarkAtPageStart);
  return 1;
}

int EndPageEvent(HANDLE printer, HDC dc) {
  JobContext* context = FindJobContext(dc);
  if (Skipped(context) || context->watermarkAtStart != 0 || !WatermarkWanted(*context)) return 1;
  if (context->devmode.dmPrivate._bWmBackground != 0) return 1;
  DrawCapturedWatermark(printer, dc, *context, kWatermarkAtPageEnd);
  return 1;
}

int EndDocPre(HANDLE printer, HDC dc) {
  JobContext* context = FindJobContext(dc);
  if (Skipped(context)) return 1;
  const InsertSheetSet& set = context->insertSet;
  if (context->devmode.dmPrivate._bInsertSheets != 1 || set.rows == nullptr || set.rowCount <= 0) return 1;
  const DWORD ask = 0;
  DWORD pages = 0;
  ExtEscape(dc, kEscTabPageBegin, sizeof ask, reinterpret_cast<const char*>(&ask), sizeof pages,
            reinterpret_cast<char*>(&pages));
  context->pageCount = static_cast<int>(pages);
  if (pages == 0) return 1;
  for (int i = 0; i < set.rowCount && i < kInsertSheetSetMaxRows; ++i) {
    if (set.rows[i].tabFlag != 0 && set.rows[i].pageNumber <= static_cast<int>(pages)) {
      PrintTabPages(printer, dc);
      break;
    }
  }
  return 1;
}

int AbortDocEvent(HANDLE printer, HDC dc) {
  JobContext* context = FindJobContext(dc);
  if (Skipped(context) || context->jobId == 0) return 1;
  StartStatusMonitor(printer, MonitorVerb::JobDelete, context->jobId, context->documentName);
  return 1;
}

// Applications whose passthrough count word gives the size of the whole block
// (the word included) would have the driver refuse the call. The driver is
// handed a copy whose word counts the data the block really holds: nothing
// past the application's block is read, the data prints once, and the
// application gets the driver's answer for it.
int EscapeEvent(HDC dc, ULONG cbIn, PVOID pvIn) {
  JobContext* context = FindJobContext(dc);
  if (Skipped(context) || pvIn == nullptr || cbIn < sizeof(DOCEVENT_ESCAPE)) return 1;
  auto* escape = static_cast<DOCEVENT_ESCAPE*>(pvIn);
  if (escape->iEscape == static_cast<int>(kEscUpdateConfig)) {
    DrvTrace("UPDATE_CONFIG\n");
    return 1;
  }
  const bool passthrough = escape->iEscape == static_cast<int>(kEscPassThrough) ||
                           escape->iEscape == static_cast<int>(kEscPostScriptData) ||
                           escape->iEscape == static_cast<int>(kEscPostScriptPassthrough);
  if (!passthrough || escape->pvInData == nullptr || escape->cjInput < static_cast<int>(sizeof(WORD))) return 1;
  WORD count = 0;
  std::memcpy(&count, escape->pvInData, sizeof count);
  if (count != escape->cjInput) return 1;
  const auto* block = static_cast<const char*>(escape->pvInData);
  std::vector<char>& copy = context->repairedEscape;
  try {
    copy.assign(block, block + escape->cjInput);
  } catch (const std::bad_alloc&) {
    return 1;
  }
  const WORD held = static_cast<WORD>(count - sizeof(WORD));
  std::memcpy(copy.data(), &held, sizeof held);
  escape->pvInData = copy.data();
  return 1;
}

const char* EventTrace(int event) {
  switch (event) {
    case DOCUMENTEVENT_CREATEDCPRE: return "DOCUMENTEVENT_CREATEDCPRE\n";
    case DOCUMENTEVENT_CREATEDCPOST: return "DOCUMENTEVENT_CREATEDCPOST\n";
    case DOCUMENTEVENT_RESETDCPRE: return "DOCUMENTEVENT_RESETDCPRE\n";
    case DOCUMENTEVENT_RESETDCPOST: return "DOCUMENTEVENT_RESETDCPOST\n";
    case DOCUMENTEVENT_STARTDOCPRE: return "DOCUMENTEVENT_STARTDOCPRE\n";
    case DOCUMENTEVENT_STARTPAGE: return "DOCUMENTEVENT_STARTPAGE\n";
    case DOCUMENTEVENT_ENDPAGE: return "DOCUMENTEVENT_ENDPAGE\n";
    case DOCUMENTEVENT_ENDDOCPRE: return "DOCUMENTEVENT_ENDDOCPRE\n";
    case DOCUMENTEVENT_ABORTDOC: return "DOCUMENTEVENT_ABORTDOC\n";
    case DOCUMENTEVENT_DELETEDC: return "DOCUMENTEVENT_DELETEDC\n";
    case DOCUMENTEVENT_ESCAPE: return "DOCUMENTEVENT_ESCAPE\n";
    case DOCUMENTEVENT_ENDDOCPOST: return "DOCUMENTEVENT_ENDDOCPOST\n";
    case DOCUMENTEVENT_STARTDOCPOST: return "DOCUMENTEVENT_STARTDOCPOST\n";
    default: return nullptr;
  }
}

}  // namespace

int HandleDocumentEvent(HANDLE printer, HDC dc, int event, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut) {
  DrvTrace("DrvDocumentEvent:   ");
  if (const char* trace = EventTrace(event)) DrvTrace(trace);
  switch (event) {
    case DOCUMENTEVENT_CREATEDCPRE: return CreateDcPre(printer, cbIn, pvIn, cbOut, pvOut);
    case DOCUMENTEVENT_CREATEDCPOST: return CreateDcPost(printer, dc, cbIn, pvIn);
    case DOCUMENTEVENT_RESETDCPRE: return ResetDcPre(dc, cbIn, pvIn, cbOut, pvOut);
    case DOCUMENTEVENT_STARTDOCPRE: return StartDocPre(printer, dc, cbIn, pvIn);
    case DOCUMENTEVENT_STARTPAGE: return StartPageEvent(printer, dc);
    case DOCUMENTEVENT_ENDPAGE: return EndPageEvent(printer, dc);
    case DOCUMENTEVENT_ENDDOCPRE: return EndDocPre(printer, dc);
    case DOCUMENTEVENT_ABORTDOC: return AbortDocEvent(printer, dc);
    case DOCUMENTEVENT_DELETEDC: RemoveJobContext(dc); return 1;
    case DOCUMENTEVENT_ESCAPE: return EscapeEvent(dc, cbIn, pvIn);
    case DOCUMENTEVENT_STARTDOCPOST: return StartDocPost(printer, dc);
    default: return 1;
  }
}
