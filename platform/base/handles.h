// The process's handle table. Handles are small 32-bit numbers (multiples of 4,
// as on Windows), never pointers, so structures that hold them keep their layout.
#pragma once

#include <memory>
#include <type_traits>
#include <typeinfo>

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

// Nearly every look-up asks for the object's own class: comparing its type
// then stands in for dynamic_cast's walk of the class tree, which cost the
// drawing calls more than the table look-up itself. A final class that does
// not match cannot be a base of the object either.
template <class T>
std::shared_ptr<T> LookupHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object = LookupHandleObject(handle);
  if (!object) return nullptr;
  const KernelObject& found = *object;
  if (typeid(found) == typeid(T)) return std::static_pointer_cast<T>(std::move(object));
  if constexpr (std::is_final_v<T>) {
    return nullptr;
  } else {
    return std::dynamic_pointer_cast<T>(std::move(object));
  }
}

}  // namespace platform

ZEL_EXTERN_C BOOL CloseHandle(HANDLE handle);
