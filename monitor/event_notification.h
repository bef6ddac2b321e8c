// How the user hears of an event (beep, the event message box, the window
// brought back, a sound file) and the event log file.
#pragma once

#include <cstdint>
#include <string>

#include "monitor/event_model.h"
#include "platform/ui/afx_archive.h"

// NotificationFlags
#define PM_NOTIFY_BEEP 0x01u
#define PM_NOTIFY_MESSAGE 0x02u
#define PM_NOTIFY_SHOW_WINDOW 0x04u
#define PM_NOTIFY_SOUND 0x10u

// The log is emptied before an entry once it is longer than this.
inline constexpr uint32_t kLogFileLimit = 10240;

class PM_CEventNotification {
 public:
  PM_CEventNotification(PM_CEventAgent* agent, uint16_t flags) : agent_(agent), flags_(flags) {}
  virtual ~PM_CEventNotification() = default;
  virtual int Notify() = 0;
  virtual void Load(CArchive& archive) { archive >> flags_; }
  virtual void Store(CArchive& archive) { archive << flags_; }
  uint16_t Flags() const { return flags_; }
  void SetFlags(uint16_t flags) { flags_ = flags; }

 protected:
  PM_CEventAgent* agent_;
  uint16_t flags_;
};

class PM_CEventNotificationWIN311 : public PM_CEventNotification {
 public:
  using PM_CEventNotification::PM_CEventNotification;
  // What the flags ask, in order: beep, message box with the agent's title,
  // the window brought back, the sound file played. Answers 0.
  int Notify() override;
  void Load(CArchive& archive) override;
  void Store(CArchive& archive) override;
  const std::string& SoundFile() const { return soundFile_; }
  void SetSoundFile(std::string path) { soundFile_ = std::move(path); }

 private:
  std::string soundFile_;
};

// Appends one entry (the present local time, the lines, two empty lines) to the
// log file, emptying a file longer than kLogFileLimit first. Every process of
// the monitor writes through here under one lock, so entries never interleave.
// False when the file could not be written.
bool AppendLogEntry(const std::string& logFilePath, const StringList& lines);
