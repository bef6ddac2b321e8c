// The source image of the raster writers as they read it, and the settings and
// raster operations that change how an image is sent. The printers are
// monochrome: all colour is reduced to grey (graphics/output/halftone/halftone.h).
#pragma once

#include "platform/base/types.h"

// "Compression" values of the device mode that change how images are sent.
constexpr WORD kImageCompressionNone = 3;   // no run-length or PCL row compression
constexpr WORD kImageCompressionGrey = 20;  // every image as 8-bit grey (PostScript) / grey path (PCL)

// Raster operations the writers tell apart.
constexpr DWORD kRop3NotSourceCopy = 0x00330008;
constexpr DWORD kRop3SourceAnd = 0x008800C6;

// The source bitmap of an image as the writers read it.
struct ImageDescriptor {
  LONG width = 0;               // pixels of a scan line the writers may read
  LONG height = 0;              // scan lines the writers may read
  DWORD bitsPerPixel = 0;       // 1, 4, 8, 16, 24 or 32
  LONG stride = 0;              // bytes from one scan line to the next (negative: bottom-up)
  const BYTE* scan0 = nullptr;  // the first scan line
  // 32-bit entries, bytes red, green, blue, reserved; none (count 0) above 8
  // bits or without a colour translation.
  const ULONG* palette = nullptr;
  DWORD paletteCount = 0;
};

// A rectangle in device pixels (or source pixels): position and size. A
// destination width or height may be negative: the image is mirrored.
struct ImageRect {
  LONG x = 0;
  LONG y = 0;
  LONG width = 0;
  LONG height = 0;
};
