#include "interface/job/job_context.h"

#include <cstring>
#include <new>

#include "interface/app/library_state.h"
#include "interface/records/slip_sheet_defaults.h"
#include "platform/base/critical_section_lock.h"

namespace {

JobContext* head = nullptr;

void FreeContext(JobContext* context) {
  delete[] context->insertSet.rows;
  delete context->defaults;
  delete context;
}

JobContext* Unlink(HDC dc) {
  for (JobContext** link = &head; *link != nullptr; link = &(*link)->next) {
    if ((*link)->dc == dc) {
      JobContext* found = *link;
      *link = found->next;
      return found;
    }
  }
  return nullptr;
}

}  // namespace

JobContext* AddJobContext(HDC dc, const XDEVMODE& devmode) {
  auto* context = new (std::nothrow) JobContext;
  if (context == nullptr) return nullptr;
  context->dc = dc;
  context->devmode = devmode;
  JobContext* stale = nullptr;
  {
    platform::CriticalSectionLock lock(JobContextLock());
    stale = Unlink(dc);
    context->next = head;
    head = context;
  }
  if (stale != nullptr) FreeContext(stale);
  return context;
}

JobContext* FindJobContext(HDC dc) {
  platform::CriticalSectionLock lock(JobContextLock());
  for (JobContext* context = head; context != nullptr; context = context->next) {
    if (context->dc == dc) return context;
  }
  return nullptr;
}

BOOL RemoveJobContext(HDC dc) {
  JobContext* found = nullptr;
  {
    platform::CriticalSectionLock lock(JobContextLock());
    found = Unlink(dc);
  }
  if (found == nullptr) return FALSE;
  FreeContext(found);
  return TRUE;
}

BOOL AttachInsertSheetSet(HDC dc, HANDLE printer) {
  JobContext* context = FindJobContext(dc);
  if (context == nullptr) return FALSE;
  InsertSheetSet& set = context->insertSet;
  delete[] set.rows;
  set = InsertSheetSet{};
  set.rows = new (std::nothrow) PageTicketRow[kInsertSheetSetMaxRows]{};
  // The name is the device mode's; it may fill its field without a terminator.
  char name[sizeof context->devmode.dmPrivate._sInsertSheets + 1] = {};
  std::memcpy(name, context->devmode.dmPrivate._sInsertSheets, sizeof context->devmode.dmPrivate._sInsertSheets);
  if (set.rows != nullptr) LoadInsertSheetSet(printer, &set, name);
  return TRUE;
}

BOOL AttachSlipSheetTable(HDC dc, HANDLE printer) {
  JobContext* context = FindJobContext(dc);
  if (context == nullptr) return FALSE;
  delete context->defaults;
  context->defaults = new (std::nothrow) SlipSheetTable{};
  if (context->defaults != nullptr) LoadDefaults(printer, context->defaults);
  return TRUE;
}
