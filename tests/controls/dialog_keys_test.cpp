// A person's keys in a dialog: where the focus goes, which radio button is
// chosen and what the dialog is told, on a template with a label, an edit, a
// radio group with a disabled member, a check box, a disabled button, a list
// and the OK and Cancel buttons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/dialog_keys.h"
#include "tests/controls/controls_fixture.h"

namespace {

std::vector<int>& Commands() {
  static std::vector<int> commands;
  return commands;
}

INT_PTR CALLBACK Recording(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) Commands().push_back(LOWORD(wParam));
  return message == WM_INITDIALOG;
}

struct Press {
  const char* name;
  int focusBefore;        // 0: none
  std::vector<int> keys;  // negative: with Shift; 'A'..'Z' + 0x1000: Alt+letter
  int focusAfter;
  int checkedRadio;  // 0: as the template left them
  std::vector<int> commands;
};

constexpr int kAlt = 0x1000;

class DialogKeysTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Open();
  }
  void TearDown() override {
    Close();
    ControlsTest::TearDown();
  }
  void Open() {
    Commands().clear();
    dialog = CreateDialogParamA(0, MAKEINTRESOURCEA(220), 0, Recording, 0);
    ASSERT_NE(dialog, 0u);
    ShowWindow(dialog, SW_SHOW);
    SendDlgItemMessageA(dialog, 108, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
    SendDlgItemMessageA(dialog, 108, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
    SendDlgItemMessageA(dialog, 108, LB_SETCURSEL, 0, 0);
  }
  void Close() {
    if (IsWindow(dialog)) DestroyWindow(dialog);
  }

  void Key(UINT message, WPARAM key) {
    MSG msg{};
    msg.hwnd = GetFocus() ? GetFocus() : dialog;
    msg.message = message;
    msg.wParam = key;
    EXPECT_TRUE(IsDialogMessageA(dialog, &msg));
  }
  void Play(const std::vector<int>& keys) {
    for (int key : keys) {
      if (key >= kAlt) {
        Key(WM_SYSCHAR, static_cast<WPARAM>(key - kAlt));
      } else {
        platform::ui::SetKeyHeld(VK_SHIFT, key < 0);
        Key(WM_KEYDOWN, static_cast<WPARAM>(key < 0 ? -key : key));
        platform::ui::SetKeyHeld(VK_SHIFT, false);
      }
    }
    platform::ui::PumpMessages();
  }
  int FocusId() { return GetFocus() ? GetDlgCtrlID(GetFocus()) : 0; }
  int CheckedRadio() {
    for (int id = 102; id <= 105; ++id) {
      if (IsDlgButtonChecked(dialog, id)) return id;
    }
    return 0;
  }

  HWND dialog = 0;
};

TEST_F(DialogKeysTest, KeysMoveTheFocusChooseAndPressAsOnTheDesktop) {
  const Press presses[] = {
      // Tab visits tab stops in template order, skipping disabled ones, and wraps.
      {"tab from the edit", 101, {VK_TAB}, 102, 0, {}},
      {"tab skips the disabled button", 106, {VK_TAB}, 108, 0, {}},
      {"tab wraps to the first stop", 2, {VK_TAB}, 101, 0, {}},
      {"shift+tab goes back", 102, {-VK_TAB}, 101, 0, {}},
      {"shift+tab wraps to the last stop", 101, {-VK_TAB}, 2, 0, {}},
      // Arrows stay in the group, choose automatic radios and skip disabled ones.
      {"down chooses the next radio", 102, {VK_DOWN}, 103, 103, {103}},
      {"down skips the disabled radio", 103, {VK_DOWN}, 105, 105, {105}},
      {"down wraps within the group", 105, {VK_DOWN}, 102, 102, {102}},
      {"up wraps backwards", 102, {VK_UP}, 105, 105, {105}},
      // A list keeps the arrows to itself.
      {"the list takes the arrows", 108, {VK_DOWN}, 108, 0, {}},
      // Enter presses the default button, or the focused push button.
      {"enter in the edit is OK", 101, {VK_RETURN}, 101, 0, {IDOK}},
      {"enter on a push button presses it", 109, {VK_RETURN}, 109, 0, {109}},
      {"escape is Cancel", 101, {VK_ESCAPE}, 101, 0, {IDCANCEL}},
      // Space presses the focused button.
      {"space toggles the check box", 106, {VK_SPACE}, 106, 0, {106}},
      // Alt+letter: a label hands it to the next control, a button is clicked.
      {"alt+N focuses the edit after its label", 108, {kAlt + 'n'}, 101, 0, {}},
      {"alt+H chooses the radio", 101, {kAlt + 'H'}, 105, 105, {105}},
      {"alt+B toggles the check box", 101, {kAlt + 'b'}, 106, 0, {106}},
      {"alt+K on a disabled button does nothing", 101, {kAlt + 'k'}, 101, 0, {}},
      {"alt+R on a disabled radio does nothing", 101, {kAlt + 'r'}, 101, 0, {}},
  };
  for (const Press& press : presses) {
    SCOPED_TRACE(press.name);
    Close();
    Open();
    if (press.focusBefore) SetFocus(GetDlgItem(dialog, press.focusBefore));
    Commands().clear();
    Play(press.keys);
    EXPECT_EQ(FocusId(), press.focusAfter);
    if (press.checkedRadio) {
      EXPECT_EQ(CheckedRadio(), press.checkedRadio);
    }
    EXPECT_EQ(Commands(), press.commands);
  }
}

TEST_F(DialogKeysTest, TheListTakesArrowsAndTheCheckBoxReallyToggles) {
  SetFocus(GetDlgItem(dialog, 108));
  Play({VK_DOWN});
  EXPECT_EQ(SendDlgItemMessageA(dialog, 108, LB_GETCURSEL, 0, 0), 1);
  SetFocus(GetDlgItem(dialog, 106));
  Play({VK_SPACE, VK_SPACE, VK_SPACE});
  EXPECT_EQ(IsDlgButtonChecked(dialog, 106), static_cast<UINT>(BST_CHECKED));
}

TEST_F(DialogKeysTest, TypedCharactersReachTheEditAndItsLimit) {
  SetFocus(GetDlgItem(dialog, 101));
  SendDlgItemMessageA(dialog, 101, EM_LIMITTEXT, 3, 0);
  for (char c : std::string("abcdef")) Key(WM_CHAR, static_cast<WPARAM>(c));
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 101)), "abc");
}

TEST_F(DialogKeysTest, KeysPostedToAControlGoThroughTheDialogManager) {
  SetFocus(GetDlgItem(dialog, 101));
  PostMessageA(GetDlgItem(dialog, 101), WM_KEYDOWN, VK_TAB, 0);
  PostMessageA(GetDlgItem(dialog, 102), WM_KEYDOWN, VK_RETURN, 0);
  platform::ui::PumpMessages();
  EXPECT_EQ(FocusId(), 102);
  EXPECT_EQ(Commands(), std::vector<int>{IDOK});
}

TEST_F(DialogKeysTest, AMessageOfAnotherWindowIsNotTheDialogs) {
  HWND other = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
  MSG msg{};
  msg.hwnd = other;
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_RETURN;
  EXPECT_FALSE(IsDialogMessageA(dialog, &msg));
  EXPECT_TRUE(Commands().empty());
  DestroyWindow(other);
}

}  // namespace
