// The tab control: its items, the user's choice of a tab (click or arrow key)
// told to the parent through WM_NOTIFY, and its painting with 3-D edges.
#include "platform/ui/tab_control.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/wnd_tree.h"

namespace platform::ui {
namespace {

constexpr int kRowHeight = 20;  // the row of tabs above the display area
constexpr int kRaise = 2;       // the selected tab stands out by this much
constexpr int kTabPadding = 12;
constexpr int kMinimumTabWidth = 40;

struct TabItem {
  std::string text;
  LPARAM param = 0;
};

struct TabState {
  std::vector<TabItem> items;
  int selected = -1;
};

std::mutex g_lock;
std::map<HWND, TabState> g_tabs;

// A copy, so the lock is never held while messages run.
TabState Snapshot(HWND window) {
  std::lock_guard guard(g_lock);
  return g_tabs[window];
}

template <class Edit>
auto Change(HWND window, Edit&& change) {
  std::lock_guard guard(g_lock);
  return change(g_tabs[window]);
}

// The rectangles of the tabs, left to right, in client coordinates.
std::vector<RECT> TabRects(HWND window, const TabState& state) {
  std::vector<RECT> rects;
  HDC hdc = GetDC(window);
  HGDIOBJ old = WindowFont(window) ? SelectObject(hdc, WindowFont(window)) : 0;
  int x = kRaise;
  for (const TabItem& item : state.items) {
    SIZE size{};
    GetTextExtentPoint32A(hdc, item.text.c_str(), static_cast<int>(item.text.size()), &size);
    const int width = std::max(kMinimumTabWidth, static_cast<int>(size.cx) + kTabPadding);
    rects.push_back(RECT{x, kRaise, x + width, kRowHeight});
    x += width;
  }
  if (old) SelectObject(hdc, old);
  ReleaseDC(window, hdc);
  return rects;
}

LRESULT NotifyParent(HWND window, UINT code) {
  HWND parent = GetParent(window);
  if (!parent) return 0;
  NMHDR header{window, static_cast<UINT_PTR>(GetDlgCtrlID(window)), code};
  return SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(header.idFrom), reinterpret_cast<LPARAM>(&header));
}

// The user's choice: the parent may refuse it while the old tab is still selected.
void UserSelects(HWND window, int index) {
  const TabState state = Snapshot(window);
  if (index < 0 || index >= static_cast<int>(state.items.size()) || index == state.selected) return;
  if (NotifyParent(window, TCN_SELCHANGING)) return;
  Change(window, [&](TabState& s) { s.selected = index; });
  InvalidateRect(window, nullptr, TRUE);
  NotifyParent(window, TCN_SELCHANGE);
}

void Line(HDC hdc, int left, int top, int right, int bottom, int colour) {
  RECT r{left, top, right, bottom};
  FillRect(hdc, &r, GetSysColorBrush(colour));
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC hdc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
  // The display area's frame: light above and left, shadow and dark below and right.
  const int top = kRowHeight;
  Line(hdc, client.left, top, client.right, top + 1, COLOR_BTNHIGHLIGHT);
  Line(hdc, client.left, top, client.left + 1, client.bottom, COLOR_BTNHIGHLIGHT);
  Line(hdc, client.right - 1, top, client.right, client.bottom, COLOR_WINDOWTEXT);
  Line(hdc, client.right - 2, top + 1, client.right - 1, client.bottom - 1, COLOR_BTNSHADOW);
  Line(hdc, client.left, client.bottom - 1, client.right, client.bottom, COLOR_WINDOWTEXT);
  Line(hdc, client.left + 1, client.bottom - 2, client.right - 1, client.bottom - 1, COLOR_BTNSHADOW);

  const TabState state = Snapshot(window);
  const std::vector<RECT> rects = TabRects(window, state);
  HGDIOBJ old = WindowFont(window) ? SelectObject(hdc, WindowFont(window)) : 0;
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  for (size_t i = 0; i < rects.size(); ++i) {
    RECT r = rects[i];
    const bool selected = static_cast<int>(i) == state.selected;
    if (selected) {
      // Raised: wider, taller, and open towards the page below it.
      r.left -= kRaise;
      r.right += kRaise;
      r.top -= kRaise;
      RECT opening{r.left + 1, top, r.right - 2, top + 1};
      FillRect(hdc, &opening, GetSysColorBrush(COLOR_BTNFACE));
    }
    Line(hdc, r.left, r.top + 2, r.left + 1, r.bottom, COLOR_BTNHIGHLIGHT);
    Line(hdc, r.left + 2, r.top, r.right - 2, r.top + 1, COLOR_BTNHIGHLIGHT);
    Line(hdc, r.left + 1, r.top + 1, r.left + 2, r.top + 2, COLOR_BTNHIGHLIGHT);
    Line(hdc, r.right - 1, r.top + 2, r.right, r.bottom, COLOR_WINDOWTEXT);
    Line(hdc, r.right - 2, r.top + 1, r.right - 1, r.bottom, COLOR_BTNSHADOW);
    RECT text{r.left + 2, r.top + 2, r.right - 2, r.bottom};
    DrawTextA(hdc, state.items[i].text.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (selected && GetFocus() == window) {
      RECT focus{text.left + 1, text.top + 1, text.right - 1, text.bottom - 1};
      DrawFocusRect(hdc, &focus);
    }
  }
  if (old) SelectObject(hdc, old);
  EndPaint(window, &paint);
}

int HitTest(HWND window, LPARAM point) {
  const std::vector<RECT> rects = TabRects(window, Snapshot(window));
  const int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
  for (size_t i = 0; i < rects.size(); ++i) {
    const RECT& r = rects[i];
    if (x >= r.left && x < r.right && y >= r.top - kRaise && y < r.bottom) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

LRESULT CALLBACK TabControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      UserSelects(window, HitTest(window, lParam));
      return 0;
    }
    case WM_KEYDOWN: {
      const int selected = Snapshot(window).selected;
      if (wParam == VK_LEFT) UserSelects(window, selected - 1);
      if (wParam == VK_RIGHT) UserSelects(window, selected + 1);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(window, nullptr, TRUE); return 0;
    case TCM_GETITEMCOUNT: return static_cast<LRESULT>(Snapshot(window).items.size());
    case TCM_INSERTITEMA: {
      const auto* item = reinterpret_cast<const TCITEMA*>(lParam);
      if (!item) return -1;
      TabItem entry;
      if ((item->mask & TCIF_TEXT) && item->pszText) entry.text = item->pszText;
      if (item->mask & TCIF_PARAM) entry.param = item->lParam;
      const LRESULT index = Change(window, [&](TabState& s) {
        const size_t at = std::min(static_cast<size_t>(wParam), s.items.size());
        s.items.insert(s.items.begin() + static_cast<std::ptrdiff_t>(at), entry);
        if (s.selected >= static_cast<int>(at)) ++s.selected;
        if (s.selected < 0) s.selected = 0;
        return static_cast<LRESULT>(at);
      });
      InvalidateRect(window, nullptr, TRUE);
      return index;
    }
    case TCM_SETITEMA:
    case TCM_GETITEMA: {
      auto* item = reinterpret_cast<TCITEMA*>(lParam);
      if (!item) return FALSE;
      const BOOL done = Change(window, [&](TabState& s) {
        if (wParam >= s.items.size()) return FALSE;
        TabItem& entry = s.items[wParam];
        if (message == TCM_SETITEMA) {
          if ((item->mask & TCIF_TEXT) && item->pszText) entry.text = item->pszText;
          if (item->mask & TCIF_PARAM) entry.param = item->lParam;
          return TRUE;
        }
        if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
          const size_t n = std::min(entry.text.size(), static_cast<size_t>(item->cchTextMax - 1));
          entry.text.copy(item->pszText, n);
          item->pszText[n] = 0;
        }
        if (item->mask & TCIF_PARAM) item->lParam = entry.param;
        return TRUE;
      });
      if (done && message == TCM_SETITEMA) InvalidateRect(window, nullptr, TRUE);
      return done;
    }
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS: {
      const BOOL done = Change(window, [&](TabState& s) {
        if (message == TCM_DELETEALLITEMS) {
          s.items.clear();
          s.selected = -1;
          return TRUE;
        }
        if (wParam >= s.items.size()) return FALSE;
        s.items.erase(s.items.begin() + static_cast<std::ptrdiff_t>(wParam));
        const int index = static_cast<int>(wParam);
        if (s.selected > index || s.selected >= static_cast<int>(s.items.size())) --s.selected;
        return TRUE;
      });
      InvalidateRect(window, nullptr, TRUE);
      return done;
    }
    case TCM_GETCURSEL: return Snapshot(window).selected;
    case TCM_SETCURSEL: {
      const LRESULT previous = Change(window, [&](TabState& s) -> LRESULT {
        if (wParam >= s.items.size()) return -1;
        const int was = s.selected;
        s.selected = static_cast<int>(wParam);
        return was;
      });
      InvalidateRect(window, nullptr, TRUE);
      return previous;
    }
    case TCM_GETITEMRECT: {
      const std::vector<RECT> rects = TabRects(window, Snapshot(window));
      if (wParam >= rects.size() || !lParam) return FALSE;
      *reinterpret_cast<RECT*>(lParam) = rects[wParam];
      return TRUE;
    }
    case TCM_ADJUSTRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect) return 0;
      const int sign = wParam ? -1 : 1;
      rect->left += sign * 4;
      rect->right -= sign * 4;
      rect->top += sign * (kRowHeight + 4);
      rect->bottom -= sign * 4;
      return 0;
    }
    case WM_PAINT: Paint(window); return 0;
    case WM_NCDESTROY: {
      std::lock_guard guard(g_lock);
      g_tabs.erase(window);
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace platform::ui
