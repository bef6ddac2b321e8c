#include "detect/command_line.h"

#include <cstdlib>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the arguments begin: past the program's path, which may be quoted so
// that a folder with blanks does not shift the printer's name.
size_t ArgumentStart(const std::string& line) {
  size_t at = 0;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at < line.size() && line[at] == '"') {
    const size_t close = line.find('"', at + 1);
    if (close == std::string::npos) return line.size();
    at = close + 1;
  }
  while (at < line.size() && !IsBlank(line[at])) ++at;
  while (at < line.size() && IsBlank(line[at])) ++at;
  return at;
}

}  // namespace

std::optional<DetectCommandLine> ParseDetectCommandLine(const std::string& line) {
  const std::string arguments = line.substr(ArgumentStart(line));
  const size_t first = arguments.find('"');
  if (first == std::string::npos) return std::nullopt;
  const size_t second = arguments.find('"', first + 1);
  if (second == std::string::npos) return std::nullopt;
  DetectCommandLine parsed;
  parsed.printerName = arguments.substr(0, first);
  parsed.settingsLibrary = arguments.substr(first + 1, second - first - 1);
  const std::string flag = arguments.substr(second + 1);
  if (parsed.printerName.empty() || parsed.settingsLibrary.empty() || flag.empty()) return std::nullopt;
  parsed.notify = std::atoi(flag.c_str());
  return parsed;
}
