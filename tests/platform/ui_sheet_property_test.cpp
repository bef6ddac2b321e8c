// Property sheets and wizards as a user drives them: what each page hears and in
// which order, the answers a page gives that keep it or the sheet open, and the
// state the buttons show.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/base/modules.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/prsht.h"
#include "platform/ui/tab_control.h"

namespace {

constexpr int kChangeButton = 10;
constexpr int kNestedButton = 11;
constexpr int kNestedTemplate = 700;

// What a page answers to each notification (absent: 0).
std::map<int, std::map<UINT, LRESULT>> g_answers;
std::vector<std::string> g_log;
INT_PTR g_nestedResult = -2;

std::string CodeName(UINT code) {
  static const std::map<UINT, std::string> names = {{PSN_SETACTIVE, "setactive"}, {PSN_KILLACTIVE, "killactive"},
                                                    {PSN_APPLY, "apply"},         {PSN_RESET, "reset"},
                                                    {PSN_WIZBACK, "wizback"},     {PSN_WIZNEXT, "wiznext"},
                                                    {PSN_WIZFINISH, "wizfinish"}, {PSN_QUERYCANCEL, "querycancel"}};
  const auto found = names.find(code);
  return found == names.end() ? "other" : found->second;
}

INT_PTR CALLBACK NestedProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam) == IDOK ? 42 : 7);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

INT_PTR CALLBACK PageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  const int number = static_cast<int>(GetWindowLongPtrA(page, GWLP_USERDATA));
  switch (message) {
    case WM_INITDIALOG: {
      const int n = static_cast<int>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
      SetWindowLongPtrA(page, GWLP_USERDATA, n);
      g_log.push_back(std::to_string(n) + " init");
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kChangeButton) SendMessageA(GetParent(page), PSM_CHANGED, static_cast<WPARAM>(page), 0);
      if (LOWORD(wParam) == kNestedButton) {
        g_nestedResult =
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kNestedTemplate), page, NestedProcedure, 0);
      }
      return TRUE;
    case WM_NOTIFY: {
      const auto* notify = reinterpret_cast<const PSHNOTIFY*>(lParam);
      std::string entry = std::to_string(number) + " " + CodeName(notify->hdr.code);
      if (notify->hdr.code == PSN_APPLY) entry += notify->lParam ? " ok" : " now";
      g_log.push_back(entry);
      LRESULT answer = 0;
      const auto script = g_answers.find(number);
      if (script != g_answers.end() && script->second.count(notify->hdr.code))
        answer = script->second.at(notify->hdr.code);
      SetWindowLongPtrA(page, DWLP_MSGRESULT, answer);
      return TRUE;
    }
    default: return FALSE;
  }
}

const std::string& PageTemplate() {
  static const std::string text =
      "DIALOG 0 0 220 120\n"
      "STYLE WS_CHILD|DS_CONTROL\n"
      "FONT 9 \"MS UI Gothic\"\n"
      "CONTROL \"Change\" 10 BUTTON BS_PUSHBUTTON|WS_TABSTOP 10 10 80 24\n"
      "CONTROL \"More...\" 11 BUTTON BS_PUSHBUTTON|WS_TABSTOP 10 40 80 24\n";
  return text;
}

PROPSHEETPAGEA Page(int number, const char* title) {
  PROPSHEETPAGEA page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
  page.pResource = PageTemplate().c_str();
  page.pszTitle = title;
  page.pfnDlgProc = PageProcedure;
  page.lParam = number;
  return page;
}

PROPSHEETPAGEA WizardPage(int templateId, int number) {
  PROPSHEETPAGEA page{};
  page.dwSize = sizeof page;
  page.hInstance = GetModuleHandleA(nullptr);
  page.pszTemplate = MAKEINTRESOURCEA(templateId);
  page.pfnDlgProc = PageProcedure;
  page.lParam = number;
  return page;
}

HWND PageWindow(HWND sheet) { return static_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

int PageNumber(HWND sheet) { return static_cast<int>(GetWindowLongPtrA(PageWindow(sheet), GWLP_USERDATA)); }

// A user's click on the tab at `index`.
void ClickTab(HWND sheet, int index) {
  HWND tabs = GetDlgItem(sheet, IDC_SHEET_TABS);
  RECT r{};
  ASSERT_TRUE(SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)));
  SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  SendMessageA(tabs, WM_LBUTTONUP, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class PropertySheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_answers.clear();
    g_log.clear();
    g_nestedResult = -2;
  }
  void TearDown() override { platform::SetDialogHandler(nullptr); }

  // Runs a three-page sheet with `user` playing the person.
  INT_PTR RunSheet(std::function<void(HWND)> user, DWORD flags = PSH_PROPSHEETPAGE) {
    pages_ = {Page(1, "General"), Page(2, "Paper"), Page(3, "Options")};
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = flags;
    header.pszCaption = "Office";
    header.nPages = static_cast<UINT>(pages_.size());
    header.ppsp = pages_.data();
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      if (request.templateName == "PropertySheet") {
        sheet_ = request.dialog;
        user(request.dialog);
      }
    });
    return PropertySheetA(&header);
  }

  std::vector<PROPSHEETPAGEA> pages_;
  HWND sheet_ = 0;
};

TEST_F(PropertySheetTest, SessionsNotifyPagesInWindowsOrder) {
  struct Case {
    const char* name;
    std::function<void(HWND)> user;
    INT_PTR result;
    std::vector<std::string> log;
  };
  const std::vector<Case> cases = {
      {"open and OK", [](HWND s) { Click(s, IDOK); }, IDOK, {"1 init", "1 setactive", "1 killactive", "1 apply ok"}},
      {"open and Cancel", [](HWND s) { Click(s, IDCANCEL); }, 0, {"1 init", "1 setactive", "1 querycancel", "1 reset"}},
      {"switch page, change, Apply, OK",
       [](HWND s) {
         ClickTab(s, 1);
         Click(PageWindow(s), kChangeButton);
         Click(s, IDC_SHEET_APPLY);
         Click(s, IDOK);
       },
       IDOK,
       {"1 init", "1 setactive", "1 killactive", "2 init", "2 setactive", "2 killactive", "1 apply now", "2 apply now",
        "2 killactive", "1 apply ok", "2 apply ok"}},
      {"switch page and Cancel",
       [](HWND s) {
         ClickTab(s, 2);
         Click(s, IDCANCEL);
       },
       0,
       {"1 init", "1 setactive", "1 killactive", "3 init", "3 setactive", "3 querycancel", "1 reset", "3 reset"}},
      {"nobody there", [](HWND) {}, 0, {"1 init", "1 setactive", "1 querycancel", "1 reset"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_log.clear();
    EXPECT_EQ(RunSheet(c.user), c.result);
    EXPECT_EQ(g_log, c.log);
    EXPECT_FALSE(IsWindow(sheet_));
  }
}

TEST_F(PropertySheetTest, AnsweredNotificationsKeepThePageOrTheSheet) {
  // KILLACTIVE answered TRUE: the tab click is refused and the page stays.
  g_answers[1][PSN_KILLACTIVE] = TRUE;
  int pageAfterClick = 0, tabAfterClick = -2;
  bool openAfterOk = false;
  RunSheet([&](HWND s) {
    ClickTab(s, 1);
    pageAfterClick = PageNumber(s);
    tabAfterClick = static_cast<int>(SendMessageA(GetDlgItem(s, IDC_SHEET_TABS), TCM_GETCURSEL, 0, 0));
    Click(s, IDOK);
    openAfterOk = IsWindowVisible(s) != 0;
  });
  EXPECT_EQ(pageAfterClick, 1);
  EXPECT_EQ(tabAfterClick, 0);
  EXPECT_TRUE(openAfterOk);

  // PSNRET_INVALID from a page that is not current: OK leaves the sheet open on it.
  g_answers.clear();
  g_answers[2][PSN_APPLY] = PSNRET_INVALID;
  int pageAfterInvalid = 0;
  INT_PTR result = RunSheet([&](HWND s) {
    ClickTab(s, 1);
    ClickTab(s, 2);
    Click(s, IDOK);
    openAfterOk = IsWindowVisible(s) != 0;
    pageAfterInvalid = PageNumber(s);
    g_answers.clear();
    Click(s, IDOK);
  });
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(pageAfterInvalid, 2);
  EXPECT_EQ(result, IDOK);

  // QUERYCANCEL answered TRUE keeps the sheet; the headless end still cancels it.
  g_answers.clear();
  g_answers[1][PSN_QUERYCANCEL] = TRUE;
  result = RunSheet([&](HWND s) {
    Click(s, IDCANCEL);
    openAfterOk = IsWindowVisible(s) != 0;
  });
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(result, 0);

  // SETACTIVE -1 skips the page.
  g_answers.clear();
  g_answers[2][PSN_SETACTIVE] = -1;
  int shown = 0;
  RunSheet([&](HWND s) {
    ClickTab(s, 1);
    shown = PageNumber(s);
  });
  EXPECT_EQ(shown, 3);
}

TEST_F(PropertySheetTest, ApplyIsEnabledOnlyByAChange) {
  std::vector<bool> enabled;
  bool noApplyButton = false;
  RunSheet([&](HWND s) {
    HWND apply = GetDlgItem(s, IDC_SHEET_APPLY);
    enabled.push_back(IsWindowEnabled(apply));
    Click(PageWindow(s), kChangeButton);
    enabled.push_back(IsWindowEnabled(apply));
    SendMessageA(s, PSM_UNCHANGED, static_cast<WPARAM>(PageWindow(s)), 0);
    enabled.push_back(IsWindowEnabled(apply));
    Click(PageWindow(s), kChangeButton);
    SendMessageA(apply, BM_CLICK, 0, 0);
    enabled.push_back(IsWindowEnabled(apply));
    Click(s, IDCANCEL);
  });
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, false, false}));
  RunSheet([&](HWND s) { noApplyButton = GetDlgItem(s, IDC_SHEET_APPLY) == 0; }, PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW);
  EXPECT_TRUE(noApplyButton);
}

TEST_F(PropertySheetTest, ButtonsSitInWindowsOrderAndTheTitleSaysProperties) {
  char title[64] = {};
  RECT ok{}, cancel{}, apply{};
  RunSheet(
      [&](HWND s) {
        GetWindowTextA(s, title, sizeof title);
        GetWindowRect(GetDlgItem(s, IDOK), &ok);
        GetWindowRect(GetDlgItem(s, IDCANCEL), &cancel);
        GetWindowRect(GetDlgItem(s, IDC_SHEET_APPLY), &apply);
      },
      PSH_PROPSHEETPAGE | PSH_PROPTITLE);
  EXPECT_STREQ(title, "Office Properties");
  EXPECT_LT(ok.right, cancel.left);
  EXPECT_LT(cancel.right, apply.left);
  EXPECT_EQ(ok.top, apply.top);
}

TEST_F(PropertySheetTest, TheSelectedTabIsDrawnRaisedAndOpenTowardsItsPage) {
  struct Probe {
    COLORREF selectedTop, otherTop, otherEdge, belowSelected, belowOther;
    bool titleInked;
  } probe{};
  RunSheet([&](HWND s) {
    ClickTab(s, 1);
    HWND tabs = GetDlgItem(s, IDC_SHEET_TABS);
    UpdateWindow(tabs);
    auto surface = platform::ui::WindowSurface(tabs);
    ASSERT_NE(surface, nullptr);
    RECT first{}, second{};
    SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageA(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    const int firstMid = (first.left + first.right) / 2, secondMid = (second.left + second.right) / 2;
    probe.selectedTop = surface->At(secondMid, 0);
    probe.otherTop = surface->At(firstMid, 0);
    probe.otherEdge = surface->At(firstMid, first.top);
    probe.belowSelected = surface->At(secondMid, first.bottom);
    probe.belowOther = surface->At(firstMid, first.bottom);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int y = first.top + 3; y < first.bottom - 1 && !probe.titleInked; ++y) {
      for (int x = first.left + 3; x < first.right - 3; ++x) {
        if (surface->At(x, y) != face) probe.titleInked = true;
      }
    }
  });
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(probe.selectedTop, light);
  EXPECT_EQ(probe.otherTop, face);
  EXPECT_EQ(probe.otherEdge, light);
  EXPECT_EQ(probe.belowSelected, face);
  EXPECT_EQ(probe.belowOther, light);
  EXPECT_TRUE(probe.titleInked);
}

TEST_F(PropertySheetTest, ANestedDialogFromAPageAnswersItsEndDialogCode) {
  std::vector<std::string> requests;
  pages_ = {Page(1, "General")};
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE;
  header.nPages = 1;
  header.ppsp = pages_.data();
  bool pageDisabledWhileNested = false;
  HWND page = 0;
  platform::SetDialogHandler([&](const platform::DialogRequest& request) {
    requests.push_back(request.templateName);
    if (request.templateName == "PropertySheet") {
      page = PageWindow(request.dialog);
      Click(page, kNestedButton);
      Click(request.dialog, IDOK);
    } else {
      pageDisabledWhileNested = IsWindow(page) && !IsWindowEnabled(page);
      Click(request.dialog, IDOK);
    }
  });
  EXPECT_EQ(PropertySheetA(&header), IDOK);
  EXPECT_EQ(g_nestedResult, 42);
  EXPECT_TRUE(pageDisabledWhileNested);
  EXPECT_EQ(requests, (std::vector<std::string>{"PropertySheet", "#700"}));
}

TEST_F(PropertySheetTest, PagesFromHandlesAndPressedButtons) {
  std::vector<PROPSHEETPAGEA> described = {Page(1, "General"), Page(2, "Paper")};
  HPROPSHEETPAGE handles[2] = {CreatePropertySheetPageA(&described[0]), CreatePropertySheetPageA(&described[1])};
  ASSERT_NE(handles[0], 0u);
  ASSERT_NE(handles[1], 0u);
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.nPages = 2;
  header.nStartPage = 1;
  header.phpage = handles;
  int startPage = 0, afterSetCursel = 0;
  platform::SetDialogHandler([&](const platform::DialogRequest& request) {
    startPage = PageNumber(request.dialog);
    SendMessageA(request.dialog, PSM_SETCURSEL, 0, static_cast<LPARAM>(handles[0]));
    afterSetCursel = PageNumber(request.dialog);
    // Pressed from inside, as a page would: it takes effect once the message comes.
    SendMessageA(request.dialog, PSM_PRESSBUTTON, PSBTN_OK, 0);
  });
  EXPECT_EQ(PropertySheetA(&header), IDOK);
  EXPECT_EQ(startPage, 2);
  EXPECT_EQ(afterSetCursel, 1);
  // The sheet released the pages it was given.
  EXPECT_EQ(platform::ui::PropertySheetPageDescription(handles[0]), nullptr);
  EXPECT_FALSE(DestroyPropertySheetPage(handles[0]));
}

TEST_F(PropertySheetTest, BadHeadersAreRefused) {
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  EXPECT_EQ(PropertySheetA(nullptr), -1);
  EXPECT_EQ(PropertySheetA(&header), -1);  // no pages
  HPROPSHEETPAGE unknown = 12345;
  header.nPages = 1;
  header.phpage = &unknown;
  EXPECT_EQ(PropertySheetA(&header), -1);
  PROPSHEETPAGEA missing = WizardPage(999, 1);  // no such template
  header.dwFlags = PSH_PROPSHEETPAGE;
  header.ppsp = &missing;
  EXPECT_EQ(PropertySheetA(&header), -1);
}

// ---- Wizards ---------------------------------------------------------------------

struct WizardButtons {
  bool back, next, nextShown, finish, finishShown;
  bool operator==(const WizardButtons&) const = default;
};

WizardButtons ButtonsOf(HWND sheet) {
  HWND next = GetDlgItem(sheet, IDC_SHEET_NEXT), finish = GetDlgItem(sheet, IDC_SHEET_FINISH);
  return WizardButtons{IsWindowEnabled(GetDlgItem(sheet, IDC_SHEET_BACK)) != 0, IsWindowEnabled(next) != 0,
                       IsWindowVisible(next) != 0, IsWindowEnabled(finish) != 0, IsWindowVisible(finish) != 0};
}

class WizardTest : public PropertySheetTest {
 protected:
  INT_PTR RunWizard(std::function<void(HWND)> user) {
    pages_ = {WizardPage(801, 1), WizardPage(802, 2), WizardPage(803, 3)};
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD;
    header.pszCaption = "Set-up";
    header.nPages = 3;
    header.ppsp = pages_.data();
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      EXPECT_EQ(request.templateName, "Wizard");
      EXPECT_EQ(GetDlgItem(request.dialog, IDC_SHEET_TABS), 0u);
      user(request.dialog);
    });
    return PropertySheetA(&header);
  }
};

TEST_F(WizardTest, NextBackJumpAndFinish) {
  std::vector<int> visited;
  const INT_PTR result = RunWizard([&](HWND s) {
    visited.push_back(PageNumber(s));
    Click(s, IDC_SHEET_NEXT);
    visited.push_back(PageNumber(s));
    Click(s, IDC_SHEET_BACK);
    visited.push_back(PageNumber(s));
    g_answers[1][PSN_WIZNEXT] = 803;  // jump over the middle page
    Click(s, IDC_SHEET_NEXT);
    visited.push_back(PageNumber(s));
    g_answers[3][PSN_WIZBACK] = -1;  // stay
    Click(s, IDC_SHEET_BACK);
    visited.push_back(PageNumber(s));
    SendMessageA(s, PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_FINISH);
    Click(s, IDC_SHEET_FINISH);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(visited, (std::vector<int>{1, 2, 1, 3, 3}));
  // The notifications of the last steps, in order.
  const std::vector<std::string> tail(g_log.end() - 6, g_log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"1 wiznext", "1 killactive", "3 init", "3 setactive", "3 wizback",
                                            "3 wizfinish"}));
}

TEST_F(WizardTest, WizardButtonsShowWhatThePageAsked) {
  struct Case {
    DWORD flags;
    WizardButtons shown;
  };
  const std::vector<Case> cases = {
      {PSWIZB_NEXT, {false, true, true, false, false}},
      {PSWIZB_BACK | PSWIZB_NEXT, {true, true, true, false, false}},
      {PSWIZB_BACK | PSWIZB_FINISH, {true, false, false, true, true}},
      {PSWIZB_BACK | PSWIZB_DISABLEDFINISH, {true, false, false, false, true}},
  };
  std::vector<WizardButtons> seen;
  RunWizard([&](HWND s) {
    for (const Case& c : cases) {
      SendMessageA(s, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(c.flags));
      seen.push_back(ButtonsOf(s));
    }
  });
  ASSERT_EQ(seen.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_TRUE(seen[i] == cases[i].shown) << "case " << i;
}

TEST_F(WizardTest, RefusedFinishKeepsTheWizardAndSetActiveMaySkip) {
  g_answers[2][PSN_SETACTIVE] = -1;
  g_answers[1][PSN_WIZFINISH] = TRUE;
  int afterNext = 0;
  bool openAfterFinish = false;
  const INT_PTR result = RunWizard([&](HWND s) {
    Click(s, IDC_SHEET_FINISH);
    openAfterFinish = IsWindowVisible(s) != 0;
    Click(s, IDC_SHEET_NEXT);
    afterNext = PageNumber(s);
  });
  EXPECT_TRUE(openAfterFinish);
  EXPECT_EQ(afterNext, 3);
  EXPECT_EQ(result, 0);
}

}  // namespace
