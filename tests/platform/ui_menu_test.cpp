// Menus: loaded from the program's resource, their items' states, the system
// menu, and a pop-up menu tracked with the menu chooser playing the user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/ui/menu.h"

namespace {

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bar = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(900));
    ASSERT_NE(bar, 0u);
    file = GetSubMenu(bar, 0);
    ASSERT_NE(file, 0u);
    window = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
  }
  void TearDown() override {
    platform::SetMenuChooser(nullptr);
    if (IsWindow(window)) DestroyWindow(window);
    DestroyMenu(bar);
    MSG msg{};
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
    }
  }
  static std::string Text(HMENU menu, UINT item, UINT flags) {
    char buffer[64] = {};
    GetMenuStringA(menu, item, buffer, sizeof buffer, flags);
    return buffer;
  }
  HMENU bar = 0, file = 0;
  HWND window = 0;
};

TEST_F(MenuTest, AResourceGivesItsItemsTextsAndStates) {
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(GetMenuItemCount(file), 4);
  EXPECT_EQ(GetMenuItemID(file, 0), 101u);
  EXPECT_EQ(GetMenuItemID(file, 3), 0xFFFFFFFFu);  // a pop-up
  EXPECT_EQ(GetMenuItemID(bar, 1), 200u);
  EXPECT_EQ(Text(file, 101, MF_BYCOMMAND), "&Open...\tCtrl+O");
  EXPECT_EQ(Text(bar, 111, MF_BYCOMMAND), "Office \"A\"");  // found in a pop-up of a pop-up
  EXPECT_EQ(platform::Utf8FromAnsi(Text(bar, 1, MF_BYPOSITION)), "ヘルプ(&H)");
  struct Case {
    UINT item;
    UINT flags;
    UINT state;
  };
  for (const Case& c : {Case{101, MF_BYCOMMAND, MF_ENABLED}, Case{102, MF_BYCOMMAND, MF_GRAYED},
                        Case{2, MF_BYPOSITION, MF_SEPARATOR}, Case{111, MF_BYCOMMAND, MF_CHECKED},
                        Case{3, MF_BYPOSITION, (1u << 8) | MF_POPUP}, Case{999, MF_BYCOMMAND, 0xFFFFFFFFu}}) {
    EXPECT_EQ(GetMenuState(file, c.item, c.flags), c.state) << c.item;
  }
  EXPECT_EQ(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(901)), 0u);
}

TEST_F(MenuTest, ItemStatesChangeAndAnswerTheirPreviousState) {
  EXPECT_EQ(CheckMenuItem(file, 101, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(file, 101, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(EnableMenuItem(file, 102, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(file, 0, MF_BYPOSITION | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(GetMenuState(file, 101, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(CheckMenuItem(file, 999, MF_BYCOMMAND), 0xFFFFFFFFu);
  EXPECT_EQ(EnableMenuItem(file, 999, MF_BYCOMMAND), -1);

  // Built in code: inserted before a command, removed, deleted with its pop-up.
  ASSERT_TRUE(InsertMenuA(file, 101, MF_BYCOMMAND | MF_STRING, 100, "&New"));
  EXPECT_EQ(GetMenuItemID(file, 0), 100u);
  ASSERT_TRUE(InsertMenuA(file, 0xFFFFFFFFu, MF_BYPOSITION | MF_STRING, 190, "E&xit"));
  EXPECT_EQ(GetMenuItemID(file, GetMenuItemCount(file) - 1), 190u);
  EXPECT_FALSE(InsertMenuA(file, 555, MF_BYCOMMAND | MF_STRING, 1, "x"));
  HMENU recent = GetSubMenu(file, 4);
  ASSERT_NE(recent, 0u);
  ASSERT_TRUE(RemoveMenu(file, 4, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(recent), 1);  // still the caller's
  ASSERT_TRUE(AppendMenuA(file, MF_POPUP, recent, "&Recent"));
  ASSERT_TRUE(DeleteMenu(file, GetMenuItemCount(file) - 1, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(recent), -1);  // destroyed with it
  EXPECT_FALSE(AppendMenuA(file, MF_POPUP, recent, "gone"));
}

TEST_F(MenuTest, WindowsKeepTheirMenuAndASystemMenu) {
  EXPECT_EQ(GetMenu(window), 0u);
  ASSERT_TRUE(SetMenu(window, bar));
  EXPECT_EQ(GetMenu(window), bar);
  EXPECT_TRUE(DrawMenuBar(window));
  HMENU system = GetSystemMenu(window, FALSE);
  ASSERT_NE(system, 0u);
  EXPECT_EQ(GetSystemMenu(window, FALSE), system);
  std::vector<UINT> ids;
  for (int i = 0; i < GetMenuItemCount(system); ++i) ids.push_back(GetMenuItemID(system, i));
  EXPECT_EQ(ids, (std::vector<UINT>{SC_RESTORE, SC_MOVE, SC_MINIMIZE, 0, SC_CLOSE}));
  // A changed copy goes back to the default with bRevert.
  DeleteMenu(system, SC_CLOSE, MF_BYCOMMAND);
  EXPECT_EQ(GetSystemMenu(window, TRUE), 0u);
  HMENU fresh = GetSystemMenu(window, FALSE);
  EXPECT_NE(GetMenuState(fresh, SC_CLOSE, MF_BYCOMMAND), 0xFFFFFFFFu);
  EXPECT_FALSE(SetMenu(window, 0x12345));
  ASSERT_TRUE(SetMenu(window, 0));
  EXPECT_EQ(GetMenu(window), 0u);
}

TEST_F(MenuTest, TrackPopupMenuAnswersWhatTheChooserPicked) {
  struct Case {
    const char* pick;  // by text, or nullptr for nothing
    UINT byId;
    UINT flags;
    BOOL answer;
    UINT posted;  // WM_COMMAND id posted to the owner, 0 for none
  };
  const Case cases[] = {
      {"Open...", 0, TPM_RETURNCMD, 101, 0},
      {nullptr, 101, 0, TRUE, 101},
      {"Office \"A\"", 0, TPM_RETURNCMD, 111, 0},
      {"Save", 0, TPM_RETURNCMD, 0, 0},  // grayed: nothing to click
      {nullptr, 102, 0, FALSE, 0},       // grayed, by id
      {nullptr, 555, TPM_RETURNCMD, 0, 0},
      {nullptr, 0, TPM_RETURNCMD, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pick ? c.pick : std::to_string(c.byId));
    HMENU seenMenu = 0;
    platform::SetMenuChooser([&](const platform::MenuRequest& request) -> UINT {
      seenMenu = request.menu;
      EXPECT_EQ(request.owner, window);
      return c.pick ? platform::ui::FindMenuCommand(request.menu, c.pick) : c.byId;
    });
    EXPECT_EQ(TrackPopupMenu(file, c.flags, 10, 10, 0, window, nullptr), c.answer);
    EXPECT_EQ(seenMenu, file);
    MSG msg{};
    const bool posted = PeekMessageA(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE);
    EXPECT_EQ(posted ? LOWORD(msg.wParam) : 0u, c.posted);
  }
  platform::SetMenuChooser(nullptr);
  EXPECT_EQ(TrackPopupMenuEx(file, TPM_RETURNCMD, 0, 0, window, nullptr), 0);
}

}  // namespace
