// Tells the status monitor program of a job: it is started for each job with a
// command line naming the printer, the job and the document, and once more
// when the job is deleted.
#pragma once

#include "platform/base/types.h"

constexpr char kStatusMonitorProgram[] = "vigilod5.exe";

enum class MonitorVerb { JobStarted, JobDelete };

// The command line: the program path (quoted, so a folder with blanks stays
// one argument), the printer between "_(" and ")_" (between "_{" and "}_" when
// the name itself holds ")_"), the verb, the job id and
// the document name as it stands. Cut to the 1024 characters of a formatted line.
void FormatMonitorCommandLine(char* line, size_t size, const char* programPath, const char* printerName,
                              MonitorVerb verb, DWORD jobId, const char* documentName);

// Starts the monitor from the library's own folder; a start that fails is
// shown to the user with its error. Answers WinExec's result.
UINT StartStatusMonitor(HANDLE printer, MonitorVerb verb, DWORD jobId, const char* documentName);
