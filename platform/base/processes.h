// Starting programs: WinExec with a Windows command line. The program (the
// first token, quoted or not) is a Windows path on the stand-in machine; the
// process runs with the line split into arguments as a Windows program's
// start-up code splits it. A program or a test may set a launch handler that
// sees every command line instead of a process being started.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/base/types.h"

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMINNOACTIVE 7

// Above 31 when the program was started; otherwise 0 (out of resources), 2
// (file not found), 3 (path not found) or 11 (bad format).
ZEL_EXTERN_C UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);

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

}  // namespace platform
