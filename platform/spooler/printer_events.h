// The spooler tells a printer's driver about the printer's life (added, connected,
// deleted) through DrvPrinterEvent of the driver's configuration module.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace platform::spooler {

// Loads the configuration module (a Windows path), calls its DrvPrinterEvent and
// unloads it again. A module that cannot be loaded or lacks the export is skipped
// (TRUE); otherwise the driver's answer, with its last error kept. Never call it
// while holding a db::Session: the driver calls back into the spooler.
BOOL SendPrinterEvent(const std::u16string& configFile, const std::u16string& printerName, INT event, DWORD flags,
                      LPARAM lParam);

}  // namespace platform::spooler
