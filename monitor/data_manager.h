// The data manager: the recorded events (newest first), the events the main
// window has still to announce, the jobs being watched, the printer's console
// lines, and the analysis that drops what has aged.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "monitor/event_model.h"
#include "platform/ui/afx_archive.h"
#include "query/trap_record.h"

// Job states.
enum JobState { kJobWaiting = 0, kJobStarted = 1, kJobParsed = 3, kJobPrinting = 4 };

// A job the driver reported with JOB_STARTED.
struct MonitorJob {
  int64_t arrivalTime = 0;
  std::string documentName;
  int32_t state = kJobWaiting;
  int32_t progressFlag = 0;
  int32_t progressValue = 0;
  uint32_t spoolerJobId = 0;
  int32_t printerJobNumber = 0;  // from the start trap on; not archived
};
using MonitorJobRef = std::shared_ptr<MonitorJob>;

// One queued trap on its way through the handlers.
struct TrapQueueEntry {
  int borrowed = 0;
  SnmpTrapRecord trap{};
  int64_t eventCode = 0;
  int keepOut = 0;  // not added to the event list
  int stop = 0;     // no further handler, not recorded
  int changed = 0;  // mark the manager changed although kept out
};

// A job older than this is dropped by the analysis.
inline constexpr int64_t kJobLifetime = 1200;
// The analysis's deadline when nothing is due sooner.
inline constexpr int64_t kNothingDue = 2592000;

class PM_CDataManager {
 public:
  // deadline: sets the engine's slot 0 to this many seconds from now.
  explicit PM_CDataManager(std::function<void(int64_t)> deadline = {});
  ~PM_CDataManager();
  PM_CDataManager(const PM_CDataManager&) = delete;
  PM_CDataManager& operator=(const PM_CDataManager&) = delete;

  // Takes its own references; logs the event.
  void AddEvent(PM_CEvent* event);
  void AddJob(MonitorJobRef job);
  void RemoveJob(const MonitorJob* job);
  void AnalizeData();
  void AnalizeOnTimer() { AnalizeData(); }

  // The first event to announce, its reference handed over; none when empty.
  PM_CEvent* TakeNotification();
  size_t NotificationCount() const { return notifications_.size(); }
  const std::list<PM_CEvent*>& Events() const { return events_; }
  size_t WaitingCount() const { return waiting_.size(); }

  void SetConsoleLines(const std::string& line1, const std::string& line2);
  std::string GetConsoleLine(int index) const;

  int IsChanged() const { return changed_; }
  void SetChanged() { changed_ = 1; }
  // After a display update: cleared only when nothing is left to announce.
  void ApplyChangedRule() {
    if (notifications_.empty()) changed_ = 0;
  }

  size_t GetJobCount() const { return jobs_.size(); }
  MonitorJob* GetJob(size_t index) const { return index < jobs_.size() ? jobs_[index].get() : nullptr; }
  // The job shared, for a window that shows it until its next refresh.
  MonitorJobRef GetJobRef(size_t index) const { return index < jobs_.size() ? jobs_[index] : nullptr; }
  // Removes the first job of that spooler id; false when there is none.
  bool RemoveJobBySpoolerId(uint32_t spoolerJobId);

  // Job traps (from the job handler).
  void ProcessJobStart(PM_CEvent* event, TrapQueueEntry* entry);
  void ProcessJobParsed(PM_CEvent* event, TrapQueueEntry* entry);
  void ProcessJobProgress(PM_CEvent* event, TrapQueueEntry* entry);
  void ProcessJobEnd(PM_CEvent* event, TrapQueueEntry* entry);

  // The events (oldest first, each behind its agent's code) and the jobs. Saving
  // leaves the lists as they are.
  void Store(CArchive& archive) const;
  // Events whose code no agent accepts are read and passed over. Counts are
  // checked against what the file can still hold.
  void Load(CArchive& archive, PM_CEventCategoryManagerArray& agents);
  // Drops every event, notification and job.
  void Clear();
  // Drops what this manager holds and takes the events and jobs of the other.
  void Adopt(PM_CDataManager& other);

 private:
  MonitorJob* FindByPrinterNumber(int32_t number) const;
  void NameEventJob(PM_CEvent* event, const MonitorJob* job);

  std::function<void(int64_t)> deadline_;
  std::list<PM_CEvent*> events_;
  std::vector<PM_CEvent*> notifications_;
  std::vector<PM_CEvent*> waiting_;
  std::vector<MonitorJobRef> jobs_;
  std::string console1_;
  std::string console2_;
  int changed_ = 0;
};
