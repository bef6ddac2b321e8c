// Display device contexts inside the engine: the calls that printer DCs also
// answer hand a display DC to these functions (see screen.h).
#pragma once

#include <memory>

#include "platform/base/handles.h"
#include "platform/gdi/screen.h"

namespace platform::gdi::display {

class DisplayDC;

// The display DC behind `hdc`, or null (the last error untouched).
std::shared_ptr<DisplayDC> Find(HDC hdc);

HGDIOBJ Select(DisplayDC& dc, HGDIOBJ object);
BOOL Delete(HDC hdc);
int DeviceCaps(DisplayDC& dc, int index);
BOOL MoveTo(DisplayDC& dc, int x, int y, LPPOINT previous);
BOOL LineTo(DisplayDC& dc, int x, int y);
BOOL Rectangle(DisplayDC& dc, int left, int top, int right, int bottom);
BOOL Polyline(DisplayDC& dc, const POINT* points, int count);
// Filled with the brush (alternate rule), outlined with the pen.
BOOL Polygon(DisplayDC& dc, const POINT* points, int count);
COLORREF SetTextColor(DisplayDC& dc, COLORREF color);
COLORREF SetBkColor(DisplayDC& dc, COLORREF color);
COLORREF GetBkColor(DisplayDC& dc);
int SetBkMode(DisplayDC& dc, int mode);
int GetBkMode(DisplayDC& dc);
int SetMapMode(DisplayDC& dc, int mode);
BOOL TextOut(DisplayDC& dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length);
BOOL TextMetrics(DisplayDC& dc, LPTEXTMETRICA metrics);
BOOL TextExtent(DisplayDC& dc, LPCSTR text, int length, LPSIZE size);

// Bitmaps and icons are display objects of their own: DeleteObject and
// GetStockObject (for the stock fonts) ask here first. True when handled.
bool DeleteDisplayObject(HGDIOBJ object);
HGDIOBJ StockFont(int index);

}  // namespace platform::gdi::display
