#include "monitor/trap_dispatch.h"

#include <strings.h>

#include "monitor/monitor_settings.h"

IconizedAlert& CurrentIconizedAlert() {
  static IconizedAlert alert;
  return alert;
}

namespace {

bool IsJobKind(WORD kind) {
  return kind == kTrapJobStart || kind == kTrapJobEnd || kind == kTrapJobParsed || kind == kTrapJobProgress ||
         kind == kTrapJobOther;
}

}  // namespace

int64_t TrapEventCode(const SnmpTrapRecord& trap) {
  if (IsJobKind(trap.kind)) return trap.kind;
  // The two alert numbers come from the network: the code is made in 64 bits
  // and one that no 32-bit agent code can equal matches nothing.
  const int64_t code = static_cast<int64_t>(trap.alertVarBind7) * 10000 + trap.alertVarBind8;
  return code < INT32_MIN || code > INT32_MAX ? -1 : code;
}

void PM_CEventHandler_General::Handle(PM_CEvent*, TrapQueueEntry* entry) {
  std::string address = context_.printerAddress ? context_.printerAddress() : std::string();
  // An agent address may name its port ("host:port"); a trap names only the
  // host it came from.
  if (const size_t colon = address.find(':');
      colon != std::string::npos && address.find(':', colon + 1) == std::string::npos) {
    address.resize(colon);
  }
  if (strcasecmp(entry->trap.sender, address.c_str()) != 0) entry->stop = 1;
}

void PM_CEventHandler_Jobs::Handle(PM_CEvent* event, TrapQueueEntry* entry) {
  switch (entry->trap.kind) {
    case kTrapAlert: Disable(); return;
    case kTrapJobStart: data_->ProcessJobStart(event, entry); break;
    case kTrapJobEnd: data_->ProcessJobEnd(event, entry); break;
    case kTrapJobParsed: data_->ProcessJobParsed(event, entry); break;
    case kTrapJobProgress: data_->ProcessJobProgress(event, entry); break;
    default: break;
  }
  data_->ApplyChangedRule();
  Disable();
  if (context_.refresh) context_.refresh();
}

void PM_CEventHandler_IconizedApp::Handle(PM_CEvent* event, TrapQueueEntry*) {
  int category = -1;
  event->Command(kEventGetCategoryIndex, &category);
  if (category != 0 && category != 1) return;
  IconizedAlert& alert = CurrentIconizedAlert();
  event->Command(kEventGetCategoryIcon, &alert.iconId);
  StringList lines;
  event->Command(kEventGetTimeText, &lines);
  alert.text = lines.empty() ? std::string() : lines.front();
}

void PM_CEventHandlersTable_QRM24::CreateHandlers(PM_CEventCategoryManagerArray*, PM_CDataManager* data,
                                                  const TrapHandlerContext& context) {
  m_Handlers.set(kHandlerGeneral, std::make_unique<PM_CEventHandler_General>(context));
  m_Handlers.set(kHandlerJobs, std::make_unique<PM_CEventHandler_Jobs>(data, context));
  m_Handlers.set(kHandlerIconizedApp, std::make_unique<PM_CEventHandler_IconizedApp>());
  m_Handlers.at(kHandlerGeneral)->Enable();
}

PM_CTrapDispatcher::PM_CTrapDispatcher(PM_CEventCategoryManagerArray* agents, PM_CDataManager* data,
                                       std::unique_ptr<PM_CEventHandlersTable> table, TrapHandlerContext context)
    : agents_(agents), data_(data), context_(std::move(context)), table_(std::move(table)) {
  table_->CreateHandlers(agents_, data_, context_);
}

void PM_CTrapDispatcher::EnableHandler(size_t index) {
  if (PM_CEventHandlerBase* handler = table_->m_Handlers.at(index)) handler->Enable();
}

void PM_CTrapDispatcher::DisableHandler(size_t index) {
  if (PM_CEventHandlerBase* handler = table_->m_Handlers.at(index)) handler->Disable();
}

int PM_CTrapDispatcher::Dispatch(TrapQueueEntry* entry) {
  if (!entry->borrowed) {
    if (IsJobKind(entry->trap.kind)) EnableHandler(kHandlerJobs);
    entry->eventCode = TrapEventCode(entry->trap);
  }
  PM_CEvent* event = agents_->CreateEventForCode(entry->eventCode);
  if (!event) {
    // A job handler switched on for this trap stays for the next one otherwise.
    if (IsJobKind(entry->trap.kind)) DisableHandler(kHandlerJobs);
    return 0;
  }
  event->Command(kEventUpdateJob, &entry->trap);
  for (size_t i = 0; i < table_->m_Handlers.size(); ++i) {
    PM_CEventHandlerBase* handler = table_->m_Handlers.at(i);
    if (handler && handler->IsEnabled()) handler->Handle(event, entry);
    if (entry->stop == 1) break;
  }
  if (!entry->stop) {
    if (!entry->keepOut) {
      data_->AddEvent(event);
    } else if (entry->changed) {
      data_->SetChanged();
    }
  }
  if (entry->stop) DisableHandler(kHandlerJobs);
  EventRelease(event);
  return 1;
}
