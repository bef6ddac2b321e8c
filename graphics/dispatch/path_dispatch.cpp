#include "graphics/dispatch/path_dispatch.h"

#include <algorithm>
#include <cstdint>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/vector/vector_path.h"
#include "graphics/output/vector/vector_rectangle.h"

namespace {

constexpr DWORD kRop3PatInvert = 0x5A;
// PCL 5 printers with pixel placement (PdlKind bit 0x80) need no correction of
// the PATINVERT rectangle's bottom edge.
constexpr WORD kPdlPixelPlacement = 0x80;

bool SamePoint(const POINTFIX& a, const POINTFIX& b) { return a.x == b.x && a.y == b.y; }

// clang-format off
LONG ClampToLong(int64_t value) {
  return static_cast<LONG>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
  // clang-format on
}

BOOL WriteRecordRectangle(PDEV* pdev, const RECTL& rect, const PathRecordPaint& paint, const RECTL* clip, DWORD rop) {
  return WriteRectangle(pdev, &rect, paint.line, paint.xform, paint.fill, paint.lineRgb, rop, clip, paint.reportFailure,
                        paint.noPaint);
}

BOOL DispatchRectangle(PDEV* pdev, int count, const POINTFIX* points, const PathRecordPaint& paint, const RECTL* band,
                       DWORD rop) {
  if (count < 2) return FALSE;
  RECTL rect{points[0].x, points[0].y, ClampToLong(int64_t(points[1].x) - 1), ClampToLong(int64_t(points[1].y) - 1)};
  // A band the rectangle was cut to is spent; otherwise it goes on as the clip
  // (met with the caller's clip when there is one: both are pixels).
  const RECTL* clip = paint.clip;
  RECTL bandClip{};
  if (band != nullptr) {
    if (rect.left >= 0 && rect.top >= 0) {
      ClipRectToBand16(&rect, &rect, band);
    } else {
      bandClip = *band;
      if (paint.clip != nullptr) {
        bandClip.left = std::max(bandClip.left, paint.clip->left);
        bandClip.top = std::max(bandClip.top, paint.clip->top);
        bandClip.right = std::min(bandClip.right, paint.clip->right);
        bandClip.bottom = std::min(bandClip.bottom, paint.clip->bottom);
      }
      clip = &bandClip;
    }
  }
  return WriteRecordRectangle(pdev, rect, paint, clip, rop);
}

BOOL DispatchFigure(PDEV* pdev, int operation, int count, const POINTFIX* points, const PathRecordPaint& paint,
                    WORD recordFlags, DWORD rop) {
  const WORD pdl = pdev->devmode.dmPrivate._nPDL;
  const bool wholePath = (recordFlags & kPathBatchFirst) && (recordFlags & kPathBatchLast);
  // An open figure may stand for a rectangle only where it is filled and not
  // stroked: filling closes it, but a stroke of an open U-shape must not gain
  // its fourth side.
  const bool closed = (recordFlags & kPathBatchClosed) != 0;
  const bool closedByFill = paint.clip != nullptr && paint.line == nullptr;
  RECTL rect{};
  if (IsPostScriptPdl(pdl) && wholePath && (closed || closedByFill) && GetAxisAlignedRect(points, count, &rect))
    return WriteRecordRectangle(pdev, rect, paint, paint.clip, rop);

  POINTFIX adjusted[5];
  const POINTFIX* written = points;
  if (((rop >> 16) & 0xFF) == kRop3PatInvert && count == 5 && points != nullptr && SamePoint(points[4], points[0]) &&
      !(pdl & kPdlPixelPlacement)) {
    // The caller's points stay as they are; the writer gets a corrected copy.
    std::copy(points, points + 5, adjusted);
    adjusted[2].y -= 1;
    adjusted[3].y -= 1;
    written = adjusted;
  }
  const DWORD fillRule = operation == kPathOpWinding ? kPathFillWinding : kPathFillAlternate;
  return WritePath(pdev, count, written, paint.line, paint.xform, paint.fill, paint.clip, fillRule, recordFlags,
                   paint.lineRgb, rop, paint.reportFailure, paint.noPaint);
}

}  // namespace

BOOL DispatchPathRecord(PDEV* pdev, int operation, int count, const POINTFIX* points, const PathRecordPaint& paint,
                        const RECTL* band, WORD recordFlags, DWORD rop) {
  if (pdev == nullptr || points == nullptr || count < 1) return FALSE;
  switch (operation) {
    case kPathOpRectangle: return DispatchRectangle(pdev, count, points, paint, band, rop);
    case kPathOpPolyline:
      return WritePath(pdev, count, points, paint.line, paint.xform, paint.fill, nullptr, kPathFillNone, recordFlags,
                       paint.lineRgb, rop, paint.reportFailure, paint.noPaint);
    case kPathOpWinding:
    case kPathOpAlternate: return DispatchFigure(pdev, operation, count, points, paint, recordFlags, rop);
    default: return FALSE;
  }
}

BOOL GetAxisAlignedRect(const POINTFIX* points, int count, RECTL* out) {
  if (out != nullptr) *out = RECTL{0, 0, 0, 0};
  if (points == nullptr || (count != 4 && count != 5)) return FALSE;
  if (count == 5 && !SamePoint(points[4], points[0])) return FALSE;
  const POINTFIX &p0 = points[0], &p1 = points[1], &p2 = points[2], &p3 = points[3];
  // Corners in either winding: the first edge horizontal, or the first edge vertical.
  const bool horizontalFirst =
      p0.y == p1.y && p1.x == p2.x && p2.y == p3.y && p3.x == p0.x && p0.x != p1.x && p0.y != p3.y;
  const bool verticalFirst =
      p0.x == p1.x && p1.y == p2.y && p2.x == p3.x && p3.y == p0.y && p0.y != p1.y && p0.x != p3.x;
  if (!horizontalFirst && !verticalFirst) return FALSE;
  if (out != nullptr)
    *out = RECTL{std::min(p0.x, p2.x), std::min(p0.y, p2.y), std::max(p0.x, p2.x), std::max(p0.y, p2.y)};
  return TRUE;
}

void ClipRectToBand16(RECTL* out, const RECTL* rect, const RECTL* band) {
  if (out == nullptr || rect == nullptr || band == nullptr) return;
  const RECTL source = *rect;
  out->left = ClampToLong(std::max<int64_t>(source.left, int64_t(band->left) * 16));
  out->top = ClampToLong(std::max<int64_t>(source.top, int64_t(band->top) * 16));
  out->right = ClampToLong(std::min<int64_t>(source.right, int64_t(band->right) * 16));
  out->bottom = ClampToLong(std::min<int64_t>(source.bottom, int64_t(band->bottom) * 16));
}
