// Started programs: the child sees the whole Windows line, the parent can wait
// for it and read its exit code, and a missing program starts nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/base/named_mutex.h"
#include "platform/base/processes.h"
#include "platform/base/sync.h"
#include "platform/shell/shell_execute.h"
#include "platform/ui/help.h"
#include "tests/support/machine_fixture.h"

namespace {

class ProcessStartTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    testsupport::FreshMachine::SetUp();
    std::filesystem::create_directories(root() / "drive_c" / "tools");
    script_ = root() / "drive_c" / "tools" / "child.exe";
    log_ = root() / "child.log";
    std::ofstream(script_) << "#!/bin/sh\nsleep 0.2\nprintf '%s' \"$ZEL_COMMAND_LINE\" > '" << log_.string()
                           << "'\nprintf '%s|%s' \"$ZEL_MACHINE_ROOT\" \"$ZEL_USER\" > '" << log_.string()
                           << ".machine'\nexit 3\n";
    chmod(script_.c_str(), 0755);
  }
  std::string Log() const {
    std::ifstream in(log_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::filesystem::path script_;
  std::filesystem::path log_;
};

TEST_F(ProcessStartTest, AsUserWaitsForTheChildAndPassesTheWholeLine) {
  HANDLE token = 0;
  HANDLE primary = 0;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token));
  ASSERT_TRUE(DuplicateTokenEx(token, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary));
  std::string line = "C:\\tools\\child.exe Office A\"zeldb5.dll\"1";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessAsUserA(primary, "C:\\tools\\child.exe", line.data(), nullptr, nullptr, FALSE,
                                   CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &info));
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Log(), line);
  // The machine was set in this process, not by a variable: the child still runs on it.
  std::ifstream machine(log_.string() + ".machine");
  std::string seen;
  std::getline(machine, seen);
  EXPECT_EQ(seen, std::filesystem::absolute(root()).string() + "|User");
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 3u);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(primary));
  EXPECT_TRUE(CloseHandle(token));
}

// An opened process stands for that process, not for its id: it runs until
// killed, then it has ended and its id opens nothing; a process with that id
// started later (a start time not its own) is not it.
TEST_F(ProcessStartTest, OpenedProcessIsThatProcessNotItsId) {
  const pid_t child = fork();
  if (child == 0) {
    pause();
    _exit(0);
  }
  const DWORD id = static_cast<DWORD>(child);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  ASSERT_NE(process, 0u) << GetLastError();
  FILETIME created{};
  FILETIME unused{};
  ASSERT_TRUE(GetProcessTimes(process, &created, &unused, &unused, &unused));
  const int64_t started = (int64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
  EXPECT_TRUE(platform::ProcessRuns(id, started));
  EXPECT_FALSE(platform::ProcessRuns(id, started + 3600LL * 10'000'000)) << "a later process of the same id";
  EXPECT_TRUE(platform::ProcessRunsSince(id, started + 10'000'000));
  EXPECT_FALSE(platform::ProcessRunsSince(id, started - 3600LL * 10'000'000)) << "started after the thing was made";
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(process, 20), static_cast<DWORD>(WAIT_TIMEOUT));

  ASSERT_EQ(kill(child, SIGKILL), 0);
  // Killed but not yet collected, it has ended all the same.
  EXPECT_EQ(WaitForSingleObject(process, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
  ASSERT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_FALSE(platform::ProcessRuns(id, started));
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(CloseHandle(process));
}

TEST_F(ProcessStartTest, RefusalsStartNothing) {
  std::string line = "C:\\tools\\missing.exe x";
  PROCESS_INFORMATION info{};
  EXPECT_FALSE(CreateProcessA("C:\\tools\\missing.exe", line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              nullptr, &info));
  EXPECT_EQ(info.hProcess, 0u);
  HANDLE token = 0;
  EXPECT_FALSE(OpenProcessToken(1234, TOKEN_ALL_ACCESS, &token));
  EXPECT_FALSE(CreateProcessAsUserA(0, "C:\\tools\\child.exe", line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    nullptr, nullptr, &info));
  EXPECT_FALSE(std::filesystem::exists(log_));
}

}  // namespace

namespace {

// Help has no viewer here: WinHelp and "hh.exe" starts are recorded in the
// machine, where a test run in another process can read them.
TEST_F(ProcessStartTest, HelpViewersAreRecordedNotStarted) {
  EXPECT_GT(WinExec("hh.exe \"C:\\Program Files\\Nardo\\help file.chm\"", SW_SHOWNORMAL), 31u);
  EXPECT_TRUE(WinHelpA(0, "C:\\drv\\mTRQ50.hlp", HELP_CONTEXT, 129));
  EXPECT_FALSE(WinHelpA(0, nullptr, HELP_CONTEXT, 1));
  const auto records = platform::ReadHelpRecords();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].viewer, "hh.exe");
  EXPECT_EQ(records[0].commandLine, "hh.exe \"C:\\Program Files\\Nardo\\help file.chm\"");
  EXPECT_EQ(records[1].viewer, "WinHelp");
  EXPECT_EQ(records[1].file, "C:\\drv\\mTRQ50.hlp");
  EXPECT_EQ(records[1].command, HELP_CONTEXT);
  EXPECT_EQ(records[1].data, 129u);
}

}  // namespace

namespace {

TEST_F(ProcessStartTest, TheShellStartsProgramsAndRecordsDocuments) {
  // A program in the given directory starts with the parameters as its line.
  SHELLEXECUTEINFOA start{};
  start.cbSize = sizeof start;
  start.fMask = SEE_MASK_NOCLOSEPROCESS;
  start.lpVerb = "open";
  start.lpFile = "child.exe";
  start.lpParameters = "_{Office}_ NORMAL";
  start.lpDirectory = "C:\\tools";
  start.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExA(&start)) << GetLastError();
  ASSERT_NE(start.hProcess, 0u);
  EXPECT_GT(start.hInstApp, 32u);
  EXPECT_EQ(WaitForSingleObject(start.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(Log(), "\"C:\\tools\\child.exe\" _{Office}_ NORMAL");
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(start.hProcess, &code));
  EXPECT_EQ(code, 3u);
  EXPECT_TRUE(CloseHandle(start.hProcess));

  // A missing program is reported, and nothing is recorded for it.
  start.lpFile = "missing.exe";
  EXPECT_FALSE(ShellExecuteExA(&start));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(start.hProcess, 0u);
  EXPECT_EQ(ShellExecuteA(0, "open", "C:\\tools\\missing.exe", nullptr, nullptr, SW_SHOWNORMAL), HINSTANCE(SE_ERR_FNF));

  // A document is recorded as a Windows machine would have opened it.
  EXPECT_GT(ShellExecuteA(0, "open", "readme.txt", nullptr, "C:\\Drivers\\", SW_SHOWNORMAL), 32u);
  const std::vector<platform::ShellRequest> records = platform::ReadShellRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].verb, "open");
  EXPECT_EQ(records[0].file, "readme.txt");
  EXPECT_EQ(records[0].parameters, "");
  EXPECT_EQ(records[0].directory, "C:\\Drivers\\");
}

}  // namespace
