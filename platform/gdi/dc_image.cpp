// StretchDIBits on a printer DC: the application's DIB wrapped as an engine
// bitmap (its rows used in place) and stretched onto the device by the graphics
// library, or halftoned by the engine when the library refuses.
#include <algorithm>
#include <cmath>

#include "platform/base/errors.h"
#include "platform/gdi/dc_transform.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {
namespace {

ULONG BitmapFormat(WORD bitCount) {
  switch (bitCount) {
    case 1: return BMF_1BPP;
    case 4: return BMF_4BPP;
    case 8: return BMF_8BPP;
    case 16: return BMF_16BPP;
    case 24: return BMF_24BPP;
    case 32: return BMF_32BPP;
    default: return 0;
  }
}

// An engine bitmap over the caller's rows, deleted with the object.
class WrappedDib {
 public:
  WrappedDib(const BITMAPINFOHEADER& h, const void* bits) {
    const bool topDown = h.biHeight < 0;
    const LONG height = topDown ? -h.biHeight : h.biHeight;
    const LONG stride = ((h.biWidth * h.biBitCount + 31) / 32) * 4;
    handle_ = EngCreateBitmap(SIZEL{h.biWidth, height}, stride, BitmapFormat(h.biBitCount), topDown ? BMF_TOPDOWN : 0,
                              const_cast<void*>(bits));
  }
  ~WrappedDib() {
    if (handle_) EngDeleteSurface(handle_);
  }
  WrappedDib(const WrappedDib&) = delete;
  WrappedDib& operator=(const WrappedDib&) = delete;
  SURFOBJ* get() const { return handle_ ? SurfaceObject(handle_) : nullptr; }

 private:
  HSURF handle_ = 0;
};

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                               int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                               DWORD rop) {
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  if (lpBits == nullptr || lpbmi == nullptr || iUsage != DIB_RGB_COLORS || rop != SRCCOPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  const LONG dibHeight = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || dibHeight == 0 || h.biCompression != BI_RGB ||
      BitmapFormat(h.biBitCount) == 0 || h.biWidth > 0x10000 || dibHeight > 0x10000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!dc->inPage) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The source rectangle inside the DIB, in top-down rows (a bottom-up DIB counts
  // ySrc from its bottom).
  RECTL src{xSrc, h.biHeight > 0 ? dibHeight - ySrc - SrcHeight : ySrc, 0, 0};
  src.right = src.left + SrcWidth;
  src.bottom = src.top + SrcHeight;
  if (RectEmpty(IntersectRect(src, RECTL{0, 0, h.biWidth, dibHeight}))) return 0;

  const PagePoint a = ToDevice(*dc, xDest, yDest), b = ToDevice(*dc, xDest + DestWidth, yDest + DestHeight);
  RECTL dest{static_cast<LONG>(std::lround(std::min(a.x, b.x))), static_cast<LONG>(std::lround(std::min(a.y, b.y))),
             static_cast<LONG>(std::lround(std::max(a.x, b.x))), static_cast<LONG>(std::lround(std::max(a.y, b.y)))};
  if (RectEmpty(dest)) return SrcHeight;

  WrappedDib dib(h, lpBits);
  SURFOBJ* source = dib.get();
  if (source == nullptr) return 0;
  std::unique_ptr<Xlate> xlate;
  if (h.biBitCount <= 8) {
    const ULONG entries = h.biClrUsed != 0 ? std::min<ULONG>(h.biClrUsed, 1u << h.biBitCount) : 1u << h.biBitCount;
    std::vector<ULONG> table;
    for (ULONG i = 0; i < entries; ++i) {
      const RGBQUAD& q = lpbmi->bmiColors[i];
      table.push_back(q.rgbRed | (q.rgbGreen << 8) | (static_cast<ULONG>(q.rgbBlue) << 16));
    }
    xlate = Xlate::Table(std::move(table));
  } else {
    xlate = Xlate::Trivial();
  }

  SURFOBJ* pso = dc->Surface();
  const RECTL surface{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  std::unique_ptr<Clip> clip =
      dc->drawing.clipped ? Clip::Region(IntersectRegions(dc->drawing.clip, {surface})) : Clip::Trivial(surface);
  if (RectEmpty(clip->rclBounds)) return SrcHeight;
  POINTL halftoneOrigin{0, 0};
  auto stretch = dc->driver->Get<PFN_DrvStretchBlt>(INDEX_DrvStretchBlt);
  if (stretch && (SurfaceHooks(pso) & HOOK_STRETCHBLT) &&
      stretch(pso, source, nullptr, clip.get(), xlate.get(), nullptr, &halftoneOrigin, &dest, &src, nullptr,
              HALFTONE)) {
    return SrcHeight;
  }
  // The engine halftones into the device's format and hands it over with DrvCopyBits.
  if (EngStretchBlt(pso, source, nullptr, clip.get(), xlate.get(), nullptr, &halftoneOrigin, &dest, &src, nullptr,
                    HALFTONE))
    return SrcHeight;
  return 0;
}
