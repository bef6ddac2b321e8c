#include "platform/base/handles.h"

#include <mutex>
#include <unordered_map>

#include "platform/base/errors.h"

namespace platform {
namespace {

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> objects;
  HANDLE next = 4;
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // lives until the process ends
  return *table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  // Skip values still in use after a wrap and the ones that mean "none" or "invalid";
  // the range stays below the predefined registry keys (0x80000000 and up).
  while (table.next == 0 || table.next >= 0x7FFFFFF0u || table.objects.count(table.next)) {
    table.next = table.next >= 0x7FFFFFF0u ? 4 : table.next + 4;
  }
  HANDLE handle = table.next;
  table.next += 4;
  table.objects.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<KernelObject> LookupHandleObject(HANDLE handle) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  auto it = table.objects.find(handle);
  return it == table.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> doomed;  // destroyed outside the lock
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  auto it = table.objects.find(handle);
  if (it == table.objects.end()) return false;
  doomed = std::move(it->second);
  table.objects.erase(it);
  return true;
}

}  // namespace platform

BOOL CloseHandle(HANDLE handle) {
  if (!platform::RemoveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
