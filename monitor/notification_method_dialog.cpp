#include "monitor/notification_method_dialog.h"

#include <cstdio>
#include <cstring>

#include "monitor/event_notification.h"
#include "monitor/monitor_help.h"
#include "monitor/monitor_settings.h"
#include "monitor/monitor_utilities.h"
#include "platform/ui/common_dialogs.h"

namespace {

constexpr UINT kTemplate = 155;
constexpr int kFront = 1052;
constexpr int kSound = 1050;
constexpr int kMessage = 1051;
constexpr int kBeep = 1055;
constexpr int kSoundFile = 1057;
constexpr int kBrowse = 1037;
constexpr int kRepeat = 1061;
constexpr int kRepeatSpin = 1074;
constexpr int kRepeatEdit = 1056;
constexpr int kRepeatUnit = 1076;
constexpr int kRemovalSpin = 1075;
constexpr int kRemovalEdit = 1026;
constexpr int kRemovalUnit = 1059;
constexpr int kHelp = 57670;

constexpr unsigned kCaption = 59192;
constexpr unsigned kBadSoundFile = 59206;
constexpr unsigned kSoundTitle = 59191;
constexpr unsigned kMonitorTitle = 104;

struct KeyName {
  uint32_t titleId;
  const char* key;
};
constexpr KeyName kKeyNames[] = {
    // clang-format off
    {59150, "IDS_EVENT_SERIOUS_OFFLINE"},        {59180, "IDS_EVENT_CRITICAL_ENGINE_FAULT"},
    {59238, "IDS_EVENT_SERIOUS_FUSER_UNIT"},     {59240, "IDS_EVENT_SERIOUS_PHOTO_COND"},
    {59242, "IDS_EVENT_SERIOUS_CLEANER_UNIT"},   {59246, "IDS_EVENT_SERIOUS_DEV_UNIT"},
    {59300, "IDS_EVENT_SERIOUS_TONER_BAG_UNIT"}, {59302, "IDS_EVENT_SERIOUS_YOKE_OPEN"},
    {59304, "IDS_EVENT_SERIOUS_SWING_FIN"},      {59308, "IDS_EVENT_SERIOUS_SAFETY_SW"},
    {59310, "IDS_EVENT_SERIOUS_PAPER_OUT"},      {59311, "IDS_EVENT_SERIOUS_STACKER_FULL"},
    {59312, "IDS_EVENT_SERIOUS_TONER_OUT"},      {59313, "IDS_EVENT_SERIOUS_PAPER_JAM"},
    {59317, "IDS_EVENT_SERIOUS_COVER_OPEN"},     {59319, "IDS_EVENT_SERIOUS_HR_CLEANER_UNIT"},
    {59321, "IDS_EVENT_SERIOUS_AUTO_LOAD"},      {59323, "IDS_EVENT_SERIOUS_FORM_LEN"},
    // clang-format on
    {59325, "IDS_EVENT_SERIOUS_PAPER_SIZE_UNMATCH"},
};

bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { ::CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

// A file at the path, or at the path taken in the program's folder.
bool SoundFileFound(const std::string& path) {
  if (!path.empty() && FileExists(path.c_str())) return true;
  return !path.empty() && FileExists((GetModuleFolder() + path).c_str());
}

}  // namespace

std::string NotificationKeyName(uint32_t titleId) {
  for (const KeyName& entry : kKeyNames) {
    if (entry.titleId == titleId) return entry.key;
  }
  return {};
}

// clang-format off
BEGIN_MESSAGE_MAP(PM_CNotificationMathodDlg, monitor::CDialogBase)
  ON_BN_CLICKED(kSound, OnSoundClicked)
  ON_BN_CLICKED(kBrowse, OnBrowse)
  ON_CONTROL(EN_KILLFOCUS, kRemovalEdit, OnRemovalChanged)
  ON_CONTROL(CBN_SELCHANGE, kRemovalUnit, OnRemovalChanged)
  ON_MESSAGE(WM_CLOSE, OnCloseBox)
  ON_BN_CLICKED(kHelp, OnHelp)
END_MESSAGE_MAP()
// clang-format on

PM_CNotificationMathodDlg::PM_CNotificationMathodDlg(PM_CEventAgent* agent, const std::string& printerName,
                                                     monitor::SettingsWorkingCopy* workingCopy, CWnd* parent)
    : CDialogBase(kTemplate, parent),
      agent_(agent),
      printerName_(printerName),
      workingCopy_(workingCopy),
      // Kept in memory: each open dialog has its own, whatever else edits.
      backup_(monitor::AgentSettings::Of(*agent)) {}

BOOL PM_CNotificationMathodDlg::OnInitDialog() {
  CDialogBase::OnInitDialog();
  CenterWindow();
  repeatSpin_.Attach(kRepeatSpin, this);
  repeatSpin_.Init(kRepeatEdit, kRepeatUnit, monitor::kUnitMinutes | monitor::kUnitHours | monitor::kUnitDays,
                   static_cast<long>(agent_->ReservedSpan()));
  removalSpin_.Attach(kRemovalSpin, this);
  removalSpin_.Init(kRemovalEdit, kRemovalUnit,
                    monitor::kUnitSeconds | monitor::kUnitMinutes | monitor::kUnitHours | monitor::kUnitDays,
                    static_cast<long>(agent_->DisplayPeriod()));
  const uint16_t flags = backup_.flags;
  Check(m_hWnd, kBeep, flags & PM_NOTIFY_BEEP);
  Check(m_hWnd, kMessage, flags & PM_NOTIFY_MESSAGE);
  Check(m_hWnd, kFront, flags & PM_NOTIFY_SHOW_WINDOW);
  Check(m_hWnd, kSound, flags & PM_NOTIFY_SOUND);
  Check(m_hWnd, kRepeat, agent_->ReservedCount() != 0);
  ::SetDlgItemTextA(m_hWnd, kSoundFile, backup_.soundFile.c_str());
  EnableSound(Checked(m_hWnd, kSound));
  char caption[512] = {};
  std::snprintf(caption, sizeof caption, monitor::LoadText(kCaption).c_str(), agent_->GetTitle().c_str());
  SetWindowText(caption);
  return TRUE;
}

void PM_CNotificationMathodDlg::EnableSound(BOOL enable) {
  for (int id : {kSoundFile, kBrowse}) {
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable);
  }
}

void PM_CNotificationMathodDlg::OnSoundClicked() { EnableSound(Checked(m_hWnd, kSound)); }

void PM_CNotificationMathodDlg::OnBrowse() {
  char file[MAX_PATH] = "*.WAV";
  static const char kFilter[] = "WAV Files (*.WAV)\0*.WAV\0";
  const std::string title = monitor::LoadText(kSoundTitle);
  OPENFILENAMEA open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = m_hWnd;
  open.lpstrFilter = kFilter;
  open.lpstrFile = file;
  open.nMaxFile = sizeof file;
  open.lpstrTitle = title.c_str();
  open.Flags = OFN_HIDEREADONLY;
  if (::GetOpenFileNameA(&open)) ::SetDlgItemTextA(m_hWnd, kSoundFile, file);
}

void PM_CNotificationMathodDlg::OnRemovalChanged() { removalSpin_.GetSeconds(); }

void PM_CNotificationMathodDlg::OnOK() {
  const bool sound = Checked(m_hWnd, kSound);
  char file[MAX_PATH] = {};
  ::GetDlgItemTextA(m_hWnd, kSoundFile, file, sizeof file);
  if (sound && !SoundFileFound(file)) {
    ::MessageBoxA(m_hWnd, monitor::LoadText(kBadSoundFile).c_str(), monitor::LoadText(kMonitorTitle).c_str(),
                  MB_ICONHAND);
    if (CWnd* edit = GetDlgItem(kSoundFile)) {
      edit->SetFocus();
      edit->SendMessage(EM_SETSEL, 0, -1);
    }
    return;
  }
  uint16_t flags = 0;
  if (Checked(m_hWnd, kBeep)) flags |= PM_NOTIFY_BEEP;
  if (Checked(m_hWnd, kMessage)) flags |= PM_NOTIFY_MESSAGE;
  if (Checked(m_hWnd, kFront)) flags |= PM_NOTIFY_SHOW_WINDOW;
  if (sound) flags |= PM_NOTIFY_SOUND;
  PM_CEventNotification* notification = agent_->GetNotification();
  auto* withSound = dynamic_cast<PM_CEventNotificationWIN311*>(notification);
  const std::string key = NotificationKeyName(agent_->TitleId());
  if (!key.empty()) {
    const std::string value = std::to_string(flags) + "," + (sound ? std::string(file) : std::string("NONE"));
    // A setting that cannot be kept is said at once, and nothing changes.
    if (!workingCopy_ || !workingCopy_->Write(printerName_, key, value)) {
      ::MessageBoxA(m_hWnd, monitor::LoadText(59248).c_str(), monitor::LoadText(kMonitorTitle).c_str(), MB_ICONHAND);
      return;
    }
  }
  if (notification) notification->SetFlags(flags);
  if (withSound && sound) withSound->SetSoundFile(file);
  agent_->SetReservedSpan(repeatSpin_.GetSeconds());
  agent_->SetReservedCount(Checked(m_hWnd, kRepeat) ? 1 : 0);
  agent_->SetDisplayPeriod(removalSpin_.GetSeconds());
  CDialogBase::OnOK();
}

void PM_CNotificationMathodDlg::OnCancel() {
  backup_.ApplyTo(*agent_);
  CDialogBase::OnCancel();
}

LRESULT PM_CNotificationMathodDlg::OnCloseBox(WPARAM, LPARAM) {
  OnCancel();
  return 0;
}

void PM_CNotificationMathodDlg::OnHelp() { ShowMonitorHelp(printerName_, kTemplate); }
