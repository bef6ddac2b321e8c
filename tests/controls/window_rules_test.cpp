// What the settings pages take for granted of the window system, one row per
// rule: which changes notify the parent and when, how clicks and radio groups
// behave, how the tabbed dialog makes and drops its pages, how a modal dialog
// can end before it runs, what limits typing, and how texts and numbers are read
// and found.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "controls/tab_dialog.h"
#include "tests/controls/controls_fixture.h"

using controls::DP_ListBoxTabDialog;
using controls::DP_ListBoxTabDialogItem;

namespace {

// What the parent of the controls saw, in order.
std::vector<std::string>* g_events = nullptr;

void Record(const std::string& event) {
  if (g_events) g_events->push_back(event);
}

std::string Text(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Notifications as "code id" (the button's check state at the click, the
// edit's text at the change).
INT_PTR CALLBACK RecordingDialog(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COMMAND) return FALSE;
  HWND control = static_cast<HWND>(lParam);
  const std::string id = std::to_string(LOWORD(wParam));
  switch (HIWORD(wParam)) {
    case BN_CLICKED:
      Record("BN_CLICKED " + id + " check " + std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0)));
      break;
    case EN_CHANGE: Record("EN_CHANGE " + id + " '" + Text(control) + "'"); break;
    case CBN_SELCHANGE: Record("CBN_SELCHANGE " + id); break;
    default: Record("WM_COMMAND " + id + " code " + std::to_string(HIWORD(wParam)));
  }
  return TRUE;
}

WNDPROC g_buttonProcedure = nullptr;
LRESULT CALLBACK RecordingButton(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) Record("down check " + std::to_string(SendMessageA(window, BM_GETCHECK, 0, 0)));
  if (message == WM_LBUTTONUP) Record("up");
  return CallWindowProcA(g_buttonProcedure, window, message, wParam, lParam);
}

// A page of the tabbed dialog that says when it is made and destroyed.
class LoggedPage : public DP_ListBoxTabDialogItem {
 public:
  LoggedPage(UINT templateId, std::string name) : DP_ListBoxTabDialogItem(templateId), name_(std::move(name)) {}
  void DescribeTab() override { SetTabInfo(300, name_); }
  void UpdateControls() override {}
  BOOL OnInitDialog() override {
    Record("init " + name_);
    return DP_ListBoxTabDialogItem::OnInitDialog();
  }
  void OnDestroy() {
    Record("destroy " + name_ + (::IsWindow(Other()) ? " (other page exists)" : ""));
    DP_ListBoxTabDialogItem::OnDestroy();
  }
  HWND Other() const { return other ? other->m_hWnd : 0; }
  LoggedPage* other = nullptr;

 private:
  std::string name_;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LoggedPage, DP_ListBoxTabDialogItem)
ON_WM_DESTROY()
END_MESSAGE_MAP()

// A dialog that knows at once that it has nothing to ask.
class EndsAtOnce : public controls::CMyDialog {
 public:
  EndsAtOnce() : CMyDialog(200, nullptr) {}
  BOOL OnInitDialog() override {
    CMyDialog::OnInitDialog();
    EndDialog(7);
    return TRUE;
  }
};

struct Bench {
  HWND dialog = 0;
  std::vector<std::string> events;

  HWND Child(const char* cls, DWORD style, int id, const char* text = "") {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 50, 20, dialog, static_cast<HMENU>(id), 0,
                           nullptr);
  }
  // The events since the last look.
  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(events);
    return taken;
  }
};

using Events = std::vector<std::string>;

struct Rule {
  const char* rule;
  std::function<void(Bench&)> check;
};

const Rule kRules[] = {
    {"programmatic text notifies a single-line edit's parent before the call returns",
     [](Bench& b) {
       HWND single = b.Child("EDIT", 0, 31);
       HWND multi = b.Child("EDIT", ES_MULTILINE, 32);
       SetWindowTextA(single, "a");
       EXPECT_EQ(b.Take(), Events{"EN_CHANGE 31 'a'"});
       SetDlgItemTextA(b.dialog, 31, "bc");
       EXPECT_EQ(b.Take(), Events{"EN_CHANGE 31 'bc'"});
       SetDlgItemInt(b.dialog, 31, 42, FALSE);
       EXPECT_EQ(b.Take(), Events{"EN_CHANGE 31 '42'"});
       SetDlgItemInt(b.dialog, 31, static_cast<UINT>(-5), TRUE);
       EXPECT_EQ(b.Take(), Events{"EN_CHANGE 31 '-5'"});
       // A multi-line edit tells only of what is typed.
       SetWindowTextA(multi, "x");
       SetDlgItemInt(b.dialog, 32, 7, FALSE);
       EXPECT_EQ(b.Take(), Events{});
       EXPECT_EQ(Text(multi), "7");
       SendMessageA(multi, WM_CHAR, 'y', 1);
       EXPECT_EQ(b.Take(), Events{"EN_CHANGE 32 '7y'"});
     }},
    {"selections and check marks set by the program are silent",
     [](Bench& b) {
       HWND combo = b.Child("COMBOBOX", CBS_DROPDOWNLIST, 40);
       HWND list = b.Child("LISTBOX", LBS_NOTIFY | LBS_HASSTRINGS, 41);
       HWND check = b.Child("BUTTON", BS_AUTOCHECKBOX, 42);
       HWND radio = b.Child("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 43);
       for (const char* text : {"One", "Two"}) {
         SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
         SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
       }
       SendMessageA(combo, CB_SETCURSEL, 1, 0);
       SendMessageA(list, LB_SETCURSEL, 1, 0);
       SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
       CheckDlgButton(b.dialog, 43, BST_CHECKED);
       EXPECT_EQ(b.Take(), Events{});
       EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
       EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
       EXPECT_EQ(IsDlgButtonChecked(b.dialog, 42), static_cast<UINT>(BST_CHECKED));
       (void)radio;
     }},
    {"BM_CLICK presses and releases; the state changes before BN_CLICKED",
     [](Bench& b) {
       HWND check = b.Child("BUTTON", BS_AUTOCHECKBOX, 50);
       HWND push = b.Child("BUTTON", BS_PUSHBUTTON, 51);
       g_buttonProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(check, GWLP_WNDPROC));
       SetWindowLongPtrA(check, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingButton));
       SendMessageA(check, BM_CLICK, 0, 0);
       EXPECT_EQ(b.Take(), (Events{"down check 0", "up", "BN_CLICKED 50 check 1"}));
       SendMessageA(check, BM_CLICK, 0, 0);
       EXPECT_EQ(b.Take(), (Events{"down check 1", "up", "BN_CLICKED 50 check 0"}));
       SendMessageA(push, BM_CLICK, 0, 0);
       EXPECT_EQ(b.Take(), Events{"BN_CLICKED 51 check 0"});
     }},
    {"an auto radio clears the other radios of its group, bounded by WS_GROUP",
     [](Bench& b) {
       b.Child("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 60);
       b.Child("BUTTON", BS_AUTORADIOBUTTON, 61);
       b.Child("BUTTON", BS_AUTORADIOBUTTON, 62);
       b.Child("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 63);
       b.Child("BUTTON", BS_AUTORADIOBUTTON, 64);
       for (int id : {60, 62, 63}) CheckDlgButton(b.dialog, id, BST_CHECKED);
       SendDlgItemMessageA(b.dialog, 61, BM_CLICK, 0, 0);
       EXPECT_EQ(b.Take(), Events{"BN_CLICKED 61 check 1"});
       const UINT expected[] = {0, 1, 0, 1, 0};
       for (int id = 60; id <= 64; ++id) EXPECT_EQ(IsDlgButtonChecked(b.dialog, id), expected[id - 60]) << id;
       SendDlgItemMessageA(b.dialog, 64, BM_CLICK, 0, 0);
       EXPECT_EQ(IsDlgButtonChecked(b.dialog, 63), 0u);
       EXPECT_EQ(IsDlgButtonChecked(b.dialog, 61), 1u);
     }},
    {"the tabbed dialog makes the new page before it destroys the old one, on every switch",
     [](Bench& b) {
       auto* paper = new LoggedPage(202, "Paper");
       auto* quality = new LoggedPage(203, "Quality");
       paper->other = quality;
       quality->other = paper;
       DP_ListBoxTabDialog tabs(112, nullptr);
       tabs.AddPage(paper, TRUE);
       tabs.AddPage(quality, TRUE);
       ASSERT_TRUE(tabs.Create(112, nullptr));
       EXPECT_EQ(b.Take(), Events{"init Paper"});
       for (int round = 0; round < 2; ++round) {
         tabs.SelectPage(quality);
         EXPECT_EQ(b.Take(), (Events{"init Quality", "destroy Paper (other page exists)"}));
         tabs.SelectPage(paper);
         EXPECT_EQ(b.Take(), (Events{"init Paper", "destroy Quality (other page exists)"}));
       }
       // The dialog may delete the pages in any order as it closes.
       paper->other = quality->other = nullptr;
       tabs.DestroyWindow();
       EXPECT_EQ(b.Take(), Events{"destroy Paper"});
     }},
    {"EndDialog inside WM_INITDIALOG ends the modal dialog with its result, unseen",
     [](Bench& b) {
       bool ran = false;
       platform::SetDialogHandler([&](const platform::DialogRequest&) { ran = true; });
       EndsAtOnce dialog;
       EXPECT_EQ(dialog.DoModal(), 7);
       EXPECT_FALSE(ran);
       platform::SetDialogHandler(nullptr);
       // Ended before anything showed it.
       auto neverShown = +[](HWND window, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
         if (message == WM_INITDIALOG) ::EndDialog(window, 9);
         if (message == WM_SHOWWINDOW && wParam) Record("shown");
         return message == WM_INITDIALOG;
       };
       EXPECT_EQ(DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(200), b.dialog, neverShown, 0), 9);
       EXPECT_EQ(b.Take(), Events{});
     }},
    {"EM_LIMITTEXT binds typing, not text set by the program",
     [](Bench& b) {
       HWND edit = b.Child("EDIT", 0, 70);
       SendMessageA(edit, EM_LIMITTEXT, 3, 0);
       for (char c : std::string("12345")) SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
       EXPECT_EQ(Text(edit), "123");
       SetWindowTextA(edit, "abcdef");
       EXPECT_EQ(Text(edit), "abcdef");
       b.Take();
       SendMessageA(edit, WM_CHAR, 'g', 1);
       EXPECT_EQ(Text(edit), "abcdef");
       EXPECT_EQ(b.Take(), Events{});
       SendMessageA(edit, WM_CHAR, VK_BACK, 1);
       EXPECT_EQ(Text(edit), "abcde");
     }},
    {"GetWindowText keeps size - 1 characters and the terminator",
     [](Bench& b) {
       HWND edit = b.Child("EDIT", 0, 80, "abcdefgh");
       char text[8];
       std::memset(text, '#', sizeof text);
       EXPECT_EQ(GetWindowTextA(edit, text, 6), 5);
       EXPECT_STREQ(text, "abcde");
       EXPECT_EQ(text[6], '#');
       EXPECT_EQ(GetDlgItemTextA(b.dialog, 80, text, 1), 0u);
       EXPECT_STREQ(text, "");
     }},
    {"GetDlgItemInt reads signed or unsigned and says whether the text was a number",
     [](Bench& b) {
       b.Child("EDIT", 0, 90);
       struct Case {
         const char* text;
         BOOL isSigned;
         UINT value;
         BOOL translated;
       };
       const Case cases[] = {{"42", FALSE, 42, TRUE},
                             {"-42", TRUE, static_cast<UINT>(-42), TRUE},
                             {"-42", FALSE, 0, FALSE},
                             {"4294967295", FALSE, 4294967295u, TRUE},
                             {"4294967296", FALSE, 0, FALSE},
                             {"2147483647", TRUE, 2147483647u, TRUE},
                             {"2147483648", TRUE, 0, FALSE},
                             {"-2147483648", TRUE, 0x80000000u, TRUE},
                             {"-2147483649", TRUE, 0, FALSE},
                             {"12a", FALSE, 0, FALSE},
                             {"", TRUE, 0, FALSE}};
       for (const Case& c : cases) {
         SetDlgItemTextA(b.dialog, 90, c.text);
         BOOL translated = -1;
         EXPECT_EQ(GetDlgItemInt(b.dialog, 90, &translated, c.isSigned), c.value) << c.text << " " << c.isSigned;
         EXPECT_EQ(translated, c.translated) << c.text << " " << c.isSigned;
       }
     }},
    {"finding a list or combo entry ignores the case of letters, and only of letters",
     [](Bench& b) {
       HWND combo = b.Child("COMBOBOX", CBS_DROPDOWNLIST, 100);
       HWND list = b.Child("LISTBOX", LBS_HASSTRINGS, 101);
       // Code page 932: "ッ" (83 61) differs from "ア" (83 41) in its second byte only.
       for (const char* text : {"Letter", "A4", "\x83\x61", "\x83\x41", "a4 long"}) {
         SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
         SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
       }
       struct Case {
         UINT message;
         const char* text;
         LRESULT found;
       };
       const Case cases[] = {
           {CB_FINDSTRINGEXACT, "letter", 0},   {CB_FINDSTRINGEXACT, "a4", 1}, {CB_FINDSTRINGEXACT, "lett", CB_ERR},
           {CB_FINDSTRINGEXACT, "\x83\x41", 3}, {LB_FINDSTRING, "LET", 0},     {LB_FINDSTRING, "a4 L", 4},
           {LB_FINDSTRING, "\x83\x41", 3},      {LB_FINDSTRING, "x", LB_ERR}};
       for (const Case& c : cases) {
         HWND target = c.message == CB_FINDSTRINGEXACT ? combo : list;
         EXPECT_EQ(SendMessageA(target, c.message, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(c.text)), c.found)
             << c.text;
       }
     }},
};

class WindowRulesTest : public ControlsTest {};

TEST_F(WindowRulesTest, ThePagesCanRelyOnTheWindowSystem) {
  for (const Rule& rule : kRules) {
    SCOPED_TRACE(rule.rule);
    Bench bench;
    g_events = &bench.events;
    bench.dialog = CreateWindowExA(0, "#32770", "Rules", WS_POPUP, 0, 0, 300, 200, 0, 0, 0, nullptr);
    ASSERT_NE(bench.dialog, 0u);
    SetWindowLongPtrA(bench.dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&RecordingDialog));
    rule.check(bench);
    DestroyWindow(bench.dialog);
    g_events = nullptr;
  }
}

}  // namespace
