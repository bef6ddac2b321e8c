// Named mutexes: recursive for their owner, bounded waits, shared by name on
// the machine root between processes, and released when their holder dies.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include <gtest/gtest.h>

#include "platform/base/handles.h"
#include "platform/base/named_mutex.h"
#include "tests/support/machine_fixture.h"

namespace {

class NamedMutex : public testsupport::FreshMachine {};

DWORD WaitFromAnotherThread(HANDLE mutex, DWORD milliseconds) {
  DWORD result = 0;
  std::thread([&] {
    result = WaitForSingleObject(mutex, milliseconds);
    if (result == WAIT_OBJECT_0) ReleaseMutex(mutex);
  }).join();
  return result;
}

TEST_F(NamedMutex, RecursiveForItsOwnerAndBoundedForOthers) {
  const HANDLE mutex = CreateMutexA(nullptr, FALSE, "SNMPBusy");
  ASSERT_NE(mutex, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  const HANDLE same = CreateMutexA(nullptr, FALSE, "SNMPBusy");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ASSERT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
  ASSERT_EQ(WaitForSingleObject(same, 0), WAIT_OBJECT_0) << "the owner takes it again through any handle";
  EXPECT_EQ(WaitFromAnotherThread(mutex, 30), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitFromAnotherThread(mutex, 30), static_cast<DWORD>(WAIT_TIMEOUT)) << "held once more";
  EXPECT_TRUE(ReleaseMutex(same));
  EXPECT_EQ(WaitFromAnotherThread(mutex, 30), WAIT_OBJECT_0);
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
  EXPECT_EQ(WaitForSingleObject(0x7FFC, 0), WAIT_FAILED);
  CloseHandle(same);
  CloseHandle(mutex);
}

TEST_F(NamedMutex, SharedBetweenProcessesAndFreedWhenTheHolderDies) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, "SNMPBusy");
    const char taken = WaitForSingleObject(mutex, INFINITE) == WAIT_OBJECT_0 ? 'y' : 'n';
    if (write(ready[1], &taken, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char taken = 0;
  ASSERT_EQ(read(ready[0], &taken, 1), 1);
  ASSERT_EQ(taken, 'y');
  const HANDLE mutex = CreateMutexA(nullptr, FALSE, "SNMPBusy");
  EXPECT_EQ(WaitForSingleObject(mutex, 50), static_cast<DWORD>(WAIT_TIMEOUT)) << "held by the other process";
  const HANDLE other = CreateMutexA(nullptr, FALSE, "Another name");
  EXPECT_EQ(WaitForSingleObject(other, 0), WAIT_OBJECT_0) << "names are separate";
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(WaitForSingleObject(mutex, 2000), WAIT_OBJECT_0) << "a dead holder releases it";
  ReleaseMutex(mutex);
  ReleaseMutex(other);
  CloseHandle(mutex);
  CloseHandle(other);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
