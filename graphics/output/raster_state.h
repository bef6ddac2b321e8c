// What the raster writer keeps per device context between images.
#pragma once

#include "platform/base/types.h"

struct RasterWriterState {
  // Row of the dither matrix the next dithered row starts at (0-15), so that
  // bands and images placed right below each other continue the pattern.
  WORD ditherPhase = 0;
  // A PCL source transparency mode other than the default was left by an
  // image; text sets it back ("ESC*v0N") before it prints.
  DWORD sourceTransparencyLeft = 0;
};
