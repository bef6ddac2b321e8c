// Brushes and their realisation through the driver.
#include <cstring>

#include "platform/gdi/engine_internal.h"
#include "platform/gdi/live_objects.h"

namespace platform::gdi {

namespace {

// Rows of the standard hatches, 8x8, a set bit drawing the hatch line.
constexpr unsigned char kHatchRows[HS_DDI_MAX][8] = {
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

}  // namespace

Brush::Brush() : BRUSHOBJ{} { LiveObjects<Brush>::Add(this); }

Brush::~Brush() {
  LiveObjects<Brush>::Remove(this);
  if (pattern_ != 0) EngDeleteSurface(pattern_);
}

std::unique_ptr<Brush> Brush::Solid(ULONG rgb) {
  std::unique_ptr<Brush> brush(new Brush());
  brush->iSolidColor = rgb & 0xFFFFFF;
  return brush;
}

std::unique_ptr<Brush> Brush::Hatch(ULONG style, ULONG foregroundRgb, ULONG backgroundRgb, SURFOBJ* target) {
  if (style >= HS_DDI_MAX) return nullptr;
  std::unique_ptr<Brush> brush(new Brush());
  brush->iSolidColor = SOLID_COLOR_NONE;
  brush->hatch_ = style;
  brush->target_ = target;
  brush->pattern_ = EngCreateBitmap(SIZEL{8, 8}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr);
  SURFOBJ* so = SurfaceObject(brush->pattern_);
  if (so == nullptr) return nullptr;
  // Index 0 is the hatch line (foreground), 1 the background.
  for (LONG y = 0; y < 8; ++y)
    static_cast<unsigned char*>(so->pvScan0)[y * so->lDelta] = static_cast<unsigned char>(~kHatchRows[style][y]);
  brush->xlate_ = Xlate::Table({foregroundRgb & 0xFFFFFF, backgroundRgb & 0xFFFFFF});
  return brush;
}

std::unique_ptr<Brush> Brush::Pattern(const SURFOBJ* pattern, std::vector<ULONG> palette, SURFOBJ* target) {
  if (!HasBits(pattern)) return nullptr;
  std::unique_ptr<Brush> brush(new Brush());
  brush->iSolidColor = SOLID_COLOR_NONE;
  brush->target_ = target;
  brush->pattern_ = EngCreateBitmap(pattern->sizlBitmap, 0, pattern->iBitmapFormat, BMF_TOPDOWN, nullptr);
  SURFOBJ* copy = SurfaceObject(brush->pattern_);
  if (copy == nullptr) return nullptr;
  const size_t rowBytes = static_cast<size_t>(copy->lDelta);
  for (LONG y = 0; y < copy->sizlBitmap.cy; ++y)
    std::memcpy(static_cast<unsigned char*>(copy->pvScan0) + y * rowBytes,
                static_cast<const unsigned char*>(pattern->pvScan0) + static_cast<ptrdiff_t>(y) * pattern->lDelta,
                rowBytes);
  brush->xlate_ = palette.empty() ? Xlate::Trivial() : Xlate::Table(std::move(palette));
  return brush;
}

PVOID Brush::Allocate(ULONG cj) {
  // One realisation per brush: a second allocation replaces the first.
  realization_.reset(new (std::nothrow) unsigned char[cj == 0 ? 1 : cj]());
  return realization_.get();
}

PVOID Brush::Realized() {
  if (pvRbrush != nullptr) return pvRbrush;
  if (tried_ || iSolidColor != SOLID_COLOR_NONE) return nullptr;
  tried_ = true;
  DeviceInfo device;
  if (!SurfaceDevice(target_, &device) || device.callbacks.realizeBrush == nullptr) return nullptr;
  realization_.reset();
  const BOOL ok = device.callbacks.realizeBrush(this, target_, SurfaceObject(pattern_), nullptr, xlate_.get(), hatch_);
  if (!ok || !realization_) {
    realization_.reset();
    return nullptr;
  }
  pvRbrush = realization_.get();
  return pvRbrush;
}

}  // namespace platform::gdi

using platform::gdi::Brush;
using platform::gdi::LiveObjects;

ZEL_EXTERN_C PVOID BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj) {
  Brush* brush = LiveObjects<Brush>::Find(pbo);
  return brush != nullptr ? brush->Allocate(cj) : nullptr;
}

ZEL_EXTERN_C PVOID BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo) {
  Brush* brush = LiveObjects<Brush>::Find(pbo);
  if (brush == nullptr) return pbo != nullptr ? pbo->pvRbrush : nullptr;
  return brush->Realized();
}
