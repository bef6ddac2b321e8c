#include "controls/owner_draw_list.h"

#include "tests/controls/controls_fixture.h"

using controls::CMyDialog;
using controls::DP_COwnerDrawIconListBoxItem;
using controls::DP_COwnerDrawListBox;
using controls::DP_COwnerDrawListBoxItem;

namespace {

struct Log {
  int draws = 0;
  int deletions = 0;
  BOOL selected = FALSE;
  BOOL focused = FALSE;
  std::vector<POINT> clicks;
};

class RecordingItem : public DP_COwnerDrawListBoxItem {
 public:
  RecordingItem(Log* log, int height, int answer) : log_(log), height_(height), answer_(answer) {}
  ~RecordingItem() override { ++log_->deletions; }
  void Draw(CDC* dc, const CRect& rect, BOOL selected, BOOL focused) override {
    ++log_->draws;
    log_->selected = selected;
    log_->focused = focused;
    DP_COwnerDrawListBoxItem::Draw(dc, rect, selected, focused);
  }
  int GetHeight() override { return height_; }
  int OnMouse(UINT, int x, int y) override {
    log_->clicks.push_back(POINT{x, y});
    return answer_;
  }

 private:
  Log* log_;
  int height_;
  int answer_;
};

class ListHost : public CMyDialog {
 public:
  ListHost() : CMyDialog(205, nullptr) {}
  BOOL OnInitDialog() override {
    CMyDialog::OnInitDialog();
    list.SubclassDlgItem(1028, this);
    return TRUE;
  }
  DP_COwnerDrawListBox list;
};

using OwnerDrawListTest = ControlsTest;

TEST_F(OwnerDrawListTest, DrawStateMapsSelectionAndFocus) {
  struct Case {
    UINT state;
    BOOL selected;
    BOOL focused;
  };
  // Focus without selection still draws in the selected colours.
  const Case cases[] = {{0, FALSE, FALSE},
                        {ODS_SELECTED, TRUE, FALSE},
                        {ODS_FOCUS, TRUE, TRUE},
                        {ODS_SELECTED | ODS_FOCUS, TRUE, TRUE},
                        {ODS_DISABLED, FALSE, FALSE}};
  auto surface = std::make_shared<platform::gdi::PixelSurface>(100, 40, 32);
  HDC hdc = platform::gdi::CreateSurfaceDC(surface, 0);
  for (const Case& c : cases) {
    Log log;
    RecordingItem item(&log, 20, 0);
    DP_COwnerDrawListBox list;
    DRAWITEMSTRUCT draw{};
    draw.itemState = c.state;
    draw.hDC = hdc;
    draw.rcItem = RECT{0, 0, 100, 40};
    draw.itemData = reinterpret_cast<ULONG_PTR>(&item);
    list.DrawItem(&draw);
    EXPECT_EQ(log.selected, c.selected) << c.state;
    EXPECT_EQ(log.focused, c.focused) << c.state;
    EXPECT_EQ(surface->At(50, 20), GetSysColor(c.selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE)) << c.state;
    // The focus rectangle runs 2 pixels inside the entry.
    EXPECT_EQ(surface->At(2, 2) != surface->At(50, 20), static_cast<bool>(c.focused)) << c.state;
  }
  // An entry without an item draws nothing; it measures 75.
  DP_COwnerDrawListBox list;
  DRAWITEMSTRUCT empty{};
  empty.hDC = hdc;
  list.DrawItem(&empty);
  MEASUREITEMSTRUCT measure{};
  list.MeasureItem(&measure);
  EXPECT_EQ(measure.itemHeight, 75u);
  DeleteDC(hdc);
}

TEST_F(OwnerDrawListTest, IconEntryHeightFollowsTheScreen) {
  DP_COwnerDrawIconListBoxItem item(300, "Paper");
  EXPECT_EQ(item.GetHeight(), 75);
  platform::gdi::SetDisplayDpi(144, 144);
  EXPECT_EQ(item.GetHeight(), 113);
}

TEST_F(OwnerDrawListTest, ListMeasuresDrawsAndDeletesItsItems) {
  Log log;
  {
    ListHost host;
    ASSERT_TRUE(host.Create(205, nullptr));
    ASSERT_TRUE(host.list.AddItem(new RecordingItem(&log, 30, 0), 7));
    ASSERT_TRUE(host.list.InsertItem(0, new RecordingItem(&log, 40, 1), 8));
    EXPECT_EQ(host.list.GetCount(), 2);
    EXPECT_EQ(host.list.GetItem(0)->m_value, 8u);
    EXPECT_EQ(host.list.GetItem(1)->m_listBox, &host.list);
    EXPECT_EQ(host.list.SendMessage(LB_GETITEMHEIGHT, 0), 40);
    EXPECT_EQ(host.list.SendMessage(LB_GETITEMHEIGHT, 1), 30);
    host.ShowWindow(SW_SHOW);
    platform::ui::PaintInvalidWindows(host.m_hWnd);
    EXPECT_EQ(log.draws, 2);

    // A click inside the second entry reaches it in entry coordinates; its 0
    // answer repaints nothing.
    host.list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(12, 45));
    ASSERT_EQ(log.clicks.size(), 1u);
    EXPECT_EQ(log.clicks[0].x, 12);
    EXPECT_EQ(log.clicks[0].y, 5);
    const int before = log.draws;
    // The selection moved, which repaints the list once; the item's own answer
    // adds nothing.
    platform::ui::PaintInvalidWindows(host.m_hWnd);
    const int afterSelection = log.draws;
    EXPECT_GT(afterSelection, before);
    host.list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(12, 46));
    platform::ui::PaintInvalidWindows(host.m_hWnd);
    EXPECT_EQ(log.draws, afterSelection);
    // The first entry answers 1: it is repainted.
    host.list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(3, 3));
    platform::ui::PaintInvalidWindows(host.m_hWnd);
    EXPECT_GT(log.draws, afterSelection);
    // Below the last entry nothing is hit.
    const size_t clicks = log.clicks.size();
    host.list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(3, 200));
    EXPECT_EQ(log.clicks.size(), clicks);

    host.list.SendMessage(LB_DELETESTRING, 0);
    EXPECT_EQ(log.deletions, 1);
    host.DestroyWindow();
  }
  EXPECT_EQ(log.deletions, 2);
}

TEST_F(OwnerDrawListTest, IconEntryDrawsIconCaptionAndSeparator) {
  auto surface = std::make_shared<platform::gdi::PixelSurface>(120, 75, 32);
  HDC hdc = platform::gdi::CreateSurfaceDC(surface, 0);
  DP_COwnerDrawIconListBoxItem item(300, "Paper");
  item.Draw(CDC::FromHandle(hdc), CRect(0, 0, 120, 75), FALSE, FALSE);
  // The icon (red) centred at the top, 3 pixels down.
  EXPECT_EQ(surface->At(60 - 16, 3), RGB(200, 30, 30));
  EXPECT_EQ(surface->At(60 - 17, 3), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(surface->At(60, 2), GetSysColor(COLOR_BTNFACE));
  // Caption text below the icon, the black band at the bottom.
  bool ink = false;
  for (int y = 32 + 3; y < 72; ++y)
    for (int x = 0; x < 120; ++x) ink = ink || surface->At(x, y) == 0;
  EXPECT_TRUE(ink);
  EXPECT_EQ(surface->At(10, 74), 0u);
  EXPECT_EQ(surface->At(10, 73), 0u);
  EXPECT_EQ(surface->At(10, 72), GetSysColor(COLOR_BTNFACE));
  DeleteDC(hdc);
}

}  // namespace
