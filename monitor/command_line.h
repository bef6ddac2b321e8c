// The monitor's command line: anything (the senders put the program's path
// there), the printer between "_(" and ")_" or "_{" and "}_", then a verb and,
// for the job verbs, the job id and the document name.
#pragma once

#include <string>
#include <vector>

enum MonitorCommand {
  kCommandNone = 0,
  kCommandAddNewPm = 100,
  kCommandDelete = 101,
  kCommandJobStarted = 102,
  kCommandNormal = 103,
  kCommandQueueChanged = 104,
  kCommandPortChanged = 105,
  kCommandNewVersion = 106,
  kCommandJobDelete = 107,
};

class PM_CCommandLine {
 public:
  explicit PM_CCommandLine(std::string line = {}) : line_(std::move(line)) {}

  const std::string& Line() const { return line_; }
  void SetLine(std::string line) {
    line_ = std::move(line);
    arguments_.clear();
  }

  // Empty when a mark is missing or no closing mark follows the opening one.
  std::string GetPrinterName() const;
  MonitorCommand GetCommand() const;
  // For JOB_STARTED and JOB_DELETE: the job id and the document name (blanks
  // kept), taken from after the closing mark; empty otherwise or when the job id
  // is not followed by a blank.
  const std::vector<std::string>& GetJobArguments();

 private:
  std::string line_;
  std::vector<std::string> arguments_;
};
