// What the printer can do, as the spooler and applications ask it of the driver:
// papers, bins, resolutions, media types, the printer language and the finishing
// that the printer's model record, its device mode and its model description
// tell. The library holds no state of its own here; the model record comes from
// the cache.
#pragma once

#include "platform/base/types.h"
#include "platform/spooler/devmode.h"

// The two questions the spooler asks through DrvSplDeviceCaps, by the numbers the
// driver answers them under.
constexpr WORD kSpoolerMediaReady = 0xFFFE;
constexpr WORD kSpoolerPaperNames = 0xFFFF;

// The answer to a question the driver does not answer, and the failure of a call.
constexpr DWORD kCapabilityNotAnswered = 0xFFFFFFFF;

// One question about the named printer. List questions answer the number of
// elements written, or that would be written when output is null; others the
// value asked for. kCapabilityNotAnswered for a question the driver does not
// answer; 0 when the printer's model record (or device mode) cannot be had.
// The caller's device mode may be null or any block: it is read only when it is
// a whole device mode of this printer's.
DWORD QueryDeviceCapability(HANDLE printer, const char* printerName, WORD capability, void* output,
                            const DEVMODEW* devmode);

// DrvDeviceCapabilities: the printer's name from the spooler, then the question.
// kCapabilityNotAnswered when the printer's name cannot be had.
DWORD DriverDeviceCapabilities(HANDLE printer, WORD capability, void* output, const DEVMODEW* devmode);

// DrvSplDeviceCaps: the spooler's two questions, paper names (DC_PAPERNAMES) and
// media ready (DC_MEDIAREADY); kCapabilityNotAnswered for every other one. The
// paper names are written only when all of them fit outputChars characters;
// otherwise nothing is written and the call fails with ERROR_INSUFFICIENT_BUFFER.
DWORD DriverSplDeviceCaps(HANDLE printer, WORD capability, void* output, DWORD outputChars, const DEVMODEW* devmode);
