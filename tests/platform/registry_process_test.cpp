// The registry shared by several processes: concurrent writers lose nothing, a
// writer killed mid-write leaves every value whole, and a key deleted by another
// process is reported as deleted to handles still open on it.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "platform/registry/registry.h"
#include "tests/platform/registry_test_helpers.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace regtest;
using namespace std::chrono_literals;

class RegistryProcesses : public testsupport::FreshMachine {};

// Runs body in a child process, which exits 0 when body answers true. The child
// uses the registry through its own connection (the database layer reopens after fork).
pid_t RunChild(const std::function<bool()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = body();
    } catch (...) {
    }
    _exit(ok ? 0 : 1);
  }
  return pid;
}

// The child's exit code; a child still running at the deadline is killed (-1).
int WaitChild(pid_t pid, std::chrono::seconds limit = 60s) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(5ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::u16string Numbered(const char16_t* prefix, int n) { return prefix + platform::ToUtf16(std::to_string(n)); }

TEST_F(RegistryProcesses, TwoWritersInOneKeyLoseNothing) {
  constexpr int kPerProcess = 300;
  Key key;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Shared", key.put()), ERROR_SUCCESS);
  HKEY shared = key.get();

  auto writeAll = [shared](const char16_t* prefix) {
    for (int i = 0; i < kPerProcess; ++i) {
      std::u16string name = Numbered(prefix, i);
      if (SetDword(shared, name.c_str(), static_cast<DWORD>(i)) != ERROR_SUCCESS) return false;
      // Both processes also overwrite one common value all along.
      if (SetDword(shared, u"Common", static_cast<DWORD>(i)) != ERROR_SUCCESS) return false;
    }
    return true;
  };
  pid_t child = RunChild([&] { return writeAll(u"Child"); });
  ASSERT_GT(child, 0);
  bool parentOk = writeAll(u"Parent");
  ASSERT_EQ(WaitChild(child), 0);
  ASSERT_TRUE(parentOk);

  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, DWORD{2 * kPerProcess + 1});
  for (const char16_t* prefix : {u"Child", u"Parent"}) {
    for (int i = 0; i < kPerProcess; ++i) {
      std::u16string name = Numbered(prefix, i);
      Read read = QueryW(key, name.c_str());
      ASSERT_EQ(read.status, ERROR_SUCCESS) << platform::Utf8FromUtf16(name);
      EXPECT_EQ(DwordOf(read), static_cast<DWORD>(i));
    }
  }
  EXPECT_EQ(DwordOf(QueryW(key, u"Common")), DWORD{kPerProcess - 1});
}

TEST_F(RegistryProcesses, AWriterKilledMidWriteLeavesEveryValueOldOrNew) {
  constexpr int kValues = 32;
  constexpr size_t kSize = 4096;
  Key key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Crash", key.put()), ERROR_SUCCESS);
  for (int i = 0; i < kValues; ++i) {
    ASSERT_EQ(SetW(key, Numbered(u"V", i).c_str(), REG_BINARY, Bytes(kSize, 0)), ERROR_SUCCESS);
  }
  HKEY target = key.get();

  // Every generation writes every value as kSize equal bytes: a torn value would
  // show bytes of two generations, or the wrong length.
  auto check = [&](const char* when) {
    for (int i = 0; i < kValues; ++i) {
      Read read = QueryW(key, Numbered(u"V", i).c_str());
      ASSERT_EQ(read.status, ERROR_SUCCESS) << when << " V" << i;
      ASSERT_EQ(read.type, DWORD{REG_BINARY});
      ASSERT_EQ(read.data.size(), kSize) << when << " V" << i;
      for (uint8_t byte : read.data) ASSERT_EQ(byte, read.data[0]) << when << " V" << i;
    }
  };

  for (int round = 0; round < 3; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = RunChild([&] {
      close(ready[0]);
      for (int generation = 1; generation < 1000000; ++generation) {
        Bytes data(kSize, static_cast<uint8_t>(generation % 255 + 1));
        for (int i = 0; i < kValues; ++i) {
          if (SetW(target, Numbered(u"V", i).c_str(), REG_BINARY, data) != ERROR_SUCCESS) return false;
        }
        if (generation == 1 && write(ready[1], "r", 1) != 1) return false;
      }
      return true;
    });
    ASSERT_GT(child, 0);
    close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    ASSERT_EQ(poll(&wait, 1, 30000), 1) << "the writer never finished its first round";
    close(ready[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(10 + 15 * round));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped before it was killed";

    check("after the kill");
    // The killed writer left no lock behind: this process can still write.
    Bytes fresh(kSize, 0xEE);
    for (int i = 0; i < kValues; ++i) ASSERT_EQ(SetW(key, Numbered(u"V", i).c_str(), REG_BINARY, fresh), ERROR_SUCCESS);
    check("after writing again");
    EXPECT_EQ(QueryW(key, u"V0").data, fresh);
  }
}

TEST_F(RegistryProcesses, AKeyDeletedByAnotherProcessIsDeletedForOpenHandles) {
  Key doomed;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Doomed", doomed.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(doomed, u"Before", 1), ERROR_SUCCESS);
  Key kept;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Kept", kept.put()), ERROR_SUCCESS);
  HKEY keptKey = kept.get();

  pid_t child = RunChild([keptKey] {
    return SetDword(keptKey, u"FromChild", 5) == ERROR_SUCCESS &&
           RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Doomed") == ERROR_SUCCESS;
  });
  ASSERT_GT(child, 0);
  ASSERT_EQ(WaitChild(child), 0);

  EXPECT_EQ(DwordOf(QueryW(kept, u"FromChild")), 5u);
  EXPECT_EQ(QueryW(doomed, u"Before").status, ERROR_KEY_DELETED);
  EXPECT_EQ(SetDword(doomed, u"After", 2), ERROR_KEY_DELETED);
  Key reopened;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Doomed", reopened.put()), ERROR_FILE_NOT_FOUND);
}

}  // namespace
