// Brushes and colours: the driver's realisation of a hatch or pattern brush as
// a 1-bit pattern the fill writers send to the printer, and the answer that the
// engine halftones every colour itself.
#include <cstring>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/drawing_support.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/ddi/realized_brush.h"
#include "graphics/output/halftone/halftone.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kBlack = 0x000000;
// A pattern larger than this is no brush an application means (GDI's own
// brushes are 8 x 8); the limit keeps the block's size within 32 bits.
constexpr LONG kMaxPatternSide = 4096;
// The PCL writers lighten grey through the printer's transfer curve.
constexpr float kPclGreyCurve = 2.0f;

DWORD ColorOf(ULONG entry) { return entry & 0xFFFFFF; }

struct Rgb {
  BYTE red, green, blue;
};

Rgb RgbOf(ULONG color) {
  return Rgb{static_cast<BYTE>(color & 0xFF), static_cast<BYTE>((color >> 8) & 0xFF),
             static_cast<BYTE>((color >> 16) & 0xFF)};
}

// The colours of a pattern's indexes: the translation's table when it has one.
bool TableColors(XLATEOBJ* xlate, DWORD* first, DWORD* second) {
  if (!xlate || !(xlate->flXlate & XO_TABLE) || xlate->cEntries < 2) return false;
  const ULONG* table = xlate->pulXlate ? xlate->pulXlate : XLATEOBJ_piVector(xlate);
  if (!table) return false;
  *first = ColorOf(table[0]);
  *second = ColorOf(table[1]);
  return true;
}

// Copies the 1-bit rows of the pattern, top row first, into the block. The
// surface's own first scan line and signed stride say where each row is, for
// top-down and bottom-up bitmaps alike.
void CopyMonoRows(const SURFOBJ* pattern, RealizedBrush* block) {
  const DWORD rowBytes = RealizedBrushRowBytes(block->width);
  const auto* top = static_cast<const BYTE*>(pattern->pvScan0);
  for (DWORD y = 0; y < block->height; ++y)
    std::memcpy(block->bits + y * rowBytes, top + static_cast<ptrdiff_t>(y) * pattern->lDelta, rowBytes);
}

// The colour of pixel x of a scan line, or false for a format that has none.
bool PixelColor(const BYTE* row, LONG x, ULONG format, const ULONG* palette, ULONG paletteSize, Rgb* out) {
  auto fromPalette = [&](ULONG index) {
    // An index beyond the palette reads as white rather than past its end.
    *out = index < paletteSize ? RgbOf(palette[index]) : Rgb{255, 255, 255};
    return true;
  };
  switch (format) {
    case BMF_4BPP: return fromPalette((x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4);
    case BMF_8BPP: return fromPalette(row[x]);
    case BMF_16BPP: {
      const unsigned value = row[2 * x] | (row[2 * x + 1] << 8);
      *out = Rgb{static_cast<BYTE>(((value >> 10) & 31) * 255 / 31), static_cast<BYTE>(((value >> 5) & 31) * 255 / 31),
                 static_cast<BYTE>((value & 31) * 255 / 31)};
      return true;
    }
    case BMF_24BPP: *out = Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]}; return true;
    case BMF_32BPP:
      // Stored blue, green, red, unused, as the 24-bit pixels and the engine's bitmaps.
      *out = Rgb{row[4 * x + 2], row[4 * x + 1], row[4 * x]};
      return true;
    default: return false;
  }
}

// A colour pattern as grey, dithered to 1 bit per pixel into the block.
bool DitherColorPattern(PDEV* pdev, const SURFOBJ* pattern, XLATEOBJ* xlate, RealizedBrush* block) {
  const ULONG format = pattern->iBitmapFormat;
  const ULONG* palette = nullptr;
  ULONG paletteSize = 0;
  if (format == BMF_4BPP || format == BMF_8BPP) {
    palette = XLATEOBJ_piVector(xlate);
    if (!palette) return false;
    paletteSize = xlate->cEntries;
  }
  const float curve = IsPostScriptJob(pdev) ? 0.0f : kPclGreyCurve;
  const LONG width = static_cast<LONG>(block->width), height = static_cast<LONG>(block->height);
  std::vector<BYTE> grey;
  try {
    grey.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    return false;
  }
  const auto* top = static_cast<const BYTE*>(pattern->pvScan0);
  for (LONG y = 0; y < height; ++y) {
    const BYTE* row = top + static_cast<ptrdiff_t>(y) * pattern->lDelta;
    for (LONG x = 0; x < width; ++x) {
      Rgb rgb{};
      if (!PixelColor(row, x, format, palette, paletteSize, &rgb)) return false;
      grey[static_cast<size_t>(y) * width + x] = GrayFromRgb(curve, rgb.red, rgb.green, rgb.blue);
    }
  }
  GrayRowBlock rows;
  rows.width = block->width;
  rows.rows = block->height;
  rows.stride = width;
  rows.data = grey.data();
  if (!DitherGrayRowsToMono(pdev, &rows) || rows.bitsPerPixel != 1) return false;
  const DWORD rowBytes = RealizedBrushRowBytes(block->width);
  for (LONG y = 0; y < height; ++y)
    std::memcpy(block->bits + y * rowBytes, grey.data() + static_cast<size_t>(y) * width, rowBytes);
  return true;
}

}  // namespace

BOOL DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* /*psoMask*/, XLATEOBJ* pxlo,
                     ULONG iHatch) {
  PDEV* pdev = CheckedPdev(psoTarget);
  if (!pdev) return FALSE;
  const bool solid = pbo && pbo->iSolidColor != SOLID_COLOR_NONE;
  const bool hatch = iHatch < kHatchStyleCount;
  const bool pattern = !solid && !hatch;
  if (!pbo || (pattern && (!psoPattern || !psoPattern->pvScan0))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const LONG cx = psoPattern ? psoPattern->sizlBitmap.cx : 0, cy = psoPattern ? psoPattern->sizlBitmap.cy : 0;
  if (pattern && (cx <= 0 || cy <= 0 || cx > kMaxPatternSide || cy > kMaxPatternSide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const size_t patternBytes = pattern || hatch ? RealizedBrushPatternBytes(iHatch, cx, cy) : 0;
  auto* block = static_cast<RealizedBrush*>(
      BRUSHOBJ_pvAllocRbrush(pbo, static_cast<ULONG>(RealizedBrushAllocationBytes(patternBytes))));
  if (!block) return FALSE;
  std::memset(block, 0, RealizedBrushAllocationBytes(patternBytes));

  if (solid) {
    block->kind = kBrushKindSolid;
    block->foreground = ColorOf(pbo->iSolidColor);
    block->background = kWhite;
  } else if (hatch) {
    block->kind = kBrushKindHatch;
    block->hatchStyle = iHatch;
    block->width = kHatchPatternWidth;
    block->height = kHatchPatternHeight;
    // The engine's hatch pattern draws its lines in index 0: that colour is the
    // foreground (the 0 bits of the hatch table), index 1 the background. The
    // bits come from the fill writer's hatch table when the brush is selected.
    DWORD lines = kBlack, background = kWhite;
    TableColors(pxlo, &lines, &background);
    block->foreground = lines;
    block->background = background;
  } else {
    block->kind = kBrushKindPattern;
    block->hatchStyle = iHatch;
    block->width = static_cast<DWORD>(cx);
    block->height = static_cast<DWORD>(cy);
    if (psoPattern->iBitmapFormat == BMF_1BPP) {
      CopyMonoRows(psoPattern, block);
      DWORD zero = kBlack, one = kWhite;
      TableColors(pxlo, &zero, &one);
      block->foreground = zero;
      block->background = one;
    } else {
      // Grey bits print in black on white.
      if (!DitherColorPattern(pdev, psoPattern, pxlo, block)) return FALSE;
      block->foreground = kBlack;
      block->background = kWhite;
    }
  }
  pbo->pvRbrush = block;
  return TRUE;
}

// The engine halftones every colour for the printer.
ULONG DrvDitherColor(DHPDEV dhpdev, ULONG /*iMode*/, ULONG /*rgb*/, ULONG* /*pul*/) {
  return CheckedPdev(dhpdev) ? DCR_HALFTONE : DCR_SOLID;
}
