// The glyph set of the Far East device fonts, read from the model module and
// cached for the process under the device-font lock.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

struct PDEV;

// The glyph set of device font iFace (1 to the PDEV's font count): the cached
// set of the model module, or the driver's default set for a charset that has
// none. The caller holds the device-font lock. Null when none can be had.
FD_GLYPHSET* GetDeviceGlyphSet(PDEV* pdev, ULONG iFace);

// Frees the cached glyph set (the caller holds the device-font lock).
void FreeDeviceGlyphSet();
