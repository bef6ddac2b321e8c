// What the engine's service files share among themselves (not for drivers).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gdi/engine.h"

namespace platform::gdi {

// Lets EngDeletePath free `path` (a path the engine gave the driver to own).
void MarkPathHandedOut(const Path* path);

// The device behind a surface, if EngAssociateSurface linked one.
struct DeviceInfo {
  DriverCallbacks callbacks;
  DHPDEV dhpdev = nullptr;
  ULONG halftoneFormat = HT_FORMAT_1BPP;
};
bool SurfaceDevice(const SURFOBJ* pso, DeviceInfo* info);

// True when the engine owns pixels for the surface (a bitmap it can draw on).
bool HasBits(const SURFOBJ* pso);

// Pixels as 0x00BBGGRR. Indexed formats go through `palette` when given
// (grey ramps otherwise: 1 bpp 0 black / 1 white); 16 bpp is 5-5-5; 24 and
// 32 bpp store blue, green, red in memory order.
ULONG ReadPixel(const SURFOBJ* pso, LONG x, LONG y, const XLATEOBJ* palette);
void WritePixel(SURFOBJ* pso, LONG x, LONG y, ULONG rgb);
// Raw pixel value, as EngEraseSurface takes it.
void WriteRawPixel(SURFOBJ* pso, LONG x, LONG y, ULONG value);

// A bitmap surface the engine owns, deleted with the object.
class ScratchBitmap {
 public:
  ScratchBitmap(LONG cx, LONG cy, ULONG format);
  ~ScratchBitmap();
  ScratchBitmap(const ScratchBitmap&) = delete;
  ScratchBitmap& operator=(const ScratchBitmap&) = delete;
  SURFOBJ* get() const { return so_; }

 private:
  HSURF handle_ = 0;
  SURFOBJ* so_ = nullptr;
};

inline RECTL IntersectRect(const RECTL& a, const RECTL& b) {
  RECTL r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
          a.bottom < b.bottom ? a.bottom : b.bottom};
  if (r.right <= r.left || r.bottom <= r.top) r = RECTL{0, 0, 0, 0};
  return r;
}
inline bool RectEmpty(const RECTL& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace platform::gdi
