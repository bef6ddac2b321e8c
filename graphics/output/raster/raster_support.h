// Helpers the raster writers share: checks of a call, palette greys, source
// rows read as grey bytes or realigned bits, and one heap block per image.
#pragma once

#include <cstddef>

#include "graphics/output/raster/raster_image.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

namespace rasterout {

// The call can be written: PDEV, descriptor with rows, rectangles, a source
// rectangle that is not empty and lies inside the bitmap, a destination that
// is not empty.
bool ValidImageCall(const PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest);

// Scan line y (0 = first) of the bitmap.
inline const BYTE* ScanLine(const ImageDescriptor& image, LONG y) {
  return image.scan0 + static_cast<ptrdiff_t>(y) * image.stride;
}

// A palette entry as 0x00BBGGRR without its reserved byte.
inline DWORD EntryColor(ULONG entry) { return entry & 0x00FFFFFF; }
constexpr DWORD kWhiteRgb = 0x00FFFFFF;

// Greys of the indices of a 1-, 4- or 8-bit source: the palette's entries
// (curve applied when asked) and, for indices past the palette or without one,
// black and white for 1 bit, 16 x index for 4 bits, the index for 8 bits.
struct GreyTable {
  BYTE grey[256];
};
void BuildGreyTable(const ImageDescriptor& image, DWORD paletteCount, bool curve, GreyTable* table);

// How 24- and 32-bit pixels are read.
enum class ColorOrder {
  BlueGreenRed,  // the scan line's bytes are blue, green, red
  RedGreenBlue,  // red, green, blue
  Translated,    // each pixel goes through the colour translation, whose result is 0x00BBGGRR
};

// `width` source pixels of row y starting at column x, one grey byte each
// (0 black). Depths 1-8 through the table; 16-32 by the grey rule (with the
// curve when asked).
void ReadGreyRow(const ImageDescriptor& image, LONG y, LONG x, LONG width, const GreyTable& table, bool curve,
                 ColorOrder order, XLATEOBJ* xlate, BYTE* out);

// `width` bits of a 1-bit row starting at bit x, moved to the front of out
// ((width + 7) / 8 bytes), the bits past the width in the last byte cleared.
void ReadBitRow(const BYTE* row, LONG x, LONG width, BYTE* out);

// The bit of a 1-bit row.
inline bool BitAt(const BYTE* row, LONG x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

// Bytes of a row of `width` pixels at one bit.
inline size_t BitRowBytes(LONG width) { return (static_cast<size_t>(width) + 7) / 8; }

// A heap block for the length of a writer's call.
class HeapBlock {
 public:
  explicit HeapBlock(size_t bytes);
  ~HeapBlock();
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;
  BYTE* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  BYTE* data_;
};

}  // namespace rasterout
