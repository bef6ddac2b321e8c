// Block transfers: pattern fills become rectangles or clip-region fills of the
// vector writer, bitmaps go to the raster writer directly or after the engine
// has halftoned them, and what the writers cannot draw is handed back to the
// engine. A blit handed to the engine comes back through DrvCopyBits; the
// PDEV's blt state tells that call where it came from.
#include <algorithm>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/drawing_support.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/ddi/raster_ops.h"
#include "graphics/output/raster/clip_image_to_band.h"
#include "graphics/output/vector/vector_pattern.h"
#include "graphics/output/vector/vector_rectangle.h"
#include "graphics/output/vector/vector_targets.h"
#include "graphics/stream/output.h"
#include "platform/base/arith.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr DWORD kRop3SourceInvert = SRCINVERT;   // 0x00660046
constexpr DWORD kRop3SourceSelect = 0x00B8B800;  // pattern where the source is set (DSPDxax family)
constexpr MIX kPatternCopyMix = 0x0D0D;
constexpr ROP4 kRop3Destination = 0xAA;  // the page left as it is
// The PCL pattern selection of a blit's brush: any target outside the
// PostScript and HP-GL/2 values selects PCL; the pattern is the pen's.
constexpr DWORD kPclPatternTarget = 8;
constexpr int kPclPatternIndex = 1;
// On the PCL family the XOR passes around a complex clip reach this far beyond
// the destination, so that the black fill of the region never shows at its edge.
constexpr LONG kComplexClipMargin = 2;

// While the engine renders a blit for the library; afterwards nothing is
// pending, whether or not the engine came back through DrvCopyBits.
class EngineHandOver {
 public:
  EngineHandOver(PDEV* pdev, WORD state) : pdev_(pdev) { pdev_->drawing.bltState = state; }
  ~EngineHandOver() { pdev_->drawing = DrawingState{}; }
  EngineHandOver(const EngineHandOver&) = delete;
  EngineHandOver& operator=(const EngineHandOver&) = delete;

 private:
  PDEV* pdev_;
};

// Source origin plus the size of the destination.
RECTL SourceRect(const POINTL* origin, const RECTL& dest) {
  const POINTL at = origin ? *origin : POINTL{0, 0};
  return RECTL{at.x, at.y, at.x + (dest.right - dest.left), at.y + (dest.bottom - dest.top)};
}

// The clip rectangle an image is cut to: a DC_RECT clip's bounds; none for
// DC_TRIVIAL. A complex region (where no outline does better) by its bounds.
const RECTL* ImageClip(const CLIPOBJ* clip, RECTL* storage) {
  if (!clip || clip->iDComplexity == DC_TRIVIAL) return nullptr;
  *storage = clip->rclBounds;
  return storage;
}

bool HasColorTable(XLATEOBJ* xlate) { return xlate && (xlate->flXlate & XO_TABLE) && xlate->cEntries > 0; }

BOOL WriteBlitComment(PDEV* pdev, ROP4 rop4) {
  const int length = FormatOut(pdev->lineBuffer, "\n%%BB[%X]\n", rop4);
  return length > 0 && WriteOut(pdev, kWriteText, length, pdev->lineBuffer) == length;
}

// ---- Pattern fills -----------------------------------------------------------

// The brush over the target rectangle: one rectangle where the clip is at most
// a rectangle, else the clip region's outline filled with the brush.
BOOL FillWithBrush(PDEV* pdev, SURFOBJ* target, CLIPOBJ* clip, const RECTL& rect, BRUSHOBJ* brush, DWORD rop3) {
  if (!clip || clip->iDComplexity != DC_COMPLEX) {
    RECTL fixed{std::max<LONG>(rect.left, 0) * 16, std::max<LONG>(rect.top, 0) * 16, rect.right * 16, rect.bottom * 16};
    if (fixed.right <= fixed.left || fixed.bottom <= fixed.top) return TRUE;  // nothing of it on the page
    RECTL bounds{};
    return WriteRectangle(pdev, &fixed, nullptr, nullptr, brush, 0, rop3, ClipRectOrNone(clip, &bounds), TRUE, FALSE);
  }
  // The region's outline is asked whatever mode the engine's clip is in; an
  // outline the engine cannot give, or a brush the writer cannot select, fails
  // the call instead of leaving the area blank.
  PATHOBJ* outline = FetchClipPath(clip);
  if (!outline) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  CLIPOBJ targetClip = RectangleClip(rect);
  const BOOL filled = DownloadFillPattern(pdev, brush, TRUE, pdev->devmode.dmPrivate._nPDL, 0) &&
                      DrvFillPath(target, outline, &targetClip, brush, nullptr, kPatternCopyMix, FP_ALTERNATEMODE);
  EngDeletePath(outline);
  return filled;
}

// Where a ROP4 leaves the page as it is under one kind of mask pixel, the
// brush is painted through the other kind only: a glyph the engine drew is a
// mask, never an opaque picture of its box.
int MaskPlacement(ROP4 rop4) {
  if ((rop4 >> 8) == kRop3Destination) return kImagePlaceInkWhereSet;
  if ((rop4 & 0xFF) == kRop3Destination) return kImagePlaceInkWhereClear;
  return kImagePlaceMasked;
}

// A brush painted through a 1-bit mask (the background left as it is): the
// mask goes to the raster writer as a mask image in the brush's colour.
BOOL PaintThroughMask(PDEV* pdev, SURFOBJ* target, SURFOBJ* mask, CLIPOBJ* clip, const RECTL& rect,
                      const POINTL* maskOrigin, BRUSHOBJ* brush, DWORD rop3, ROP4 rop4) {
  const bool postScript = IsPostScriptJob(pdev);
  if (!DownloadFillPattern(pdev, brush, TRUE, postScript ? kTargetPostScript : kPclPatternTarget,
                           postScript ? 0 : kPclPatternIndex))
    return FALSE;
  RECTL source = SourceRect(maskOrigin, rect);
  PostScriptClipBracket bracket(pdev, target, clip);
  if (bracket.Active() && !bracket.Written()) return FALSE;
  RECTL clipStorage{};
  const RECTL* clipRect = bracket.Active() ? nullptr : ImageClip(clip, &clipStorage);
  return ClipImageToBand(pdev, mask, &source, &rect, clipRect, rop3, nullptr, MaskPlacement(rop4));
}

// ---- Images ------------------------------------------------------------------

// The source image straight to the raster writer, within the clip.
BOOL DrawImage(PDEV* pdev, SURFOBJ* target, SURFOBJ* source, const RECTL* sourceRect, const RECTL* dest, CLIPOBJ* clip,
               DWORD rop3, XLATEOBJ* xlate, int placement) {
  PostScriptClipBracket bracket(pdev, target, clip);
  if (bracket.Active() && !bracket.Written()) return FALSE;
  RECTL clipStorage{};
  const RECTL* clipRect = bracket.Active() ? nullptr : ImageClip(clip, &clipStorage);
  return ClipImageToBand(pdev, source, sourceRect, dest, clipRect, rop3, xlate, placement);
}

// The engine halftones the source for the printer and hands it back through
// DrvCopyBits, which draws it with the pending ROP.
BOOL Halftone(PDEV* pdev, SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* dest,
              RECTL* sourceRect, WORD state) {
  COLORADJUSTMENT adjustment = HalftoneColorAdjustment();
  POINTL origin{0, 0};
  EngineHandOver handOver(pdev, state);
  return EngStretchBlt(target, source, nullptr, clip, xlate, &adjustment, &origin, dest, sourceRect, nullptr, HALFTONE);
}

// Cuts a negative destination left (top) to 0 and moves the source edge by the
// same share of the image.
void CutNegativeEdges(RECTL* dest, RECTL* source) {
  const LONG width = dest->right - dest->left, height = dest->bottom - dest->top;
  if (dest->left < 0 && width > 0) {
    source->left += MulDiv(-dest->left, source->right - source->left, width);
    dest->left = 0;
  }
  if (dest->top < 0 && height > 0) {
    source->top += MulDiv(-dest->top, source->bottom - source->top, height);
    dest->top = 0;
  }
}

// The same image read from the bottom row up: the first scan line is the
// image's last, the stride reversed, and the source rows mirrored with it.
void ReadBottomUp(SURFOBJ* surface, RECTL* source) {
  const LONG rows = surface->sizlBitmap.cy;
  surface->pvScan0 = static_cast<BYTE*>(surface->pvScan0) + static_cast<ptrdiff_t>(rows - 1) * surface->lDelta;
  surface->lDelta = -surface->lDelta;
  const LONG top = source->top;
  source->top = rows - source->bottom;
  source->bottom = rows - top;
}

// A device surface and its library: the destination of a copy to the device,
// the source of a read-back.
const SURFOBJ* DeviceSide(const SURFOBJ* dest, const SURFOBJ* source) {
  if (dest && dest->iType != STYPE_BITMAP) return dest;
  if (source && source->iType != STYPE_BITMAP) return source;
  return dest;
}

// A copy to the device through a complex clip region.
BOOL CopyThroughRegion(PDEV* pdev, SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, const RECTL& dest,
                       const RECTL& sourceRect, DWORD rop3) {
  if (IsPostScriptJob(pdev)) {
    // PostScript has no raster operations to combine with the page: the
    // region's outline becomes the clip.
    RECTL sourceCopy = sourceRect, destCopy = dest;
    return DrawImage(pdev, target, source, &sourceCopy, &destCopy, clip, rop3, xlate, kImagePlaceClipped);
  }
  PATHOBJ* outline = FetchClipPath(clip);
  if (!outline) {
    // No outline to paint: the image within the region's bounds.
    RECTL sourceCopy = sourceRect, destCopy = dest, bounds = clip->rclBounds;
    return ClipImageToBand(pdev, source, &sourceCopy, &destCopy, &bounds, rop3, xlate, kImagePlaceClipped);
  }
  // XOR the image in, paint the region black, XOR it again: inside the region
  // the image stays, outside the page is as it was. The passes reach a little
  // beyond the image wherever the source has the pixels, so the image keeps its
  // scale.
  RECTL wide = dest, wideSource = sourceRect;
  const LONG cx = source->sizlBitmap.cx, cy = source->sizlBitmap.cy;
  const LONG left = std::min({kComplexClipMargin, wide.left, wideSource.left});
  const LONG top = std::min({kComplexClipMargin, wide.top, wideSource.top});
  const LONG right = std::min(kComplexClipMargin, cx - wideSource.right);
  const LONG bottom = std::min(kComplexClipMargin, cy - wideSource.bottom);
  if (left > 0) wide.left -= left, wideSource.left -= left;
  if (top > 0) wide.top -= top, wideSource.top -= top;
  if (right > 0) wide.right += right, wideSource.right += right;
  if (bottom > 0) wide.bottom += bottom, wideSource.bottom += bottom;

  BRUSHOBJ black{};
  black.iSolidColor = 0;
  CLIPOBJ destClip = RectangleClip(wide);
  const BOOL drawn =
      ClipImageToBand(pdev, source, &wideSource, &wide, nullptr, kRop3SourceInvert, xlate, kImagePlaceGrey) &&
      DrvFillPath(target, outline, &destClip, &black, nullptr, kPatternCopyMix, FP_ALTERNATEMODE) &&
      ClipImageToBand(pdev, source, &wideSource, &wide, nullptr, kRop3SourceInvert, xlate, kImagePlaceGrey);
  EngDeletePath(outline);
  return drawn;
}

}  // namespace

BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
               POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
  PDEV* pdev = CheckedPdev(psoTrg);
  if (!pdev) return FALSE;
  pdev->drawing.pendingRop = 0;
  rop4 &= 0xFFFF;
  if (pdev->job.applicationIgnore || (pdev->carried.captureFlags & kCaptureBanner) || rop4 == kRop4Nop) return TRUE;
  if (!prclTrg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const bool postScript = IsPostScriptJob(pdev);
  const DWORD rop3 = Rop4ToRop3(rop4, postScript, kRop3SourceCopy);

  // A brush through a mask (glyph bitmaps): the writers' rectangles would paint
  // the whole box.
  if (psoMask && !psoSrc && (rop4 >> 8) != (rop4 & 0xFF))
    return PaintThroughMask(pdev, psoTrg, psoMask, pco, *prclTrg, pptlMask, pbo, rop3, rop4);
  if (rop3 == PATCOPY || rop3 == PATINVERT || rop4 == kRop4MaskPen)
    return FillWithBrush(pdev, psoTrg, pco, *prclTrg, pbo, rop3);
  if (rop3 == WHITENESS || rop3 == BLACKNESS)
    return EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);

  enum class Route { Direct, Engine, Halftone } route;
  if (postScript) {
    route = psoSrc ? Route::Direct : Route::Engine;
  } else if (UsesGreyImages(pdev)) {
    const bool plainCopy = rop3 == kRop3SourceCopy || rop3 == NOTSRCCOPY || rop3 == kRop3SourceSelect;
    route = psoSrc && plainCopy ? Route::Direct : Route::Engine;
  } else if (!psoSrc) {
    route = Route::Engine;
  } else {
    route = IsOneBitSurface(psoSrc) && IsBlackWhiteTable(pxlo) ? Route::Direct : Route::Halftone;
  }
  if (route == Route::Engine)
    return EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);

  if (pbo && (pdev->devmode.dmPrivate._nPDL & kPdlPcl5Mask))
    DownloadFillPattern(pdev, pbo, TRUE, kPclPatternTarget, kPclPatternIndex);
  RECTL source = SourceRect(pptlSrc, *prclTrg);
  if (route == Route::Halftone) {
    pdev->drawing.pendingRop = rop3;
    return Halftone(pdev, psoTrg, psoSrc, pco, pxlo, prclTrg, &source, kBltHalftoned);
  }
  if (postScript && !WriteBlitComment(pdev, rop4)) return FALSE;
  return DrawImage(pdev, psoTrg, psoSrc, &source, prclTrg, pco, rop3, pxlo,
                   psoMask ? kImagePlaceMasked : kImagePlaceClipped);
}

BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                   ULONG iMode) {
  PDEV* pdev = CheckedPdev(psoDest);
  if (!pdev) return FALSE;
  pdev->drawing.pendingRop = 0;
  if (pdev->job.applicationIgnore || (pdev->carried.captureFlags & kCaptureBanner)) return TRUE;
  if (!psoSrc || !prclDest || !prclSrc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const ULONG mode = iMode >= BLACKONWHITE && iMode <= COLORONCOLOR ? iMode : HALFTONE;
  const bool postScript = IsPostScriptJob(pdev);

  // The engine renders it: with the caller's colour adjustment, or halftoned
  // for the printer. A refused mode is tried once more as HALFTONE.
  auto throughEngine = [&](COLORADJUSTMENT* adjustment, WORD state, ULONG engineMode) {
    EngineHandOver handOver(pdev, state);
    if (EngStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, adjustment, pptlHTOrg, prclDest, prclSrc, pptlMask,
                      engineMode))
      return TRUE;
    pdev->drawing.bltState = state;
    return EngStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, adjustment, pptlHTOrg, prclDest, prclSrc, pptlMask,
                         HALFTONE);
  };
  if (pca) return throughEngine(pca, kBltColorAdjusted, mode);
  if (!postScript || UsesGreyImages(pdev)) {
    COLORADJUSTMENT adjustment = HalftoneColorAdjustment();
    const bool blackAndWhite = IsOneBitSurface(psoSrc) && IsBlackWhiteTable(pxlo);
    return throughEngine(&adjustment, kBltHalftoned, postScript || blackAndWhite ? mode : HALFTONE);
  }

  // PostScript, drawn directly.
  RECTL dest = *prclDest, source = *prclSrc;
  SURFOBJ image = *psoSrc;
  const bool bottomUp = dest.top > dest.bottom;
  if (bottomUp) {
    std::swap(dest.top, dest.bottom);
    ReadBottomUp(&image, &source);
  }
  if (!WriteDrawingText(pdev, bottomUp ? "\n%SB[t>b]\n" : "\n%SB\n")) return FALSE;
  if (pco && pco->iDComplexity == DC_COMPLEX) {
    CutNegativeEdges(&dest, &source);
    PostScriptClipBracket bracket(pdev, psoDest, pco);
    if (bracket.Active()) {
      if (!bracket.Written()) return FALSE;
      return ClipImageToBand(pdev, &image, &source, &dest, nullptr, kRop3SourceInvert, pxlo, kImagePlaceMasked);
    }
    // No outline to clip with: the region's bounds.
    RECTL bounds = pco->rclBounds;
    return ClipImageToBand(pdev, &image, &source, &dest, &bounds, kRop3SourceCopy, pxlo, kImagePlaceClipped);
  }
  RECTL clipStorage{};
  const RECTL* clipRect = ImageClip(pco, &clipStorage);
  if (psoMask) CutNegativeEdges(&dest, &source);
  return ClipImageToBand(pdev, &image, &source, &dest, clipRect, kRop3SourceCopy, pxlo,
                         psoMask ? kImagePlaceMasked : kImagePlaceClipped);
}

BOOL DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc) {
  PDEV* pdev = CheckedPdev(DeviceSide(psoDest, psoSrc));
  if (!pdev) return FALSE;
  if (!psoDest || !psoSrc || !prclDest) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A read-back from the device: a printer's page holds nothing to give back,
  // so the engine gets blank paper.
  if (psoSrc->iType != STYPE_BITMAP) return EngEraseSurface(psoDest, prclDest, 0xFFFFFFFF);
  if (psoDest->iType == STYPE_BITMAP || CheckedPdev(psoDest) != pdev) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (pdev->job.applicationIgnore) {
    pdev->drawing = DrawingState{};
    return TRUE;
  }

  RECTL source = SourceRect(pptlSrc, *prclDest);
  const bool postScript = IsPostScriptJob(pdev);
  const bool oneBit = IsOneBitSurface(psoSrc);
  const WORD state = pdev->drawing.bltState;
  bool direct = false;
  WORD engineState = kBltHalftoned;
  if (state == kBltHalftoned && !postScript && !oneBit) {
    engineState = kBltHalftonedAgain;  // the engine gave colour back: once more, then drawn as it comes
  } else if (state == kBltHalftoned || state == kBltHalftonedAgain) {
    direct = true;
  } else {
    direct = postScript || (oneBit && HasColorTable(pxlo) && (UsesGreyImages(pdev) || IsBlackWhiteTable(pxlo)));
  }
  if (!direct) return Halftone(pdev, psoDest, psoSrc, pco, pxlo, prclDest, &source, engineState);

  DWORD rop3 = pdev->drawing.pendingRop ? pdev->drawing.pendingRop : kRop3SourceCopy;
  BOOL drawn;
  if (pco && pco->iDComplexity == DC_COMPLEX) {
    drawn = CopyThroughRegion(pdev, psoDest, psoSrc, pco, pxlo, *prclDest, source, rop3);
  } else {
    if (postScript) {
      drawn = WriteDrawingText(pdev, "\n%CB\n");
      if (UsesGreyImages(pdev)) rop3 = kRop3SourceCopy;
    } else {
      drawn = TRUE;
    }
    RECTL clipStorage{};
    drawn = drawn && ClipImageToBand(pdev, psoSrc, &source, prclDest, ImageClip(pco, &clipStorage), rop3, pxlo,
                                     kImagePlaceClipped);
  }
  pdev->drawing = DrawingState{};
  return drawn;
}
