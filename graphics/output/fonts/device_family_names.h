// The family names of the resident PostScript fonts, written into a device
// font's metrics block.
#pragma once

#include <cstddef>

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// The family names of a face: the whole equivalence list for a resident
// PostScript family (compared with case), else the face name alone. Writes them
// at the block's family-name offset when a block is given; answers the bytes
// of the name area.
size_t WriteFamilyNames(IFIMETRICS* block, const char* faceName);
// Whether the face has an equivalence list.
bool HasFamilyList(const char* faceName);
