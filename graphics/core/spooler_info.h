// Spooler answers of variable size, asked the way the spooler wants to be asked:
// the size first, then up to three attempts with the size it last named (the
// answer may grow between two calls).
#pragma once

#include <memory>

#include "platform/base/types.h"

// Level 2 of the printer's driver (DRIVER_INFO_2W at the start of the block);
// nullptr when the spooler cannot answer.
std::unique_ptr<BYTE[]> QueryPrinterDriverInfoW(HANDLE printer, DWORD level);
// GetPrinterW of the level (PRINTER_INFO_<level>W at the start of the block);
// nullptr when the spooler cannot answer.
std::unique_ptr<BYTE[]> QueryPrinterInfoW(HANDLE printer, DWORD level);
