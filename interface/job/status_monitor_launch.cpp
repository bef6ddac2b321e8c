#include "interface/job/status_monitor_launch.h"

#include <cstdio>
#include <cstring>

#include "interface/app/library_state.h"
#include "interface/records/printer_info.h"
#include "interface/util/paths.h"
#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "platform/base/format.h"
#include "platform/base/modules.h"
#include "platform/base/processes.h"
#include "platform/ui/message_box.h"

namespace {

constexpr UINT kStartedAbove = 32;
constexpr UINT kOutOfMemory = 8;
constexpr size_t kLineSize = 1024;

void ShowStartFailure(UINT result) {
  char text[512] = {};
  char reason[256] = {};
  LoadResString(IDS_MONITOR_NOT_STARTED, text, sizeof text);
  if (result == kOutOfMemory) {
    LoadResString(IDS_OUT_OF_MEMORY, reason, sizeof reason);
  } else {
    char format[128] = {};
    LoadResString(IDS_ERROR_CODE, format, sizeof format);
    wsprintfA(reason, format, static_cast<int>(result));
  }
  std::strncat(text, " ", sizeof text - std::strlen(text) - 1);
  std::strncat(text, reason, sizeof text - std::strlen(text) - 1);
  char caption[64] = {};
  LoadResString(IDS_ERROR_CAPTION, caption, sizeof caption);
  MessageBoxA(0, text, caption, MB_ICONERROR);
}

}  // namespace

void FormatMonitorCommandLine(char* line, size_t size, const char* programPath, const char* printerName,
                              MonitorVerb verb, DWORD jobId, const char* documentName) {
  if (line == nullptr || size == 0) return;
  const char* verbText = verb == MonitorVerb::JobStarted ? "JOB_STARTED" : "JOB_DELETE";
  const char* name = printerName ? printerName : "";
  // The monitor reads the printer up to the first closing mark of the kind that
  // opened it, so a name that holds ")_" goes between the other marks.
  const bool braces = std::strstr(name, ")_") != nullptr;
  std::snprintf(line, size, "\"%s\" %s%s%s %s %u %s", programPath ? programPath : "", braces ? "_{" : "_(", name,
                braces ? "}_" : ")_", verbText, static_cast<unsigned>(jobId), documentName ? documentName : "");
}

UINT StartStatusMonitor(HANDLE printer, MonitorVerb verb, DWORD jobId, const char* documentName) {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(LibraryInstance(), module, sizeof module);
  char folder[MAX_PATH] = {};
  SplitPath(folder, sizeof folder, nullptr, 0, module);
  char program[MAX_PATH] = {};
  JoinPath(program, sizeof program, folder, kStatusMonitorProgram);
  char printerName[MAX_PATH] = {};
  GetPrinterNameCopy(printer, printerName, sizeof printerName);
  char line[kLineSize] = {};
  FormatMonitorCommandLine(line, sizeof line, program, printerName, verb, jobId, documentName);
  const UINT result = WinExec(line, SW_SHOWMINNOACTIVE);
  if (result < kStartedAbove) ShowStartFailure(result);
  return result;
}
