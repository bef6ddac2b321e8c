#include "monitor/command_line.h"

#include <cstring>

namespace {

struct Verb {
  const char* text;
  MonitorCommand code;
};

// In this order: "JOB_STARTED" before "JOB_DELETE", and a prefix decides.
constexpr Verb kVerbs[] = {
    {"ADD_NEW_PM", kCommandAddNewPm},       {"DELETE", kCommandDelete},
    {"JOB_STARTED", kCommandJobStarted},    {"JOB_DELETE", kCommandJobDelete},
    {"NORMAL", kCommandNormal},             {"QUEUE_CHANGED", kCommandQueueChanged},
    {"PORT_CHANGED", kCommandPortChanged},  {"NEW_PRINTMONITOR_VERSION", kCommandNewVersion},
};

// Where the text after the closing mark begins; npos without a mark.
size_t AfterClosingMark(const std::string& line) {
  size_t close = line.find(")_");
  if (close == std::string::npos) close = line.find("}_");
  return close == std::string::npos ? std::string::npos : close + 2;
}

size_t VerbStart(const std::string& line) {
  size_t at = AfterClosingMark(line);
  if (at == std::string::npos) return at;
  while (at < line.size() && line[at] == ' ') ++at;
  return at < line.size() ? at : std::string::npos;
}

}  // namespace

std::string PM_CCommandLine::GetPrinterName() const {
  size_t open = line_.find("_(");
  if (open == std::string::npos) open = line_.find("_{");
  size_t close = line_.find(")_");
  if (close == std::string::npos) close = line_.find("}_");
  if (open == std::string::npos || close == std::string::npos || close < open + 2) return {};
  return line_.substr(open + 2, close - open - 2);
}

MonitorCommand PM_CCommandLine::GetCommand() const {
  const size_t start = VerbStart(line_);
  if (start == std::string::npos) return kCommandNone;
  const std::string rest = line_.substr(start);
  for (const Verb& verb : kVerbs) {
    if (rest.compare(0, std::strlen(verb.text), verb.text) == 0) return verb.code;
  }
  return kCommandNone;
}

const std::vector<std::string>& PM_CCommandLine::GetJobArguments() {
  arguments_.clear();
  const MonitorCommand command = GetCommand();
  if (command != kCommandJobStarted && command != kCommandJobDelete) return arguments_;
  // Only the text after the printer is read: a path or a printer name that
  // holds a verb cannot move the arguments.
  const size_t verb = VerbStart(line_);
  const size_t verbLength = std::strlen(command == kCommandJobStarted ? "JOB_STARTED" : "JOB_DELETE");
  const size_t idStart = verb + verbLength + 1;
  if (idStart >= line_.size()) return arguments_;
  const size_t blank = line_.find(' ', idStart);
  if (blank == std::string::npos) return arguments_;
  arguments_.push_back(line_.substr(idStart, blank - idStart));
  arguments_.push_back(line_.substr(blank + 1));
  return arguments_;
}
