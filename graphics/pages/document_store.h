// The document and its pages on the graphics side: document start and end,
// page start and end, and the page store. When the final sheet order differs
// from the order the application draws in (booklet printing, inserted sheets,
// page tickets, tab sheets) every page is kept in the pages channel with a
// page-offset record and sent again at the end of the document in the final
// order, with covers, slip, interleaf and ticket sheets placed between pages.
//
// Every function takes the PDEV first; a null PDEV does nothing.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// Bits of PageSheetFlags: what comes with a stored page when it is sent again.
constexpr DWORD kPageFlagFrontCover = 0x001;        // page 1 goes on the printed front cover
constexpr DWORD kPageFlagBackCover = 0x002;         // the last page goes on the printed back cover
constexpr DWORD kPageFlagInterleaf = 0x004;         // an interleaf sheet follows the page
constexpr DWORD kPageFlagInterleafPrinted = 0x008;  // ... carrying the page image (with 0x004)
constexpr DWORD kPageFlagTicketBefore = 0x100;      // a ticket row of page 0 (before page 1)
constexpr DWORD kPageFlagTicketAfter = 0x200;       // a ticket row of this page (after it)

// Kinds of a page-ticket row (they are the sheet kinds of its inserted sheet).
constexpr DWORD kTicketRowPrinted = 32;      // inserted sheet carrying the page image
constexpr DWORD kTicketRowTab = 64;          // tab sheet with its captured tab image
constexpr DWORD kTicketRowTabPrinted = 128;  // tab sheet carrying the page image
constexpr DWORD kTicketRowBlank = 256;       // blank inserted sheet

// Starts a document: the name (cut to 80 ANSI bytes, never inside a double-byte
// character) goes into the PDEV's documentName and the device mode's document
// name field, the channel table and page-offset path are reset, the text and
// font state is reset and the job header written. 1 when the header was
// written, else the header's result (0 without a model record); -1 without a
// PDEV or name.
int BeginDocument(PDEV* pdev, const WCHAR* name);

// Runs BeginPage once per page (writers that put something on a page call it
// first); then, with skipSave clear, on the document's first page and when no
// page save is open, opens the page save. 1; 0 when the page could not start.
int EnsurePageStarted(PDEV* pdev, BOOL skipSave);

// The page start: first-page set-up, counters, page comments and settings, and
// the switch into the pages channel when the page is stored. 1; 0 when the
// stream refused a write; -1 without a PDEV.
int BeginPage(PDEV* pdev);

// The page end: borders and watermark of a finished sheet, the page trailer,
// the interleaf and ticket sheets of the sheet. 1, or the trailer's result when
// that is not positive; -1 without a PDEV.
int EndPage(PDEV* pdev);

// The document end: the page still open, the stored pages in their final
// order, trailing blank, interleaf, ticket, cover and slip sheets, the job
// trailer, and the document's fonts and tables released. 1, 0 when the job's
// output failed, -1 without a PDEV.
int EndDocument(PDEV* pdev);

// Whether the page-ticket table in force holds a tab-sheet row.
BOOL HasTabSheets(const PDEV* pdev);
// Whether an inserted sheet is printed with a page image (a cover, slip,
// banner or interleaf setting on and printed, or a printed or tab ticket row),
// so that pages must be stored.
BOOL HasSheetInserts(const PDEV* pdev);

// 0 unless a ticket row belongs to the page; then kPageFlagTicketBefore for
// page 0 and kPageFlagTicketAfter for any other page.
DWORD TicketFlagForPage(const PDEV* pdev, int page);
// The kind (kTicketRow*) of the first ticket row of the page, its index in
// *rowIndex; 0 and -1 when the page has none. rowIndex may be null.
DWORD TicketKindForPage(const PDEV* pdev, int page, int* rowIndex);

// Reads the stored page's paper and feed into the page store's current values
// and answers the kPageFlag* bits of the page (1..pageCount; 0 otherwise).
DWORD PageSheetFlags(PDEV* pdev, int page, int pageCount);

// The index of the ticket row of the current sheet (of the sheet before the
// current page with `before`), -1 when there is none. With `query` the answer
// only tells whether such a row exists (its index or -1), as without it.
int FindTicketRowForSheet(const PDEV* pdev, BOOL query, BOOL before);

// Whether the current sheet side completes a sheet: 1 for simplex and after an
// even number of sides; under page-ticket paper the current source range's
// duplex setting decides (with `query`: 0 when that range prints duplex).
int IsSheetSideComplete(const PDEV* pdev, BOOL query);

// Removes an application's final Ctrl-D from the output buffer when it is the
// last byte buffered for the channel the document was saved on.
void DropTrailingCtrlD(PDEV* pdev);

// Releases the document's work buffers; at document end (disabling FALSE) also
// the downloaded fonts, the page-ticket table and the slip-sheet block; at the
// end of the device context (TRUE) everything the document held, including the
// output buffer and the channel files.
void ReleaseDocumentFonts(PDEV* pdev, BOOL disabling);

// Sends the stored pages to the spooler in their final order (booklet, or
// with inserted sheets). 1, or 0 when a write failed.
int ReemitStoredPages(PDEV* pdev);
