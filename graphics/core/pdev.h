// The graphics library's record of one device context: created at
// DrvEnablePDEV, handed to every DDI call as dhpdev and the one place where a
// job's state lives between calls. It is never exchanged outside the library.
#pragma once

#include <cstdint>

#include "common/xdevmode.h"
#include "graphics/core/job_state.h"
#include "graphics/ddi/drawing_state.h"
#include "graphics/encode/encoder_state.h"
#include "graphics/inject/inject_data.h"
#include "graphics/output/writer_state.h"
#include "graphics/pages/page_store_state.h"
#include "graphics/stream/output_state.h"
#include "model/model_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

constexpr DWORD kPdevTag = 0xdd01;
constexpr DWORD kPdevSignature = 0x44503332;
constexpr WORD kNoCurrentFont = 0xFFFF;
constexpr int kJobSettingCount = 14;
constexpr int kPclModeWordCount = 7;
constexpr int kDocumentNameSize = 81;  // 80 characters and the terminator
constexpr int kPdevPrinterNameSize = 260;
constexpr DWORD kPageTicketSetBytes = 116;
constexpr DWORD kSlipSheetBlockBytes = 992;

// Document flags.
constexpr BYTE kDocPageSaveOpen = 0x02;  // a PostScript page save ("SS") is in force
constexpr BYTE kDocPostScriptTrailerDue = 0x04;
constexpr BYTE kDocStartedBeforeReset = 0x08;  // the document began on the PDEV a reset replaced
constexpr BYTE kDocStarted = 0x10;             // StartDoc has run on this PDEV

// Capture flags.
constexpr DWORD kCaptureSuppressTrailer = 0x04;
constexpr DWORD kCapturePageStarted = 0x08;         // a page of the document was started
constexpr DWORD kCaptureAppPostScriptFirst = 0x10;  // application PostScript came before the first page
constexpr DWORD kCaptureTab = 0x40;
constexpr DWORD kCaptureBanner = 0x80;
constexpr DWORD kCaptureWatermark = 0x100;

// Tables the writers of the job stream build; the record only holds them.
struct DeviceFontList;
struct FontSubstitutionTable;
struct DownloadedFontList;
struct PageTicketRow;

// Ownership of the blocks a PDEV points to. "Heap" blocks come from
// GraphicsHeapAlloc (graphics/util/graphics_heap.h) and FreePdev returns them
// with GraphicsHeapFree; the others are released through their own code.

// The page-ticket set of a job (escape 62): its name, its rows.
struct PageTicketSet {
  char name[104] = {};
  DWORD rowCount = 0;
  PageTicketRow* rows = nullptr;  // heap block, owned
  DWORD reserved = 0;
};

// The plain values a job in progress carries on when GDI resets the device
// context mid-job: CopyJobState copies the whole record by one assignment, so a
// value added here goes on across a reset without further code. Owned blocks
// do not belong here; they move one by one.
struct CarriedJobState {
  char printerName[kPdevPrinterNameSize] = {};
  char documentName[kDocumentNameSize] = {};
  DWORD spoolerJobId = 0;
  DWORD addressValue = 0;  // the submitting host's IPv4 address (private escape); 0 untold

  DWORD bandState = 0;
  BYTE documentFlags = 0;
  // Page-layout programs known by their device-mode marks (application_quirks).
  WORD acrobatVersion = 0;
  WORD pageMakerVersion = 0;

  // Font and text state.
  WORD softFontCounter = 0;
  DWORD savedTextStates[2][10] = {};
  // The printer's device fonts: a node of the library's font-list cache, shared
  // with the other device contexts of the printer; not owned.
  DeviceFontList* deviceFonts = nullptr;
  DWORD vmEstimate = 0;  // the printer memory the job's downloads are thought to use
  WORD pclModeWords[kPclModeWordCount] = {};

  // Job settings last sent, and the job's staple position.
  DWORD jobSettings[kJobSettingCount] = {};
  WORD settingsWord = 0;

  // Captures under way (watermark, tab sheet, banner) and what they found.
  BYTE watermarkCapture = 0;  // 1 capturing, 2 captured
  DWORD watermarkTextFlag = 0;
  DWORD captureFlags = 0;
};

struct PDEV {
  DWORD tag = 0;
  XDEVMODE devmode{};

  // What the job in progress carries on to the record of a reset.
  CarriedJobState carried;

  // PostScript injection: 0 none, 1 GDI-centric, 2 PostScript-centric.
  WORD injectionMode = 0;
  CInjectData* injection = nullptr;  // owned (DestroyInjectData), whatever the mode

  // Page geometry in thousandths of an inch.
  int32_t paperWidth = 0;
  int32_t paperHeight = 0;
  int32_t leftMargin = 0;
  int32_t topMargin = 0;
  int32_t rightMargin = 0;
  int32_t bottomMargin = 0;
  int32_t printableWidth = 0;
  int32_t printableHeight = 0;
  WORD rotation = 0;     // 0, 90, 180 or 270
  WORD outputPaper = 0;  // paper id of the printed sheet
  DWORD feedDirection = 0;

  // Font and text state.
  WORD currentFont = kNoCurrentFont;
  FontSubstitutionTable* fontSubstitution = nullptr;  // owned (FreeFontSubstitution)
  // The document's downloaded fonts and composite-font table; owned
  // (ReleaseFontLists).
  DownloadedFontList* downloadedFonts[2] = {};
  void* fontDownloadArea = nullptr;  // heap block, owned
  WORD resolution = 0;

  // The output stream: buffer, channels and their files.
  OutputState output;

  PageTicketSet pageTickets;
  BYTE* slipSheetBlock = nullptr;  // kSlipSheetBlockBytes, heap block, owned

  HMODULE module = 0;
  HANDLE printer = 0;  // hDriver of DrvEnablePDEV: the spooler handle of the job
  HDEV engineDevice = 0;
  HSURF surface = 0;
  HPALETTE palette = 0;
  LONG surfaceWidth = 0;
  LONG surfaceHeight = 0;
  void* fillPatterns = nullptr;  // heap block, owned
  DWORD bannerResult = 0;

  DWORD signature = 0;

  // This device context's own copy of the printer's model record (owned, see
  // AttachModelRecord). The cached record is shared by every device context of
  // the printer and other threads read it; the copy is what this job changes
  // (the device mode's user-defined paper, the rotated geometry of the variant
  // models, the sorted font rows) and what it reads for the rest of the job.
  ModelRecord* model = nullptr;

  EncoderState encoder;

  // State of the job shared by several writers and the escapes, the page
  // store's counters, and the writers' own state.
  JobState job;
  PageStoreState pages;
  WriterState writers;
  DrawingState drawing;  // the drawing entries' blit hand-over

  char lineBuffer[1024] = {};
  char secondBuffer[1024] = {};
};

// True when pdev is a filled record of this library: every DDI entry checks it
// and answers failure after SetLastError(87) when it does not hold.
bool IsValidPdev(const PDEV* pdev);

// A new record with every field at its initial value; nullptr when out of memory.
// Release it with FreePdev.
PDEV* AllocPdev();

// Gives the PDEV its own copy of the printer's cached model record (replacing a
// copy it had). 1, or 0 for a null argument or when out of memory (the PDEV then
// keeps what it had).
int AttachModelRecord(PDEV* pdev, const ModelRecord* cached);

// Fills the PDEV from an accepted device mode (copied in when given): page
// geometry, output paper and feed, rotation, margins, the device-font list,
// resolution, the signature and the output buffer. 1, or 0 without a PDEV, a
// model record, a paper row to print on or an output buffer (the signature is
// then cleared and the caller frees the PDEV).
int InitPdev(PDEV* pdev, const XDEVMODE* devmode);

// Moves the job in progress from oldPdev to newPdev when GDI resets the device
// context (the old one's buffer has been flushed): the running state is copied,
// the blocks a job owns (injection store, font substitution, downloaded fonts,
// page tickets, slip sheet, the channel files) move, and what belongs to the new
// device mode (geometry, resolution, buffer, handles, palette, model record) stays
// the new one's. 1, or 0 when either is null.
int CopyJobState(PDEV* newPdev, PDEV* oldPdev);

// Releases everything the PDEV owns that is still attached (a block moved away
// at a reset is null here and skipped), deletes its palette and frees the
// record. Null does nothing.
void FreePdev(PDEV* pdev);

// Whether the job the PDEV writes is PostScript (else the PCL family).
inline bool IsPostScriptJob(const PDEV* pdev) { return IsPostScriptJob(pdev->devmode); }
