// Which printer events are notified and logged: per category whether its events
// are notified and whether and where they are logged, per event whether it is
// notified and (through the notification method dialog) how. OK applies the
// changes and keeps them (the monitor's archive, the event entries of
// "PRMONSET.INI"); Cancel and the title-bar close put everything back as it was.
#pragma once

#include "monitor/dialog_base.h"
#include "monitor/engine.h"
#include "monitor/event_settings_backup.h"
#include "monitor/settings_working_copy.h"
#include "monitor/status_rows.h"

class PM_CEventConfigurationDlg;

namespace monitor {

// The agent list: a click in a row's tick box switches the agent, a click in
// its settings box opens the agent's notification method, both on release.
class AgentListBox : public StatusListBox {
 public:
  explicit AgentListBox(PM_CEventConfigurationDlg* owner) : StatusListBox(&Draw, 1), owner_(owner) {}
  void OnLButtonUp(UINT flags, CPoint point);
  DECLARE_MESSAGE_MAP()

 private:
  static void Draw(HDC dc, const RECT& row, void* data);
  PM_CEventConfigurationDlg* owner_;
};

}  // namespace monitor

class PM_CEventConfigurationDlg : public monitor::CDialogBase {
 public:
  PM_CEventConfigurationDlg(PM_CEngine* engine, CWnd* parent);
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  void OnCategoryChanged();
  void OnLogClicked();
  void OnNotifyClicked();
  void OnBrowse();
  void OnPaint();
  void OnHelp();
  LRESULT OnCloseBox(WPARAM, LPARAM);
  // A released click at x in agent row `index`.
  void OnAgentClick(int index, int x);
  // The notification method dialog for the agent.
  void EditAgent(PM_CEventAgent* agent);

  PM_CEventCategoryManager* shownCategory() const { return current_; }

  DECLARE_MESSAGE_MAP()

 private:
  void CommitShownCategory();
  void ShowCategory(PM_CEventCategoryManager* category);
  void EnableLog(BOOL enable);
  void EnableAgents(BOOL enable);
  // Says that a setting file could not be made or written, and ends the dialog
  // with everything as it was.
  void Fail();

  PM_CEngine* engine_;
  monitor::EventSettingsBackup backup_;
  monitor::SettingsWorkingCopy workingCopy_;
  PM_CEventCategoryManager* current_ = nullptr;
  monitor::StatusListBox categoryList_;
  monitor::AgentListBox agentList_;
};
