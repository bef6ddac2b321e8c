#include "monitor/data_manager.h"

#include <algorithm>
#include <cstring>

#include "monitor/event_agents.h"
#include "monitor/monitor_settings.h"
#include "platform/base/text_cut.h"

namespace {

constexpr unsigned kUnknownJobName = 59215;  // "不明"

template <class Container>
bool RemoveOne(Container& list, PM_CEvent* event) {
  auto found = std::find(list.begin(), list.end(), event);
  if (found == list.end()) return false;
  list.erase(found);
  EventRelease(event);
  return true;
}

}  // namespace

PM_CDataManager::PM_CDataManager(std::function<void(int64_t)> deadline) : deadline_(std::move(deadline)) {}

PM_CDataManager::~PM_CDataManager() { Clear(); }

void PM_CDataManager::Clear() {
  for (PM_CEvent* event : events_) EventRelease(event);
  for (PM_CEvent* event : notifications_) EventRelease(event);
  for (PM_CEvent* event : waiting_) EventRelease(event);
  events_.clear();
  notifications_.clear();
  waiting_.clear();
  jobs_.clear();
}

void PM_CDataManager::Adopt(PM_CDataManager& other) {
  Clear();
  events_.swap(other.events_);
  notifications_.swap(other.notifications_);
  waiting_.swap(other.waiting_);
  jobs_.swap(other.jobs_);
}

void PM_CDataManager::AddEvent(PM_CEvent* event) {
  if (!event) return;
  EventAddRef(event);
  events_.push_front(event);
  EventAddRef(event);
  notifications_.push_back(event);
  event->Command(kEventWriteLog, nullptr);
  changed_ = 1;
  AnalizeData();
}

void PM_CDataManager::AddJob(MonitorJobRef job) {
  if (!job) return;
  jobs_.push_back(std::move(job));
  changed_ = 1;
  AnalizeData();
}

void PM_CDataManager::RemoveJob(const MonitorJob* job) {
  auto found = std::find_if(jobs_.begin(), jobs_.end(), [job](const MonitorJobRef& j) { return j.get() == job; });
  if (found != jobs_.end()) jobs_.erase(found);
}

bool PM_CDataManager::RemoveJobBySpoolerId(uint32_t spoolerJobId) {
  auto found = std::find_if(jobs_.begin(), jobs_.end(),
                            [spoolerJobId](const MonitorJobRef& j) { return j->spoolerJobId == spoolerJobId; });
  if (found == jobs_.end()) return false;
  jobs_.erase(found);
  return true;
}

void PM_CDataManager::AnalizeData() {
  monitor::Trace("PM_CDataManager::AnalizeData()");
  const int64_t now = monitor::Now();
  int64_t next = kNothingDue;
  std::vector<PM_CEvent*> aged;
  for (PM_CEvent* event : events_) {
    EventFreshness query;
    query.now = now;
    event->Command(kEventFreshness, &query);
    if (query.fresh) {
      next = std::min(next, query.remainder);
    } else {
      aged.push_back(event);
    }
  }
  for (PM_CEvent* event : aged) {
    changed_ = 1;
    // The event list's reference goes last: the others may be the same event.
    EventAddRef(event);
    auto inList = std::find(events_.begin(), events_.end(), event);
    if (inList != events_.end()) {
      events_.erase(inList);
      EventRelease(event);
      monitor::Trace("Deleted from EventList\r\n");
    }
    if (RemoveOne(notifications_, event)) monitor::Trace("Deleted from NotificationList\r\n");
    if (RemoveOne(waiting_, event)) monitor::Trace("Deleted from WaitingList\r\n");
    EventRelease(event);
  }
  const size_t before = jobs_.size();
  std::erase_if(jobs_, [now](const MonitorJobRef& job) { return now - job->arrivalTime > kJobLifetime; });
  if (jobs_.size() != before) changed_ = 1;
  if (deadline_) deadline_(next);
}

PM_CEvent* PM_CDataManager::TakeNotification() {
  if (notifications_.empty()) return nullptr;
  PM_CEvent* event = notifications_.front();
  notifications_.erase(notifications_.begin());
  if (notifications_.empty()) notifications_.shrink_to_fit();
  return event;
}

void PM_CDataManager::SetConsoleLines(const std::string& line1, const std::string& line2) {
  console1_ = line1;
  console2_ = line2;
}

std::string PM_CDataManager::GetConsoleLine(int index) const {
  return index == 0 ? console1_ : index == 1 ? console2_ : std::string();
}

MonitorJob* PM_CDataManager::FindByPrinterNumber(int32_t number) const {
  for (const MonitorJobRef& job : jobs_) {
    if (job->printerJobNumber == number) return job.get();
  }
  return nullptr;
}

// The job's name into the event's job block, cut to 80 bytes on a character
// boundary; "不明" for a job the list does not hold.
void PM_CDataManager::NameEventJob(PM_CEvent* event, const MonitorJob* job) {
  JobBlock block{};
  if (const JobBlock* held = event->Job()) block = *held;
  std::memset(block.name, 0, sizeof block.name);
  std::string name;
  if (job) {
    name = job->documentName;
  } else {
    name = monitor::LoadText(kUnknownJobName);
    monitor::Trace("A job with this ID is not in the list\n");
  }
  const size_t keep = platform::CutPoint(name, sizeof block.name);
  std::memcpy(block.name, name.data(), keep);
  block.end = '\0';
  event->SetJob(block);
}

void PM_CDataManager::ProcessJobStart(PM_CEvent* event, TrapQueueEntry*) {
  monitor::Trace("PM_CEventHandler_Jobs::ProcessJobStart\n");
  if (jobs_.empty()) return;
  const JobBlock* block = event->Job();
  const uint32_t number = block ? block->jobNumber : 0;
  const int32_t value = block ? block->jobValue : 0;
  MonitorJob* found = nullptr;
  for (const MonitorJobRef& job : jobs_) {
    if (job->spoolerJobId == number) {
      found = job.get();
      break;
    }
  }
  NameEventJob(event, found);
  if (found) {
    found->printerJobNumber = value;
    found->state = kJobStarted;
  }
}

void PM_CDataManager::ProcessJobParsed(PM_CEvent* event, TrapQueueEntry*) {
  const JobBlock* block = event->Job();
  MonitorJob* found = FindByPrinterNumber(block ? block->jobValue : 0);
  NameEventJob(event, found);
  if (found) found->state = kJobParsed;
}

void PM_CDataManager::ProcessJobProgress(PM_CEvent* event, TrapQueueEntry* entry) {
  entry->keepOut = 1;
  const JobBlock* block = event->Job();
  MonitorJob* found = FindByPrinterNumber(block ? block->jobValue : 0);
  NameEventJob(event, found);
  if (found) {
    entry->changed = 1;
    found->state = kJobPrinting;
    found->progressFlag = 1;
    found->progressValue = TrapProgressCount(entry->trap);
  }
}

void PM_CDataManager::ProcessJobEnd(PM_CEvent* event, TrapQueueEntry*) {
  const JobBlock* block = event->Job();
  const int32_t value = block ? block->jobValue : 0;
  monitor::Trace(std::to_string(value) + "<-- the Job ID in ProcessJobEnd\n");
  MonitorJob* found = FindByPrinterNumber(value);
  NameEventJob(event, found);
  if (found) RemoveJob(found);
}

void PM_CDataManager::Store(CArchive& archive) const {
  archive << static_cast<int64_t>(events_.size());
  for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
    int32_t code = 0;
    (*it)->Command(kEventGetCode, &code);
    archive << code;
    (*it)->Command(kEventStore, &archive);
  }
  archive << static_cast<int64_t>(jobs_.size());
  for (const MonitorJobRef& job : jobs_) {
    archive.WriteTime(job->arrivalTime);
    archive.WriteString(job->documentName);
    archive << static_cast<int32_t>(job->spoolerJobId) << job->state << job->progressFlag << job->progressValue;
  }
}

void PM_CDataManager::Load(CArchive& archive, PM_CEventCategoryManagerArray& agents) {
  // The smallest record of each kind bounds what a count may claim.
  constexpr uint64_t kSmallestEvent = 4 + 4 + 4 + 2;
  constexpr uint64_t kSmallestJob = 4 + 1 + 16;
  int64_t count = 0;
  archive >> count;
  if (count < 0 || static_cast<uint64_t>(count) > archive.BytesLeft() / kSmallestEvent) {
    throw CArchiveException(CArchiveException::badIndex);
  }
  for (int64_t i = 0; i < count; ++i) {
    int32_t code = 0;
    archive >> code;
    PM_CEvent* event = agents.CreateEventForCode(code);
    if (!event) {
      // The record's form does not depend on its agent: read past it.
      monitor::Trace("pEvent == NULL !\n");
      archive.ReadTime();
      archive.ReadTime();
      Blob skipped;
      LoadBlob(archive, &skipped);
      continue;
    }
    try {
      event->Command(kEventLoad, &archive);
    } catch (...) {
      EventRelease(event);
      throw;
    }
    events_.push_front(event);
  }
  archive >> count;
  if (count < 0 || static_cast<uint64_t>(count) > archive.BytesLeft() / kSmallestJob) {
    throw CArchiveException(CArchiveException::badIndex);
  }
  for (int64_t i = 0; i < count; ++i) {
    auto job = std::make_shared<MonitorJob>();
    job->arrivalTime = archive.ReadTime();
    job->documentName = archive.ReadString();
    int32_t id = 0;
    archive >> id >> job->state >> job->progressFlag >> job->progressValue;
    job->spoolerJobId = static_cast<uint32_t>(id);
    jobs_.push_back(std::move(job));
  }
}
