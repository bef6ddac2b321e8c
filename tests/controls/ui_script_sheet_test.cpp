// The scripted user in a property sheet: a tab chosen by its title shows its
// page, typing into a page marks the sheet changed so Apply can be pressed,
// and a page that refuses to be left keeps the user on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/prsht.h"
#include "platform/ui/ui_script.h"
#include "tests/controls/controls_fixture.h"

namespace {

struct SheetLog {
  std::vector<std::string> events;
  bool refuseLeavingQuality = false;
};

SheetLog* g_log = nullptr;

INT_PTR CALLBACK PageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
    SendMessageA(GetParent(page), PSM_CHANGED, static_cast<WPARAM>(page), 0);
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->code == PSN_APPLY) {
    const auto* notice = reinterpret_cast<const PSHNOTIFY*>(lParam);
    g_log->events.push_back(std::string(GetDlgItem(page, 41) ? "quality" : "paper") +
                            (notice->lParam ? " ok" : " now"));
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
  }
  if (header->code == PSN_KILLACTIVE && g_log->refuseLeavingQuality && GetDlgItem(page, 41)) {
    g_log->events.push_back("stay");
    SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }
  return FALSE;
}

class UiScriptSheetTest : public ControlsTest {
 protected:
  INT_PTR Play(const std::string& text) {
    g_log = &log;
    PROPSHEETPAGEA pages[2] = {};
    const char* titles[2] = {"Paper", "Quality"};
    for (int i = 0; i < 2; ++i) {
      pages[i].dwSize = sizeof pages[i];
      pages[i].dwFlags = PSP_USETITLE;
      pages[i].pszTemplate = MAKEINTRESOURCEA(202 + i);
      pages[i].pszTitle = titles[i];
      pages[i].pfnDlgProc = PageProcedure;
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.pszCaption = "Printing Preferences";
    header.nPages = 2;
    header.ppsp = pages;
    platform::ui::UiScript script;
    EXPECT_TRUE(script.Load("sheet.txt", text));
    script.Install();
    const INT_PTR result = PropertySheetA(&header);
    script.Finish();
    script.Uninstall();
    error = script.error();
    g_log = nullptr;
    return result;
  }

  SheetLog log;
  std::string error;
};

TEST_F(UiScriptSheetTest, TabsTypingApplyAndOkAsAUserWorksTheSheet) {
  const INT_PTR result = Play(R"(page "Quality"
expect 41 visible
page "Paper"
expect "Apply" disabled
type "&Copies" "2" replace
expect "Apply" enabled
apply
ok
)");
  EXPECT_TRUE(error.empty()) << error;
  EXPECT_EQ(result, IDOK);
  // Every page made so far hears of Apply, and of OK.
  EXPECT_EQ(log.events, (std::vector<std::string>{"paper now", "quality now", "paper ok", "quality ok"}));
}

TEST_F(UiScriptSheetTest, APageThatRefusesToBeLeftKeepsTheUserOnIt) {
  log.refuseLeavingQuality = true;
  const INT_PTR result = Play(R"(page "Quality"
page "Paper"
expect 41 visible
cancel
)");
  EXPECT_TRUE(error.empty()) << error;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(log.events, std::vector<std::string>{"stay"});
}

TEST_F(UiScriptSheetTest, AnUnknownPageIsAFaultOfItsLine) {
  EXPECT_EQ(Play("expect 31 visible\npage \"Colour\"\n"), 0);
  EXPECT_EQ(error, "sheet.txt:2: no page \"Colour\" in this dialog");
}

}  // namespace
