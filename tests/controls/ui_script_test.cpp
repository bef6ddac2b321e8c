// The scripted user in a modal dialog that opens a nested one: a session that
// changes every kind of control, and scripts with a fault, which must name
// their line and leave every dialog cancelled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/ui/menu.h"
#include "platform/ui/ui_script.h"
#include "tests/controls/controls_fixture.h"

namespace {

struct Session {
  INT_PTR outer = 0;
  INT_PTR nested = 0;
  std::string name;
  std::string comment;
  bool bold = false;
  int radio = 0;
  int listSelection = -1;
  int listChanges = 0;
  int boxAnswer = 0;
};

Session* g_session = nullptr;

std::string ItemText(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

INT_PTR CALLBACK Details(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SendDlgItemMessageA(dialog, 201, EM_LIMITTEXT, 5, 0);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    g_session->boxAnswer = MessageBoxA(dialog, "Keep the comment?", "Details", MB_YESNO);
    if (g_session->boxAnswer != IDYES) return TRUE;
    g_session->comment = ItemText(dialog, 201);
    EndDialog(dialog, IDOK);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
  return TRUE;
}

INT_PTR CALLBACK Keys(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const char* entry : {"one", "two", "three"}) {
      SendDlgItemMessageA(dialog, 108, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    CheckDlgButton(dialog, 102, BST_CHECKED);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case 108:
      if (HIWORD(wParam) == LBN_SELCHANGE) ++g_session->listChanges;
      break;
    case 109: g_session->nested = DialogBoxParamA(0, MAKEINTRESOURCEA(221), dialog, Details, 0); break;
    case IDOK:
      g_session->name = ItemText(dialog, 101);
      g_session->bold = IsDlgButtonChecked(dialog, 106) == BST_CHECKED;
      for (int id = 102; id <= 105; ++id) {
        if (IsDlgButtonChecked(dialog, id)) g_session->radio = id;
      }
      g_session->listSelection = static_cast<int>(SendDlgItemMessageA(dialog, 108, LB_GETCURSEL, 0, 0));
      EndDialog(dialog, IDOK);
      break;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    default: break;
  }
  return TRUE;
}

class UiScriptTest : public ControlsTest {
 protected:
  void TearDown() override {
    g_session = nullptr;
    ControlsTest::TearDown();
  }
  // Plays the script into the dialog and answers whether it ran clean.
  bool Play(const std::string& text) {
    g_session = &session;
    platform::ui::UiScript script;
    if (!script.Load("session.txt", text)) {
      error = script.error();
      return false;
    }
    script.Install();
    session.outer = DialogBoxParamA(0, MAKEINTRESOURCEA(220), 0, Keys, 0);
    script.Finish();
    script.Uninstall();
    error = script.error();
    return !script.failed();
  }

  Session session;
  std::string error;
};

TEST_F(UiScriptTest, ASessionChangesEveryKindOfControlAndFollowsTheNestedDialog) {
  const std::string script = R"(# the user fills the dialog in
dialog "Keys"
type "&Name" "日本"
type 101 "ab"
check "Bold" on
check &Medium on       # a radio button is chosen by checking it
pick 108 "TWO"          # entries match without regard to case
pick 108 #2
click "Details..."
  dialog "Details"
  type "&Comment" "hello world"   # the edit takes five characters
  answer no
  ok                     # refused: the box said no
  answer yes
  ok
expect 101 text "日本ab"
expect "Bold" checked
expect 108 selected "three"
key Enter
)";
  ASSERT_TRUE(Play(script)) << error;
  EXPECT_EQ(session.outer, IDOK);
  EXPECT_EQ(session.nested, IDOK);
  EXPECT_EQ(session.name, platform::AnsiFromUtf8("日本ab"));
  EXPECT_EQ(session.comment, "hello");
  EXPECT_TRUE(session.bold);
  EXPECT_EQ(session.radio, 103);
  EXPECT_EQ(session.listSelection, 2);
  EXPECT_EQ(session.listChanges, 2);
  EXPECT_EQ(session.boxAnswer, IDYES);
}

TEST_F(UiScriptTest, KeysAndTypingReplaceAsAPersonWould) {
  const std::string script = R"(type 101 "first"
type 101 "second" replace
key Tab Down Down     # into the radio group, past the disabled one
key Alt+b
key Shift+Tab Shift+Tab
clear "&Name"
type "&Name" "x"
ok
)";
  ASSERT_TRUE(Play(script)) << error;
  EXPECT_EQ(session.outer, IDOK);
  EXPECT_EQ(session.name, "x");
  EXPECT_EQ(session.radio, 105);
  EXPECT_TRUE(session.bold);
}

TEST_F(UiScriptTest, AFaultNamesItsLineAndCancelsEveryOpenDialog) {
  const struct {
    const char* script;
    const char* message;
    INT_PTR outer = IDCANCEL;
  } faults[] = {
      {"type 101 \"a\"\nclick 999\n", "session.txt:2: no control 999"},
      {"click \"Nothing\"", "session.txt:1: no control \"Nothing\""},
      {"frobnicate 101", "session.txt:1: unknown action \"frobnicate\""},
      {"click \"S&kip\"", "session.txt:1: control \"S&kip\" is disabled"},
      {"check 104 on", "session.txt:1: control \"104\" is disabled"},
      {"\n\nexpect \"Bold\" checked", "session.txt:3: expected \"Bold\" checked, but it is unchecked"},
      {"expect 108 selected \"one\"", "session.txt:1: expected \"108\" selected, but it is nothing"},
      {"dialog \"Other\"", "session.txt:1: the open dialog is \"Keys\", not \"Other\""},
      {"pick 108 \"four\"", "session.txt:1: \"108\" has no entry \"four\""},
      {"pick 108 #3", "session.txt:1: \"108\" has no entry #3"},
      {"pick 101 \"x\"", "session.txt:1: \"101\" is no list or combo box"},
      {"check \"&Small\" off", "session.txt:1: a radio button is turned off by choosing another"},
      {"key Ctrl+Q", "session.txt:1: unknown key \"Ctrl+Q\""},
      {"click \"Details...\"\ntype 201 \"a\"\nclick 101 extra", "session.txt:3: wrong number of words for click"},
      {"click \"Details...\"\nanswer maybe", "session.txt:2: answer takes yes, no, ok or cancel"},
      {"type 101 \"unclosed", "session.txt:1: a quoted text is not closed", 0},
      {"ok\nclick 101", "session.txt:2: no dialog is open", IDOK},
      {"answer yes\nok", "session.txt:1: no message box came for this answer", IDOK},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.script);
    session = Session{};
    EXPECT_FALSE(Play(fault.script));
    EXPECT_EQ(error.substr(0, std::string(fault.message).size()), fault.message) << error;
    EXPECT_EQ(session.outer, fault.outer);
    EXPECT_NE(session.nested, IDOK);
  }
}

TEST_F(UiScriptTest, AScriptThatEndsEarlyLeavesTheRestCancelledAsBefore) {
  ASSERT_TRUE(Play("click \"Details...\"\ntype 201 \"abc\"\n")) << error;
  EXPECT_EQ(session.nested, IDCANCEL);
  EXPECT_EQ(session.outer, IDCANCEL);
}

}  // namespace

namespace {

// A pop-up menu takes the item the script names; a name the menu lacks (or
// a greyed item) is a fault of that line.
TEST_F(UiScriptTest, APopupMenuTakesTheItemTheScriptNames) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 10, "&Copy");
  AppendMenuA(menu, MF_STRING, 11, "&Paste");
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 12, "Cu&t");
  const struct {
    const char* script;
    UINT chosen;
    const char* error;
  } cases[] = {
      {"menu \"Paste\"\n", 11, ""},
      {"menu \"&Copy\"\n", 10, ""},
      {"# first line\nmenu \"Cut\"\n", 0, "menu.txt:2: the menu has no enabled item \"Cut\""},
      {"menu \"Delete\"\n", 0, "menu.txt:1: the menu has no enabled item \"Delete\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    platform::ui::UiScript script;
    ASSERT_TRUE(script.Load("menu.txt", c.script));
    script.Install();
    EXPECT_EQ(static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, 0, nullptr)), c.chosen);
    script.Finish();
    script.Uninstall();
    EXPECT_EQ(script.error(), c.error);
  }
  DestroyMenu(menu);
}

}  // namespace
