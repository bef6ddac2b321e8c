#include "monitor/event_model.h"

#include <cstring>
#include <ctime>

#include "monitor/event_agents.h"
#include "monitor/event_notification.h"
#include "monitor/monitor_files.h"
#include "monitor/monitor_settings.h"

namespace {

constexpr unsigned kDescriptionHandled = 0;

// Titles of the agents that are on by default and notify with the window
// brought back: the engine fault and the serious agents.
constexpr uint32_t kWarningTitles[] = {59150, 59180, 59238, 59240, 59242, 59246, 59300, 59302, 59304, 59308,
                                       59310, 59311, 59312, 59313, 59317, 59319, 59321, 59323, 59325};

bool IsWarningTitle(uint32_t titleId) {
  for (uint32_t id : kWarningTitles) {
    if (id == titleId) return true;
  }
  return false;
}

// A time span is archived as 32-bit seconds.
void StoreSpan(CArchive& archive, int64_t seconds) {
  if (seconds < INT32_MIN || seconds > INT32_MAX) throw CArchiveException(CArchiveException::genericException);
  archive << static_cast<int32_t>(seconds);
}

int64_t LoadSpan(CArchive& archive) {
  int32_t seconds = 0;
  archive >> seconds;
  return seconds;
}

std::string FormatLocal(int64_t seconds, const char* format) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (!localtime_r(&t, &local)) return {};
  char text[128] = {};
  return std::strftime(text, sizeof text, format, &local) ? std::string(text) : std::string();
}

}  // namespace

PM_CEvent::PM_CEvent(PM_CEventAgent* agent) : arrival_(monitor::Now()), update_(arrival_), agent_(agent) {}

const JobBlock* PM_CEvent::Job() const {
  return job_.size() == sizeof(JobBlock) ? reinterpret_cast<const JobBlock*>(job_.data()) : nullptr;
}

void PM_CEvent::SetJob(const JobBlock& block) {
  job_.assign(reinterpret_cast<const unsigned char*>(&block),
              reinterpret_cast<const unsigned char*>(&block) + sizeof block);
}

void PM_CEvent::LoadFields(CArchive& archive) {
  arrival_ = archive.ReadTime();
  update_ = archive.ReadTime();
  Blob block;
  LoadBlob(archive, &block);
  // Only a whole job block is taken, its name always ended: a block of another
  // length would be read past its end.
  if (!block.empty() && block.size() != sizeof(JobBlock)) throw CArchiveException(CArchiveException::badSchema);
  job_ = std::move(block);
  if (!job_.empty()) reinterpret_cast<JobBlock*>(job_.data())->end = '\0';
}

void PM_CEvent::StoreFields(CArchive& archive) const {
  archive.WriteTime(arrival_);
  archive.WriteTime(update_);
  StoreBlob(archive, job_);
}

int PM_CEvent::Command(int code, void* inout) {
  switch (code) {
    case kEventAddRef: ++references_; return 1;
    case kEventRelease:
      if (--references_ == 0) {
        monitor::Trace("deleting Event\r\n");
        delete this;
      }
      return 1;
    case kEventGetCode: *static_cast<int32_t*>(inout) = agent_->Code(); return 1;
    case kEventUpdateJob: agent_->UpdateJob(*this, *static_cast<const SnmpTrapRecord*>(inout)); return 1;
    case kEventGetTitle: *static_cast<std::string*>(inout) = agent_->GetTitle(); return 1;
    case kEventGetTimeText: agent_->GetTimeText(*this, static_cast<StringList*>(inout)); return 1;
    case kEventGetDescription: {
      auto* text = static_cast<std::string*>(inout);
      if (!agent_->GetDescription(*this, text)) *text = "_HANDLED BY EVENT_";
      return 1;
    }
    case kEventWriteLog: agent_->WriteLog(*this); return 1;
    case kEventNotify: agent_->Notify(*this); return 1;
    case kEventLoad: agent_->LoadEvent(*this, *static_cast<CArchive*>(inout)); return 1;
    case kEventStore: agent_->StoreEvent(*this, *static_cast<CArchive*>(inout)); return 1;
    case kEventGetCategoryIcon: *static_cast<uint32_t*>(inout) = agent_->GetCategoryIcon(); return 1;
    case kEventGetCategoryIndex: *static_cast<int*>(inout) = agent_->GetCategoryIndex(); return 1;
    case kEventFreshness: {
      auto* query = static_cast<EventFreshness*>(inout);
      const int64_t age = query->now - arrival_;
      query->fresh = age < agent_->DisplayPeriod() ? 1 : 0;
      if (query->fresh) query->remainder = arrival_ + agent_->DisplayPeriod() - query->now;
      return 1;
    }
    default: return 0;
  }
}

void EventAddRef(PM_CEvent* event) {
  if (event) event->Command(kEventAddRef, nullptr);
}
void EventRelease(PM_CEvent* event) {
  if (event) event->Command(kEventRelease, nullptr);
}

PM_CEventAgent::PM_CEventAgent(PM_CEventCategoryManager* category, int32_t code, uint32_t titleId,
                               uint32_t descriptionId)
    : code_(code),
      category_(category),
      descriptionId_(descriptionId),
      enabled_(0),
      titleId_(titleId),
      notification_(std::make_unique<PM_CEventNotificationWIN311>(this, IsWarningTitle(titleId) ? 4 : 0)) {
  enabled_ = DefaultEnabled();
}

PM_CEventAgent::~PM_CEventAgent() = default;

int PM_CEventAgent::DefaultEnabled() const { return IsWarningTitle(titleId_) ? 1 : 0; }

PM_CEvent* PM_CEventAgent::NewEvent() { return new PM_CEvent(this); }

int PM_CEventAgent::IsEnabled(int withCategory) const {
  if (!withCategory) return enabled_;
  return enabled_ && category_ && category_->m_Enabled;
}

std::string PM_CEventAgent::GetTitle() const { return monitor::LoadText(titleId_); }
uint32_t PM_CEventAgent::GetCategoryIcon() const { return category_ ? category_->m_IconId : 0; }
int PM_CEventAgent::GetCategoryIndex() const { return category_ ? category_->m_Index : -1; }

void PM_CEventAgent::GetTimeText(const PM_CEvent& event, StringList* lines) const {
  lines->push_back(GetTitle());
  lines->push_back(FormatLocal(event.UpdateTime(), "%A, %I:%M:%S %p"));
}

int PM_CEventAgent::GetDescription(const PM_CEvent&, std::string* text) const {
  *text = monitor::LoadText(descriptionId_);
  return descriptionId_ != kDescriptionHandled;
}

int PM_CEventAgent::Notify(PM_CEvent&) {
  if (!IsEnabled(1)) return 0;
  return notification_->Notify();
}

void PM_CEventAgent::WriteLog(const PM_CEvent& event) {
  if (!category_ || !category_->m_Logging) return;
  StringList lines;
  GetLogText(event, &lines);
  if (!AppendLogEntry(category_->m_LogFilePath, lines)) monitor::Trace("Exception in logging file");
}

void PM_CEventAgent::GetLogText(const PM_CEvent& event, StringList* lines) const {
  GetTimeText(event, lines);
  if (!lines->empty()) lines->pop_back();
}

void PM_CEventAgent::Store(CArchive& archive) {
  if (monitor::ResettingDefaults()) enabled_ = DefaultEnabled();
  StoreSpan(archive, displayPeriod_);
  StoreSpan(archive, reservedSpan_);
  archive << reservedCount_ << static_cast<int32_t>(enabled_);
  notification_->Store(archive);
}

void PM_CEventAgent::Load(CArchive& archive) {
  displayPeriod_ = LoadSpan(archive);
  reservedSpan_ = LoadSpan(archive);
  int32_t enabled = 0;
  archive >> reservedCount_ >> enabled;
  enabled_ = enabled;
  notification_->Load(archive);
}

PM_CEventCategoryManager::PM_CEventCategoryManager(int index, uint32_t iconId, uint32_t nameId)
    : m_Index(index), m_IconId(iconId), m_Name(monitor::LoadText(nameId)) {}

PM_CEventCategoryManagerArray::PM_CEventCategoryManagerArray() {
  struct Category {
    uint32_t icon;
    uint32_t name;
  };
  constexpr Category kCategories[] = {{145, 59146}, {147, 59147}, {146, 59148}};
  for (int index = 0; index < 3; ++index) {
    auto manager = std::make_unique<PM_CEventCategoryManager>(index, kCategories[index].icon, kCategories[index].name);
    CreateCategoryAgents(manager.get());
    char path[MAX_PATH] = {};
    GetLogFilePath(manager->m_Name.c_str(), path, sizeof path);
    manager->m_LogFilePath = path;
    manager->m_Logging = 0;
    // The job category starts off, as its agents do, until an archive says more.
    manager->m_Enabled = index < 2 ? 1 : 0;
    managers_.push_back(std::move(manager));
  }
}

PM_CEvent* PM_CEventCategoryManagerArray::CreateEventForCode(int64_t code) {
  for (auto& manager : managers_) {
    for (auto& agent : manager->m_EventAgentsArray) {
      if (agent->IsEventCode(code)) return agent->NewEvent();
    }
  }
  return nullptr;
}

void PM_CEventCategoryManagerArray::Store(CArchive& archive) {
  for (auto& manager : managers_) {
    archive << static_cast<int32_t>(manager->m_Enabled) << static_cast<int32_t>(manager->m_Logging);
    archive.WriteString(manager->m_LogFilePath);
    SetMonitorString(manager->m_Name.c_str(), manager->m_LogFilePath.c_str());
    archive << static_cast<int64_t>(manager->m_EventAgentsArray.size());
    for (auto& agent : manager->m_EventAgentsArray) agent->Store(archive);
  }
}

void PM_CEventCategoryManagerArray::Load(CArchive& archive) {
  for (auto& manager : managers_) {
    int32_t enabled = 0, logging = 0;
    archive >> enabled >> logging;
    archive.ReadString();  // the stored path gives way to the one in the settings store
    int64_t count = 0;
    archive >> count;
    // The agents are the program's: a file that counts others is not ours.
    if (count != static_cast<int64_t>(manager->m_EventAgentsArray.size())) {
      throw CArchiveException(CArchiveException::badSchema);
    }
    for (auto& agent : manager->m_EventAgentsArray) agent->Load(archive);
    manager->m_Enabled = enabled;
    manager->m_Logging = logging;
    char path[MAX_PATH] = {};
    GetLogFilePath(manager->m_Name.c_str(), path, sizeof path);
    manager->m_LogFilePath = path;
  }
}

uint32_t JobNumberFromText(const char* text) {
  if (!text) return 0;
  const char* mark = std::strstr(text, "JOB#");
  if (!mark) return 0;
  uint32_t number = 0;
  for (const char* p = mark + 4; *p >= '0' && *p <= '9'; ++p) number = number * 10 + static_cast<uint32_t>(*p - '0');
  return number;
}
