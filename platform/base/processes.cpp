// WinExec on posix_spawn: the program's Windows path is mapped onto the machine
// root, and the arguments are passed as a vector, so no shell ever reads the line.
#include "platform/base/processes.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/base/codepage.h"
#include "platform/base/machine.h"

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

ZEL_EXTERN_C UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
  if (lpCmdLine == nullptr) return kFileNotFound;
  {
    std::lock_guard<std::mutex> guard(HandlerLock());
    if (Handler()) return Handler()(ProcessLaunch{lpCmdLine, uCmdShow});
  }
  std::vector<std::string> args;
  for (const std::string& arg : SplitCommandLine(lpCmdLine)) args.push_back(FromUtf16(ToUtf16(arg, CP_ACP), CP_UTF8));
  if (args.empty()) return kFileNotFound;
  const auto program = HostPathFromWindows(args[0]);
  if (!program) return kPathNotFound;
  std::error_code error;
  if (!std::filesystem::is_regular_file(*program, error)) return kFileNotFound;
  std::vector<char*> argv;
  const std::string path = program->string();
  argv.push_back(const_cast<char*>(path.c_str()));
  for (size_t i = 1; i < args.size(); ++i) argv.push_back(args[i].data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return kOutOfResources;
  Reap(pid);
  return kStarted;
}
