// The spooler's printer and driver information in buffers of the library's own:
// the size is asked first, then the call is repeated with a buffer of that size,
// up to three times while the information grows between the calls.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

// The printer information of that level (ANSI, wide) in an allocated buffer;
// null when it cannot be read. Free with the matching Free call.
BYTE* GetPrinterInfo(HANDLE printer, DWORD level);
BYTE* GetPrinterInfoW(HANDLE printer, DWORD level);
// The driver information of that level (ANSI) for this machine's environment.
BYTE* GetPrinterDriverInfo(HANDLE printer, DWORD level);

void FreePrinterInfo(BYTE* info);
void FreePrinterInfoW(BYTE* info);
void FreePrinterDriverInfo(BYTE* info);

// The printer's name (level-4 information); empty when it cannot be read or does
// not fit (a name cut short could name another printer). Answers the buffer (null
// for a null buffer or a size of 0).
char* GetPrinterNameCopy(HANDLE printer, char* buffer, size_t size);
