// The driver's realisation of a brush: the block DrvRealizeBrush fills and the
// fill writers read back through BRUSHOBJ_pvGetRbrush. The engine allocates it
// (BRUSHOBJ_pvAllocRbrush), owns it and frees it with the brush.
//
// Layout: a 24-byte header of six 32-bit words, then the pattern bits; the
// block is pattern bytes + 25 long. The pattern is 1 bit per pixel, rows top to
// bottom, each row (width + 7) / 8 bytes; a 0 bit paints the foreground, a 1 bit
// the background.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

// Kinds of a realised brush.
constexpr DWORD kBrushKindSolid = 0;
constexpr DWORD kBrushKindHollow = 1;
constexpr DWORD kBrushKindHatch = 2;
constexpr DWORD kBrushKindPattern = 3;

// The standard hatch styles are 0-5 (HS_HORIZONTAL .. HS_DIAGCROSS); a hatch is
// realised as a 32 x 8 pattern of 32 bytes whose bits the fill writer draws from
// its hatch table.
constexpr ULONG kHatchStyleCount = 6;
constexpr DWORD kHatchPatternWidth = 32;
constexpr DWORD kHatchPatternHeight = 8;
constexpr DWORD kHatchPatternBytes = 32;

struct RealizedBrush {
  DWORD kind;        // kBrushKind*
  DWORD foreground;  // 0x00BBGGRR
  DWORD hatchStyle;  // iHatch of the realisation; 0-5 for a hatch
  DWORD background;  // 0x00BBGGRR
  DWORD width;       // pattern width in pixels
  DWORD height;      // pattern height in pixels
  BYTE bits[1];      // pattern bits follow the header
};

constexpr size_t kRealizedBrushHeaderBytes = 24;
static_assert(offsetof(RealizedBrush, kind) == 0);
static_assert(offsetof(RealizedBrush, foreground) == 4);
static_assert(offsetof(RealizedBrush, hatchStyle) == 8);
static_assert(offsetof(RealizedBrush, background) == 12);
static_assert(offsetof(RealizedBrush, width) == 16);
static_assert(offsetof(RealizedBrush, height) == 20);
static_assert(offsetof(RealizedBrush, bits) == kRealizedBrushHeaderBytes);

// Bytes of one pattern row.
constexpr DWORD RealizedBrushRowBytes(DWORD width) { return (width + 7) / 8; }

// Pattern bytes of a realisation: 32 for a standard hatch, else the packed 1-bit
// rows of a cx x cy pattern rounded up to an even count.
constexpr size_t RealizedBrushPatternBytes(ULONG hatch, LONG cx, LONG cy) {
  if (hatch < kHatchStyleCount) return kHatchPatternBytes;
  if (cx <= 0 || cy <= 0) return 0;
  const size_t bytes = static_cast<size_t>(RealizedBrushRowBytes(static_cast<DWORD>(cx))) * static_cast<size_t>(cy);
  return (bytes + 1) & ~static_cast<size_t>(1);
}

// Size of the block the engine is asked for: header, pattern and one spare byte.
constexpr size_t RealizedBrushAllocationBytes(size_t patternBytes) {
  return patternBytes + kRealizedBrushHeaderBytes + 1;
}
