// What frames each page and inserted sheet at its start: the begin of an
// inserted sheet (banner, slip sheet, covers, interleaf, ticket and tab sheets)
// with its DSC comment, tray and device settings and coordinate system; the
// page matrix of a PostScript page (N-up and booklet placement, mirror,
// negative image, scaling); the HP-GL/2 scaling of a PCL page; the replay of a
// captured watermark; the PCL overlay macro of each page.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// Sheet kinds: the first argument of EmitPageBegin and EmitShowPage.
constexpr DWORD kSheetBanner = 1;
constexpr DWORD kSheetSlip = 2;
constexpr DWORD kSheetFrontCover = 4;
constexpr DWORD kSheetBackCover = 8;
constexpr DWORD kSheetInterleaf = 16;
constexpr DWORD kSheetTicketPrinted = 32;  // ticket sheet carrying the page image
constexpr DWORD kSheetTab = 64;            // tab sheet (its captured tab image)
constexpr DWORD kSheetTabPrinted = 128;    // tab sheet carrying the page image
constexpr DWORD kSheetTicketBlank = 256;   // blank ticket sheet
// The row argument when a sheet has no page-ticket row.
constexpr int kNoTicketRow = -1;
// The paper source that lets the printer choose the tray.
constexpr DWORD kSheetSourceAutomatic = 15;

// The DSC comment of a sheet kind ("\n%%Banner page\n", ...); nullptr for a
// value that is no sheet kind.
const char* SheetKindComment(DWORD kind);

// Begins an inserted sheet of the given kind; row is the page-ticket row of a
// ticket or tab sheet (kinds 32-256) or kNoTicketRow, and for the banner and
// the slip sheet non-zero asks for their job settings (copies, bin, finishing).
// A row outside the job's ticket table counts as none. 0 with nothing written
// without a model record or for a value that is no sheet kind, else 1.
int EmitPageBegin(PDEV* pdev, DWORD kind, int row);

// The page set-up of a document page, written once its start and settings are
// out (the page store calls it): the captured watermark when one is to be laid
// under the page, the page matrix (PostScript) or HP-GL/2 scaling (PCL), and
// the overlay macro (PCL). The first page of a document starts from a clean
// placement state. 1; 0 without a model record or when the stream refused the
// set-up.
int EmitPageSetup(PDEV* pdev);

// The PostScript page matrix of the current page: with sheetFlag (N-up and
// booklet sheets) the page is placed in its cell of the sheet and clipped to
// it; without, the page gets the device-dot coordinate system (y down). Keeps
// the cell in the page set-up state. PostScript only: 0 otherwise, 1 written.
int WritePsPageSetup(PDEV* pdev, BOOL sheetFlag);

// The variant of the page matrix the page end uses inside its own gsave (page
// borders, foreground watermark): one line, no clip, no transfer function.
// With scaleFlag 0 the page keeps its size (scale 1). PostScript only: 0
// otherwise, 1 written.
int WritePsPageSetupAlt(PDEV* pdev, BOOL scaleFlag);

// PCL: enters HP-GL/2 with the page's orientation, margins and one plotter
// unit per device dot (y down), and comes back to PCL. flag is reserved (0).
// 0 for another language, else 1.
int EnterHpglScaling(PDEV* pdev, DWORD flag);

// The watermark laid under the page: replays the captured watermark ("wtm"
// channel) when one is selected, laid behind the page ("WMBackground"), and
// this page should carry it; then writes the page set-up proper (page matrix
// or HP-GL/2 scaling). With initMatrix the PostScript watermark block ends
// with "initmatrix". 1, or 0 without a model record.
int EmitWatermark(PDEV* pdev, BOOL initMatrix);

// PCL overlay: on the page that first needs it the macro is set up (defined
// or selected, see overlay_macro.h), on later pages called ("ESC&f3X",
// "MacroBackground") or enabled as overlay ("ESC&f4X"); after a printer reset
// since the set-up the macro is set up again. The current font becomes none.
// 1; 0 when nothing was asked or the macro is unusable.
int EnableOverlayMacro(PDEV* pdev);

// The N-up grid of a sheet that carries n pages: the closest pair of divisors
// of n, the smaller as columns and the larger as rows (2: 1 x 2, 6: 2 x 3, 8:
// 2 x 4, 9: 3 x 3, 16: 4 x 4; a prime n: 1 x n; 0 or less: 1 x 1). The same
// grid as the user interface's, kept here because this library does not link
// the user-interface code.
void PageNupGrid(int n, int* columns, int* rows);
