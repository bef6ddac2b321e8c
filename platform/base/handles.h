// The process's handle table. Handles are small 32-bit numbers (multiples of 4,
// as on Windows), never pointers, so structures that hold them keep their layout.
#pragma once

#include <memory>

#include "platform/base/types.h"

namespace platform {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// An object WaitForSingleObject can wait for besides a mutex.
class WaitableObject : public KernelObject {
 public:
  // WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
  virtual DWORD Wait(DWORD milliseconds) = 0;
};

HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandleObject(HANDLE handle);
// Removes the handle; false when it was not open.
bool RemoveHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandle(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(LookupHandleObject(handle));
}

}  // namespace platform

ZEL_EXTERN_C BOOL CloseHandle(HANDLE handle);
