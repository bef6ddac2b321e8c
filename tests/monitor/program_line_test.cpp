// vigilod5.exe takes its Windows command line as its starter wrote it: a queue
// whose name holds two blanks in a row is registered under that very name.
#include <gtest/gtest.h>

#include <fstream>

#include "monitor/monitor_utilities.h"
#include "platform/base/handles.h"
#include "platform/base/machine.h"
#include "platform/base/named_mutex.h"
#include "platform/base/processes.h"
#include "platform/base/sync.h"
#include "tests/monitor/monitor_fixture.h"
#include "tools/machinesetup/printer_install.h"

namespace monitortest {
namespace {

class ProgramLine : public MonitorTest {
 protected:
  void Install(const std::string& name) {
    machinesetup::PrinterSpec spec;
    spec.printerName = name;
    spec.modelDescription = root() / "model.ini";
    spec.driverFolder = machinesetup::BuiltDriverFolder();
    std::string error;
    ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  }
  // Starts the program as a program of the machine does and waits for its end.
  DWORD Run(const std::string& arguments) {
    std::string line = "\"" + platform::WindowsPathFromHost(ZEL_VIGILOD5) + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      return 0xFFFFFFFFu;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code;
  }
};

TEST_F(ProgramLine, NamesKeepTheirBlanksAsWritten) {
  // Each name is the queue's own; joined again from its arguments, the first
  // would name "Sales Floor", which is the second queue.
  const std::string names[] = {"Sales  Floor", "Sales Floor", "Room  3   West"};
  for (const std::string& name : names) Install(name);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Run("_(" + name + ")_ ADD_NEW_PM"), 0u);
  }
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_NE(DP_ReadProfileString(name.c_str(), "IDXFileName", IniPath().c_str()), "DP_NONE");
  }
  // Removing the one with two blanks leaves the one with a single blank; its
  // archive goes with its entry.
  const std::string archive = DP_ReadProfileString("Sales  Floor", "IDXFileName", IniPath().c_str());
  const std::string kept = DP_ReadProfileString("Sales Floor", "IDXFileName", IniPath().c_str());
  ASSERT_TRUE(std::filesystem::exists(*platform::HostPathFromWindows(archive)));
  EXPECT_EQ(Run("_(Sales  Floor)_ DELETE"), 0u);
  EXPECT_EQ(DP_ReadProfileString("Sales  Floor", "IDXFileName", IniPath().c_str()), "DP_NONE");
  EXPECT_FALSE(std::filesystem::exists(*platform::HostPathFromWindows(archive)));
  EXPECT_EQ(DP_ReadProfileString("Sales Floor", "IDXFileName", IniPath().c_str()), kept);
  EXPECT_TRUE(std::filesystem::exists(*platform::HostPathFromWindows(kept)));
}

}  // namespace
}  // namespace monitortest
