// Raster operations the driver hands back to the engine. On a device surface the
// engine has no pixels: it reads the area back into a bitmap with the driver's
// DrvCopyBits, draws there and writes the bitmap back with DrvCopyBits, so it
// never calls the driver's DrvBitBlt (which handed the call here) again.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/base/errors.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/live_objects.h"

namespace platform::gdi {

namespace {

constexpr unsigned char kBayer8[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                         {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                         {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                         {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

RECTL Normalized(const RECTL& r) {
  return RECTL{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
               std::max(r.top, r.bottom)};
}

RECTL SurfaceRect(const SURFOBJ* pso) { return RECTL{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy}; }

ULONG ApplyRop3(ULONG rop3, ULONG p, ULONG s, ULONG d) {
  ULONG result = 0;
  for (ULONG index = 0; index < 8; ++index) {
    if (!(rop3 & (1u << index))) continue;
    result |= ((index & 4) ? p : ~p) & ((index & 2) ? s : ~s) & ((index & 1) ? d : ~d);
  }
  return result & 0xFFFFFF;
}

bool RopUsesSource(ULONG rop3) { return (((rop3 >> 2) ^ rop3) & 0x33) != 0; }
bool RopUsesPattern(ULONG rop3) { return (((rop3 >> 4) ^ rop3) & 0x0F) != 0; }

// The dither level (0-64) of each grey.
std::array<unsigned char, 256> DitherLevels() {
  std::array<unsigned char, 256> levels{};
  for (ULONG grey = 0; grey < 256; ++grey) levels[grey] = static_cast<unsigned char>(grey * 64 / 255);
  return levels;
}

// For each matrix cell, the least weighted sum 30 r + 59 g + 11 b that lights
// it: the grey is that sum / 100, and a cell lights when the grey's level is
// above it, so one comparison of the sum stands for the division, the level
// table and the comparison.
std::array<ULONG, 64> DitherSums(const std::array<unsigned char, 256>& levels) {
  std::array<ULONG, 64> sums{};
  for (ULONG cell = 0; cell < 64; ++cell) {
    ULONG grey = 0;
    while (levels[grey] <= cell) ++grey;  // level 64 (grey 255) lights every cell
    sums[cell] = 100 * grey;
  }
  return sums;
}

// One output row of the 1 bpp halftone from a 24-bit source row read one
// pixel per output pixel (no scaling, no mirror): the bits of `count` pixels
// (a multiple of eight) from `pixels` into `out`, pixel k lit when its sum
// 30 r + 59 g + 11 b reaches thresholds[k & 7]. The photograph's stretch is
// this loop for every pixel of the page, so it gets a vector form where the
// processor has one; both forms give the same bits.
using DitherRowFn = void (*)(const unsigned char* pixels, LONG count, const ULONG* thresholds, unsigned char* out);

void DitherRowPlain(const unsigned char* pixels, LONG count, const ULONG* thresholds, unsigned char* out) {
  for (LONG i = 0; i < count; i += 8) {
    unsigned byte = 0;
    for (LONG k = 0; k < 8; ++k, pixels += 3) {
      const ULONG sum = 30 * ULONG{pixels[2]} + 59 * ULONG{pixels[1]} + 11 * ULONG{pixels[0]};
      byte = (byte << 1) | (sum >= thresholds[k] ? 1u : 0u);
    }
    *out++ = static_cast<unsigned char>(byte);
  }
}

#if defined(__x86_64__)
// Eight pixels (24 bytes) a step: two overlapping loads, byte shuffles that set
// blue beside green and red beside zero with the pixels in reverse order (so
// the mask's top bit is the first pixel), two multiply-adds for the sums (at
// most 25,500: they fit in signed 16 bits), one comparison.
__attribute__((target("ssse3"))) void DitherRowSsse3(const unsigned char* pixels, LONG count, const ULONG* thresholds,
                                                     unsigned char* out) {
  // Lane j (16-bit) holds pixel 7 - j. Pixels 0-4 come from the load at 0
  // (bytes 0-14), pixels 5-7 from the load at 8 (their bytes 15-23 at 7-15).
  // clang-format off
  const __m128i blueGreenLow = _mm_setr_epi8(-1, -1, -1, -1, -1, -1,  12, 13,  9, 10,  6,  7,  3,  4,  0,  1);
  const __m128i blueGreenHigh = _mm_setr_epi8(13, 14, 10, 11,  7,  8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i redLow = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 14, -1, 11, -1,  8, -1,  5, -1,  2, -1);
  const __m128i redHigh = _mm_setr_epi8(15, -1, 12, -1,  9, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  // clang-format on
  const __m128i blueGreenWeights = _mm_set1_epi16(static_cast<short>(11 | (59 << 8)));
  const __m128i redWeights = _mm_set1_epi16(30);
  // The thresholds less one, so that "greater than" reads "at least".
  const __m128i limits = _mm_setr_epi16(static_cast<short>(thresholds[7] - 1), static_cast<short>(thresholds[6] - 1),
                                        static_cast<short>(thresholds[5] - 1), static_cast<short>(thresholds[4] - 1),
                                        static_cast<short>(thresholds[3] - 1), static_cast<short>(thresholds[2] - 1),
                                        static_cast<short>(thresholds[1] - 1), static_cast<short>(thresholds[0] - 1));
  for (LONG i = 0; i < count; i += 8, pixels += 24) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 8));
    const __m128i blueGreen = _mm_or_si128(_mm_shuffle_epi8(low, blueGreenLow), _mm_shuffle_epi8(high, blueGreenHigh));
    const __m128i red = _mm_or_si128(_mm_shuffle_epi8(low, redLow), _mm_shuffle_epi8(high, redHigh));
    const __m128i sums =
        _mm_add_epi16(_mm_maddubs_epi16(blueGreen, blueGreenWeights), _mm_mullo_epi16(red, redWeights));
    const __m128i lit = _mm_cmpgt_epi16(sums, limits);
    *out++ = static_cast<unsigned char>(_mm_movemask_epi8(_mm_packs_epi16(lit, lit)) & 0xFF);
  }
}
#endif

DitherRowFn ChooseDitherRow() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("ssse3")) return DitherRowSsse3;
#endif
  return DitherRowPlain;
}

ULONG SourceColor(const SURFOBJ* src, LONG x, LONG y, const XLATEOBJ* pxlo) {
  if (x < 0 || y < 0 || x >= src->sizlBitmap.cx || y >= src->sizlBitmap.cy) return 0xFFFFFF;
  return ReadPixel(src, x, y, pxlo);
}

// Draws the operation into `work`, a bitmap whose pixel (0,0) is device pixel `origin`.
bool Render(SURFOBJ* work, POINTL origin, const SURFOBJ* psoSrc, const SURFOBJ* psoMask, const CLIPOBJ* pco,
            const XLATEOBJ* pxlo, const RECTL& target, const POINTL* pptlSrc, const POINTL* pptlMask, BRUSHOBJ* pbo,
            const POINTL* pptlBrush, ROP4 rop4, const RECTL& deviceBounds) {
  const ULONG fore = rop4 & 0xFF, back = (rop4 >> 8) & 0xFF;
  const bool needSource = RopUsesSource(fore) || RopUsesSource(back);
  const bool needPattern = RopUsesPattern(fore) || RopUsesPattern(back);
  if (needSource && (!HasBits(psoSrc) || pptlSrc == nullptr)) return false;
  const Brush* brush = needPattern ? LiveObjects<Brush>::Find(pbo) : nullptr;
  if (needPattern && pbo == nullptr) return false;
  const SURFOBJ* pattern = brush != nullptr && pbo->iSolidColor == SOLID_COLOR_NONE ? brush->PatternSurface() : nullptr;
  const POINTL brushOrigin = pptlBrush != nullptr ? *pptlBrush : POINTL{0, 0};
  const bool useMask = fore != back && HasBits(psoMask) && psoMask->iBitmapFormat == BMF_1BPP;

  for (const RECTL& clipRect : ClipRects(pco, deviceBounds)) {
    const RECTL area = IntersectRect(IntersectRect(clipRect, target), deviceBounds);
    for (LONG y = area.top; y < area.bottom; ++y) {
      for (LONG x = area.left; x < area.right; ++x) {
        const LONG wx = x - origin.x, wy = y - origin.y;
        if (wx < 0 || wy < 0 || wx >= work->sizlBitmap.cx || wy >= work->sizlBitmap.cy) continue;
        ULONG rop3 = fore;
        if (fore != back) {
          bool maskBit = true;
          if (useMask && pptlMask != nullptr) {
            const LONG mx = pptlMask->x + x - target.left, my = pptlMask->y + y - target.top;
            maskBit = mx >= 0 && my >= 0 && mx < psoMask->sizlBitmap.cx && my < psoMask->sizlBitmap.cy &&
                      (ReadPixel(psoMask, mx, my, nullptr) & 0xFF) != 0;
          }
          rop3 = maskBit ? fore : back;
        }
        const ULONG s =
            needSource ? SourceColor(psoSrc, pptlSrc->x + x - target.left, pptlSrc->y + y - target.top, pxlo) : 0;
        ULONG p = 0;
        if (needPattern) {
          if (pattern != nullptr) {
            const LONG cx = pattern->sizlBitmap.cx, cy = pattern->sizlBitmap.cy;
            const LONG px = ((x - brushOrigin.x) % cx + cx) % cx, py = ((y - brushOrigin.y) % cy + cy) % cy;
            p = ReadPixel(pattern, px, py, brush->PatternXlate());
          } else {
            p = pbo->iSolidColor & 0xFFFFFF;
          }
        }
        const ULONG d = ReadPixel(work, wx, wy, nullptr);
        WritePixel(work, wx, wy, ApplyRop3(rop3, p, s, d));
      }
    }
  }
  return true;
}

}  // namespace

}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C BOOL EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                            RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
                            ROP4 rop4) {
  if (psoTrg == nullptr || prclTrg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const RECTL target = Normalized(*prclTrg);
  const RECTL bounds = SurfaceRect(psoTrg);
  if (HasBits(psoTrg))
    return Render(psoTrg, POINTL{0, 0}, psoSrc, psoMask, pco, pxlo, target, pptlSrc, pptlMask, pbo, pptlBrush, rop4,
                  bounds)
               ? TRUE
               : FALSE;

  DeviceInfo device;
  if (!SurfaceDevice(psoTrg, &device) || device.callbacks.copyBits == nullptr ||
      !(SurfaceHooks(psoTrg) & HOOK_COPYBITS)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  const RECTL area = IntersectRect(target, bounds);
  if (RectEmpty(area)) return TRUE;
  ScratchBitmap scratch(area.right - area.left, area.bottom - area.top, BMF_24BPP);
  if (scratch.get() == nullptr) return FALSE;
  RECTL scratchRect{0, 0, area.right - area.left, area.bottom - area.top};
  // Read back what the device holds there (a printer answers white), draw, write back.
  POINTL from{area.left, area.top};
  if (!device.callbacks.copyBits(scratch.get(), psoTrg, nullptr, nullptr, &scratchRect, &from))
    EngEraseSurface(scratch.get(), &scratchRect, 0xFFFFFFFF);
  if (!Render(scratch.get(), from, psoSrc, psoMask, pco, pxlo, target, pptlSrc, pptlMask, pbo, pptlBrush, rop4, bounds))
    return FALSE;
  RECTL writeRect = area;
  POINTL origin{0, 0};
  return device.callbacks.copyBits(psoTrg, scratch.get(), pco, nullptr, &writeRect, &origin);
}

ZEL_EXTERN_C BOOL EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                              POINTL* pptlSrc) {
  // Only bitmaps the engine can address: a device surface is the driver's to copy.
  if (!HasBits(psoDest) || !HasBits(psoSrc) || prclDest == nullptr || pptlSrc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Render(psoDest, POINTL{0, 0}, psoSrc, nullptr, pco, pxlo, Normalized(*prclDest), pptlSrc, nullptr, nullptr,
                nullptr, 0xCCCC, SurfaceRect(psoDest))
             ? TRUE
             : FALSE;
}

ZEL_EXTERN_C BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                POINTL* pptlMask, ULONG iMode) {
  (void)psoMask;  // masks are not used by this engine's stretch (the callers pass none)
  (void)pca;
  (void)pptlMask;
  if (psoDest == nullptr || !HasBits(psoSrc) || prclDest == nullptr || prclSrc == nullptr || iMode < BLACKONWHITE ||
      iMode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const RECTL dst = Normalized(*prclDest), src = Normalized(*prclSrc);
  const LONG dw = dst.right - dst.left, dh = dst.bottom - dst.top, sw = src.right - src.left, sh = src.bottom - src.top;
  if (dw == 0 || dh == 0) return TRUE;
  if (sw == 0 || sh == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A rectangle given right-to-left or bottom-to-top mirrors the image.
  const bool flipX = (prclDest->left > prclDest->right) != (prclSrc->left > prclSrc->right);
  const bool flipY = (prclDest->top > prclDest->bottom) != (prclSrc->top > prclSrc->bottom);
  auto sourceAt = [&](LONG dx, LONG dy) {
    LONG ox = dx - dst.left, oy = dy - dst.top;
    if (flipX) ox = dw - 1 - ox;
    if (flipY) oy = dh - 1 - oy;
    const LONG sx = src.left + static_cast<LONG>((static_cast<int64_t>(ox) * sw) / dw);
    const LONG sy = src.top + static_cast<LONG>((static_cast<int64_t>(oy) * sh) / dh);
    return SourceColor(psoSrc, sx, sy, pxlo);
  };

  if (HasBits(psoDest)) {
    const RECTL bounds = SurfaceRect(psoDest);
    for (const RECTL& clipRect : ClipRects(pco, bounds)) {
      const RECTL area = IntersectRect(IntersectRect(clipRect, dst), bounds);
      for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x) WritePixel(psoDest, x, y, sourceAt(x, y));
    }
    return TRUE;
  }

  DeviceInfo device;
  if (!SurfaceDevice(psoDest, &device) || device.callbacks.copyBits == nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  // Halftone to the device's announced format: 1 bpp with an 8x8 ordered dither
  // (index 0 black, 1 white), else plain 24 bpp colour.
  const bool mono = iMode == HALFTONE && device.halftoneFormat == HT_FORMAT_1BPP;
  ScratchBitmap scratch(dw, dh, mono ? BMF_1BPP : BMF_24BPP);
  if (scratch.get() == nullptr) return FALSE;
  const POINTL htOrigin = pptlHTOrg != nullptr ? *pptlHTOrg : POINTL{0, 0};
  SURFOBJ* out = scratch.get();
  // Row by row: the source row, the dither matrix row and the output row are
  // found once per row, the source column of each output column once per call,
  // and the common source formats are read in place.
  std::vector<LONG> columns(static_cast<size_t>(dw));
  for (LONG i = 0; i < dw; ++i) {
    const LONG ox = flipX ? dw - 1 - i : i;
    columns[static_cast<size_t>(i)] = src.left + static_cast<LONG>((static_cast<int64_t>(ox) * sw) / dw);
  }
  const LONG srcWidth = psoSrc->sizlBitmap.cx, srcHeight = psoSrc->sizlBitmap.cy;
  const ULONG srcFormat = psoSrc->iBitmapFormat;
  const bool columnsInside =
      std::all_of(columns.begin(), columns.end(), [&](LONG sx) { return sx >= 0 && sx < srcWidth; });
  // Source columns one for one, left to right: a row is read straight through.
  const bool unscaled = sw == dw && !flipX;
  static const DitherRowFn ditherRow24 = ChooseDitherRow();
  static const std::array<unsigned char, 256> kLevels = DitherLevels();
  static const std::array<ULONG, 64> kSums = DitherSums(kLevels);
  for (LONG y = dst.top; y < dst.bottom; ++y) {
    LONG oy = y - dst.top;
    if (flipY) oy = dh - 1 - oy;
    const LONG sy = src.top + static_cast<LONG>((static_cast<int64_t>(oy) * sh) / dh);
    const bool rowInside = sy >= 0 && sy < srcHeight;
    const unsigned char* srcRow =
        rowInside ? static_cast<const unsigned char*>(psoSrc->pvScan0) + static_cast<ptrdiff_t>(sy) * psoSrc->lDelta
                  : nullptr;
    // What SourceColor gives for column sx of this row.
    auto colour = [&](LONG sx) -> ULONG {
      if (!rowInside || sx < 0 || sx >= srcWidth) return 0xFFFFFF;
      if (srcFormat == BMF_24BPP) {
        const unsigned char* p = srcRow + 3 * static_cast<ptrdiff_t>(sx);
        return p[2] | (ULONG{p[1]} << 8) | (ULONG{p[0]} << 16);
      }
      return ReadPixel(psoSrc, sx, sy, pxlo);
    };
    unsigned char* row = static_cast<unsigned char*>(out->pvScan0) + static_cast<ptrdiff_t>(y - dst.top) * out->lDelta;
    if (!mono) {
      for (LONG i = 0; i < dw; ++i) WritePixel(out, i, y - dst.top, colour(columns[static_cast<size_t>(i)]));
      continue;
    }
    const unsigned char* ditherRow = kBayer8[((y - htOrigin.y) % 8 + 8) % 8];
    LONG hx = ((dst.left - htOrigin.x) % 8 + 8) % 8;
    // Eight pixels make a byte; the bits of a last partial byte past the row
    // are kept as they were.
    unsigned bits = 0;
    // 65 levels: grey 255 lights every cell, 0 none.
    auto put = [&](LONG i, ULONG grey) {
      bits = (bits << 1) | (kLevels[grey] > ditherRow[hx] ? 1u : 0u);
      hx = (hx + 1) & 7;
      if ((i & 7) == 7) {
        row[i >> 3] = static_cast<unsigned char>(bits);
        bits = 0;
      }
    };
    if (rowInside && columnsInside && srcFormat == BMF_24BPP) {
      // A byte of eight pixels at a time, each against its cell's sum.
      ULONG thresholds[8];
      for (LONG k = 0; k < 8; ++k) thresholds[k] = kSums[ditherRow[(hx + k) & 7]];
      const LONG* column = columns.data();
      auto lit = [&](LONG i) {
        const unsigned char* p = srcRow + 3 * static_cast<ptrdiff_t>(column[i]);
        return 30 * ULONG{p[2]} + 59 * ULONG{p[1]} + 11 * ULONG{p[0]} >= thresholds[i & 7] ? 1u : 0u;
      };
      LONG i = 0;
      if (unscaled) {
        i = dw & ~7;
        ditherRow24(srcRow + 3 * static_cast<ptrdiff_t>(column[0]), i, thresholds, row);
      }
      for (; i + 8 <= dw; i += 8) {
        unsigned byte = 0;
        for (LONG k = 0; k < 8; ++k) byte = (byte << 1) | lit(i + k);
        row[i >> 3] = static_cast<unsigned char>(byte);
      }
      for (; i < dw; ++i) bits = (bits << 1) | lit(i);
    } else {
      for (LONG i = 0; i < dw; ++i) {
        const ULONG rgb = colour(columns[static_cast<size_t>(i)]);
        const ULONG r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
        put(i, (30 * r + 59 * g + 11 * b) / 100);
      }
    }
    if (const LONG rest = dw & 7; rest != 0) {
      const unsigned mask = (0xFFu << (8 - rest)) & 0xFF;
      unsigned char& last = row[dw >> 3];
      last = static_cast<unsigned char>((last & ~mask) | ((bits << (8 - rest)) & mask));
    }
  }
  std::unique_ptr<Xlate> xlate = mono ? Xlate::Table({0x000000, 0xFFFFFF}) : Xlate::Trivial();
  RECTL writeRect = dst;
  POINTL origin{0, 0};
  return device.callbacks.copyBits(psoDest, scratch.get(), pco, xlate.get(), &writeRect, &origin);
}
