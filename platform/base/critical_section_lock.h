// Holds a critical section for the life of a scope, so that every return and
// exception leaves it as often as it was entered.
#pragma once

#include "platform/base/sync.h"

namespace platform {

class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(LPCRITICAL_SECTION section) : section_(section) { EnterCriticalSection(section_); }
  ~CriticalSectionLock() { LeaveCriticalSection(section_); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  LPCRITICAL_SECTION section_;
};

}  // namespace platform
