// Drives one page of the driver's settings sheet as a user would (clicks, picks
// with their notifications, typed text), for the page tests: the sheet is run
// over a printer's default settings and the test's hands act inside it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "interface/devmode/default_devmode.h"
#include "interface/devmode/validate_merge.h"
#include "interface/pages/settings_sheet.h"
#include "model/model_cache.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "tests/interface/records_test_support.h"

namespace pagetest {

inline std::string ItemText(HWND dialog, int id) {
  char text[1024] = {};
  ::GetWindowTextA(::GetDlgItem(dialog, id), text, sizeof text);
  return text;
}
inline void Click(HWND dialog, int id) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// Chooses the entry of that text and tells the dialog, as a click would; false
// when there is no such entry.
inline bool Pick(HWND dialog, int id, const std::string& text, bool combo) {
  HWND control = ::GetDlgItem(dialog, id);
  const LRESULT index = ::SendMessageA(control, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT,
                                       static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index < 0) return false;
  ::SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 static_cast<LPARAM>(control));
  return true;
}
// Empties the edit and types the text key by key; focus then moves to `next`.
inline void Type(HWND dialog, int id, const std::string& text, int next = 0) {
  HWND edit = ::GetDlgItem(dialog, id);
  ::SetFocus(edit);
  ::SetWindowTextA(edit, "");
  for (char c : text) ::SendMessageA(edit, WM_CHAR, static_cast<BYTE>(c), 0);
  if (next) ::SetFocus(::GetDlgItem(dialog, next));
}
inline std::vector<std::string> Entries(HWND dialog, int id, bool combo) {
  HWND control = ::GetDlgItem(dialog, id);
  std::vector<std::string> texts;
  const int count = static_cast<int>(::SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[512] = {};
    ::SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    texts.push_back(text);
  }
  return texts;
}
inline std::string Selected(HWND dialog, int id, bool combo) {
  HWND control = ::GetDlgItem(dialog, id);
  const LRESULT index = ::SendMessageA(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  if (index < 0) return "(none)";
  return Entries(dialog, id, combo)[static_cast<size_t>(index)];
}
inline bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)); }
inline bool Visible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)); }

class SheetPageTest : public recordstest::RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    platform::SetDialogHandler([this](const platform::DialogRequest& request) {
      auto found = hands_.find(request.templateName);
      if (found != hands_.end()) found->second(request.dialog);
    });
    platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& box) {
      boxes_.push_back(box.text);
      return IDOK;
    });
  }
  void TearDown() override {
    platform::SetDialogHandler(nullptr);
    platform::SetMessageBoxHandler(nullptr);
    RecordsTest::TearDown();
  }

  // A printer of a shipped model and its default document settings in a language.
  HANDLE InstallModel(const char* file, const char* name) {
    HANDLE printer = Install(file, name);
    FreeModelRecords(name);
    return printer;
  }
  XDEVMODE Default(HANDLE printer, const char* name, WORD pdl) {
    XDEVMODE settings{};
    const ModelRecord* record = GetModelRecord(printer, name, kModelReloadWhenMissing);
    EXPECT_NE(record, nullptr);
    EXPECT_EQ(BuildDefaultDevmode(&settings, printer, record, name, pdl), 1);
    const XDEVMODE incoming = settings;
    ValidateMergeDevmode(printer, &settings, &incoming.dmPublic, record);
    return settings;
  }

  // Runs the document sheet; `page` acts on the page of the template, then the
  // sheet closes with `button`. Answers RunPropertiesSheet's result.
  int RunPage(HANDLE printer, XDEVMODE* settings, UINT templateId,
              const std::function<void(HWND page, OrbaMainDlg*)>& page, int button = IDOK, BOOL restricted = FALSE) {
    hands_["#129"] = [&](HWND dialog) {
      auto* sheet = dynamic_cast<OrbaMainDlg*>(CWnd::FromHandlePermanent(dialog));
      ASSERT_NE(sheet, nullptr);
      for (int i = 0; i < sheet->m_pageList.GetCount(); ++i) {
        auto* item = static_cast<controls::DP_ListBoxTabDialogItem*>(sheet->m_pageList.GetItem(i)->m_userPointer);
        if (item->GetTemplateId() != templateId) continue;
        sheet->SelectPage(item);
        page(item->m_hWnd, sheet);
        break;
      }
      Click(dialog, button);
    };
    return RunPropertiesSheet(printer, 0, settings, settings, restricted, TRUE);
  }

  std::map<std::string, std::function<void(HWND)>> hands_;
  std::vector<std::string> boxes_;
};

}  // namespace pagetest
