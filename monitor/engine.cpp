#include "monitor/engine.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "monitor/event_notification.h"
#include "monitor/instance_registry.h"
#include "monitor/monitor_files.h"
#include "monitor/monitor_settings.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/handles.h"
#include "platform/base/named_mutex.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"
#include "platform/ui/sound.h"
#include "platform/ui/window.h"
#include "platform/ui/window_finder.h"
#include "query/query_ids.h"
#include "query/trap_reception.h"

namespace {

constexpr unsigned kMonitorTitle = 104;          // "プリントモニタ"
constexpr unsigned kNoResponseText = 59218;      // "プリンタからの応答がありません。"
constexpr unsigned kFileCreationFailed = 59248;  // the registry or archive cannot be made
constexpr char kBusyMutex[] = "SNMPBusy";
// Longer than any one exchange (6 s and its margin): a monitor that cannot get
// the mutex in that time skips this exchange rather than hang behind another.
constexpr DWORD kBusyWaitMs = 15000;

// Set around every SNMP exchange of this process.
int SnmpBusyFlag = 0;

// The poll's memory: the printer's up time (hundredths of a second) and when
// it was read.
struct PollMemory {
  int64_t upTime = 0;
  int64_t time = 0;
};
PollMemory& Poll() {
  static PollMemory memory;
  return memory;
}

class BusyScope {
 public:
  BusyScope(HANDLE mutex, bool withMutex) : mutex_(withMutex ? mutex : 0) {
    if (mutex_) held_ = WaitForSingleObject(mutex_, kBusyWaitMs) == WAIT_OBJECT_0;
    SnmpBusyFlag = 1;
  }
  ~BusyScope() {
    SnmpBusyFlag = 0;
    if (held_) ReleaseMutex(mutex_);
  }
  // Without the mutex when it was asked for, the exchange is not made.
  bool ok() const { return !mutex_ || held_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

class MutexScope {
 public:
  explicit MutexScope(HANDLE mutex) : mutex_(mutex) {
    held_ = WaitForSingleObject(mutex_, kBusyWaitMs) == WAIT_OBJECT_0;
  }
  ~MutexScope() {
    if (held_) ReleaseMutex(mutex_);
  }
  bool ok() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

PM_CEngine* EngineOf(HWND window) { return reinterpret_cast<PM_CEngine*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

std::string ReadPrinterText(HANDLE printer, const char* key, DWORD size) {
  std::string buffer(size, '\0');
  DWORD length = size;
  if (monitor::Db().GetString(printer, kStorePrinterData, "Printer", key, buffer.data(), &length) != 0) return {};
  return std::string(buffer.c_str());
}

struct StatusKey {
  unsigned flag;
  const char* key;
  unsigned text;
};
constexpr StatusKey kStatusKeys[] = {
    {PM_STATUS_ENGINE_FAULT, "IDS_EVENT_CRITICAL_ENGINE_FAULT", 59180},
    {PM_STATUS_OFFLINE, "IDS_EVENT_SERIOUS_OFFLINE", 59150},
    {PM_STATUS_PAPER_JAM, "IDS_EVENT_SERIOUS_PAPER_JAM", 59313},
    {PM_STATUS_COVER_OPEN, "IDS_EVENT_SERIOUS_COVER_OPEN", 59317},
    {PM_STATUS_TONER_OUT, "IDS_EVENT_SERIOUS_TONER_OUT", 59312},
    {PM_STATUS_PAPER_OUT, "IDS_EVENT_SERIOUS_PAPER_OUT", 59310},
};

}  // namespace

namespace monitor {
namespace {
PM_CEngineUIInterface* currentUi = nullptr;
}
PM_CEngineUIInterface* EngineUi() { return currentUi; }
void SetEngineUi(PM_CEngineUIInterface* ui) { currentUi = ui; }
}  // namespace monitor

void PM_CEngine::ResetPollState() { Poll() = PollMemory{}; }

PM_CEngine::PM_CEngine(const PM_CCommandLine& commandLine)
    : agents_(std::make_unique<PM_CEventCategoryManagerArray>()),
      data_([this](int64_t seconds) { SetDeadline(seconds, 0); }),
      commandLine_(commandLine) {
  snmpMutex_ = CreateMutexA(nullptr, FALSE, kBusyMutex);
  printerName_ = commandLine_.GetPrinterName();
  monitor::SetMonitoredPrinter(printerName_);
  // Only the verbs that keep the monitor running need its archive.
  const MonitorCommand command = commandLine_.GetCommand();
  const bool runs = command == kCommandJobStarted || command == kCommandNormal || command == kCommandJobDelete;
  PM_CPrintMonitorIDXFile registry(printerName_, runs ? IdxFileUse::Make : IdxFileUse::ExistingOnly);
  if (auto entry = registry.GetPrinterInfo(printerName_)) idxFilePath_ = entry->idxFileName;
  HANDLE printer = 0;
  if (!OpenPrinterA(const_cast<char*>(printerName_.c_str()), &printer, nullptr)) return;
  DWORD monitor = 0;
  if (monitor::Db().GetDword(printer, kStorePrinterData, "Printer", "Monitor", &monitor) != 0) monitor = 0;
  DWORD rate = 30;
  if (monitor::Db().GetDword(printer, kStoreUser, printerName_.c_str(), "PmRefreshRate", &rate) != 0 || rate == 0 ||
      rate >= 60) {
    rate = 30;
  }
  refreshRate_ = rate;
  if (monitor != 0) {
    notMonitored_ = 0;
    std::string protocol = ReadPrinterText(printer, "Protocol", 10);
    if (protocol.empty()) protocol = "IP";
    printerAddress_ = ReadPrinterText(printer, protocol.c_str(), 100);
  } else {
    notMonitored_ = 1;
  }
  ClosePrinter(printer);
}

PM_CEngine::~PM_CEngine() {
  const MonitorCommand command = commandLine_.GetCommand();
  if (command != kCommandQueueChanged && command != kCommandPortChanged) SaveIdx();
  Close();
  if (monitor::EngineUi() == ui_.get()) monitor::SetEngineUi(nullptr);
  dispatcher_.reset();
  if (querySession_ && querySession_->session) SnmpDestroySessionWindow(querySession_.get());
  if (trapSession_ && trapSession_->session) SnmpDestroySessionWindow(trapSession_.get());
  if (snmpStarted_) SnmpCleanupSession();
  if (snmpMutex_) CloseHandle(snmpMutex_);
  data_.Clear();
}

BOOL PM_CEngine::Create(PM_CEngineUIInterface* ui) {
  ui_.reset(ui);
  monitor::SetEngineUi(ui);
  window_ = CreateWindowExA(0, "STATIC", "PM_Engine", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  if (!window_) return FALSE;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PM_CEngine::WindowProcedure));
  RecordWindowHandle();
  LoadIdx();
  DWORD value = 0;
  closeAfterLastJob_ = monitor::Db().GetDword(0, kStoreUser, printerName_.c_str(), "CloseAfterLastJob", &value) == 0
                           ? (value ? 1 : 0)
                           : 1;
  DWORD rate = 30;
  if (monitor::Db().GetDword(0, kStoreUser, printerName_.c_str(), "PmRefreshRate", &rate) != 0 || rate < 1 ||
      rate > 59) {
    rate = 30;
  }
  DWORD automatic = 0;
  const bool on = monitor::Db().GetDword(0, kStoreUser, printerName_.c_str(), "PmAutomaticRefresh", &automatic) == 0 &&
                  automatic != 0;
  SetAutomaticRefresh(on ? 1 : 0, rate);
  switch (commandLine_.GetCommand()) {
    case kCommandJobStarted:
      pendingShow_ = PM_SHOW_MINIMIZED;
      AddJobFromCommand(commandLine_.GetJobArguments());
      break;
    case kCommandJobDelete:
      pendingShow_ = PM_SHOW_MINIMIZED;
      RemoveJobFromCommand(commandLine_.GetJobArguments());
      break;
    default: pendingShow_ = PM_SHOW_NORMAL; break;
  }
  data_.AnalizeData();
  if (automaticRefresh_) SetDeadline(static_cast<int64_t>(refreshRate_) * 60, 1);
  created_ = 1;
  // A second start finds the running monitor by its main window's title.
  if (HWND main = ui_ ? ui_->MainDialog() : 0) platform::PublishWindowTitle(main);
  return TRUE;
}

int PM_CEngine::Start() {
  switch (commandLine_.GetCommand()) {
    case kCommandAddNewPm: RegisterInstance(); return 0;
    case kCommandDelete: UnregisterInstance(); return 0;
    case kCommandJobStarted:
    case kCommandNormal:
    case kCommandJobDelete:
      if (idxFilePath_.empty()) {
        noSave_ = 1;
        // "PRMONSET.INI" or the printer's archive could not be made or
        // recorded: say so rather than end without a trace.
        MessageBoxA(0, monitor::LoadText(kFileCreationFailed).c_str(), monitor::LoadText(kMonitorTitle).c_str(),
                    MB_ICONHAND);
        return 0;
      }
      dispatcher_ = std::make_unique<PM_CTrapDispatcher>(
          agents_.get(), &data_, std::make_unique<PM_CEventHandlersTable_QRM24>(),
          TrapHandlerContext{[this] { return printerAddress_; }, [this] { Refresh(); }});
      return 1;
    default: return 0;
  }
}

void PM_CEngine::OnCommandLine(const std::string& line) {
  commandLine_.SetLine(line);
  switch (commandLine_.GetCommand()) {
    case kCommandJobStarted: AddJobFromCommand(commandLine_.GetJobArguments()); break;
    case kCommandJobDelete: RemoveJobFromCommand(commandLine_.GetJobArguments()); break;
    default: pendingShow_ = PM_SHOW_NORMAL; break;
  }
  data_.AnalizeData();
  UpdateDisplay(PM_UPDATE_ALL);
  data_.ApplyChangedRule();
}

void PM_CEngine::Close() {
  created_ = 0;
  if (window_) {
    if (ui_ && ui_->MainDialog()) platform::WithdrawWindowTitle(ui_->MainDialog());
    if (timerId_) KillTimer(window_, timerId_);
    timerId_ = 0;
    DestroyWindow(window_);
    window_ = 0;
  }
}

void PM_CEngine::UpdateDisplay(unsigned code) {
  if (ui_) ui_->UpdateDisplay(code);
}

void PM_CEngine::SetAutomaticRefresh(int flag, unsigned minutes) {
  automaticRefresh_ = flag;
  refreshRate_ = minutes;
  SetDeadline(flag ? static_cast<int64_t>(minutes) * 60 : 0, 1);
}

void PM_CEngine::RefreshAll(int force) {
  if (refreshing_) return;
  refreshing_ = true;
  data_.AnalizeData();
  if (force || data_.IsChanged()) {
    UpdateDisplay(PM_UPDATE_ALL);
    data_.ApplyChangedRule();
  }
  Refresh();
  refreshing_ = false;
}

void PM_CEngine::Refresh() {
  if (notMonitored_) {
    data_.SetConsoleLines("", "");
    UpdateDisplay(PM_UPDATE_CONSOLE);
    data_.ApplyChangedRule();
    return;
  }
  if (window_) {
    SendMessageA(window_, PM_WM_QUERYSTATUS, 0, 0);
  } else {
    QueryPrinterStatus();
  }
}

void PM_CEngine::SetDeadline(int64_t seconds, int slot) {
  if (slot < 0 || slot > 1) return;
  if (timerId_ && window_) KillTimer(window_, timerId_);
  timerId_ = 0;
  if (seconds == 0) {
    slots_[slot].active = 0;
  } else {
    slots_[slot].active = 1;
    slots_[slot].deadline = monitor::Now() + seconds;
  }
  ArmTimer();
}

void PM_CEngine::ArmTimer() {
  const int64_t now = monitor::Now();
  int64_t period = 60;
  bool any = false;
  for (const DeadlineSlot& slot : slots_) {
    if (!slot.active) continue;
    any = true;
    period = std::min(period, slot.deadline - now);
  }
  if (!any) {
    timerPeriodMs_ = 0;
    return;
  }
  period = std::clamp<int64_t>(period, 0, 59);
  timerPeriodMs_ = static_cast<UINT>(period * 1000);
  if (window_) timerId_ = SetTimer(window_, PM_ENGINE_TIMER, timerPeriodMs_, nullptr);
}

void PM_CEngine::FireSlot(int slot) {
  if (slot == 0) {
    data_.AnalizeOnTimer();
    if (data_.IsChanged()) {
      UpdateDisplay(PM_UPDATE_ALL);
      data_.ApplyChangedRule();
    }
  } else {
    Refresh();
    if (automaticRefresh_) SetDeadline(static_cast<int64_t>(refreshRate_) * 60, 1);
  }
}

void PM_CEngine::OnTimer(UINT_PTR id) {
  if (id == PM_ENGINE_TIMER) {
    if (window_) KillTimer(window_, PM_ENGINE_TIMER);
    timerId_ = 0;
    const int64_t now = monitor::Now();
    for (int slot = 0; slot < 2; ++slot) {
      if (slots_[slot].active && now >= slots_[slot].deadline) {
        slots_[slot].active = 0;
        FireSlot(slot);
      }
    }
    if (!timerId_ && (slots_[0].active || slots_[1].active)) ArmTimer();
    return;
  }
  MutexScope lock(snmpMutex_);
  if (querySession_) SnmpOnTimer(id, querySession_.get());
  if (trapSession_) SnmpOnTimer(id, trapSession_.get());
}

bool PM_CEngine::StartSnmp() {
  if (!snmpStarted_) snmpStarted_ = SnmpStartupSession() == SNMP_RESULT_OK;
  return snmpStarted_;
}

bool PM_CEngine::PrepareQuerySession() {
  // A session left open by the last exchange is closed before the record is
  // made again, so none leaks.
  if (querySession_ && querySession_->session) {
    MutexScope lock(snmpMutex_);
    SnmpDestroySessionWindow(querySession_.get());
  }
  if (!querySession_) querySession_ = std::make_unique<SnmpSession>();
  *querySession_ = SnmpSession{};
  querySession_->window = window_;
  std::strcpy(querySession_->community, SNMP_READ_COMMUNITY);
  querySession_->notificationMessage = SNMP_MSG_REPLY;
  if (!StartSnmp()) return false;
  MutexScope lock(snmpMutex_);
  if (!lock.ok()) return false;
  if (SnmpCreateSessionWindow(querySession_.get()) != SNMP_RESULT_OK) {
    SnmpDestroySessionWindow(querySession_.get());
    return false;
  }
  return true;
}

int PM_CEngine::QueryPrinterStatus() {
  if (SnmpBusyFlag || notMonitored_) return 0;
  if (!PrepareQuerySession()) return 0;
  bool answered = false;
  uint32_t measured = 0;
  int result = SNMP_RESULT_FAILED;
  {
    BusyScope busy(snmpMutex_, true);
    if (busy.ok()) result = SnmpQueryA(5, printerName_.c_str(), querySession_.get(), &measured, 4);
  }
  if (result == SNMP_RESULT_OK) {
    PollMemory& poll = Poll();
    const int64_t now = monitor::Now();
    // TimeTicks are unsigned 32-bit hundredths: read as such, a printer up for
    // more than 248 days is no restart.
    if (poll.upTime == 0) {
      poll.upTime = measured;
      poll.time = now;
    } else {
      const int64_t expected = poll.upTime + (now - poll.time) * 100;
      poll.upTime = expected;
      poll.time = now;
      if (expected > static_cast<int64_t>(measured) + 2000) {
        if (!notMonitored_) {
          OpenTrapReception();
          RegisterTrapDestination();
          CheckDeviceStatus();
        }
        poll.upTime = measured;
      }
    }
    char console[64] = {};
    {
      BusyScope busy(snmpMutex_, false);
      if (querySession_->session || PrepareQuerySession()) {
        result = SnmpQueryA(4, printerName_.c_str(), querySession_.get(), console, sizeof console);
      } else {
        result = SNMP_RESULT_FAILED;
      }
    }
    if (result == SNMP_RESULT_OK) {
      data_.SetConsoleLines(std::string(console, strnlen(console, 32)),
                            std::string(console + 32, strnlen(console + 32, 32)));
      answered = true;
    }
    // A monitor that started while the printer was unreachable is registered
    // as the trap destination once the printer answers; until then the printer
    // would never send it a trap.
    // One attempt per run of answered polls, so a printer that refuses the
    // registration is not asked again at every poll.
    if (answered && created_ && !trapDestinationKnown_ && !notMonitored_ && !registrationTried_) {
      registrationTried_ = true;
      // Reception is local and was opened at start; only the printer's side is missing.
      RegisterTrapDestination();
    }
  }
  if (!answered) registrationTried_ = false;
  {
    MutexScope lock(snmpMutex_);
    if (querySession_->session) SnmpDestroySessionWindow(querySession_.get());
  }
  if (answered) {
    UpdateDisplay(PM_UPDATE_CONSOLE);
    data_.ApplyChangedRule();
    return 1;
  }
  data_.SetConsoleLines("", "");
  if (ui_) ui_->SetStatusText(monitor::LoadText(kNoResponseText));
  pendingShow_ = PM_SHOW_NORMAL;
  UpdateDisplay(PM_UPDATE_ALL);
  data_.ApplyChangedRule();
  return 0;
}

void PM_CEngine::CheckDeviceStatus() {
  if (!querySession_ || !querySession_->session) {
    if (!PrepareQuerySession()) return;
  }
  int32_t status = 0;
  int result = SNMP_RESULT_FAILED;
  {
    BusyScope busy(snmpMutex_, true);
    if (busy.ok()) result = SnmpQueryA(78, printerName_.c_str(), querySession_.get(), &status, 4);
  }
  if (result != SNMP_RESULT_OK) {
    MutexScope lock(snmpMutex_);
    SnmpDestroySessionWindow(querySession_.get());
    return;
  }
  if (status != 3 && status != 5) return;
  // The detected error state is one octet of flags; the buffer is zeroed so
  // nothing unread is taken for a flag.
  unsigned char state[4] = {};
  {
    BusyScope busy(snmpMutex_, true);
    if (busy.ok()) result = SnmpQueryA(18, printerName_.c_str(), querySession_.get(), state, sizeof state);
  }
  if (result == SNMP_RESULT_OK) {
    NotifyEventFlags(state[0]);
  } else {
    MutexScope lock(snmpMutex_);
    SnmpDestroySessionWindow(querySession_.get());
  }
}

void PM_CEngine::NotifyEventFlags(unsigned flags) {
  for (const StatusKey& entry : kStatusKeys) {
    if (!(flags & entry.flag)) continue;
    if (entry.flag == PM_STATUS_PAPER_OUT) {
      ModelInformation model;
      if (!GetModelInformation(printerName_.c_str(), &model) || model.modelName.find("24") == std::string::npos) break;
    }
    NotifyFromSettings(entry.key, entry.flag, 1);
    break;
  }
  UpdateDisplay(PM_UPDATE_ALL);
}

void PM_CEngine::NotifyFromSettings(const char* key, unsigned flag, int required) {
  // The whole value: the dialog stores a full sound file path, blanks and all.
  const std::string value = DP_ReadProfileString(printerName_.c_str(), key, MonitorIniPath().c_str());
  if (value.compare(0, 16, "DP_NONE") == 0) {
    if (required) pendingShow_ = PM_SHOW_NORMAL;
    return;
  }
  const size_t comma = value.find(',');
  const unsigned flags = static_cast<unsigned>(std::strtoul(value.substr(0, comma).c_str(), nullptr, 10));
  const std::string sound = comma == std::string::npos ? std::string() : value.substr(comma + 1);
  if (flags & PM_NOTIFY_SHOW_WINDOW) pendingShow_ = PM_SHOW_NORMAL;
  if (flags & PM_NOTIFY_BEEP) MessageBeep(0xFFFFFFFFu);
  if ((flags & PM_NOTIFY_SOUND) && !sound.empty() && sound != "NONE") sndPlaySoundA(sound.c_str(), SND_ASYNC);
  if (flags & PM_NOTIFY_MESSAGE) {
    for (const StatusKey& entry : kStatusKeys) {
      if (entry.flag == flag && ui_) ui_->ShowEventMessage(monitor::LoadText(entry.text));
    }
  }
}

BOOL PM_CEngine::OpenTrapReception() {
  if (trapSession_ && trapSession_->session) {
    MutexScope lock(snmpMutex_);
    SnmpTrapControl(kTrapUnregister, nullptr, trapSession_.get());
    SnmpDestroySessionWindow(trapSession_.get());
  }
  if (!trapSession_) trapSession_ = std::make_unique<SnmpSession>();
  if (!StartSnmp()) return FALSE;
  *trapSession_ = SnmpSession{};
  trapSession_->window = window_;
  std::strcpy(trapSession_->community, SNMP_READ_COMMUNITY);
  trapSession_->notificationMessage = SNMP_MSG_TRAP;
  {
    MutexScope lock(snmpMutex_);
    if (SnmpCreateSessionWindow(trapSession_.get()) != SNMP_RESULT_OK) return FALSE;
  }
  int result = 0;
  {
    BusyScope busy(snmpMutex_, true);
    if (busy.ok()) result = SnmpTrapControl(kTrapRegister, nullptr, trapSession_.get());
  }
  if (result == 1) return TRUE;
  MutexScope lock(snmpMutex_);
  SnmpDestroySessionWindow(trapSession_.get());
  return FALSE;
}

BOOL PM_CEngine::RegisterTrapDestination() {
  if (!PrepareQuerySession()) return FALSE;
  int result = 0;
  {
    BusyScope busy(snmpMutex_, true);
    if (busy.ok()) result = SnmpTrapControl(kTrapRegisterHost, printerName_.c_str(), querySession_.get());
  }
  if (result == 1) {
    trapDestinationKnown_ = true;
    return TRUE;
  }
  MutexScope lock(snmpMutex_);
  SnmpDestroySessionWindow(querySession_.get());
  return FALSE;
}

void PM_CEngine::OnSnmpReply() {
  MutexScope lock(snmpMutex_);
  if (querySession_) SnmpOnReply(querySession_.get());
}

void PM_CEngine::OnSnmpTrap() {
  if (!trapSession_) return;
  trapSession_->lastTrap.kind = 0;
  trapSession_->lastTrap.sender[0] = '\0';
  {
    MutexScope lock(snmpMutex_);
    SnmpOnTrap(trapSession_.get());
  }
  // Unknown traps keep kind 0 but name their sender; a known kind goes on.
  if (trapSession_->lastTrap.kind != 0) DispatchTrap(trapSession_->lastTrap);
}

void PM_CEngine::DispatchTrap(const SnmpTrapRecord& trap) {
  if (!mainWindowKnown_) {
    const std::string title = monitor::LoadText(kMonitorTitle) + " - " + printerName_;
    mainWindowKnown_ = FindWindowA(nullptr, title.c_str()) != 0;
  }
  trapQueue_.push_back(trap);
  // A handler may poll the printer, which pumps messages, and a trap arriving
  // then lands here again: it only joins the queue that the outer call empties.
  if (dispatching_) return;
  dispatching_ = true;
  while (!trapQueue_.empty()) {
    TrapQueueEntry entry;
    entry.trap = trapQueue_.front();
    trapQueue_.pop_front();
    if (dispatcher_) dispatcher_->Dispatch(&entry);
    if (data_.IsChanged() && mainWindowKnown_) UpdateDisplay(PM_UPDATE_ALL);
  }
  dispatching_ = false;
}

void PM_CEngine::AddJobFromCommand(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return;
  auto job = std::make_shared<MonitorJob>();
  job->arrivalTime = monitor::Now();
  job->documentName = arguments[1];
  job->spoolerJobId = static_cast<uint32_t>(std::strtoul(arguments[0].c_str(), nullptr, 10));
  data_.AddJob(std::move(job));
}

void PM_CEngine::RemoveJobFromCommand(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return;
  data_.RemoveJobBySpoolerId(static_cast<uint32_t>(std::strtoul(arguments[0].c_str(), nullptr, 10)));
  UpdateDisplay(PM_UPDATE_JOBS);
}

std::string PM_CEngine::GetDriverPath() const {
  HANDLE printer = 0;
  if (!OpenPrinterA(const_cast<char*>(printerName_.c_str()), &printer, nullptr)) return {};
  std::string path;
  DWORD needed = 0;
  std::vector<BYTE> buffer;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (GetPrinterDriverA(printer, nullptr, 2, buffer.empty() ? nullptr : buffer.data(),
                          static_cast<DWORD>(buffer.size()), &needed)) {
      const auto* info = reinterpret_cast<const DRIVER_INFO_2A*>(buffer.data());
      if (info && info->pDriverPath) path = std::string(info->pDriverPath).substr(0, 259);
      break;
    }
    if (needed <= buffer.size()) break;
    buffer.resize(needed);
  }
  ClosePrinter(printer);
  return path;
}

LRESULT PM_CEngine::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PM_CEngine* engine = EngineOf(window);
  if (!engine) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_TIMER: engine->OnTimer(wParam); return 0;
    case SNMP_MSG_REPLY: engine->OnSnmpReply(); return 0;
    case SNMP_MSG_TRAP: engine->OnSnmpTrap(); return 0;
    case PM_WM_QUERYSTATUS: return engine->QueryPrinterStatus();
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
