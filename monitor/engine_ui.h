// What the engine asks of the main status window. The main dialog implements
// it and hands it to the engine at its initialisation; tests give a double.
#pragma once

#include <string>

#include "platform/base/types.h"

// Update codes of UpdateDisplay.
#define PM_UPDATE_CONSOLE 1u
#define PM_UPDATE_MESSAGE_CLOSED 16u
#define PM_UPDATE_ALL 255u
#define PM_UPDATE_JOBS 0xFFFFu

class PM_CEngineUIInterface {
 public:
  virtual ~PM_CEngineUIInterface() = default;
  // Operation 0: refresh what the code names.
  virtual void UpdateDisplay(unsigned code) = 0;
  // Operation 1: the main dialog's window (0 while it has none).
  virtual HWND MainDialog() = 0;
  // The status line (the dialog's control 1020).
  virtual void SetStatusText(const std::string& text) = 0;
  // Show the window normally and make it the foreground window.
  virtual void BringBack() = 0;
  // The modeless event message box with this text (a new box, or the open one
  // with its text replaced).
  virtual void ShowEventMessage(const std::string& text) = 0;
};

namespace monitor {

// The callback of the running engine, for the notifications of events; none
// before the main dialog handed it over.
PM_CEngineUIInterface* EngineUi();
void SetEngineUi(PM_CEngineUIInterface* ui);

}  // namespace monitor
