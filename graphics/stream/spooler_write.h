// How channel 1 reaches the spooler. Normally WritePrinter; a test may put a
// function of its own in between, to play a spooler that takes fewer bytes than
// offered or fails part-way, which the stand-in spooler never does by itself.
#pragma once

#include "platform/base/types.h"

using SpoolerWriteFunction = BOOL (*)(HANDLE printer, LPVOID data, DWORD length, LPDWORD written);

// Installs the function (nullptr: WritePrinter again) and answers the previous one.
SpoolerWriteFunction SetSpoolerWriteFunction(SpoolerWriteFunction function);
// Writes through the installed function.
BOOL WriteToSpooler(HANDLE printer, LPVOID data, DWORD length, LPDWORD written);
