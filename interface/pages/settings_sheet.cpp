#include "interface/pages/settings_sheet.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "interface/app/library_state.h"
#include "interface/devmode/printer_port.h"
#include "interface/devmode/validate_merge.h"
#include "interface/pages/advanced_page.h"
#include "interface/pages/document_page.h"
#include "interface/pages/fonts_page.h"
#include "interface/pages/general_page.h"
#include "interface/pages/image_page.h"
#include "interface/pages/job_options_page.h"
#include "interface/pages/profiles_dialog.h"
#include "interface/pages/watermark_page.h"
#include "interface/records/printer_info.h"
#include "interface/records/section_keys.h"
#include "interface/util/context_help.h"
#include "interface/util/resource_text.h"
#include "interface/util/text_conversion.h"
#include "model/installed_options.h"
#include "model/model_cache.h"
#include "model/paper_defaults.h"
#include "platform/base/debug.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr int kProfileCombo = 1490;
constexpr int kProfilesButton = 4;
constexpr int kHelpButton = 9;
constexpr UINT kSheetTemplate = 129;
constexpr UINT kTitleFormat = 120;  // "%s on %s"
constexpr UINT kMacroOutput = 58;   // "PCL マクロ"
constexpr WORD kOutputToMacroFile = 5;
constexpr DWORD kRawOnly = 0x1000;  // PRINTER_ATTRIBUTE_RAW_ONLY
constexpr DWORD kHelpFileBytes = 260;
constexpr const char* kDriverHelpName = "mTRQ50";

std::string LoadString(UINT id) {
  char text[256] = {};
  LoadResString(id, text, sizeof text);
  return text;
}

std::string PrinterNameOf(const XDEVMODE& settings) {
  char name[520] = {};
  WideToAnsi(name, settings.dmPrivate._wsPrinterName, sizeof name);
  return name;
}

// Whether the installed options or the installed memory differ between two records.
bool InstalledOptionsDiffer(const ModelRecord& a, const ModelRecord& b) {
  return std::memcmp(a.options, b.options, sizeof a.options) != 0 || a.installedMemory != b.installedMemory;
}

}  // namespace

BEGIN_MESSAGE_MAP(OrbaMainDlg, controls::DP_ListBoxTabDialog)
ON_BN_CLICKED(kHelpButton, OnHelp)
ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
ON_BN_CLICKED(kProfilesButton, OnProfiles)
ON_CONTROL(CBN_SELCHANGE, kProfileCombo, OnProfileChange)
ON_BN_CLICKED(IDOK, OnOKButton)
END_MESSAGE_MAP()

OrbaMainDlg::OrbaMainDlg(CWnd* parent, HANDLE printer, BOOL documentMode)
    : DP_ListBoxTabDialog(kSheetTemplate, parent), m_printer(printer), m_documentMode(documentMode) {}

OrbaMainDlg::~OrbaMainDlg() {
  FreePageBuffers();
  delete[] m_watermarks;
}

void OrbaMainDlg::FreePageBuffers() {
  std::free(m_pageBuffer1);
  std::free(m_pageBuffer2);
  m_pageBuffer1 = m_pageBuffer2 = nullptr;
}

void OrbaMainDlg::DoDataExchange(CDataExchange* exchange) {
  DP_ListBoxTabDialog::DoDataExchange(exchange);
  if (!m_profileCombo.m_hWnd) m_profileCombo.SubclassDlgItem(kProfileCombo, this);
}

BOOL OrbaMainDlg::OnInitDialog() {
  DP_ListBoxTabDialog::OnInitDialog();
  DoDataExchange(nullptr);
  const int show = m_documentMode ? SW_SHOW : SW_HIDE;
  ::ShowWindow(::GetDlgItem(m_hWnd, kProfilesButton), show);
  ::ShowWindow(::GetDlgItem(m_hWnd, kProfileCombo), show);

  const std::string port(
      m_workingSettings.dmPrivate._sPortName,
      strnlen(m_workingSettings.dmPrivate._sPortName, sizeof m_workingSettings.dmPrivate._sPortName));
  char title[600] = {};
  std::snprintf(title, sizeof title, LoadString(kTitleFormat).c_str(), m_printerName.c_str(), port.c_str());
  std::string text = title;
  if (m_workingSettings.dmPrivate._nOutputDest == kOutputToMacroFile && !IsPostScriptJob(m_workingSettings))
    text += " (" + LoadString(kMacroOutput) + ")";
  SetWindowText(text);

  FillProfileCombo();
  return TRUE;
}

int OrbaMainDlg::LoadProfileNames() {
  return ::LoadProfileNames(m_printer, m_printerName.c_str(), &m_workingSettings, m_profileNames);
}

void OrbaMainDlg::FillProfileCombo() {
  LoadProfileNames();
  m_profileCombo.SendMessage(CB_RESETCONTENT);
  int selected = -1;
  for (size_t i = 0; i < m_profileNames.size(); ++i) {
    const int index =
        static_cast<int>(m_profileCombo.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_profileNames[i].text)));
    m_profileCombo.SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(i));
    if (!m_selectedProfile.empty() && m_selectedProfile == m_profileNames[i].text) selected = index;
  }
  if (selected < 0) m_selectedProfile.clear();
  m_profileCombo.SetCurSel(selected);
}

void OrbaMainDlg::UpdateProfileSelection() {
  if (std::memcmp(&m_workingSettings, &m_savedSettings, sizeof m_workingSettings) == 0) {
    const int index =
        m_selectedProfile.empty()
            ? -1
            : static_cast<int>(m_profileCombo.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                          reinterpret_cast<LPARAM>(m_selectedProfile.c_str())));
    m_profileCombo.SetCurSel(index < 0 ? -1 : index);
  } else {
    m_profileCombo.SetCurSel(-1);
    m_selectedProfile.clear();
  }
}

bool OrbaMainDlg::ApplyProfile(const char* name) {
  ModelRecord* record = GetModelRecord(m_printer, m_printerName.c_str(), kModelReloadWhenMissing);
  if (!record) return false;
  if (!LoadProfile(m_printer, m_printerName.c_str(), name, &m_savedSettings)) return false;
  ValidateMergeDevmode(m_printer, &m_workingSettings, &m_savedSettings.dmPublic, record);
  StoreCustomPaper(&m_workingSettings, record);
  return true;
}

void OrbaMainDlg::OnProfileChange() {
  m_savedSettings = m_workingSettings;
  const int index = m_profileCombo.GetCurSel();
  if (index < 0) return;
  const size_t entry = m_profileCombo.GetItemData(index);
  if (entry >= m_profileNames.size()) return;
  m_selectedProfile = m_profileNames[entry].text;
  ApplyProfile(m_selectedProfile.c_str());
  m_savedSettings = m_workingSettings;
  if (GetCurrentPage()) GetCurrentPage()->UpdateControls();
  UpdateProfileSelection();
}

void OrbaMainDlg::OnProfiles() {
  ProfilesDlg dialog(this);
  if (dialog.DoModal() != IDOK) return;
  FillProfileCombo();
  if (GetCurrentPage()) GetCurrentPage()->UpdateControls();
  m_savedSettings = m_workingSettings;
  UpdateProfileSelection();
}

void OrbaMainDlg::ShowHelp(UINT topic) {
  std::optional<std::string> file =
      records::ReadSettingText(m_printer, kStoreModelDescription, "General", "HelpFile", kHelpFileBytes);
  if (!file || file->empty()) {
    char fallback[MAX_PATH] = {};
    std::snprintf(fallback, sizeof fallback, "%s.hlp", kDriverHelpName);
    file = fallback;
  }
  ShowContextHelp(file->c_str(), topic);
}

void OrbaMainDlg::OnHelp() {
  if (controls::DP_ListBoxTabDialogItem* page = GetCurrentPage()) ShowHelp(page->GetTemplateId());
}

LRESULT OrbaMainDlg::OnCommandHelp(WPARAM, LPARAM) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "  %d  ", ::GetDlgCtrlID(::GetFocus()));
  OutputDebugStringA(text);
  return 1;
}

void OrbaMainDlg::OnOK() {
  FreePageBuffers();
  EndDialog(IDOK);
}

void OrbaMainDlg::OnCancel() {
  FreePageBuffers();
  EndDialog(IDCANCEL);
}

OrbaMainDlg* SheetOfPage(controls::DP_ListBoxTabDialogItem* page) {
  return page ? dynamic_cast<OrbaMainDlg*>(page->m_owner) : nullptr;
}

namespace {

// Turning EMF spooling on needs a printer that is not limited to raw data; when
// the printer cannot be changed the settings go out with EMF spooling off.
void AllowEmfSpooling(HANDLE printer, XDEVMODE* settings) {
  if (!(settings->dmPrivate._dwAdvSettings & kAdvEmfSpooling)) return;
  BYTE* info = GetPrinterInfo(printer, 4);
  if (!info) return;
  auto* level4 = reinterpret_cast<PRINTER_INFO_4A*>(info);
  if (level4->Attributes & kRawOnly) {
    level4->Attributes &= ~kRawOnly;
    if (SetPrinterA(printer, 4, info, 0)) {
      settings->dmPrivate._dwPrinterAttributes = level4->Attributes;
    } else {
      settings->dmPrivate._dwAdvSettings &= ~kAdvEmfSpooling;
      settings->dmPrivate._dwPrinterAttributes |= kRawOnly;
    }
  }
  FreePrinterInfo(info);
}

}  // namespace

int RunPropertiesSheet(HANDLE printer, HWND parent, const XDEVMODE* input, XDEVMODE* output, BOOL restricted,
                       BOOL documentMode) {
  if (!input || !output) return 0;
  // The caller's settings, kept apart: input and output may be one buffer.
  auto original = std::make_unique<XDEVMODE>(*input);
  const std::string printerName = PrinterNameOf(*original);
  // Every page reads the printer's model: without it there is no sheet to show.
  ModelRecord* record = GetModelRecord(printer, printerName.c_str(), kModelReloadWhenMissing);
  if (!record) {
    *output = *original;
    return 0;
  }
  auto snapshot = std::make_unique<ModelRecord>(*record);

  const HINSTANCE previousResources = AfxGetResourceHandle();
  if (LibraryInstance()) AfxSetResourceHandle(LibraryInstance());

  auto dialog = std::make_unique<OrbaMainDlg>(CWnd::FromHandle(parent), printer, documentMode);
  dialog->m_restricted = restricted ? TRUE : FALSE;
  dialog->m_workingSettings = *original;
  dialog->m_printerName = printerName;
  char* section = dialog->m_workingSettings.dmPrivate._sInsertSheets;
  std::memset(section, 0, sizeof dialog->m_workingSettings.dmPrivate._sInsertSheets);
  std::strcpy(section, "InsertSheets");
  GetPrinterPortName(printer, &dialog->m_workingSettings);

  if (documentMode) {
    dialog->AddPage(new DocDlg, TRUE);
    dialog->AddPage(new JobOptionsDlg, TRUE);
    dialog->AddPage(new WmarkDlg, TRUE);
    dialog->AddPage(new FontDlg, TRUE);
    dialog->AddPage(new ImageDlg, TRUE);
    dialog->AddPage(new AdvancedDlg, TRUE);
  }
  dialog->AddPage(new GeneralDlg, TRUE);

  int result = 0;
  if (dialog->DoModal() == IDOK) {
    if (documentMode) {
      if (dialog->m_watermarks) SaveWatermarks(printer, dialog->m_watermarks, dialog->m_watermarkCount);
      AllowEmfSpooling(printer, &dialog->m_workingSettings);
    }
    *output = dialog->m_workingSettings;
    result = 1;
  } else {
    *output = *original;
    // The custom paper is edited in the cached record while the sheet is open.
    ModelRecord* live = GetModelRecord(printer, printerName.c_str(), kModelReloadWhenMissing);
    const int custom = dialog->m_workingSettings.dmPrivate._nCustomPaperIndex;
    if (live && custom >= 0 && custom < kModelMaxPapers && live->papers[custom].id != 0)
      live->papers[custom] = snapshot->papers[custom];
    // Printer data is written back only when the sheet itself changed the installed
    // options: another writer's change made meanwhile must survive a Cancel.
    if (live && InstalledOptionsDiffer(*live, *snapshot))
      SaveInstalledOptions(LibrarySettings(), printer, snapshot.get());
  }

  if (parent) ::SetFocus(parent);
  dialog.reset();
  AfxSetResourceHandle(previousResources);
  return result;
}
