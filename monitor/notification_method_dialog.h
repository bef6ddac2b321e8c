// How one event is notified (beep, message box, the monitor brought to the
// front, a sound file, repeated or not) and how long its row stays in the event
// list. OK writes the event's entry into the event configuration's working copy
// of "PRMONSET.INI"; Cancel and the title-bar close put the event back as it was.
#pragma once

#include <string>

#include "monitor/controls/spin_time_manager.h"
#include "monitor/dialog_base.h"
#include "monitor/event_settings_backup.h"
#include "monitor/settings_working_copy.h"

// The "PRMONSET.INI" key of an agent, by its title id; empty for agents that
// have none (the job agents).
std::string NotificationKeyName(uint32_t titleId);

class PM_CNotificationMathodDlg : public monitor::CDialogBase {
 public:
  PM_CNotificationMathodDlg(PM_CEventAgent* agent, const std::string& printerName,
                            monitor::SettingsWorkingCopy* workingCopy, CWnd* parent);
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  void OnSoundClicked();
  void OnBrowse();
  void OnRemovalChanged();
  LRESULT OnCloseBox(WPARAM, LPARAM);
  void OnHelp();

  DECLARE_MESSAGE_MAP()

 private:
  void EnableSound(BOOL enable);

  PM_CEventAgent* agent_;
  std::string printerName_;
  monitor::SettingsWorkingCopy* workingCopy_;
  monitor::AgentSettings backup_;
  monitor::DP_CSpinButtonTimeManager repeatSpin_;
  monitor::DP_CSpinButtonTimeManager removalSpin_;
};
