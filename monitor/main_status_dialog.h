// The status monitor's main window: the printer's name and console panel, the
// event and job lists, the menus of settings, help and exit. The application
// runs it for the whole life of the process; later starts hand it their command
// lines with WM_COPYDATA, which wait in a queue until the engine exists.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "monitor/bitmap_button.h"
#include "monitor/dialog_base.h"
#include "monitor/engine.h"
#include "monitor/main_window.h"
#include "monitor/status_rows.h"

// Refresh flags of the main dialog (the engine's update codes).
#define PM_REFRESH_CONSOLE 0x01u
#define PM_REFRESH_EVENTS 0x02u
#define PM_REFRESH_JOBS 0x04u
#define PM_REFRESH_NOTIFY 0x08u
#define PM_REFRESH_CLOSE 0x10u

class PM_CMainStatusDlg : public monitor::CDialogBase {
 public:
  explicit PM_CMainStatusDlg(PM_CEngine* engine);
  ~PM_CMainStatusDlg() override;

  // Creates the window (its initialisation starts the engine); false when it
  // cannot be made.
  BOOL Open();
  // Runs the window until it ends (EndDialog, its title-bar close or a stop
  // signal); the dialog's result.
  INT_PTR Run();
  bool ended() const { return ended_; }
  INT_PTR result() const { return result_; }

  void Refresh(unsigned flags);
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override;
  void EndMain(INT_PTR result);

  // What the engine asks of the window.
  void UpdateDisplay(unsigned code);
  HWND MainDialog() { return m_hWnd; }
  void SetStatusText(const std::string& text);
  void BringBack();
  void ShowEventMessage(const std::string& text);
  // The engine ended before the window: the window keeps only its controls.
  void EngineGone();

  // Commands (menu ids and buttons).
  void OnRefreshButton();
  void OnAbout();
  void OnMonitorSettings();
  void OnEventConfiguration();
  void OnPrinterProperties();
  void OnMinimize();
  void OnExit();
  void OnDeletePrinter();
  void OnHelp();
  void OnPaint();
  void OnTimer(UINT_PTR id);
  LRESULT OnSizeMessage(WPARAM kind, LPARAM);
  // The Delete key on the job list: the selected job is no longer watched.
  void OnJobListDelete();
  // A double-click on an event row: its problem information.
  void OnEventDoubleClick();
  // The icon the last minimised paint showed.
  UINT shownIcon() const { return shownIcon_; }
  const std::string& alertTitle() const { return alertTitle_; }
  LRESULT OnCopyData(WPARAM, LPARAM lParam);
  void OnSysCommand(UINT id, LPARAM lParam);

  const std::string& consoleLine(int index) const { return index == 0 ? console1_ : console2_; }
  size_t queuedLines() const { return waiting_.size(); }

  DECLARE_MESSAGE_MAP()

 private:
  void ClearEventRows();
  UINT NextMinimizedIcon();
  void EndAlert();
  void ClearJobRows();

  PM_CEngine* engine_;
  // The engine's user-interface object reaches the dialog through this, and
  // finds it empty once the dialog is gone.
  std::shared_ptr<PM_CMainStatusDlg*> link_;
  monitor::StatusListBox jobList_;
  monitor::StatusListBox eventList_;
  monitor::CBitmapButtonExt printerPicture_;
  monitor::CBitmapButtonExt notifySettingsButton_;
  monitor::CBitmapButtonExt refreshButton_;
  std::vector<MonitorJobRef> jobRows_;
  std::vector<PM_CEvent*> eventRows_;
  std::string console1_;
  std::string console2_;
  std::deque<std::string> waiting_;
  RECT panel_{};
  bool painted_ = false;
  UINT_PTR animationTimer_ = 0;
  size_t animationFrame_ = 0;
  std::string alertTitle_;
  UINT alertIcon_ = 0;
  int alertTurns_ = 0;
  bool alertTurn_ = false;
  UINT shownIcon_ = 0;
  bool ended_ = false;
  INT_PTR result_ = IDCANCEL;
  HMENU menu_ = 0;
  monitor::DP_CFont panelFont_;
};

// The real main window for the program.
std::unique_ptr<PM_CMainWindowHost> CreateMainStatusWindow();
