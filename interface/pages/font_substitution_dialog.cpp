#include "interface/pages/font_substitution_dialog.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "controls/page_functions.h"
#include "interface/pages/pcl_font_list.h"
#include "interface/pages/settings_sheet.h"
#include "interface/util/control_access.h"
#include "interface/util/font_list_refresh.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"
#include "platform/ui/message_box.h"

namespace {

constexpr UINT kTemplate = 143;
constexpr UINT kDownloadEntry = 8;  // "ソフトフォントとしてダウンロード"
constexpr UINT kNotSaved = 8951;
constexpr UINT kErrorCaption = 192;
constexpr int kTrueTypeList = 1040;
constexpr int kPrinterList = 1041;
constexpr int kDefaultsButton = 1176;
constexpr int kRestrictedKeep[] = {1056, kTrueTypeList, 1059, IDCANCEL};
constexpr DWORD kRefreshSubstitutionTable = 2;  // escape 56 action: the table was saved
constexpr size_t kFaceMax = sizeof(FontSubstitutionEntry::trueTypeFace) - 1;

struct FaceCollector {
  std::vector<std::string> faces;
};

int CALLBACK CollectTrueTypeFace(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type, LPARAM data) {
  auto* collector = reinterpret_cast<FaceCollector*>(data);
  const auto* ntm = reinterpret_cast<const NEWTEXTMETRICA*>(metrics);
  if (!(type & TRUETYPE_FONTTYPE) || (ntm->ntmFlags & NTM_PS_OPENTYPE)) return 1;
  const std::string face = font->lfFaceName;
  if (std::find(collector->faces.begin(), collector->faces.end(), face) == collector->faces.end())
    collector->faces.push_back(face);
  return 1;
}

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return ::SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

}  // namespace

BEGIN_MESSAGE_MAP(FontSubstitutionTableDialog, controls::CMyDialog)
ON_LBN_SELCHANGE(kTrueTypeList, OnLeftSelection)
ON_LBN_SELCHANGE(kPrinterList, OnRightSelection)
ON_BN_CLICKED(kDefaultsButton, OnDefaults)
ON_WM_DESTROY()
END_MESSAGE_MAP()

FontSubstitutionTableDialog::FontSubstitutionTableDialog(OrbaMainDlg* sheet, CWnd* parent)
    : CMyDialog(kTemplate, parent), m_sheet(sheet) {}

BOOL FontSubstitutionTableDialog::OnInitDialog() {
  CMyDialog::OnInitDialog();
  if (!m_sheet) return TRUE;
  m_settings = &m_sheet->m_workingSettings;
  m_printerName = m_sheet->m_printerName;
  m_model = GetModelRecord(m_sheet->m_printer, m_printerName.c_str(), kModelReloadWhenMissing);
  if (!m_model) return TRUE;
  m_fonts = GetPclFontList(m_sheet->m_printer, m_printerName.c_str(), m_model, m_settings);
  m_table = BuildFontSubstitutionTable(m_sheet->m_printer, m_settings->dmPrivate._nPDL, m_fonts, false);

  for (DWORD i = 0; m_fonts && i < m_fonts->count; ++i) {
    const PclFontEntry& entry = m_fonts->entries[i];
    // Fonts only in the printer's memory are gone when it is switched off.
    if (!(entry.metrics[kPclMetricsFlagsOffset] & kPclMetricsScalable) || entry.source == kPclFontMemory) continue;
    const std::string face = PclFontFace(entry);
    if (Send(m_hWnd, kPrinterList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
             reinterpret_cast<LPARAM>(face.c_str())) < 0)
      Send(m_hWnd, kPrinterList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face.c_str()));
  }
  Send(m_hWnd, kPrinterList, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(controls::LoadText(kDownloadEntry).c_str()));
  FillTrueTypeFaces();
  if (m_sheet->m_restricted)
    DisableControlsExcept(m_hWnd, kRestrictedKeep, static_cast<int>(std::size(kRestrictedKeep)));
  return TRUE;
}

std::string FontSubstitutionTableDialog::RightText(int index) {
  char text[256] = {};
  if (index >= 0) Send(m_hWnd, kPrinterList, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

int FontSubstitutionTableDialog::PartnerOf(const std::string& face) {
  if (face.empty()) return 0;
  // The whole name must match: "Times" is not "Times New".
  const int count = static_cast<int>(Send(m_hWnd, kPrinterList, LB_GETCOUNT));
  for (int i = 1; i < count; ++i)
    if (platform::EqualsNoCaseAnsi(RightText(i), face)) return i;
  return 0;
}

void FontSubstitutionTableDialog::SetLeftItem(int index, const std::string& face, int partner) {
  std::string text = face;
  if (partner > 0) text += " (" + RightText(partner) + ")";
  Send(m_hWnd, kTrueTypeList, LB_DELETESTRING, static_cast<WPARAM>(index));
  const LRESULT at =
      Send(m_hWnd, kTrueTypeList, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
  Send(m_hWnd, kTrueTypeList, LB_SETITEMDATA, static_cast<WPARAM>(at),
       static_cast<LPARAM>((static_cast<DWORD>(face.size()) << 16) | static_cast<DWORD>(partner)));
}

void FontSubstitutionTableDialog::FillTrueTypeFaces() {
  Send(m_hWnd, kTrueTypeList, LB_RESETCONTENT);
  FaceCollector collector;
  EnumPrinterFonts(nullptr, m_settings ? m_settings->dmPublic.dmPrintQuality : 600, nullptr, kEnumDisplayFonts,
                   CollectTrueTypeFace, reinterpret_cast<LPARAM>(&collector));
  for (const std::string& face : collector.faces) {
    const int substitute = FindSubstitution(face.c_str(), m_table);
    std::string partnerFace;
    if (m_fonts && substitute >= 0 && static_cast<DWORD>(substitute) < m_fonts->count)
      partnerFace = PclFontFace(m_fonts->entries[substitute]);
    const LRESULT at = Send(m_hWnd, kTrueTypeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face.c_str()));
    SetLeftItem(static_cast<int>(at), face, PartnerOf(partnerFace));
  }
  Send(m_hWnd, kTrueTypeList, LB_SETCURSEL, 0);
  OnLeftSelection();
}

void FontSubstitutionTableDialog::OnLeftSelection() {
  const LRESULT left = Send(m_hWnd, kTrueTypeList, LB_GETCURSEL);
  if (left < 0) return;
  const DWORD data = static_cast<DWORD>(Send(m_hWnd, kTrueTypeList, LB_GETITEMDATA, static_cast<WPARAM>(left)));
  Send(m_hWnd, kPrinterList, LB_SETCURSEL, data & 0xFFFF);
}

void FontSubstitutionTableDialog::OnRightSelection() {
  const LRESULT left = Send(m_hWnd, kTrueTypeList, LB_GETCURSEL);
  const LRESULT right = Send(m_hWnd, kPrinterList, LB_GETCURSEL);
  if (left < 0 || right < 0) return;
  const DWORD data = static_cast<DWORD>(Send(m_hWnd, kTrueTypeList, LB_GETITEMDATA, static_cast<WPARAM>(left)));
  if (static_cast<LRESULT>(data & 0xFFFF) == right) return;
  char text[512] = {};
  Send(m_hWnd, kTrueTypeList, LB_GETTEXT, static_cast<WPARAM>(left), reinterpret_cast<LPARAM>(text));
  const std::string face(text, std::min<size_t>(data >> 16, std::strlen(text)));
  SetLeftItem(static_cast<int>(left), face, static_cast<int>(right));
  Send(m_hWnd, kTrueTypeList, LB_SETCURSEL, static_cast<WPARAM>(left));
}

void FontSubstitutionTableDialog::OnDefaults() {
  if (!m_settings) return;
  m_table = BuildFontSubstitutionTable(m_sheet->m_printer, m_settings->dmPrivate._nPDL, m_fonts, true);
  FillTrueTypeFaces();
}

void FontSubstitutionTableDialog::OnOK() {
  if (!m_sheet || !m_settings || !m_model) return EndDialog(IDOK);
  std::vector<FontSubstitutionEntry> rows;
  bool built = true;
  try {
    const int count = static_cast<int>(Send(m_hWnd, kTrueTypeList, LB_GETCOUNT));
    for (int i = 0; i < count; ++i) {
      const DWORD data = static_cast<DWORD>(Send(m_hWnd, kTrueTypeList, LB_GETITEMDATA, static_cast<WPARAM>(i)));
      const int partner = static_cast<int>(data & 0xFFFF);
      if (partner == 0) continue;
      char text[512] = {};
      Send(m_hWnd, kTrueTypeList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      const std::string face(text, std::min<size_t>(data >> 16, std::strlen(text)));
      FontSubstitutionEntry row{};
      std::memcpy(row.trueTypeFace, face.data(), platform::CutPoint(face, kFaceMax));
      row.printerFontIndex = FindFontFace(RightText(partner).c_str(), m_fonts);
      rows.push_back(row);
    }
  } catch (const std::bad_alloc&) {
    built = false;
  }
  // A table that could not be built or stored whole leaves the stored one as it
  // was: the user is told and the dialog stays open.
  const WORD pdl = m_settings->dmPrivate._nPDL;
  if (!built || !SaveFontSubstitution(m_sheet->m_printer, rows.data(), static_cast<int>(rows.size()), pdl, m_fonts)) {
    ::MessageBoxA(m_hWnd, controls::LoadText(kNotSaved).c_str(), controls::LoadText(kErrorCaption).c_str(),
                  MB_OK | MB_ICONSTOP);
    return;
  }
  // A device context in use prints the rest of its document with the new table.
  SendFontListRefresh(kRefreshSubstitutionTable, m_printerName.c_str(), pdl);
  EndDialog(IDOK);
}

void FontSubstitutionTableDialog::OnDestroy() {
  m_table.clear();
  CMyDialog::OnDestroy();
}
