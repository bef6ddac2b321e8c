// Devices, surfaces and palettes: the handles EngCreate* answer and the pixel
// access the engine's raster services share.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/gdi/engine_internal.h"

namespace platform::gdi {

namespace {

class Device : public KernelObject {
 public:
  DeviceInfo info;
};

class Surface : public KernelObject {
 public:
  SURFOBJ so{};
  FLONG hooks = 0;
  std::unique_ptr<unsigned char[]> bits;  // engine-owned pixels, if any
  bool hasBits = false;
};

class Palette : public KernelObject {
 public:
  ULONG mode = 0;
  std::vector<ULONG> colors;
};

// SURFOBJ pointers the engine handed out -> their surfaces.
std::mutex surfaceMutex;
std::unordered_map<const SURFOBJ*, std::shared_ptr<Surface>> surfacesByObject;

std::shared_ptr<Surface> FindSurface(const SURFOBJ* pso) {
  std::lock_guard lock(surfaceMutex);
  auto it = surfacesByObject.find(pso);
  return it == surfacesByObject.end() ? nullptr : it->second;
}

HSURF Register(const std::shared_ptr<Surface>& surface) {
  HANDLE handle = InsertHandle(surface);
  if (handle == 0) return 0;
  surface->so.hsurf = handle;
  std::lock_guard lock(surfaceMutex);
  surfacesByObject[&surface->so] = surface;
  return handle;
}

LONG DefaultStride(LONG cx, ULONG format) {
  int64_t bitsPerPixel = 0;
  switch (format) {
    case BMF_1BPP: bitsPerPixel = 1; break;
    case BMF_4BPP: bitsPerPixel = 4; break;
    case BMF_8BPP: bitsPerPixel = 8; break;
    case BMF_16BPP: bitsPerPixel = 16; break;
    case BMF_24BPP: bitsPerPixel = 24; break;
    case BMF_32BPP: bitsPerPixel = 32; break;
    default: return -1;
  }
  const int64_t stride = ((cx * bitsPerPixel + 31) / 32) * 4;
  return stride > INT32_MAX ? -1 : static_cast<LONG>(stride);
}

unsigned char* PixelRow(const SURFOBJ* pso, LONG y) {
  return static_cast<unsigned char*>(pso->pvScan0) + static_cast<ptrdiff_t>(y) * pso->lDelta;
}

ULONG GreyRamp(ULONG index, ULONG levels) {
  const ULONG v = levels <= 1 ? 0 : index * 255 / (levels - 1);
  return v | (v << 8) | (v << 16);
}

}  // namespace

HDEV CreateDevice(const DriverCallbacks& callbacks, ULONG halftoneFormat) {
  auto device = std::make_shared<Device>();
  device->info.callbacks = callbacks;
  device->info.halftoneFormat = halftoneFormat;
  return InsertHandle(device);
}

bool SetDevicePdev(HDEV hdev, DHPDEV dhpdev) {
  auto device = LookupHandle<Device>(hdev);
  if (!device) return false;
  device->info.dhpdev = dhpdev;
  return true;
}

bool SetDeviceHalftoneFormat(HDEV hdev, ULONG halftoneFormat) {
  auto device = LookupHandle<Device>(hdev);
  if (!device) return false;
  device->info.halftoneFormat = halftoneFormat;
  return true;
}

bool DeleteDevice(HDEV hdev) { return LookupHandle<Device>(hdev) != nullptr && RemoveHandle(hdev); }

FLONG SurfaceHooks(const SURFOBJ* pso) {
  auto surface = FindSurface(pso);
  return surface ? surface->hooks : 0;
}

SURFOBJ* SurfaceObject(HSURF hsurf) {
  auto surface = LookupHandle<Surface>(hsurf);
  return surface ? &surface->so : nullptr;
}

bool SurfaceDevice(const SURFOBJ* pso, DeviceInfo* info) {
  if (pso == nullptr || pso->hdev == 0) return false;
  auto device = LookupHandle<Device>(pso->hdev);
  if (!device) return false;
  *info = device->info;
  return true;
}

bool HasBits(const SURFOBJ* pso) {
  if (pso == nullptr || pso->pvScan0 == nullptr) return false;
  return pso->iType == STYPE_BITMAP;
}

ULONG ReadPixel(const SURFOBJ* pso, LONG x, LONG y, const XLATEOBJ* palette) {
  const unsigned char* row = PixelRow(pso, y);
  ULONG index = 0;
  ULONG levels = 0;
  switch (pso->iBitmapFormat) {
    // clang-format off
    case BMF_1BPP: index = (row[x / 8] >> (7 - x % 8)) & 1; levels = 2; break;
    case BMF_4BPP: index = (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF; levels = 16; break;
    case BMF_8BPP: index = row[x]; levels = 256; break;
    // clang-format on
    case BMF_16BPP: {
      const ULONG v = row[2 * x] | (row[2 * x + 1] << 8);
      const ULONG r = ((v >> 10) & 31) * 255 / 31, g = ((v >> 5) & 31) * 255 / 31, b = (v & 31) * 255 / 31;
      return r | (g << 8) | (b << 16);
    }
    case BMF_24BPP: return row[3 * x + 2] | (row[3 * x + 1] << 8) | (row[3 * x] << 16);
    case BMF_32BPP: return row[4 * x + 2] | (row[4 * x + 1] << 8) | (row[4 * x] << 16);
    default: return 0;
  }
  if (palette != nullptr && (palette->flXlate & XO_TABLE) && palette->pulXlate != nullptr)
    return index < palette->cEntries ? palette->pulXlate[index] & 0xFFFFFF : 0;
  return GreyRamp(index, levels);
}

void WritePixel(SURFOBJ* pso, LONG x, LONG y, ULONG rgb) {
  const ULONG r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  const ULONG grey = (30 * r + 59 * g + 11 * b) / 100;
  switch (pso->iBitmapFormat) {
    case BMF_1BPP: WriteRawPixel(pso, x, y, grey >= 128 ? 1 : 0); break;
    case BMF_4BPP: WriteRawPixel(pso, x, y, grey * 15 / 255); break;
    case BMF_8BPP: WriteRawPixel(pso, x, y, grey); break;
    case BMF_16BPP: WriteRawPixel(pso, x, y, ((r * 31 / 255) << 10) | ((g * 31 / 255) << 5) | (b * 31 / 255)); break;
    case BMF_24BPP:
    case BMF_32BPP: WriteRawPixel(pso, x, y, b | (g << 8) | (r << 16)); break;
    default: break;
  }
}

void WriteRawPixel(SURFOBJ* pso, LONG x, LONG y, ULONG value) {
  unsigned char* row = PixelRow(pso, y);
  switch (pso->iBitmapFormat) {
    case BMF_1BPP: {
      const unsigned char bit = static_cast<unsigned char>(0x80 >> (x % 8));
      row[x / 8] = static_cast<unsigned char>((value & 1) ? (row[x / 8] | bit) : (row[x / 8] & ~bit));
      break;
    }
    case BMF_4BPP: {
      unsigned char& cell = row[x / 2];
      cell = static_cast<unsigned char>(x % 2 == 0 ? ((cell & 0x0F) | ((value & 0xF) << 4))
                                                   : ((cell & 0xF0) | (value & 0xF)));
      break;
    }
    case BMF_8BPP: row[x] = static_cast<unsigned char>(value); break;
    case BMF_16BPP: std::memcpy(row + 2 * x, &value, 2); break;  // little-endian host
    case BMF_24BPP: std::memcpy(row + 3 * x, &value, 3); break;
    case BMF_32BPP: std::memcpy(row + 4 * x, &value, 4); break;
    default: break;
  }
}

ScratchBitmap::ScratchBitmap(LONG cx, LONG cy, ULONG format) {
  handle_ = EngCreateBitmap(SIZEL{cx, cy}, 0, format, BMF_TOPDOWN, nullptr);
  so_ = handle_ != 0 ? SurfaceObject(handle_) : nullptr;
}

ScratchBitmap::~ScratchBitmap() {
  if (handle_ != 0) EngDeleteSurface(handle_);
}

}  // namespace platform::gdi

using namespace platform;
using namespace platform::gdi;

ZEL_EXTERN_C HSURF EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat) {
  if (sizl.cx <= 0 || sizl.cy <= 0 || DefaultStride(1, iFormatCompat) < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto surface = std::make_shared<Surface>();
  surface->so.dhsurf = dhsurf;
  surface->so.sizlBitmap = sizl;
  surface->so.iBitmapFormat = iFormatCompat;
  surface->so.iType = STYPE_DEVICE;
  return Register(surface);
}

ZEL_EXTERN_C HBITMAP EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  const LONG minimum = DefaultStride(sizl.cx, iFormat);
  if (sizl.cx <= 0 || sizl.cy <= 0 || minimum < 0 || (lWidth != 0 && std::abs(lWidth) < minimum)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const LONG stride = lWidth != 0 ? std::abs(lWidth) : minimum;
  const uint64_t size = static_cast<uint64_t>(stride) * static_cast<uint64_t>(sizl.cy);
  if (size > 0x7FFFFFFFu) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  auto surface = std::make_shared<Surface>();
  unsigned char* bits = static_cast<unsigned char*>(pvBits);
  if (bits == nullptr) {
    surface->bits.reset(new (std::nothrow) unsigned char[size]);
    if (!surface->bits) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    if (!(fl & BMF_NOZEROINIT)) std::memset(surface->bits.get(), 0, size);
    bits = surface->bits.get();
  }
  SURFOBJ& so = surface->so;
  so.sizlBitmap = sizl;
  so.cjBits = static_cast<ULONG>(size);
  so.pvBits = bits;
  so.iBitmapFormat = iFormat;
  so.iType = STYPE_BITMAP;
  so.fjBitmap = static_cast<USHORT>(fl & BMF_TOPDOWN);
  if (fl & BMF_TOPDOWN) {
    so.pvScan0 = bits;
    so.lDelta = stride;
  } else {
    so.pvScan0 = bits + static_cast<size_t>(size) - stride;
    so.lDelta = -stride;
  }
  return Register(surface);
}

ZEL_EXTERN_C BOOL EngDeleteSurface(HSURF hsurf) {
  auto surface = LookupHandle<Surface>(hsurf);
  if (!surface) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard lock(surfaceMutex);
    surfacesByObject.erase(&surface->so);
  }
  RemoveHandle(hsurf);
  return TRUE;
}

ZEL_EXTERN_C BOOL EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  auto surface = LookupHandle<Surface>(hsurf);
  auto device = LookupHandle<Device>(hdev);
  if (!surface || !device) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  surface->so.hdev = hdev;
  surface->so.dhpdev = device->info.dhpdev;
  surface->hooks = flHooks;
  return TRUE;
}

ZEL_EXTERN_C SURFOBJ* EngLockSurface(HSURF hsurf) { return SurfaceObject(hsurf); }

ZEL_EXTERN_C void EngUnlockSurface(SURFOBJ*) {}

ZEL_EXTERN_C HPALETTE EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG, FLONG, FLONG) {
  if (iMode != PAL_INDEXED && iMode != PAL_BITFIELDS && iMode != PAL_RGB && iMode != PAL_BGR) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto palette = std::make_shared<Palette>();
  palette->mode = iMode;
  if (iMode == PAL_INDEXED) {
    if (cColors == 0 || cColors > 65536 || pulColors == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    palette->colors.assign(pulColors, pulColors + cColors);
  }
  return InsertHandle(palette);
}

ZEL_EXTERN_C BOOL EngDeletePalette(HPALETTE hpal) {
  if (!LookupHandle<Palette>(hpal)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return RemoveHandle(hpal) ? TRUE : FALSE;
}

ZEL_EXTERN_C BOOL EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor) {
  if (!HasBits(pso)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECTL area{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  if (prcl != nullptr) area = IntersectRect(area, *prcl);
  for (LONG y = area.top; y < area.bottom; ++y)
    for (LONG x = area.left; x < area.right; ++x) WriteRawPixel(pso, x, y, iColor);
  return TRUE;
}
