// Every bitmap as an 8-bit grey PostScript image (the "Compression" 20 path):
// one image form for all sources, however the printer treats 1-bit data.
#include "graphics/output/raster/raster_ps_gray.h"
#include "graphics/output/raster/raster_image.h"
#include "graphics/output/raster/raster_ps_stream.h"
#include "graphics/output/raster/raster_support.h"
#include "graphics/output/vector/vector_support.h"

using namespace rasterout;

BOOL WritePsImageGray(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                      DWORD rop3) {
  if (!ValidImageCall(pdev, image, source, dest)) return FALSE;
  const DWORD depth = image->bitsPerPixel;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
    vectorout::Formatted(pdev, "%%%% DIB-???bpp\n");
    return FALSE;
  }
  const size_t rowBytes = static_cast<size_t>(source->width);
  PsImageStream stream(pdev, rowBytes);
  if (!stream.Ready()) return FALSE;
  GreyTable table;
  BuildGreyTable(*image, image->paletteCount & 0xFFFF, false, &table);
  if (!stream.Begin(*source, *dest, rop3 == kRop3NotSourceCopy, 8, "ImGray")) return FALSE;
  for (LONG y = source->y; y < source->y + source->height; ++y) {
    ReadGreyRow(*image, y, source->x, source->width, table, false, ColorOrder::BlueGreenRed, nullptr, stream.Row());
    if (!stream.SendRow(rowBytes)) return FALSE;
  }
  return stream.End() ? TRUE : FALSE;
}
