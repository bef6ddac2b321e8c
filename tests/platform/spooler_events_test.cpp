// Printer events: the driver's configuration module hears of a printer being added,
// connected and deleted, and can call back into the spooler while it does.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/machine_db.h"
#include "platform/base/processes.h"

#include "tests/platform/module_test_helpers.h"
#include "tests/platform/spooler_test_helpers.h"

namespace {

using namespace spltest;

constexpr const char* kEventDriver = "Event Driver";

// The traces the event module left, without those of other modules.
std::vector<std::string> EventLines(moduletest::TraceRecorder& recorder) {
  std::vector<std::string> lines;
  for (std::string& line : recorder.Take()) {
    const std::string prefix = "printer_event_module: ";
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

class PrinterEventTest : public SpoolerTest {
 protected:
  void SetUp() override {
    SpoolerTest::SetUp();
    std::filesystem::path module = moduletest::ModuleFile("printer_event_module.dll");
    if (!std::filesystem::exists(module)) {
      GTEST_SKIP() << "the fixture module printer_event_module.dll is not built";
    }
    AddDriver(kEventDriver, moduletest::ZPath(module));
  }
};

TEST_F(PrinterEventTest, AddingAPrinterInitializesItOnceItIsStored) {
  moduletest::TraceRecorder recorder;
  Printer printer(AddPrinterNamed("Evented", 0, "", kEventDriver));
  ASSERT_NE(printer.get(), 0u) << GetLastError();
  // The module could open the new printer and store data in it.
  EXPECT_EQ(EventLines(recorder), std::vector<std::string>{"3 Evented stored"});
  DWORD value = 0;
  DWORD type = 0;
  DWORD needed = 0;
  std::u16string name = u"InitializedBy";
  EXPECT_EQ(GetPrinterDataW(printer, name.data(), &type, reinterpret_cast<BYTE*>(&value), 4, &needed), 0u);
  EXPECT_EQ(value, DWORD(PRINTER_EVENT_INITIALIZE));
}

// A process killed during the driver's set-up leaves the printer stored but
// not set up; the next opening, in any process, runs the set-up again, once.
TEST_F(PrinterEventTest, PrinterWhoseSetUpWasKilledIsSetUpWhenNextOpened) {
  pid_t child = fork();
  if (child == 0) {
    ::setenv("PRINTER_EVENT_MODULE_DIE", "1", 1);
    AddPrinterNamed("Half", 0, "", kEventDriver);
    _exit(0);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << "the set-up did not die: " << status;

  moduletest::TraceRecorder recorder;
  Printer printer(OpenA("Half"));
  ASSERT_NE(printer.get(), 0u) << GetLastError();
  EXPECT_EQ(EventLines(recorder), std::vector<std::string>{"3 Half stored"});
  Printer again(OpenA("Half"));
  ASSERT_NE(again.get(), 0u);
  EXPECT_TRUE(EventLines(recorder).empty()) << "the set-up ran again after it finished";
}

// The adder is judged by its id and its start time: once it is dead its id
// may be given to another process, and that one must not keep the printer
// broken. A mark naming a running process repairs only when the start time
// recorded with it is not that process's.
TEST_F(PrinterEventTest, AMarkWhosePidWasReusedIsRepaired) {
  struct Case {
    const char* name;
    int64_t startShift;  // added to the running process's start time
    bool repaired;
  };
  const Case cases[] = {{"Reused", -60 * 10'000'000LL, true}, {"Running", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pid_t adder = fork();
    if (adder == 0) {
      ::setenv("PRINTER_EVENT_MODULE_DIE", "1", 1);
      AddPrinterNamed(c.name, 0, "", kEventDriver);
      _exit(0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(adder, &status, 0), adder);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << "the set-up did not die: " << status;

    // A running process now has the mark's pid.
    pid_t other = fork();
    if (other == 0) {
      pause();
      _exit(0);
    }
    ASSERT_GT(other, 0);
    std::optional<int64_t> started;
    for (int attempt = 0; attempt < 100 && !started; ++attempt) {
      started = platform::ProcessStartTime(static_cast<DWORD>(other));
      if (!started) usleep(10'000);
    }
    ASSERT_TRUE(started.has_value());
    {
      platform::db::Session session;
      for (const char* sql :
           {"UPDATE spl_printer_setup SET adder_pid = ?", "UPDATE spl_printer_setup_owners SET started = ?"}) {
        platform::db::Statement update(session, sql);
        update.Bind(1, std::string_view(sql).find("started") != std::string_view::npos ? *started + c.startShift
                                                                                       : int64_t{other});
        update.Step();
      }
    }

    moduletest::TraceRecorder recorder;
    Printer printer(OpenA(c.name));
    const DWORD openError = GetLastError();
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
    ASSERT_NE(printer.get(), 0u) << openError;
    const std::vector<std::string> expected =
        c.repaired ? std::vector<std::string>{std::string("3 ") + c.name + " stored"} : std::vector<std::string>{};
    EXPECT_EQ(EventLines(recorder), expected);
  }
}

TEST_F(PrinterEventTest, DeletingAPrinterTellsTheDriverWhileItsDataIsThere) {
  Printer printer(AddPrinterNamed("Evented", 0, "", kEventDriver));
  ASSERT_NE(printer.get(), 0u);
  moduletest::TraceRecorder recorder;
  ASSERT_TRUE(DeletePrinter(printer));
  EXPECT_EQ(EventLines(recorder), std::vector<std::string>{"4 Evented data-present"});
  EXPECT_EQ(OpenA("Evented"), 0u);
}

TEST_F(PrinterEventTest, ConnectingAndDisconnectingAreSent) {
  Printer printer(AddPrinterNamed("Evented", PRINTER_ATTRIBUTE_SHARED, "evented", kEventDriver));
  ASSERT_NE(printer.get(), 0u);
  moduletest::TraceRecorder recorder;
  std::string name = "\\\\localhost\\evented";
  ASSERT_TRUE(AddPrinterConnectionA(name.data())) << GetLastError();
  ASSERT_TRUE(DeletePrinterConnectionA(name.data())) << GetLastError();
  EXPECT_EQ(EventLines(recorder),
            (std::vector<std::string>{"1 \\\\localhost\\Evented -", "2 \\\\localhost\\Evented -"}));
}

TEST_F(PrinterEventTest, PrinterTheDriverRefusesIsNotKept) {
  moduletest::TraceRecorder recorder;
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(AddPrinterNamed("Refused printer", 0, "", kEventDriver), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
  EXPECT_EQ(EventLines(recorder), std::vector<std::string>{"3 Refused printer stored"});
  EXPECT_EQ(OpenA("Refused printer"), 0u);
  // Nothing of it stays behind: a printer of that name can be added again.
  Printer again(AddPrinterNamed("Refused printer", 0, "", kDriver));
  EXPECT_NE(again.get(), 0u);
}

TEST_F(SpoolerTest, ConfigurationModulesWithoutTheEventAreSkipped) {
  // No module at all, one without DrvPrinterEvent, one that refuses to load.
  const std::string modules[] = {
      "C:\\Drivers\\missing_config.dll",
      moduletest::ZPath(moduletest::ModuleFile("sample_module.dll")),
      moduletest::ZPath(moduletest::ModuleFile("failing_module.dll")),
  };
  int index = 0;
  for (const std::string& module : modules) {
    SCOPED_TRACE(module);
    std::string driver = "Driver " + std::to_string(index);
    std::string printerName = "Printer " + std::to_string(index++);
    AddDriver(driver, module);
    HANDLE printer = AddPrinterNamed(printerName, 0, "", driver);
    ASSERT_NE(printer, 0u) << GetLastError();
    EXPECT_TRUE(DeletePrinter(printer));
    ClosePrinter(printer);
  }
}

}  // namespace
