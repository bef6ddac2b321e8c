// The graphics library as a whole: its module, the table of DDI functions it
// hands to the engine, the library-wide locks and the default glyph set. One
// copy per loaded library; everything else of a job lives in its PDEV.
#pragma once

#include "platform/base/sync.h"
#include "platform/base/types.h"
#include "platform/gdi/driver_functions.h"

// The number of rows of the library's DRVFN table.
constexpr ULONG kGraphicsDriverFunctionCount = 28;
// The engine version the library is written for, and the one it reports.
constexpr ULONG kGraphicsDriverVersion = 0x20000;

// The library's own module, stored when the loader attaches it; 0 before.
void SetGraphicsModule(HMODULE module);
HMODULE GraphicsModule();

// DrvEnableDriver: ERROR_BAD_DRIVER_LEVEL and FALSE for an engine below 0x20000
// or a DRVENABLEDATA smaller than 12 bytes; otherwise the table is handed out,
// the locks and the description cache are started and the default glyph set is
// made. TRUE exactly when that glyph set was made.
BOOL EnableGraphicsDriver(ULONG engineVersion, ULONG size, DRVENABLEDATA* data);
// DrvQueryDriverInfo: DRVQUERY_USERMODE answers the DWORD 1 in 4 bytes
// (ERROR_INSUFFICIENT_BUFFER with less room); any other mode
// ERROR_INVALID_PARAMETER.
BOOL QueryGraphicsDriverInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed);
// DrvDisableDriver: frees the default glyph set, unbinds the settings library,
// stops the description cache and deletes the locks. Safe to call when the
// library was never enabled.
void DisableGraphicsDriver();

// The DRVFN table (kGraphicsDriverFunctionCount rows, in the library's order).
const DRVFN* GraphicsDriverFunctions();

// Library-wide locks, valid between EnableGraphicsDriver and
// DisableGraphicsDriver: the device glyph sets, and the per-printer font-list
// cache. (The description cache has its own lock.)
CRITICAL_SECTION* DeviceFontLock();
CRITICAL_SECTION* FontListLock();

// The glyph set of the ANSI code page's 256 codes, answered for device fonts of
// character sets without a glyph set of their own; null before the library is
// enabled.
FD_GLYPHSET* DefaultGlyphSet();
