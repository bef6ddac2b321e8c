// The monitor's engine: a hidden window that owns the printer's settings, the
// SNMP sessions, the trap queue, the event agents and the data manager, driven
// by one timer with two deadline slots and by its window messages.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "monitor/command_line.h"
#include "monitor/data_manager.h"
#include "monitor/engine_ui.h"
#include "monitor/event_model.h"
#include "monitor/trap_dispatch.h"
#include "query/snmp_session.h"

#define PM_WM_QUERYSTATUS 1624u
#define PM_ENGINE_TIMER 1u

// Pending show requests of the main window.
#define PM_SHOW_NONE (-1)
#define PM_SHOW_NORMAL 1
#define PM_SHOW_MINIMIZED 6

// The status flags of the printer's detected error state (first octet).
#define PM_STATUS_ENGINE_FAULT 0x01u
#define PM_STATUS_OFFLINE 0x02u
#define PM_STATUS_PAPER_JAM 0x04u
#define PM_STATUS_COVER_OPEN 0x08u
#define PM_STATUS_TONER_OUT 0x10u
#define PM_STATUS_PAPER_OUT 0x40u

class PM_CEngine {
 public:
  explicit PM_CEngine(const PM_CCommandLine& commandLine);
  ~PM_CEngine();
  PM_CEngine(const PM_CEngine&) = delete;
  PM_CEngine& operator=(const PM_CEngine&) = delete;

  // From the main dialog's initialisation: the engine's window, the IDX file,
  // the stored settings, the show request of the command.
  BOOL Create(PM_CEngineUIInterface* ui);
  // 1 to run the main dialog, 0 to end (registry and change commands).
  int Start();
  // A command line handed over by a second start.
  void OnCommandLine(const std::string& line);
  void Close();

  void SetAutomaticRefresh(int flag, unsigned minutes);
  void RefreshAll(int force);
  void Refresh();
  int QueryPrinterStatus();
  BOOL OpenTrapReception();
  BOOL RegisterTrapDestination();
  void CheckDeviceStatus();
  void NotifyEventFlags(unsigned flags);
  void NotifyFromSettings(const char* key, unsigned flag, int required);
  void DispatchTrap(const SnmpTrapRecord& trap);
  void SetDeadline(int64_t seconds, int slot);
  void OnTimer(UINT_PTR id);

  void AddJobFromCommand(const std::vector<std::string>& arguments);
  void RemoveJobFromCommand(const std::vector<std::string>& arguments);

  // Instances and the IDX file.
  void SaveIdx();
  // The archive alone, without the store's refresh values; false when not written.
  bool WriteIdxArchive();
  void LoadIdx();
  void RecordWindowHandle();
  void RegisterInstance();
  void UnregisterInstance();
  std::string GetDriverPath() const;

  const std::string& PrinterName() const { return printerName_; }
  const std::string& PrinterAddress() const { return printerAddress_; }
  const std::string& IdxFilePath() const { return idxFilePath_; }
  int IsNotMonitored() const { return notMonitored_; }
  int IsCreated() const { return created_; }
  int CloseAfterLastJob() const { return closeAfterLastJob_; }
  void SetCloseAfterLastJob(int flag) { closeAfterLastJob_ = flag; }
  int AutomaticRefresh() const { return automaticRefresh_; }
  unsigned RefreshRate() const { return refreshRate_; }
  void SetNoSave() { noSave_ = 1; }
  int NoSave() const { return noSave_; }
  PM_CDataManager& Data() { return data_; }
  PM_CEventCategoryManagerArray& Agents() { return *agents_; }
  PM_CTrapDispatcher* Dispatcher() { return dispatcher_.get(); }
  HWND Window() const { return window_; }
  int PendingShow() const { return pendingShow_; }
  void ResetPendingShow() { pendingShow_ = PM_SHOW_NONE; }
  const PM_CCommandLine& CommandLine() const { return commandLine_; }
  // Deadline slots (tests and the dialog's refresh read them).
  bool SlotActive(int slot) const { return slots_[slot].active != 0; }
  int64_t SlotDeadline(int slot) const { return slots_[slot].deadline; }
  UINT TimerPeriodMs() const { return timerPeriodMs_; }

  // The poll's process-wide memory of the printer's up time.
  static void ResetPollState();

 private:
  struct DeadlineSlot {
    int active = 0;
    int64_t deadline = 0;
  };
  static LRESULT WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void ArmTimer();
  void UpdateDisplay(unsigned code);
  void FireSlot(int slot);
  bool PrepareQuerySession();
  // The SNMP library started once for the engine and cleaned up with it.
  bool StartSnmp();
  void OnSnmpReply();
  void OnSnmpTrap();

  std::string printerName_;
  std::string printerAddress_;
  std::string idxFilePath_;
  int closeAfterLastJob_ = 1;
  int automaticRefresh_ = 0;
  unsigned refreshRate_ = 30;
  int noSave_ = 0;
  int notMonitored_ = 1;
  int created_ = 0;
  std::unique_ptr<SnmpSession> trapSession_;
  std::unique_ptr<SnmpSession> querySession_;
  std::unique_ptr<PM_CEngineUIInterface> ui_;
  std::unique_ptr<PM_CEventCategoryManagerArray> agents_;
  PM_CDataManager data_;
  std::unique_ptr<PM_CTrapDispatcher> dispatcher_;
  PM_CCommandLine commandLine_;
  DeadlineSlot slots_[2];
  UINT_PTR timerId_ = 0;
  UINT timerPeriodMs_ = 0;
  std::deque<SnmpTrapRecord> trapQueue_;
  bool dispatching_ = false;
  bool mainWindowKnown_ = false;
  int pendingShow_ = PM_SHOW_NONE;
  HANDLE snmpMutex_ = 0;
  HWND window_ = 0;
  bool refreshing_ = false;
  bool snmpStarted_ = false;
  bool trapDestinationKnown_ = false;  // the printer accepted this host for its traps
  bool registrationTried_ = false;     // since the printer last answered
};
