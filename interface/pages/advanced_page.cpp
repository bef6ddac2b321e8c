#include "interface/pages/advanced_page.h"

#include <cstdlib>

#include "controls/page_functions.h"
#include "interface/pages/page_helpers.h"

using namespace pages;

namespace {

constexpr UINT kTemplate = 125;
constexpr UINT kTabIcon = 118;
constexpr UINT kTabTitle = 44;
constexpr UINT kPostScriptName = 80, kPcl5Name = 81, kPclXlName = 84;
constexpr UINT kAscii = 10, kBinary = 11, kPrinterErrors = 12, kPrintErrors = 13, kNoCompression = 14;
constexpr UINT kBeforeJob = 16, kAfterJob = 17, kBeforeAndAfter = 18, kNoSeparator = 23, kRasterImage = 42;
constexpr UINT kRunLengthLow = 438, kRunLength = 439, kIllegalInput = 450, kErrorCaption = 192;
constexpr UINT kMetafileQuestion = 8922, kMetafileCaption = 44;

constexpr int kLanguage = 1164, kDataFormat = 1123, kCompression = 1127, kSeparator = 1130, kErrors = 1119;
constexpr int kDataLabel = 1087, kSeparatorLabel = 1084, kErrorsLabel = 1137;
constexpr int kMetafile = 1139, kMemory = 1146, kMemoryLabel = 1089, kClearMemory = 1144;
constexpr int kTimeoutGroup = 1080, kPrinterTimeouts = 1064, kJobTimeout = 1138, kJobTimeoutLabel = 1067,
              kWaitTimeout = 1430, kWaitTimeoutLabel = 1070;
constexpr int kJobUp = 1000, kJobDown = 1002, kWaitUp = 1431, kWaitDown = 1432;

constexpr DWORD kCompressionNone = 3, kCompressionRunLength = 5, kCompressionRunLengthLow = 20;
constexpr int kMaximumTimeout = 999, kTimeoutStep = 5;
constexpr DWORD kSeparatorBits = kAdvJobTerminatorBefore | kAdvJobTerminatorAfter;
constexpr DWORD kSnmpOff = 1, kSnmpOn = 2;

// Kilobytes typed for the printer's memory, as bytes: at least 100 KB, at most 65535 KB.
DWORD MemoryBytes(long kilobytes) {
  if (kilobytes < 100) return 100 * 1024;
  if (kilobytes < 65536) return static_cast<DWORD>(kilobytes) * 1024;
  return 0x3FFFC00;
}

}  // namespace

BEGIN_MESSAGE_MAP(AdvancedDlg, controls::DP_ListBoxTabDialogItem)
ON_CONTROL(CBN_SELCHANGE, kDataFormat, OnDataFormat)
ON_CONTROL(CBN_SELCHANGE, kCompression, OnCompression)
ON_CONTROL(CBN_SELCHANGE, kSeparator, OnJobSeparator)
ON_CONTROL(CBN_SELCHANGE, kErrors, OnErrorPrinting)
ON_CONTROL(EN_CHANGE, kJobTimeout, OnJobTimeout)
ON_CONTROL(EN_CHANGE, kWaitTimeout, OnWaitTimeout)
ON_BN_CLICKED(kPrinterTimeouts, OnPrinterTimeouts)
ON_BN_CLICKED(kMetafile, OnMetafileSpooling)
ON_BN_CLICKED(kClearMemory, OnClearMemory)
ON_CONTROL(EN_CHANGE, kMemory, OnMemoryTyped)
ON_CONTROL(EN_KILLFOCUS, kMemory, OnMemoryDone)
END_MESSAGE_MAP()

AdvancedDlg::AdvancedDlg() : DP_ListBoxTabDialogItem(kTemplate) {}

void AdvancedDlg::DescribeTab() { SetTabInfo(kTabIcon, controls::LoadText(kTabTitle)); }

void AdvancedDlg::DoDataExchange(CDataExchange* exchange) {
  DP_ListBoxTabDialogItem::DoDataExchange(exchange);
  if (!m_waitTimeoutEdit.m_hWnd) m_waitTimeoutEdit.SubclassDlgItem(kWaitTimeout, this);
  if (!m_jobTimeoutEdit.m_hWnd) m_jobTimeoutEdit.SubclassDlgItem(kJobTimeout, this);
}

BOOL AdvancedDlg::OnInitDialog() {
  DP_ListBoxTabDialogItem::OnInitDialog();
  m_jobTimeoutUp.AttachInteger(kJobUp, 1, kJobTimeout, 0, kMaximumTimeout, kTimeoutStep, this);
  m_jobTimeoutDown.AttachInteger(kJobDown, 0, kJobTimeout, 0, kMaximumTimeout, kTimeoutStep, this);
  m_waitTimeoutUp.AttachInteger(kWaitUp, 1, kWaitTimeout, 0, kMaximumTimeout, kTimeoutStep, this);
  m_waitTimeoutDown.AttachInteger(kWaitDown, 0, kWaitTimeout, 0, kMaximumTimeout, kTimeoutStep, this);
  m_jobTimeoutEdit.SetSpinIds(kJobUp, kJobDown);
  m_waitTimeoutEdit.SetSpinIds(kWaitUp, kWaitDown);
  UpdateControls();
  return TRUE;
}

void AdvancedDlg::SetEditText(int id, const std::string& text) {
  filling_ = true;
  SetItemText(this, id, text);
  filling_ = false;
}

void AdvancedDlg::UpdateControls() {
  XDEVMODE* working = WorkingSettings(this);
  if (!working) return;
  XDEVMODE& s = *working;
  XDEVMODE_PRIVATE& p = s.dmPrivate;
  const bool postScript = IsPostScriptJob(s);

  SetItemText(this, kLanguage,
              controls::LoadText(postScript              ? kPostScriptName
                                 : (p._nPDL & kPdlPclXl) ? kPclXlName
                                                         : kPcl5Name));

  FillCombo(this, kDataFormat, {{controls::LoadText(kAscii), 0}, {controls::LoadText(kBinary), 1}});
  SelectComboData(this, kDataFormat, p._dwAdvSettings & kAdvBinaryData);

  ComboEntries compressions{{controls::LoadText(kNoCompression), kCompressionNone}};
  if (postScript) {
    compressions.emplace_back(controls::LoadText(kRunLength), kCompressionRunLength);
    compressions.emplace_back(controls::LoadText(kRunLengthLow), kCompressionRunLengthLow);
  } else {
    compressions.emplace_back(controls::LoadText(kRasterImage), kCompressionRunLength);
    if (p._nCompression > kCompressionRunLength) p._nCompression = kCompressionRunLength;
  }
  FillCombo(this, kCompression, compressions);
  p._nCompression = static_cast<WORD>(SelectComboData(this, kCompression, p._nCompression));

  FillCombo(this, kSeparator,
            {{controls::LoadText(kNoSeparator), 0},
             {controls::LoadText(kBeforeJob), kAdvJobTerminatorBefore},
             {controls::LoadText(kAfterJob), kAdvJobTerminatorAfter},
             {controls::LoadText(kBeforeAndAfter), kSeparatorBits}});
  SelectComboData(this, kSeparator, p._dwAdvSettings & kSeparatorBits);
  FillCombo(this, kErrors,
            {{controls::LoadText(kPrinterErrors), 0}, {controls::LoadText(kPrintErrors), kAdvPrintErrors}});
  SelectComboData(this, kErrors, p._dwAdvSettings & kAdvPrintErrors);

  CheckItem(this, kMetafile, (p._dwAdvSettings & kAdvEmfSpooling) != 0);
  LimitItemText(this, kJobTimeout, 3);
  LimitItemText(this, kWaitTimeout, 3);
  SetEditText(kJobTimeout, controls::IntegerText(p._nJobTimeout));
  SetEditText(kWaitTimeout, controls::IntegerText(p._nWaitTimeout));
  const bool printers = (p._dwAdvSettings & kAdvOverridePrinterTimeouts) == 0;
  CheckItem(this, kPrinterTimeouts, printers);
  ApplyTimeoutChoice(printers);
  CheckItem(this, kClearMemory, p._bClearMemoryPerPage != 0);
  LimitItemText(this, kMemory, 5);
  SetEditText(kMemory, controls::IntegerText(static_cast<int>(p._lAvailableMemory / 1024)));

  ShowItems(this,
            {kTimeoutGroup, kPrinterTimeouts, kJobTimeoutLabel, kWaitTimeoutLabel, kJobTimeout, kWaitTimeout, kJobUp,
             kJobDown, kWaitUp, kWaitDown, kDataLabel, kDataFormat, kSeparatorLabel, kSeparator, kErrorsLabel, kErrors},
            postScript);
  ShowItems(this, {kClearMemory, kMemoryLabel, kMemory}, true);
  FinishRefresh(this, {}, false);
}

void AdvancedDlg::ApplyTimeoutChoice(bool printers) {
  EnableItems(this,
              {kJobTimeout, kJobUp, kJobDown, kJobTimeoutLabel, kWaitTimeout, kWaitUp, kWaitDown, kWaitTimeoutLabel},
              !printers);
}

void AdvancedDlg::OnDataFormat() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  DWORD& bits = s->dmPrivate._dwAdvSettings;
  if (SelectedComboData(this, kDataFormat, 0) == 1) {
    bits = (bits & ~kSeparatorBits) | kAdvBinaryData;
  } else {
    // Back to ASCII: a separator after the job ends it again.
    if (bits & kAdvBinaryData) bits |= kAdvJobTerminatorAfter;
    bits &= ~kAdvBinaryData;
  }
  UpdateControls();
  SettingsChanged(this);
}

void AdvancedDlg::OnCompression() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._nCompression = static_cast<WORD>(SelectedComboData(this, kCompression, s->dmPrivate._nCompression));
    SettingsChanged(this);
  }
}

void AdvancedDlg::OnJobSeparator() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    const DWORD chosen = static_cast<DWORD>(SelectedComboData(this, kSeparator, 0)) & kSeparatorBits;
    s->dmPrivate._dwAdvSettings = (s->dmPrivate._dwAdvSettings & ~kSeparatorBits) | chosen;
    SettingsChanged(this);
  }
}

void AdvancedDlg::OnErrorPrinting() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    if (SelectedComboData(this, kErrors, 0) != 0)
      s->dmPrivate._dwAdvSettings |= kAdvPrintErrors;
    else
      s->dmPrivate._dwAdvSettings &= ~kAdvPrintErrors;
    SettingsChanged(this);
  }
}

void AdvancedDlg::OnJobTimeout() {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  s->dmPrivate._nJobTimeout = static_cast<WORD>(LeadingUnsigned(ItemText(this, kJobTimeout), kMaximumTimeout));
  SettingsChanged(this);
}

void AdvancedDlg::OnWaitTimeout() {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  s->dmPrivate._nWaitTimeout = static_cast<WORD>(LeadingUnsigned(ItemText(this, kWaitTimeout), kMaximumTimeout));
  SettingsChanged(this);
}

void AdvancedDlg::OnPrinterTimeouts() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  const bool printers = IsItemChecked(this, kPrinterTimeouts);
  if (printers)
    s->dmPrivate._dwAdvSettings &= ~kAdvOverridePrinterTimeouts;
  else
    s->dmPrivate._dwAdvSettings |= kAdvOverridePrinterTimeouts;
  ApplyTimeoutChoice(printers);
  SettingsChanged(this);
}

void AdvancedDlg::OnMetafileSpooling() {
  XDEVMODE* s = WorkingSettings(this);
  if (!s) return;
  XDEVMODE_PRIVATE& p = s->dmPrivate;
  if (!IsItemChecked(this, kMetafile)) {
    p._dwAdvSettings &= ~kAdvEmfSpooling;
  } else if (controls::MessageBoxFromIds(this, kMetafileQuestion, kMetafileCaption, MB_YESNO | MB_ICONWARNING) ==
             IDYES) {
    // What a metafile job cannot do is turned off with it.
    p._dwAdvSettings |= kAdvEmfSpooling;
    if (p._iSNMP == kSnmpOn) p._iSNMP = kSnmpOff;
    p._bInsertSheets = 0;
    p.JobNameSuffixOn = 0;
    p._epBanner.on = 0;
    // No watermark is an all-zero record, so every reader sees none.
    p._wmCurrent = WatermarkRecord{};
  } else {
    CheckItem(this, kMetafile, false);
  }
  SettingsChanged(this);
}

void AdvancedDlg::OnClearMemory() {
  if (XDEVMODE* s = WorkingSettings(this)) {
    s->dmPrivate._bClearMemoryPerPage = IsItemChecked(this, kClearMemory) ? 1 : 0;
    SettingsChanged(this);
  }
}

// A number typed is taken at once; anything else is refused once the edit is left.
void AdvancedDlg::MemoryTyped(bool leaving) {
  XDEVMODE* s = WorkingSettings(this);
  if (filling_ || !s) return;
  const std::string text = ItemText(this, kMemory).substr(0, 5);
  if (text.empty()) return;
  if (!IsPlainNumberText(text)) {
    if (leaving) controls::MessageBoxFromIds(this, kIllegalInput, kErrorCaption, MB_ICONSTOP);
    return;
  }
  s->dmPrivate._lAvailableMemory = MemoryBytes(std::atol(text.c_str()));
  SettingsChanged(this);
}

void AdvancedDlg::OnMemoryTyped() { MemoryTyped(false); }
void AdvancedDlg::OnMemoryDone() { MemoryTyped(true); }
