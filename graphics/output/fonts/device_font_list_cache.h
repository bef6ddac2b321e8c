// The library's cache of device-font lists, one node per printer name and
// printer-language word, shared by every device context of the process.
//
// A node goes into the cache only once its entries are complete, so no device
// context ever sees a half-built list. A node that is dropped (the installed
// fonts changed) is only retired, not freed: device contexts opened before keep
// pointing at it, and so do the metrics blocks GDI was handed for its fonts.
// Retired nodes are freed when the library unloads.
#pragma once

#include "graphics/output/fonts/device_fonts.h"

// The cached node of (printer name, language word), the name matched without
// regard to case; nullptr when there is none.
DeviceFontList* FindCachedFontList(const char* printerName, WORD pdlKind);
// Puts a complete node into the cache and answers the node that serves its key
// from now on: the given one, or one that another caller cached first (the
// given one is then freed).
DeviceFontList* CacheFontList(DeviceFontList* built);
// Retires the first node of (name, language word); with a null name every
// node. Answers 0.
int DropCachedFontLists(const char* printerName, WORD pdlKind);
// Frees every node, cached and retired, with its entries and their metrics.
// Only when no device context is left (the library unloads).
void FreeAllFontLists();
// Frees a node that never went into the cache.
void FreeDeviceFontList(DeviceFontList* list);
