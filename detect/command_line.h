// The detection program's command line: the program's path (quoted when it
// holds blanks), one blank, the printer's name, then the settings library's
// file name in double quotes and the notify flag.
#pragma once

#include <optional>
#include <string>

struct DetectCommandLine {
  std::string printerName;      // blanks included: only quotes end it
  std::string settingsLibrary;  // a file name in the program's own folder
  int notify = 0;               // non-zero: tell the graphics library after a commit
};

// Nothing when one of the three parts is missing.
std::optional<DetectCommandLine> ParseDetectCommandLine(const std::string& line);
