// What the library draws itself on the application's printer device context
// during a job, bracketed by the graphics library's private escapes so that it
// is captured rather than printed as pages of the document: the watermark of a
// page, the banner page, and the tab sheets of an insert-sheet set. Also the
// hook that keeps the macro-file dialog out of the driver's own macro folder.
#pragma once

#include <cstdint>

#include "common/job_sheet_blocks.h"
#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"
#include "platform/gdi/drawing.h"

// One tab sheet to print: the document page it follows, its text and its
// mode (3 with text).
struct TabEntry {
  int32_t page;
  char text[32];
  int32_t mode;
};
static_assert(sizeof(TabEntry) == 40);

constexpr int32_t kTabModeText = 3;

// Draws the watermark text of the device mode, centred on the printable area
// (on the paper without margins), on a page of its own: 1 drawn; 0 without a
// device mode or model record; -1 when the paper is not in the model record.
int DrawWatermark(HANDLE printer, HDC dc, const XDEVMODE* devmode);

// Draws the banner page's title and its account, note, document and
// submission-time lines; answers whether the title was drawn.
int DrawBannerPage(HDC dc, const XDEVMODE* devmode);

// The tab sheets of the DC's job at its end: 1 printed; 0 nothing to print or no
// model record; -1 when the tab paper is unusable.
int PrintTabPages(HANDLE printer, HDC dc);

// One page of tab sheets on the tab paper: 1; -1 when the DC cannot be reset to
// the tab paper, the font cannot be made or the tab stock has no positions.
int PrintTabPage(HDC dc, const XDEVMODE* devmode, const LOGFONTA& tabFont, const TabEntry* entries, int count,
                 const TabInfoEntry& stock, int paperWidth, int paperLength, int top);

// The tabs of a job of `pages` pages: the rows, in order, that name a page the
// job has (page 0 and below: before page 1); with duplex only rows of even
// pages, the first row's page 0 and the last page of an odd job, as those
// are the pages after which a sheet ends. At most `capacity` entries.
int ChooseTabEntries(const PageTicketRow* rows, int rowCount, int pages, bool duplex, TabEntry* entries, int capacity);

// The macro-file dialog's hook: refuses a file in the driver's own macro
// folder (1, with the dialog's result set), else 0.
UINT_PTR CALLBACK SaveMacroFileHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
