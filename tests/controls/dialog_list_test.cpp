#include "controls/dialog_list.h"

#include "tests/controls/controls_fixture.h"

using controls::CMyDialog;
using controls::DP_CDialogListBox;
using controls::DP_CDialogListBoxItem;

namespace {

class ListOwner : public CMyDialog {
 public:
  ListOwner() : CMyDialog(205, nullptr) {}
  void OnListClicked() { ++clicks; }
  int clicks = 0;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ListOwner, CMyDialog)
ON_COMMAND(62, OnListClicked)
END_MESSAGE_MAP()

using DialogListTest = ControlsTest;

TEST_F(DialogListTest, EntriesStackScrollAndSelect) {
  ListOwner owner;
  ASSERT_TRUE(owner.Create(205, nullptr));
  owner.ShowWindow(SW_SHOW);
  DP_CDialogListBox list;
  ASSERT_TRUE(list.CreateInPlace(62, &owner));  // 40 by 20 over the placeholder
  CRect placeholder, mine;
  ::GetWindowRect(::GetDlgItem(owner.m_hWnd, 62), &placeholder);
  list.GetWindowRect(&mine);
  EXPECT_EQ(mine.Height(), placeholder.Height());
  EXPECT_TRUE(list.GetStyle() & WS_VSCROLL);

  for (int i = 0; i < 3; ++i) {
    auto* item = new DP_CDialogListBoxItem(204);  // 100 high
    item->m_autoDelete = TRUE;
    ASSERT_TRUE(list.AddItem(item));
  }
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetItem(1)->m_rect.top, 100);
  EXPECT_EQ(list.GetItem(2)->m_rect.top, 200);
  int low = -1, high = -1;
  ::GetScrollRange(list.m_hWnd, SB_VERT, &low, &high);
  EXPECT_EQ(high, 300 - placeholder.Height());
  EXPECT_TRUE(list.GetItem(0)->m_selected);

  // Scrolling: lines of 5, pages of 15, never beyond the range.
  struct Step {
    UINT code;
    UINT thumb;
    int position;
  };
  for (const Step& s :
       {Step{SB_LINEDOWN, 0, 5}, Step{SB_PAGEDOWN, 0, 20}, Step{SB_LINEUP, 0, 15}, Step{SB_THUMBTRACK, 100000, high},
        Step{SB_PAGEUP, 0, high - 15}, Step{SB_THUMBPOSITION, 0, 0}, Step{SB_LINEUP, 0, 0}, Step{99, 0, 0}}) {
    list.SendMessage(WM_VSCROLL, MAKEWPARAM(s.code, s.thumb), 0);
    EXPECT_EQ(list.m_scrollPosition, s.position) << s.code;
    EXPECT_EQ(::GetScrollPos(list.m_hWnd, SB_VERT), s.position) << s.code;
  }

  // A click selects the entry and tells the list's parent.
  list.GetItem(2)->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(3, 3));
  EXPECT_EQ(list.GetSelectedItem(), list.GetItem(2));
  EXPECT_FALSE(list.GetItem(0)->m_selected);
  EXPECT_EQ(owner.clicks, 1);
  auto surface = platform::ui::WindowSurface(list.GetItem(2)->m_hWnd);
  EXPECT_EQ(surface->At(150, 50), GetSysColor(COLOR_HIGHLIGHT));
  // Its label paints on the highlight too, in the highlight text colour; an
  // entry that is not selected keeps the default colours.
  platform::ui::PaintInvalidWindows(list.m_hWnd);
  auto label = platform::ui::WindowSurface(::GetDlgItem(list.GetItem(2)->m_hWnd, 50));
  EXPECT_EQ(label->At(label->width - 1, label->height - 1), GetSysColor(COLOR_HIGHLIGHT));
  bool highlightText = false;
  for (int y = 0; y < label->height; ++y)
    for (int x = 0; x < label->width; ++x)
      highlightText = highlightText || label->At(x, y) == GetSysColor(COLOR_HIGHLIGHTTEXT);
  EXPECT_TRUE(highlightText);
  auto other = platform::ui::WindowSurface(::GetDlgItem(list.GetItem(0)->m_hWnd, 50));
  EXPECT_EQ(other->At(other->width - 1, other->height - 1), GetSysColor(COLOR_BTNFACE));

  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0);
  owner.DestroyWindow();
}

TEST_F(DialogListTest, EntriesAddedWhileScrolledStackUnderTheLastOne) {
  ListOwner owner;
  ASSERT_TRUE(owner.Create(205, nullptr));
  DP_CDialogListBox list;
  ASSERT_TRUE(list.CreateInPlace(62, &owner));
  auto add = [&list] {
    auto* item = new DP_CDialogListBoxItem(204);  // 100 high
    item->m_autoDelete = TRUE;
    return list.AddItem(item);
  };
  auto top = [](CWnd* window) {
    CRect r;
    window->GetWindowRect(&r);
    return r.top;
  };
  ASSERT_TRUE(add());
  ASSERT_TRUE(add());
  list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
  ASSERT_EQ(list.m_scrollPosition, 15);
  ASSERT_TRUE(add());
  EXPECT_EQ(top(list.GetItem(2)), top(list.GetItem(1)) + 100);
  EXPECT_EQ(list.GetItem(2)->m_rect.top, 200);

  // Emptied while scrolled, the list starts again at its top.
  list.RemoveAll();
  EXPECT_EQ(list.m_scrollPosition, 0);
  EXPECT_EQ(::GetScrollPos(list.m_hWnd, SB_VERT), 0);
  ASSERT_TRUE(add());
  CRect client;
  list.GetClientRect(&client);
  list.ClientToScreen(&client);
  EXPECT_EQ(top(list.GetItem(0)), client.top);
  list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
  EXPECT_EQ(top(list.GetItem(0)), client.top);
  owner.DestroyWindow();
}

}  // namespace
