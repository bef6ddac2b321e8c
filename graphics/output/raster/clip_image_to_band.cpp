// The image of a blit placed on the page: the destination is cut to the page
// and the source in the same proportion (PostScript's clipped placement also
// keeps a mirrored destination and says in comments what it cut), the source
// bitmap described, and the image handed to the writer of the job's language
// inside the blit's clip rectangle.
#include <cstdlib>
#include <utility>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/raster/clip_image_to_band.h"
#include "graphics/output/raster/raster_image.h"
#include "graphics/output/raster/raster_pcl.h"
#include "graphics/output/raster/raster_ps_gray.h"
#include "graphics/output/raster/raster_ps_image.h"
#include "graphics/output/vector/vector_clip.h"
#include "graphics/output/vector/vector_support.h"
#include "platform/base/arith.h"
#include "platform/gdi/eng_services.h"

namespace {

using vectorout::Formatted;

// The page in device pixels, across and down as the page is drawn.
void PageSize(const PDEV* pdev, LONG* width, LONG* height) {
  const int dpi = vectorout::Resolution(pdev);
  LONG w = MulDiv(dpi, pdev->paperWidth, 1000), h = MulDiv(dpi, pdev->paperHeight, 1000);
  if (pdev->devmode.dmPublic.dmOrientation == DMORIENT_LANDSCAPE) std::swap(w, h);
  *width = w;
  *height = h;
}

DWORD DepthOf(ULONG format) {
  switch (format) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 0;
  }
}

// One axis of the source rectangle: start and size, a negative start read
// from 0 to the end edge; cut to the bitmap.
void SourceSpan(LONG low, LONG high, LONG extent, LONG* start, LONG* size) {
  if (low < 0) {
    *start = 0;
    *size = high;
  } else {
    *start = low;
    *size = high - low;
  }
  if (*start > extent) *start = extent;
  if (*size > extent - *start) *size = extent - *start;
  if (*size < 0) *size = 0;
}

// One axis of an image cut to [low, high): `from` is where the first source
// pixel goes, `to` where the image ends (to < from: mirrored). The visible
// part becomes the destination (a negative size keeps the mirroring) and the
// source span shrinks in proportion. False when nothing is visible.
bool CutToRange(LONG from, LONG to, LONG low, LONG high, LONG* destStart, LONG* destSize, LONG* sourceStart,
                LONG* sourceSize) {
  const LONG span = to - from;
  const LONG size = *sourceSize;
  if (span > 0) {
    const LONG visibleFrom = from < low ? low : from, visibleTo = to > high ? high : to;
    if (visibleTo <= visibleFrom) return false;
    *sourceStart += MulDiv(size, visibleFrom - from, span);
    *sourceSize = MulDiv(size, visibleTo - visibleFrom, span);
    *destStart = visibleFrom;
    *destSize = visibleTo - visibleFrom;
  } else {
    const LONG visibleFrom = from > high ? high : from, visibleTo = to < low ? low : to;
    if (visibleFrom <= visibleTo) return false;
    *sourceStart += MulDiv(size, from - visibleFrom, -span);
    *sourceSize = MulDiv(size, visibleFrom - visibleTo, -span);
    *destStart = visibleFrom;
    *destSize = visibleTo - visibleFrom;
  }
  return *sourceSize > 0;
}

bool CutToPage(LONG from, LONG to, LONG page, LONG* destStart, LONG* destSize, LONG* sourceStart, LONG* sourceSize) {
  return CutToRange(from, to, 0, page, destStart, destSize, sourceStart, sourceSize);
}

// PCL raster is not clipped by the HP-GL/2 window: the image itself is cut to
// the clip rectangle (pixels, right and bottom exclusive). False when nothing
// of it is inside.
bool CutToClip(const RECTL& clip, ImageRect* source, ImageRect* target) {
  return CutToRange(target->x, target->x + target->width, clip.left, clip.right, &target->x, &target->width, &source->x,
                    &source->width) &&
         CutToRange(target->y, target->y + target->height, clip.top, clip.bottom, &target->y, &target->height,
                    &source->y, &source->height);
}

// The comment that tells how the image met the page's side edges.
const char* HorizontalComment(LONG l, LONG r, LONG w) {
  if (r - l < 0) {
    if (r >= 0 && r < w) return l > w ? "%%[l>X>r]\n" : " %%[l>r]\n";
    if (r >= w) return "%%[r>X]\n";
    if (l < 1) return "%%[0>l]\n";
    return l > w ? "%%[l>X]\n" : "%%[l>0>r]\n";
  }
  if (l >= 0 && l < w) return r > w ? "%%[X<r]\n" : nullptr;
  if (l >= w) return "%%[X<l]\n";
  if (r < 1) return "%%[r<0]\n";
  return r > w ? "%%[X<r]\n" : "%%[0<r<X]\n";
}

// The same for the top and bottom edges (an image drawn bottom-up has none).
const char* VerticalComment(LONG t, LONG b, LONG h) {
  if (b - t < 0) return nullptr;
  if (t >= 0 && t < h) return b > h ? "%%[Y<b]\n" : nullptr;
  if (t >= h) return "%%[Y<t]\n";
  if (b < 1) return "%%[b<0]\n";
  return b > h ? "%%[Y<b]\n" : "%%[0<b<Y]\n";
}

// PostScript's clipped placement: the destination cut to the page, the source
// with it, and comments saying what was cut. 1 when nothing is left to draw.
int PlaceClipped(PDEV* pdev, const SURFOBJ& surface, const RECTL& sourceRect, const RECTL& dest, LONG pageWidth,
                 LONG pageHeight, ImageRect* source, ImageRect* target) {
  Formatted(pdev, "%%%d:%d,%d(%d,%d,%d,%d=%d,%d,%d,%d)\n", surface.iBitmapFormat, surface.sizlBitmap.cx,
            surface.sizlBitmap.cy, sourceRect.left, sourceRect.top, sourceRect.right, sourceRect.bottom, dest.left,
            dest.top, dest.right, dest.bottom);
  SourceSpan(sourceRect.left, sourceRect.right, surface.sizlBitmap.cx, &source->x, &source->width);
  SourceSpan(sourceRect.top, sourceRect.bottom, surface.sizlBitmap.cy, &source->y, &source->height);
  // Nothing of a zero-sized destination is drawn, in either direction.
  if (dest.right == dest.left || dest.bottom == dest.top) return 1;
  if (const char* comment = HorizontalComment(dest.left, dest.right, pageWidth)) Formatted(pdev, comment);
  if (!CutToPage(dest.left, dest.right, pageWidth, &target->x, &target->width, &source->x, &source->width)) return 1;
  if (const char* comment = VerticalComment(dest.top, dest.bottom, pageHeight)) Formatted(pdev, comment);
  if (!CutToPage(dest.top, dest.bottom, pageHeight, &target->y, &target->height, &source->y, &source->height)) return 1;
  return 0;
}

// One axis of the plain placement: the image cut to the page, its source in
// proportion; a reversed axis is drawn unmirrored. An image that only starts
// before the page keeps its visible part rather than vanishing. False when
// nothing of it is on the page.
bool PlacePlain(LONG low, LONG high, LONG page, LONG* start, LONG* size, LONG* sourceStart, LONG* sourceSize) {
  if (high < low) std::swap(low, high);
  return CutToRange(low, high, 0, page, start, size, sourceStart, sourceSize);
}

}  // namespace

BOOL ClipImageToBand(PDEV* pdev, SURFOBJ* surface, const RECTL* sourceRect, const RECTL* dest, const RECTL* clip,
                     DWORD rop3, XLATEOBJ* xlate, int placement) {
  if (pdev == nullptr || surface == nullptr || dest == nullptr || surface->pvScan0 == nullptr) return FALSE;
  LONG pageWidth = 0, pageHeight = 0;
  PageSize(pdev, &pageWidth, &pageHeight);
  const WORD pdl = pdev->devmode.dmPrivate._nPDL;
  const bool postScript = IsPostScriptPdl(pdl);
  const bool greyImages = pdev->devmode.dmPrivate._nCompression == kImageCompressionGrey;

  ImageRect source, target;
  if (placement == kImagePlaceClipped && postScript && !greyImages) {
    if (sourceRect == nullptr) return FALSE;
    if (PlaceClipped(pdev, *surface, *sourceRect, *dest, pageWidth, pageHeight, &source, &target)) return TRUE;
  } else {
    const RECTL whole{0, 0, surface->sizlBitmap.cx, surface->sizlBitmap.cy};
    const RECTL& from = sourceRect ? *sourceRect : whole;
    // The source is cut to the bitmap: no row or column outside it is read.
    SourceSpan(from.left, from.right, surface->sizlBitmap.cx, &source.x, &source.width);
    SourceSpan(from.top, from.bottom, surface->sizlBitmap.cy, &source.y, &source.height);
    if (dest->right == dest->left || dest->bottom == dest->top) return TRUE;
    if (source.width <= 0 || source.height <= 0) return TRUE;
    if (!PlacePlain(dest->left, dest->right, pageWidth, &target.x, &target.width, &source.x, &source.width) ||
        !PlacePlain(dest->top, dest->bottom, pageHeight, &target.y, &target.height, &source.y, &source.height))
      return TRUE;
  }
  if (source.width <= 0 || source.height <= 0) return TRUE;

  ImageDescriptor image;
  image.bitsPerPixel = DepthOf(surface->iBitmapFormat);
  if (image.bitsPerPixel == 0) return FALSE;
  image.width = surface->sizlBitmap.cx;
  image.height = surface->sizlBitmap.cy;
  image.stride = surface->lDelta;
  image.scan0 = static_cast<const BYTE*>(surface->pvScan0);
  if (xlate != nullptr && image.bitsPerPixel <= 8 && (xlate->flXlate & XO_TABLE)) {
    image.palette = XLATEOBJ_piVector(xlate);
    image.paletteCount = image.palette != nullptr ? xlate->cEntries : 0;
  }

  const bool clipGiven = vectorout::ClipGiven(clip);
  if (clipGiven && !postScript && !CutToClip(*clip, &source, &target)) return TRUE;
  const bool clipped = clipGiven && postScript && BeginClipRect(pdev, clip);
  BOOL written;
  const bool mask = placement == kImagePlaceInkWhereSet || placement == kImagePlaceInkWhereClear;
  if (mask) {
    const BOOL inkWhereSet = placement == kImagePlaceInkWhereSet ? TRUE : FALSE;
    written = postScript ? WritePsMask(pdev, &image, &source, &target, inkWhereSet)
                         : WritePclMask(pdev, &image, &source, &target, rop3, inkWhereSet);
  } else if (postScript) {
    written = greyImages ? WritePsImageGray(pdev, &image, &source, &target, rop3)
                         : WritePsImage(pdev, &image, &source, &target, xlate, rop3);
  } else {
    written = WritePclRaster(pdev, &image, &source, &target, rop3, greyImages || placement == kImagePlaceGrey);
  }
  if (clipped) EndClipRect(pdev);
  return written;
}
