// Stroked and filled paths: the engine's PATHOBJ is cut into its batches and
// each batch goes to the path record dispatch, which hands it to the path or
// rectangle writer. A complex clip region is refused, so that the engine breaks
// the call down into pieces the writers can clip.
#include <climits>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/drawing_support.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/ddi/raster_ops.h"
#include "graphics/dispatch/path_dispatch.h"
#include "graphics/output/vector/vector_path.h"
#include "platform/gdi/eng_services.h"

namespace {

// flOptions value with which a fill entry takes even a complex clip (drawn
// against its bounds).
constexpr FLONG kFillTakesComplexClip = 15;

constexpr WORD kSubpathStartsAndGoesOn = 0;
constexpr WORD kSubpathContinues = 1;
constexpr WORD kSubpathWhole = 2;
constexpr WORD kSubpathEnds = 3;

constexpr WORD kPathKindLines = 1;
constexpr WORD kPathKindBeziers = 2;

WORD SubpathType(FLONG flags) {
  const bool begins = (flags & PD_BEGINSUBPATH) != 0, ends = (flags & PD_ENDSUBPATH) != 0;
  if (begins && ends) return kSubpathWhole;
  if (begins) return kSubpathStartsAndGoesOn;
  if (ends) return kSubpathEnds;
  return kSubpathContinues;
}

// One batch ready for the dispatch: its points (with the previous batch's last
// point in front where the batch goes on from it) and its record flags.
struct Batch {
  std::vector<POINTFIX> points;
  WORD flags = 0;
  WORD kind = kPathKindLines;
};

class PathWalker {
 public:
  PathWalker(PDEV* pdev, int operation, DWORD rop3, const PathRecordPaint& paint)
      : pdev_(pdev), operation_(operation), rop3_(rop3), paint_(paint) {}

  // Sends every batch of the path; a batch is dispatched once the next one is
  // known, so that the last one carries the last-batch flag even when the
  // engine ends with an empty batch.
  BOOL Walk(PATHOBJ* path) {
    PATHOBJ_vEnumStart(path);
    bool havePending = false;
    Batch pending;
    bool first = true;
    BOOL more = TRUE;
    while (more) {
      PATHDATA data{};
      more = PATHOBJ_bEnum(path, &data);
      Batch batch;
      if (!Take(data, &batch)) continue;
      if (havePending && !Send(pending, first, false)) return FALSE;
      if (havePending) first = false;
      pending = std::move(batch);
      havePending = true;
    }
    return havePending ? Send(pending, first, true) : TRUE;
  }

 private:
  // Copies a batch; false for a batch that draws nothing.
  bool Take(const PATHDATA& data, Batch* batch) {
    if (!data.pptfx || data.count == 0 || data.count >= static_cast<ULONG>(INT_MAX)) return false;
    const WORD type = SubpathType(data.flags);
    // A lone start point of a figure (a move with nothing after it) is no mark.
    if (type == kSubpathWhole && data.count < 2) return false;
    batch->points.reserve(data.count + 1);
    if ((type == kSubpathContinues || type == kSubpathEnds) && haveLast_) batch->points.push_back(last_);
    batch->points.insert(batch->points.end(), data.pptfx, data.pptfx + data.count);
    last_ = data.pptfx[data.count - 1];
    haveLast_ = true;
    batch->flags = type;
    if (data.flags & PD_CLOSEFIGURE) batch->flags |= kPathBatchClosed;
    batch->kind = (data.flags & PD_BEZIERS) ? kPathKindBeziers : kPathKindLines;
    return true;
  }

  BOOL Send(const Batch& batch, bool first, bool last) {
    WORD flags = batch.flags;
    if (first) flags |= kPathBatchFirst;
    if (last) flags |= kPathBatchLast;
    pdev_->job.pathKind = batch.kind;
    return DispatchPathRecord(pdev_, operation_, static_cast<int>(batch.points.size()), batch.points.data(), paint_,
                              nullptr, flags, rop3_);
  }

  PDEV* pdev_;
  int operation_;
  DWORD rop3_;
  const PathRecordPaint& paint_;
  POINTFIX last_{};
  bool haveLast_ = false;
};

struct PathRequest {
  SURFOBJ* surface;
  PATHOBJ* path;
  CLIPOBJ* clip;
  XFORMOBJ* xform;
  BRUSHOBJ* stroke;  // the line's brush
  LINEATTRS* line;
  BRUSHOBJ* fill;  // the fill brush, or none
  MIX mix;
  bool strokes;
  bool fills;
  FLONG options;
};

BOOL DrawPath(const PathRequest& request) {
  PDEV* pdev = CheckedPdev(request.surface);
  if (!pdev) return FALSE;
  if (pdev->job.applicationIgnore) return TRUE;
  if (!request.path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The writers clip to one rectangle: a region of several is the engine's to
  // break down.
  if (request.clip && request.clip->iDComplexity == DC_COMPLEX &&
      (!request.fills || request.options != kFillTakesComplexClip))
    return FALSE;

  const bool postScript = IsPostScriptJob(pdev);
  RECTL clipBounds{};
  PathRecordPaint paint;
  paint.clip = ClipRectOrNone(request.clip, &clipBounds);
  paint.line = request.strokes ? request.line : nullptr;
  paint.xform = request.strokes ? request.xform : nullptr;
  paint.fill = request.fills ? request.fill : nullptr;
  ULONG rgb = 0;
  GetSolidBrushColor(request.strokes ? request.stroke : request.fill, &rgb);
  paint.lineRgb = rgb;
  paint.reportFailure = TRUE;
  // A fill without a brush writes the outline only (a clip path in the making).
  paint.noPaint = request.fills && !request.fill && !request.strokes;

  const ROP4 rop4 = MixToRop4(request.mix);
  const DWORD rop3 = Rop4ToRop3(rop4, postScript, kRop3PatternCopy);
  if (rop4 == kRop4Nop && pdev->job.pathEscapeDepth <= 0) {
    if (!postScript) return TRUE;
    paint.noPaint = TRUE;
  }
  const int operation = request.fills && !(request.options & FP_WINDINGMODE) ? kPathOpAlternate : kPathOpWinding;
  return PathWalker(pdev, operation, rop3, paint).Walk(request.path);
}

}  // namespace

BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* /*pptlBrushOrg*/,
                   LINEATTRS* plineattrs, MIX mix) {
  return DrawPath({pso, ppo, pco, pxo, pbo, plineattrs, nullptr, mix, true, false, 0});
}

BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* /*pptlBrushOrg*/, MIX mix,
                 FLONG flOptions) {
  return DrawPath({pso, ppo, pco, nullptr, nullptr, nullptr, pbo, mix, false, true, flOptions});
}

BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* /*pptlBrushOrg*/, MIX mixFill,
                          FLONG flOptions) {
  return DrawPath({pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, mixFill, true, true, flOptions});
}
