#include "interface/pages/fonts_page.h"

#include <algorithm>
#include <iterator>

#include "controls/page_functions.h"
#include "interface/pages/font_substitution_dialog.h"
#include "interface/pages/settings_sheet.h"
#include "interface/util/control_access.h"
#include "model/model_cache.h"
#include "platform/gdi/drawing.h"

namespace {

constexpr UINT kTemplate = 126;
constexpr UINT kTabIcon = 111;
constexpr UINT kTabTitle = 46;
constexpr UINT kUseTable = 19, kAlwaysTrueType = 20, kAlwaysPrinterFonts = 21;
constexpr UINT kBitmap = 33, kScalable = 34;
constexpr WORD kModeTable = 3, kModeTrueType = 2, kModePrinterFonts = 0;
constexpr int kModeCombo = 1149;
constexpr int kEditTable = 1152;
constexpr int kDownloadCombo = 1154;
constexpr int kInstaller = 1156;
constexpr int kCartridge = 1180;
constexpr int kHiddenList = 1179;
constexpr int kMinimumSize = 1167;
constexpr DWORD kPrinterFontsAllowed = 0x40;

void AddEntry(HWND combo, UINT textId, DWORD data) {
  const LRESULT index =
      ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(controls::LoadText(textId).c_str()));
  ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
}

// Selects the entry of the value; when the value is not offered, the first entry,
// whose value the settings then take, so that what is shown is what prints.
WORD SelectValue(HWND combo, WORD value) {
  if (controls::SelectComboByItemData(combo, value)) return value;
  return static_cast<WORD>(::SendMessageA(combo, CB_GETITEMDATA, 0, 0));
}

}  // namespace

BEGIN_MESSAGE_MAP(FontDlg, controls::DP_ListBoxTabDialogItem)
ON_CONTROL(CBN_SELCHANGE, kModeCombo, OnTrueTypeMode)
ON_CONTROL(CBN_SELCHANGE, kDownloadCombo, OnDownloadFormat)
ON_BN_CLICKED(kEditTable, OnEditTable)
ON_BN_CLICKED(kInstaller, OnInstaller)
END_MESSAGE_MAP()

FontDlg::FontDlg() : DP_ListBoxTabDialogItem(kTemplate) {}

void FontDlg::DescribeTab() { SetTabInfo(kTabIcon, controls::LoadText(kTabTitle)); }

BOOL FontDlg::OnInitDialog() {
  DP_ListBoxTabDialogItem::OnInitDialog();
  m_spins[0].AttachInteger(1139, 1, kMinimumSize, 1, 100, 1, this);
  m_spins[1].AttachInteger(1140, 0, kMinimumSize, 1, 100, 1, this);
  UpdateControls();
  return TRUE;
}

void FontDlg::UpdateControls() {
  OrbaMainDlg* sheet = SheetOfPage(this);
  if (!sheet) return;
  XDEVMODE& settings = sheet->m_workingSettings;
  const bool printerFonts = settings.dmPrivate._dwPrinterAttributes & kPrinterFontsAllowed;

  HWND mode = ::GetDlgItem(m_hWnd, kModeCombo);
  ::SendMessageA(mode, CB_RESETCONTENT, 0, 0);
  AddEntry(mode, kUseTable, kModeTable);
  AddEntry(mode, kAlwaysTrueType, kModeTrueType);
  if (printerFonts) AddEntry(mode, kAlwaysPrinterFonts, kModePrinterFonts);
  const WORD shownMode = SelectValue(mode, settings.dmPrivate._nTrueTypeMode);
  settings.dmPrivate._nTrueTypeMode = shownMode;
  settings.dmPublic.dmTTOption = static_cast<SHORT>(shownMode);

  RASTERIZER_STATUS rasterizer{};
  const bool trueType = GetRasterizerCaps(&rasterizer, sizeof rasterizer) && (rasterizer.wFlags & TT_AVAILABLE);
  ::EnableWindow(::GetDlgItem(m_hWnd, kEditTable), trueType && printerFonts);

  HWND download = ::GetDlgItem(m_hWnd, kDownloadCombo);
  ::SendMessageA(download, CB_RESETCONTENT, 0, 0);
  AddEntry(download, kBitmap, 0);
  if (!(settings.dmPrivate._nPDL & kPdlPclFamilyMask)) AddEntry(download, kScalable, 1);
  settings.dmPrivate._nTrueTypeDownload = SelectValue(download, settings.dmPrivate._nTrueTypeDownload);

  for (int id : {kInstaller, kCartridge, kHiddenList}) ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);
  if (sheet->m_restricted) {
    static constexpr int kKeep[] = {kEditTable, kInstaller};
    DisableControlsExcept(m_hWnd, kKeep, static_cast<int>(std::size(kKeep)));
  }
  sheet->UpdateProfileSelection();
  controls::HideModelControls(this,
                              GetModelRecord(sheet->m_printer, sheet->m_printerName.c_str(), kModelReloadWhenMissing));
}

void FontDlg::OnTrueTypeMode() {
  OrbaMainDlg* sheet = SheetOfPage(this);
  HWND combo = ::GetDlgItem(m_hWnd, kModeCombo);
  const LRESULT index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (sheet && index >= 0) {
    const WORD value = static_cast<WORD>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    sheet->m_workingSettings.dmPrivate._nTrueTypeMode = value;
    sheet->m_workingSettings.dmPublic.dmTTOption = static_cast<SHORT>(value);
  }
  if (sheet) sheet->UpdateProfileSelection();
}

void FontDlg::OnDownloadFormat() {
  OrbaMainDlg* sheet = SheetOfPage(this);
  HWND combo = ::GetDlgItem(m_hWnd, kDownloadCombo);
  const LRESULT index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (sheet && index >= 0)
    sheet->m_workingSettings.dmPrivate._nTrueTypeDownload =
        static_cast<WORD>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
  if (sheet) sheet->UpdateProfileSelection();
}

void FontDlg::OnEditTable() {
  OrbaMainDlg* sheet = SheetOfPage(this);
  FontSubstitutionTableDialog dialog(sheet, sheet);
  dialog.DoModal();
}
