// Bitmaps as PostScript images: 1-bit sources with a black-and-white palette
// as 1-bit images (or masks for SRCAND, so that their white stays
// transparent), everything else as 8-bit grey; brush masks (glyphs the engine
// drew) as image masks in the colour already set.
#include "graphics/output/raster/raster_ps_image.h"
#include "graphics/output/raster/raster_image.h"
#include "graphics/output/raster/raster_ps_stream.h"
#include "graphics/output/raster/raster_support.h"
#include "graphics/output/vector/vector_support.h"
#include "platform/gdi/eng_services.h"

using namespace rasterout;

namespace {

bool SupportedDepth(DWORD bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// How 24- and 32-bit pixels are to be read, told by what the translation does
// to the primaries.
ColorOrder OrderOf(XLATEOBJ* xlate) {
  if (xlate == nullptr) return ColorOrder::BlueGreenRed;
  const ULONG red = XLATEOBJ_iXlate(xlate, 0xFF), green = XLATEOBJ_iXlate(xlate, 0xFF00),
              blue = XLATEOBJ_iXlate(xlate, 0xFF0000), top = XLATEOBJ_iXlate(xlate, 0xFF000000);
  if (red == 0xFF && green == 0xFF00 && blue == 0xFF0000 && top == 0xFF000000) return ColorOrder::RedGreenBlue;
  if (red == 0xFF0000 && green == 0xFF00 && blue == 0xFF && top == 0xFF000000) return ColorOrder::BlueGreenRed;
  return ColorOrder::Translated;
}

}  // namespace

BOOL WritePsImage(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                  XLATEOBJ* xlate, DWORD rop3) {
  if (!ValidImageCall(pdev, image, source, dest)) return FALSE;
  const DWORD depth = image->bitsPerPixel;
  if (!SupportedDepth(depth)) {
    vectorout::Formatted(pdev, "%%%% DIB-???bpp\n");
    return FALSE;
  }

  // A 1-bit source goes as bits when its two colours are black and white.
  bool bitMode = false, indexZeroBlack = true;
  if (depth == 1) {
    if (image->palette == nullptr || image->paletteCount == 0) {
      bitMode = true;
    } else if (image->paletteCount >= 2) {
      const DWORD first = EntryColor(image->palette[0]), second = EntryColor(image->palette[1]);
      if (first == 0 && second == kWhiteRgb) {
        bitMode = true;
      } else if (first == kWhiteRgb && second == 0) {
        bitMode = true;
        indexZeroBlack = false;
      }
    }
  }
  const bool notSourceCopy = rop3 == kRop3NotSourceCopy;
  bool inverted;
  if (bitMode) {
    inverted = notSourceCopy ? indexZeroBlack : !indexZeroBlack;
  } else {
    inverted = notSourceCopy;
  }

  const size_t rowBytes = bitMode ? BitRowBytes(source->width) : static_cast<size_t>(source->width);
  PsImageStream stream(pdev, rowBytes);
  if (!stream.Ready()) return FALSE;
  GreyTable table;
  if (!bitMode) BuildGreyTable(*image, image->paletteCount, false, &table);
  const ColorOrder order = OrderOf(xlate);

  const char* procedure = bitMode && rop3 == kRop3SourceAnd ? "ImMask" : "ImGray";
  if (!stream.Begin(*source, *dest, inverted, bitMode ? 1 : 8, procedure)) return FALSE;
  for (LONG y = source->y; y < source->y + source->height; ++y) {
    if (bitMode) {
      ReadBitRow(ScanLine(*image, y), source->x, source->width, stream.Row());
    } else {
      ReadGreyRow(*image, y, source->x, source->width, table, false, order, xlate, stream.Row());
    }
    if (!stream.SendRow(rowBytes)) return FALSE;
  }
  return stream.End() ? TRUE : FALSE;
}

BOOL WritePsMask(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                 BOOL inkWhereSet) {
  if (!ValidImageCall(pdev, image, source, dest)) return FALSE;
  if (image->bitsPerPixel != 1) return FALSE;
  const size_t rowBytes = BitRowBytes(source->width);
  PsImageStream stream(pdev, rowBytes);
  if (!stream.Ready()) return FALSE;
  // imagemask paints the samples its decode maps to 0: "1 0" paints the set bits.
  if (!stream.Begin(*source, *dest, inkWhereSet != FALSE, 1, "ImPaint")) return FALSE;
  for (LONG y = source->y; y < source->y + source->height; ++y) {
    ReadBitRow(ScanLine(*image, y), source->x, source->width, stream.Row());
    if (!stream.SendRow(rowBytes)) return FALSE;
  }
  return stream.End() ? TRUE : FALSE;
}
