// A pop-up menu on the display: an undecorated window over everything (the
// window manager leaves it alone) listing the menu's items at the point asked.
// The pointer lights the item under it and a click picks it; Up and Down move,
// Enter picks, Escape or a press outside the menu closes it with nothing
// picked, and an item's mnemonic letter picks it. Items that open a pop-up of
// their own are shown but not opened.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/ui/ctl_paint.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/x11_display.h"
#include "platform/ui/x11_popups.h"

namespace platform::ui::x11 {
namespace {

constexpr const char* kMenuClass = "#32768";
constexpr int kRowHeight = 22;
constexpr int kSeparatorHeight = 9;
constexpr int kTextLeft = 24;

struct Item {
  UINT id = 0;
  UINT state = 0;
  std::string text;         // before the tab
  std::string accelerator;  // after it
  int top = 0, bottom = 0;
  bool Pickable() const { return !(state & (MF_SEPARATOR | MF_POPUP | MF_GRAYED | MF_DISABLED)); }
};

struct Tracking {
  std::vector<Item> items;
  int hot = -1;
  UINT picked = 0;
  bool done = false;
};

Tracking* StateOf(HWND window) { return reinterpret_cast<Tracking*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

int ItemAt(const Tracking& t, int y) {
  for (size_t i = 0; i < t.items.size(); ++i) {
    if (y >= t.items[i].top && y < t.items[i].bottom) return static_cast<int>(i);
  }
  return -1;
}

void Light(HWND window, Tracking& t, int index) {
  if (index == t.hot) return;
  t.hot = index;
  InvalidateRect(window, nullptr, TRUE);
}

void Pick(Tracking& t, int index) {
  if (index < 0 || !t.items[static_cast<size_t>(index)].Pickable()) return;
  t.picked = t.items[static_cast<size_t>(index)].id;
  t.done = true;
}

// The next item Up or Down reaches, past separators, round the ends.
int Step(const Tracking& t, int direction) {
  const int count = static_cast<int>(t.items.size());
  int at = t.hot;
  for (int tries = 0; tries < count; ++tries) {
    at = at < 0 ? (direction > 0 ? 0 : count - 1) : (at + direction + count) % count;
    if (!(t.items[static_cast<size_t>(at)].state & MF_SEPARATOR)) return at;
  }
  return t.hot;
}

char Mnemonic(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '&' && text[i + 1] != '&')
      return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    if (text[i] == '&') ++i;
  }
  return 0;
}

void Paint(HWND window, Tracking& t) {
  PAINTSTRUCT paint{};
  HDC hdc = BeginPaint(window, &paint);
  RECT client{};
  GetClientRect(window, &client);
  FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(window));
  SetBkMode(hdc, TRANSPARENT);
  for (size_t i = 0; i < t.items.size(); ++i) {
    const Item& item = t.items[i];
    RECT row{client.left + 2, item.top, client.right - 2, item.bottom};
    if (item.state & MF_SEPARATOR) {
      RECT line{row.left + 4, (row.top + row.bottom) / 2, row.right - 4, (row.top + row.bottom) / 2 + 1};
      FillRect(hdc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
      continue;
    }
    const bool hot = static_cast<int>(i) == t.hot;
    if (hot) FillRect(hdc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
    const bool grey = (item.state & (MF_GRAYED | MF_DISABLED)) != 0;
    SetTextColor(hdc, GetSysColor(grey ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    if (item.state & MF_CHECKED) {
      RECT mark{row.left + 7, (row.top + row.bottom) / 2 - 3, row.left + 13, (row.top + row.bottom) / 2 + 3};
      FillRect(hdc, &mark, GetSysColorBrush(grey ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    }
    RECT text{row.left + kTextLeft, row.top, row.right - 16, row.bottom};
    DrawTextA(hdc, item.text.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (!item.accelerator.empty()) {
      DrawTextA(hdc, item.accelerator.c_str(), -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (item.state & MF_POPUP) {
      RECT arrow{row.right - 12, text.top, row.right - 2, text.bottom};
      DrawTextA(hdc, ">", 1, &arrow, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
  const RECT edges[] = {{client.left, client.top, client.right, client.top + 1},
                        {client.left, client.bottom - 1, client.right, client.bottom},
                        {client.left, client.top, client.left + 1, client.bottom},
                        {client.right - 1, client.top, client.right, client.bottom}};
  for (const RECT& edge : edges) FillRect(hdc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
  SelectObject(hdc, previous);
  EndPaint(window, &paint);
}

LRESULT CALLBACK MenuProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Tracking* t = StateOf(window);
  if (!t) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: Paint(window, *t); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: Light(window, *t, ItemAt(*t, GET_Y_LPARAM(lParam))); return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: Pick(*t, ItemAt(*t, GET_Y_LPARAM(lParam))); return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_UP: Light(window, *t, Step(*t, -1)); break;
        case VK_DOWN: Light(window, *t, Step(*t, +1)); break;
        case VK_RETURN: Pick(*t, t->hot); break;
        case VK_ESCAPE: t->done = true; break;
        default: break;
      }
      return 0;
    case WM_CHAR:
    case WM_SYSCHAR: {
      const char typed = static_cast<char>(std::toupper(static_cast<int>(wParam & 0xFF)));
      for (size_t i = 0; i < t->items.size(); ++i) {
        if (Mnemonic(t->items[i].text) == typed) {
          Pick(*t, static_cast<int>(i));
          break;
        }
      }
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

void Register() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MenuProcedure;
    windowClass.lpszClassName = kMenuClass;
    return RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
}

std::vector<Item> ItemsOf(HMENU menu) {
  std::vector<Item> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    Item item;
    const UINT position = static_cast<UINT>(i);
    // A pop-up's item count in the high byte is no state.
    item.state =
        GetMenuState(menu, position, MF_BYPOSITION) & (MF_SEPARATOR | MF_POPUP | MF_GRAYED | MF_DISABLED | MF_CHECKED);
    item.id = GetMenuItemID(menu, i);
    char text[256] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    item.text = text;
    if (const size_t tab = item.text.find('\t'); tab != std::string::npos) {
      item.accelerator = item.text.substr(tab + 1);
      item.text.resize(tab);
    }
    items.push_back(std::move(item));
  }
  return items;
}

bool IsKey(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || message == WM_SYSKEYDOWN ||
         message == WM_SYSCHAR;
}

bool IsPress(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_LBUTTONDBLCLK;
}

}  // namespace

bool ShowPopupMenuWindow(const platform::MenuRequest& request, int x, int y, UINT* picked) {
  if (!DisplayActive() || !OnDisplayThread()) return false;
  Register();
  Tracking tracking;
  tracking.items = ItemsOf(request.menu);
  if (tracking.items.empty()) return false;
  // Sizes in the font the menu is drawn with.
  int width = 120, height = 4;
  HDC hdc = GetDC(0);
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(request.owner));
  for (Item& item : tracking.items) {
    item.top = height;
    height += (item.state & MF_SEPARATOR) ? kSeparatorHeight : kRowHeight;
    item.bottom = height;
    RECT text{0, 0, 0, 0};
    DrawTextA(hdc, (item.text + "    " + item.accelerator).c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
    width = std::max<int>(width, kTextLeft + (text.right - text.left) + 32);
  }
  SelectObject(hdc, previous);
  ReleaseDC(0, hdc);
  height += 4;
  HWND window = CreateWindowExA(0, kMenuClass, "", WS_POPUP, x, y, width, height, request.owner, 0, 0, nullptr);
  if (!window) return false;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tracking));
  const HWND focus = GetFocus();
  ShowWindow(window, SW_SHOW);
  SetFocus(window);
  MSG msg;
  while (!tracking.done && IsWindow(window)) {
    if (!GetMessageA(&msg, 0, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // A press anywhere else closes the menu and is not passed on, as on Windows.
    if (IsPress(msg.message) && msg.hwnd != window) break;
    // The keyboard belongs to the menu while it is open.
    if (IsKey(msg.message)) msg.hwnd = window;
    DispatchMessageA(&msg);
  }
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  if (focus && IsWindow(focus)) SetFocus(focus);
  *picked = tracking.picked;
  return true;
}

}  // namespace platform::ui::x11
