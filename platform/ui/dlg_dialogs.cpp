#include "platform/ui/dialog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/base/resources.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/dlg_internal.h"
#include "platform/ui/message_box.h"
#include "platform/ui/wnd_tree.h"
#include "platform/ui/x11_display.h"

namespace platform::ui {
namespace {

// Private extra values of a dialog window.
constexpr int kEnded = 16;
constexpr int kResult = 24;
constexpr int kFont = 32;

struct ControlTemplate {
  std::string text;
  int id = 0;
  std::string className;
  DWORD style = 0;
  RECT rect{};
};

struct DialogTemplate {
  RECT rect{};
  DWORD style = WS_POPUP | WS_CAPTION;
  std::string caption;
  int fontPoints = 0;
  std::string fontFace;
  std::vector<ControlTemplate> controls;
};

DWORD StyleValue(const std::string& name) {
  // clang-format off
  static const std::map<std::string, DWORD> names = {
      {"WS_POPUP", WS_POPUP},          {"WS_CHILD", WS_CHILD},
      {"WS_VISIBLE", WS_VISIBLE},      {"WS_DISABLED", WS_DISABLED},
      {"WS_CAPTION", WS_CAPTION},      {"WS_BORDER", WS_BORDER},
      {"WS_VSCROLL", WS_VSCROLL},      {"WS_GROUP", WS_GROUP},
      {"WS_TABSTOP", WS_TABSTOP},      {"WS_SYSMENU", WS_SYSMENU},
      {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_CONTROL", DS_CONTROL},
      {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
      {"BS_CHECKBOX", BS_CHECKBOX},    {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX},
      {"BS_RADIOBUTTON", BS_RADIOBUTTON}, {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON},
      {"BS_GROUPBOX", BS_GROUPBOX},    {"BS_OWNERDRAW", BS_OWNERDRAW},
      {"ES_MULTILINE", ES_MULTILINE}, {"ES_AUTOHSCROLL", ES_AUTOHSCROLL}, {"ES_NUMBER", ES_NUMBER},
      {"LBS_NOTIFY", LBS_NOTIFY},      {"LBS_USETABSTOPS", LBS_USETABSTOPS},      {"LBS_OWNERDRAWFIXED", LBS_OWNERDRAWFIXED},
      {"LBS_OWNERDRAWVARIABLE", LBS_OWNERDRAWVARIABLE}, {"LBS_HASSTRINGS", LBS_HASSTRINGS},
      {"LBS_SORT", LBS_SORT},          {"CBS_SORT", CBS_SORT},
      {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST}, {"SS_LEFT", SS_LEFT},
      {"SS_CENTER", SS_CENTER},        {"SS_RIGHT", SS_RIGHT},
      {"SS_ICON", SS_ICON},            {"SS_BITMAP", SS_BITMAP},
      {"SS_ETCHEDHORZ", SS_ETCHEDHORZ}, {"SS_ETCHEDFRAME", SS_ETCHEDFRAME},
      {"SS_SUNKEN", SS_SUNKEN},        {"SS_NOPREFIX", SS_NOPREFIX},
      {"ES_READONLY", ES_READONLY},    {"ES_MULTILINE", ES_MULTILINE},
      {"ES_PASSWORD", ES_PASSWORD}};
  // clang-format on
  const auto found = names.find(name);
  if (found != names.end()) return found->second;
  return static_cast<DWORD>(std::strtoul(name.c_str(), nullptr, 0));
}

DWORD ParseStyle(const std::string& text) {
  DWORD style = 0;
  std::stringstream parts(text);
  std::string part;
  while (std::getline(parts, part, '|')) style |= StyleValue(part);
  return style;
}

// Words of a line: bare words and "quoted" texts (with \" inside).
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
    } else if (line[i] == '#') {
      break;
    } else if (line[i] == '"') {
      std::string word;
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
          // "\n" breaks a label's line, as in a resource script; any other escaped character stands for itself.
          ++i;
          if (line[i] == 'n') {
            word.push_back('\n');
            continue;
          }
        }
        word.push_back(line[i]);
      }
      ++i;
      words.push_back(word);
    } else {
      const size_t end = line.find_first_of(" \t\r", i);
      words.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? line.size() : end;
    }
  }
  return words;
}

bool Parse(const std::string& text, DialogTemplate* out) {
  std::stringstream lines(text);
  std::string line;
  bool sawDialog = false;
  auto number = [](const std::string& w) { return static_cast<int>(std::strtol(w.c_str(), nullptr, 0)); };
  // Layouts are made at 96 dots per inch and grow with the display's, as the font does.
  auto scaled = [&](const std::string& w) { return MulDiv(number(w), platform::gdi::DisplayDpiY(), 96); };
  // Template files are UTF-8; windows take ANSI text.
  auto ansi = [](const std::string& w) { return platform::AnsiFromUtf8(w); };
  while (std::getline(lines, line)) {
    const std::vector<std::string> w = Words(line);
    if (w.empty()) continue;
    if (w[0] == "DIALOG" && w.size() == 5) {
      out->rect = RECT{scaled(w[1]), scaled(w[2]), scaled(w[1]) + scaled(w[3]), scaled(w[2]) + scaled(w[4])};
      sawDialog = true;
    } else if (w[0] == "STYLE" && w.size() == 2) {
      out->style = ParseStyle(w[1]);
    } else if (w[0] == "CAPTION" && w.size() == 2) {
      out->caption = ansi(w[1]);
    } else if (w[0] == "FONT" && w.size() == 3) {
      out->fontPoints = number(w[1]);
      out->fontFace = ansi(w[2]);
    } else if (w[0] == "CONTROL" && w.size() == 9) {
      ControlTemplate control;
      control.text = ansi(w[1]);
      control.id = number(w[2]);
      control.className = w[3];
      control.style = ParseStyle(w[4]);
      const int x = scaled(w[5]), y = scaled(w[6]);
      control.rect = RECT{x, y, x + scaled(w[7]), y + scaled(w[8])};
      out->controls.push_back(control);
    } else {
      return false;
    }
  }
  return sawDialog;
}

std::string TemplateName(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return name ? name : "";
}

std::mutex g_handlerLock;
platform::DialogHandler g_handler;

}  // namespace

HWND CreateFromText(HINSTANCE instance, const std::string& text, const std::string& name, HWND parent,
                    DLGPROC procedure, LPARAM param, DialogKind kind) {
  DialogTemplate dialog;
  if (!Parse(text, &dialog)) {
    OutputDebugStringA(("dialog template " + name + " cannot be read\n").c_str());
    SetLastError(ERROR_INVALID_DATA);
    return 0;
  }
  DWORD style = dialog.style & ~WS_VISIBLE;
  // A page lives inside its sheet whatever its template says.
  if (kind == DialogKind::kChild) style = (style & ~(WS_POPUP | WS_CAPTION)) | WS_CHILD | DS_CONTROL;
  HWND window = CreateWindowExA(0, "#32770", dialog.caption.c_str(), style, dialog.rect.left, dialog.rect.top,
                                dialog.rect.right - dialog.rect.left, dialog.rect.bottom - dialog.rect.top, parent, 0,
                                instance, nullptr);
  if (!window) return 0;
  SetWindowLongPtrA(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(procedure));
  HFONT font = 0;
  if (dialog.fontPoints > 0) {
    LOGFONTA logFont{};
    logFont.lfHeight = -MulDiv(dialog.fontPoints, platform::gdi::DisplayDpiY(), 72);
    logFont.lfWeight = FW_NORMAL;
    std::snprintf(logFont.lfFaceName, sizeof logFont.lfFaceName, "%s", dialog.fontFace.c_str());
    font = CreateFontIndirectA(&logFont);
    SetWindowLongPtrA(window, kFont, static_cast<LONG_PTR>(font));
    SendMessageA(window, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  }
  for (const ControlTemplate& control : dialog.controls) {
    HWND item = CreateWindowExA(0, control.className.c_str(), control.text.c_str(),
                                WS_CHILD | WS_VISIBLE | control.style, control.rect.left, control.rect.top,
                                control.rect.right - control.rect.left, control.rect.bottom - control.rect.top, window,
                                static_cast<HMENU>(control.id), instance, nullptr);
    if (!item) {
      const std::string trace = "dialog " + name + ": control of class " + control.className + " cannot be created\n";
      OutputDebugStringA(trace.c_str());
      DestroyWindow(window);
      return 0;
    }
    if (font) SendMessageA(item, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  }
  HWND first = GetNextDlgTabItem(window, 0, FALSE);
  if (SendMessageA(window, WM_INITDIALOG, static_cast<WPARAM>(first), param) && IsWindow(window) &&
      kind != DialogKind::kChild) {
    SetFocus(GetNextDlgTabItem(window, 0, FALSE));
  }
  // A modal dialog that ended in WM_INITDIALOG never shows.
  const bool ended = IsWindow(window) && GetWindowLongPtrA(window, kEnded) != 0;
  if (IsWindow(window) && !ended &&
      (kind == DialogKind::kModal || (kind == DialogKind::kModeless && (dialog.style & WS_VISIBLE)))) {
    ShowWindow(window, SW_SHOW);
  }
  return IsWindow(window) ? window : 0;
}

namespace {

HWND CreateFromTemplate(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC procedure, LPARAM param, bool modal) {
  auto data = platform::FindModuleResource(instance, name, RT_DIALOG);
  if (!data) return 0;
  return CreateFromText(instance, std::string(reinterpret_cast<const char*>(data->data()), data->size()),
                        TemplateName(name), parent, procedure, param,
                        modal ? DialogKind::kModal : DialogKind::kModeless);
}

bool Ended(HWND dialog) { return !IsWindow(dialog) || GetWindowLongPtrA(dialog, kEnded) != 0; }

// The outermost dialog around a window, if any: the one whose keyboard a key
// typed into the window belongs to.
HWND DialogAround(HWND window) {
  HWND found = 0;
  for (HWND w = window; w; w = GetParent(w)) {
    char name[16] = {};
    GetClassNameA(w, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0) found = w;
  }
  return found;
}

bool IsKey(UINT message) { return message == WM_KEYDOWN || message == WM_CHAR || message == WM_SYSCHAR; }

// Keys go through the dialog manager first, as a dialog's loop does.
void DispatchWithDialogKeys(MSG& msg) {
  if (IsKey(msg.message)) {
    if (HWND dialog = DialogAround(msg.hwnd); dialog && IsDialogMessageA(dialog, &msg)) return;
  }
  DispatchMessageA(&msg);
}

// On a display with no script, the person answers: the dialog's own loop runs
// until it ends, with timers and posted messages going on meanwhile.
void WaitForPerson(HWND dialog) {
  MSG msg;
  while (!Ended(dialog)) {
    if (!GetMessageA(&msg, 0, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchWithDialogKeys(msg);
  }
}

}  // namespace

bool DialogEnded(HWND dialog) { return Ended(dialog); }

std::string DialogTemplateText(HINSTANCE instance, LPCSTR name) {
  auto data = platform::FindModuleResource(instance, name, RT_DIALOG);
  if (!data) return {};
  return std::string(reinterpret_cast<const char*>(data->data()), data->size());
}

bool ReadTemplateLayout(const std::string& text, TemplateLayout* out) {
  DialogTemplate dialog;
  if (!Parse(text, &dialog)) return false;
  out->rect = dialog.rect;
  out->caption = dialog.caption;
  out->fontPoints = dialog.fontPoints;
  out->fontFace = dialog.fontFace;
  return true;
}

INT_PTR RunModalDialog(HWND dialog, const std::string& name) {
  platform::DialogHandler handler;
  {
    std::lock_guard guard(g_handlerLock);
    handler = g_handler;
  }
  PumpMessages();
  if (handler && !Ended(dialog)) handler(platform::DialogRequest{dialog, name});
  if (!handler && x11::DisplayWindowOf(dialog)) WaitForPerson(dialog);
  PumpMessages();
  // Nobody is there to answer what the handler left open: the user cancels.
  if (!Ended(dialog)) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 static_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    PumpMessages();
  }
  if (!Ended(dialog)) EndDialog(dialog, IDCANCEL);
  const INT_PTR result = IsWindow(dialog) ? GetWindowLongPtrA(dialog, kResult) : IDCANCEL;
  if (IsWindow(dialog)) DestroyWindow(dialog);
  return result;
}

void PumpMessages() {
  MSG msg;
  for (int round = 0; round < 10000; ++round) {
    if (!PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
      PaintInvalidWindows(0);
      if (!PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) return;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchWithDialogKeys(msg);
  }
}

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefDlgProcA(window, message, wParam, lParam);
}

}  // namespace platform::ui

void platform::SetDialogHandler(DialogHandler handler) {
  std::lock_guard guard(platform::ui::g_handlerLock);
  platform::ui::g_handler = std::move(handler);
}

void platform::OfferModelessDialog(HWND dialog, const std::string& templateName) {
  platform::DialogHandler handler;
  {
    std::lock_guard guard(platform::ui::g_handlerLock);
    handler = platform::ui::g_handler;
  }
  if (handler && IsWindow(dialog) && IsWindowVisible(dialog)) handler(platform::DialogRequest{dialog, templateName});
}

using namespace platform::ui;

ZEL_EXTERN_C HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC procedure,
                                     LPARAM param) {
  return CreateFromTemplate(instance, templateName, parent, procedure, param, false);
}

ZEL_EXTERN_C INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC procedure,
                                     LPARAM param) {
  const bool parentWasEnabled = parent && IsWindowEnabled(parent);
  if (parent) EnableWindow(parent, FALSE);
  HWND dialog = CreateFromTemplate(instance, templateName, parent, procedure, param, true);
  if (!dialog) {
    if (parentWasEnabled) EnableWindow(parent, TRUE);
    return -1;
  }
  const INT_PTR result = RunModalDialog(dialog, TemplateName(templateName));
  if (parentWasEnabled) EnableWindow(parent, TRUE);
  return result;
}

ZEL_EXTERN_C BOOL EndDialog(HWND dialog, INT_PTR result) {
  if (!IsWindow(dialog)) return FALSE;
  SetWindowLongPtrA(dialog, kResult, result);
  SetWindowLongPtrA(dialog, kEnded, 1);
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

ZEL_EXTERN_C LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
  if (procedure) {
    const INT_PTR handled = procedure(dialog, message, wParam, lParam);
    if (handled) return message == WM_INITDIALOG ? handled : GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
  }
  switch (message) {
    case WM_NEXTDLGCTL: {
      HWND target = lParam ? static_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_CLOSE:
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   static_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      return 0;
    case WM_NCDESTROY:
      if (HFONT font = static_cast<HFONT>(GetWindowLongPtrA(dialog, kFont))) DeleteObject(font);
      return 0;
    default: return DefWindowProcA(dialog, message, wParam, lParam);
  }
}
