#include "interface/pages/general_page.h"

#include <cstdio>
#include <cstring>

#include "common/settings_store.h"
#include "controls/page_functions.h"
#include "interface/app/library_state.h"
#include "interface/pages/settings_sheet.h"
#include "interface/records/model_identity.h"
#include "interface/records/model_resource.h"
#include "platform/base/modules.h"

namespace {

constexpr UINT kGeneralTemplate = 144;
constexpr UINT kTabIcon = 113;
constexpr UINT kTabTitle = 43;
constexpr UINT kDriverFor = 117;  // "Printer Driver for %s"
constexpr UINT kVersion = 114;
constexpr UINT kPrinterPage = 139;
constexpr UINT kWebSite = 119;

constexpr int kLogo = 1110;
constexpr int kModel = 1102;
constexpr int kVersionText = 1061;
constexpr int kPrinterPageLabel = 1072;
constexpr int kPrinterPageAddress = 1073;
constexpr int kWebSiteLabel = 1071;
constexpr int kWebSiteAddress = 1448;
constexpr int kOemNotice = 8914;
constexpr int kNotice = 1443;

void ShowAddress(CWnd* page, controls::CHyperlink* link, int item, const std::string& address) {
  if (link)
    link->SetupLink(page->m_hWnd, page, item, address);
  else
    ::SetDlgItemTextA(page->m_hWnd, item, address.c_str());
}

}  // namespace

GeneralDlg::GeneralDlg() : DP_ListBoxTabDialogItem(kGeneralTemplate) {}

GeneralDlg::~GeneralDlg() {
  delete m_printerLink;
  delete m_webSiteLink;
}

void GeneralDlg::DescribeTab() { SetTabInfo(kTabIcon, controls::LoadText(kTabTitle)); }

BOOL GeneralDlg::OnInitDialog() {
  DP_ListBoxTabDialogItem::OnInitDialog();
  OrbaMainDlg* sheet = SheetOfPage(this);
  HANDLE printer = sheet ? sheet->m_printer : 0;

  ModelIdentity identity{};
  LoadModelIdentity(printer, &identity);
  if (identity.logo[0]) {
    // The model's resource module may be missing: the page then shows no logo.
    if (HMODULE module = LoadModelResourceDll(printer)) {
      if (m_logo.LoadBitmapsFromModule(module, identity.logo, nullptr, nullptr, nullptr))
        m_logo.SubclassDlgItem(kLogo, this);
      FreeLibrary(module);
    }
  }

  char text[512] = {};
  std::snprintf(text, sizeof text, controls::LoadText(kDriverFor).c_str(), identity.modelName);
  ::SetDlgItemTextA(m_hWnd, kModel, text);
  ::SetDlgItemTextA(m_hWnd, kVersionText, controls::LoadText(kVersion).c_str());

  ::SetDlgItemTextA(m_hWnd, kPrinterPageLabel, "");
  ::SetDlgItemTextA(m_hWnd, kPrinterPageAddress, "");
  DWORD monitor = 0;
  char ip[256] = {};
  DWORD ipSize = sizeof ip;
  const SettingsFunctions& settings = LibrarySettings();
  if (settings.GetDword(printer, kStorePrinterData, "Printer", "Monitor", &monitor) == ERROR_SUCCESS && monitor &&
      settings.GetString(printer, kStorePrinterData, "Printer", "IP", ip, &ipSize) == ERROR_SUCCESS) {
    ::SetDlgItemTextA(m_hWnd, kPrinterPageLabel, controls::LoadText(kPrinterPage).c_str());
    ShowAddress(this, m_printerLink, kPrinterPageAddress, "http://" + std::string(ip) + "/");
  }

  ::SetDlgItemTextA(m_hWnd, kWebSiteLabel, "");
  ::SetDlgItemTextA(m_hWnd, kWebSiteAddress, "");
  if (identity.company[0] && identity.webSite[0]) {
    std::snprintf(text, sizeof text, "%s %s", identity.company, controls::LoadText(kWebSite).c_str());
    ::SetDlgItemTextA(m_hWnd, kWebSiteLabel, text);
    ShowAddress(this, m_webSiteLink, kWebSiteAddress, identity.webSite);
  }

  ::SetDlgItemTextA(m_hWnd, kOemNotice, identity.oemCopyright);
  ::SetDlgItemTextA(m_hWnd, kNotice, identity.copyright);
  return TRUE;
}

// ---- Access control ---------------------------------------------------------

namespace {
constexpr UINT kAccessTemplate = 218;
constexpr int kFirstLabel = 1313;
constexpr int kFirstEdit = 1314;
constexpr int kSecondLabel = 1315;
constexpr int kSecondEdit = 1316;
constexpr int kCodeLength = 32;

bool ShowCode(CWnd* dialog, CEdit& edit, int labelId, int editId, DWORD enabled, DWORD available, const char* code) {
  const bool shown = enabled && available;
  if (shown) {
    if (!edit.m_hWnd) edit.SubclassDlgItem(editId, dialog);
    edit.SendMessage(EM_LIMITTEXT, kCodeLength);
    std::string text(code, strnlen(code, kCodeLength));
    edit.SetWindowText(text);
  }
  ::EnableWindow(::GetDlgItem(dialog->m_hWnd, labelId), shown);
  ::EnableWindow(::GetDlgItem(dialog->m_hWnd, editId), shown);
  return shown;
}

void ReadCode(CEdit& edit, char* code, DWORD* enabled) {
  char text[kCodeLength] = {};
  ::GetWindowTextA(edit.m_hWnd, text, sizeof text);
  std::memcpy(code, text, sizeof text);
  if (!text[0]) *enabled = 0;
}
}  // namespace

AccessContrl::AccessContrl(CWnd* parent) : CMyDialog(kAccessTemplate, parent) {}

BOOL AccessContrl::SetSettings(AccessCodes* codes) {
  m_codes = codes;
  return codes != nullptr;
}

BOOL AccessContrl::OnInitDialog() {
  if (!m_codes) return FALSE;
  CMyDialog::OnInitDialog();
  firstShown_ = ShowCode(this, m_firstEdit, kFirstLabel, kFirstEdit, m_codes->firstEnabled, m_codes->firstAvailable,
                         m_codes->first);
  secondShown_ = ShowCode(this, m_secondEdit, kSecondLabel, kSecondEdit, m_codes->secondEnabled,
                          m_codes->secondAvailable, m_codes->second);
  return TRUE;
}

void AccessContrl::OnOK() {
  // A field the dialog did not show was not edited: its code stays as it was.
  if (m_codes && firstShown_) ReadCode(m_firstEdit, m_codes->first, &m_codes->firstEnabled);
  if (m_codes && secondShown_) ReadCode(m_secondEdit, m_codes->second, &m_codes->secondEnabled);
  EndDialog(IDOK);
}

void AccessContrl::OnCancel() { EndDialog(IDCANCEL); }
