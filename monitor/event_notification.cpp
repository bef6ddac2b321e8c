#include "monitor/event_notification.h"

#include <ctime>

#include "monitor/engine_ui.h"
#include "monitor/monitor_files.h"
#include "monitor/monitor_settings.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/named_mutex.h"
#include "platform/ui/sound.h"

namespace {

// One lock for the log across the monitor's processes: all categories of all
// printers write the same file by default.
constexpr char kLogMutex[] = "PM_EventLog";

class MutexHold {
 public:
  explicit MutexHold(const char* name) : handle_(CreateMutexA(nullptr, FALSE, name)) {
    held_ = handle_ && WaitForSingleObject(handle_, 5000) == WAIT_OBJECT_0;
  }
  ~MutexHold() {
    if (held_) ReleaseMutex(handle_);
    if (handle_) CloseHandle(handle_);
  }
  bool held() const { return held_; }

 private:
  HANDLE handle_;
  bool held_ = false;
};

}  // namespace

int PM_CEventNotificationWIN311::Notify() {
  if (flags_ & PM_NOTIFY_BEEP) {
    monitor::Trace("PerformNotificationBeep\n");
    MessageBeep(0xFFFFFFFFu);
  }
  PM_CEngineUIInterface* ui = monitor::EngineUi();
  if ((flags_ & PM_NOTIFY_MESSAGE) && ui && agent_) ui->ShowEventMessage(agent_->GetTitle());
  if ((flags_ & PM_NOTIFY_SHOW_WINDOW) && ui) ui->BringBack();
  if ((flags_ & PM_NOTIFY_SOUND) && !soundFile_.empty()) sndPlaySoundA(soundFile_.c_str(), SND_ASYNC);
  return 0;
}

void PM_CEventNotificationWIN311::Load(CArchive& archive) {
  soundFile_ = archive.ReadString();
  PM_CEventNotification::Load(archive);
}

void PM_CEventNotificationWIN311::Store(CArchive& archive) {
  archive.WriteString(soundFile_);
  PM_CEventNotification::Store(archive);
}

bool AppendLogEntry(const std::string& logFilePath, const StringList& lines) {
  MutexHold lock(kLogMutex);
  if (!lock.held()) return false;
  const HANDLE file = OpenMonitorFile(logFilePath.c_str(), OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  if (GetFileSize(file, nullptr) > kLogFileLimit) {
    ok = SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(file);
  }
  const std::time_t now = static_cast<std::time_t>(monitor::Now());
  std::tm local{};
  char stamp[64] = {};
  if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%H:%M:%S -- %d.%m.%Y", &local);
  std::string entry = std::string(stamp) + "\r\n";
  for (const std::string& line : lines) entry += line + "\r\n";
  entry += "\r\n\r\n";
  DWORD written = 0;
  ok = ok && SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
       WriteFile(file, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr) && written == entry.size();
  CloseHandle(file);
  return ok;
}
