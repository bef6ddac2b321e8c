#include "interface/pages/page_helpers.h"

#include <algorithm>
#include <cctype>

#include "controls/page_functions.h"
#include "interface/pages/settings_sheet.h"
#include "interface/util/control_access.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"

namespace pages {

XDEVMODE* WorkingSettings(controls::DP_ListBoxTabDialogItem* page) {
  OrbaMainDlg* sheet = SheetOfPage(page);
  return sheet ? &sheet->m_workingSettings : nullptr;
}

ModelRecord* SheetModel(controls::DP_ListBoxTabDialogItem* page) {
  OrbaMainDlg* sheet = SheetOfPage(page);
  return sheet ? GetModelRecord(sheet->m_printer, sheet->m_printerName.c_str(), kModelReloadWhenMissing) : nullptr;
}

HANDLE SheetPrinter(controls::DP_ListBoxTabDialogItem* page) {
  OrbaMainDlg* sheet = SheetOfPage(page);
  return sheet ? sheet->m_printer : 0;
}

bool SheetRestricted(controls::DP_ListBoxTabDialogItem* page) {
  OrbaMainDlg* sheet = SheetOfPage(page);
  return sheet && sheet->m_restricted;
}

void SettingsChanged(controls::DP_ListBoxTabDialogItem* page) {
  if (OrbaMainDlg* sheet = SheetOfPage(page)) sheet->UpdateProfileSelection();
}

void ShowItem(CWnd* page, int id, bool show) {
  if (HWND item = ::GetDlgItem(page->m_hWnd, id)) ::ShowWindow(item, show ? SW_SHOW : SW_HIDE);
}

void ShowItems(CWnd* page, std::initializer_list<int> ids, bool show) {
  for (int id : ids) ShowItem(page, id, show);
}

void EnableItem(CWnd* page, int id, bool enable) {
  if (HWND item = ::GetDlgItem(page->m_hWnd, id)) ::EnableWindow(item, enable);
}

void EnableItems(CWnd* page, std::initializer_list<int> ids, bool enable) {
  for (int id : ids) EnableItem(page, id, enable);
}

void CheckItem(CWnd* page, int id, bool checked) {
  ::SendMessageA(::GetDlgItem(page->m_hWnd, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsItemChecked(CWnd* page, int id) {
  return ::SendMessageA(::GetDlgItem(page->m_hWnd, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string ItemText(CWnd* page, int id) {
  char text[256] = {};
  ::GetDlgItemTextA(page->m_hWnd, id, text, sizeof text);
  return text;
}

void SetItemText(CWnd* page, int id, const std::string& text) { ::SetDlgItemTextA(page->m_hWnd, id, text.c_str()); }

void LimitItemText(CWnd* page, int id, UINT characters) {
  ::SendMessageA(::GetDlgItem(page->m_hWnd, id), EM_LIMITTEXT, characters, 0);
}

void FillCombo(CWnd* page, int id, const ComboEntries& entries) {
  HWND combo = ::GetDlgItem(page->m_hWnd, id);
  ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const auto& [text, data] : entries) {
    const LRESULT index = ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index >= 0) ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
  }
}

DWORD_PTR SelectComboData(CWnd* page, int id, DWORD_PTR value) {
  HWND combo = ::GetDlgItem(page->m_hWnd, id);
  if (::SendMessageA(combo, CB_GETCOUNT, 0, 0) <= 0) return value;
  if (controls::SelectComboByItemData(combo, value)) return value;
  return static_cast<DWORD_PTR>(::SendMessageA(combo, CB_GETITEMDATA, 0, 0));
}

DWORD_PTR SelectedComboData(CWnd* page, int id, DWORD_PTR fallback) {
  HWND combo = ::GetDlgItem(page->m_hWnd, id);
  const LRESULT index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index < 0) return fallback;
  return static_cast<DWORD_PTR>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void FinishRefresh(controls::DP_ListBoxTabDialogItem* page, std::initializer_list<int> kept, bool updateProfile) {
  if (SheetRestricted(page)) DisableControlsExcept(page->m_hWnd, kept.begin(), static_cast<int>(kept.size()));
  if (updateProfile) SettingsChanged(page);
  controls::HideModelControls(page, SheetModel(page));
}

bool IsPlainNumberText(const std::string& text) {
  if (text.empty() || text == ".") return false;
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '.'; });
}

unsigned long LeadingUnsigned(const std::string& text, unsigned long ceiling) {
  unsigned long value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) break;
    value = std::min(ceiling, value * 10 + static_cast<unsigned long>(c - '0'));
  }
  return value;
}

std::string UiText(const char* utf8) { return platform::AnsiFromUtf8(utf8); }

}  // namespace pages
