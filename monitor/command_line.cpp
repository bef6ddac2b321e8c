#include "monitor/command_line.h"

#include <algorithm>
#include <cstring>

namespace {

struct Verb {
  const char* text;
  MonitorCommand code;
};

// In this order: "JOB_STARTED" before "JOB_DELETE", and a prefix decides.
constexpr Verb kVerbs[] = {
    // clang-format off
    {"ADD_NEW_PM", kCommandAddNewPm},       {"DELETE", kCommandDelete},
    {"JOB_STARTED", kCommandJobStarted},    {"JOB_DELETE", kCommandJobDelete},
    {"NORMAL", kCommandNormal},             {"QUEUE_CHANGED", kCommandQueueChanged},
    {"PORT_CHANGED", kCommandPortChanged},  {"NEW_PRINTMONITOR_VERSION", kCommandNewVersion},
    // clang-format on
};

bool StartsWithVerb(const std::string& line, size_t at) {
  while (at < line.size() && line[at] == ' ') ++at;
  for (const Verb& verb : kVerbs) {
    if (line.compare(at, std::strlen(verb.text), verb.text) == 0) return true;
  }
  return false;
}

struct PrinterMarks {
  size_t nameStart = std::string::npos;
  size_t nameEnd = std::string::npos;
};

// The printer stands between the first opening mark after the program path and
// the closing mark of the same kind; of several such closing marks the first
// one a verb follows, so a name may hold the other kind of mark and any text.
PrinterMarks FindPrinterMarks(const std::string& line) {
  size_t from = 0;
  // A quoted program path may hold marks of its own.
  if (!line.empty() && line[0] == '"') {
    const size_t quote = line.find('"', 1);
    if (quote != std::string::npos) from = quote + 1;
  }
  const size_t round = line.find("_(", from);
  const size_t curly = line.find("_{", from);
  const size_t open = std::min(round, curly);
  if (open == std::string::npos) return {};
  const char* closeMark = open == round ? ")_" : "}_";
  const size_t first = line.find(closeMark, open + 2);
  if (first == std::string::npos) return {};
  for (size_t close = first; close != std::string::npos; close = line.find(closeMark, close + 1)) {
    if (StartsWithVerb(line, close + 2)) return {open + 2, close};
  }
  return {open + 2, first};
}

// Where the text after the closing mark begins; npos without a mark.
size_t AfterClosingMark(const std::string& line) {
  const PrinterMarks marks = FindPrinterMarks(line);
  return marks.nameEnd == std::string::npos ? std::string::npos : marks.nameEnd + 2;
}

size_t VerbStart(const std::string& line) {
  size_t at = AfterClosingMark(line);
  if (at == std::string::npos) return at;
  while (at < line.size() && line[at] == ' ') ++at;
  return at < line.size() ? at : std::string::npos;
}

}  // namespace

std::string PM_CCommandLine::GetPrinterName() const {
  const PrinterMarks marks = FindPrinterMarks(line_);
  if (marks.nameEnd == std::string::npos) return {};
  return line_.substr(marks.nameStart, marks.nameEnd - marks.nameStart);
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
