#include "controls/tab_dialog.h"

#include "platform/ui/ui_script.h"

#include "tests/controls/controls_fixture.h"

using controls::DP_ListBoxTabDialog;
using controls::DP_ListBoxTabDialogItem;

namespace {

struct PageLog {
  int initialisations = 0;
  int deletions = 0;
  int updates = 0;
};

class TestPage : public DP_ListBoxTabDialogItem {
 public:
  TestPage(UINT templateId, const std::string& title, PageLog* log, bool largeIcon = true)
      : DP_ListBoxTabDialogItem(templateId), title_(title), log_(log), largeIcon_(largeIcon) {}
  ~TestPage() override { ++log_->deletions; }
  void DescribeTab() override {
    if (largeIcon_) SetTabInfo(300, title_);
  }
  void UpdateControls() override { ++log_->updates; }
  BOOL OnInitDialog() override {
    ++log_->initialisations;
    return DP_ListBoxTabDialogItem::OnInitDialog();
  }

 private:
  std::string title_;
  PageLog* log_;
  bool largeIcon_;
};

class HelpDialog : public DP_ListBoxTabDialog {
 public:
  HelpDialog() : DP_ListBoxTabDialog(113, nullptr) {}
  void OnHelp() { ++helpPresses; }
  int helpPresses = 0;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HelpDialog, DP_ListBoxTabDialog)
ON_BN_CLICKED(9, OnHelp)
END_MESSAGE_MAP()

class TabDialogTest : public ControlsTest {
 protected:
  // Clicks the page list's entry `index` as the user would.
  static void ClickEntry(DP_ListBoxTabDialog& dialog, int index) {
    CRect r;
    dialog.m_pageList.GetItemRect(index, &r);
    dialog.m_pageList.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 5, r.top + 5));
  }
};

TEST_F(TabDialogTest, OnlyTheSelectedPageHasAWindow) {
  PageLog a, b;
  auto* paper = new TestPage(202, "Paper", &a);
  auto* quality = new TestPage(203, "Quality", &b);
  DP_ListBoxTabDialog dialog(112, nullptr);
  dialog.AddPage(paper, TRUE);
  dialog.AddPage(quality, TRUE);
  ASSERT_TRUE(dialog.Create(112, nullptr));
  EXPECT_EQ(dialog.m_pageList.GetCount(), 2);
  EXPECT_EQ(dialog.GetCurrentPage(), paper);
  EXPECT_NE(paper->m_hWnd, 0u);
  EXPECT_EQ(quality->m_hWnd, 0u);
  EXPECT_EQ(TextOf(::GetDlgItem(dialog.m_hWnd, 1024)), "Paper");
  // The page fills the frame less 4 pixels on every side.
  CRect frame, page;
  ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, 1001), &frame);
  paper->GetWindowRect(&page);
  EXPECT_EQ(page.left, frame.left + 4);
  EXPECT_EQ(page.bottom, frame.bottom - 4);
  // Entries are as high as their icon entry asks (75 at 96 dpi).
  EXPECT_EQ(dialog.m_pageList.SendMessage(LB_GETITEMHEIGHT, 0), 75);

  ClickEntry(dialog, 1);
  EXPECT_EQ(dialog.GetCurrentPage(), quality);
  EXPECT_EQ(paper->m_hWnd, 0u);
  EXPECT_NE(quality->m_hWnd, 0u);
  EXPECT_EQ(TextOf(::GetDlgItem(dialog.m_hWnd, 1024)), "Quality");
  EXPECT_EQ(b.initialisations, 1);
  // The current page again: nothing is made anew.
  ClickEntry(dialog, 1);
  EXPECT_TRUE(dialog.SelectPage(quality));
  EXPECT_EQ(b.initialisations, 1);
  ClickEntry(dialog, 0);
  EXPECT_EQ(a.initialisations, 2);
  EXPECT_EQ(quality->m_hWnd, 0u);

  dialog.DestroyWindow();
  EXPECT_EQ(a.deletions, 1);
  EXPECT_EQ(b.deletions, 1);
}

TEST_F(TabDialogTest, AutoDeleteFlagsLateAndUnlistedPages) {
  PageLog kept, deleted, late, unlisted;
  auto* keptPage = new TestPage(202, "Kept", &kept);
  {
    DP_ListBoxTabDialog dialog(112, nullptr);
    dialog.AddPage(keptPage, FALSE);
    dialog.AddPage(new TestPage(203, "Gone", &deleted), TRUE);
    // A page without a large icon is not listed; no box is shown for it, and the
    // dialog still deletes it.
    dialog.AddPage(new TestPage(204, "Hidden", &unlisted, false), TRUE);
    ASSERT_TRUE(dialog.Create(112, nullptr));
    EXPECT_EQ(dialog.m_pageList.GetCount(), 2);
    EXPECT_TRUE(boxes.empty());
    // Added after the dialog opened: listed at once, at the end.
    dialog.AddPage(new TestPage(204, "Late", &late), TRUE);
    EXPECT_EQ(dialog.m_pageList.GetCount(), 3);
    EXPECT_EQ(static_cast<TestPage*>(dialog.m_pageList.GetItem(2)->m_userPointer)->GetTemplateId(), 204u);
    dialog.DestroyWindow();
  }
  EXPECT_EQ(kept.deletions, 0);
  EXPECT_EQ(deleted.deletions, 1);
  EXPECT_EQ(late.deletions, 1);
  EXPECT_EQ(unlisted.deletions, 1);
  EXPECT_EQ(keptPage->m_hWnd, 0u);
  delete keptPage;
}

TEST_F(TabDialogTest, ADialogWithoutPagesOpensEmpty) {
  DP_ListBoxTabDialog dialog(112, nullptr);
  ASSERT_TRUE(dialog.Create(112, nullptr));
  EXPECT_EQ(dialog.GetCurrentPage(), nullptr);
  EXPECT_EQ(dialog.m_pageList.GetCount(), 0);
  dialog.DestroyWindow();
}

TEST_F(TabDialogTest, EnterInsideAPageClosesTheDialog) {
  PageLog log;
  DP_ListBoxTabDialog dialog(112, nullptr);
  dialog.AddPage(new TestPage(202, "Paper", &log), TRUE);
  platform::SetDialogHandler([&](const platform::DialogRequest&) {
    dialog.GetCurrentPage()->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(log.deletions, 1);
}

TEST_F(TabDialogTest, MnemonicsCrossBetweenFrameAndPage) {
  PageLog log;
  HelpDialog dialog;
  auto* page = new TestPage(202, "Paper", &log);
  dialog.AddPage(page, TRUE);
  ASSERT_TRUE(dialog.Create(113, nullptr));
  // Alt+C in the frame: the label "&Copies" hands the focus to the edit after it.
  dialog.SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 'c');
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(page->m_hWnd, 31));
  // Alt+D presses the page's check box.
  dialog.SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 'D');
  platform::ui::PumpMessages();
  EXPECT_EQ(::IsDlgButtonChecked(page->m_hWnd, 32), static_cast<UINT>(BST_CHECKED));
  // Alt+H while the page has the focus presses the frame's help button.
  page->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 'h');
  platform::ui::PumpMessages();
  EXPECT_EQ(dialog.helpPresses, 1);
  // A key nobody carries goes to the default handling.
  page->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 'z');
  platform::ui::PumpMessages();
  EXPECT_EQ(dialog.helpPresses, 1);
  // The frame's default button is pressed by a command to the frame: OK ends it.
  dialog.ShowWindow(SW_SHOW);
  page->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 'o');
  platform::ui::PumpMessages();
  EXPECT_FALSE(dialog.IsWindowVisible());
  dialog.DestroyWindow();
}

TEST_F(TabDialogTest, TabFromTheFrameEntersThePage) {
  PageLog log;
  DP_ListBoxTabDialog dialog(112, nullptr);
  auto* page = new TestPage(202, "Paper", &log);
  dialog.AddPage(page, TRUE);
  ASSERT_TRUE(dialog.Create(112, nullptr));
  // The page put the focus on its relay at start, which passed it on to the frame.
  ::SetFocus(::GetDlgItem(dialog.m_hWnd, IDCANCEL));
  dialog.SendMessage(WM_NEXTDLGCTL, 0, 0);  // Tab: the frame's relay comes next
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(page->m_hWnd, 31));
  dialog.DestroyWindow();
}

TEST_F(TabDialogTest, FrameIsDrawnAroundThePageArea) {
  DP_ListBoxTabDialog dialog(112, nullptr);
  ASSERT_TRUE(dialog.Create(112, nullptr));
  dialog.ShowWindow(SW_SHOW);
  dialog.Invalidate();
  dialog.UpdateWindow();
  CRect r;
  ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, 1001), &r);
  dialog.ScreenToClient(&r);
  auto surface = platform::ui::WindowSurface(dialog.m_hWnd);
  EXPECT_EQ(surface->At(r.left + 10, r.top), 0u);
  EXPECT_EQ(surface->At(r.left, r.top + 10), 0u);
  EXPECT_EQ(surface->At(r.left + 10, r.top + 1), 0xFFFFFFu);
  EXPECT_EQ(surface->At(r.left + 2, r.top + 10), 0xFFFFFFu);
  EXPECT_EQ(surface->At(r.left + 10, r.bottom - 1), 0x808080u);
  EXPECT_EQ(surface->At(r.right - 2, r.top + 10), 0x808080u);
  dialog.DestroyWindow();
}

}  // namespace

namespace {

// The scripted user finds the pages by their titles in the owner-drawn list
// and works the page's controls, whose keys cross between page and frame.
TEST_F(TabDialogTest, AScriptedUserChoosesPagesByTitleAndUsesTheirControls) {
  PageLog paperLog, qualityLog;
  DP_ListBoxTabDialog dialog(112, nullptr);
  dialog.AddPage(new TestPage(202, "Paper", &paperLog), TRUE);
  dialog.AddPage(new TestPage(203, "Quality", &qualityLog), TRUE);
  platform::ui::UiScript script;
  ASSERT_TRUE(script.Load("pages.txt", R"(page "Quality"
expect 41 visible
expect 1028 selected "Quality"
page "Paper"
type "&Copies" "3" replace
key Alt+d
expect "&Duplex" checked
key Alt+c          # from the frame's side of the keyboard back to the page
type 31 "0"
expect 31 text "30"
key Tab Tab        # past the page's last control round to the frame's list
expect 1028 focused
key Down           # the list keeps its arrows: the next page
expect 41 visible
key Tab
expect "OK" focused
key Enter
)"));
  script.Install();
  const INT_PTR result = dialog.DoModal();
  script.Finish();
  script.Uninstall();
  ASSERT_FALSE(script.failed()) << script.error();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(qualityLog.initialisations, 2);
  EXPECT_EQ(paperLog.initialisations, 2);
}

}  // namespace
