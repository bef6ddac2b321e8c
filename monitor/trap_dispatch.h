// The road of a received trap: an event code from the trap, an event from the
// first agent that accepts the code, the chain of handlers, and the event list.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/data_manager.h"
#include "monitor/event_model.h"

// What the handlers need of the engine.
struct TrapHandlerContext {
  std::function<std::string()> printerAddress;
  std::function<void()> refresh;  // a status poll
};

// The minimised window's alert: the category icon and the event's title.
struct IconizedAlert {
  uint32_t iconId = 0;
  std::string text;
};
IconizedAlert& CurrentIconizedAlert();

class PM_CEventHandlerBase {
 public:
  virtual ~PM_CEventHandlerBase() = default;
  virtual void Handle(PM_CEvent* event, TrapQueueEntry* entry) = 0;
  void Enable() { enabled_ = 1; }
  void Disable() { enabled_ = 0; }
  int IsEnabled() const { return enabled_; }

 private:
  int enabled_ = 0;
};

// Drops traps from any other sender than the monitored printer.
class PM_CEventHandler_General : public PM_CEventHandlerBase {
 public:
  explicit PM_CEventHandler_General(const TrapHandlerContext& context) : context_(context) {}
  void Handle(PM_CEvent* event, TrapQueueEntry* entry) override;

 private:
  const TrapHandlerContext& context_;
};

class PM_CEventHandler_Jobs : public PM_CEventHandlerBase {
 public:
  PM_CEventHandler_Jobs(PM_CDataManager* data, const TrapHandlerContext& context) : data_(data), context_(context) {}
  void Handle(PM_CEvent* event, TrapQueueEntry* entry) override;

 private:
  PM_CDataManager* data_;
  const TrapHandlerContext& context_;
};

class PM_CEventHandler_IconizedApp : public PM_CEventHandlerBase {
 public:
  void Handle(PM_CEvent* event, TrapQueueEntry* entry) override;
};

// Owns its handlers; access by index is checked.
class PM_CEventHandlerBaseArray {
 public:
  explicit PM_CEventHandlerBaseArray(size_t slots) : handlers_(slots) {}
  size_t size() const { return handlers_.size(); }
  PM_CEventHandlerBase* at(size_t index) const { return index < handlers_.size() ? handlers_[index].get() : nullptr; }
  void set(size_t index, std::unique_ptr<PM_CEventHandlerBase> handler) {
    if (index < handlers_.size()) handlers_[index] = std::move(handler);
  }

 private:
  std::vector<std::unique_ptr<PM_CEventHandlerBase>> handlers_;
};

class PM_CEventHandlersTable {
 public:
  explicit PM_CEventHandlersTable(size_t slots) : m_Handlers(slots) {}
  virtual ~PM_CEventHandlersTable() = default;
  virtual void CreateHandlers(PM_CEventCategoryManagerArray* agents, PM_CDataManager* data,
                              const TrapHandlerContext& context) = 0;
  PM_CEventHandlerBaseArray m_Handlers;
};

// General (on), Jobs and IconizedApp (off until asked).
class PM_CEventHandlersTable_QRM24 : public PM_CEventHandlersTable {
 public:
  PM_CEventHandlersTable_QRM24() : PM_CEventHandlersTable(3) {}
  void CreateHandlers(PM_CEventCategoryManagerArray* agents, PM_CDataManager* data,
                      const TrapHandlerContext& context) override;
};

enum HandlerIndex { kHandlerGeneral = 0, kHandlerJobs = 1, kHandlerIconizedApp = 2 };

class PM_CTrapDispatcher {
 public:
  PM_CTrapDispatcher(PM_CEventCategoryManagerArray* agents, PM_CDataManager* data,
                     std::unique_ptr<PM_CEventHandlersTable> table, TrapHandlerContext context);
  // 1 when an agent made an event of the trap.
  int Dispatch(TrapQueueEntry* entry);
  void EnableHandler(size_t index);
  void DisableHandler(size_t index);
  PM_CEventHandlersTable& Table() { return *table_; }

 private:
  PM_CEventCategoryManagerArray* agents_;
  PM_CDataManager* data_;
  TrapHandlerContext context_;
  std::unique_ptr<PM_CEventHandlersTable> table_;
};

// The event code of a trap: the kind of a job trap; for any other kind the
// alert's location x 10000 + its code, or -1 when that does not fit 32 bits.
int64_t TrapEventCode(const SnmpTrapRecord& trap);
