// The monitor program's start: the settings library, the single instance per
// printer, the printer check, the command at start, the modal run and its end.
#pragma once

#include <string>

#include "monitor/main_window.h"
#include "platform/base/types.h"

class PM_CPrintMonitorApp {
 public:
  explicit PM_CPrintMonitorApp(MainWindowFactory factory) : factory_(std::move(factory)) {}
  // Always FALSE: the process ends when it returns.
  BOOL InitInstance(const std::string& commandLine);
  int ExitInstance();

 private:
  bool BindSettings();
  MainWindowFactory factory_;
  HMODULE settings_ = 0;
};

// A running monitor's window for the printer of the line; none when the line
// names no printer. Keeps the printer as the monitored one.
HWND FindMonitorWindow(const std::string& commandLine);
// Hands the line to the running monitor; true when it took it.
bool HandOverCommandLine(HWND window, const std::string& commandLine);
