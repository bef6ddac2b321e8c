// The standard controls: buttons (push, default, check box, radio, owner-drawn),
// edits, statics, list boxes (owner-drawn ones ask their parent with
// WM_MEASUREITEM, WM_DRAWITEM and WM_DELETEITEM) and drop-down combo boxes.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/ui/ctl_paint.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/wnd_tree.h"

namespace platform::ui {
namespace {

struct Entry {
  std::string text;
  ULONG_PTR data = 0;
  UINT height = 0;
};

struct ControlState {
  // Buttons.
  bool pushed = false;
  UINT check = BST_UNCHECKED;
  // Edits.
  UINT limit = 0;
  bool allSelected = false;  // EM_SETSEL(0, -1): the next character typed replaces the text
  // Lists and combo boxes.
  std::vector<Entry> entries;
  int selection = -1;
  int top = 0;
  // Combo boxes: whether the list is open, and the entry lit in it.
  bool dropped = false;
  int hot = -1;
  UINT fixedHeight = 0;
  // Statics showing a picture.
  HANDLE image = 0;
  UINT imageType = IMAGE_BITMAP;
  // Progress bars.
  int low = 0;
  int high = 100;
  int position = 0;
  int step = 10;
};

std::mutex g_stateLock;
std::map<HWND, ControlState> g_states;

// The control's state; it lives until WM_NCDESTROY. Only the window's own
// thread touches it, so the reference outlives the lock.
ControlState& State(HWND window) {
  std::lock_guard guard(g_stateLock);
  return g_states[window];
}

void Forget(HWND window) {
  std::lock_guard guard(g_stateLock);
  g_states.erase(window);
}

void Notify(HWND window, int code) {
  Node node;
  if (!GetNode(window, &node) || !node.parent) return;
  SendMessageA(node.parent, WM_COMMAND, MAKEWPARAM(node.id, code), static_cast<LPARAM>(window));
}

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

bool Inside(HWND window, LPARAM point) {
  RECT client;
  GetClientRect(window, &client);
  const int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
  return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

// The brush a control's parent answers WM_CTLCOLOR... with (0 for none); the
// parent may set the DC's text colour too.
HBRUSH ParentBrush(HWND window, HDC hdc, UINT colourMessage) {
  HWND parent = GetParent(window);
  if (!parent) return 0;
  return static_cast<HBRUSH>(
      SendMessageA(parent, colourMessage, static_cast<WPARAM>(hdc), static_cast<LPARAM>(window)));
}

void PaintButton(HWND window, DWORD type) {
  PAINTSTRUCT paintStruct;
  HDC hdc = BeginPaint(window, &paintStruct);
  const ControlState state = State(window);
  RECT client;
  GetClientRect(window, &client);
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
    paint::PushButton(hdc, window, state.pushed);
  } else {
    SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
    if (HBRUSH brush = ParentBrush(window, hdc, WM_CTLCOLORBTN)) FillRect(hdc, &client, brush);
    if (type == BS_GROUPBOX) {
      paint::GroupBox(hdc, window);
    } else {
      const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
      paint::CheckOrRadio(hdc, window, radio, state.check, state.pushed, platform::gdi::TextColourOfDC(hdc));
    }
  }
  EndPaint(window, &paintStruct);
}

void PaintEdit(HWND window) {
  PAINTSTRUCT paintStruct;
  HDC hdc = BeginPaint(window, &paintStruct);
  const DWORD style = Style(window);
  const bool enabled = IsWindowEnabled(window) != FALSE;
  const bool writable = enabled && !(style & ES_READONLY);
  RECT client;
  GetClientRect(window, &client);
  const RECT field{client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
  SetTextColor(hdc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  SetBkColor(hdc, GetSysColor(writable ? COLOR_WINDOW : COLOR_BTNFACE));
  // Read-only and disabled edits ask for the static colours, as Windows does.
  HBRUSH brush = ParentBrush(window, hdc, writable ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
  if (brush) {
    FillRect(hdc, &field, brush);
  } else {
    paint::Bar(hdc, field.left, field.top, field.right, field.bottom, writable ? COLOR_WINDOW : COLOR_BTNFACE);
  }
  paint::SunkenEdge(hdc, client);
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  if (style & ES_PASSWORD) std::memset(text, '*', std::strlen(text));
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(window));
  SetBkMode(hdc, TRANSPARENT);
  RECT textRect{field.left + 2, field.top, field.right - 1, field.bottom};
  const UINT format = (style & ES_MULTILINE) ? DT_LEFT | DT_WORDBREAK | DT_NOPREFIX
                                             : DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  if (style & ES_MULTILINE) textRect.top += 1;
  DrawTextA(hdc, text, -1, &textRect, format);
  if (previous) SelectObject(hdc, previous);
  EndPaint(window, &paintStruct);
}

void PaintStatic(HWND window) {
  PAINTSTRUCT paintStruct;
  HDC hdc = BeginPaint(window, &paintStruct);
  const DWORD style = Style(window);
  const DWORD type = style & SS_TYPEMASK;
  const ControlState state = State(window);
  RECT client;
  GetClientRect(window, &client);
  SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
  if (HBRUSH brush = ParentBrush(window, hdc, WM_CTLCOLORSTATIC)) FillRect(hdc, &client, brush);
  switch (type) {
    case SS_ETCHEDHORZ:
      paint::Bar(hdc, client.left, client.top, client.right, client.top + 1, COLOR_BTNSHADOW);
      paint::Bar(hdc, client.left, client.top + 1, client.right, client.top + 2, COLOR_BTNHIGHLIGHT);
      break;
    case SS_ETCHEDVERT:
      paint::Bar(hdc, client.left, client.top, client.left + 1, client.bottom, COLOR_BTNSHADOW);
      paint::Bar(hdc, client.left + 1, client.top, client.left + 2, client.bottom, COLOR_BTNHIGHLIGHT);
      break;
    case SS_ETCHEDFRAME: paint::EtchedFrame(hdc, client); break;
    case SS_ICON:
      if (state.image) DrawIcon(hdc, 0, 0, static_cast<HICON>(state.image));
      break;
    case SS_BITMAP:
      if (state.image && state.imageType == IMAGE_BITMAP) {
        HDC source = CreateCompatibleDC(hdc);
        HGDIOBJ old = SelectObject(source, state.image);
        BITMAP info{};
        GetObjectA(state.image, sizeof info, &info);
        int x = 0, y = 0;
        if (style & SS_CENTERIMAGE) {
          x = (client.right - info.bmWidth) / 2;
          y = (client.bottom - info.bmHeight) / 2;
        }
        BitBlt(hdc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
      }
      break;
    default: {
      char text[1024] = {};
      GetWindowTextA(window, text, sizeof text);
      UINT format = DT_WORDBREAK | (type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT);
      if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
      paint::Label(hdc, window, text, client, format, IsWindowEnabled(window) != FALSE,
                   platform::gdi::TextColourOfDC(hdc));
      break;
    }
  }
  if (style & SS_SUNKEN) {
    paint::Bar(hdc, client.left, client.top, client.right, client.top + 1, COLOR_BTNSHADOW);
    paint::Bar(hdc, client.left, client.top, client.left + 1, client.bottom, COLOR_BTNSHADOW);
    paint::Bar(hdc, client.left, client.bottom - 1, client.right, client.bottom, COLOR_BTNHIGHLIGHT);
    paint::Bar(hdc, client.right - 1, client.top, client.right, client.bottom, COLOR_BTNHIGHLIGHT);
  }
  EndPaint(window, &paintStruct);
}

void PaintProgress(HWND window) {
  PAINTSTRUCT paintStruct;
  HDC hdc = BeginPaint(window, &paintStruct);
  const ControlState state = State(window);
  RECT client;
  GetClientRect(window, &client);
  paint::Bar(hdc, client.left, client.top, client.right, client.bottom, COLOR_BTNFACE);
  paint::Bar(hdc, client.left, client.top, client.right, client.top + 1, COLOR_BTNSHADOW);
  paint::Bar(hdc, client.left, client.top, client.left + 1, client.bottom, COLOR_BTNSHADOW);
  paint::Bar(hdc, client.left, client.bottom - 1, client.right, client.bottom, COLOR_BTNHIGHLIGHT);
  paint::Bar(hdc, client.right - 1, client.top, client.right, client.bottom, COLOR_BTNHIGHLIGHT);
  const int inner = client.right - client.left - 4;
  const int span = state.high - state.low;
  if (span != 0 && inner > 0) {
    const int filled = static_cast<int>(static_cast<long long>(inner) * (state.position - state.low) / span);
    // Blocks two thirds as wide as the bar is high, two pixels apart.
    const int block = std::max(2, (client.bottom - client.top - 4) * 2 / 3);
    for (int x = 0; x < filled; x += block + 2) {
      paint::Bar(hdc, client.left + 2 + x, client.top + 2, client.left + 2 + std::min(x + block, filled),
                 client.bottom - 2, COLOR_HIGHLIGHT);
    }
  }
  EndPaint(window, &paintStruct);
}

// Radio buttons of one group: from the last WS_GROUP sibling at or before the
// button to the next one.
void UncheckGroup(HWND button) {
  HWND first = button;
  while (!(Style(first) & WS_GROUP)) {
    HWND previous = GetWindow(first, GW_HWNDPREV);
    if (!previous) break;
    first = previous;
  }
  for (HWND w = first; w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w != first && (Style(w) & WS_GROUP)) break;
    const DWORD type = Style(w) & BS_TYPEMASK;
    if (w != button && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)) {
      SendMessageA(w, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
}

}  // namespace

LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const DWORD type = Style(window) & BS_TYPEMASK;
  switch (message) {
    case WM_GETDLGCODE:
      switch (type) {
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
        case BS_OWNERDRAW: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
      }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (type == BS_GROUPBOX) return 0;
      State(window).pushed = true;
      SetCapture(window);
      SetFocus(window);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP: {
      ControlState& state = State(window);
      if (!state.pushed) return 0;
      state.pushed = false;
      if (GetCapture() == window) ReleaseCapture();
      InvalidateRect(window, nullptr, TRUE);
      if (!Inside(window, lParam)) return 0;
      if (type == BS_AUTOCHECKBOX) state.check = state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      if (type == BS_AUTORADIOBUTTON) {
        UncheckGroup(window);
        state.check = BST_CHECKED;
      }
      Notify(window, BN_CLICKED);
      return 0;
    }
    case BM_CLICK:
      SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      SendMessageA(window, WM_LBUTTONUP, 0, 0);
      return 0;
    case BM_GETCHECK: return State(window).check;
    case BM_SETCHECK:
      State(window).check = static_cast<UINT>(wParam);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case BM_GETSTATE: {
      const ControlState& state = State(window);
      return static_cast<LRESULT>(state.check | (state.pushed ? BST_PUSHED : 0) |
                                  (GetFocus() == window ? BST_FOCUS : 0));
    }
    case BM_SETSTATE:
      State(window).pushed = wParam != 0;
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_PAINT:
      if (type == BS_OWNERDRAW) {
        PAINTSTRUCT paint;
        HDC hdc = BeginPaint(window, &paint);
        Node node;
        GetNode(window, &node);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_BUTTON;
        draw.CtlID = static_cast<UINT>(node.id);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = (State(window).pushed ? ODS_SELECTED : 0) | (GetFocus() == window ? ODS_FOCUS : 0) |
                         (IsWindowEnabled(window) ? 0 : ODS_DISABLED);
        draw.hwndItem = window;
        draw.hDC = hdc;
        GetClientRect(window, &draw.rcItem);
        if (node.parent)
          SendMessageA(node.parent, WM_DRAWITEM, static_cast<WPARAM>(node.id), reinterpret_cast<LPARAM>(&draw));
        EndPaint(window, &paint);
        return 0;
      }
      PaintButton(window, type);
      return 0;
    case WM_NCDESTROY: Forget(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: SetFocus(window); return 0;
    case WM_CHAR: {
      char text[4096];
      int length = GetWindowTextA(window, text, sizeof text);
      if (std::exchange(State(window).allSelected, false) && wParam >= 0x20) {
        length = 0;
        text[0] = 0;
      }
      if (wParam == VK_BACK) {
        if (length == 0) return 0;
        // A double-byte character goes as a whole, never leaving its lead byte behind.
        *CharPrevA(text, text + length) = 0;
      } else {
        const unsigned char c = static_cast<unsigned char>(wParam);
        if (c < 0x20) return 0;
        if ((Style(window) & ES_NUMBER) && (c < '0' || c > '9')) return 0;
        const UINT limit = State(window).limit;
        if ((limit && static_cast<UINT>(length) >= limit) || length + 1 >= static_cast<int>(sizeof text)) return 0;
        text[length] = static_cast<char>(c);
        text[length + 1] = 0;
      }
      StoreWindowText(window, text);
      InvalidateRect(window, nullptr, TRUE);
      Notify(window, EN_CHANGE);
      return 0;
    }
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      // Text set by the program notifies only single-line edits.
      if (!(Style(window) & ES_MULTILINE)) Notify(window, EN_CHANGE);
      return result;
    }
    case EM_LIMITTEXT: State(window).limit = static_cast<UINT>(wParam); return 0;
    case EM_SETSEL:
      // Only the whole text is ever selected here: what a dialog selects before typing.
      State(window).allSelected = wParam == 0 && static_cast<int>(lParam) == -1;
      return 0;
    case WM_PAINT: PaintEdit(window); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // The owner hears when typing starts and ends, to check what was typed.
      InvalidateRect(window, nullptr, TRUE);
      if (message == WM_KILLFOCUS) State(window).allSelected = false;
      Notify(window, message == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
      return 0;
    case WM_ENABLE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_NCDESTROY: Forget(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_STATIC;
    case STM_SETIMAGE:
    case STM_SETICON: {
      ControlState& state = State(window);
      const HANDLE previous = state.image;
      state.image = message == STM_SETICON ? static_cast<HANDLE>(wParam) : static_cast<HANDLE>(lParam);
      state.imageType = message == STM_SETICON ? IMAGE_ICON : static_cast<UINT>(wParam);
      InvalidateRect(window, nullptr, TRUE);
      return static_cast<LRESULT>(previous);
    }
    case STM_GETIMAGE:
    case STM_GETICON: return static_cast<LRESULT>(State(window).image);
    case WM_ENABLE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_PAINT: PaintStatic(window); return 0;
    case WM_NCDESTROY: Forget(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK ScrollBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_ENABLE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_PAINT: {
      PAINTSTRUCT paintStruct;
      HDC hdc = BeginPaint(window, &paintStruct);
      Node node;
      GetNode(window, &node);
      RECT client;
      GetClientRect(window, &client);
      const int low = std::min(node.scrollMinimum, node.scrollMaximum);
      const int total = std::abs(node.scrollMaximum - node.scrollMinimum) + 1;
      paint::ScrollBar(hdc, client, (node.style & SBS_VERT) != 0, node.scrollPosition - low,
                       total > 1 && IsWindowEnabled(window) ? 1 : total, total);
      EndPaint(window, &paintStruct);
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState& state = State(window);
  auto moveTo = [&](int position) {
    const int previous = state.position;
    state.position = std::clamp(position, std::min(state.low, state.high), std::max(state.low, state.high));
    if (state.position != previous) InvalidateRect(window, nullptr, TRUE);
    return static_cast<LRESULT>(previous);
  };
  switch (message) {
    case WM_GETDLGCODE: return DLGC_STATIC;
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
      const LRESULT previous = MAKELONG(static_cast<WORD>(state.low), static_cast<WORD>(state.high));
      if (message == PBM_SETRANGE) {
        state.low = LOWORD(lParam);
        state.high = HIWORD(lParam);
      } else {
        state.low = static_cast<int>(wParam);
        state.high = static_cast<int>(lParam);
      }
      moveTo(state.position);
      InvalidateRect(window, nullptr, TRUE);
      return previous;
    }
    case PBM_GETRANGE: return wParam ? state.low : state.high;
    case PBM_SETPOS: return moveTo(static_cast<int>(wParam));
    case PBM_DELTAPOS: return moveTo(state.position + static_cast<int>(wParam));
    case PBM_GETPOS: return state.position;
    case PBM_SETSTEP: return std::exchange(state.step, static_cast<int>(wParam));
    case PBM_STEPIT: {
      // Stepping past the end starts again from the beginning.
      int next = state.position + state.step;
      if (next > std::max(state.low, state.high)) next = state.low + (next - std::max(state.low, state.high));
      return moveTo(next);
    }
    case WM_PAINT: PaintProgress(window); return 0;
    case WM_NCDESTROY: Forget(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

namespace {

bool OwnerDrawn(HWND window) { return (Style(window) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
bool HasStrings(HWND window) { return !OwnerDrawn(window) || (Style(window) & LBS_HASSTRINGS); }

void SendDelete(HWND window, int index, const Entry& entry) {
  if (!OwnerDrawn(window)) return;
  Node node;
  if (!GetNode(window, &node) || !node.parent) return;
  DELETEITEMSTRUCT del{ODT_LISTBOX, static_cast<UINT>(node.id), static_cast<UINT>(index), window, entry.data};
  SendMessageA(node.parent, WM_DELETEITEM, static_cast<WPARAM>(node.id), reinterpret_cast<LPARAM>(&del));
}

UINT Measure(HWND window, int index, ULONG_PTR data) {
  Node node;
  GetNode(window, &node);
  MEASUREITEMSTRUCT measure{ODT_LISTBOX, static_cast<UINT>(node.id), static_cast<UINT>(index), 0, 16, data};
  if (node.parent) {
    SendMessageA(node.parent, WM_MEASUREITEM, static_cast<WPARAM>(node.id), reinterpret_cast<LPARAM>(&measure));
  }
  return measure.itemHeight;
}

UINT EntryHeight(HWND window, const ControlState& state, const Entry& entry) {
  if (Style(window) & LBS_OWNERDRAWVARIABLE) return entry.height;
  if (Style(window) & LBS_OWNERDRAWFIXED) return state.fixedHeight;
  // Plain entries are a line of the list's font high.
  HDC hdc = GetDC(window);
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(window));
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  if (previous) SelectObject(hdc, previous);
  ReleaseDC(window, hdc);
  return static_cast<UINT>(metrics.tmHeight);
}

RECT EntryRect(HWND window, const ControlState& state, int index) {
  RECT client;
  GetClientRect(window, &client);
  int y = 0;
  for (int i = state.top; i < index && i < static_cast<int>(state.entries.size()); ++i) {
    y += static_cast<int>(EntryHeight(window, state, state.entries[static_cast<size_t>(i)]));
  }
  const int h = index < static_cast<int>(state.entries.size())
                    ? static_cast<int>(EntryHeight(window, state, state.entries[static_cast<size_t>(index)]))
                    : 0;
  return RECT{0, y, client.right, y + h};
}

// Whether the entry begins with the text (or is it, when exact), letters of
// either case alike. Only single-byte letters fold: the second byte of a
// double-byte character is compared as it is, as it may fall among the letters.
bool MatchesNoCase(const std::string& entry, const char* text, bool exact) {
  const size_t length = std::strlen(text);
  if (entry.size() < length || (exact && entry.size() != length)) return false;
  for (size_t i = 0; i < length; ++i) {
    const auto a = static_cast<unsigned char>(entry[i]), b = static_cast<unsigned char>(text[i]);
    if (IsDBCSLeadByte(b) && i + 1 < length) {
      if (a != b || entry[i + 1] != text[i + 1]) return false;
      ++i;
      continue;
    }
    if (a != b && std::tolower(a) != std::tolower(b)) return false;
  }
  return true;
}

int Find(const ControlState& state, int start, LPCSTR text, bool exact) {
  if (!text) return LB_ERR;
  const size_t count = state.entries.size();
  for (size_t step = 1; step <= count; ++step) {
    const size_t i = (static_cast<size_t>(start < 0 ? -1 : start) + step) % count;
    const std::string& entry = state.entries[i].text;
    const bool match = MatchesNoCase(entry, text, exact);
    if (match) return static_cast<int>(i);
  }
  return LB_ERR;
}

// The messages lists and combo boxes share; `combo` picks the CB_ numbers.
bool ListMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool combo, LRESULT* result) {
  ControlState& state = State(window);
  const int count = static_cast<int>(state.entries.size());
  const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  auto is = [&](UINT listMessage, UINT comboMessage) { return message == (combo ? comboMessage : listMessage); };
  if (is(LB_ADDSTRING, CB_ADDSTRING) || is(LB_INSERTSTRING, CB_INSERTSTRING)) {
    Entry entry;
    if (combo || HasStrings(window)) {
      entry.text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
    } else {
      entry.data = static_cast<ULONG_PTR>(lParam);
    }
    int at = count;
    // A sorted list places an added text among the others; an inserted one goes
    // where it is asked to, sorted or not.
    const bool sorted = (combo ? (Style(window) & CBS_SORT) : (Style(window) & LBS_SORT)) != 0;
    if (is(LB_ADDSTRING, CB_ADDSTRING) && sorted && (combo || HasStrings(window))) {
      at = 0;
      while (at < count && lstrcmpiA(state.entries[static_cast<size_t>(at)].text.c_str(), entry.text.c_str()) <= 0)
        ++at;
    }
    if (is(LB_INSERTSTRING, CB_INSERTSTRING) && index >= 0) {
      if (index > count) {
        *result = LB_ERR;
        return true;
      }
      at = index;
    }
    state.entries.insert(state.entries.begin() + at, entry);
    if (!combo && (Style(window) & LBS_OWNERDRAWVARIABLE)) {
      State(window).entries[static_cast<size_t>(at)].height = Measure(window, at, entry.data);
    } else if (!combo && (Style(window) & LBS_OWNERDRAWFIXED) && State(window).fixedHeight == 0) {
      State(window).fixedHeight = Measure(window, 0, entry.data);
    }
    InvalidateRect(window, nullptr, TRUE);
    *result = at;
    return true;
  }
  if (is(LB_DELETESTRING, CB_DELETESTRING)) {
    if (index < 0 || index >= count) {
      *result = LB_ERR;
      return true;
    }
    const Entry entry = state.entries[static_cast<size_t>(index)];
    state.entries.erase(state.entries.begin() + index);
    if (state.selection == index)
      state.selection = -1;
    else if (state.selection > index)
      --state.selection;
    SendDelete(window, index, entry);
    InvalidateRect(window, nullptr, TRUE);
    *result = count - 1;
    return true;
  }
  if (is(LB_RESETCONTENT, CB_RESETCONTENT)) {
    const std::vector<Entry> entries = std::move(state.entries);
    state.entries.clear();
    state.selection = -1;
    state.top = 0;
    for (size_t i = 0; i < entries.size(); ++i) SendDelete(window, static_cast<int>(i), entries[i]);
    InvalidateRect(window, nullptr, TRUE);
    *result = 0;
    return true;
  }
  if (is(LB_GETCOUNT, CB_GETCOUNT)) {
    *result = count;
    return true;
  }
  if (is(LB_SETCURSEL, CB_SETCURSEL)) {
    if (index >= count) {
      state.selection = -1;
      *result = LB_ERR;
    } else {
      state.selection = index;
      *result = index < 0 ? LB_ERR : index;
    }
    InvalidateRect(window, nullptr, TRUE);
    return true;
  }
  if (is(LB_GETCURSEL, CB_GETCURSEL)) {
    *result = state.selection;
    return true;
  }
  if (is(LB_GETITEMDATA, CB_GETITEMDATA) || is(LB_SETITEMDATA, CB_SETITEMDATA)) {
    if (index < 0 || index >= count) {
      *result = LB_ERR;
      return true;
    }
    Entry& entry = state.entries[static_cast<size_t>(index)];
    if (is(LB_SETITEMDATA, CB_SETITEMDATA)) {
      entry.data = static_cast<ULONG_PTR>(lParam);
      *result = TRUE;
    } else {
      *result = static_cast<LRESULT>(entry.data);
    }
    return true;
  }
  if (is(LB_GETTEXT, CB_GETLBTEXT)) {
    if (index < 0 || index >= count || !lParam) {
      *result = LB_ERR;
      return true;
    }
    const Entry& entry = state.entries[static_cast<size_t>(index)];
    if (!combo && !HasStrings(window)) {
      std::memcpy(reinterpret_cast<void*>(lParam), &entry.data, sizeof entry.data);
      *result = sizeof entry.data;
      return true;
    }
    std::strcpy(reinterpret_cast<LPSTR>(lParam), entry.text.c_str());
    *result = static_cast<LRESULT>(entry.text.size());
    return true;
  }
  if (is(LB_GETTEXTLEN, CB_GETLBTEXTLEN)) {
    *result = index < 0 || index >= count ? LB_ERR
                                          : static_cast<LRESULT>(state.entries[static_cast<size_t>(index)].text.size());
    return true;
  }
  if (is(LB_FINDSTRING, CB_FINDSTRING) || is(LB_FINDSTRINGEXACT, CB_FINDSTRINGEXACT)) {
    *result = count == 0
                  ? LB_ERR
                  : Find(state, index, reinterpret_cast<LPCSTR>(lParam), is(LB_FINDSTRINGEXACT, CB_FINDSTRINGEXACT));
    return true;
  }
  return false;
}

// An entry whose tabs move the text on to the next stop of the list.
void DrawTabbedEntry(HDC hdc, const RECT& rect, const std::string& text) {
  constexpr int kTabStop = 48;
  ExtTextOutA(hdc, rect.left, rect.top, ETO_OPAQUE | ETO_CLIPPED, &rect, "", 0, nullptr);
  int x = rect.left + 2;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\t', start);
    if (end == std::string::npos) end = text.size();
    const int length = static_cast<int>(end - start);
    if (length > 0) {
      ExtTextOutA(hdc, x, rect.top, ETO_CLIPPED, &rect, text.c_str() + start, static_cast<UINT>(length), nullptr);
      SIZE size{};
      GetTextExtentPoint32A(hdc, text.c_str() + start, length, &size);
      x += size.cx;
    }
    if (end == text.size()) break;
    x = rect.left + 2 + ((x - rect.left - 2) / kTabStop + 1) * kTabStop;
    start = end + 1;
  }
}

void PaintList(HWND window) {
  PAINTSTRUCT paintStruct;
  HDC hdc = BeginPaint(window, &paintStruct);
  Node node;
  GetNode(window, &node);
  const ControlState snapshot = State(window);
  RECT client;
  GetClientRect(window, &client);
  const bool ownerDrawn = OwnerDrawn(window);
  // Plain entries sit inside the sunken edge; owner-drawn ones where they were measured.
  const int inset = ownerDrawn ? 0 : 2;
  int total = 0;
  for (const Entry& entry : snapshot.entries) total += static_cast<int>(EntryHeight(window, snapshot, entry));
  const bool bar = (node.style & WS_VSCROLL) && total > client.bottom - 4;
  const int barWidth = bar ? 16 : 0;
  paint::Bar(hdc, client.left, client.top, client.right, client.bottom, COLOR_WINDOW);
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(window));
  int shown = 0;
  for (int i = snapshot.top; i < static_cast<int>(snapshot.entries.size()); ++i) {
    RECT rect = EntryRect(window, snapshot, i);
    if (rect.top >= client.bottom) break;
    if (rect.bottom <= client.bottom) ++shown;
    const Entry& entry = snapshot.entries[static_cast<size_t>(i)];
    if (ownerDrawn) {
      DRAWITEMSTRUCT draw{};
      draw.CtlType = ODT_LISTBOX;
      draw.CtlID = static_cast<UINT>(node.id);
      draw.itemID = static_cast<UINT>(i);
      draw.itemAction = ODA_DRAWENTIRE;
      draw.itemState = (i == snapshot.selection ? ODS_SELECTED : 0) |
                       (i == snapshot.selection && GetFocus() == window ? ODS_FOCUS : 0);
      draw.hwndItem = window;
      draw.hDC = hdc;
      draw.rcItem = rect;
      draw.itemData = entry.data;
      if (node.parent)
        SendMessageA(node.parent, WM_DRAWITEM, static_cast<WPARAM>(node.id), reinterpret_cast<LPARAM>(&draw));
    } else {
      rect = RECT{rect.left + inset, rect.top + inset, rect.right - inset - barWidth, rect.bottom + inset};
      const bool selected = i == snapshot.selection;
      SetBkColor(hdc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
      SetTextColor(hdc, GetSysColor(!IsWindowEnabled(window) ? COLOR_GRAYTEXT
                                    : selected               ? COLOR_HIGHLIGHTTEXT
                                                             : COLOR_WINDOWTEXT));
      if (node.style & LBS_USETABSTOPS) {
        DrawTabbedEntry(hdc, rect, entry.text);
      } else {
        ExtTextOutA(hdc, rect.left + 2, rect.top, ETO_OPAQUE | ETO_CLIPPED, &rect, entry.text.c_str(),
                    static_cast<UINT>(entry.text.size()), nullptr);
      }
      if (selected && GetFocus() == window) DrawFocusRect(hdc, &rect);
    }
  }
  if (previous) SelectObject(hdc, previous);
  if (bar) {
    paint::ScrollBar(hdc, RECT{client.right - 2 - barWidth, client.top + 2, client.right - 2, client.bottom - 2}, true,
                     snapshot.top, std::max(shown, 1), static_cast<int>(snapshot.entries.size()));
  }
  paint::SunkenEdge(hdc, client);
  EndPaint(window, &paintStruct);
}

int FirstShown(const ControlState& state, int rows);
int RowsShown(HWND window, const ControlState& state, int listTop);

// The open list of a combo box, framed, below its field.
void PaintDroppedList(HWND window, HDC hdc, const ControlState& state, const RECT& client, int listTop) {
  if (listTop >= client.bottom) return;
  paint::Bar(hdc, client.left, listTop, client.right, client.bottom, COLOR_WINDOWTEXT);
  paint::Bar(hdc, client.left + 1, listTop + 1, client.right - 1, client.bottom - 1, COLOR_WINDOW);
  const int row = static_cast<int>(EntryHeight(window, state, Entry{}));
  const int rows = RowsShown(window, state, listTop);
  const int first = FirstShown(state, rows);
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(window));
  SetBkMode(hdc, OPAQUE);
  for (int i = first; i < first + rows && i < static_cast<int>(state.entries.size()); ++i) {
    const int top = listTop + 1 + (i - first) * row;
    RECT rect{client.left + 1, top, client.right - 1, top + row};
    const bool lit = i == state.hot;
    SetBkColor(hdc, GetSysColor(lit ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(hdc, GetSysColor(lit ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::string& text = state.entries[static_cast<size_t>(i)].text;
    ExtTextOutA(hdc, rect.left + 2, rect.top, ETO_OPAQUE | ETO_CLIPPED, &rect, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
  }
  if (previous) SelectObject(hdc, previous);
}

void PaintCombo(HWND window) {
  PAINTSTRUCT paintStruct;
  HDC hdc = BeginPaint(window, &paintStruct);
  const bool enabled = IsWindowEnabled(window) != FALSE;
  RECT client;
  GetClientRect(window, &client);
  const RECT field{client.left, client.top, client.right, client.top + ComboFieldHeight(window)};
  paint::Bar(hdc, field.left, field.top, field.right, field.bottom, enabled ? COLOR_WINDOW : COLOR_BTNFACE);
  paint::SunkenEdge(hdc, field);
  const int button = 16;
  paint::ArrowButton(hdc, RECT{field.right - 2 - button, field.top + 2, field.right - 2, field.bottom - 2},
                     paint::Arrow::Down, enabled);
  RECT selection{field.left + 3, field.top + 3, field.right - 3 - button, field.bottom - 3};
  const bool focused = GetFocus() == window;
  if (focused) FillRect(hdc, &selection, GetSysColorBrush(COLOR_HIGHLIGHT));
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(window));
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(!enabled ? COLOR_GRAYTEXT : focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT textRect{selection.left + 2, selection.top, selection.right, selection.bottom};
  DrawTextA(hdc, text, -1, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (previous) SelectObject(hdc, previous);
  if (focused) DrawFocusRect(hdc, &selection);
  const ControlState state = State(window);
  if (state.dropped) PaintDroppedList(window, hdc, state, client, field.bottom);
  EndPaint(window, &paintStruct);
}

// The first entry shown in the open list: the lit entry stays in sight.
int FirstShown(const ControlState& state, int rows) {
  if (state.hot < 0 || rows <= 0) return 0;
  return std::max(0, state.hot - rows + 1);
}

int RowsShown(HWND window, const ControlState& state, int listTop) {
  RECT client;
  GetClientRect(window, &client);
  const int row = std::max<int>(1, static_cast<int>(EntryHeight(window, state, Entry{})));
  return std::max(0, (client.bottom - listTop - 2) / row);
}

// The entry under a point of the open list, or -1.
int EntryAt(HWND window, const ControlState& state, int x, int y) {
  RECT client;
  GetClientRect(window, &client);
  const int listTop = ComboFieldHeight(window);
  if (x < client.left || x >= client.right || y < listTop + 1 || y >= client.bottom - 1) return -1;
  const int row = std::max<int>(1, static_cast<int>(EntryHeight(window, state, Entry{})));
  const int rows = RowsShown(window, state, listTop);
  const int index = FirstShown(state, rows) + (y - listTop - 1) / row;
  if ((y - listTop - 1) / row >= rows || index >= static_cast<int>(state.entries.size())) return -1;
  return index;
}

// Chooses an entry as a person does: the field shows it and the owner hears of it.
void ChooseEntry(HWND window, int index) {
  ControlState& state = State(window);
  if (index < 0 || index >= static_cast<int>(state.entries.size()) || index == state.selection) return;
  state.selection = index;
  StoreWindowText(window, state.entries[static_cast<size_t>(index)].text.c_str());
  InvalidateRect(window, nullptr, TRUE);
  Notify(window, CBN_SELCHANGE);
}

void OpenList(HWND window) {
  if (State(window).dropped || !IsWindowEnabled(window)) return;
  // The owner may fill the list as it opens.
  Notify(window, CBN_DROPDOWN);
  ControlState& state = State(window);
  state.dropped = true;
  state.hot = state.selection;
  // Every click goes to the open list, so one outside it closes it.
  SetCapture(window);
  InvalidateRect(window, nullptr, TRUE);
}

// Closes the open list, choosing `chosen` (-1: nothing).
void CloseList(HWND window, int chosen) {
  if (!State(window).dropped) return;
  State(window).dropped = false;
  if (GetCapture() == window) ReleaseCapture();
  InvalidateRect(window, nullptr, TRUE);
  ChooseEntry(window, chosen);
  Notify(window, CBN_CLOSEUP);
}

void ToggleList(HWND window) {
  if (State(window).dropped) {
    CloseList(window, State(window).hot);
  } else {
    OpenList(window);
  }
}

void ComboKey(HWND window, WPARAM key) {
  ControlState& state = State(window);
  const int count = static_cast<int>(state.entries.size());
  if (key == VK_F4) {
    ToggleList(window);
    return;
  }
  if (state.dropped && key == VK_RETURN) {
    CloseList(window, state.hot);
    return;
  }
  if (state.dropped && key == VK_ESCAPE) {
    CloseList(window, -1);
    return;
  }
  if (count == 0) return;
  const int from = state.dropped ? state.hot : state.selection;
  int next = from;
  if (key == VK_UP) next = std::max(0, from - 1);
  if (key == VK_DOWN) next = std::min(count - 1, from + 1);
  if (key == VK_HOME) next = 0;
  if (key == VK_END) next = count - 1;
  if (next == from || next < 0) return;
  if (state.dropped) {
    // In the open list the keys only light an entry; Enter chooses it.
    state.hot = next;
    InvalidateRect(window, nullptr, TRUE);
  } else {
    ChooseEntry(window, next);
  }
}

}  // namespace

LRESULT CALLBACK ListBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ListMessage(window, message, wParam, lParam, false, &result)) return result;
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LB_GETTOPINDEX: return State(window).top;
    case LB_SETTOPINDEX: {
      ControlState& state = State(window);
      if (static_cast<size_t>(wParam) >= state.entries.size() && !state.entries.empty()) return LB_ERR;
      state.top = static_cast<int>(wParam);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case LB_GETITEMRECT: {
      const ControlState& state = State(window);
      if (static_cast<size_t>(wParam) >= state.entries.size() || !lParam) return LB_ERR;
      *reinterpret_cast<LPRECT>(lParam) = EntryRect(window, state, static_cast<int>(wParam));
      return 1;
    }
    case LB_GETITEMHEIGHT: {
      const ControlState& state = State(window);
      if (static_cast<size_t>(wParam) >= state.entries.size()) return static_cast<LRESULT>(state.fixedHeight);
      return EntryHeight(window, state, state.entries[static_cast<size_t>(wParam)]);
    }
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      const ControlState& state = State(window);
      for (int i = state.top; i < static_cast<int>(state.entries.size()); ++i) {
        const RECT rect = EntryRect(window, state, i);
        const int y = GET_Y_LPARAM(lParam);
        if (y >= rect.top && y < rect.bottom) {
          if (i != state.selection) {
            State(window).selection = i;
            InvalidateRect(window, nullptr, TRUE);
            if (Style(window) & LBS_NOTIFY) Notify(window, LBN_SELCHANGE);
          }
          break;
        }
      }
      return 0;
    }
    case WM_KEYDOWN: {
      ControlState& state = State(window);
      const int count = static_cast<int>(state.entries.size());
      int next = state.selection;
      if (wParam == VK_UP) next = std::max(0, state.selection - 1);
      if (wParam == VK_DOWN) next = std::min(count - 1, state.selection + 1);
      if (next != state.selection && next >= 0) {
        state.selection = next;
        InvalidateRect(window, nullptr, TRUE);
        if (Style(window) & LBS_NOTIFY) Notify(window, LBN_SELCHANGE);
      }
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_PAINT: PaintList(window); return 0;
    case WM_DESTROY: {
      // The entries go with the list; an owner-drawn list tells its parent of each.
      const std::vector<Entry> entries = State(window).entries;
      State(window).entries.clear();
      for (size_t i = 0; i < entries.size(); ++i) SendDelete(window, static_cast<int>(i), entries[i]);
      return 0;
    }
    case WM_NCDESTROY: Forget(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ListMessage(window, message, wParam, lParam, true, &result)) {
    if (message == CB_SETCURSEL) {
      const ControlState& state = State(window);
      StoreWindowText(window,
                      state.selection >= 0 ? state.entries[static_cast<size_t>(state.selection)].text.c_str() : "");
    }
    return result;
  }
  switch (message) {
    case CB_SELECTSTRING: {
      // The first entry after wParam that starts with the text; no match keeps the selection.
      const int found = static_cast<int>(SendMessageA(window, CB_FINDSTRING, wParam, lParam));
      if (found == CB_ERR) return CB_ERR;
      return SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    }
    case CB_GETDROPPEDSTATE: return State(window).dropped ? TRUE : FALSE;
    case CB_SHOWDROPDOWN:
      if (wParam) {
        OpenList(window);
      } else {
        CloseList(window, -1);
      }
      return TRUE;
    case WM_GETDLGCODE: {
      // An open list takes Enter and Escape for itself instead of the dialog's buttons.
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      const bool listKey = msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
      return DLGC_WANTCHARS | DLGC_WANTARROWS | (State(window).dropped && listKey ? DLGC_WANTMESSAGE : 0);
    }
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      const ControlState& state = State(window);
      if (!state.dropped) {
        if (Inside(window, lParam) && GET_Y_LPARAM(lParam) < ComboFieldHeight(window)) OpenList(window);
        return 0;
      }
      // A click on an entry chooses it; anywhere else closes the list unchanged.
      CloseList(window, EntryAt(window, state, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return 0;
    }
    case WM_SYSKEYDOWN:
      if (wParam != VK_DOWN && wParam != VK_UP) return DefWindowProcA(window, message, wParam, lParam);
      ToggleList(window);
      return 0;
    case WM_KEYDOWN: ComboKey(window, wParam); return 0;
    case WM_KILLFOCUS:
      CloseList(window, -1);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
    case WM_ENABLE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_PAINT: PaintCombo(window); return 0;
    case WM_NCDESTROY: Forget(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

int ComboFieldHeight(HWND window) {
  HDC hdc = GetDC(window);
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(window));
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  if (previous) SelectObject(hdc, previous);
  ReleaseDC(window, hdc);
  RECT client;
  GetClientRect(window, &client);
  return std::min<int>(client.bottom, metrics.tmHeight + 8);
}

}  // namespace platform::ui
