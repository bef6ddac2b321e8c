// Help for the monitor's dialogs: WinHelp or the compiled help viewer, with the
// help file the printer's model description names.
#pragma once

#include <string>

// What the help call answers, or the help file name's length when no help starts.
int ShowMonitorHelp(const std::string& printerName, unsigned dialogId);
// Folder (up to and including the last "\" or ":") and file name; either may be null.
void SplitHelpPath(std::string* folder, std::string* fileName, const std::string& path);
