// Help viewers. The stand-in machine has no help viewer: every WinHelp call and
// every start of "hh.exe" is recorded instead of shown, so that a test (or a
// person reading the machine) can see which file and topic a Windows machine
// would have opened. Records go to the process's help handler when one is set,
// otherwise they are appended, one line each, to "records/help.txt" under the
// machine root, where other processes' records can be read too.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/base/types.h"

#define HELP_CONTEXT 0x0001u
#define HELP_QUIT 0x0002u
#define HELP_INDEX 0x0003u
#define HELP_CONTENTS 0x0003u
#define HELP_HELPONHELP 0x0004u
#define HELP_SETINDEX 0x0005u
#define HELP_SETCONTENTS 0x0005u
#define HELP_CONTEXTPOPUP 0x0008u
#define HELP_FORCEFILE 0x0009u
#define HELP_FINDER 0x000Bu
#define HELP_KEY 0x0101u
#define HELP_COMMAND 0x0102u
#define HELP_PARTIALKEY 0x0105u

// FALSE for a missing file (except HELP_QUIT, which needs none); TRUE once recorded.
ZEL_EXTERN_C BOOL WinHelpA(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data);

namespace platform {

struct HelpRequest {
  std::string viewer;       // "WinHelp" or "hh.exe"
  std::string file;         // WinHelp: the help file as given (ANSI code page)
  UINT command = 0;         // WinHelp: HELP_*
  ULONG_PTR data = 0;       // WinHelp: the topic id or other command data
  std::string commandLine;  // hh.exe: the whole command line as given
};

// nullptr restores the default (the records file).
using HelpHandler = std::function<void(const HelpRequest&)>;
void SetHelpHandler(HelpHandler handler);

// Called by the process starter for a command line whose program is "hh.exe".
void RecordHelpViewerStart(const std::string& commandLine);

// The records written to the machine's records file so far, oldest first.
std::vector<HelpRequest> ReadHelpRecords();

}  // namespace platform
