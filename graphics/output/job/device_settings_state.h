// What the device-settings writer keeps per device context beside the settings
// last sent (PDEV::carried.jobSettings).
#pragma once

#include "platform/base/types.h"

struct DeviceSettingsState {
  // How many printer resets (PCL "ESC E") the settings have written so far. A
  // reset deletes the printer's temporary macros, soft fonts and patterns, so a
  // writer that keeps something in the printer compares this count with the one
  // it saw when it sent that thing, and sends it again when the count moved.
  DWORD printerResets = 0;
};
