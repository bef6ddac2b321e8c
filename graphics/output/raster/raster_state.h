// What the raster writer keeps per device context between images.
#pragma once

#include "platform/base/types.h"

// The last rows of a grey PCL image, kept as grey (not yet dithered) so that an
// image placed right below with the same x and width can take them into its
// first band and continue the dither pattern without a seam.
struct CarriedDitherBand {
  BYTE* rows = nullptr;  // rowCount rows of `width` bytes (inverted grey); heap block, owned
  DWORD rowCount = 0;    // 0-15
  LONG x = 0;            // the rectangle of the image the rows came from
  LONG y = 0;
  LONG width = 0;
  LONG height = 0;
};

struct RasterWriterState {
  // Row of the dither matrix the next dithered row starts at (0-15), so that
  // bands and images placed right below each other continue the pattern.
  WORD ditherPhase = 0;
  // PCL compression method the printer has in force: images end with
  // "ESC*rB", which keeps it, so the next image only names a different one.
  WORD pclMethod = 0;
  // "ESC*v1N" (opaque source) was sent for the image being written; text
  // writes "ESC*v0N" before it prints while this is left set.
  DWORD sourceTransparencySent = 0;
  // The printer-reset count of the device settings the state above belongs
  // to: "ESC E" returns the printer to method 0.
  DWORD printerResetsSeen = 0;
  CarriedDitherBand carried;
};
