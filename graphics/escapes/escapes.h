// The escapes of the graphics library: the published ones that PostScript-aware
// applications use, and the private ones through which the user-interface
// library hands job data over and brackets the pages it draws itself during
// the document events.
//
// Every escape reads its input only within the size the caller gave and writes
// an answer only where the caller made room for it: a block too short for what
// the escape reads, or a missing answer buffer, fails with error 87 and 0.
#pragma once

#include "common/driver_escapes.h"
#include "platform/base/types.h"

struct PDEV;

// Fixed input blocks.
constexpr ULONG kFontListRefreshBlockBytes = 268;  // DWORD action, char[260] printer, WORD PDL flags
constexpr ULONG kTabSheetBlockBytes = 12;          // DWORD tab page, DWORD 4, DWORD set-up flag
constexpr ULONG kPathInfoBytes = 3;                // WORD render mode, BYTE fill mode
constexpr ULONG kPsInjectHeaderBytes = 8;          // DWORD data bytes, WORD point, WORD page

// The answer of a passthrough escape whose data could not be written to the job.
constexpr ULONG kEscapeWriteFailed = 0xFFFFFFFF;

// Whether the escape exists for the device's printer language.
BOOL IsEscapeSupported(ULONG escape, const PDEV* pdev);

// Serves one escape of a checked PDEV (DrvEscape checks the PDEV and the
// escape's support first).
ULONG ServePublishedEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in, ULONG outSize, void* out);
ULONG ServePrivateEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in, ULONG outSize, void* out);

// The application's PostScript (PASSTHROUGH, POSTSCRIPT_DATA,
// POSTSCRIPT_PASSTHROUGH): the data after its count word, written unchanged or
// through the application PostScript filter; answers the count.
ULONG ServePassthrough(PDEV* pdev, ULONG inSize, const void* in);
// EPSPRINTING: the EPS flag, the decision whether application PostScript is
// filtered, and the PostScript that disables the application's own showpage.
ULONG ServeEpsPrinting(PDEV* pdev, ULONG inSize, const void* in);
// The application path escapes (BEGIN_PATH, CLIP_TO_PATH, END_PATH).
ULONG ServePathEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in);
// The captures of the pages the user-interface library draws itself:
// watermark (52-54), tab pages and tab sheets (58-61), banner page (63, 64).
ULONG ServeCaptureEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in, ULONG outSize, void* out);
// The printer's configuration changed: FONTLIST_REFRESH and UPDATE_CONFIG.
ULONG ServeConfigEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in);

// Keeps a copy of page-ticket rows (56 bytes each; the count is bytes / 56) or
// of the slip-sheet block; FALSE, with the earlier state kept, when the input
// is missing or too short or the copy cannot be made. The texts inside the
// copies are terminated.
BOOL SetPageTickets(PDEV* pdev, const void* rows, ULONG bytes);
BOOL SetSlipSheetTable(PDEV* pdev, const void* block, ULONG bytes);

// Answers 0 after SetLastError(87): the result of an escape whose input or
// answer buffer is missing or too short.
ULONG RefuseEscape();
