#include "platform/ui/ui_script.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/base/codepage.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/tab_control.h"
#include "platform/ui/wnd_tree.h"
#if __has_include("platform/ui/window_picture.h")
#include "platform/ui/window_picture.h"
#define ZEL_HAVE_WINDOW_PICTURE 1
#endif

#ifndef CBN_SELCHANGE
#define CBN_SELCHANGE 1
#endif

namespace platform::ui {
namespace {

constexpr int kApplyNow = 0x3021;

struct Line {
  int number = 0;
  std::vector<std::string> words;  // quoted words keep their quotes' meaning through `quoted`
  std::vector<bool> quoted;
};

// Words of a line: bare words and "quoted" texts (\" and \\ inside).
bool SplitLine(const std::string& text, Line* line, std::string* problem) {
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#' && !(i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])))) {
      break;
    } else if (c == '"') {
      std::string word;
      bool closed = false;
      for (++i; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
          word.push_back(text[++i]);
        } else if (text[i] == '"') {
          closed = true;
          ++i;
          break;
        } else {
          word.push_back(text[i]);
        }
      }
      if (!closed) {
        *problem = "a quoted text is not closed";
        return false;
      }
      line->words.push_back(word);
      line->quoted.push_back(true);
    } else {
      const size_t end = text.find_first_of(" \t\r\"", i);
      line->words.push_back(text.substr(i, end == std::string::npos ? std::string::npos : end - i));
      line->quoted.push_back(false);
      i = end == std::string::npos ? text.size() : end;
    }
  }
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A control's text as a person reads it: the "&" of a mnemonic removed.
std::string Readable(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size())
      ++i;
    else if (text[i] == '&')
      continue;
    out.push_back(text[i]);
  }
  return out;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return Lower(name);
}

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

bool IsChildDialog(HWND window) {
  return ClassOf(window) == "#32770" && (StyleOf(window) & WS_CHILD) && IsWindowVisible(window);
}

void Flatten(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsChildDialog(child))
      Flatten(child, out);
    else
      out.push_back(child);
  }
}

UINT DialogCode(HWND control) { return static_cast<UINT>(SendMessageA(control, WM_GETDLGCODE, 0, 0)); }

bool IsList(HWND control) { return ClassOf(control) == "listbox"; }
bool IsCombo(HWND control) { return ClassOf(control) == "combobox"; }

struct Failure {
  std::string message;
};

}  // namespace

struct UiScript::State {
  std::string name;
  std::vector<Line> lines;
  size_t cursor = 0;
  bool failed = false;
  std::string error;
  std::deque<std::pair<int, int>> answers;        // the button and the line that gave it
  std::deque<std::pair<std::string, int>> menus;  // the item's text and the line that gave it
  std::vector<std::string> boxes;
  std::vector<HWND> dialogs;  // the modal dialogs the script is inside, innermost last

  [[noreturn]] void Fail(const Line& line, const std::string& what) {
    throw Failure{name + ":" + std::to_string(line.number) + ": " + what};
  }

  void Stop(const std::string& message) {
    if (failed) return;
    failed = true;
    error = message;
    std::fprintf(stderr, "%s\n", message.c_str());
  }

  HWND Current(const Line& line) {
    while (!dialogs.empty() && !IsWindowVisible(dialogs.back())) dialogs.pop_back();
    if (dialogs.empty()) Fail(line, "no dialog is open");
    return dialogs.back();
  }

  // The words after the action: an id or a text naming a control.
  HWND Control(const Line& line, size_t word, bool labelNamesNext) {
    if (word >= line.words.size()) Fail(line, "a control is missing");
    HWND dialog = Current(line);
    const std::string& spelled = line.words[word];
    std::vector<HWND> controls;
    Flatten(dialog, controls);
    const bool byId = !line.quoted[word] && !spelled.empty() && std::all_of(spelled.begin(), spelled.end(), [](char c) {
      return std::isdigit(static_cast<unsigned char>(c));
    });
    const std::string wanted = Readable(platform::AnsiFromUtf8(spelled));
    HWND found = 0;
    size_t at = 0;
    for (size_t i = 0; i < controls.size(); ++i) {
      const bool match =
          byId ? GetDlgCtrlID(controls[i]) == std::atoi(spelled.c_str()) : Readable(WindowText(controls[i])) == wanted;
      if (!match) continue;
      // A visible control wins over a hidden one of the same name.
      if (!found || (!IsWindowVisible(found) && IsWindowVisible(controls[i]))) {
        found = controls[i];
        at = i;
      }
    }
    if (!found) Fail(line, "no control " + (byId ? spelled : "\"" + spelled + "\"") + " in this dialog");
    if (labelNamesNext && !byId && (DialogCode(found) & DLGC_STATIC)) {
      for (size_t i = at + 1; i < controls.size(); ++i) {
        if (!(DialogCode(controls[i]) & DLGC_STATIC)) return controls[i];
      }
    }
    return found;
  }

  void Usable(const Line& line, HWND control) {
    if (!IsWindowVisible(control)) Fail(line, "control \"" + line.words[1] + "\" is hidden");
    if (!IsWindowEnabled(control)) Fail(line, "control \"" + line.words[1] + "\" is disabled");
  }

  HWND TopDialog(HWND window) {
    HWND found = 0;
    for (HWND w = window; w; w = GetParent(w)) {
      if (ClassOf(w) == "#32770") found = w;
    }
    return found;
  }

  void Key(HWND dialog, UINT message, WPARAM key) {
    HWND focus = GetFocus();
    MSG msg{};
    msg.hwnd = focus ? focus : dialog;
    msg.message = message;
    msg.wParam = key;
    HWND top = TopDialog(msg.hwnd);
    if (!top || !IsDialogMessageA(top, &msg)) SendMessageA(msg.hwnd, message, key, 0);
  }

  void Focus(HWND control) {
    SendMessageA(GetParent(control), WM_NEXTDLGCTL, static_cast<WPARAM>(control), TRUE);
    if (GetFocus() != control) SetFocus(control);
  }

  void Type(HWND dialog, HWND control, const std::string& text) {
    Focus(control);
    for (char c : text) Key(dialog, WM_CHAR, static_cast<unsigned char>(c));
  }

  void Clear(HWND dialog, HWND control) {
    Focus(control);
    for (size_t n = WindowText(control).size(); n > 0; --n) Key(dialog, WM_CHAR, VK_BACK);
  }

  void Click(HWND control) {
    if (DialogCode(control) & DLGC_BUTTON) {
      SendMessageA(control, BM_CLICK, 0, 0);
      return;
    }
    RECT client;
    GetClientRect(control, &client);
    const LPARAM centre = MAKELPARAM((client.right - client.left) / 2, (client.bottom - client.top) / 2);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    SendMessageA(control, WM_LBUTTONUP, 0, centre);
  }

  std::string EntryText(HWND control, int index) {
    const UINT message = IsCombo(control) ? CB_GETLBTEXT : LB_GETTEXT;
    if (IsList(control) && (StyleOf(control) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) &&
        !(StyleOf(control) & LBS_HASSTRINGS)) {
      return "";
    }
    char text[1024] = {};
    if (SendMessageA(control, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)) < 0) return "";
    return text;
  }

  int FindEntry(HWND control, const std::string& wanted) {
    const int count = static_cast<int>(SendMessageA(control, IsCombo(control) ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      if (EntryText(control, i) == wanted) return i;
    }
    for (int i = 0; i < count; ++i) {
      if (Lower(Readable(EntryText(control, i))) == Lower(Readable(wanted))) return i;
    }
    return -1;
  }

  // A user's choice: the selection moves and the owner hears of it.
  void Choose(HWND control, int index) {
    Focus(control);
    const int id = GetDlgCtrlID(control);
    if (IsCombo(control)) {
      SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), static_cast<LPARAM>(control));
    } else {
      const bool changed = SendMessageA(control, LB_GETCURSEL, 0, 0) != index;
      SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      if (changed && (StyleOf(control) & LBS_NOTIFY)) {
        SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), static_cast<LPARAM>(control));
      }
    }
  }

  void Page(const Line& line, const std::string& title) {
    HWND dialog = Current(line);
    std::vector<HWND> controls;
    Flatten(dialog, controls);
    for (HWND control : controls) {
      if (!IsWindowVisible(control)) continue;
      if (ClassOf(control) == "systabcontrol32") {
        const int count = static_cast<int>(SendMessageA(control, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
          char text[256] = {};
          TCITEMA item{TCIF_TEXT, 0, 0, text, sizeof text, 0, 0};
          if (!SendMessageA(control, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) continue;
          if (Lower(Readable(text)) != Lower(Readable(title))) continue;
          if (!IsWindowEnabled(control)) Fail(line, "the tabs are disabled");
          // A click on the tab; the page being left may keep the selection.
          RECT tab{};
          SendMessageA(control, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab));
          const LPARAM point = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
          SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
          SendMessageA(control, WM_LBUTTONUP, 0, point);
          return;
        }
      } else if (IsList(control)) {
        const int index = FindEntry(control, title);
        if (index < 0) continue;
        if (!IsWindowEnabled(control)) Fail(line, "the page list is disabled");
        Choose(control, index);
        return;
      }
    }
    Fail(line, "no page \"" + line.words[1] + "\" in this dialog");
  }

  void PressKeys(const Line& line) {
    HWND dialog = Current(line);
    static const struct {
      const char* name;
      int key;
    } keys[] = {{"tab", VK_TAB}, {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},  {"space", VK_SPACE},
                {"up", VK_UP},   {"down", VK_DOWN},    {"left", VK_LEFT},     {"right", VK_RIGHT}, {"home", VK_HOME},
                {"end", VK_END}, {"f1", VK_F1},        {"backspace", VK_BACK}};
    if (line.words.size() < 2) Fail(line, "key needs a key");
    for (size_t w = 1; w < line.words.size(); ++w) {
      std::string spelled = Lower(line.words[w]);
      bool shift = false;
      if (spelled.rfind("shift+", 0) == 0) shift = true, spelled = spelled.substr(6);
      if (spelled.rfind("alt+", 0) == 0 && spelled.size() == 5 && !shift) {
        Key(dialog, WM_SYSCHAR, static_cast<unsigned char>(spelled[4]));
      } else {
        int key = 0;
        for (const auto& k : keys) {
          if (spelled == k.name) key = k.key;
        }
        if (!key) Fail(line, "unknown key \"" + line.words[w] + "\"");
        if (shift) SetKeyHeld(VK_SHIFT, true);
        Key(dialog, WM_KEYDOWN, static_cast<WPARAM>(key));
        if (key == VK_SPACE || key == VK_BACK) {
          // A control that wants characters gets the one the key makes.
          HWND focus = GetFocus();
          if (focus && (DialogCode(focus) & DLGC_WANTCHARS) && !(DialogCode(focus) & DLGC_BUTTON)) {
            Key(dialog, WM_CHAR, key == VK_SPACE ? ' ' : VK_BACK);
          }
        }
        if (shift) SetKeyHeld(VK_SHIFT, false);
      }
      PumpMessages();
      if (!IsWindowVisible(dialog)) return;
    }
  }

  void PressButton(const Line& line, int id, const char* caption) {
    HWND dialog = Current(line);
    std::vector<HWND> controls;
    Flatten(dialog, controls);
    HWND button = 0;
    for (HWND control : controls) {
      if (GetDlgCtrlID(control) == id && (DialogCode(control) & DLGC_BUTTON) && GetParent(control) == dialog)
        button = control;
    }
    if (!button && id == IDCANCEL) {
      // A dialog without a Cancel button still closes on Escape.
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return;
    }
    if (!button) Fail(line, std::string("this dialog has no ") + caption + " button");
    if (!IsWindowVisible(button)) Fail(line, std::string("the ") + caption + " button is hidden");
    if (!IsWindowEnabled(button)) Fail(line, std::string("the ") + caption + " button is disabled");
    SendMessageA(button, BM_CLICK, 0, 0);
  }

  std::string Quoted(const Line& line, size_t word, const char* what) {
    if (word >= line.words.size() || !line.quoted[word]) Fail(line, std::string(what) + " needs a quoted text");
    return line.words[word];
  }

  void Expect(const Line& line) {
    HWND control = Control(line, 1, true);
    if (line.words.size() < 3) Fail(line, "expect needs a state");
    const std::string state = Lower(line.words[2]);
    const UINT code = DialogCode(control);
    auto check = [&](bool holds, const std::string& seen) {
      if (!holds) Fail(line, "expected \"" + line.words[1] + "\" " + state + ", but it is " + seen);
    };
    if (state == "enabled" || state == "disabled") {
      check(IsWindowEnabled(control) == (state == "enabled"), IsWindowEnabled(control) ? "enabled" : "disabled");
    } else if (state == "visible" || state == "hidden") {
      check(IsWindowVisible(control) == (state == "visible"), IsWindowVisible(control) ? "visible" : "hidden");
    } else if (state == "checked" || state == "unchecked") {
      if (!(code & DLGC_BUTTON)) Fail(line, "\"" + line.words[1] + "\" is no button");
      const bool on = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
      check(on == (state == "checked"), on ? "checked" : "unchecked");
    } else if (state == "focused") {
      check(GetFocus() == control, "not focused");
    } else if (state == "text") {
      const std::string wanted = Quoted(line, 3, "expect text");
      const std::string seen = platform::Utf8FromAnsi(WindowText(control));
      check(seen == wanted || Readable(seen) == wanted, "\"" + seen + "\"");
    } else if (state == "selected") {
      const std::string wanted = Quoted(line, 3, "expect selected");
      if (!IsList(control) && !IsCombo(control)) Fail(line, "\"" + line.words[1] + "\" is no list");
      const int index = static_cast<int>(SendMessageA(control, IsCombo(control) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
      const std::string seen = index < 0 ? std::string("nothing") : platform::Utf8FromAnsi(EntryText(control, index));
      check(index >= 0 && seen == wanted, index < 0 ? seen : "\"" + seen + "\"");
    } else {
      Fail(line, "unknown state \"" + line.words[2] + "\"");
    }
  }

  // Lets time pass, as a user watching a dialog that works on its own (timers,
  // answers from the network) does, until the dialog ends or the time is up.
  void WaitForEnd(const Line& line, HWND dialog) {
    const int seconds = std::atoi(line.words[1].c_str());
    if (seconds <= 0 || seconds > 600) Fail(line, "wait takes 1 to 600 seconds");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (IsWindow(dialog) && IsWindowVisible(dialog) && std::chrono::steady_clock::now() < deadline) {
      PumpMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }

  void Run(const Line& line) {
    const std::string action = Lower(line.words[0]);
    auto words = [&](size_t least, size_t most) {
      if (line.words.size() < least || line.words.size() > most) Fail(line, "wrong number of words for " + action);
    };
    if (action == "answer") {
      words(2, 2);
      const std::string a = Lower(line.words[1]);
      const int answer = a == "yes" ? IDYES : a == "no" ? IDNO : a == "ok" ? IDOK : a == "cancel" ? IDCANCEL : 0;
      if (!answer) Fail(line, "answer takes yes, no, ok or cancel");
      answers.emplace_back(answer, line.number);
      return;
    }
    if (action == "menu") {
      words(2, 2);
      menus.emplace_back(platform::AnsiFromUtf8(Quoted(line, 1, "menu")), line.number);
      return;
    }
    HWND dialog = Current(line);
    if (action == "dialog") {
      words(2, 2);
      const std::string seen = platform::Utf8FromAnsi(WindowText(dialog));
      if (seen != Quoted(line, 1, "dialog"))
        Fail(line, "the open dialog is \"" + seen + "\", not \"" + line.words[1] + "\"");
    } else if (action == "page") {
      words(2, 2);
      Page(line, platform::AnsiFromUtf8(Quoted(line, 1, "page")));
    } else if (action == "click") {
      words(2, 2);
      HWND control = Control(line, 1, false);
      Usable(line, control);
      Click(control);
    } else if (action == "type") {
      words(3, 4);
      if (line.words.size() == 4 && Lower(line.words[3]) != "replace")
        Fail(line, "type takes \"replace\" after the text");
      HWND control = Control(line, 1, true);
      Usable(line, control);
      const std::string text = platform::AnsiFromUtf8(Quoted(line, 2, "type"));
      if (line.words.size() == 4) Clear(dialog, control);
      Type(dialog, control, text);
    } else if (action == "clear") {
      words(2, 2);
      HWND control = Control(line, 1, true);
      Usable(line, control);
      Clear(dialog, control);
    } else if (action == "pick") {
      words(3, 3);
      HWND control = Control(line, 1, true);
      Usable(line, control);
      if (!IsList(control) && !IsCombo(control)) Fail(line, "\"" + line.words[1] + "\" is no list or combo box");
      int index = -1;
      const int count = static_cast<int>(SendMessageA(control, IsCombo(control) ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
      if (!line.quoted[2] && line.words[2].size() > 1 && line.words[2][0] == '#') {
        index = std::atoi(line.words[2].c_str() + 1);
        if (index < 0 || index >= count) Fail(line, "\"" + line.words[1] + "\" has no entry " + line.words[2]);
      } else {
        index = FindEntry(control, platform::AnsiFromUtf8(Quoted(line, 2, "pick")));
        if (index < 0) Fail(line, "\"" + line.words[1] + "\" has no entry \"" + line.words[2] + "\"");
      }
      Choose(control, index);
    } else if (action == "check") {
      words(3, 3);
      HWND control = Control(line, 1, false);
      Usable(line, control);
      const std::string want = Lower(line.words[2]);
      if (want != "on" && want != "off") Fail(line, "check takes on or off");
      const UINT code = DialogCode(control);
      if (!(code & DLGC_BUTTON) || (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        Fail(line, "\"" + line.words[1] + "\" is no check box or radio button");
      }
      const bool on = want == "on";
      const bool radio = (code & DLGC_RADIOBUTTON) != 0;
      if (radio && !on) Fail(line, "a radio button is turned off by choosing another");
      if ((SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) != on) {
        Click(control);
        PumpMessages();
        if (IsWindow(control) && (SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) != on) {
          Fail(line, "\"" + line.words[1] + "\" did not change when clicked");
        }
      }
    } else if (action == "key") {
      PressKeys(line);
    } else if (action == "ok") {
      words(1, 1);
      PressButton(line, IDOK, "OK");
    } else if (action == "cancel") {
      words(1, 1);
      PressButton(line, IDCANCEL, "Cancel");
    } else if (action == "apply") {
      words(1, 1);
      PressButton(line, kApplyNow, "Apply");
    } else if (action == "png") {
      words(2, 2);
      const std::string path = Quoted(line, 1, "png");
      PumpMessages();
#ifdef ZEL_HAVE_WINDOW_PICTURE
      if (!platform::ui::SaveWindowPicture(dialog, path)) Fail(line, "cannot write the picture \"" + path + "\"");
#else
      Fail(line, "this build cannot write pictures of windows");
#endif
    } else if (action == "wait") {
      words(2, 2);
      WaitForEnd(line, dialog);
    } else if (action == "expect") {
      Expect(line);
    } else {
      Fail(line, "unknown action \"" + line.words[0] + "\"");
    }
  }

  // One modal dialog: lines from the cursor until it ends or the script does.
  void Play(HWND dialog) {
    if (failed) return;
    dialogs.push_back(dialog);
    try {
      while (!failed && cursor < lines.size() && IsWindowVisible(dialog)) {
        const Line& line = lines[cursor++];
        Run(line);
        PumpMessages();
      }
    } catch (const Failure& failure) {
      Stop(failure.message);
    }
    while (!dialogs.empty() && dialogs.back() != dialog) dialogs.pop_back();
    if (!dialogs.empty()) dialogs.pop_back();
  }

  // A pop-up menu: the item the script chose for it, by its text.
  UINT Menu(const platform::MenuRequest& request) {
    while (menus.empty() && !failed && cursor < lines.size() && Lower(lines[cursor].words[0]) == "menu") {
      try {
        Run(lines[cursor++]);
      } catch (const Failure& failure) {
        Stop(failure.message);
      }
    }
    if (failed || menus.empty()) return 0;
    const auto [text, number] = menus.front();
    menus.pop_front();
    const UINT command = platform::ui::FindMenuCommand(request.menu, Readable(text));
    if (!command)
      Stop(name + ":" + std::to_string(number) + ": the menu has no enabled item \"" + platform::Utf8FromAnsi(text) +
           "\"");
    return command;
  }

  int Box(const platform::MessageBoxRequest& box) {
    boxes.push_back(box.caption + ": " + box.text);
    // An answer written just before the box came is for it.
    while (answers.empty() && !failed && cursor < lines.size() && Lower(lines[cursor].words[0]) == "answer") {
      try {
        Run(lines[cursor++]);
      } catch (const Failure& failure) {
        Stop(failure.message);
      }
    }
    const UINT type = box.type & MB_TYPEMASK;
    if (failed || answers.empty()) {
      if (failed) return type == MB_OK ? IDOK : type == MB_YESNO ? IDNO : IDCANCEL;
      return platform::DefaultMessageBoxButton(box.type);
    }
    const int answer = answers.front().first;
    answers.pop_front();
    const bool fits =
        (answer == IDOK && (type == MB_OK || type == MB_OKCANCEL)) ||
        (answer == IDCANCEL && (type == MB_OKCANCEL || type == MB_YESNOCANCEL || type == MB_RETRYCANCEL)) ||
        ((answer == IDYES || answer == IDNO) && (type == MB_YESNO || type == MB_YESNOCANCEL));
    if (!fits) {
      Stop(name + ": the message box \"" + box.text + "\" has no such button as the answer given");
      return platform::DefaultMessageBoxButton(box.type);
    }
    return answer;
  }
};

UiScript::UiScript() : state_(std::make_unique<State>()) {}

UiScript::~UiScript() = default;

bool UiScript::Load(const std::string& name, const std::string& utf8Text) {
  State& s = *state_;
  s.name = name;
  s.lines.clear();
  s.cursor = 0;
  std::stringstream text(utf8Text);
  std::string raw;
  for (int number = 1; std::getline(text, raw); ++number) {
    Line line;
    line.number = number;
    std::string problem;
    if (!SplitLine(raw, &line, &problem)) {
      s.Stop(name + ":" + std::to_string(number) + ": " + problem);
      return false;
    }
    if (!line.words.empty()) s.lines.push_back(std::move(line));
  }
  return true;
}

bool UiScript::LoadFile(const std::string& hostPath) {
  std::ifstream file(hostPath, std::ios::binary);
  if (!file) {
    state_->Stop(hostPath + ": cannot be read");
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  return Load(hostPath, text.str());
}

void UiScript::Install() {
  State* s = state_.get();
  platform::SetDialogHandler([s](const platform::DialogRequest& request) { s->Play(request.dialog); });
  platform::SetMessageBoxHandler([s](const platform::MessageBoxRequest& box) { return s->Box(box); });
  platform::SetMenuChooser([s](const platform::MenuRequest& request) { return s->Menu(request); });
}

void UiScript::Uninstall() {
  platform::SetDialogHandler(nullptr);
  platform::SetMessageBoxHandler(nullptr);
  platform::SetMenuChooser(nullptr);
}

void UiScript::Finish() {
  State& s = *state_;
  if (s.failed) return;
  // An answer no box asked for means the session went otherwise than written.
  if (!s.answers.empty()) {
    s.Stop(s.name + ":" + std::to_string(s.answers.front().second) + ": no message box came for this answer");
    return;
  }
  if (!s.menus.empty()) {
    s.Stop(s.name + ":" + std::to_string(s.menus.front().second) + ": no menu came for this choice");
    return;
  }
  if (s.cursor >= s.lines.size()) return;
  const Line& line = s.lines[s.cursor];
  s.Stop(s.name + ":" + std::to_string(line.number) + ": no dialog is open for \"" + line.words[0] + "\"");
}

bool UiScript::failed() const { return state_->failed; }

const std::string& UiScript::error() const { return state_->error; }

const std::vector<std::string>& UiScript::boxes() const { return state_->boxes; }

}  // namespace platform::ui
