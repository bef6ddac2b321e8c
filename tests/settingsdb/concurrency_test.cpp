// Several processes on one printer's settings: nothing lost, nothing half-written.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/spooler/spooler.h"
#include "tests/settingsdb/settings_fixture.h"

namespace settingstest {
namespace {

// Runs body in a child process with its own connection to the machine, and
// answers the child's pid. The child exits 0 when body answers true.
template <class Body>
pid_t Spawn(Body body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body() ? 0 : 1);
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SettingsStoreTest, TwoProcessesWritingOnePrinterLoseNothing) {
  constexpr int kValues = 150;
  auto writer = [&](const char* tag) {
    return [&, tag] {
      HANDLE handle = Open(kPrinterName);
      if (!handle) return false;
      for (int i = 0; i < kValues; ++i) {
        std::string key = std::string(tag) + std::to_string(i);
        if (db.SetDword(handle, 0, "Shared", key.c_str(), static_cast<DWORD>(i)) != 0) return false;
        if (db.SetString(handle, 0, "Shared", (key + "s").c_str(), key.c_str()) != 0) return false;
      }
      ClosePrinter(handle);
      return true;
    };
  };
  pid_t a = Spawn(writer("A"));
  pid_t b = Spawn(writer("B"));
  ASSERT_EQ(Wait(a), 0);
  ASSERT_EQ(Wait(b), 0);

  for (const char* tag : {"A", "B"}) {
    for (int i = 0; i < kValues; ++i) {
      std::string key = std::string(tag) + std::to_string(i);
      DWORD value = 0xFFFF;
      ASSERT_EQ(db.GetDword(printer, 0, "Shared", key.c_str(), &value), 0u) << key;
      EXPECT_EQ(value, static_cast<DWORD>(i));
      EXPECT_EQ(ReadString(db, printer, 0, "Shared", (key + "s").c_str()), key);
    }
  }
}

TEST_F(SettingsStoreTest, AProcessKilledMidWriteLeavesEachValueOldOrNew) {
  const std::string oldText(40, 'o');
  const std::string newText(900, 'n');
  for (int i = 0; i < 8; ++i) {
    std::string key = "V" + std::to_string(i);
    ASSERT_EQ(db.SetString(printer, 0, "Torn", key.c_str(), oldText.c_str()), 0u);
  }
  pid_t child = Spawn([&] {
    HANDLE handle = Open(kPrinterName);
    for (int round = 0;; ++round) {
      for (int i = 0; i < 8; ++i) {
        std::string key = "V" + std::to_string(i);
        db.SetString(handle, 0, "Torn", key.c_str(), (round % 2 ? oldText : newText).c_str());
      }
    }
    return true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(child, SIGKILL);
  Wait(child);

  for (int i = 0; i < 8; ++i) {
    std::string key = "V" + std::to_string(i);
    std::string text = ReadString(db, printer, 0, "Torn", key.c_str(), nullptr, 1024);
    EXPECT_TRUE(text == oldText || text == newText) << key << " holds " << text.size() << " bytes";
  }
}

}  // namespace
}  // namespace settingstest
