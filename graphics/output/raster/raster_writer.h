// The raster writer of the job stream: bitmaps as PostScript images or PCL
// raster graphics. The printers are monochrome: all colour is reduced to grey
// (graphics/output/halftone/halftone.h).
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// How ClipImageToBand places an image.
constexpr int kImagePlaceMasked = 0;   // a 1-bit source drawn as a mask
constexpr int kImagePlaceGrey = 1;     // PCL: through the grey path
constexpr int kImagePlaceClipped = 2;  // PostScript: clipped against the page, with comments
// A 1-bit mask through which the current brush is painted: where its bits are
// set (or clear), the brush; elsewhere the page is left as it is.
constexpr int kImagePlaceInkWhereSet = 3;
constexpr int kImagePlaceInkWhereClear = 4;

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

// Fits `dest` (pixels, left/top/right/bottom) to the page, scales `sourceRect`
// (none: the whole surface) with it and writes the image of `source` there.
// `clip` is a clip rectangle in pixels or none; rop3 the 32-bit ROP3 code;
// xlate the source's colour translation or none. The writer's result, 1 when
// nothing needs drawing, 0 on failure.
BOOL ClipImageToBand(PDEV* pdev, SURFOBJ* source, const RECTL* sourceRect, const RECTL* dest, const RECTL* clip,
                     DWORD rop3, XLATEOBJ* xlate, int placement);

// The writers. Each answers 1, or 0 without output for a missing PDEV,
// descriptor or rectangle, a source rectangle outside the descriptor's bitmap
// or an empty one, and 0 for an unsupported depth or when memory runs out.

// PostScript: 1-bit sources as 1-bit images or masks (SRCAND), deeper ones as
// 8-bit grey; xlate decides how 24- and 32-bit pixels are read.
BOOL WritePsImage(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                  XLATEOBJ* xlate, DWORD rop3);
// A 1-bit mask painted in the current colour (PostScript imagemask) or the
// current pattern (PCL raster with a transparent source): ink where the bits
// are set, or clear when inkWhereSet is false; nothing anywhere else.
BOOL WritePsMask(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                 BOOL inkWhereSet);
BOOL WritePclMask(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest, DWORD rop3,
                  BOOL inkWhereSet);
// PostScript, every depth as 8-bit grey.
BOOL WritePsImageGray(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                      DWORD rop3);
// PCL raster graphics, one bit a pixel. Without greyPath only 1-bit sources
// are taken; with it every depth, dithered, scaled to the destination.
BOOL WritePclRaster(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                    DWORD rop3, BOOL greyPath);

// A new page: rows carried from an image of the previous page never continue.
void ResetRasterPageState(PDEV* pdev);
// Frees the carried band (FreePdev).
void FreeRasterState(PDEV* pdev);
// After CopyJobState copied the writers' state to the new PDEV of a reset, the
// carried band belongs to the new one.
void DetachRasterState(PDEV* pdev);
