#include "monitor/settings_dialog.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "common/settings_store.h"
#include "monitor/monitor_help.h"
#include "monitor/monitor_settings.h"
#include "platform/ui/sound.h"

namespace {

constexpr int kAutomatic = 1069;
constexpr int kManual = 1070;
constexpr int kSpin = 1072;
constexpr int kRate = 1073;
constexpr int kMinutes = 1090;
constexpr int kCloseAfterLastJob = 1050;
constexpr int kHelp = 57670;
constexpr int kMinRate = 1;
constexpr int kMaxRate = 59;

// The edit's whole number; false for anything else (a sign, letters, too many digits).
bool ParseRate(const std::string& text, long* value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
  *value = std::strtol(text.c_str(), nullptr, 10);
  return true;
}

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(PM_CConfigurePMSettings, CDialog)
  ON_BN_CLICKED(kAutomatic, OnAutomatic)
  ON_BN_CLICKED(kManual, OnManual)
  ON_CONTROL(EN_CHANGE, kRate, OnRateChanged)
  ON_MESSAGE(monitor::kSpinStep, OnSpinStep)
  ON_BN_CLICKED(kHelp, OnHelp)
END_MESSAGE_MAP()
// clang-format on

BOOL PM_CConfigurePMSettings::OnInitDialog() {
  CDialog::OnInitDialog();
  closeAfterLastJob_ = engine_->CloseAfterLastJob() ? TRUE : FALSE;
  rate_ = std::max(kMinRate, static_cast<int>(std::min<unsigned>(engine_->RefreshRate(), 0x7FFFFFFF)));
  automatic_ = engine_->AutomaticRefresh() ? TRUE : FALSE;
  spin_.Attach(kSpin, this);
  spin_.SetBuddy(kRate, std::to_string(rate_).c_str(), TRUE);
  ::CheckDlgButton(m_hWnd, automatic_ ? kAutomatic : kManual, BST_CHECKED);
  ::CheckDlgButton(m_hWnd, automatic_ ? kManual : kAutomatic, BST_UNCHECKED);
  ::CheckDlgButton(m_hWnd, kCloseAfterLastJob, closeAfterLastJob_ ? BST_CHECKED : BST_UNCHECKED);
  EnableRate(automatic_);
  return TRUE;
}

void PM_CConfigurePMSettings::EnableRate(BOOL enable) {
  for (int id : {kSpin, kRate, kMinutes}) {
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable);
  }
}

long PM_CConfigurePMSettings::ReadRate() const {
  long value = -1;
  CWnd* edit = GetDlgItem(kRate);
  if (!edit || !ParseRate(edit->GetWindowText(), &value)) return -1;
  return value;
}

void PM_CConfigurePMSettings::OnAutomatic() {
  automatic_ = TRUE;
  EnableRate(TRUE);
}

void PM_CConfigurePMSettings::OnManual() {
  automatic_ = FALSE;
  EnableRate(FALSE);
}

void PM_CConfigurePMSettings::OnRateChanged() {
  if (!automatic_) return;
  // The whole number counts: 65537 is not 1 taken as 16 bits.
  const long value = ReadRate();
  if (value >= kMinRate && value <= kMaxRate) {
    rate_ = static_cast<int>(value);
    return;
  }
  const int shown = rate_ >= kMinRate && rate_ <= kMaxRate ? rate_ : 30;
  if (CWnd* edit = GetDlgItem(kRate)) edit->SetWindowText(std::to_string(shown));
}

LRESULT PM_CConfigurePMSettings::OnSpinStep(WPARAM up, LPARAM) {
  long value = ReadRate();
  if (value < 0) value = rate_;
  value += up ? 1 : -1;
  if (value > kMaxRate) {
    MessageBeep(0xFFFFFFFFu);
    value = kMaxRate;
  } else if (value < kMinRate) {
    MessageBeep(0xFFFFFFFFu);
    value = kMinRate;
  }
  if (CWnd* edit = GetDlgItem(kRate)) edit->SetWindowText(std::to_string(value));
  return 0;
}

void PM_CConfigurePMSettings::OnOK() {
  // A rate outside 1 to 59 minutes is refused at OK, whatever the radio buttons
  // say: 0 would arm a refresh that never fires.
  const long value = ReadRate();
  if (value < kMinRate || value > kMaxRate) {
    MessageBeep(0xFFFFFFFFu);
    if (CWnd* edit = GetDlgItem(kRate)) {
      edit->SetWindowText(std::to_string(rate_ >= kMinRate && rate_ <= kMaxRate ? rate_ : 30));
      edit->SetFocus();
    }
    return;
  }
  rate_ = static_cast<int>(value);
  automatic_ = ::IsDlgButtonChecked(m_hWnd, kAutomatic) == BST_CHECKED;
  engine_->SetAutomaticRefresh(automatic_, static_cast<unsigned>(rate_));
  // The box the user sees decides, and is kept for the next start.
  closeAfterLastJob_ = ::IsDlgButtonChecked(m_hWnd, kCloseAfterLastJob) == BST_CHECKED;
  engine_->SetCloseAfterLastJob(closeAfterLastJob_ ? 1 : 0);
  monitor::Db().SetDword(0, kStoreUser, engine_->PrinterName().c_str(), "CloseAfterLastJob",
                         closeAfterLastJob_ ? 1 : 0);
  CDialog::OnOK();
}

void PM_CConfigurePMSettings::OnHelp() { ShowMonitorHelp(engine_->PrinterName(), 165); }
