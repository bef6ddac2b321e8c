#include "platform/ui/help.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/base/debug.h"
#include "platform/base/machine.h"

namespace {

std::mutex handlerLock;
platform::HelpHandler& Handler() {
  static auto* handler = new platform::HelpHandler();
  return *handler;
}

std::filesystem::path RecordsFile() { return platform::MachineRoot() / "records" / "help.txt"; }

// Tabs and line ends inside a field would break the one-line record.
std::string Field(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
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
  std::string line = request.viewer == "WinHelp"
                         ? "WinHelp\t" + Field(request.file) + "\t" + std::to_string(request.command) + "\t" +
                               std::to_string(request.data)
                         : "hh.exe\t" + Field(request.commandLine);
  OutputDebugStringA(("help: " + line + "\n").c_str());
  std::error_code error;
  std::filesystem::create_directories(RecordsFile().parent_path(), error);
  // One write of a whole line in append mode: records of several processes
  // interleave by line, never inside one.
  std::ofstream out(RecordsFile(), std::ios::app | std::ios::binary);
  out << line + "\n" << std::flush;
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

void RecordHelpViewerStart(const std::string& commandLine) {
  Deliver(HelpRequest{"hh.exe", {}, 0, 0, commandLine});
}

std::vector<HelpRequest> ReadHelpRecords() {
  std::vector<HelpRequest> records;
  std::ifstream in(RecordsFile(), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
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
