// The command line of the printer detection and set-up program: its full path
// in double quotes (beside the user-interface library), one blank, the printer's name, then the
// settings library's file name in double quotes and the notify flag 1, with no
// blank around the quotes.
#pragma once

#include <string>

#include "platform/base/types.h"

// The program's full path; empty when the library's own file name cannot be read.
std::string DetectionProgramPath(HMODULE library);
// Empty when the path is.
std::string DetectionCommandLine(HMODULE library, const char* printerName);
