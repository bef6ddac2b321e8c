#include "interface/pages/image_page.h"

#include <algorithm>

#include "controls/page_functions.h"
#include "interface/pages/page_helpers.h"

using namespace pages;

namespace {

constexpr UINT kTemplate = 123;
constexpr UINT kTabIcon = 131;
constexpr UINT kTabTitle = 22;
constexpr UINT kNoMarginsNote = 301, kNoteCaption = 300;

constexpr int kResolution = 1053, kScaleLabel = 1093, kScale = 1058, kScaleUp = 1060, kScaleDown = 1062;
constexpr int kColourToBlack = 1075, kNegative = 1072, kMirror = 1077, kImagePicture = 1008;
constexpr int kStandardMargins = 1045, kNoMargins = 1050, kBookBinding = 1048, kMarginPicture = 1035;
constexpr int kHalftoneButton = 1063, kGraphicsLabel = 1435, kVector = 1433, kRaster = 1434;
constexpr int kHalftoneGroup = 1315, kPrinterScreen = 1316, kOwnScreen = 1317, kFrequencyLabel = 1318,
              kFrequency = 1319, kAngle = 1320, kAngleLabel = 1323;
constexpr int kFrequencyUp = 1082, kFrequencyDown = 1085, kAngleUp = 1088, kAngleDown = 1091;

constexpr int kMinimumScale = 10, kMaximumScale = 400, kDefaultScale = 100, kScaleStep = 5;
constexpr int kMinimumFrequency = 3, kMaximumAngle = 360;
constexpr int kDefaultFrequency = 85, kDefaultAngle = 45;

const char* const kImagePictures[8] = {
    "IMDEFAULT_U", "IMMIRROR_U",      "IMNEGATIVE_U",      "IMNEGATIVEMIRROR_U",
    "IMBLACK_U",   "IMBLACKMIRROR_U", "IMBLACKNEGATIVE_U", "IMBLACKNEGATIVEMIRROR_U"};

int Resolution(const XDEVMODE& s) { return std::max<int>(s.dmPublic.dmPrintQuality, kMinimumFrequency); }

}  // namespace

BEGIN_MESSAGE_MAP(ImageDlg, controls::DP_ListBoxTabDialogItem)
ON_CONTROL(CBN_SELCHANGE, kResolution, OnResolution)
ON_CONTROL(EN_CHANGE, kScale, OnScale)
ON_CONTROL(EN_KILLFOCUS, kScale, OnScaleDone)
ON_BN_CLICKED(kColourToBlack, OnImageOption)
ON_BN_CLICKED(kNegative, OnImageOption)
ON_BN_CLICKED(kMirror, OnImageOption)
ON_BN_CLICKED(kStandardMargins, OnStandardMargins)
ON_BN_CLICKED(kBookBinding, OnBookBinding)
ON_BN_CLICKED(kNoMargins, OnNoMargins)
ON_BN_CLICKED(kVector, OnVectorGraphics)
ON_BN_CLICKED(kRaster, OnRasterGraphics)
ON_BN_CLICKED(kPrinterScreen, OnPrinterScreen)
ON_BN_CLICKED(kOwnScreen, OnOwnScreen)
ON_CONTROL(EN_CHANGE, kFrequency, OnFrequency)
ON_CONTROL(EN_CHANGE, kAngle, OnAngle)
END_MESSAGE_MAP()

ImageDlg::ImageDlg() : DP_ListBoxTabDialogItem(kTemplate) {}

void ImageDlg::DescribeTab() { SetTabInfo(kTabIcon, controls::LoadText(kTabTitle)); }

void ImageDlg::DoDataExchange(CDataExchange* exchange) {
  DP_ListBoxTabDialogItem::DoDataExchange(exchange);
  if (!m_scaleEdit.m_hWnd) m_scaleEdit.SubclassDlgItem(kScale, this);
  if (!m_frequencyEdit.m_hWnd) m_frequencyEdit.SubclassDlgItem(kFrequency, this);
  if (!m_angleEdit.m_hWnd) m_angleEdit.SubclassDlgItem(kAngle, this);
}

BOOL ImageDlg::OnInitDialog() {
  DP_ListBoxTabDialogItem::OnInitDialog();
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return TRUE;
  m_scaleUp.AttachInteger(kScaleUp, 1, kScale, kMinimumScale, kMaximumScale, kScaleStep, this);
  m_scaleDown.AttachInteger(kScaleDown, 0, kScale, kMinimumScale, kMaximumScale, kScaleStep, this);
  m_imagePicture.SubclassDlgItem(kImagePicture, this);
  m_marginPicture.SubclassDlgItem(kMarginPicture, this);
  if (IsPostScriptJob(*s)) {
    m_frequencyUp.AttachInteger(kFrequencyUp, 1, kFrequency, kMinimumFrequency, Resolution(*s), 1, this);
    m_frequencyDown.AttachInteger(kFrequencyDown, 0, kFrequency, kMinimumFrequency, Resolution(*s), 1, this);
    m_angleUp.AttachInteger(kAngleUp, 1, kAngle, 0, kMaximumAngle, 1, this);
    m_angleDown.AttachInteger(kAngleDown, 0, kAngle, 0, kMaximumAngle, 1, this);
    LimitItemText(this, kFrequency, 3);
    LimitItemText(this, kAngle, 3);
  }
  m_scaleEdit.SetSpinIds(kScaleUp, kScaleDown);
  m_angleEdit.SetSpinIds(kAngleUp, kAngleDown);
  m_frequencyEdit.SetSpinIds(kFrequencyUp, kFrequencyDown);
  UpdateControls();
  return TRUE;
}

void ImageDlg::SetEditText(int id, const std::string& text) {
  filling_ = true;
  SetItemText(this, id, text);
  filling_ = false;
}

void ImageDlg::ShowImagePicture() {
  const int index = (IsItemChecked(this, kMirror) ? 1 : 0) + (IsItemChecked(this, kNegative) ? 2 : 0) +
                    (IsItemChecked(this, kColourToBlack) ? 4 : 0);
  m_imagePicture.LoadBitmaps(kImagePictures[index]);
  m_imagePicture.Invalidate();
}

void ImageDlg::ShowMargin(WORD marginType) {
  CheckItem(this, kStandardMargins, marginType == kMarginsStandard);
  CheckItem(this, kBookBinding, marginType == kMarginsBookBinding);
  CheckItem(this, kNoMargins, marginType == kMarginsNone);
  m_marginPicture.LoadBitmaps(marginType == kMarginsNone          ? "PAGEMARGIN_U"
                              : marginType == kMarginsBookBinding ? "BOOKMARGIN_U"
                                                                  : "DEFMARGIN_U");
  m_marginPicture.Invalidate();
}

void ImageDlg::UpdateControls() {
  XDEVMODE* working = WorkingSettings(this);
  ModelRecord* model = SheetModel(this);
  if (!working || !model) return;
  XDEVMODE& s = *working;
  XDEVMODE_PRIVATE& p = s.dmPrivate;

  ComboEntries resolutions;
  for (int i = 0; i < kModelMaxResolutions && model->resolutions[i].id != 0; ++i) {
    const WORD dpi = model->resolutions[i].xDpi;
    resolutions.emplace_back(controls::IntegerText(dpi), dpi);
  }
  FillCombo(this, kResolution, resolutions);
  const short dpi =
      static_cast<short>(SelectComboData(this, kResolution, static_cast<WORD>(s.dmPublic.dmPrintQuality)));
  if (dpi != s.dmPublic.dmPrintQuality) s.dmPublic.dmPrintQuality = s.dmPublic.dmYResolution = dpi;

  const bool pcl = IsPclJob(s);
  ShowItems(this, {kScaleLabel, kScale, kScaleUp, kScaleDown, kColourToBlack, kNegative, kMirror, kImagePicture}, !pcl);
  if (!pcl) {
    LimitItemText(this, kScale, 3);
    if (LeadingUnsigned(ItemText(this, kScale), 999) != static_cast<unsigned long>(s.dmPublic.dmScale))
      SetEditText(kScale, controls::IntegerText(s.dmPublic.dmScale));
    CheckItem(this, kColourToBlack, p._bColorToBlack != 0);
    CheckItem(this, kNegative, p._bNegativeImage != 0);
    CheckItem(this, kMirror, p._bMirrorImage != 0);
  }
  // A mirrored page among several on a sheet is not offered.
  if (p._nUp > 1) {
    p._bMirrorImage = 0;
    CheckItem(this, kMirror, false);
    EnableItem(this, kMirror, false);
  } else {
    EnableItem(this, kMirror, true);
  }
  if (!pcl) ShowImagePicture();

  EnableItem(this, kHalftoneButton, false);
  ShowItems(this, {kGraphicsLabel, kVector, kRaster}, false);
  EnableItems(this, {kGraphicsLabel, kVector, kRaster}, false);
  p._nGraphicsMode = 0;

  ShowMargin(p._nMarginType);

  const bool postScript = IsPostScriptJob(s);
  const auto halftone = {kHalftoneGroup, kPrinterScreen, kOwnScreen,     kFrequencyLabel, kFrequency, kAngle,
                         kAngleLabel,    kFrequencyUp,   kFrequencyDown, kAngleUp,        kAngleDown};
  ShowItems(this, halftone, postScript);
  if (postScript) {
    const bool own = p._bPrinterScreen == 0;
    EnableItems(this,
                {kFrequencyLabel, kAngleLabel, kFrequency, kAngle, kFrequencyUp, kFrequencyDown, kAngleUp, kAngleDown},
                own);
    // The printer's own screen takes no frequency or angle.
    if (!own) p._nScreenFrequency = p._nScreenAngle = 0;
    CheckItem(this, kPrinterScreen, !own);
    CheckItem(this, kOwnScreen, own);
    SetEditText(kFrequency, own ? controls::IntegerText(p._nScreenFrequency) : "");
    SetEditText(kAngle, own ? controls::IntegerText(p._nScreenAngle) : "");
  }
  FinishRefresh(this, {}, true);
}

void ImageDlg::OnResolution() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  const short dpi =
      static_cast<short>(SelectedComboData(this, kResolution, static_cast<WORD>(s->dmPublic.dmPrintQuality)));
  s->dmPublic.dmPrintQuality = s->dmPublic.dmYResolution = dpi;
  // A screen finer than the new resolution cannot be printed.
  if (s->dmPrivate._bPrinterScreen == 0 && s->dmPrivate._nScreenFrequency > Resolution(*s))
    s->dmPrivate._nScreenFrequency = static_cast<SHORT>(Resolution(*s));
  for (controls::SpinButton* spin : {&m_frequencyUp, &m_frequencyDown})
    if (spin->m_hWnd) spin->SetIntegerRange(kMinimumFrequency, Resolution(*s));
  UpdateControls();
}

void ImageDlg::OnScale() {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  int scale = static_cast<int>(LeadingUnsigned(ItemText(this, kScale), 9999));
  if (scale == 0) scale = kDefaultScale;
  s->dmPublic.dmScale = static_cast<short>(std::clamp(scale, kMinimumScale, kMaximumScale));
  SettingsChanged(this);
}

void ImageDlg::OnImageOption() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  s->dmPrivate._bColorToBlack = IsItemChecked(this, kColourToBlack) ? 1 : 0;
  s->dmPrivate._bNegativeImage = IsItemChecked(this, kNegative) ? 1 : 0;
  s->dmPrivate._bMirrorImage = IsItemChecked(this, kMirror) ? 1 : 0;
  ShowImagePicture();
  SettingsChanged(this);
}

void ImageDlg::OnStandardMargins() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._nMarginType = kMarginsStandard;
    ShowMargin(kMarginsStandard);
    SettingsChanged(this);
  }
}

void ImageDlg::OnBookBinding() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._nMarginType = kMarginsBookBinding;
    ShowMargin(kMarginsBookBinding);
    SettingsChanged(this);
  }
}

void ImageDlg::OnNoMargins() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  s->dmPrivate._nMarginType = kMarginsNone;
  ShowMargin(kMarginsNone);
  if (s->dmPrivate._bNupBorder) controls::MessageBoxFromIds(this, kNoMarginsNote, kNoteCaption, MB_ICONINFORMATION);
  SettingsChanged(this);
}

void ImageDlg::OnVectorGraphics() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._nGraphicsMode = 0;
    SettingsChanged(this);
  }
}

void ImageDlg::OnRasterGraphics() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._nGraphicsMode = 1;
    SettingsChanged(this);
  }
}

void ImageDlg::ScreenChanged() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  if (s->dmPrivate._bPrinterScreen == 0) {
    // The settings below start from a usual screen.
    SetItemText(this, kFrequency, controls::IntegerText(kDefaultFrequency));
    SetItemText(this, kAngle, controls::IntegerText(kDefaultAngle));
  }
  UpdateControls();
}

void ImageDlg::OnPrinterScreen() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._bPrinterScreen = IsItemChecked(this, kPrinterScreen) ? 1 : 0;
    ScreenChanged();
  }
}

void ImageDlg::OnOwnScreen() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._bPrinterScreen = IsItemChecked(this, kOwnScreen) ? 0 : 1;
    ScreenChanged();
  }
}

void ImageDlg::OnFrequency() {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  int value = 0;
  if (s->dmPrivate._bPrinterScreen == 0)
    value = std::clamp(static_cast<int>(LeadingUnsigned(ItemText(this, kFrequency), 9999)), kMinimumFrequency,
                       Resolution(*s));
  s->dmPrivate._nScreenFrequency = static_cast<SHORT>(value);
  SettingsChanged(this);
}

void ImageDlg::OnAngle() {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  int value = 0;
  if (s->dmPrivate._bPrinterScreen == 0)
    value = std::clamp(static_cast<int>(LeadingUnsigned(ItemText(this, kAngle), 9999)), 0, kMaximumAngle);
  s->dmPrivate._nScreenAngle = static_cast<SHORT>(value);
  SettingsChanged(this);
}
