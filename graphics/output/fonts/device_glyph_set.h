// The glyph sets of the Far East device fonts, read from the model module and
// cached for the process under the device-font lock: one per resource, so that
// Shift-JIS and GB2312 fonts each map through their own.
#pragma once

#include <cstddef>

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

struct PDEV;

// Resource type and names of the glyph sets in the model module.
constexpr int kGlyphSetResourceType = 260;
constexpr int kShiftJisGlyphSetName = 1;
constexpr int kGb2312GlyphSetName = 2;

// The glyph set of device font iFace (1 to the PDEV's font count): the cached
// set of the model module for a Shift-JIS or GB2312 font, else the driver's
// default set. The caller holds the device-font lock. Null when none can be had.
FD_GLYPHSET* GetDeviceGlyphSet(PDEV* pdev, ULONG iFace);

// Frees the cached glyph sets (the caller holds the device-font lock).
void FreeDeviceGlyphSet();

// A glyph set as the module stores it (the 32-bit layout: the header, the runs
// of {u16 first character, u16 count, u32 unused}, then the glyph handles packed
// in run order) rebuilt as a heap block (free()) whose runs point at their
// handles. Null when the resource is shorter than its runs and handles say.
FD_GLYPHSET* LoadGlyphSetResource(const void* resource, size_t size);

// The process's cache slot of a glyph-set resource name (1 or 2); null for any other.
FD_GLYPHSET** CachedGlyphSetSlot(int name);
