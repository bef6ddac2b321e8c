// The graphics library's record of one device context: created at
// DrvEnablePDEV, handed to every DDI call as dhpdev and the one place where a
// job's state lives between calls. It is never exchanged outside the library.
#pragma once

#include <cstdint>

#include "common/xdevmode.h"
#include "graphics/encode/encoder_state.h"
#include "graphics/inject/inject_data.h"
#include "graphics/stream/output_state.h"
#include "interface/model/model_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

constexpr DWORD kPdevTag = 0xdd01;
constexpr DWORD kPdevSignature = 0x44503332;
constexpr WORD kNoCurrentFont = 0xFFFF;
constexpr int kJobSettingCount = 14;
constexpr int kPclModeWordCount = 7;
constexpr int kDocumentNameSize = 81;   // 80 characters and the terminator
constexpr int kPdevPrinterNameSize = 260;
constexpr DWORD kPageTicketSetBytes = 116;
constexpr DWORD kSlipSheetBlockBytes = 992;

// Document flags.
constexpr BYTE kDocPostScriptTrailerDue = 0x04;
constexpr BYTE kDocPageState08 = 0x08;
constexpr BYTE kDocPageState10 = 0x10;

// Capture flags.
constexpr DWORD kCaptureSuppressTrailer = 0x04;
constexpr DWORD kCaptureTab = 0x40;
constexpr DWORD kCaptureBanner = 0x80;
constexpr DWORD kCaptureWatermark = 0x100;

// Tables the writers of the job stream own; the record only holds them.
struct DeviceFontTable;
struct FontSubstitutionTable;
struct DownloadedFontList;
struct PageTicketRow;

// The page-ticket set of a job (escape 62): its name, its rows.
struct PageTicketSet {
  char name[104] = {};
  DWORD rowCount = 0;
  PageTicketRow* rows = nullptr;  // owned
  DWORD reserved = 0;
};

struct PDEV {
  DWORD tag = 0;
  XDEVMODE devmode{};

  // Band and page state.
  DWORD bandState = 0;
  DWORD pageAndTabState[5] = {};  // [0] tab-sheet capture state, then the page store's counters
  DWORD pageState = 0;
  BYTE documentFlags = 0;
  WORD acrobatVersion = 0;
  WORD pageMakerVersion = 0;
  WORD pageWord = 0;

  // PostScript injection: 0 none, 1 GDI-centric, 2 PostScript-centric.
  WORD injectionMode = 0;
  CInjectData* injection = nullptr;

  // Page geometry in thousandths of an inch.
  int32_t paperWidth = 0;
  int32_t paperHeight = 0;
  int32_t leftMargin = 0;
  int32_t topMargin = 0;
  int32_t rightMargin = 0;
  int32_t bottomMargin = 0;
  int32_t printableWidth = 0;
  int32_t printableHeight = 0;
  WORD rotation = 0;        // 0, 90, 180 or 270
  WORD outputPaper = 0;     // paper id of the printed sheet
  DWORD feedDirection = 0;

  // Page set-up job state.
  WORD jobField1 = 0;
  DWORD jobField2 = 0;
  WORD jobField3 = 0;
  WORD jobField4 = 0;
  DWORD jobValues[6] = {};

  // Font and text state.
  WORD currentFont = kNoCurrentFont;
  DWORD textField1 = 0;
  DWORD textField2 = 0;
  WORD textField3 = 0;
  DWORD textField4 = 0;
  DWORD textField5 = 0;
  WORD softFontCounter = 0;
  DWORD savedTextStates[2][10] = {};
  DeviceFontTable* deviceFonts = nullptr;
  FontSubstitutionTable* fontSubstitution = nullptr;
  DownloadedFontList* downloadedFonts[2] = {};
  DWORD vmEstimate = 0;
  WORD pclModeWords[kPclModeWordCount] = {};
  DWORD pageEndValues[3] = {};
  DWORD rasterState = 0;
  void* fontDownloadArea = nullptr;
  WORD resolution = 0;

  // The output stream: buffer, channels and their files.
  OutputState output;

  DWORD spoolerJobId = 0;
  DWORD addressValue = 0;

  // Job settings last sent.
  DWORD jobSettings[kJobSettingCount] = {};
  WORD settingsWord = 0;
  DWORD settingsValue = 0;

  PageTicketSet pageTickets;
  BYTE* slipSheetBlock = nullptr;  // kSlipSheetBlockBytes, owned

  HMODULE module = 0;
  HANDLE printer = 0;              // hDriver of DrvEnablePDEV: the spooler handle of the job
  char documentName[kDocumentNameSize] = {};
  HDEV engineDevice = 0;
  HSURF surface = 0;
  HPALETTE palette = 0;
  LONG surfaceWidth = 0;
  LONG surfaceHeight = 0;
  void* fillPatterns = nullptr;
  DWORD fillPatternCount = 0;
  DWORD documentState = 0;
  BYTE watermarkCapture = 0;       // 1 capturing, 2 captured
  DWORD bannerResult = 0;
  DWORD watermarkTextFlag = 0;
  DWORD captureFlags = 0;

  DWORD signature = 0;

  WORD pageField1 = 0;
  BYTE pageFields[20] = {};
  WORD pageField2 = 0;
  char printerName[kPdevPrinterNameSize] = {};
  // The printer's record in the description cache: not owned, never written
  // through this pointer (the cache shares it between device contexts).
  const ModelRecord* model = nullptr;
  // This device context's own copy of the paper rows it changes (variant swap,
  // user-defined size), so that the shared record stays as loaded.
  DWORD pageSetupValues1[3] = {};
  void* pageSetupPointer = nullptr;
  DWORD pageSetupValues2[3] = {};
  DWORD pageSetupValue3 = 0;

  EncoderState encoder;

  char lineBuffer[1024] = {};
  char secondBuffer[1024] = {};
  char thirdBuffer[1024] = {};
};

// True when pdev is a filled record of this library: every DDI entry checks it
// and answers failure after SetLastError(87) when it does not hold.
bool IsValidPdev(const PDEV* pdev);
