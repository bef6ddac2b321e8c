// What the files of the page store share: the job's language and layout as the
// store sees them, the page-ticket table in force and the source ranges of
// paper by page ticket.
#pragma once

#include "common/job_sheet_blocks.h"
#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"

namespace pagestore {

// The source range used when none holds a page or sheet.
constexpr int kFallbackRange = 49;
// _iOutputSize when the output paper is the device mode's paper.
constexpr DWORD kOutputSizeAsPaper = 0xFFFF;
// "OutputType" of a job saved as a PCL macro file.
constexpr WORD kOutputMacroFile = 5;
// Job flag of the escapes: application PostScript data was written on the page.
constexpr DWORD kJobAppPostScriptWritten = 0x2;
// The last row of a page-ticket table carries this page number.
constexpr int32_t kTicketTableEnd = -1;

inline const XDEVMODE_PRIVATE& Extra(const PDEV* pdev) { return pdev->devmode.dmPrivate; }

inline bool IsPclFamily(const PDEV* pdev) { return IsPclFamilyPdl(Extra(pdev)._nPDL); }

// Booklet printing is a PostScript layout; a PCL device mode never asks for it.
inline bool IsBooklet(const PDEV* pdev) { return IsPostScriptJob(pdev) && Extra(pdev)._nBooklet != 0; }

// Pages per sheet as the driver places them: N-up is a PostScript layout (the
// PCL printer makes its own N-up from the job settings), and a damaged value
// counts as 1.
inline DWORD PagesPerSheet(const PDEV* pdev) {
  if (!IsPostScriptJob(pdev)) return 1;
  const WORD up = Extra(pdev)._nUp;
  return up == 0 ? 1 : up;
}

inline bool PaperByTicket(const PDEV* pdev) { return pdev->devmode.dmPublic.dmDefaultSource == kSourceByPageTicket; }

// The page-ticket table of escape 62 is in force: insert sheets on and rows held.
inline bool TicketTableInForce(const PDEV* pdev) {
  return Extra(pdev)._bInsertSheets == 1 && pdev->pageTickets.rows != nullptr && pdev->pageTickets.rowCount > 0;
}

// Calls f(index, row) for each row of the table in force up to its end mark;
// stops early when f answers true and answers that row's index (else -1).
template <class F>
int FindTicketRow(const PDEV* pdev, F&& f) {
  if (!TicketTableInForce(pdev)) return -1;
  for (DWORD i = 0; i < pdev->pageTickets.rowCount; ++i) {
    const PageTicketRow& row = pdev->pageTickets.rows[i];
    if (row.pageNumber == kTicketTableEnd) break;
    if (f(row)) return static_cast<int>(i);
  }
  return -1;
}

// The first source range that holds the number (a page or sheet number), or
// the fallback range.
inline int SourceRangeHolding(const PDEV* pdev, int number) {
  for (size_t k = 0; k < kPageTicketSourceRangeCount; ++k) {
    const PageTicketSourceRange& range = Extra(pdev).pageTicketRanges[k];
    if (range.firstPage <= number && number <= range.lastPage) return static_cast<int>(k);
  }
  return kFallbackRange;
}

// The kind of a page-ticket row (document_store.h kTicketRow*).
DWORD KindOfTicketRow(const PageTicketRow& row);

inline const PageTicketSourceRange& SourceRange(const PDEV* pdev, int index) {
  if (index < 0 || index >= static_cast<int>(kPageTicketSourceRangeCount)) index = kFallbackRange;
  return Extra(pdev).pageTicketRanges[index];
}

// Writes a literal text into the current channel; false when the stream
// refused it.
bool WriteText(PDEV* pdev, const char* text);
// Formats a line into the PDEV's line buffer and writes it.
bool WriteFormatted(PDEV* pdev, const char* format, int value);

// An inserted sheet without a page on it: begin and end.
void WriteBlankSheet(PDEV* pdev, DWORD kind, int row);

// The interleaf sheet and the ticket sheet of the sheet just ended, for a job
// whose pages go straight to the printer.
void WriteSheetEndInserts(PDEV* pdev);

// The page trailer of a page that is being stored, with the length of the
// trailer recorded so that the page can later be copied without its sheet end.
int EndStoredPage(PDEV* pdev, BOOL endSheet);
// The recorded trailer length of a stored page; 0 when unknown.
DWORD StoredTrailerLength(PDEV* pdev, int page);

// The page border and the foreground watermark at the end of a page.
void DrawPageBorder(PDEV* pdev);
void CopyForegroundWatermark(PDEV* pdev);

// Re-emission of the stored pages in booklet order and with inserted sheets.
int ReemitBooklet(PDEV* pdev);
int ReemitWithInserts(PDEV* pdev);

}  // namespace pagestore
