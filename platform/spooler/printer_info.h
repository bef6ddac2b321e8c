// The PRINTER_INFO levels GetPrinter and EnumPrinters answer, in either width.
#pragma once

#include <vector>

#include "platform/spooler/printer_handle.h"

namespace platform::spooler {

// Whether the level shows a device mode, so the views need them loaded.
bool LevelShowsDevMode(DWORD level);

// Packs one record per view (Windows two-call sizing); ERROR_INVALID_LEVEL for a
// level the stores do not answer. Char is CHAR or WCHAR.
template <class Char>
DWORD PackPrinterInfo(DWORD level, const std::vector<PrinterView>& views, BYTE* buffer, DWORD cbBuf, DWORD* pcbNeeded);

}  // namespace platform::spooler
