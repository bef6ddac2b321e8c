// The dialogs on a real display (a virtual X server of the test's own): the
// window shows what the headless picture shows, and the person's pointer and
// keys, sent through the server, do what they do on the desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <X11/keysym.h>

#include "platform/ui/ctl_paint.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/window_picture.h"
#include "platform/ui/wnd_tree.h"
#include "platform/ui/x11_display.h"
#include "tests/controls/controls_fixture.h"
#include "tests/support/xvfb_server.h"

namespace {

std::vector<int>& Commands() {
  static std::vector<int> commands;
  return commands;
}

std::vector<WPARAM>& Sizes() {
  static std::vector<WPARAM> sizes;
  return sizes;
}

std::vector<POINT>& Moves() {
  static std::vector<POINT> moves;
  return moves;
}

INT_PTR CALLBACK Recording(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) Commands().push_back(LOWORD(wParam));
  if (message == WM_SIZE) Sizes().push_back(wParam);
  if (message == WM_MOVE)
    Moves().push_back(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
  return message == WM_INITDIALOG;
}

INT_PTR CALLBACK Ending(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Recording(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) SetTimer(dialog, 7, 20, nullptr);
  if (message == WM_TIMER) {
    KillTimer(dialog, 7);
    SetWindowTextA(dialog, "Keys ticked");
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

// Waits, at most ten seconds, for a window a person would see on the server: a
// mapped child of the root, named `name`, or with `name` empty one that the
// window manager leaves alone (override-redirect). Its id, 0 for none.
::Window WaitForWindow(const std::string& display, const std::string& name) {
  ::Display* x = XOpenDisplay(display.c_str());
  if (!x) return 0;
  ::Window found = 0;
  for (int tries = 0; tries < 200 && !found; ++tries) {
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) {
      for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(x, children[i], &attributes) || attributes.map_state != IsViewable) continue;
        char* title = nullptr;
        XFetchName(x, children[i], &title);
        const std::string named = title ? title : "";
        if (title) XFree(title);
        if (name.empty() ? attributes.override_redirect && named.empty()
                         : !attributes.override_redirect && named == name) {
          found = children[i];
        }
      }
      if (children) XFree(children);
    }
    if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  XCloseDisplay(x);
  return found;
}

// Whether a window is still shown, after up to three seconds for it to go.
bool StillShown(const std::string& display, ::Window window) {
  ::Display* x = XOpenDisplay(display.c_str());
  if (!x) return false;
  bool shown = true;
  for (int tries = 0; tries < 60 && shown; ++tries) {
    XWindowAttributes attributes{};
    shown = XGetWindowAttributes(x, window, &attributes) && attributes.map_state == IsViewable;
    if (shown) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  XCloseDisplay(x);
  return shown;
}

// The window the display has `window` transient for (its owner), 0 for none.
::Window OwnerOf(const std::string& display, ::Window window) {
  ::Display* x = XOpenDisplay(display.c_str());
  if (!x) return 0;
  ::Window owner = 0;
  XGetTransientForHint(x, window, &owner);
  XCloseDisplay(x);
  return owner;
}

// One server for the process: the display is opened once.
testsupport::XvfbServer* Server(std::string* why) {
  static testsupport::XvfbServer server;
  static bool started = server.Start(why);
  static std::string reason = *why;
  *why = reason;
  return started ? &server : nullptr;
}

class DisplayTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    std::string why;
    server = Server(&why);
    if (!server) GTEST_SKIP() << "no virtual X server: " << why;
    setenv("DISPLAY", server->display().c_str(), 1);
    unsetenv("ZEL_DISPLAY");
    ASSERT_TRUE(platform::ui::x11::DisplayActive());
    Commands().clear();
  }
  void TearDown() override {
    if (IsWindow(dialog)) DestroyWindow(dialog);
    ControlsTest::TearDown();
  }

  void Open(int templateId = 220) {
    if (IsWindow(dialog)) DestroyWindow(dialog);
    dialog = CreateDialogParamA(0, MAKEINTRESOURCEA(templateId), 0, Recording, 0);
    ASSERT_NE(dialog, 0u);
    ShowWindow(dialog, SW_SHOW);
    SendDlgItemMessageA(dialog, 108, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
    SendDlgItemMessageA(dialog, 108, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
    Pump();
    xid = platform::ui::x11::DisplayWindowOf(dialog);
    ASSERT_NE(xid, 0u);
  }
  // Lets the loop read the display and paint, as it does between a person's actions.
  static void Pump(int rounds = 8) {
    for (int i = 0; i < rounds; ++i) {
      platform::ui::PumpMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT);
    }
    platform::ui::PumpMessages();
  }
  // The person acts while the loop runs, as on a desktop: a typing tool maps
  // a key to a character only for as long as it takes to type it.
  void Hands(const std::string& xdotoolArguments) {
    std::atomic<bool> done{false};
    int code = -1;
    std::thread person([&] {
      code = server->Run("xdotool " + xdotoolArguments);
      done = true;
    });
    while (!done) {
      platform::ui::PumpMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    person.join();
    Pump();
    ASSERT_EQ(code, 0) << xdotoolArguments;
  }
  // The centre of a control in the display window's coordinates.
  std::string At(int id) {
    RECT control{}, top{};
    GetWindowRect(GetDlgItem(dialog, id), &control);
    GetWindowRect(dialog, &top);
    return std::to_string((control.left + control.right) / 2 - top.left) + " " +
           std::to_string((control.top + control.bottom) / 2 - top.top);
  }
  void Click(int id) { Hands("mousemove --window " + std::to_string(xid) + " " + At(id) + " click 1"); }
  // A click at a point of the display window.
  void ClickAt(int x, int y) {
    Hands("mousemove --window " + std::to_string(xid) + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  }
  // Where the display has the window, as the server tells it.
  POINT ServerPosition() {
    ::Display* x = XOpenDisplay(server->display().c_str());
    int left = -1, top = -1;
    ::Window child = 0;
    if (x) {
      XTranslateCoordinates(x, xid, DefaultRootWindow(x), 0, 0, &left, &top, &child);
      XCloseDisplay(x);
    }
    return POINT{left, top};
  }
  int FocusId() { return GetFocus() ? GetDlgCtrlID(GetFocus()) : 0; }

  testsupport::XvfbServer* server = nullptr;
  HWND dialog = 0;
  unsigned long xid = 0;
};

TEST_F(DisplayTest, TheWindowShowsWhatTheHeadlessPictureShows) {
  Open();
  SetDlgItemTextA(dialog, 101, "Xvfb");
  CheckDlgButton(dialog, 106, BST_CHECKED);
  CheckDlgButton(dialog, 103, BST_CHECKED);
  SendDlgItemMessageA(dialog, 108, LB_SETCURSEL, 1, 0);
  Pump();
  const std::string file = (std::filesystem::path(root()) / "shot.xwd").string();
  ASSERT_EQ(server->Run("xwd -silent -id " + std::to_string(xid) + " -out '" + file + "'"), 0);
  testsupport::Screenshot shot;
  ASSERT_TRUE(testsupport::ReadXwd(file, &shot));

  // The headless picture has the frame and caption the window manager draws on a desktop.
  auto picture = platform::ui::ComposeWindowPicture(dialog);
  ASSERT_TRUE(picture);
  const int border = (picture->width - shot.width) / 2;
  const int caption = picture->height - shot.height - 2 * border;
  ASSERT_GT(border, 0);
  ASSERT_GT(caption, 0);
  EXPECT_EQ(picture->width, shot.width + 2 * border);
  int different = 0;
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const COLORREF c = picture->At(x + border, y + border + caption);
      const uint32_t rgb = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
      if (rgb != shot.At(x, y)) ++different;
    }
  }
  EXPECT_LT(different, shot.width * shot.height / 200) << "of " << shot.width * shot.height << " pixels";
}

struct KeyCase {
  const char* name;
  int focusBefore;
  const char* keys;  // as xdotool names them
  int focusAfter;
  std::vector<int> commands;
};

TEST_F(DisplayTest, KeysAloneWorkTheDialog) {
  const KeyCase cases[] = {
      {"tab from the edit", 101, "Tab", 102, {}},
      {"shift+tab goes back", 102, "shift+Tab", 101, {}},
      {"tab skips the disabled button", 106, "Tab", 108, {}},
      {"down chooses the next radio", 102, "Down", 103, {103}},
      {"enter in the edit is OK", 101, "Return", 101, {IDOK}},
      {"escape is Cancel", 101, "Escape", 101, {IDCANCEL}},
      {"space toggles the check box", 106, "space", 106, {106}},
      {"alt+N focuses the edit after its label", 108, "alt+n", 101, {}},
      {"alt+B toggles the check box", 101, "alt+b", 106, {106}},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    SetFocus(GetDlgItem(dialog, c.focusBefore));
    Commands().clear();
    Hands(std::string("key ") + c.keys);
    EXPECT_EQ(FocusId(), c.focusAfter);
    EXPECT_EQ(Commands(), c.commands);
  }
}

TEST_F(DisplayTest, ThePointerClicksAndTheKeyboardTypesIntoTheControlUnderIt) {
  Open();
  Click(106);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 106), static_cast<UINT>(BST_CHECKED));
  Click(104);  // a disabled radio button takes no click
  EXPECT_EQ(IsDlgButtonChecked(dialog, 104), static_cast<UINT>(BST_UNCHECKED));
  Click(101);
  EXPECT_EQ(FocusId(), 101);
  ASSERT_TRUE(testsupport::MapCharacters(server->display(), {0x4E21, 0x9762}));  // 両 面
  Hands("type --delay 30 '3 両面'");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 101)), "3 \x97\xbc\x96\xca");  // in code page 932
  Hands("key BackSpace");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 101)), "3 \x97\xbc");
  Click(109);
  EXPECT_EQ(Commands(), (std::vector<int>{106, 109}));
}

TEST_F(DisplayTest, TheWindowManagersCloseAndMinimiseReachTheDialog) {
  Open();
  Sizes().clear();
  // Another client unmapping the window is what a window manager's minimise does.
  Hands("windowunmap " + std::to_string(xid));
  Hands("windowmap " + std::to_string(xid));
  EXPECT_EQ(Sizes(), (std::vector<WPARAM>{1, 0}));  // SIZE_MINIMIZED, then SIZE_RESTORED

  // The title bar's close box: the window manager sends WM_DELETE_WINDOW.
  ::Display* manager = XOpenDisplay(server->display().c_str());
  ASSERT_NE(manager, nullptr);
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = xid;
  close.xclient.message_type = XInternAtom(manager, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(manager, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(manager, xid, False, NoEventMask, &close);
  XCloseDisplay(manager);  // flushes the event
  Pump();
  EXPECT_EQ(Commands(), std::vector<int>{IDCANCEL});  // WM_CLOSE in a dialog is Cancel
}

TEST_F(DisplayTest, AModalDialogWithoutAScriptWaitsForThePersonWhileTimersRun) {
  // The person presses Enter once the dialog's timer has renamed it: the loop
  // that waits for the person runs the timer too.
  // The key goes where the keyboard is, as a person's does: sent to a window
  // by name, it outlives the window it ended and is left held down.
  std::thread person([&] {
    if (server->Run("xdotool search --sync --name '^Keys ticked$' > /dev/null") == 0) server->Run("xdotool key Return");
  });
  const INT_PTR result = DialogBoxParamA(0, MAKEINTRESOURCEA(220), 0, Ending, 0);
  person.join();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Commands(), std::vector<int>{IDOK});
}

TEST_F(DisplayTest, MovesOnTheDesktopAndByTheProgramKeepOnePlace) {
  Open();
  Moves().clear();
  // Moved on the desktop (the window manager, or here a tool doing its work):
  // GetWindowRect follows, and the dialog hears where its client area went.
  Hands("windowmove " + std::to_string(xid) + " 300 200");
  RECT rect{};
  GetWindowRect(dialog, &rect);
  EXPECT_EQ(rect.left, 300);
  EXPECT_EQ(rect.top, 200);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  ASSERT_FALSE(Moves().empty());
  EXPECT_EQ(Moves().back().x, origin.x);
  EXPECT_EQ(Moves().back().y, origin.y);
  // A click lands on the control under the pointer at the new place.
  Click(106);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 106), static_cast<UINT>(BST_CHECKED));

  // Moved by the program: the display window goes there too.
  SetWindowPos(dialog, 0, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Pump();
  const POINT there = ServerPosition();
  EXPECT_EQ(there.x, 120);
  EXPECT_EQ(there.y, 90);
  GetWindowRect(dialog, &rect);
  EXPECT_EQ(rect.left, 120);
  EXPECT_EQ(rect.top, 90);
}

TEST_F(DisplayTest, AComboBoxOpensAndChoosesByThePointer) {
  Open(222);
  HWND combo = GetDlgItem(dialog, 101);
  for (const char* size : {"A4", "A5", "Letter", "Legal"}) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
  }
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  Pump();
  RECT field{}, top{};
  GetWindowRect(combo, &field);
  GetWindowRect(dialog, &top);
  const int left = field.left - top.left, upper = field.top - top.top;
  const int fieldHeight = platform::ui::ComboFieldHeight(combo);
  ClickAt(left + 30, upper + fieldHeight / 2);
  ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the list did not open";
  // The open list is seen on the display under the field; its third row is "Letter".
  HDC hdc = GetDC(combo);
  HGDIOBJ previous = SelectObject(hdc, platform::ui::paint::ControlFont(combo));
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  SelectObject(hdc, previous);
  ReleaseDC(combo, hdc);
  const int row = metrics.tmHeight;
  ClickAt(left + 20, upper + fieldHeight + 1 + 2 * row + row / 2);
  EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(TextOf(combo), "Letter");
}

struct BoxCase {
  const char* name;
  UINT type;
  const char* keys;  // as xdotool names them
  int answer;
};

TEST_F(DisplayTest, AMessageBoxIsAWindowOfItsOwnThatThePersonAnswers) {
  Open();
  platform::SetMessageBoxHandler(nullptr);  // nobody answers for the person
  const BoxCase cases[] = {
      {"enter presses the default button", MB_YESNO | MB_DEFBUTTON2, "Return", IDNO},
      {"tab moves to the next button", MB_YESNO, "Tab Return", IDNO},
      {"escape is cancel", MB_YESNOCANCEL | MB_ICONQUESTION, "Escape", IDCANCEL},
      {"escape in a box with OK alone is OK", MB_OK, "Escape", IDOK},
      {"alt and a button's letter", MB_YESNO, "alt+n", IDNO},
      {"escape does nothing without cancel", MB_YESNO, "Escape Return", IDYES},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    ::Window box = 0, owner = 0;
    std::thread person([&] {
      box = WaitForWindow(server->display(), "Question");
      if (!box) return;
      owner = OwnerOf(server->display(), box);
      server->Run(std::string("xdotool key --delay 60 ") + c.keys);
      // A box the keys did not answer must not hold the test up.
      if (StillShown(server->display(), box)) server->Run("xdotool key alt+y Return");
    });
    const int answer =
        MessageBoxA(dialog, "Print on both sides of the paper?\nThe job has 12 pages.", "Question", c.type);
    person.join();
    ASSERT_NE(box, 0u) << "no message box window came up";
    EXPECT_EQ(owner, xid);  // in front of the dialog it belongs to
    EXPECT_EQ(answer, c.answer);
    EXPECT_TRUE(IsWindowEnabled(dialog));
  }

  // The pointer presses a button too: Yes and No side by side in the middle of
  // the bottom edge, 84 pixels wide, 8 apart, 14 from the edge and 26 high.
  std::thread person([&] {
    const ::Window box = WaitForWindow(server->display(), "Question");
    if (!box) return;
    ::Display* x = XOpenDisplay(server->display().c_str());
    XWindowAttributes size{};
    XGetWindowAttributes(x, box, &size);
    XCloseDisplay(x);
    const int no = (size.width - (2 * 84 + 8)) / 2 + 84 + 8 + 42;
    server->Run("xdotool mousemove --window " + std::to_string(box) + " " + std::to_string(no) + " " +
                std::to_string(size.height - 14 - 13) + " click 1");
  });
  EXPECT_EQ(MessageBoxA(dialog, "Delete the profile?", "Question", MB_YESNO), IDNO);
  person.join();
}

TEST_F(DisplayTest, APopupMenuIsAnUndecoratedWindowPickedByPointerOrKeys) {
  Open();
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 10, "&Open");
  AppendMenuA(menu, MF_STRING, 11, "&Print...\tCtrl+P");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 12, "&Grayed");
  AppendMenuA(menu, MF_STRING, 13, "&Close");
  constexpr int kX = 400, kY = 300;
  // The middle of a row: rows of 22 pixels under a 4-pixel edge, the separator 9.
  auto row = [&](int index) {
    const int y = kY + 4 + index * 22 + (index > 2 ? 9 - 22 : 0) + 11;
    return std::to_string(kX + 40) + " " + std::to_string(y);
  };
  struct MenuCase {
    const char* name;
    std::string hands;  // xdotool arguments
    UINT picked;
  };
  const MenuCase cases[] = {
      {"a click picks the item", "mousemove " + row(1) + " sleep 0.2 click 1", 11},
      {"a grayed item takes no click", "mousemove " + row(3) + " click 1 sleep 0.3 key Escape", 0},
      {"down twice and enter", "key --delay 60 Down Down Return", 11},
      {"up from the top goes round to the last", "key --delay 60 Up Return", 13},
      {"down passes the separator", "key --delay 60 Down Down Down Down Return", 13},
      {"the mnemonic letter", "key c", 13},
      {"a press outside closes it", "mousemove --window " + std::to_string(xid) + " " + At(IDOK) + " click 1", 0},
  };
  for (const MenuCase& c : cases) {
    SCOPED_TRACE(c.name);
    Commands().clear();
    ::Window shown = 0;
    std::thread person([&] {
      shown = WaitForWindow(server->display(), "");
      if (shown) server->Run("xdotool " + c.hands);
      // A menu the hands did not close must not hold the test up.
      if (shown && StillShown(server->display(), shown)) server->Run("xdotool key Escape");
    });
    const UINT picked = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, kX, kY, 0, dialog, nullptr));
    person.join();
    ASSERT_NE(shown, 0u) << "no menu window came up";
    EXPECT_EQ(picked, c.picked);
    Pump(2);
    EXPECT_EQ(Commands(), std::vector<int>{});  // the press that closed the menu is not a click on the dialog
  }
  DestroyMenu(menu);
}

// Without an input method server, Japanese reaches a program as key symbols:
// the kana keys of a Japanese keyboard and characters a typing tool maps to
// keys. Both arrive as code page 932 WM_CHARs: half-width katakana as one
// byte, other characters as their lead and trail bytes.
TEST_F(DisplayTest, JapaneseKeysArriveAsCodePage932Characters) {
  Open();
  Click(101);
  ASSERT_EQ(FocusId(), 101);
  ASSERT_TRUE(testsupport::MapKeySymbols(server->display(), {XK_kana_A, XK_kana_KA, XK_voicedsound}));
  Hands("key --delay 40 kana_A kana_KA voicedsound");
  ASSERT_TRUE(testsupport::MapCharacters(server->display(), {0x5370, 0x5237}));  // 印 刷
  Hands("type --delay 40 '印刷'");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 101)), "\xb1\xb6\xde\x88\xf3\x8d\xfc");
}

}  // namespace
