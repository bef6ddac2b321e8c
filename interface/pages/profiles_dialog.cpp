#include "interface/pages/profiles_dialog.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/pages/settings_sheet.h"
#include "interface/records/hex_names.h"
#include "interface/util/control_access.h"
#include "interface/util/resource_text.h"
#include "platform/base/codepage.h"
#include "platform/ui/message_box.h"

namespace {

constexpr int kList = 1440;
constexpr int kNameEdit = 1442;
constexpr int kAdd = 1643;
constexpr int kLoad = 1449;
constexpr int kDelete = 1644;
constexpr int kOverwrite = 1096;
constexpr int kHelp = 9;
constexpr int kClose = 1450;
constexpr UINT kProfilesTemplate = 8913;
constexpr UINT kAlreadyExists = 451;
constexpr UINT kDeleteQuestion = 304;
constexpr UINT kDeleteCaption = 303;

std::string LoadString(UINT id) {
  char text[512] = {};
  LoadResString(id, text, sizeof text);
  return text;
}

bool IsBlank(char c) { return c == ' ' || (c >= 9 && c <= 13); }

// At most `limit` bytes, never half of a double-byte character.
std::string CutAtCharacter(const std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = end + (IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size() ? 2 : 1);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

}  // namespace

BEGIN_MESSAGE_MAP(ProfilesDlg, controls::CMyDialog)
ON_LBN_SELCHANGE(kList, OnSelChange)
ON_BN_CLICKED(kAdd, OnAdd)
ON_BN_CLICKED(kDelete, OnDelete)
ON_BN_CLICKED(kHelp, OnHelp)
ON_BN_CLICKED(kOverwrite, OnOverwrite)
ON_BN_CLICKED(kLoad, OnLoad)
ON_BN_CLICKED(kClose, OnClose)
END_MESSAGE_MAP()

ProfilesDlg::ProfilesDlg(OrbaMainDlg* sheet) : CMyDialog(kProfilesTemplate, sheet), sheet_(sheet) {}

void ProfilesDlg::DoDataExchange(CDataExchange* exchange) {
  CMyDialog::DoDataExchange(exchange);
  if (!m_list.m_hWnd) m_list.SubclassDlgItem(kList, this);
}

void ProfilesDlg::FillList() {
  m_nameCount = static_cast<WORD>(sheet_->LoadProfileNames());
  m_list.SendMessage(LB_RESETCONTENT);
  const std::string remembered = sheet_->SelectedProfileName();
  int selected = -1;
  for (size_t i = 0; i < sheet_->m_profileNames.size(); ++i) {
    const int index = m_list.AddString(sheet_->m_profileNames[i].text);
    m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(i));
    if (!remembered.empty() && remembered == sheet_->m_profileNames[i].text) selected = index;
  }
  m_list.SetCurSel(selected);
}

BOOL ProfilesDlg::OnInitDialog() {
  CMyDialog::OnInitDialog();
  DoDataExchange(nullptr);
  FillList();
  ::EnableWindow(::GetDlgItem(m_hWnd, kNameEdit), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kAdd), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kDelete), FALSE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kOverwrite), FALSE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kLoad), FALSE);
  // A name keeps its terminator within its 64-byte entry.
  ::SendDlgItemMessageA(m_hWnd, kNameEdit, EM_LIMITTEXT, kProfileNameMax, 0);
  ApplyRestriction();
  return TRUE;
}

void ProfilesDlg::ApplyRestriction() {
  if (!sheet_->m_restricted) return;
  static constexpr int kKept[] = {kList, kNameEdit, kAdd, kDelete, kOverwrite, kHelp, kClose};
  DisableControlsExcept(m_hWnd, kKept, static_cast<int>(std::size(kKept)));
}

std::string ProfilesDlg::SelectedName() const {
  const int index = m_list.GetCurSel();
  if (index < 0) return {};
  const size_t entry = m_list.GetItemData(index);
  if (entry >= sheet_->m_profileNames.size()) return {};
  return sheet_->m_profileNames[entry].text;
}

void ProfilesDlg::OnSelChange() {
  ::EnableWindow(::GetDlgItem(m_hWnd, kNameEdit), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kAdd), TRUE);
  const int index = m_list.GetCurSel();
  // Nothing selected (no names, or the last one just deleted): nothing to act on.
  if (m_list.GetCount() <= 0 || index < 0 || SelectedName().empty()) {
    ::EnableWindow(::GetDlgItem(m_hWnd, kDelete), FALSE);
    ::EnableWindow(::GetDlgItem(m_hWnd, kOverwrite), FALSE);
    ::EnableWindow(::GetDlgItem(m_hWnd, kLoad), FALSE);
    ::SetFocus(::GetDlgItem(m_hWnd, kNameEdit));
    return;
  }
  ::EnableWindow(::GetDlgItem(m_hWnd, kDelete), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kOverwrite), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kLoad), !sheet_->m_restricted);
  m_nameIndex = static_cast<WORD>(m_list.GetItemData(index));
}

void ProfilesDlg::OnAdd() {
  ::EnableWindow(::GetDlgItem(m_hWnd, kNameEdit), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kAdd), TRUE);
  char text[256] = {};
  ::GetDlgItemTextA(m_hWnd, kNameEdit, text, sizeof text);
  std::string name = text;
  while (!name.empty() && IsBlank(name.back())) name.pop_back();
  size_t start = 0;
  while (start < name.size() && IsBlank(name[start])) ++start;
  name = name.substr(start);
  if (name.empty()) return;
  // Text that did not come from typing (pasted or set) is cut as typing would cut it.
  name = CutAtCharacter(name, kProfileNameMax);

  for (const ProfileName& entry : sheet_->m_profileNames) {
    if (name == entry.text) {
      char message[600] = {};
      std::snprintf(message, sizeof message, LoadString(kAlreadyExists).c_str(), name.c_str());
      ::MessageBoxA(m_hWnd, message, "", MB_ICONEXCLAMATION);
      ::SetDlgItemTextA(m_hWnd, kNameEdit, "");
      return;
    }
  }
  ProfileName entry{};
  std::memcpy(entry.text, name.data(), name.size());
  sheet_->m_profileNames.push_back(entry);
  const size_t position = sheet_->m_profileNames.size() - 1;
  m_nameCount = static_cast<WORD>(sheet_->m_profileNames.size());
  const int index = m_list.AddString(entry.text);
  m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(position));
  m_list.SetCurSel(index);
  SaveProfile(sheet_->m_printer, entry.text, &sheet_->m_workingSettings, kProfileAdd);
  OnSelChange();
  ::SetDlgItemTextA(m_hWnd, kNameEdit, "");
}

void ProfilesDlg::OnDelete() {
  const int index = m_list.GetCurSel();
  const std::string name = SelectedName();
  if (name.empty()) return;
  const std::string question = LoadString(kDeleteQuestion);
  const std::string caption = LoadString(kDeleteCaption);
  if (::MessageBoxA(m_hWnd, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) return;

  const size_t entry = m_list.GetItemData(index);
  m_list.SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index));
  if (sheet_->SelectedProfileName() == name) sheet_->SetSelectedProfile({});
  std::memset(sheet_->m_profileNames[entry].text, 0, sizeof sheet_->m_profileNames[entry].text);

  char section[300] = {};
  if (ProfileSection(sheet_->m_printer, &sheet_->m_workingSettings, section, sizeof section)) {
    const std::string hex = records::HexName(name);
    LibrarySettings().DeleteData(sheet_->m_printer, kStoreUser, section, hex.c_str());
    LibrarySettings().DeleteSection(sheet_->m_printer, kStoreUser, (std::string(section) + "\\" + hex).c_str());
  }
  // The entry that took the deleted one's place, or the new last one.
  const int count = m_list.GetCount();
  m_list.SetCurSel(count <= 0 ? -1 : (index < count ? index : count - 1));
  OnSelChange();
}

void ProfilesDlg::OnOverwrite() {
  const std::string name = SelectedName();
  if (name.empty()) return;
  sheet_->SetSelectedProfile(name);
  SaveProfile(sheet_->m_printer, name.c_str(), &sheet_->m_workingSettings, kProfileOverwrite);
  ApplyRestriction();
}

void ProfilesDlg::OnLoad() {
  const std::string name = SelectedName();
  if (name.empty()) return;
  sheet_->m_savedSettings = sheet_->m_workingSettings;
  sheet_->SetSelectedProfile(name);
  sheet_->ApplyProfile(name.c_str());
  sheet_->m_savedSettings = sheet_->m_workingSettings;
  EndDialog(IDOK);
}

void ProfilesDlg::OnClose() { EndDialog(IDOK); }

void ProfilesDlg::OnHelp() { sheet_->ShowHelp(kProfilesTemplate); }
