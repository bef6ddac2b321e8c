// The main status window as the application drives it: one modal run, during
// which it hands the engine its user-interface object, answers the command
// lines of later starts (WM_COPYDATA, acknowledged with MONITOR_COPYDATA_ACK)
// and shows the printer. The program runs the main status dialog
// (main_status_dialog.h); the window without a desktop below serves where no
// display is wanted, and tests give their own.
#pragma once

#include <functional>
#include <memory>

#include "platform/base/types.h"

class PM_CEngine;

// The answer of a running monitor that took a command line.
#define MONITOR_COPYDATA_ACK 0xABCD

class PM_CMainWindowHost {
 public:
  virtual ~PM_CMainWindowHost() = default;
  // Runs until the window ends; its initialisation calls the engine's Create.
  virtual INT_PTR RunModal(PM_CEngine* engine) = 0;
};

using MainWindowFactory = std::function<std::unique_ptr<PM_CMainWindowHost>()>;

// A window without a desktop: titled as the main dialog, it takes command lines
// and runs the engine until WM_CLOSE, SIGTERM or SIGINT ends it normally.
std::unique_ptr<PM_CMainWindowHost> CreateHeadlessMainWindow();

// The main window's title: string 104, " - " and the printer.
std::string MainWindowTitle(const std::string& printerName);
