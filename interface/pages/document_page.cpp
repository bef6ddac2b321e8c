#include "interface/pages/document_page.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "controls/model_picture.h"
#include "controls/page_functions.h"
#include "interface/pages/document_preview.h"
#include "interface/pages/page_helpers.h"
#include "model/constraints.h"
#include "model/paper_defaults.h"
#include "platform/base/modules.h"

using namespace pages;

namespace {

constexpr UINT kTemplate = 121;
constexpr UINT kTabIcon = 101;
constexpr UINT kTabTitle = 9;
constexpr UINT kFixedOff = 442, kFixedPortrait = 443, kFixedLandscape = 444;

constexpr int kPaper = 1052, kPortrait = 1031, kLandscape = 1032, kPagesPerSheet = 1038, kPagesLabel = 1076;
constexpr int kBorder = 1124, kCopies = 1034, kCopiesUp = 1035, kCopiesDown = 1036, kCollate = 1120;
constexpr int kCollatePicture = 1004, kMonitor = 1099, kMonitorGroup = 1438, kModelPicture = 1169;
constexpr int kPreviewFrame = 1012, kPreviewArea = 1013;
constexpr int kUnitGroup = 1196, kInches = 1197, kMillimetres = 1198, kWidth = 1204, kLength = 1206;
constexpr int kWidthRange = 1199, kLengthRange = 1200, kWidthUp = 1201, kWidthDown = 1202, kLengthUp = 1203,
              kLengthDown = 1205, kWidthLabel = 1210, kLengthLabel = 1209;
constexpr int kFixedOrientation = 1717, kFixedLabel = 1718, kRotate = 1221;

constexpr int kMaximumCopies = 32767;
constexpr WORD kDefaultPaper = 9;  // A4
constexpr WORD kCustomPaper = 261;
constexpr WORD kFixedNotOffered = 3;
constexpr DWORD kSnmpNone = 0, kSnmpOff = 1, kSnmpOn = 2;
constexpr int kModelPictureIndex = 1;

bool PaperKnown(const ModelRecord& model, WORD id) {
  for (int i = 0; i < kModelMaxPapers && model.papers[i].id != 0; ++i)
    if (model.papers[i].id == id) return true;
  return false;
}

// A PCL 5 job offers only the papers it has a page size for, and the user-defined size.
bool PaperOffered(const PaperEntry& row, const XDEVMODE& settings) {
  return !IsPcl5Job(settings) || row.pclSizeCode != 0 || row.userSizeMark != 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(DocDlg, controls::DP_ListBoxTabDialogItem)
ON_CONTROL(CBN_SELCHANGE, kPaper, OnPaperSize)
ON_BN_CLICKED(kPortrait, OnPortrait)
ON_BN_CLICKED(kLandscape, OnLandscape)
ON_CONTROL(CBN_SELCHANGE, kPagesPerSheet, OnPagesPerSheet)
ON_CONTROL(CBN_SELCHANGE, kFixedOrientation, OnFixedOrientation)
ON_CONTROL(EN_CHANGE, kCopies, OnCopies)
ON_BN_CLICKED(kCollate, OnCollate)
ON_BN_CLICKED(kMonitor, OnJobMonitoring)
ON_BN_CLICKED(kBorder, OnBorder)
ON_BN_CLICKED(kRotate, OnRotatePage)
ON_BN_CLICKED(kInches, OnInches)
ON_BN_CLICKED(kMillimetres, OnMillimetres)
ON_CONTROL(EN_CHANGE, kWidth, OnWidthTyped)
ON_CONTROL(EN_CHANGE, kLength, OnLengthTyped)
ON_CONTROL(EN_KILLFOCUS, kWidth, OnWidthDone)
ON_CONTROL(EN_KILLFOCUS, kLength, OnLengthDone)
ON_WM_PAINT()
END_MESSAGE_MAP()

DocDlg::DocDlg() : DP_ListBoxTabDialogItem(kTemplate) {}

DocDlg::~DocDlg() { delete m_modelPicture; }

void DocDlg::DescribeTab() { SetTabInfo(kTabIcon, controls::LoadText(kTabTitle)); }

void DocDlg::DoDataExchange(CDataExchange* exchange) {
  DP_ListBoxTabDialogItem::DoDataExchange(exchange);
  if (!m_copiesEdit.m_hWnd) m_copiesEdit.SubclassDlgItem(kCopies, this);
}

BOOL DocDlg::OnInitDialog() {
  DP_ListBoxTabDialogItem::OnInitDialog();
  XDEVMODE* settings = WorkingSettings(this);
  ModelRecord* model = SheetModel(this);
  // The frame and the area are only places: the page paints the picture itself.
  ShowItems(this, {kPreviewFrame, kPreviewArea}, false);
  if (!settings || !model) return TRUE;
  XDEVMODE_PRIVATE& p = settings->dmPrivate;

  customRow_ = CustomPaperRow(*model);
  p._nCustomPaperIndex = customRow_;
  if (customRow_ >= 0) {
    if (p._nCustomUnit != kUnitMillimetres) p._nCustomUnit = kUnitInches;
    limits_ = CustomSizeLimitsOf(model->papers[customRow_]);
    const SizeRange& range = limits_.In(p._nCustomUnit);
    const BOOL oneDecimal = p._nCustomUnit == kUnitMillimetres;
    m_widthUp.AttachReal(kWidthUp, 1, kWidth, range.minimumWidth, range.maximumWidth, range.step, oneDecimal, this);
    m_widthDown.AttachReal(kWidthDown, 0, kWidth, range.minimumWidth, range.maximumWidth, range.step, oneDecimal, this);
    m_lengthUp.AttachReal(kLengthUp, 1, kLength, range.minimumLength, range.maximumLength, range.step, oneDecimal,
                          this);
    m_lengthDown.AttachReal(kLengthDown, 0, kLength, range.minimumLength, range.maximumLength, range.step, oneDecimal,
                            this);
    m_widthEdit.SubclassDlgItem(kWidth, this);
    m_widthEdit.SetSpinIds(kWidthUp, kWidthDown);
    m_lengthEdit.SubclassDlgItem(kLength, this);
    m_lengthEdit.SetSpinIds(kLengthUp, kLengthDown);
  }

  std::string pictureName;
  HMODULE module = 0;
  if (controls::LoadModelBitmap(SheetPrinter(this), model, &pictureName, &module, kModelPictureIndex)) {
    if (!m_modelPicture) m_modelPicture = new controls::PictureButton;
    if (m_modelPicture->LoadBitmapsFromModule(module, pictureName.c_str(), nullptr, nullptr, nullptr))
      m_modelPicture->SubclassDlgItem(kModelPicture, this);
    FreeLibrary(module);
  }

  m_copiesUp.AttachInteger(kCopiesUp, 1, kCopies, 1, kMaximumCopies, 1, this);
  m_copiesDown.AttachInteger(kCopiesDown, 0, kCopies, 1, kMaximumCopies, 1, this);
  m_collatePicture.SubclassDlgItem(kCollatePicture, this);
  m_copiesEdit.SetSpinIds(kCopiesUp, kCopiesDown);

  UpdateControls();
  return TRUE;
}

void DocDlg::SetEditText(int id, const std::string& text) {
  filling_ = true;
  SetItemText(this, id, text);
  filling_ = false;
}

void DocDlg::UpdateControls() {
  XDEVMODE* working = WorkingSettings(this);
  ModelRecord* model = SheetModel(this);
  if (!working || !model) return;
  XDEVMODE& s = *working;
  XDEVMODE_PRIVATE& p = s.dmPrivate;

  if (!PaperKnown(*model, static_cast<WORD>(s.dmPublic.dmPaperSize))) s.dmPublic.dmPaperSize = kDefaultPaper;
  ComboEntries papers;
  for (int i = 0; i < kModelMaxPapers && model->papers[i].id != 0; ++i) {
    const PaperEntry& row = model->papers[i];
    if (!PaperOffered(row, s)) continue;
    const bool listed = std::any_of(papers.begin(), papers.end(), [&](const auto& e) { return e.first == row.name; });
    if (!listed) papers.emplace_back(row.name, row.id);
  }
  FillCombo(this, kPaper, papers);
  s.dmPublic.dmPaperSize = static_cast<short>(SelectComboData(this, kPaper, static_cast<WORD>(s.dmPublic.dmPaperSize)));

  const bool custom = s.dmPublic.dmPaperSize == kCustomPaper && customRow_ >= 0;
  if (custom) {
    if (p._nCustomPaperIndex != customRow_) {
      const PaperEntry& row = model->papers[customRow_];
      p._nCustomPaperIndex = customRow_;
      if (p._nCustomUnit != kUnitMillimetres) p._nCustomUnit = kUnitInches;
      p._lCustomWidth = static_cast<DWORD>(row.geometry[0].width);
      p._lCustomLength = static_cast<DWORD>(row.geometry[0].height);
      p._bCustomPortraitFeed = row.feedDirection;
    }
    CheckItem(this, kInches, p._nCustomUnit == kUnitInches);
    CheckItem(this, kMillimetres, p._nCustomUnit != kUnitInches);
    width_ = static_cast<long>(p._lCustomWidth);
    length_ = static_cast<long>(p._lCustomLength);
    FillCustomSize(s);
  }
  const auto customControls = {kUnitGroup, kInches,     kMillimetres, kWidthRange, kLengthRange,
                               kWidthUp,   kWidthDown,  kLengthUp,    kLengthDown, kWidth,
                               kLength,    kWidthLabel, kLengthLabel};
  ShowItems(this, customControls, custom);
  if (custom)
    EnableItems(this, customControls, true);
  else
    EnableItems(this, {kWidth, kLength, kInches, kMillimetres}, false);

  p._iOutputSize = 0xFFFF;
  CheckItem(this, kLandscape, s.dmPublic.dmOrientation == DMORIENT_LANDSCAPE);
  CheckItem(this, kPortrait, s.dmPublic.dmOrientation != DMORIENT_LANDSCAPE);

  if (IsPclJob(s)) {
    EnableItem(this, kRotate, true);
    ShowItem(this, kRotate, true);
    CheckItem(this, kRotate, p._bRotatePage != 0);
  } else {
    ShowItem(this, kRotate, false);
  }

  if (p._nFixedOrientation == kFixedNotOffered) {
    ShowItems(this, {kFixedOrientation, kFixedLabel}, false);
  } else {
    FillCombo(this, kFixedOrientation,
              {{controls::LoadText(kFixedOff), 0},
               {controls::LoadText(kFixedPortrait), 1},
               {controls::LoadText(kFixedLandscape), 2}});
    p._nFixedOrientation = static_cast<WORD>(SelectComboData(this, kFixedOrientation, p._nFixedOrientation));
  }

  ComboEntries counts;
  if (IsPclJob(s)) {
    p._nUp = 1;
    for (int n : {1, 2}) counts.emplace_back(controls::IntegerText(n), n);
    FillCombo(this, kPagesPerSheet, counts);
    p._nUpPCL = static_cast<WORD>(SelectComboData(this, kPagesPerSheet, p._nUpPCL));
  } else {
    p._nUpPCL = 1;
    for (int n : {1, 2, 4, 6, 8, 9, 12, 16}) counts.emplace_back(controls::IntegerText(n), n);
    FillCombo(this, kPagesPerSheet, counts);
    p._nUp = static_cast<WORD>(SelectComboData(this, kPagesPerSheet, p._nUp));
  }
  ShowItems(this, {kPagesPerSheet, kPagesLabel}, true);

  if (LeadingUnsigned(ItemText(this, kCopies), 99999) != static_cast<unsigned long>(s.dmPublic.dmCopies)) {
    LimitItemText(this, kCopies, 5);
    SetEditText(kCopies, controls::IntegerText(s.dmPublic.dmCopies));
  }

  const char* collatePicture = "COLLATE6_U";
  if (model->optionWord & kFeatureCollation) {
    ShowItem(this, kCollate, true);
    if (CheckOptionConstraints(model, &s, kCodeCollate, 1, 0, 0)) {
      p._bCollate = 1;
      s.dmPublic.dmCollate = 1;
      EnableItem(this, kCollate, false);
    } else {
      EnableItem(this, kCollate, true);
    }
    CheckItem(this, kCollate, p._bCollate != 0);
    if (p._bCollate) collatePicture = "COLLATE1_U";
  } else {
    ShowItem(this, kCollate, false);
  }
  m_collatePicture.LoadBitmaps(collatePicture);
  m_collatePicture.Invalidate();

  switch (p._iSNMP) {
    case kSnmpOff:
      CheckItem(this, kMonitor, false);
      EnableItem(this, kMonitor, !(p._dwAdvSettings & kAdvEmfSpooling));
      ShowItem(this, kMonitorGroup, true);
      break;
    case kSnmpOn:
      CheckItem(this, kMonitor, true);
      EnableItem(this, kMonitor, true);
      ShowItem(this, kMonitorGroup, true);
      break;
    default: EnableItems(this, {kMonitor, kMonitorGroup}, false);
  }

  CheckItem(this, kBorder, p._bNupBorder != 0);
  InvalidatePreview();
  FinishRefresh(this, {}, true);
}

void DocDlg::FillCustomSize(XDEVMODE& settings) {
  const DWORD unit = settings.dmPrivate._nCustomUnit;
  SetCustomRanges(unit);
  LimitItemText(this, kWidth, 6);
  LimitItemText(this, kLength, 6);
  SetEditText(kWidth, SizeText(width_, unit));
  SetEditText(kLength, SizeText(length_, unit));
  CommitCustomSize();
}

void DocDlg::SetCustomRanges(DWORD unit) {
  const SizeRange& range = limits_.In(unit);
  SetItemText(this, kWidthRange, RangeText(range.minimumWidth, range.maximumWidth, unit));
  SetItemText(this, kLengthRange, RangeText(range.minimumLength, range.maximumLength, unit));
  const BOOL oneDecimal = unit == kUnitMillimetres;
  for (controls::SpinButton* spin : {&m_widthUp, &m_widthDown})
    spin->SetRealRange(range.minimumWidth, range.maximumWidth, range.step, oneDecimal);
  for (controls::SpinButton* spin : {&m_lengthUp, &m_lengthDown})
    spin->SetRealRange(range.minimumLength, range.maximumLength, range.step, oneDecimal);
}

void DocDlg::CommitCustomSize() {
  XDEVMODE* s = WorkingSettings(this);
  ModelRecord* model = SheetModel(this);
  if (!s || customRow_ < 0) return;
  XDEVMODE_PRIVATE& p = s->dmPrivate;
  p._bCustomPortraitFeed = width_ < length_ ? 1 : 0;
  p._lCustomWidth = static_cast<DWORD>(width_);
  p._lCustomLength = static_cast<DWORD>(length_);
  // The sheet puts the model's row back when the dialog is cancelled.
  if (model) StoreCustomPaper(s, model);
  SettingsChanged(this);
}

void DocDlg::InvalidatePreview() {
  HWND area = ::GetDlgItem(m_hWnd, kPreviewArea);
  if (!area) return;
  RECT r{};
  ::GetWindowRect(area, &r);
  POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
  ::ScreenToClient(m_hWnd, &corners[0]);
  ::ScreenToClient(m_hWnd, &corners[1]);
  const RECT client{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  InvalidateRect(&client, TRUE);
}

void DocDlg::ChangeUnit(DWORD unit) {
  XDEVMODE* s = WorkingSettings(this);
  if (!s || customRow_ < 0 || s->dmPrivate._nCustomUnit == unit) return;
  const DWORD previous = s->dmPrivate._nCustomUnit;
  s->dmPrivate._nCustomUnit = unit;
  SetCustomRanges(unit);
  const SizeRange& old = limits_.In(previous);
  auto convert = [&](int editId, double minimum, double maximum, long* size) {
    const std::string text = ItemText(this, editId);
    // A text the user has not finished keeps the size last taken.
    double value = IsPlainNumberText(text) ? std::atof(text.c_str())
                                           : (previous == kUnitMillimetres ? MillimetresShown(*size) : *size / 1000.0);
    value = std::clamp(value, minimum, maximum);
    *size = ThousandthsOf(value, previous);
    SetEditText(editId,
                unit == kUnitMillimetres ? ValueText(RoundUpTenth(value * 25.4), unit) : ValueText(value / 25.4, unit));
  };
  convert(kWidth, old.minimumWidth, old.maximumWidth, &width_);
  convert(kLength, old.minimumLength, old.maximumLength, &length_);
  CommitCustomSize();
}

void DocDlg::OnInches() { ChangeUnit(kUnitInches); }
void DocDlg::OnMillimetres() { ChangeUnit(kUnitMillimetres); }

// A size is taken while it is typed only when it lies in the range: on the way
// to "150" the "1" is no size the user meant. Leaving the edit settles it: a
// number is clamped into the range, anything else is refused.
void DocDlg::SizeTyped(int editId, bool width, bool leaving) {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s || customRow_ < 0) return;
  // The whole text: a size of six characters ("1219.2") must not lose its last one.
  const std::string text = ItemText(this, editId);
  if (text.empty()) return;
  if (!IsPlainNumberText(text)) {
    if (!leaving) return;
    char message[300];
    std::snprintf(message, sizeof message, UiText("不正文字 : %s").c_str(), text.c_str());
    MessageBoxA(m_hWnd, message, UiText("入力エラー").c_str(), MB_ICONSTOP);
    return;
  }
  const DWORD unit = s->dmPrivate._nCustomUnit;
  const SizeRange& range = limits_.In(unit);
  const double minimum = width ? range.minimumWidth : range.minimumLength;
  const double maximum = width ? range.maximumWidth : range.maximumLength;
  const double typed = std::atof(text.c_str());
  if (!leaving && (typed < minimum || typed > maximum)) return;
  const long size = ThousandthsOf(std::clamp(typed, minimum, maximum), unit);
  long& kept = width ? width_ : length_;
  if (leaving && size == kept) return;
  kept = size;
  CommitCustomSize();
  InvalidatePreview();
}

void DocDlg::OnWidthTyped() { SizeTyped(kWidth, true, false); }
void DocDlg::OnLengthTyped() { SizeTyped(kLength, false, false); }
void DocDlg::OnWidthDone() { SizeTyped(kWidth, true, true); }
void DocDlg::OnLengthDone() { SizeTyped(kLength, false, true); }

void DocDlg::OnPaperSize() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPublic.dmPaperSize =
        static_cast<short>(SelectedComboData(this, kPaper, static_cast<WORD>(s->dmPublic.dmPaperSize)));
    UpdateControls();
  }
}

void DocDlg::OnPortrait() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPublic.dmOrientation = DMORIENT_PORTRAIT;
    UpdateControls();
  }
}

void DocDlg::OnLandscape() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPublic.dmOrientation = DMORIENT_LANDSCAPE;
    UpdateControls();
  }
}

void DocDlg::OnPagesPerSheet() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  const WORD pages = static_cast<WORD>(SelectedComboData(this, kPagesPerSheet, 1));
  if (IsPclJob(*s)) {
    s->dmPrivate._nUpPCL = pages;
    s->dmPrivate._nUp = 1;
  } else {
    s->dmPrivate._nUp = pages;
    s->dmPrivate._nUpPCL = 1;
  }
  UpdateControls();
}

void DocDlg::OnFixedOrientation() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._nFixedOrientation =
        static_cast<WORD>(SelectedComboData(this, kFixedOrientation, s->dmPrivate._nFixedOrientation));
    UpdateControls();
  }
}

void DocDlg::OnCopies() {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  unsigned long copies = LeadingUnsigned(ItemText(this, kCopies), kMaximumCopies);
  if (copies == 0) copies = 1;
  s->dmPublic.dmCopies = static_cast<short>(copies);
  SettingsChanged(this);
}

void DocDlg::OnCollate() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    const bool on = IsItemChecked(this, kCollate);
    s->dmPrivate._bCollate = on ? 1 : 0;
    s->dmPublic.dmCollate = on ? 1 : 0;
    UpdateControls();
  }
}

void DocDlg::OnJobMonitoring() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._iSNMP = IsItemChecked(this, kMonitor) ? kSnmpOn : kSnmpOff;
    UpdateControls();
  }
}

void DocDlg::OnBorder() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._bNupBorder = IsItemChecked(this, kBorder) ? 1 : 0;
    UpdateControls();
  }
}

void DocDlg::OnRotatePage() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._bRotatePage = IsItemChecked(this, kRotate) ? 1 : 0;
    UpdateControls();
  }
}

void DocDlg::OnPaint() {
  CPaintDC dc(this);
  XDEVMODE* s = WorkingSettings(this);
  ModelRecord* model = SheetModel(this);
  HWND frame = ::GetDlgItem(m_hWnd, kPreviewFrame);
  if (!s || !model || !frame) return;
  const PaperEntry* paper = PreviewPaper(*model, *s);
  if (!paper) return;
  RECT r{};
  ::GetWindowRect(frame, &r);
  POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
  ::ScreenToClient(m_hWnd, &corners[0]);
  ::ScreenToClient(m_hWnd, &corners[1]);
  const RECT area{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  const PreviewLayout layout = LayoutPreview(area, paper->geometry[0].width, paper->geometry[0].height,
                                             paper->feedDirection, s->dmPublic.dmOrientation, PreviewPagesPerSheet(*s));
  DrawPreview(&dc, layout);
}
