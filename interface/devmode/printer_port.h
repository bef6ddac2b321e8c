// The printer's port as the device mode records it for the job-time code.
#pragma once

#include "common/xdevmode.h"
#include "platform/base/types.h"

// Copies pPortName of the printer's level-2 information into the device mode's
// port-name field (cut to 127 bytes, never inside a double-byte character).
// Nothing changes when the information cannot be read. Answers 0.
int GetPrinterPortName(HANDLE printer, XDEVMODE* devmode);
