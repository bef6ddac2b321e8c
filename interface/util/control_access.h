// What a user without the right to change the printer may touch: the pages
// disable every control but those that only show or choose, and ask the
// spooler whether the printer can be changed at all.
#pragma once

#include "platform/base/types.h"

// Disables every window inside `parent` (children and their children) whose
// control id is not among the `count` ids of `keep`.
void DisableControlsExcept(HWND parent, const int* keep, int count);

// 1 when the printer opens with all access (the handle is closed again), else 0.
int HasFullPrinterAccess(const char* printerName);
