// The application a device mode is used by: some job-time decisions depend on it
// (the program's name and major version choose page-layout quirks).
#pragma once

#include "common/xdevmode.h"

// Writes the calling process's module path (cut to 259 bytes) and the major
// version of its file (high word of the file version's most significant DWORD; 0
// when the file has no version block) into the device mode.
void StampCallingApplication(XDEVMODE* devmode);
