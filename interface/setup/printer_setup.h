// Setting a printer up for this driver when the spooler adds it (initialise) or
// when a user connects to it: the package's folders and shared files, the user's
// temp folder, what the spooler and the shell need to know of the driver, the
// model's installed options, the device-mode field map, and for a new printer its
// printer language, configuration counter and default device mode.
#pragma once

#include "platform/base/types.h"

// Answers FALSE (with the spooler's error) only when the printer cannot be opened,
// its driver or its name cannot be read, or it cannot be opened again under its
// own name; every settings write is best effort.
BOOL SetUpPrinterConnection(LPCWSTR printerName, bool initialise);
