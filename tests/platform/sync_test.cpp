// Critical sections and the thread and time queries.
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/sync.h"

namespace {

BOOL TryFromAnotherThread(CRITICAL_SECTION& section) {
  BOOL entered = FALSE;
  std::thread([&] {
    entered = TryEnterCriticalSection(&section);
    if (entered) LeaveCriticalSection(&section);
  }).join();
  return entered;
}

TEST(CriticalSection, IsRecursiveAndHeldUntilLeftAsOftenAsEntered) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);  // would deadlock if not recursive
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_FALSE(TryFromAnotherThread(section)) << "still entered once";
  LeaveCriticalSection(&section);
  EXPECT_TRUE(TryFromAnotherThread(section));
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, KeepsThreadsOutOfEachOther) {
  CRITICAL_SECTION section;
  ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&section, 4000));
  long counter = 0;  // deliberately not atomic
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        EnterCriticalSection(&section);
        long seen = counter;
        if (i % 1000 == 0) Sleep(0);
        counter = seen + 1;
        LeaveCriticalSection(&section);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, 80000);
  DeleteCriticalSection(&section);
}

TEST(ProcessAndThread, IdsAndTicks) {
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
  const DWORD mine = GetCurrentThreadId();
  EXPECT_EQ(GetCurrentThreadId(), mine);
  DWORD other = mine;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(other, mine);

  const DWORD before = GetTickCount();
  Sleep(50);
  const DWORD elapsed = GetTickCount() - before;  // unsigned: right across the wrap too
  EXPECT_GE(elapsed, 49u);
  EXPECT_LT(elapsed, 5000u);
}

}  // namespace
