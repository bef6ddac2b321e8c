#include "detect/progress_bar.h"

#include <map>

#include "platform/gdi/drawing.h"
#include "platform/gdi/screen.h"

namespace {

constexpr char kClassName[] = "DP_PROGRESS_BAR_CLASS";

// The bar's percent, kept per window: the class has no extra bytes.
std::map<HWND, int>& Positions() {
  static std::map<HWND, int> positions;
  return positions;
}
int& PositionOf(HWND window) { return Positions()[window]; }

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  const int position = PositionOf(window);
  const int width = client.right - client.left;
  if (position == 0) {
    RECT inner{client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
    HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));
    FillRect(dc, &inner, grey);
    DeleteObject(grey);
  } else {
    const int segment = DP_CProgressBar::SegmentWidth(width);
    const int count = DP_CProgressBar::SegmentCount(position, width);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    for (int i = 0; i < count; ++i) {
      RECT part{client.left + i * segment, client.top + 2, client.left + i * segment + segment - 2, client.bottom - 2};
      FillRect(dc, &part, blue);
    }
    DeleteObject(blue);
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK BarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    Paint(window);
    return 0;
  }
  if (message == WM_NCDESTROY) Positions().erase(window);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int DP_CProgressBar::SegmentCount(int percent, int width) {
  const int segment = SegmentWidth(width);
  // A bar narrower than 40 pixels has no room for a segment.
  if (segment <= 0 || percent <= 0) return 0;
  return percent * width / (segment * 100);
}

bool DP_CProgressBar::Create(HWND parent, int id) {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = BarProcedure;
    windowClass.lpszClassName = kClassName;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    return RegisterClassA(&windowClass) != 0;
  }();
  HWND placeholder = GetDlgItem(parent, id);
  if (!registered || !placeholder) return false;
  RECT r;
  GetWindowRect(placeholder, &r);
  ScreenToClient(parent, reinterpret_cast<POINT*>(&r.left));
  ScreenToClient(parent, reinterpret_cast<POINT*>(&r.right));
  window_ = CreateWindowExA(0, kClassName, "DP_PROGRESS_BAR", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, parent, static_cast<HMENU>(id), 0, nullptr);
  return window_ != 0;
}

void DP_CProgressBar::SetPos(int percent) {
  if (!window_) return;
  PositionOf(window_) = percent;
  InvalidateRect(window_, nullptr, TRUE);
  UpdateWindow(window_);
}
