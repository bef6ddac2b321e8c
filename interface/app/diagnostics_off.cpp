// The delivered library has no diagnostic exports: nobody can set an exit
// observer, so its exit reports to no one. The tests' build of the library
// carries diagnostics.cpp in this file's place.
#include "interface/app/diagnostics.h"

void ReportLibraryExit(HMODULE) {}
