#include "detect/wizard_page.h"

#include "common/settings_store.h"
#include "detect/messages.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"
#include "query/query_settings.h"

namespace {

constexpr int kRestoreFailedText = 2231;
constexpr int kGoodbyeIcon = 1027;
constexpr UINT kGoodbyeFrames[] = {512, 513, 511};
constexpr UINT_PTR kGoodbyeTimer = 0;
constexpr UINT kGoodbyeFrameMs = 500;

}  // namespace

PROPSHEETPAGEA WizardPage::Description(HINSTANCE instance) {
  PROPSHEETPAGEA page{};
  page.dwSize = sizeof page;
  page.hInstance = instance;
  page.pszTemplate = MAKEINTRESOURCEA(pageId_);
  page.pfnDlgProc = &WizardPage::Procedure;
  page.lParam = reinterpret_cast<LPARAM>(this);
  return page;
}

std::string WizardPage::ItemText(int id) const {
  char text[512] = {};
  GetDlgItemTextA(window_, id, text, sizeof text);
  return text;
}

LRESULT WizardPage::OnBack() {
  const int previous = sheet_->PopPage();
  return previous < 0 ? 0 : previous;
}

void WizardPage::RestoreOnCancel() {
  if (!sheet_->RestoreSettings()) detect::ShowMessage(window_, kRestoreFailedText, MB_OK | MB_ICONEXCLAMATION);
}

INT_PTR WizardPage::OnNotify(const NMHDR* header) {
  LRESULT answer = 0;
  switch (header->code) {
    case PSN_SETACTIVE: OnSetActive(); break;
    case PSN_WIZNEXT: answer = OnNext(); break;
    case PSN_WIZBACK: answer = OnBack(); break;
    case PSN_WIZFINISH: OnFinish(); break;
    case PSN_QUERYCANCEL: RestoreOnCancel(); break;
    default: return FALSE;
  }
  SetWindowLongPtrA(window_, DWLP_MSGRESULT, answer);
  return TRUE;
}

INT_PTR CALLBACK WizardPage::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* page = reinterpret_cast<WizardPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
    page->window_ = window;
    page->OnInit();
    return TRUE;
  }
  auto* page = reinterpret_cast<WizardPage*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!page) return FALSE;
  switch (message) {
    case WM_NOTIFY: return page->OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND: page->OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_TIMER: page->OnTimer(static_cast<UINT_PTR>(wParam)); return TRUE;
    default: return page->OnMessage(message, wParam, lParam);
  }
}

// ---- Page 106: monitoring or not ------------------------------------------------

void CAskMonitorDlg::OnSetActive() {
  SetButtons(PSWIZB_NEXT);
  CheckDlgButton(window(), 1002, sheet_->monitor ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window(), 1003, sheet_->monitor ? BST_UNCHECKED : BST_CHECKED);
}

LRESULT CAskMonitorDlg::OnNext() {
  sheet_->PushPage(pageId());
  SetButtons(0);
  sheet_->monitor = IsDlgButtonChecked(window(), 1002) == BST_CHECKED ? 1 : 0;
  return sheet_->monitor ? kPageAddress : kPageLanguage;
}

// ---- Page 109: done ---------------------------------------------------------------

void CGoodbyeDlg::OnInit() {
  HANDLE printer = 0;
  std::string name = sheet_->printerName;
  if (OpenPrinterA(name.data(), &printer, nullptr)) {
    auto read = [&](const char* key) {
      char text[64] = {};
      DWORD size = sizeof text;
      QuerySettings().GetString(printer, kStoreModelDescription, "General", key, text, &size);
      return std::string(text);
    };
    SetItemText(1029, read("WebSite"));
    SetItemText(1028, read("Company"));
    ClosePrinter(printer);
  }
  if (icon_.SubclassDlgItem(kGoodbyeIcon, CWnd::FromHandle(window()))) {
    for (UINT frame : kGoodbyeFrames) icon_.AddFrame(frame);
    icon_.NextFrame();
    SetTimer(window(), kGoodbyeTimer, kGoodbyeFrameMs, nullptr);
  }
}

void CGoodbyeDlg::OnTimer(UINT_PTR id) {
  if (id == kGoodbyeTimer && icon_.GetSafeHwnd()) icon_.NextFrame();
}

void CGoodbyeDlg::OnSetActive() { SetButtons(PSWIZB_FINISH); }

void CGoodbyeDlg::OnFinish() { KillTimer(window(), kGoodbyeTimer); }
