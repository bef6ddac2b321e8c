// Starting programs: WinExec with a Windows command line. The program (the
// first token, quoted or not) is a Windows path on the stand-in machine; the
// process runs with the line split into arguments as a Windows program's
// start-up code splits it. A program or a test may set a launch handler that
// sees every command line instead of a process being started.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMINNOACTIVE 7

#define CREATE_DEFAULT_ERROR_MODE 0x04000000
#define STARTF_FORCEONFEEDBACK 0x00000040
#define TOKEN_ALL_ACCESS 0x000F01FF
#define STILL_ACTIVE 259

typedef enum _SECURITY_IMPERSONATION_LEVEL {
  SecurityAnonymous,
  SecurityIdentification,
  SecurityImpersonation,
  SecurityDelegation
} SECURITY_IMPERSONATION_LEVEL;
typedef enum _TOKEN_TYPE { TokenPrimary = 1, TokenImpersonation } TOKEN_TYPE;

typedef struct _STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

struct _SECURITY_ATTRIBUTES;

// The pseudo handle of the calling process.
ZEL_EXTERN_C HANDLE GetCurrentProcess(void);
// The machine has one user: a token is a handle that stands for the caller.
ZEL_EXTERN_C BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token);
ZEL_EXTERN_C BOOL DuplicateTokenEx(HANDLE existing, DWORD desiredAccess, struct _SECURITY_ATTRIBUTES* attributes,
                                   SECURITY_IMPERSONATION_LEVEL level, TOKEN_TYPE type, PHANDLE token);
// Starts the program (applicationName, or the command line's first token) with
// the command line split into arguments; the child finds the whole line in the
// environment variable ZEL_COMMAND_LINE. The process handle is waitable with
// WaitForSingleObject; hThread is a handle as well, to be closed. Environment,
// folder and start-up record are accepted and not used.
ZEL_EXTERN_C BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                 struct _SECURITY_ATTRIBUTES* processAttributes,
                                 struct _SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles, DWORD flags,
                                 LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                                 LPPROCESS_INFORMATION processInformation);
// CreateProcessA for the token's user, who is the caller.
ZEL_EXTERN_C BOOL CreateProcessAsUserA(HANDLE token, LPCSTR applicationName, LPSTR commandLine,
                                       struct _SECURITY_ATTRIBUTES* processAttributes,
                                       struct _SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles, DWORD flags,
                                       LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                                       LPPROCESS_INFORMATION processInformation);
// For a started child, its exit code once it ended; for an opened process,
// STILL_ACTIVE while it runs and 0 after (the exit code of a process that is
// not our child cannot be known).
ZEL_EXTERN_C BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);

#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000

// A handle to the running process of that id, waitable until it ends; NULL with
// ERROR_INVALID_PARAMETER when none runs. The handle stands for that process,
// not for its id: a later process given the same id is not it.
ZEL_EXTERN_C HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
// The process's start time (exit, kernel and user times are zero while it runs).
ZEL_EXTERN_C BOOL GetProcessTimes(HANDLE process, LPFILETIME creationTime, LPFILETIME exitTime, LPFILETIME kernelTime,
                                  LPFILETIME userTime);

// Above 31 when the program was started; otherwise 0 (out of resources), 2
// (file not found), 3 (path not found) or 11 (bad format).
ZEL_EXTERN_C UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);

// This process's Windows command line in the ANSI code page: the line its
// starter wrote (ZEL_COMMAND_LINE) when its arguments are this process's own,
// so blanks inside names survive as written; otherwise the arguments joined
// again with single blanks, the program's path quoted when it holds a blank.
ZEL_EXTERN_C LPSTR GetCommandLineA(void);

namespace platform {

// The arguments of a Windows command line (the program first), by the rules of
// the C start-up code: blanks separate, double quotes group, 2n backslashes
// before a quote give n and the quote groups, 2n+1 give n and a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

struct ProcessLaunch {
  std::string commandLine;  // ANSI code page, as given
  UINT show = 0;
};
// Answers what WinExec answers. nullptr restores real launching.
using ProcessLaunchHandler = std::function<UINT(const ProcessLaunch&)>;
void SetProcessLaunchHandler(ProcessLaunchHandler handler);

// When the running process of that id started, in FILETIME ticks (100 ns since
// 1601); nothing when no process of that id runs (an ended child not yet
// collected has ended). Together with its id this names one process for good:
// ids are given again, start times of one id never.
std::optional<int64_t> ProcessStartTime(DWORD processId);
// Whether the process that had this id and start time still runs.
bool ProcessRuns(DWORD processId, int64_t startTime);
// Whether the process of that id that may have made something at `time`
// (FILETIME ticks) still runs: one started later cannot have made it.
bool ProcessRunsSince(DWORD processId, int64_t time);

}  // namespace platform
