#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/ui/dialog_keys.h"
#include "platform/ui/message_box.h"
#include "platform/ui/wnd_tree.h"

namespace platform::ui {
namespace {

thread_local std::set<int> t_held;

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

bool IsDialogWindow(HWND window) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, "#32770") == 0;
}

// A child dialog (a page, a nested template) whose controls take part in the
// outer dialog's keyboard as if they were its own.
bool IsControlParent(HWND window) {
  return IsDialogWindow(window) && (StyleOf(window) & WS_CHILD) && IsWindowVisible(window);
}

bool CanTakeFocus(HWND window) { return IsWindowVisible(window) && IsWindowEnabled(window); }

// The dialog's controls in tab (template) order, the controls of a visible
// child dialog in its place.
void Flatten(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsControlParent(child)) {
      Flatten(child, out);
    } else {
      out.push_back(child);
    }
  }
}

UINT DialogCode(HWND control, LPMSG msg) {
  return control ? static_cast<UINT>(
                       SendMessageA(control, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg)))
                 : 0;
}

bool Contains(HWND ancestor, HWND window) {
  for (HWND w = window; w; w = GetParent(w)) {
    if (w == ancestor) return true;
  }
  return false;
}

HWND NextTabStop(HWND dialog, HWND from, bool previous) {
  std::vector<HWND> order;
  Flatten(dialog, order);
  if (order.empty()) return 0;
  size_t start = order.size() - 1;
  if (previous) start = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (order[i] == from) start = i;
  }
  for (size_t step = 1; step <= order.size(); ++step) {
    const size_t i = previous ? (start + order.size() - step) % order.size() : (start + step) % order.size();
    HWND candidate = order[i];
    if ((StyleOf(candidate) & WS_TABSTOP) && CanTakeFocus(candidate)) return candidate;
  }
  return 0;
}

// The window that has the control's "&" letter, or 0.
bool HasMnemonic(HWND window, char key) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  for (const char* p = text; (p = std::strchr(p, '&')) != nullptr; p += 2) {
    if (!p[1]) return false;
    if (p[1] == '&') continue;
    return std::toupper(static_cast<unsigned char>(p[1])) == std::toupper(static_cast<unsigned char>(key));
  }
  return false;
}

void FocusControl(HWND dialog, HWND control) {
  SendMessageA(dialog, WM_NEXTDLGCTL, static_cast<WPARAM>(control), TRUE);
  if (GetFocus() != control) SetFocus(control);
}

// A user chose the control by its letter: a label hands it on to the next
// control that can take the focus, a button is clicked, anything else focused.
bool RunMnemonic(HWND dialog, char key) {
  std::vector<HWND> order;
  Flatten(dialog, order);
  HWND focus = GetFocus();
  size_t start = order.size() - 1;
  for (size_t i = 0; i < order.size(); ++i) {
    if (order[i] == focus) start = i;
  }
  // From the control after the focus, so a repeated letter goes round.
  for (size_t step = 1; step <= order.size(); ++step) {
    const size_t i = (start + step) % order.size();
    HWND hit = order[i];
    if (!IsWindowVisible(hit) || !HasMnemonic(hit, key)) continue;
    if (!IsWindowEnabled(hit)) continue;
    const UINT code = DialogCode(hit, nullptr);
    if (code & DLGC_STATIC) {
      for (size_t j = 1; j < order.size(); ++j) {
        HWND next = order[(i + j) % order.size()];
        if (DialogCode(next, nullptr) & DLGC_STATIC) continue;
        if (!CanTakeFocus(next)) return true;
        FocusControl(GetParent(next), next);
        return true;
      }
      return true;
    }
    if (code & DLGC_BUTTON) {
      SendMessageA(hit, BM_CLICK, 0, 0);
      return true;
    }
    FocusControl(GetParent(hit), hit);
    return true;
  }
  return false;
}

// The control Enter presses: the focused push button, else the dialog's
// default (DM_GETDEFID, then a default push button), else IDOK.
void PressDefault(HWND dialog, HWND focus) {
  int id = IDOK;
  HWND button = 0;
  if (focus && (DialogCode(focus, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    button = focus;
    id = GetDlgCtrlID(focus);
  } else {
    const LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(defId) == DC_HASDEFID) {
      id = LOWORD(defId);
      button = GetDlgItem(dialog, id);
    } else {
      std::vector<HWND> order;
      Flatten(dialog, order);
      for (HWND control : order) {
        if ((DialogCode(control, nullptr) & DLGC_DEFPUSHBUTTON) && IsWindowVisible(control)) {
          button = control;
          id = GetDlgCtrlID(control);
          break;
        }
      }
      if (!button) button = GetDlgItem(dialog, IDOK);
    }
  }
  // A default button that is greyed out cannot be pressed.
  if (button && !IsWindowEnabled(button)) return;
  HWND target = button ? GetParent(button) : dialog;
  SendMessageA(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), static_cast<LPARAM>(button));
}

void MoveInGroup(HWND focus, bool previous) {
  HWND next = GetNextDlgGroupItem(GetParent(focus), focus, previous);
  if (!next || next == focus) return;
  SetFocus(next);
  // An automatic radio button is chosen as it gets the focus.
  if ((StyleOf(next) & BS_TYPEMASK) == BS_AUTORADIOBUTTON && (DialogCode(next, nullptr) & DLGC_RADIOBUTTON)) {
    SendMessageA(next, BM_CLICK, 0, 0);
  }
}

}  // namespace

void SetKeyHeld(int virtualKey, bool held) {
  if (held) {
    t_held.insert(virtualKey);
  } else {
    t_held.erase(virtualKey);
  }
}

}  // namespace platform::ui

using namespace platform::ui;

ZEL_EXTERN_C SHORT GetKeyState(int virtualKey) { return t_held.count(virtualKey) ? static_cast<SHORT>(0x8000) : 0; }

ZEL_EXTERN_C HWND GetNextDlgGroupItem(HWND, HWND control, BOOL previous) {
  HWND parent = GetParent(control);
  if (!parent) return 0;
  // The group: from the WS_GROUP control at or before this one to the next.
  HWND first = control;
  while (!(StyleOf(first) & WS_GROUP)) {
    HWND before = GetWindow(first, GW_HWNDPREV);
    if (!before) break;
    first = before;
  }
  std::vector<HWND> group;
  for (HWND w = first; w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w != first && (StyleOf(w) & WS_GROUP)) break;
    group.push_back(w);
  }
  size_t at = 0;
  for (size_t i = 0; i < group.size(); ++i) {
    if (group[i] == control) at = i;
  }
  for (size_t step = 1; step <= group.size(); ++step) {
    const size_t i = previous ? (at + group.size() - step) % group.size() : (at + step) % group.size();
    if (CanTakeFocus(group[i]) && !(DialogCode(group[i], nullptr) & DLGC_STATIC)) return group[i];
  }
  return control;
}

ZEL_EXTERN_C BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
  if (!msg || !IsWindow(dialog) || !Contains(dialog, msg->hwnd)) return FALSE;
  HWND focus = GetFocus();
  if (!Contains(dialog, focus)) focus = 0;
  HWND target = focus ? focus : msg->hwnd;
  const UINT code = focus ? DialogCode(focus, msg) : 0;
  switch (msg->message) {
    case WM_KEYDOWN: {
      if (code & DLGC_WANTALLKEYS) break;
      const int key = static_cast<int>(msg->wParam);
      switch (key) {
        case VK_TAB: {
          if (code & DLGC_WANTTAB) break;
          HWND next = NextTabStop(dialog, focus, GetKeyState(VK_SHIFT) < 0);
          if (next) FocusControl(GetParent(next), next);
          return TRUE;
        }
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
          if (code & DLGC_WANTARROWS) break;
          if (focus) MoveInGroup(focus, key == VK_LEFT || key == VK_UP);
          return TRUE;
        case VK_RETURN: PressDefault(dialog, focus); return TRUE;
        case VK_ESCAPE:
          SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       static_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
          return TRUE;
        case VK_SPACE:
          if (focus && (code & DLGC_BUTTON) && !(code & DLGC_STATIC)) {
            SendMessageA(focus, BM_CLICK, 0, 0);
            return TRUE;
          }
          break;
        default: break;
      }
      SendMessageA(target, WM_KEYDOWN, msg->wParam, msg->lParam);
      return TRUE;
    }
    case WM_SYSCHAR:
      if (RunMnemonic(dialog, static_cast<char>(msg->wParam))) return TRUE;
      // Nothing here has the letter: the window with the focus offers it on
      // (a page hands it to the frame around it).
      SendMessageA(focus ? GetParent(focus) : dialog, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(msg->wParam));
      return TRUE;
    case WM_CHAR:
      // A control that takes no characters lets a plain letter choose by mnemonic.
      if (focus && !(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) && std::isalnum(static_cast<int>(msg->wParam)) &&
          RunMnemonic(dialog, static_cast<char>(msg->wParam))) {
        return TRUE;
      }
      SendMessageA(target, WM_CHAR, msg->wParam, msg->lParam);
      return TRUE;
    default: return FALSE;
  }
  SendMessageA(target, msg->message, msg->wParam, msg->lParam);
  return TRUE;
}
