// Several processes on one printer's data: writers at once lose nothing, a writer
// killed mid-write leaves every value whole, and a reader's cache notices the
// other process's writes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/spooler_test_helpers.h"

namespace {

using namespace spltest;

// Runs body in a child process; its result is the child's exit status.
template <class Body>
pid_t Spawn(Body body) {
  pid_t pid = fork();
  if (pid == 0) {
    int status = 1;
    try {
      status = body();
    } catch (...) {
    }
    _exit(status);
  }
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

DWORD SetDword(HANDLE printer, const std::u16string& name, DWORD value) {
  std::u16string copy = name;
  return SetPrinterDataW(printer, copy.data(), REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
}

DWORD GetDword(HANDLE printer, const std::u16string& name, DWORD* value) {
  std::u16string copy = name;
  DWORD type = 0;
  DWORD needed = 0;
  return GetPrinterDataW(printer, copy.data(), &type, reinterpret_cast<BYTE*>(value), sizeof *value, &needed);
}

std::u16string Name(const char* prefix, int i) { return platform::Utf16FromUtf8(prefix + std::to_string(i)); }

class SpoolerProcessTest : public SpoolerTest {
 protected:
  void SetUp() override {
    SpoolerTest::SetUp();
    printer_ = Printer(AddPrinterNamed("Office"));
    ASSERT_NE(printer_.get(), 0u);
  }
  Printer printer_;
};

TEST_F(SpoolerProcessTest, TwoWritersAtOnceLoseNothing) {
  constexpr int kValues = 150;
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> writers;
  for (int writer = 0; writer < 2; ++writer) {
    writers.push_back(Spawn([&, writer] {
      char go;
      if (read(gate[0], &go, 1) != 1) return 2;
      HANDLE printer = OpenA("Office");
      if (!printer) return 3;
      const char* prefix = writer == 0 ? "first_" : "second_";
      for (int i = 0; i < kValues; ++i) {
        if (SetDword(printer, Name(prefix, i), static_cast<DWORD>(i)) != ERROR_SUCCESS) return 4;
        // Both also overwrite one value, with the writer and the step it got to.
        if (SetDword(printer, u"Last", static_cast<DWORD>(writer * 1000 + i)) != ERROR_SUCCESS) return 5;
      }
      ClosePrinter(printer);
      return 0;
    }));
  }
  close(gate[0]);
  ASSERT_EQ(write(gate[1], "go", 2), 2);  // both start together
  close(gate[1]);
  for (pid_t pid : writers) EXPECT_EQ(Wait(pid), 0);

  std::set<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    WCHAR name[64];
    DWORD nameBytes = 0;
    DWORD type = 0;
    DWORD value = 0;
    DWORD dataBytes = 0;
    DWORD rc = EnumPrinterDataW(printer_, index, name, sizeof name, &nameBytes, &type, reinterpret_cast<BYTE*>(&value),
                                sizeof value, &dataBytes);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, DWORD(ERROR_SUCCESS));
    EXPECT_TRUE(names.insert(name).second) << "listed twice";
  }
  EXPECT_EQ(names.size(), size_t(2 * kValues + 1));
  for (int i = 0; i < kValues; ++i) {
    for (const char* prefix : {"first_", "second_"}) {
      DWORD value = 0xFFFF;
      ASSERT_EQ(GetDword(printer_, Name(prefix, i), &value), DWORD(ERROR_SUCCESS)) << prefix << i;
      EXPECT_EQ(value, DWORD(i));
    }
  }
  DWORD last = 0;
  ASSERT_EQ(GetDword(printer_, u"Last", &last), DWORD(ERROR_SUCCESS));
  EXPECT_TRUE(last == kValues - 1 || last == 1000 + kValues - 1) << last;
}

TEST_F(SpoolerProcessTest, WriterKilledMidWriteLeavesEveryValueOldOrNew) {
  constexpr int kValues = 8;
  constexpr size_t kSize = 256 * 1024;
  auto fill = [](BYTE generation) { return Bytes(kSize, generation); };
  for (int i = 0; i < kValues; ++i) {
    Bytes old = fill(1);
    std::u16string name = Name("Blob", i);
    ASSERT_EQ(SetPrinterDataW(printer_, name.data(), REG_BINARY, old.data(), kSize), 0u);
  }

  bool writerGotThrough = false;
  for (int round = 0; round < 3; ++round) {
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    pid_t writer = Spawn([&] {
      HANDLE printer = OpenA("Office");
      if (!printer) return 3;
      close(started[0]);
      bool signalled = false;
      for (BYTE generation = 2;; generation = BYTE(generation % 250 + 2)) {
        for (int i = 0; i < kValues; ++i) {
          Bytes data = fill(generation);
          std::u16string name = Name("Blob", i);
          SetPrinterDataW(printer, name.data(), REG_BINARY, data.data(), kSize);
          // Told only once a write is through, so the kill always proves something
          // however slow the machine is.
          if (!signalled) {
            if (write(started[1], "s", 1) != 1) return 2;
            signalled = true;
          }
        }
      }
    });
    close(started[1]);
    char signal;
    ASSERT_EQ(read(started[0], &signal, 1), 1);
    close(started[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + 40 * round));
    ASSERT_EQ(kill(writer, SIGKILL), 0);
    EXPECT_EQ(Wait(writer), 128 + SIGKILL);

    for (int i = 0; i < kValues; ++i) {
      Bytes data(kSize + 16, 0);
      DWORD type = 0;
      DWORD needed = 0;
      std::u16string name = Name("Blob", i);
      ASSERT_EQ(GetPrinterDataW(printer_, name.data(), &type, data.data(), static_cast<DWORD>(data.size()), &needed),
                DWORD(ERROR_SUCCESS));
      ASSERT_EQ(needed, kSize) << "value " << i;
      for (size_t b = 1; b < kSize; ++b) {
        ASSERT_EQ(data[b], data[0]) << "value " << i << " is torn at byte " << b;
      }
      writerGotThrough |= data[0] != 1;
    }
  }
  // Otherwise the kill proved nothing.
  EXPECT_TRUE(writerGotThrough);
  // The store takes writes again after the kills.
  EXPECT_EQ(SetDword(printer_, u"After", 1), DWORD(ERROR_SUCCESS));
}

TEST_F(SpoolerProcessTest, CacheNoticesAnotherProcessWriting) {
  ASSERT_EQ(SetDword(printer_, u"Counter", 1), 0u);
  ASSERT_EQ(SetDword(printer_, u"Doomed", 1), 0u);
  DWORD value = 0;
  ASSERT_EQ(GetDword(printer_, u"Counter", &value), 0u);  // now served from this process's cache
  ASSERT_EQ(value, 1u);
  DWORD nameBytes = 0;
  DWORD dataBytes = 0;
  ASSERT_EQ(EnumPrinterDataW(printer_, 0, nullptr, 0, &nameBytes, nullptr, nullptr, 0, &dataBytes), 0u);

  pid_t child = Spawn([] {
    HANDLE printer = OpenA("Office");
    if (!printer) return 3;
    if (SetDword(printer, u"Counter", 2) != ERROR_SUCCESS) return 4;
    if (SetDword(printer, u"AddedByOther", 7) != ERROR_SUCCESS) return 5;
    std::u16string doomed = u"Doomed";
    if (DeletePrinterDataW(printer, doomed.data()) != ERROR_SUCCESS) return 6;
    ClosePrinter(printer);
    HANDLE added = AddPrinterNamed("Second Printer");
    if (!added) return 7;
    ClosePrinter(added);
    return 0;
  });
  ASSERT_EQ(Wait(child), 0);

  EXPECT_EQ(GetDword(printer_, u"Counter", &value), 0u);
  EXPECT_EQ(value, 2u);
  EXPECT_EQ(GetDword(printer_, u"AddedByOther", &value), 0u);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(GetDword(printer_, u"Doomed", &value), DWORD(ERROR_FILE_NOT_FOUND));
  Printer second(OpenA("Second Printer"));
  EXPECT_NE(second.get(), 0u);
}

}  // namespace
