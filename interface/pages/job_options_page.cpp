#include "interface/pages/job_options_page.h"

#include <cstdio>
#include <cstring>

#include "controls/page_functions.h"
#include "interface/pages/page_helpers.h"
#include "interface/pages/settings_sheet.h"
#include "interface/util/control_access.h"
#include "interface/util/library_folder.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"

using namespace pages;

namespace {

constexpr UINT kTemplate = 124;
constexpr UINT kTabIcon = 134;
constexpr UINT kTabTitle = 45;
constexpr UINT kHardCopy = 3, kMacroFile = 58, kCannotLoad = 195, kOutOfMemory = 160, kErrorCode = 161,
               kErrorCaption = 192;

constexpr int kOutput = 1081, kOutputLabel = 1177, kAccount = 1112, kAccountLabel = 1307, kNote = 1452,
              kNoteLabel = 1308, kMacros = 1178, kMacrosLabel = 428, kMacroGroup = 429, kInstaller = 1157,
              kBackground = 1716, kBanner = 1461;

constexpr WORD kOutputPrint = 1, kOutputMacro = 5;
constexpr WORD kTrueTypeAsGraphics = 2;
constexpr WORD kPcl5Bits = 0x8 | 0x80;
constexpr int kMacroKind = 32;
constexpr DWORD kInstallerFullAccess = 14, kInstallerShared = 0x10, kInstallerFromDriver = 0x40;
constexpr DWORD kPrinterAttributeShared = 0x40;
constexpr size_t kTextField = 32;

using EnterInstallerFunction = int (*)(HWND, LPCSTR, void*, int, DWORD);

// The list's entries as the installer library's store gives them.
class MacroCombo : public MacroListView {
 public:
  MacroCombo(HWND combo, std::vector<MacroChoice>& choices) : combo_(combo), choices_(choices) {}
  void Clear() override {
    ::SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    choices_.clear();
  }
  void Add(const std::string& text, const MacroChoice& choice) override {
    const LRESULT index = ::SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) return;
    ::SendMessageA(combo_, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(choices_.size()));
    choices_.push_back(choice);
  }
  void Select(const std::string& text) override {
    const LRESULT index =
        ::SendMessageA(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }

 private:
  HWND combo_;
  std::vector<MacroChoice>& choices_;
};

void StoreText(char (&field)[kTextField], const std::string& text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), kTextField - 1));
}

std::string FieldText(const char (&field)[kTextField]) { return std::string(field, strnlen(field, kTextField)); }

void ShowLoadError(CWnd* owner, DWORD code) {
  std::string text = controls::LoadText(kCannotLoad) + " ";
  if (code == ERROR_NOT_ENOUGH_MEMORY) {
    text += controls::LoadText(kOutOfMemory);
  } else {
    char number[128];
    std::snprintf(number, sizeof number, controls::LoadText(kErrorCode).c_str(), static_cast<int>(code));
    text += number;
  }
  ::MessageBoxA(owner ? owner->m_hWnd : 0, text.c_str(), controls::LoadText(kErrorCaption).c_str(), MB_ICONERROR);
}

}  // namespace

void RunMacroInstaller(CWnd* owner, const char* printerName, char* portName, DWORD flags) {
  // Only the installer beside this library: a bare name could load any library of that name.
  const std::string folder = LibraryFolder();
  HMODULE installer = folder.empty() ? 0 : LoadLibraryA((folder + "kovpcl32d5.dll").c_str());
  if (folder.empty()) SetLastError(ERROR_MOD_NOT_FOUND);
  if (!installer) {
    ShowLoadError(owner, GetLastError());
    return;
  }
  auto enter = reinterpret_cast<EnterInstallerFunction>(GetProcAddress(installer, "EnterInstaller"));
  if (!enter) {
    const DWORD code = GetLastError();
    FreeLibrary(installer);
    ShowLoadError(owner, code);
    return;
  }
  enter(owner ? owner->m_hWnd : 0, printerName, portName, kMacroKind, flags);
  FreeLibrary(installer);
}

BEGIN_MESSAGE_MAP(JobOptionsDlg, controls::DP_ListBoxTabDialogItem)
ON_CONTROL(CBN_SELCHANGE, kOutput, OnOutputDestination)
ON_CONTROL(EN_CHANGE, kAccount, OnAccount)
ON_CONTROL(EN_CHANGE, kNote, OnNote)
ON_BN_CLICKED(kInstaller, OnMacroInstaller)
ON_CONTROL(CBN_SELCHANGE, kMacros, OnMacro)
ON_BN_CLICKED(kBanner, OnBanner)
ON_BN_CLICKED(kBackground, OnBackground)
END_MESSAGE_MAP()

JobOptionsDlg::JobOptionsDlg() : DP_ListBoxTabDialogItem(kTemplate) {}

void JobOptionsDlg::DescribeTab() { SetTabInfo(kTabIcon, controls::LoadText(kTabTitle)); }

BOOL JobOptionsDlg::OnInitDialog() {
  DP_ListBoxTabDialogItem::OnInitDialog();
  m_account.SubclassDlgItem(kAccount, this);
  m_note.SubclassDlgItem(kNote, this);
  if (OrbaMainDlg* sheet = SheetOfPage(this))
    m_fullAccess = HasFullPrinterAccess(sheet->m_printerName.c_str()) ? TRUE : FALSE;
  UpdateControls();
  return TRUE;
}

void JobOptionsDlg::SetEditText(int id, const std::string& text) {
  filling_ = true;
  SetItemText(this, id, text);
  filling_ = false;
}

void JobOptionsDlg::FillMacroList() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  MacroCombo view(::GetDlgItem(m_hWnd, kMacros), macros_);
  LoadMacroList(SheetPrinter(this), view, s);
}

void JobOptionsDlg::EnableBannerTexts() {
  XDEVMODE* s = WorkingSettings(this);
  ModelRecord* model = SheetModel(this);
  if (!s || !model) return;
  const bool banner = s->dmPrivate._epBanner.on != 0;
  if (model->optionWord & kFeatureUserNameChargeCode) EnableItems(this, {kAccount, kAccountLabel}, banner);
  if (model->optionWord & kFeatureNote) EnableItems(this, {kNote, kNoteLabel}, banner);
}

void JobOptionsDlg::UpdateControls() {
  XDEVMODE* working = WorkingSettings(this);
  ModelRecord* model = SheetModel(this);
  if (!working || !model) return;
  XDEVMODE& s = *working;
  XDEVMODE_PRIVATE& p = s.dmPrivate;

  ComboEntries outputs{{controls::LoadText(kHardCopy), kOutputPrint}};
  if (!IsPostScriptJob(s) && (p._nPDL & kPcl5Bits)) outputs.emplace_back(controls::LoadText(kMacroFile), kOutputMacro);
  FillCombo(this, kOutput, outputs);
  p._nOutputDest = static_cast<WORD>(SelectComboData(this, kOutput, p._nOutputDest));

  CheckItem(this, kBanner, p._epBanner.on != 0);
  EnableItem(this, kBanner, !(p._dwAdvSettings & kAdvEmfSpooling));

  const bool account = (model->optionWord & kFeatureUserNameChargeCode) != 0;
  ShowItems(this, {kAccount, kAccountLabel}, account);
  if (account) {
    LimitItemText(this, kAccount, kTextField - 1);
    SetEditText(kAccount, FieldText(p._sAccount));
  }
  const bool note = (model->optionWord & kFeatureNote) != 0;
  ShowItems(this, {kNote, kNoteLabel}, note);
  if (note) {
    LimitItemText(this, kNote, kTextField - 1);
    SetEditText(kNote, FieldText(p._sNote));
  }
  EnableBannerTexts();

  const bool pcl5 = IsPcl5Job(s);
  ShowItems(this, {kInstaller, kMacrosLabel, kMacroGroup, kMacros, kBackground, kOutputLabel, kOutput}, pcl5);
  if (pcl5) {
    FillMacroList();
    CheckItem(this, kBackground, p._bMacroBackground != 0);
  }
  FinishRefresh(this, {}, true);
}

void JobOptionsDlg::OnOutputDestination() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  s->dmPrivate._nOutputDest = static_cast<WORD>(SelectedComboData(this, kOutput, s->dmPrivate._nOutputDest));
  // A macro file keeps TrueType text as graphics: the macro holds no downloaded fonts.
  if (s->dmPrivate._nOutputDest == kOutputMacro)
    s->dmPrivate._nTrueTypeMode = s->dmPublic.dmTTOption = kTrueTypeAsGraphics;
  UpdateControls();
}

void JobOptionsDlg::OnAccount() {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  StoreText(s->dmPrivate._sAccount, ItemText(this, kAccount));
  SettingsChanged(this);
}

void JobOptionsDlg::OnNote() {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  StoreText(s->dmPrivate._sNote, ItemText(this, kNote));
  SettingsChanged(this);
}

void JobOptionsDlg::OnMacroInstaller() {
  XDEVMODE* s = WorkingSettings(this);
  OrbaMainDlg* sheet = SheetOfPage(this);
  if (!s || !sheet) return;
  DWORD flags = m_fullAccess ? kInstallerFullAccess : 0;
  if (s->dmPrivate._dwPrinterAttributes & kPrinterAttributeShared) flags |= kInstallerShared;
  flags |= kInstallerFromDriver;
  RunMacroInstaller(this, sheet->m_printerName.c_str(), s->dmPrivate._sPortName, flags);
  // The installer may have added or removed macros.
  FillMacroList();
  SettingsChanged(this);
}

void JobOptionsDlg::OnMacro() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  const size_t entry = SelectedComboData(this, kMacros, static_cast<DWORD_PTR>(-1));
  if (entry >= macros_.size()) return;
  const MacroChoice& choice = macros_[entry];
  XDEVMODE_PRIVATE& p = s->dmPrivate;
  StoreText(p._sMacroName, FieldText(choice.name));
  p._lMacroId = static_cast<DWORD>(choice.id);
  p._nMacroLocation = static_cast<DWORD>(choice.location);
  SettingsChanged(this);
}

void JobOptionsDlg::OnBanner() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._epBanner.on = IsItemChecked(this, kBanner) ? 1 : 0;
    EnableBannerTexts();
    SettingsChanged(this);
  }
}

void JobOptionsDlg::OnBackground() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._bMacroBackground = IsItemChecked(this, kBackground) ? 1 : 0;
    UpdateControls();
  }
}
