// WinExec on posix_spawn: the program's Windows path is mapped onto the machine
// root, and the arguments are passed as a vector, so no shell ever reads the line.
#include "platform/base/processes.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/base/machine.h"
#include "platform/base/named_mutex.h"
#include "platform/ui/help.h"

extern char** environ;

namespace platform {
namespace {

std::mutex& HandlerLock() {
  static std::mutex lock;
  return lock;
}
ProcessLaunchHandler& Handler() {
  static ProcessLaunchHandler handler;
  return handler;
}

constexpr UINT kStarted = 33;
constexpr UINT kOutOfResources = 0;
constexpr UINT kFileNotFound = 2;
constexpr UINT kPathNotFound = 3;

// A started program is not waited for; its exit is collected so that it never
// stays a zombie of the printing process.
void Reap(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
}

constexpr HANDLE kCurrentProcess = 0xFFFFFFFFu;

struct TokenObject : KernelObject {};

// A started child; the first wait that sees it end collects its exit status.
class ProcessObject : public WaitableObject {
 public:
  explicit ProcessObject(pid_t pid) : pid_(pid) {}
  ~ProcessObject() override {
    std::lock_guard guard(lock_);
    if (!ended_) Reap(pid_);
  }
  DWORD Wait(DWORD milliseconds) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (true) {
      {
        std::lock_guard guard(lock_);
        if (ended_) return WAIT_OBJECT_0;
        int status = 0;
        const pid_t done = waitpid(pid_, &status, milliseconds == INFINITE ? 0 : WNOHANG);
        if (done == pid_) {
          ended_ = true;
          exitCode_ = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 1;
          return WAIT_OBJECT_0;
        }
        if (done < 0) return WAIT_FAILED;
      }
      if (std::chrono::steady_clock::now() >= deadline) return WAIT_TIMEOUT;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  DWORD ExitCode() {
    Wait(0);
    std::lock_guard guard(lock_);
    return ended_ ? exitCode_ : STILL_ACTIVE;
  }

 private:
  std::mutex lock_;
  pid_t pid_;
  bool ended_ = false;
  DWORD exitCode_ = 0;
};

struct ThreadObject : KernelObject {};

// A process opened by id: it stands for the process that ran then.
class OpenedProcess : public WaitableObject {
 public:
  OpenedProcess(DWORD processId, int64_t startTime) : id(processId), started(startTime) {}
  DWORD Wait(DWORD milliseconds) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (Runs()) {
      if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline) return WAIT_TIMEOUT;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WAIT_OBJECT_0;
  }
  bool Runs() const { return ProcessRuns(id, started); }
  const DWORD id;
  const int64_t started;
};

void StoreFileTimeTicks(int64_t ticks, LPFILETIME time) {
  if (!time) return;
  time->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
  time->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
}

// Maps the Windows program path and spawns it with the line's arguments after
// the first; the whole line goes to the child in ZEL_COMMAND_LINE.
UINT Spawn(const std::string& programPath, const std::string& commandLine, bool programFromLine, pid_t* pid) {
  std::vector<std::string> args;
  for (const std::string& arg : SplitCommandLine(commandLine)) args.push_back(FromUtf16(ToUtf16(arg, CP_ACP), CP_UTF8));
  if (programFromLine && args.empty()) return kFileNotFound;
  const auto program = HostPathFromWindows(programFromLine ? args[0] : programPath);
  if (!program) return kPathNotFound;
  std::error_code error;
  if (!std::filesystem::is_regular_file(*program, error)) return kFileNotFound;
  std::vector<char*> argv;
  const std::string path = program->string();
  argv.push_back(const_cast<char*>(path.c_str()));
  for (size_t i = 1; i < args.size(); ++i) argv.push_back(args[i].data());
  argv.push_back(nullptr);
  // The child runs on this process's machine as this process's user, however
  // this process came to them (a --root option sets no variable).
  static const char* const kMachineVariables[] = {"ZEL_COMMAND_LINE=", "ZEL_MACHINE_ROOT=", "ZEL_USER="};
  std::vector<std::string> environment;
  for (char** entry = environ; entry && *entry; ++entry) {
    bool replaced = false;
    for (const char* variable : kMachineVariables)
      replaced = replaced || std::strncmp(*entry, variable, std::strlen(variable)) == 0;
    if (!replaced) environment.emplace_back(*entry);
  }
  environment.push_back("ZEL_COMMAND_LINE=" + commandLine);
  environment.push_back("ZEL_MACHINE_ROOT=" + MachineRoot().string());
  environment.push_back("ZEL_USER=" + CurrentUser());
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  if (posix_spawn(pid, path.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return kOutOfResources;
  return kStarted;
}

}  // namespace

namespace {

// The arguments the kernel gave this process, as bytes.
std::vector<std::string> OwnArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> args;
  for (size_t start = 0; start < all.size();) {
    const size_t end = all.find('\0', start);
    args.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return args;
}

std::string BuildCommandLine() {
  const std::vector<std::string> own = OwnArguments();
  if (const char* given = std::getenv("ZEL_COMMAND_LINE")) {
    // The variable passes on to programs started otherwise: it counts only
    // when it splits into this process's own arguments.
    std::vector<std::string> args;
    for (const std::string& arg : SplitCommandLine(given)) args.push_back(FromUtf16(ToUtf16(arg, CP_ACP), CP_UTF8));
    if (!own.empty() && args.size() == own.size() && std::equal(own.begin() + 1, own.end(), args.begin() + 1)) {
      return given;
    }
  }
  std::string line;
  for (size_t i = 0; i < own.size(); ++i) {
    std::string argument = FromUtf16(ToUtf16(own[i], CP_UTF8), CP_ACP);
    if (i == 0 && argument.find(' ') != std::string::npos) argument = '"' + argument + '"';
    if (i) line += ' ';
    line += argument;
  }
  return line;
}

bool IsHelpViewer(const std::string& commandLine) {
  const std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.empty()) return false;
  const size_t slash = args[0].find_last_of("\\/:");
  std::string name = slash == std::string::npos ? args[0] : args[0].substr(slash + 1);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name == "hh.exe" || name == "hh";
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  while (true) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '\\') {
        size_t slashes = 0;
        while (i < n && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (line[i] == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg.push_back('"');
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.push_back(line[i++]);
    }
    args.push_back(std::move(arg));
  }
  return args;
}

void SetProcessLaunchHandler(ProcessLaunchHandler handler) {
  std::lock_guard<std::mutex> guard(HandlerLock());
  Handler() = std::move(handler);
}

}  // namespace platform

using namespace platform;

ZEL_EXTERN_C LPSTR GetCommandLineA(void) {
  static std::string line = BuildCommandLine();
  return line.data();
}

ZEL_EXTERN_C UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
  if (lpCmdLine == nullptr) return kFileNotFound;
  {
    std::lock_guard<std::mutex> guard(HandlerLock());
    if (Handler()) return Handler()(ProcessLaunch{lpCmdLine, uCmdShow});
  }
  // The help viewer is not a program of this machine: its start is recorded.
  if (IsHelpViewer(lpCmdLine)) {
    RecordHelpViewerStart(lpCmdLine);
    return kStarted;
  }
  pid_t pid = 0;
  const UINT result = Spawn({}, lpCmdLine, true, &pid);
  if (result != kStarted) return result;
  Reap(pid);
  return kStarted;
}

ZEL_EXTERN_C HANDLE GetCurrentProcess(void) { return kCurrentProcess; }

ZEL_EXTERN_C BOOL OpenProcessToken(HANDLE process, DWORD, PHANDLE token) {
  if (!token || process != kCurrentProcess) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = InsertHandle(std::make_shared<TokenObject>());
  return TRUE;
}

ZEL_EXTERN_C BOOL DuplicateTokenEx(HANDLE existing, DWORD, struct _SECURITY_ATTRIBUTES*, SECURITY_IMPERSONATION_LEVEL,
                                   TOKEN_TYPE, PHANDLE token) {
  if (!token || !LookupHandle<TokenObject>(existing)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = InsertHandle(std::make_shared<TokenObject>());
  return TRUE;
}

ZEL_EXTERN_C BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, struct _SECURITY_ATTRIBUTES*,
                                 struct _SECURITY_ATTRIBUTES*, BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                                 LPPROCESS_INFORMATION processInformation) {
  if (!applicationName && !commandLine) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string line = commandLine ? commandLine : applicationName;
  pid_t pid = 0;
  const UINT result = Spawn(applicationName ? applicationName : "", line, applicationName == nullptr, &pid);
  if (result != kStarted) {
    SetLastError(result == kOutOfResources ? ERROR_NOT_ENOUGH_MEMORY : result);
    return FALSE;
  }
  auto process = std::make_shared<ProcessObject>(pid);
  if (processInformation) {
    processInformation->hProcess = InsertHandle(process);
    processInformation->hThread = InsertHandle(std::make_shared<ThreadObject>());
    processInformation->dwProcessId = static_cast<DWORD>(pid);
    processInformation->dwThreadId = static_cast<DWORD>(pid);
  }
  return TRUE;
}

ZEL_EXTERN_C BOOL CreateProcessAsUserA(HANDLE token, LPCSTR applicationName, LPSTR commandLine,
                                       struct _SECURITY_ATTRIBUTES* processAttributes,
                                       struct _SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles, DWORD flags,
                                       LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                                       LPPROCESS_INFORMATION processInformation) {
  if (!LookupHandle<TokenObject>(token)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes, inheritHandles, flags,
                        environment, currentDirectory, startupInfo, processInformation);
}

ZEL_EXTERN_C BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  if (auto opened = LookupHandle<OpenedProcess>(process); opened && exitCode) {
    *exitCode = opened->Runs() ? STILL_ACTIVE : 0;
    return TRUE;
  }
  auto object = LookupHandle<ProcessObject>(process);
  if (!object || !exitCode) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = object->ExitCode();
  return TRUE;
}

ZEL_EXTERN_C HANDLE OpenProcess(DWORD, BOOL, DWORD processId) {
  const std::optional<int64_t> started = ProcessStartTime(processId);
  if (!started) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return InsertHandle(std::make_shared<OpenedProcess>(processId, *started));
}

ZEL_EXTERN_C BOOL GetProcessTimes(HANDLE process, LPFILETIME creationTime, LPFILETIME exitTime, LPFILETIME kernelTime,
                                  LPFILETIME userTime) {
  std::optional<int64_t> started;
  if (process == kCurrentProcess) {
    started = ProcessStartTime(static_cast<DWORD>(::getpid()));
  } else if (auto opened = LookupHandle<OpenedProcess>(process)) {
    started = opened->started;
  }
  if (!started) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  StoreFileTimeTicks(*started, creationTime);
  StoreFileTimeTicks(0, exitTime);
  StoreFileTimeTicks(0, kernelTime);
  StoreFileTimeTicks(0, userTime);
  return TRUE;
}
