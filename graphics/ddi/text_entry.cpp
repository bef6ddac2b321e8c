// Text: the opaque background rectangle through the vector writer, the glyphs
// through the text writer. Whatever the writers refuse is reported, so that the
// engine draws it itself.
#include <algorithm>

#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/device_font_lookup.h"
#include "graphics/ddi/drawing_support.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/ddi/raster_ops.h"
#include "graphics/dispatch/path_dispatch.h"
#include "graphics/output/text/text_writer.h"
#include "graphics/output/vector/vector_path.h"
#include "graphics/output/vector/vector_rectangle.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr WORD kPathKindLines = 1;
constexpr WORD kWholeClosedFigure = kPathBatchFirst | kPathBatchLast | kPathBatchClosed | 2;

// The opaque rectangle (pixels) filled with the opaque brush; clip is a pixel
// rectangle or none.
BOOL FillOpaque(PDEV* pdev, const RECTL& opaque, BRUSHOBJ* brush, DWORD rop3, const RECTL* clip) {
  const POINTFIX corners[4] = {{opaque.left * 16, opaque.top * 16},
                               {opaque.right * 16, opaque.top * 16},
                               {opaque.right * 16, opaque.bottom * 16},
                               {opaque.left * 16, opaque.bottom * 16}};
  ULONG rgb = 0;
  GetSolidBrushColor(brush, &rgb);
  pdev->job.pathKind = kPathKindLines;
  RECTL rect{};
  if (IsPostScriptJob(pdev) && GetAxisAlignedRect(corners, 4, &rect))
    return WriteRectangle(pdev, &rect, nullptr, nullptr, brush, rgb, rop3, clip, TRUE, FALSE);
  return WritePath(pdev, 4, corners, nullptr, nullptr, brush, clip, kPathFillAlternate, kWholeClosedFigure, rgb, rop3,
                   TRUE, FALSE);
}

// The opaque rectangle cut to each rectangle of a clip region.
BOOL FillOpaqueInRegion(PDEV* pdev, const RECTL& opaque, BRUSHOBJ* brush, DWORD rop3, CLIPOBJ* clip) {
  struct {
    ULONG c;
    RECTL arcl[16];
  } rects;
  CLIPOBJ_cEnumStart(clip, FALSE, CT_RECTANGLES, CD_ANY, 0);
  BOOL more = TRUE;
  while (more) {
    more = CLIPOBJ_bEnum(clip, sizeof rects, reinterpret_cast<ULONG*>(&rects));
    for (ULONG i = 0; i < rects.c && i < 16; ++i) {
      const RECTL& piece = rects.arcl[i];
      const RECTL cut{std::max(opaque.left, piece.left), std::max(opaque.top, piece.top),
                      std::min(opaque.right, piece.right), std::min(opaque.bottom, piece.bottom)};
      if (cut.right <= cut.left || cut.bottom <= cut.top) continue;
      if (!FillOpaque(pdev, cut, brush, rop3, nullptr)) return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* /*pptlOrg*/, MIX mix) {
  PDEV* pdev = CheckedPdev(pso);
  if (!pdev) return FALSE;
  if (pdev->job.applicationIgnore) return TRUE;
  // A device font is one of the PDEV's, 1 to its count.
  if (pfo && (pfo->flFontType & DEVICE_FONTTYPE) && !FindDeviceFont(pdev, pfo->iFace)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }

  const bool complexClip = pco && pco->iDComplexity == DC_COMPLEX;
  // A complex region: on PostScript its outline is the clip of the whole run;
  // elsewhere the background is cut to its rectangles and the glyphs to its
  // bounds.
  PostScriptClipBracket bracket(pdev, pso, complexClip ? pco : nullptr);
  if (bracket.Active() && !bracket.Written()) return FALSE;
  CLIPOBJ noClip{};
  CLIPOBJ boundsClip{};
  CLIPOBJ* glyphClip = pco;
  if (complexClip) {
    boundsClip = RectangleClip(pco->rclBounds);
    glyphClip = bracket.Active() ? &noClip : &boundsClip;
  }

  // A rectangle of the run in a brush, within the run's clip.
  auto fillWithinClip = [&](const RECTL& rect, BRUSHOBJ* brush, DWORD rop3) {
    RECTL bounds{};
    if (!complexClip) return FillOpaque(pdev, rect, brush, rop3, ClipRectOrNone(pco, &bounds));
    if (bracket.Active()) return FillOpaque(pdev, rect, brush, rop3, nullptr);
    return FillOpaqueInRegion(pdev, rect, brush, rop3, pco);
  };

  if (prclOpaque) {
    const ROP4 rop4 = MixToRop4(mix);
    if (rop4 != kRop4Nop || pdev->job.pathEscapeDepth > 0) {
      const DWORD rop3 = Rop4ToRop3(rop4, IsPostScriptJob(pdev), kRop3PatternCopy);
      if (!fillWithinClip(*prclOpaque, pboOpaque, rop3)) return FALSE;
    }
  }
  if (!WalkGlyphs(pdev, pstro, glyphClip, pfo, pboOpaque, pboFore)) return FALSE;
  // The underline and strike-out bars of the run (a list ended by an empty
  // rectangle): the engine leaves them to a library that took the text.
  for (const RECTL* bar = prclExtra; bar && !(bar->left == 0 && bar->top == 0 && bar->right == 0 && bar->bottom == 0);
       ++bar) {
    if (bar->right <= bar->left || bar->bottom <= bar->top) continue;
    if (!fillWithinClip(*bar, pboFore, kRop3PatternCopy)) return FALSE;
  }
  return TRUE;
}
