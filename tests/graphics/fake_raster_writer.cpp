#include "tests/graphics/fake_raster_writer.h"

#include <algorithm>
#include <cstdlib>

#include "graphics/core/pdev.h"
#include "platform/base/errors.h"

namespace graphicstest {

RasterWriterLog& FakeRasterWriter() {
  static RasterWriterLog log;
  return log;
}

namespace {

// Bytes of one scan line of a surface.
size_t RowBytes(const SURFOBJ& surface) { return static_cast<size_t>(std::abs(surface.lDelta)); }

}  // namespace

}  // namespace graphicstest

BOOL ClipImageToBand(PDEV* pdev, SURFOBJ* source, const RECTL* sourceRect, const RECTL* dest, const RECTL* clip,
                     DWORD rop3, XLATEOBJ* xlate, int placement) {
  using namespace graphicstest;
  ImageCall call{};
  call.pdev = pdev;
  if (source) call.source = *source;
  if (sourceRect) call.sourceRect = *sourceRect;
  if (dest) call.dest = *dest;
  if (clip) call.clip = *clip;
  call.rop3 = rop3;
  if (xlate && (xlate->flXlate & XO_TABLE) && xlate->pulXlate)
    call.colors.assign(xlate->pulXlate, xlate->pulXlate + xlate->cEntries);
  call.placement = placement;
  if (pdev) {
    call.bltState = pdev->drawing.bltState;
    call.pendingRop = pdev->drawing.pendingRop;
    call.streamFill = pdev->output.fill;
  }
  if (source && sourceRect && source->pvScan0) {
    const LONG top = std::max<LONG>(sourceRect->top, 0);
    const LONG bottom = std::min<LONG>(sourceRect->bottom, source->sizlBitmap.cy);
    for (LONG y = top; y < bottom; ++y) {
      const BYTE* row = static_cast<const BYTE*>(source->pvScan0) + static_cast<ptrdiff_t>(y) * source->lDelta;
      call.rows.emplace_back(row, row + RowBytes(*source));
    }
  }
  auto& log = FakeRasterWriter();
  log.images.push_back(std::move(call));
  if (!log.result) SetLastError(ERROR_NOT_SUPPORTED);
  return log.result;
}
