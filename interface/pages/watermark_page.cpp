#include "interface/pages/watermark_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "controls/page_functions.h"
#include "interface/pages/pcl_font_list.h"
#include "interface/pages/settings_sheet.h"
#include "interface/pages/watermark_values.h"
#include "interface/records/record_fields.h"
#include "interface/util/control_access.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"
#include "platform/gdi/drawing.h"
#include "platform/gdi/screen.h"
#include "platform/ui/message_box.h"

namespace {

constexpr UINT kTemplate = 138;
constexpr UINT kTabIcon = 136;
constexpr UINT kTabTitle = 48;
constexpr UINT kNewWatermark = 147;  // "<新規>"
constexpr UINT kNoneEntry = 14;      // "[なし]"
constexpr UINT kRegular = 256, kBold = 257, kItalic = 258, kBoldItalic = 259;
constexpr UINT kNameTaken = 8950;
constexpr UINT kErrorCaption = 192;

enum : int {
  kFirstPageOnly = 1131,
  kBackground = 1188,
  kAdd = 1161,
  kDelete = 1047,
  kList = 1155,
  kListLabel = 1175,
  kText = 1159,
  kFace = 1147,
  kStyle = 1153,
  kSize = 1713,
  kAngle = 1168,
  kShade = 1172,
  kOutline = 1191,
  kPreview = 1712,
  kCentred = 1701,
  kRelative = 1702,
  kXOffset = 1703,
  kYOffset = 1707,
};

constexpr int kEditingControls[] = {1121,   kText, 1125, kFace, 1134,   kStyle, 1128, kSize,    1714,      1715,   1170,
                                    kAngle, 1163,  1165, 1171,  kShade, 1173,   1174, kCentred, kRelative, kDelete};
constexpr int kPositionControls[] = {1704, kXOffset, 1705, 1706, 1708, kYOffset, 1709, 1710, 1711};
// What stays usable in restricted mode: choosing and editing watermarks, not
// how they print.
constexpr int kRestrictedKeep[] = {1175, 1155, 1161, 1047, 1121, 1159, 1125, 1147, 1134, 1153,
                                   1128, 1713, 1170, 1168, 1171, 1172, 1163, 1165, 1173, 1174,
                                   1712, 1704, 1703, 1705, 1706, 1708, 1707, 1709, 1710, 1711};
constexpr UINT kMaxTextBytes = 31;

void CopyField(char* field, size_t size, const std::string& text, size_t limit) {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), platform::CutPoint(text, std::min(limit, size - 1)));
}

void Enable(HWND page, int id, bool enable) { ::EnableWindow(::GetDlgItem(page, id), enable ? TRUE : FALSE); }

// Tells the user that another watermark already has the name.
void NameTaken(HWND page, const std::string& text) {
  char message[512] = {};
  std::snprintf(message, sizeof message, controls::LoadText(kNameTaken).c_str(), text.c_str());
  ::MessageBoxA(page, message, controls::LoadText(kErrorCaption).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

// The two position radios: exactly one of them checked.
void CheckPosition(HWND page, int chosen) {
  for (int id : {kCentred, kRelative}) ::CheckDlgButton(page, id, id == chosen ? BST_CHECKED : BST_UNCHECKED);
}

int ItemIndex(DWORD_PTR data) { return static_cast<int>(static_cast<LONG_PTR>(data)); }

// Enumeration of a face's styles into the style combo.
struct StyleFill {
  HWND combo;
  DWORD lastType = 0;
  bool psOpenType = false;
};

void InsertStyle(HWND combo, const std::string& text, DWORD code, WORD weight) {
  if (::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())) >= 0)
    return;
  const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
  int at = count;
  for (int i = 0; i < count; ++i) {
    const DWORD other = static_cast<DWORD>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) & 0xFFFF;
    if ((other & 0xF) > (code & 0xF)) {
      at = i;
      break;
    }
  }
  const LRESULT index =
      ::SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text.c_str()));
  if (index >= 0)
    ::SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index),
                   static_cast<LPARAM>((static_cast<DWORD>(weight) << 16) | code));
}

int CALLBACK AddStyle(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type, LPARAM data) {
  auto* fill = reinterpret_cast<StyleFill*>(data);
  const auto* ntm = reinterpret_cast<const NEWTEXTMETRICA*>(metrics);
  fill->lastType = type;
  fill->psOpenType = (ntm->ntmFlags & NTM_PS_OPENTYPE) != 0;
  switch (font->lfCharSet) {
    case SHIFTJIS_CHARSET:
    case HANGUL_CHARSET:
    case 130:  // Johab
    case GB2312_CHARSET:
    case CHINESEBIG5_CHARSET:
      // Faces of these scripts are drawn bold and italic by the system.
      InsertStyle(fill->combo, controls::LoadText(kRegular), 0, FW_NORMAL);
      InsertStyle(fill->combo, controls::LoadText(kBold), 0x101, FW_BOLD);
      InsertStyle(fill->combo, controls::LoadText(kItalic), 0x202, FW_NORMAL);
      InsertStyle(fill->combo, controls::LoadText(kBoldItalic), 0x303, FW_BOLD);
      return 1;
    default: break;
  }
  const DWORD flags = ntm->ntmFlags;
  const DWORD italic = font->lfItalic ? 0x200 : 0;
  const WORD weight = static_cast<WORD>(font->lfWeight);
  if (flags & NTM_REGULAR)
    InsertStyle(fill->combo, controls::LoadText(kRegular), 0 | italic, weight);
  else if ((flags & NTM_BOLD) && (flags & NTM_ITALIC))
    InsertStyle(fill->combo, controls::LoadText(kBoldItalic), 3 | italic, weight);
  else if (flags & NTM_BOLD)
    InsertStyle(fill->combo, controls::LoadText(kBold), 1 | italic, weight);
  else
    InsertStyle(fill->combo, controls::LoadText(kItalic), 2 | italic, weight);
  return 1;
}

int CALLBACK AddFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM data) {
  HWND combo = static_cast<HWND>(data);
  if (!(type & (DEVICE_FONTTYPE | TRUETYPE_FONTTYPE))) return 1;
  if (::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(font->lfFaceName)) <
      0)
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
  return 1;
}

}  // namespace

BEGIN_MESSAGE_MAP(WmarkDlg, controls::DP_ListBoxTabDialogItem)
ON_LBN_SELCHANGE(kList, OnListSelection)
ON_BN_CLICKED(kAdd, OnAdd)
ON_BN_CLICKED(kDelete, OnDelete)
ON_CONTROL(EN_CHANGE, kText, OnTextChange)
ON_CONTROL(EN_KILLFOCUS, kText, OnTextFocusLost)
ON_CONTROL(CBN_SELCHANGE, kFace, OnFaceChange)
ON_CONTROL(CBN_SELCHANGE, kStyle, OnStyleChange)
ON_CONTROL(EN_CHANGE, kSize, OnSizeChange)
ON_CONTROL(EN_KILLFOCUS, kSize, OnSizeFocusLost)
ON_CONTROL(EN_CHANGE, kAngle, OnAngleChange)
ON_CONTROL(EN_CHANGE, kShade, OnShadeChange)
ON_BN_CLICKED(kFirstPageOnly, OnFirstPageOnly)
ON_BN_CLICKED(kBackground, OnBackground)
ON_BN_CLICKED(kOutline, OnOutline)
ON_BN_CLICKED(kCentred, OnCentred)
ON_BN_CLICKED(kRelative, OnRelative)
ON_CONTROL(EN_CHANGE, kXOffset, OnXOffsetChange)
ON_CONTROL(EN_CHANGE, kYOffset, OnYOffsetChange)
ON_CONTROL(EN_KILLFOCUS, kXOffset, OnXOffsetFocusLost)
ON_CONTROL(EN_KILLFOCUS, kYOffset, OnYOffsetFocusLost)
ON_WM_DESTROY()
ON_WM_PAINT()
END_MESSAGE_MAP()

WmarkDlg::WmarkDlg() : DP_ListBoxTabDialogItem(kTemplate) {}

void WmarkDlg::DescribeTab() { SetTabInfo(kTabIcon, controls::LoadText(kTabTitle)); }

OrbaMainDlg* WmarkDlg::Sheet() { return SheetOfPage(this); }

XDEVMODE* WmarkDlg::Settings() {
  OrbaMainDlg* sheet = Sheet();
  return sheet ? &sheet->m_workingSettings : nullptr;
}

bool WmarkDlg::PostScriptJob() { return Settings() && IsPostScriptJob(*Settings()); }

bool WmarkDlg::Restricted() { return Sheet() && Sheet()->m_restricted; }

WatermarkRecord* WmarkDlg::CurrentRecord() {
  OrbaMainDlg* sheet = Sheet();
  if (!sheet || m_current < 0 || m_current >= sheet->m_watermarkCount || !sheet->m_watermarks) return nullptr;
  return &sheet->m_watermarks[m_current];
}

void WmarkDlg::DoDataExchange(CDataExchange* exchange) {
  DP_ListBoxTabDialogItem::DoDataExchange(exchange);
  if (!m_angleEdit.m_hWnd) m_angleEdit.SubclassDlgItem(kAngle, this);
  if (!m_shadeEdit.m_hWnd) m_shadeEdit.SubclassDlgItem(kShade, this);
  if (!m_list.m_hWnd) m_list.SubclassDlgItem(kList, this);
}

void WmarkDlg::SetText(int id, const std::string& text) {
  const bool was = std::exchange(filling_, true);
  ::SetDlgItemTextA(m_hWnd, id, text.c_str());
  filling_ = was;
}

std::string WmarkDlg::Text(int id) {
  char text[256] = {};
  ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
  return text;
}

BOOL WmarkDlg::OnInitDialog() {
  DP_ListBoxTabDialogItem::OnInitDialog();
  DoDataExchange(nullptr);
  m_spins[0].AttachInteger(1163, 1, kAngle, 0, kWatermarkAngleMax, 1, this);
  m_spins[1].AttachInteger(1165, 0, kAngle, 0, kWatermarkAngleMax, 1, this);
  m_spins[2].AttachInteger(1173, 1, kShade, 0, kWatermarkShadeMax, 1, this);
  m_spins[3].AttachInteger(1174, 0, kShade, 0, kWatermarkShadeMax, 1, this);
  m_spins[4].AttachInteger(1714, 1, kSize, kWatermarkSizeMin, kWatermarkSizeMax, 1, this);
  m_spins[5].AttachInteger(1715, 0, kSize, kWatermarkSizeMin, kWatermarkSizeMax, 1, this);
  m_spins[6].AttachReal(1705, 1, kXOffset, -kWatermarkOffsetMaxMm, kWatermarkOffsetMaxMm, 1.0, this);
  m_spins[7].AttachReal(1706, 0, kXOffset, -kWatermarkOffsetMaxMm, kWatermarkOffsetMaxMm, 1.0, this);
  m_spins[8].AttachReal(1709, 1, kYOffset, -kWatermarkOffsetMaxMm, kWatermarkOffsetMaxMm, 1.0, this);
  m_spins[9].AttachReal(1710, 0, kYOffset, -kWatermarkOffsetMaxMm, kWatermarkOffsetMaxMm, 1.0, this);
  for (int id : {kAngle, kShade, kSize}) ::SendDlgItemMessageA(m_hWnd, id, EM_LIMITTEXT, 3, 0);
  for (int id : {kXOffset, kYOffset}) ::SendDlgItemMessageA(m_hWnd, id, EM_LIMITTEXT, 7, 0);
  ::SendDlgItemMessageA(m_hWnd, kText, EM_LIMITTEXT, 25, 0);
  // The preview is drawn by the page in the frame's place.
  ::ShowWindow(::GetDlgItem(m_hWnd, kPreview), SW_HIDE);

  OrbaMainDlg* sheet = Sheet();
  if (sheet && !sheet->m_watermarks) {
    const int count = LoadWatermarks(sheet->m_printer, nullptr, 0);
    if (count > 0) {
      auto* list = new (std::nothrow) WatermarkRecord[static_cast<size_t>(count)]();
      if (list) {
        sheet->m_watermarkCount = static_cast<WORD>(LoadWatermarks(sheet->m_printer, list, count));
        sheet->m_watermarks = list;
      }
    }
  }
  if (sheet) {
    for (int i = 0; i < sheet->m_watermarkCount; ++i) {
      const std::string text(records::FieldText(sheet->m_watermarks[i].text));
      const int index = m_list.AddString(text.c_str());
      m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(i));
    }
  }
  const int none = m_list.AddString(controls::LoadText(kNoneEntry).c_str());
  m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(none), static_cast<LPARAM>(-1));

  if (sheet) {
    const ModelRecord* model = GetModelRecord(sheet->m_printer, sheet->m_printerName.c_str(), kModelReloadWhenMissing);
    m_fonts = GetPclFontList(sheet->m_printer, sheet->m_printerName.c_str(), model, &sheet->m_workingSettings);
  }
  FillFaces();
  m_angleEdit.SetSpinIds(1163, 1165);
  m_shadeEdit.SetSpinIds(1173, 1174);
  UpdateControls();
  return TRUE;
}

void WmarkDlg::FillFaces() {
  HWND combo = ::GetDlgItem(m_hWnd, kFace);
  ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  const int resolution = Settings() ? Settings()->dmPublic.dmPrintQuality : 600;
  EnumPrinterFonts(m_fonts, resolution, nullptr, kEnumDisplayFonts | kEnumScalablePclFonts, AddFace,
                   static_cast<LPARAM>(combo));
}

void WmarkDlg::UpdateControls() {
  OrbaMainDlg* sheet = Sheet();
  XDEVMODE* settings = Settings();
  if (!sheet || !settings) return;
  m_current = -1;
  const std::string chosen(records::FieldText(settings->dmPrivate._wmCurrent.text));
  for (int i = 0; !chosen.empty() && i < sheet->m_watermarkCount; ++i) {
    if (records::FieldText(sheet->m_watermarks[i].text) == chosen) {
      m_current = i;
      break;
    }
  }
  for (int i = 0; i < m_list.GetCount(); ++i) {
    if (ItemIndex(m_list.GetItemData(i)) == m_current) {
      m_list.SetCurSel(i);
      break;
    }
  }
  SelectRecord();
  ::CheckDlgButton(m_hWnd, kFirstPageOnly, settings->dmPrivate._bWmFirstPageOnly ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(m_hWnd, kBackground, settings->dmPrivate._bWmBackground ? BST_CHECKED : BST_UNCHECKED);
  CommonTail();
}

void WmarkDlg::EnableEditing(bool enable) {
  for (int id : kEditingControls) Enable(m_hWnd, id, enable);
}

void WmarkDlg::SelectRecord() {
  OrbaMainDlg* sheet = Sheet();
  XDEVMODE* settings = Settings();
  if (!sheet || !settings) return;
  const int selected = m_list.GetCurSel();
  m_current = selected >= 0 ? ItemIndex(m_list.GetItemData(selected)) : -1;
  if (m_current >= sheet->m_watermarkCount) m_current = -1;
  char itemText[256] = {};
  if (selected >= 0) m_list.SendMessage(LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(itemText));
  const bool emfSpooling = settings->dmPrivate._dwAdvSettings & kAdvEmfSpooling;
  Enable(m_hWnd, kList, !emfSpooling);
  Enable(m_hWnd, kAdd, !emfSpooling);

  WatermarkRecord* record = CurrentRecord();
  if (!record) {
    SetText(kText, "");
    for (int id : {kSize, kAngle, kShade, kXOffset, kYOffset}) SetText(id, "");
    ::SendDlgItemMessageA(m_hWnd, kFace, CB_RESETCONTENT, 0, 0);
    ::SendDlgItemMessageA(m_hWnd, kStyle, CB_RESETCONTENT, 0, 0);
    if (!emfSpooling) ::SetFocus(m_list.m_hWnd);
    EnableEditing(false);
    for (int id : kPositionControls) Enable(m_hWnd, id, false);
    for (int id : {kFirstPageOnly, kBackground}) {
      Enable(m_hWnd, id, false);
      ::CheckDlgButton(m_hWnd, id, BST_UNCHECKED);
    }
    CheckPosition(m_hWnd, kCentred);
    ::CheckDlgButton(m_hWnd, kOutline, BST_UNCHECKED);
    Enable(m_hWnd, kOutline, false);
    ::ShowWindow(::GetDlgItem(m_hWnd, kOutline), PostScriptJob() ? SW_SHOW : SW_HIDE);
    settings->dmPrivate._wmCurrent = WatermarkRecord{};
    acceptedText_.clear();
    CommonTail();
    return;
  }

  SetText(kText, itemText);
  EnableEditing(true);
  const bool relative = record->xOffset != 0 || record->yOffset != 0;
  CheckPosition(m_hWnd, relative ? kRelative : kCentred);
  for (int id : kPositionControls) Enable(m_hWnd, id, relative);
  if (!Restricted()) {
    Enable(m_hWnd, kFirstPageOnly, true);
    Enable(m_hWnd, kBackground, true);
    ::CheckDlgButton(m_hWnd, kFirstPageOnly, settings->dmPrivate._bWmFirstPageOnly ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, kBackground, settings->dmPrivate._bWmBackground ? BST_CHECKED : BST_UNCHECKED);
  }
  ::ShowWindow(::GetDlgItem(m_hWnd, kOutline), PostScriptJob() ? SW_SHOW : SW_HIDE);
  if (::SendDlgItemMessageA(m_hWnd, kFace, CB_GETCOUNT, 0, 0) <= 0) FillFaces();
  SetText(kAngle, std::to_string(record->angle));
  SetText(kShade, std::to_string(ShadeOfColour(record->colour)));
  SetText(kXOffset, OffsetText(record->xOffset));
  SetText(kYOffset, OffsetText(record->yOffset));
  const std::string face(records::FieldText(record->faceName));
  const LRESULT found = ::SendDlgItemMessageA(m_hWnd, kFace, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(face.c_str()));
  ::SendDlgItemMessageA(m_hWnd, kFace, CB_SETCURSEL, static_cast<WPARAM>(found >= 0 ? found : 0), 0);
  FaceChange();
  settings->dmPrivate._wmCurrent = *record;
  acceptedText_ = std::string(records::FieldText(record->text));
  CommonTail();
}

void WmarkDlg::FaceChange() {
  WatermarkRecord* record = CurrentRecord();
  XDEVMODE* settings = Settings();
  if (!record || !settings) return CommonTail();
  HWND faceCombo = ::GetDlgItem(m_hWnd, kFace);
  const int faceIndex = static_cast<int>(::SendMessageA(faceCombo, CB_GETCURSEL, 0, 0));
  char face[64] = {};
  if (faceIndex >= 0)
    ::SendMessageA(faceCombo, CB_GETLBTEXT, static_cast<WPARAM>(faceIndex), reinterpret_cast<LPARAM>(face));
  if (!face[0]) {
    std::memcpy(face, record->faceName, sizeof record->faceName);
    face[sizeof record->faceName - 1] = '\0';
  } else {
    // The record's field holds 31 bytes: a longer face is cut on a character.
    CopyField(record->faceName, sizeof record->faceName, face, sizeof record->faceName - 1);
  }
  SetText(kSize, std::to_string(record->size));

  HWND styleCombo = ::GetDlgItem(m_hWnd, kStyle);
  ::SendMessageA(styleCombo, CB_RESETCONTENT, 0, 0);
  StyleFill fill{styleCombo};
  const int resolution = settings->dmPublic.dmPrintQuality;
  EnumPrinterFonts(m_fonts, resolution, record->faceName, kEnumDisplayFonts | kEnumScalablePclFonts, AddStyle,
                   reinterpret_cast<LPARAM>(&fill));
  m_faceFlags = fill.lastType;
  if (fill.psOpenType) m_faceFlags &= ~static_cast<DWORD>(DEVICE_FONTTYPE);

  if (PostScriptJob() && (m_faceFlags & DEVICE_FONTTYPE)) {
    Enable(m_hWnd, kOutline, true);
    ::CheckDlgButton(m_hWnd, kOutline, record->outline ? BST_CHECKED : BST_UNCHECKED);
  } else {
    ::CheckDlgButton(m_hWnd, kOutline, BST_UNCHECKED);
    Enable(m_hWnd, kOutline, false);
    record->outline = 0;
    settings->dmPrivate._wmCurrent.outline = 0;
  }

  const std::string style(records::FieldText(record->styleName));
  LRESULT styleIndex =
      ::SendMessageA(styleCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(style.c_str()));
  if (styleIndex < 0 && ::SendMessageA(styleCombo, CB_GETCOUNT, 0, 0) > 0) {
    styleIndex = 0;
    char first[64] = {};
    ::SendMessageA(styleCombo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    CopyField(record->styleName, sizeof record->styleName, first, sizeof record->styleName - 1);
  }
  if (styleIndex >= 0) {
    ::SendMessageA(styleCombo, CB_SETCURSEL, static_cast<WPARAM>(styleIndex), 0);
    const DWORD data =
        static_cast<DWORD>(::SendMessageA(styleCombo, CB_GETITEMDATA, static_cast<WPARAM>(styleIndex), 0));
    record->weight = static_cast<WORD>(data >> 16);
    record->styleBits = (data >> 8) & 0xFF;
  }
  WatermarkRecord& current = settings->dmPrivate._wmCurrent;
  std::memcpy(current.faceName, record->faceName, sizeof current.faceName);
  std::memcpy(current.styleName, record->styleName, sizeof current.styleName);
  current.size = record->size;
  current.weight = record->weight;
  current.styleBits = record->styleBits;
  current.angle = record->angle;
  CommonTail();
}

void WmarkDlg::CommonTail() {
  if (Restricted()) DisableControlsExcept(m_hWnd, kRestrictedKeep, static_cast<int>(std::size(kRestrictedKeep)));
  if (OrbaMainDlg* sheet = Sheet()) sheet->UpdateProfileSelection();
  RECT frame{};
  ::GetWindowRect(::GetDlgItem(m_hWnd, kPreview), &frame);
  POINT corners[2] = {{frame.left, frame.top}, {frame.right, frame.bottom}};
  ::ScreenToClient(m_hWnd, &corners[0]);
  ::ScreenToClient(m_hWnd, &corners[1]);
  const RECT area{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  ::InvalidateRect(m_hWnd, &area, FALSE);
}

bool WmarkDlg::TakenByAnother(const std::string& text) {
  OrbaMainDlg* sheet = Sheet();
  for (int i = 0; sheet && i < sheet->m_watermarkCount; ++i)
    if (i != m_current && records::FieldText(sheet->m_watermarks[i].text) == text) return true;
  return false;
}

bool WmarkDlg::AcceptText() {
  WatermarkRecord* record = CurrentRecord();
  OrbaMainDlg* sheet = Sheet();
  if (!record || !sheet) return true;
  const std::string text(records::FieldText(record->text));
  const bool taken = TakenByAnother(text);
  if (!text.empty() && !taken) {
    acceptedText_ = text;
    return true;
  }
  // Two watermarks of one name would share one stored value, and one of them
  // would be lost: the name goes back to the one it had.
  if (taken && m_hWnd && ::IsWindowVisible(m_hWnd)) {
    NameTaken(m_hWnd, text);
  }
  CopyField(record->text, sizeof record->text, acceptedText_, kMaxTextBytes);
  if (XDEVMODE* settings = Settings()) settings->dmPrivate._wmCurrent = *record;
  for (int i = 0; i < m_list.GetCount(); ++i) {
    if (ItemIndex(m_list.GetItemData(i)) != m_current) continue;
    const bool selected = m_list.GetCurSel() == i;
    m_list.SendMessage(LB_DELETESTRING, static_cast<WPARAM>(i));
    m_list.SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(acceptedText_.c_str()));
    m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(m_current));
    if (selected) {
      m_list.SetCurSel(i);
      SetText(kText, acceptedText_);
    }
    break;
  }
  return false;
}

void WmarkDlg::OnListSelection() {
  // The record being left keeps a name of its own.
  const int selected = m_list.GetCurSel();
  if (!AcceptText()) {
    for (int i = 0; i < m_list.GetCount(); ++i)
      if (ItemIndex(m_list.GetItemData(i)) == m_current) m_list.SetCurSel(i);
    return;
  }
  m_list.SetCurSel(selected);
  SelectRecord();
}

void WmarkDlg::OnAdd() {
  OrbaMainDlg* sheet = Sheet();
  if (!sheet || !AcceptText()) return;
  const std::string text = controls::LoadText(kNewWatermark);
  for (int i = 0; i < sheet->m_watermarkCount; ++i) {
    if (records::FieldText(sheet->m_watermarks[i].text) == text) {
      // A new watermark is named "<新規>" until renamed: one at a time.
      NameTaken(m_hWnd, text);
      return;
    }
  }
  const int count = sheet->m_watermarkCount;
  if (count >= 0xFFFF) return;
  auto* grown = new (std::nothrow) WatermarkRecord[static_cast<size_t>(count) + 1]();
  if (!grown) return;
  if (count > 0) std::copy(sheet->m_watermarks, sheet->m_watermarks + count, grown);
  delete[] sheet->m_watermarks;
  sheet->m_watermarks = grown;
  sheet->m_watermarkCount = static_cast<WORD>(count + 1);
  grown[count] = NewWatermarkRecord(text, controls::LoadText(kRegular));

  const int index = m_list.AddString(text.c_str());
  m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(count));
  m_list.SetCurSel(index);
  m_current = count;
  SelectRecord();
  HWND edit = ::GetDlgItem(m_hWnd, kText);
  ::SetFocus(edit);
  ::SendMessageA(edit, EM_SETSEL, 0, -1);
}

void WmarkDlg::OnDelete() {
  OrbaMainDlg* sheet = Sheet();
  const int selected = m_list.GetCurSel();
  if (!sheet || selected < 0 || !CurrentRecord()) return;
  const int removed = m_current;
  m_list.SendMessage(LB_DELETESTRING, static_cast<WPARAM>(selected));
  std::copy(sheet->m_watermarks + removed + 1, sheet->m_watermarks + sheet->m_watermarkCount,
            sheet->m_watermarks + removed);
  sheet->m_watermarkCount = static_cast<WORD>(sheet->m_watermarkCount - 1);
  sheet->m_watermarks[sheet->m_watermarkCount] = WatermarkRecord{};
  // The records after the deleted one moved down: so do the indexes their items carry.
  for (int i = 0; i < m_list.GetCount(); ++i) {
    const int index = ItemIndex(m_list.GetItemData(i));
    if (index > removed) m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(index - 1));
  }
  m_current = -1;
  acceptedText_.clear();
  for (int i = 0; i < m_list.GetCount(); ++i)
    if (ItemIndex(m_list.GetItemData(i)) == -1) m_list.SetCurSel(i);
  SelectRecord();
}

void WmarkDlg::OnTextChange() {
  WatermarkRecord* record = CurrentRecord();
  XDEVMODE* settings = Settings();
  if (filling_ || !record || !settings) return CommonTail();
  const std::string text = Text(kText);
  CopyField(record->text, sizeof record->text, text, kMaxTextBytes);
  const std::string stored(records::FieldText(record->text));
  const int selected = m_list.GetCurSel();
  if (selected >= 0) {
    const LRESULT data = m_list.SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(selected));
    m_list.SendMessage(LB_DELETESTRING, static_cast<WPARAM>(selected));
    m_list.SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(stored.c_str()));
    m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(selected), data);
    m_list.SetCurSel(selected);
  }
  std::memset(settings->dmPrivate._wmCurrent.text, 0, sizeof settings->dmPrivate._wmCurrent.text);
  std::memcpy(settings->dmPrivate._wmCurrent.text, record->text, sizeof record->text);
  CommonTail();
}

void WmarkDlg::OnTextFocusLost() {
  if (!filling_) AcceptText();
}

void WmarkDlg::OnFaceChange() {
  if (!filling_) FaceChange();
}

void WmarkDlg::OnStyleChange() {
  WatermarkRecord* record = CurrentRecord();
  XDEVMODE* settings = Settings();
  if (record && settings) {
    HWND combo = ::GetDlgItem(m_hWnd, kStyle);
    const int index = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (index >= 0) {
      char text[64] = {};
      ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
      CopyField(record->styleName, sizeof record->styleName, text, sizeof record->styleName - 1);
      const DWORD data = static_cast<DWORD>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
      record->weight = static_cast<WORD>(data >> 16);
      record->styleBits = (data >> 8) & 0xFF;
      WatermarkRecord& current = settings->dmPrivate._wmCurrent;
      std::memcpy(current.styleName, record->styleName, sizeof current.styleName);
      current.weight = record->weight;
      current.styleBits = record->styleBits;
    }
  }
  CommonTail();
}

void WmarkDlg::OnSizeChange() {
  WatermarkRecord* record = CurrentRecord();
  if (!filling_ && record && Settings()) {
    record->size = SizeFromText(Text(kSize).c_str(), record->size);
    Settings()->dmPrivate._wmCurrent.size = record->size;
  }
  CommonTail();
}

void WmarkDlg::OnSizeFocusLost() {
  OnSizeChange();
  if (WatermarkRecord* record = CurrentRecord()) SetText(kSize, std::to_string(record->size));
}

void WmarkDlg::OnAngleChange() {
  WatermarkRecord* record = CurrentRecord();
  if (!filling_ && record && Settings()) {
    const std::string text = Text(kAngle);
    // An empty edit is an angle still being typed; anything else that is not
    // an angle is taken back at once.
    if (!text.empty()) {
      char* end = nullptr;
      const long angle = std::strtol(text.c_str(), &end, 10);
      if (end != text.c_str() && *end == '\0' && angle >= 0 && angle <= kWatermarkAngleMax) {
        record->angle = static_cast<WORD>(angle);
        Settings()->dmPrivate._wmCurrent.angle = record->angle;
      } else {
        SetText(kAngle, std::to_string(record->angle));
      }
    }
  }
  CommonTail();
}

void WmarkDlg::OnShadeChange() {
  WatermarkRecord* record = CurrentRecord();
  if (!filling_ && record && Settings()) {
    BOOL number = FALSE;
    const int shade = static_cast<int>(::GetDlgItemInt(m_hWnd, kShade, &number, TRUE));
    if (number) {
      record->colour = ColourOfShade(shade);
      Settings()->dmPrivate._wmCurrent.colour = record->colour;
    }
  }
  CommonTail();
}

void WmarkDlg::OnFirstPageOnly() {
  if (XDEVMODE* settings = Settings())
    settings->dmPrivate._bWmFirstPageOnly = ::IsDlgButtonChecked(m_hWnd, kFirstPageOnly) == BST_CHECKED;
  CommonTail();
}

void WmarkDlg::OnBackground() {
  if (XDEVMODE* settings = Settings())
    settings->dmPrivate._bWmBackground = ::IsDlgButtonChecked(m_hWnd, kBackground) == BST_CHECKED;
  CommonTail();
}

void WmarkDlg::OnOutline() {
  WatermarkRecord* record = CurrentRecord();
  if (record && Settings()) {
    record->outline = ::IsDlgButtonChecked(m_hWnd, kOutline) == BST_CHECKED;
    Settings()->dmPrivate._wmCurrent.outline = record->outline;
  }
  CommonTail();
}

void WmarkDlg::OnCentred() {
  WatermarkRecord* record = CurrentRecord();
  if (record && Settings()) {
    record->xOffset = record->yOffset = 0;
    Settings()->dmPrivate._wmCurrent.xOffset = Settings()->dmPrivate._wmCurrent.yOffset = 0;
    for (int id : kPositionControls) Enable(m_hWnd, id, false);
    SetText(kXOffset, OffsetText(0));
    SetText(kYOffset, OffsetText(0));
  }
  CommonTail();
}

void WmarkDlg::OnRelative() {
  if (WatermarkRecord* record = CurrentRecord()) {
    for (int id : kPositionControls) Enable(m_hWnd, id, true);
    SetText(kXOffset, OffsetText(record->xOffset));
    SetText(kYOffset, OffsetText(record->yOffset));
  }
  CommonTail();
}

void WmarkDlg::OffsetChange(int editId, bool horizontal) {
  WatermarkRecord* record = CurrentRecord();
  if (!filling_ && record && Settings()) {
    const std::string text = Text(editId);
    LONG& stored = horizontal ? record->xOffset : record->yOffset;
    LONG tenths = 0;
    // "", "-", "." and "-." are offsets still being typed.
    const bool partial = text.empty() || text == "-" || text == "." || text == "-.";
    if (ParseOffsetText(text.c_str(), &tenths)) {
      stored = tenths;
      (horizontal ? Settings()->dmPrivate._wmCurrent.xOffset : Settings()->dmPrivate._wmCurrent.yOffset) = tenths;
    } else if (!partial) {
      SetText(editId, OffsetText(stored));
    }
  }
  CommonTail();
}

void WmarkDlg::OffsetFocusLost(int editId, bool horizontal) {
  if (WatermarkRecord* record = CurrentRecord())
    SetText(editId, OffsetText(horizontal ? record->xOffset : record->yOffset));
}

void WmarkDlg::OnXOffsetChange() { OffsetChange(kXOffset, true); }
void WmarkDlg::OnYOffsetChange() { OffsetChange(kYOffset, false); }
void WmarkDlg::OnXOffsetFocusLost() { OffsetFocusLost(kXOffset, true); }
void WmarkDlg::OnYOffsetFocusLost() { OffsetFocusLost(kYOffset, false); }

void WmarkDlg::OnDestroy() {
  // A clashing name goes back quietly: the page is going away.
  if (WatermarkRecord* record = CurrentRecord()) {
    const std::string text(records::FieldText(record->text));
    if (text.empty() || TakenByAnother(text))
      CopyField(record->text, sizeof record->text, acceptedText_, kMaxTextBytes);
  }
  if (XDEVMODE* settings = Settings()) {
    WatermarkRecord* record = CurrentRecord();
    settings->dmPrivate._wmCurrent = record ? *record : WatermarkRecord{};
  }
  DP_ListBoxTabDialogItem::OnDestroy();
}

HBITMAP WmarkDlg::DrawPreview(const WatermarkRecord& record, int* side) {
  OrbaMainDlg* sheet = Sheet();
  XDEVMODE* settings = Settings();
  if (!sheet || !settings) return 0;
  const ModelRecord* model = GetModelRecord(sheet->m_printer, sheet->m_printerName.c_str(), kModelReloadWhenMissing);
  if (!model) return 0;
  const PaperEntry* paper = &model->papers[0];
  for (int i = 0; i < kModelMaxPapers && model->papers[i].id; ++i)
    if (model->papers[i].id == settings->dmPublic.dmPaperSize) paper = &model->papers[i];
  const WatermarkSheet layout =
      WatermarkSheetOf(paper->geometry[0].width, paper->geometry[0].height, settings->dmPublic.dmOrientation == 1,
                       paper->feedDirection, model->reservedFlag != 0);
  if (layout.side <= 0) return 0;
  *side = layout.side;

  HDC screen = ::GetDC(0);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, layout.side, layout.side);
  ::ReleaseDC(0, screen);
  HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
  HBRUSH grey = ::CreateSolidBrush(0x808080);
  const RECT square{0, 0, layout.side, layout.side};
  ::FillRect(dc, &square, grey);
  ::DeleteObject(grey);
  HBRUSH white = ::CreateSolidBrush(0xFFFFFF);
  // Thick enough to stay visible once the square is scaled onto the frame.
  HPEN black = ::CreatePen(PS_SOLID, std::max(1, layout.side / 120), 0);
  HGDIOBJ oldBrush = ::SelectObject(dc, white);
  HGDIOBJ oldPen = ::SelectObject(dc, black);
  ::Rectangle(dc, layout.sheet.left, layout.sheet.top, layout.sheet.right, layout.sheet.bottom);
  ::SetBkMode(dc, TRANSPARENT);

  const std::string text(records::FieldText(record.text));
  if (!text.empty()) {
    LOGFONTA lf{};
    lf.lfHeight = record.size * 100 / 72;
    lf.lfWeight = (record.styleBits & kWatermarkStyleBold) ? FW_BOLD : record.weight;
    lf.lfItalic = (record.styleBits & kWatermarkStyleItalic) ? 1 : 0;
    lf.lfEscapement = record.angle * 10;
    lf.lfOrientation = lf.lfEscapement;
    lf.lfOutPrecision = 7;
    lf.lfClipPrecision = 16;
    lf.lfQuality = 2;
    std::memcpy(lf.lfFaceName, record.faceName, sizeof record.faceName - 1);
    const int entry = FindFontFace(lf.lfFaceName, m_fonts);
    if (entry >= 0) {
      const BYTE* image = m_fonts->entries[entry].metrics;
      const BYTE symbolSetClass = image[kPclMetricsCharSetClassOffset];
      lf.lfCharSet = symbolSetClass == 2                          ? SYMBOL_CHARSET
                     : symbolSetClass >= 5 && symbolSetClass <= 7 ? SHIFTJIS_CHARSET
                                                                  : ANSI_CHARSET;
      const BYTE family = image[kPclMetricsPitchAndFamilyOffset] & 0xF0;
      lf.lfPitchAndFamily = family <= 0x50 ? family : 0;
    } else {
      lf.lfCharSet = DEFAULT_CHARSET;
    }
    HFONT font = ::CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const POINT origin =
        WatermarkTextOrigin(layout.side, extent.cx, extent.cy, record.angle, record.xOffset, record.yOffset);
    ::SetTextColor(dc, record.colour & 0xFFFFFF);
    ::TextOutA(dc, origin.x, origin.y, text.c_str(), static_cast<int>(text.size()));
    ::SelectObject(dc, oldFont);
    ::DeleteObject(font);
  }
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, oldBrush);
  ::DeleteObject(black);
  ::DeleteObject(white);
  ::SelectObject(dc, oldBitmap);
  ::DeleteDC(dc);
  return bitmap;
}

void WmarkDlg::OnPaint() {
  PAINTSTRUCT paint{};
  HDC target = ::BeginPaint(m_hWnd, &paint);
  RECT frame{};
  ::GetWindowRect(::GetDlgItem(m_hWnd, kPreview), &frame);
  POINT corners[2] = {{frame.left, frame.top}, {frame.right, frame.bottom}};
  ::ScreenToClient(m_hWnd, &corners[0]);
  ::ScreenToClient(m_hWnd, &corners[1]);
  WatermarkRecord* record = CurrentRecord();
  const WatermarkRecord shown = record ? *record : WatermarkRecord{};
  int side = 0;
  if (HBITMAP bitmap = DrawPreview(shown, &side)) {
    HDC source = ::CreateCompatibleDC(target);
    HGDIOBJ old = ::SelectObject(source, bitmap);
    // The square is drawn one pixel per hundredth of an inch and scaled onto the frame.
    ::StretchBlt(target, corners[0].x, corners[0].y, corners[1].x - corners[0].x, corners[1].y - corners[0].y, source,
                 0, 0, side, side, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
    ::DeleteObject(bitmap);
  }
  ::EndPaint(m_hWnd, &paint);
}
