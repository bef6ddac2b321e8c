#include "platform/shell/shell_execute.h"

#include <cctype>
#include <mutex>

#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/machine_records.h"
#include "platform/base/processes.h"

namespace {

constexpr HINSTANCE kTaken = 42;
constexpr char kRecordsFile[] = "shell.txt";

std::mutex g_lock;
platform::ShellHandler g_handler;

bool IsProgram(const std::string& file) {
  if (file.size() < 4) return false;
  std::string tail = file.substr(file.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".exe";
}

bool HasFolder(const std::string& file) {
  return file.find_first_of("\\/") != std::string::npos || (file.size() >= 2 && file[1] == ':');
}

void Record(const platform::ShellRequest& request) {
  OutputDebugStringA(("shell: " + request.verb + " " + request.file + "\n").c_str());
  platform::AppendMachineRecord(kRecordsFile, {request.verb, request.file, request.parameters, request.directory});
}

// Starts the program; its process handle goes to *process when asked for.
HINSTANCE Start(const platform::ShellRequest& request, HANDLE* process) {
  std::string program = request.file;
  if (!HasFolder(program) && !request.directory.empty()) {
    program = request.directory;
    if (program.back() != '\\' && program.back() != '/') program += '\\';
    program += request.file;
  }
  const DWORD attributes = GetFileAttributesA(program.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return SE_ERR_FNF;
  std::string line = "\"" + program + "\"";
  if (!request.parameters.empty()) line += " " + request.parameters;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      request.directory.empty() ? nullptr : request.directory.c_str(), nullptr, &started)) {
    return GetLastError() == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF;
  }
  CloseHandle(started.hThread);
  if (process) {
    *process = started.hProcess;
  } else {
    CloseHandle(started.hProcess);
  }
  return kTaken;
}

HINSTANCE Execute(const platform::ShellRequest& request, HANDLE* process) {
  if (process) *process = 0;
  platform::ShellHandler handler;
  {
    std::lock_guard guard(g_lock);
    handler = g_handler;
  }
  if (handler) return handler(request);
  if (IsProgram(request.file)) return Start(request, process);
  Record(request);
  return kTaken;
}

}  // namespace

void platform::SetShellHandler(ShellHandler handler) {
  std::lock_guard guard(g_lock);
  g_handler = std::move(handler);
}

std::vector<platform::ShellRequest> platform::ReadShellRecords() {
  std::vector<ShellRequest> records;
  for (std::vector<std::string> fields : ReadMachineRecords(kRecordsFile)) {
    fields.resize(4);
    records.push_back(ShellRequest{0, fields[0], fields[1], fields[2], fields[3], 0});
  }
  return records;
}

ZEL_EXTERN_C HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                     int show) {
  if (!file) return SE_ERR_FNF;
  return Execute(platform::ShellRequest{owner, verb ? verb : "", file, parameters ? parameters : "",
                                        directory ? directory : "", show},
                 nullptr);
}

ZEL_EXTERN_C BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info) {
  if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOA) || !info->lpFile) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HANDLE process = 0;
  const HINSTANCE answer = Execute(platform::ShellRequest{info->hwnd, info->lpVerb ? info->lpVerb : "", info->lpFile,
                                                          info->lpParameters ? info->lpParameters : "",
                                                          info->lpDirectory ? info->lpDirectory : "", info->nShow},
                                   (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? &process : nullptr);
  info->hInstApp = answer;
  info->hProcess = process;
  if (answer <= 32) {
    SetLastError(answer == SE_ERR_PNF ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}
