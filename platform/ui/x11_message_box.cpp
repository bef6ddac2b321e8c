// A message box on the display: a modal dialog with the box's text and its
// buttons, centred on its owner. Enter presses the default button, Escape and
// the title bar's close answer Cancel where the box has one (OK for a box with
// OK alone), and the buttons take their first letter as mnemonic.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/ui/ctl_paint.h"
#include "platform/ui/dlg_internal.h"
#include "platform/ui/x11_display.h"
#include "platform/ui/x11_popups.h"

namespace platform::ui::x11 {
namespace {

constexpr int kText = 100;
constexpr int kMargin = 14;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;

struct Button {
  int id;
  const char* text;
};

std::vector<Button> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    case MB_CANCELTRYCONTINUE: return {{IDCANCEL, "Cancel"}, {IDTRYAGAIN, "&Try Again"}, {IDCONTINUE, "&Continue"}};
    default: return {{IDOK, "OK"}};
  }
}

struct Box {
  const platform::MessageBoxRequest* request = nullptr;
  std::vector<Button> buttons;
  int answer = 0;
};

bool HasButton(const Box& box, int id) {
  return std::any_of(box.buttons.begin(), box.buttons.end(), [id](const Button& b) { return b.id == id; });
}

// MB_DEFBUTTON2 makes the second button the default, and so on.
size_t DefaultIndex(const Box& box) {
  return std::min<size_t>((box.request->type & MB_DEFMASK) >> 8, box.buttons.size() - 1);
}

// The text's size in the dialog's font, line by line.
SIZE TextSize(HWND text, const std::string& ansi) {
  HDC hdc = GetDC(text);
  HGDIOBJ previous = SelectObject(hdc, paint::ControlFont(text));
  SIZE total{0, 0};
  size_t start = 0;
  while (true) {
    const size_t end = ansi.find('\n', start);
    const std::string line = ansi.substr(start, end == std::string::npos ? std::string::npos : end - start);
    SIZE size{};
    GetTextExtentPoint32A(hdc, line.empty() ? " " : line.c_str(), line.empty() ? 1 : static_cast<int>(line.size()),
                          &size);
    total.cx = std::max(total.cx, size.cx);
    total.cy += size.cy;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  SelectObject(hdc, previous);
  ReleaseDC(text, hdc);
  return total;
}

// The texts are set here, not written into the template: no caller's text is
// ever read as template text. The box is laid out around its text.
void Lay(HWND dialog, Box& box) {
  const platform::MessageBoxRequest& request = *box.request;
  SetWindowTextA(dialog, platform::AnsiFromUtf8(request.caption).c_str());
  HWND text = GetDlgItem(dialog, kText);
  std::string ansi = platform::AnsiFromUtf8(request.text);
  ansi.erase(std::remove(ansi.begin(), ansi.end(), '\r'), ansi.end());
  SetWindowTextA(text, ansi.c_str());
  const SIZE size = TextSize(text, ansi);
  const int buttonsWidth = static_cast<int>(box.buttons.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
  const int width = std::max<int>({size.cx + 2 * kMargin, buttonsWidth + 2 * kMargin, 220});
  const int height = kMargin + size.cy + kMargin + kButtonHeight + kMargin;
  MoveWindow(text, kMargin, kMargin, size.cx + 4, size.cy, FALSE);
  int x = (width - buttonsWidth) / 2;
  for (size_t i = 0; i < box.buttons.size(); ++i) {
    HWND button = GetDlgItem(dialog, box.buttons[i].id);
    SetWindowTextA(button, box.buttons[i].text);
    MoveWindow(button, x, height - kMargin - kButtonHeight, kButtonWidth, kButtonHeight, FALSE);
    if (i == DefaultIndex(box)) SetFocus(button);
    x += kButtonWidth + kButtonGap;
  }
  // The frame around the client area the box needs, centred on the owner or the screen.
  RECT outer{}, inner{};
  GetWindowRect(dialog, &outer);
  GetClientRect(dialog, &inner);
  const int frameWidth = (outer.right - outer.left) - inner.right,
            frameHeight = (outer.bottom - outer.top) - inner.bottom;
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (request.owner && IsWindowVisible(request.owner)) GetWindowRect(request.owner, &around);
  const int boxWidth = width + frameWidth, boxHeight = height + frameHeight;
  const int left = std::max<int>(0, (around.left + around.right - boxWidth) / 2);
  const int top = std::max<int>(0, (around.top + around.bottom - boxHeight) / 2);
  SetWindowPos(dialog, 0, left, top, boxWidth, boxHeight, SWP_NOZORDER);
}

INT_PTR CALLBACK BoxProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<Box*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  switch (message) {
    case WM_INITDIALOG:
      box = reinterpret_cast<Box*>(lParam);
      SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
      Lay(dialog, *box);
      return FALSE;  // the default button has the focus
    case WM_COMMAND: {
      if (!box || HIWORD(wParam) != BN_CLICKED) return FALSE;
      int id = LOWORD(wParam);
      // Escape or the close box: Cancel where there is one; a box with OK alone takes it as OK.
      if (id == IDCANCEL && !HasButton(*box, IDCANCEL)) {
        if (box->buttons.size() != 1) return TRUE;
        id = box->buttons.front().id;
      }
      if (!HasButton(*box, id)) return TRUE;
      box->answer = id;
      EndDialog(dialog, id);
      return TRUE;
    }
    default: return FALSE;
  }
}

std::string TemplateOf(const Box& box) {
  std::string text = "DIALOG 0 0 240 120\nSTYLE WS_POPUP|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME\nCAPTION \"\"\n";
  text += "FONT 9 \"MS UI Gothic\"\n";
  text += "CONTROL \"\" " + std::to_string(kText) + " STATIC SS_LEFT 0 0 10 10\n";
  for (size_t i = 0; i < box.buttons.size(); ++i) {
    const char* kind = i == DefaultIndex(box) ? "BS_DEFPUSHBUTTON" : "BS_PUSHBUTTON";
    text += "CONTROL \"\" " + std::to_string(box.buttons[i].id) + " BUTTON " + kind + "|WS_TABSTOP 0 0 10 10\n";
  }
  return text;
}

}  // namespace

bool ShowMessageBoxWindow(const platform::MessageBoxRequest& request, int* answer) {
  if (!DisplayActive() || !OnDisplayThread()) return false;
  Box box;
  box.request = &request;
  box.buttons = ButtonsOf(request.type);
  const bool ownerWasEnabled = request.owner && IsWindowEnabled(request.owner);
  if (request.owner) EnableWindow(request.owner, FALSE);
  HWND dialog = CreateFromText(0, TemplateOf(box), "MessageBox", request.owner, BoxProcedure,
                               reinterpret_cast<LPARAM>(&box), DialogKind::kModal);
  if (!dialog) {
    if (ownerWasEnabled) EnableWindow(request.owner, TRUE);
    return false;
  }
  const INT_PTR ended = RunModalDialog(dialog, "MessageBox");
  if (ownerWasEnabled) EnableWindow(request.owner, TRUE);
  // A box always answers one of its buttons.
  *answer = box.answer                                ? box.answer
            : HasButton(box, static_cast<int>(ended)) ? static_cast<int>(ended)
                                                      : platform::DefaultMessageBoxButton(request.type);
  return true;
}

}  // namespace platform::ui::x11
