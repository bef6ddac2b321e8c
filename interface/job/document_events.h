// The library's part in every print job: the spooler's document events on the
// application's printer device context.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// 1 success, -1 failure (server down, a context that cannot be made, the
// macro-file dialog cancelled); events the library does not handle answer 1.
int HandleDocumentEvent(HANDLE printer, HDC dc, int event, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut);
