// Where the spooler finds the common property-sheet host. The host needs the
// window layer, which the 32-bit library leaves out, so the window layer installs
// itself here when it is there; without it the spooler cannot prompt.
#pragma once

#include "platform/spooler/driver_ui.h"

namespace platform::spooler {

// Runs a driver's property-sheet function (DrvDocumentPropertySheets or
// DrvDevicePropertySheets) with `header` as lParamInit through the host. Answers
// CPSUI_OK or CPSUI_CANCEL once the sheet was shown, -1 when the driver refused it.
using SheetRunner = LONG (*)(HWND parent, PFN_DrvDocumentPropertySheets entry, LPARAM header);

void SetSheetRunner(SheetRunner runner);
// nullptr when no host is installed.
SheetRunner GetSheetRunner();

}  // namespace platform::spooler
