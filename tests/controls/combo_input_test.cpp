// A drop-down list combo box used by a person: keys and clicks change its
// choice, open and close its list, and the owner hears each step; the open
// list is seen in the dialog's picture over the edit below it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/ctl_paint.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/window_picture.h"
#include "platform/ui/wnd_tree.h"
#include "tests/controls/controls_fixture.h"

namespace {

constexpr int kCombo = 101;
constexpr int kEdit = 102;

using Heard = std::vector<std::pair<int, int>>;  // control id, notification

Heard& Notifications() {
  static Heard heard;
  return heard;
}

INT_PTR CALLBACK Recording(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) Notifications().emplace_back(LOWORD(wParam), HIWORD(wParam));
  return message == WM_INITDIALOG;
}

// Keys: plain virtual keys; kAlt + key is the key with Alt held (WM_SYSKEYDOWN).
constexpr int kAlt = 0x10000;
// A click at a point of the combo box's client area.
struct Click {
  int x;
  int y;
};

class ComboInputTest : public ControlsTest {
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
    dialog = CreateDialogParamA(0, MAKEINTRESOURCEA(222), 0, Recording, 0);
    ASSERT_NE(dialog, 0u);
    ShowWindow(dialog, SW_SHOW);
    combo = GetDlgItem(dialog, kCombo);
    for (const char* size : {"A4", "A5", "Letter", "Legal"}) {
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
    }
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SetFocus(combo);
    platform::ui::PumpMessages();
    Notifications().clear();
  }
  void Close() {
    if (IsWindow(dialog)) DestroyWindow(dialog);
  }

  // A key as the message loop hands it on: through the dialog manager, or
  // straight to the focus with Alt held.
  void Key(int key) {
    MSG msg{};
    msg.hwnd = GetFocus();
    msg.message = key >= kAlt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = static_cast<WPARAM>(key >= kAlt ? key - kAlt : key);
    if (!IsDialogMessageA(dialog, &msg)) DispatchMessageA(&msg);
    platform::ui::PumpMessages();
  }
  void Press(Click click) {
    // An open list holds the capture, so a click anywhere reaches it.
    HWND target = GetCapture() ? GetCapture() : combo;
    SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, Point(click.x, click.y));
    SendMessageA(target, WM_LBUTTONUP, 0, Point(click.x, click.y));
    platform::ui::PumpMessages();
  }
  int Selection() { return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)); }
  bool Dropped() { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }
  int FieldHeight() { return platform::ui::ComboFieldHeight(combo); }
  int RowHeight() {
    HDC hdc = GetDC(combo);
    HGDIOBJ previous = SelectObject(hdc, platform::ui::paint::ControlFont(combo));
    TEXTMETRICA metrics{};
    GetTextMetricsA(hdc, &metrics);
    SelectObject(hdc, previous);
    ReleaseDC(combo, hdc);
    return metrics.tmHeight;
  }
  // The middle of the entry's row in the open list.
  Click Row(int index) { return Click{20, FieldHeight() + 1 + index * RowHeight() + RowHeight() / 2}; }

  HWND dialog = 0;
  HWND combo = 0;
};

constexpr int kSel = CBN_SELCHANGE, kDrop = CBN_DROPDOWN, kUp = CBN_CLOSEUP;

struct KeyCase {
  const char* name;
  std::vector<int> keys;
  int selection;
  bool dropped;
  Heard heard;
};

TEST_F(ComboInputTest, KeysChooseOpenAndCloseTheList) {
  const KeyCase cases[] = {
      {"down chooses the next entry", {VK_DOWN}, 2, false, {{kCombo, kSel}}},
      {"up chooses the one before", {VK_UP}, 0, false, {{kCombo, kSel}}},
      {"up at the first entry stays", {VK_UP, VK_UP}, 0, false, {{kCombo, kSel}}},
      {"end and home go to the ends", {VK_END, VK_HOME}, 0, false, {{kCombo, kSel}, {kCombo, kSel}}},
      {"down at the last entry stays", {VK_END, VK_DOWN}, 3, false, {{kCombo, kSel}}},
      {"F4 opens the list", {VK_F4}, 1, true, {{kCombo, kDrop}}},
      {"alt+down opens the list", {kAlt + VK_DOWN}, 1, true, {{kCombo, kDrop}}},
      {"arrows in the open list only light an entry", {VK_F4, VK_DOWN, VK_DOWN}, 1, true, {{kCombo, kDrop}}},
      {"enter chooses the lit entry and closes",
       // clang-format off
       {VK_F4, VK_DOWN, VK_RETURN}, 2, false, {{kCombo, kDrop}, {kCombo, kSel}, {kCombo, kUp}}},
      {"F4 again chooses and closes",
       {VK_F4, VK_END, VK_F4}, 3, false, {{kCombo, kDrop}, {kCombo, kSel}, {kCombo, kUp}}},
      {"alt+up chooses and closes",
       {kAlt + VK_DOWN, VK_HOME, kAlt + VK_UP}, 0, false, {{kCombo, kDrop}, {kCombo, kSel}, {kCombo, kUp}}},
      // clang-format on
      // Escape and Enter in an open list are the list's, not the dialog's Cancel and OK.
      {"escape closes without a change", {VK_F4, VK_DOWN, VK_ESCAPE}, 1, false, {{kCombo, kDrop}, {kCombo, kUp}}},
      {"enter on the same entry closes only", {VK_F4, VK_RETURN}, 1, false, {{kCombo, kDrop}, {kCombo, kUp}}},
      // With the list closed they are the dialog's again.
      {"escape on the closed combo is Cancel", {VK_ESCAPE}, 1, false, {{IDCANCEL, BN_CLICKED}}},
      {"enter on the closed combo is OK", {VK_RETURN}, 1, false, {{IDOK, BN_CLICKED}}},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    Close();
    Open();
    for (int key : c.keys) Key(key);
    EXPECT_EQ(Selection(), c.selection);
    EXPECT_EQ(Dropped(), c.dropped);
    EXPECT_EQ(Notifications(), c.heard);
    char text[64] = {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(c.selection), reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(TextOf(combo), text);
  }
}

TEST_F(ComboInputTest, AClickOpensTheListAndAClickOnAnEntryChoosesIt) {
  SetFocus(GetDlgItem(dialog, kEdit));
  Notifications().clear();
  Press(Click{30, FieldHeight() / 2});
  EXPECT_TRUE(Dropped());
  EXPECT_EQ(GetFocus(), combo);
  EXPECT_EQ(GetCapture(), combo);
  Press(Row(2));
  EXPECT_FALSE(Dropped());
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_EQ(Selection(), 2);
  EXPECT_EQ(TextOf(combo), "Letter");
  EXPECT_EQ(Notifications(), (Heard{{kEdit, EN_KILLFOCUS}, {kCombo, kDrop}, {kCombo, kSel}, {kCombo, kUp}}));

  // A click outside the open list closes it and keeps the choice.
  Notifications().clear();
  Press(Click{30, FieldHeight() / 2});
  Press(Click{-40, 5});
  EXPECT_FALSE(Dropped());
  EXPECT_EQ(Selection(), 2);
  EXPECT_EQ(Notifications(), (Heard{{kCombo, kDrop}, {kCombo, kUp}}));

  // Leaving the combo with Tab closes its list unchanged.
  Notifications().clear();
  Key(VK_F4);
  Key(VK_DOWN);
  Key(VK_TAB);
  EXPECT_FALSE(Dropped());
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kEdit));
  EXPECT_EQ(Selection(), 2);
  EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(ComboInputTest, ADisabledComboDoesNotOpen) {
  EnableWindow(combo, FALSE);
  SendMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, Point(30, 5));
  SendMessageA(combo, WM_KEYDOWN, VK_F4, 0);
  EXPECT_FALSE(Dropped());
  EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(ComboInputTest, TheOpenListIsDrawnOverTheControlsBelow) {
  RECT comboRect, editRect;
  GetWindowRect(combo, &comboRect);
  GetWindowRect(GetDlgItem(dialog, kEdit), &editRect);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  auto closed = platform::ui::ComposeClientPicture(dialog);
  ASSERT_TRUE(closed);
  // A point inside the edit that the list will cover, in client coordinates.
  const int x = editRect.left - origin.x + 30, y = editRect.top - origin.y + 8;
  EXPECT_EQ(closed->At(x, y), GetSysColor(COLOR_WINDOW));

  Key(VK_F4);
  Key(VK_DOWN);  // "Letter" is lit
  auto open = platform::ui::ComposeClientPicture(dialog);
  ASSERT_TRUE(open);
  // The lit row is drawn in the highlight colour where the edit was.
  const Click lit = Row(2);
  const int litX = comboRect.left - origin.x + lit.x, litY = comboRect.top - origin.y + lit.y;
  EXPECT_EQ(open->At(litX + 60, litY), GetSysColor(COLOR_HIGHLIGHT));
  // The list is framed down to the combo box's bottom.
  EXPECT_EQ(open->At(comboRect.left - origin.x, comboRect.bottom - origin.y - 1), GetSysColor(COLOR_WINDOWTEXT));
  const std::string path = std::string(ZEL_BINARY_DIR) + "/combo_open.png";
  EXPECT_TRUE(platform::ui::SaveWindowPicture(dialog, path));

  Key(VK_ESCAPE);
  auto again = platform::ui::ComposeClientPicture(dialog);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->At(x, y), GetSysColor(COLOR_WINDOW));
}

}  // namespace
