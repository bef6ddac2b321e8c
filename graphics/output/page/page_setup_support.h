// Helpers the page set-up, page end and overlay writers share: the job's
// language, writing literal and formatted text, leaving HP-GL/2, and what an
// inserted sheet is (its setting or ticket row, source, printed flag, and
// whether a blank back side follows it).
#pragma once

#include <cstdarg>

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"

struct PDEV;
struct PageTicketRow;

namespace pagesetup {

// The PCL family and not PostScript.
bool IsPclJob(const PDEV* pdev);

// Literal text, written as it stands. 1 when the stream took it.
int WriteText(PDEV* pdev, const char* text);
// Formatted through the stream's formatter into the PDEV's line buffer.
int WriteFormatted(PDEV* pdev, const char* format, ...);
// Exact bytes (PCL with NUL or binary bytes).
int WriteBytes(PDEV* pdev, const void* data, int length);

// A value for the formatter's %F with its intended four decimals: the
// formatter cuts a float after four decimals, and 0.08f is 0.0799999982.
float FloatForOut(double value);

// "ESC%0A" when HP-GL/2 is active. 1 when nothing was needed or it was written.
int LeaveHpgl(PDEV* pdev);
// The two saved text states of the text writer.
void ClearTextStates(PDEV* pdev);

// The paper source of a device-mode source value (256 + tray id); nullptr for
// 15 (automatic), an unknown tray, or no model record.
const PaperSourceEntry* FindPaperSource(const PDEV* pdev, DWORD source);

// The inserted-sheet setting of kinds 1-16; nullptr for other kinds.
const InsertedSheetSetting* InsertedSetting(const PDEV* pdev, DWORD kind);
// A page-ticket row of the job's table; nullptr when row is not within it.
const PageTicketRow* TicketRow(const PDEV* pdev, int row);
// Whether kind is one of the nine sheet kinds.
bool IsSheetKind(DWORD kind);
// The sheet's paper source: the setting's (kinds 1-16), the ticket row's, or 15.
DWORD SheetSource(const PDEV* pdev, DWORD kind, int row);
// Whether the sheet carries a page image (the setting's third value or the
// row's image flag).
bool SheetPrinted(const PDEV* pdev, DWORD kind, int row);
// Duplex is on, the sheet's source prints both sides, and the model allows
// duplex from that source: the sheet gets a back side.
bool SheetTakesDuplex(const PDEV* pdev, DWORD source);

// The paper row of the page being set up (devicesettings::FindPaperRow for its
// current paper and feed); nullptr without a model or papers.
const PaperEntry* CurrentPaperRow(const PDEV* pdev);

// The printer was reset or its state restored: the fonts it had selected are
// no longer selected.
void ForgetSelectedFont(PDEV* pdev);

}  // namespace pagesetup
