#include "platform/ui/help.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/base/debug.h"
#include "platform/base/machine_records.h"

namespace {

constexpr char kRecordsFile[] = "help.txt";
std::mutex handlerLock;
platform::HelpHandler& Handler() {
  static auto* handler = new platform::HelpHandler();
  return *handler;
}

void Deliver(const platform::HelpRequest& request) {
  platform::HelpHandler handler;
  {
    std::lock_guard guard(handlerLock);
    handler = Handler();
  }
  if (handler) {
    handler(request);
    return;
  }
  const std::vector<std::string> fields =
      request.viewer == "WinHelp" ? std::vector<std::string>{"WinHelp", request.file, std::to_string(request.command),
                                                             std::to_string(request.data)}
                                  : std::vector<std::string>{"hh.exe", request.commandLine};
  OutputDebugStringA(("help: " + fields[0] + " " + fields[1] + "\n").c_str());
  platform::AppendMachineRecord(kRecordsFile, fields);
}

}  // namespace

BOOL WinHelpA(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data) {
  (void)owner;
  if (!helpFile && command != HELP_QUIT) return FALSE;
  Deliver(platform::HelpRequest{"WinHelp", helpFile ? helpFile : "", command, data, {}});
  return TRUE;
}

namespace platform {

void SetHelpHandler(HelpHandler handler) {
  std::lock_guard guard(handlerLock);
  Handler() = std::move(handler);
}

void RecordHelpViewerStart(const std::string& commandLine) { Deliver(HelpRequest{"hh.exe", {}, 0, 0, commandLine}); }

std::vector<HelpRequest> ReadHelpRecords() {
  std::vector<HelpRequest> records;
  for (const std::vector<std::string>& fields : ReadMachineRecords(kRecordsFile)) {
    HelpRequest request;
    if (fields.size() == 4 && fields[0] == "WinHelp") {
      request.viewer = "WinHelp";
      request.file = fields[1];
      request.command = static_cast<UINT>(std::stoul(fields[2]));
      request.data = static_cast<ULONG_PTR>(std::stoull(fields[3]));
    } else if (fields.size() == 2 && fields[0] == "hh.exe") {
      request.viewer = "hh.exe";
      request.commandLine = fields[1];
    } else {
      continue;
    }
    records.push_back(std::move(request));
  }
  return records;
}

}  // namespace platform
