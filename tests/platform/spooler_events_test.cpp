// Printer events: the driver's configuration module hears of a printer being added,
// connected and deleted, and can call back into the spooler while it does.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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
