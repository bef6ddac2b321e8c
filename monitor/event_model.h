// The event model: agents (one per kind of printer event or job state) owned
// by three categories, the events an agent creates, and their archived form.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "monitor/monitor_utilities.h"
#include "platform/ui/afx_archive.h"
#include "query/trap_record.h"

class PM_CEventAgent;
class PM_CEventCategoryManager;
class PM_CEventNotification;

// Commands of PM_CEvent::Command.
enum EventCommand {
  kEventAddRef = 0,
  kEventRelease = 1,
  kEventGetCode = 2,
  kEventUpdateJob = 3,
  kEventGetTitle = 4,
  kEventGetTimeText = 5,
  kEventGetDescription = 6,
  kEventWriteLog = 7,
  kEventNotify = 8,
  kEventLoad = 9,
  kEventStore = 10,
  kEventGetCategoryIcon = 11,
  kEventGetCategoryIndex = 12,
  kEventFreshness = 13,
};

// The inout of kEventFreshness.
struct EventFreshness {
  int64_t now = 0;
  int fresh = 0;
  int64_t remainder = 0;
};

using StringList = std::list<std::string>;

#pragma pack(push, 1)
// The job part of a job event.
struct JobBlock {
  uint32_t jobNumber;  // a job start's number after "JOB#", else 0
  int32_t jobValue;    // the printer's job number
  char name[80];       // document name
  char end;            // 0
  char padding[3];
};
#pragma pack(pop)
static_assert(sizeof(JobBlock) == 92);

class PM_CEvent {
 public:
  explicit PM_CEvent(PM_CEventAgent* agent);
  // Nonzero for a known code.
  int Command(int code, void* inout);

  PM_CEventAgent* Agent() const { return agent_; }
  int64_t ArrivalTime() const { return arrival_; }
  int64_t UpdateTime() const { return update_; }
  // The job block, or null.
  const JobBlock* Job() const;
  void SetJob(const JobBlock& block);
  void LoadFields(CArchive& archive);
  void StoreFields(CArchive& archive) const;

 private:
  ~PM_CEvent() = default;
  int64_t arrival_;
  int64_t update_;
  PM_CEventAgent* agent_;
  unsigned references_ = 1;
  Blob job_;
};

// Shared ownership of an event through its reference count.
void EventAddRef(PM_CEvent* event);
void EventRelease(PM_CEvent* event);

class PM_CEventAgent {
 public:
  PM_CEventAgent(PM_CEventCategoryManager* category, int32_t code, uint32_t titleId, uint32_t descriptionId);
  virtual ~PM_CEventAgent();
  PM_CEventAgent(const PM_CEventAgent&) = delete;
  PM_CEventAgent& operator=(const PM_CEventAgent&) = delete;

  virtual PM_CEvent* NewEvent();
  virtual void SetEnabled(int flag) { enabled_ = flag; }
  virtual int IsEnabled(int withCategory) const;
  virtual PM_CEventNotification* GetNotification() { return notification_.get(); }
  virtual void SetLogging(int flag) { logging_ = flag; }
  virtual int IsLogging() const { return logging_; }
  virtual int IsEventCode(int64_t code) const { return code == code_; }
  virtual std::string GetTitle() const;
  virtual uint32_t GetCategoryIcon() const;
  virtual int GetCategoryIndex() const;
  virtual void GetTimeText(const PM_CEvent& event, StringList* lines) const;
  virtual int GetDescription(const PM_CEvent& event, std::string* text) const;
  virtual void UpdateJob(PM_CEvent& /*event*/, const SnmpTrapRecord& /*trap*/) {}
  virtual int Notify(PM_CEvent& event);
  virtual void WriteLog(const PM_CEvent& event);
  virtual void GetLogText(const PM_CEvent& event, StringList* lines) const;
  virtual void LoadEvent(PM_CEvent& event, CArchive& archive) { event.LoadFields(archive); }
  virtual void StoreEvent(const PM_CEvent& event, CArchive& archive) { event.StoreFields(archive); }

  int32_t Code() const { return code_; }
  uint32_t TitleId() const { return titleId_; }
  PM_CEventCategoryManager* Category() const { return category_; }
  int64_t DisplayPeriod() const { return displayPeriod_; }
  void SetDisplayPeriod(int64_t seconds) { displayPeriod_ = seconds; }
  // The interval of a repeated sound, and whether it repeats.
  int64_t ReservedSpan() const { return reservedSpan_; }
  void SetReservedSpan(int64_t seconds) { reservedSpan_ = seconds; }
  int32_t ReservedCount() const { return reservedCount_; }
  void SetReservedCount(int32_t count) { reservedCount_ = count; }
  int EnabledFlag() const { return enabled_; }
  // The enabled flag an agent has before any archive set it.
  int DefaultEnabled() const;
  void Store(CArchive& archive);
  void Load(CArchive& archive);

 private:
  int32_t code_;
  PM_CEventCategoryManager* category_;
  uint32_t descriptionId_;
  int64_t displayPeriod_ = 60;
  int64_t reservedSpan_ = 0;
  int32_t reservedCount_ = 0;
  int enabled_;
  uint32_t titleId_;
  int logging_ = 1;
  std::unique_ptr<PM_CEventNotification> notification_;
};

using PM_CEventAgentsArray = std::vector<std::unique_ptr<PM_CEventAgent>>;

class PM_CEventCategoryManager {
 public:
  PM_CEventCategoryManager(int index, uint32_t iconId, uint32_t nameId);
  int m_Index;
  PM_CEventAgentsArray m_EventAgentsArray;
  int m_Enabled = 0;
  int m_Logging = 0;
  uint32_t m_IconId;
  std::string m_Name;
  std::string m_LogFilePath;
};

// The three categories and all agents, in creation order.
class PM_CEventCategoryManagerArray {
 public:
  PM_CEventCategoryManagerArray();
  // The first agent that accepts the code makes an event (one reference); none
  // when no agent does.
  PM_CEvent* CreateEventForCode(int64_t code);
  PM_CEventCategoryManager* Category(size_t index) {
    return index < managers_.size() ? managers_[index].get() : nullptr;
  }
  size_t CategoryCount() const { return managers_.size(); }
  void Store(CArchive& archive);
  void Load(CArchive& archive);
  // Exchanges the categories (and their agents) with another set.
  void Swap(PM_CEventCategoryManagerArray& other) { managers_.swap(other.managers_); }

 private:
  std::vector<std::unique_ptr<PM_CEventCategoryManager>> managers_;
};

// The decimal number after "JOB#" in a job text; 0 without one.
uint32_t JobNumberFromText(const char* text);
