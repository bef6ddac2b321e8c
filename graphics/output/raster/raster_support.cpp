#include "graphics/output/raster/raster_support.h"

#include <cstring>

#include "graphics/output/halftone/halftone.h"
#include "graphics/util/graphics_heap.h"
#include "platform/gdi/eng_services.h"

namespace rasterout {

bool ValidImageCall(const PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest) {
  if (pdev == nullptr || image == nullptr || source == nullptr || dest == nullptr || image->scan0 == nullptr)
    return false;
  if (source->width <= 0 || source->height <= 0 || dest->width == 0 || dest->height == 0) return false;
  // Every row and column read must lie inside the bitmap.
  return source->x >= 0 && source->y >= 0 && source->x <= image->width - source->width &&
         source->y <= image->height - source->height;
}

void BuildGreyTable(const ImageDescriptor& image, DWORD paletteCount, bool curve, GreyTable* table) {
  const DWORD depth = image.bitsPerPixel;
  for (DWORD i = 0; i < 256; ++i) {
    BYTE grey;
    if (image.palette != nullptr && i < paletteCount) {
      const ULONG entry = image.palette[i];
      grey = GrayFromRgb(curve ? 1.0f : 0.0f, static_cast<BYTE>(entry & 0xFF), static_cast<BYTE>((entry >> 8) & 0xFF),
                         static_cast<BYTE>((entry >> 16) & 0xFF));
    } else if (depth == 1) {
      grey = i == 0 ? 0 : 255;
    } else if (depth == 4) {
      grey = static_cast<BYTE>(i < 16 ? 16 * i : 255);
    } else {
      grey = static_cast<BYTE>(i);
    }
    table->grey[i] = grey;
  }
}

namespace {

BYTE Grey(bool curve, DWORD red, DWORD green, DWORD blue) {
  return GrayFromRgb(curve ? 1.0f : 0.0f, static_cast<BYTE>(red), static_cast<BYTE>(green), static_cast<BYTE>(blue));
}

}  // namespace

void ReadGreyRow(const ImageDescriptor& image, LONG y, LONG x, LONG width, const GreyTable& table, bool curve,
                 ColorOrder order, XLATEOBJ* xlate, BYTE* out) {
  const BYTE* row = ScanLine(image, y);
  switch (image.bitsPerPixel) {
    case 1:
      for (LONG i = 0; i < width; ++i) out[i] = table.grey[BitAt(row, x + i) ? 1 : 0];
      break;
    case 4:
      for (LONG i = 0; i < width; ++i) {
        const LONG c = x + i;
        const BYTE pair = row[c >> 1];
        out[i] = table.grey[(c & 1) ? (pair & 0x0F) : (pair >> 4)];
      }
      break;
    case 8:
      for (LONG i = 0; i < width; ++i) out[i] = table.grey[row[x + i]];
      break;
    case 16:
      for (LONG i = 0; i < width; ++i) {
        const BYTE* p = row + 2 * static_cast<ptrdiff_t>(x + i);
        const DWORD pixel = p[0] | (static_cast<DWORD>(p[1]) << 8);
        out[i] = Grey(curve, ((pixel >> 10) & 31) * 255 / 31, ((pixel >> 5) & 31) * 255 / 31, (pixel & 31) * 255 / 31);
      }
      break;
    case 24:
    case 32: {
      const size_t step = image.bitsPerPixel / 8;
      for (LONG i = 0; i < width; ++i) {
        const BYTE* p = row + step * static_cast<size_t>(x + i);
        switch (order) {
          case ColorOrder::BlueGreenRed: out[i] = Grey(curve, p[2], p[1], p[0]); break;
          case ColorOrder::RedGreenBlue: out[i] = Grey(curve, p[0], p[1], p[2]); break;
          case ColorOrder::Translated: {
            ULONG pixel = p[0] | (static_cast<ULONG>(p[1]) << 8) | (static_cast<ULONG>(p[2]) << 16);
            if (step == 4) pixel |= static_cast<ULONG>(p[3]) << 24;
            const ULONG rgb = XLATEOBJ_iXlate(xlate, pixel);
            out[i] = Grey(curve, rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
            break;
          }
        }
      }
      break;
    }
    default: std::memset(out, 255, static_cast<size_t>(width)); break;
  }
}

void ReadBitRow(const BYTE* row, LONG x, LONG width, BYTE* out) {
  const size_t bytes = BitRowBytes(width);
  const LONG shift = x & 7;
  const BYTE* from = row + (x >> 3);
  if (shift == 0) {
    std::memcpy(out, from, bytes);
  } else {
    // The byte after the last one is only read when it holds bits of the row.
    const size_t available = BitRowBytes(shift + width);
    for (size_t i = 0; i < bytes; ++i) {
      const BYTE high = static_cast<BYTE>(from[i] << shift);
      const BYTE low = i + 1 < available ? static_cast<BYTE>(from[i + 1] >> (8 - shift)) : 0;
      out[i] = high | low;
    }
  }
  if (width & 7) out[bytes - 1] &= static_cast<BYTE>(0xFF << (8 - (width & 7)));
}

// No block for 0 bytes: the caller asked for none.
HeapBlock::HeapBlock(size_t bytes) : data_(bytes ? static_cast<BYTE*>(GraphicsHeapAlloc(bytes)) : nullptr) {}
HeapBlock::~HeapBlock() { GraphicsHeapFree(data_); }

}  // namespace rasterout
