// Brushes as fills: solid colours go to SelectFillHpglPs; hatches and pattern
// brushes become a PostScript tiling pattern, an HP-GL/2 raster fill or a PCL
// user-defined pattern. PCL and HP-GL/2 patterns are enlarged four times: a
// brush pixel is a screen pixel, and a 600 dpi dot is too small to see.
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/ddi/realized_brush.h"
#include "graphics/output/halftone/halftone.h"
#include "graphics/output/vector/vector_color.h"
#include "graphics/output/vector/vector_pattern.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/output/vector/vector_targets.h"
#include "graphics/stream/output.h"
#include "graphics/util/diagnostic.h"
#include "graphics/util/graphics_heap.h"
#include "platform/gdi/eng_services.h"

using namespace vectorout;

namespace {

constexpr DWORD kWhite = 0x00FFFFFF;
constexpr DWORD kColorMask = 0x00FFFFFF;
// The PCL pattern header holds four times the size in 16 bits.
constexpr DWORD kLargestPatternSide = 0xFFFF / 4;

// Row bytes of the hatch styles, top to bottom; 0 bits are the hatch lines.
constexpr BYTE kHatchRows[6][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF},  // horizontal
    {0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7},  // vertical
    {0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE},  // forward diagonal
    {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F},  // backward diagonal
    {0xF7, 0xF7, 0xF7, 0xF7, 0x00, 0xF7, 0xF7, 0xF7},  // cross
    {0x7F, 0xBE, 0xDD, 0xEB, 0xF7, 0xEB, 0xDD, 0xBE},  // diagonal cross
};
constexpr DWORD kHatchForwardDiagonal = 2;

// A brush as the writer sees it: colours, size and 1-bit rows (0 = foreground).
struct Fill {
  DWORD kind = kBrushKindSolid;
  DWORD foreground = 0;
  DWORD background = kWhite;
  DWORD width = 0;
  DWORD height = 0;
  const BYTE* bits = nullptr;
  DWORD bytes = 0;  // pattern bytes: the rows, rounded up to an even count
  BYTE hatch[kHatchPatternBytes] = {};
};

DWORD RowBytes(DWORD width) { return (width + 7) / 8; }

bool Resolve(BRUSHOBJ* brush, Fill& fill) {
  if (brush->iSolidColor != SOLID_COLOR_NONE) {
    fill.foreground = brush->iSolidColor & kColorMask;
    return true;
  }
  const auto* realized = static_cast<const RealizedBrush*>(BRUSHOBJ_pvGetRbrush(brush));
  if (realized == nullptr || realized->kind > kBrushKindPattern) return false;
  fill.kind = realized->kind;
  fill.foreground = realized->foreground & kColorMask;
  fill.background = realized->background & kColorMask;
  if (fill.kind == kBrushKindHatch) {
    // The realisation leaves the bits to us; the engine's block stays as it is.
    const DWORD style = realized->hatchStyle < kHatchStyleCount ? realized->hatchStyle : kHatchForwardDiagonal;
    for (DWORD row = 0; row < kHatchPatternHeight; ++row) {
      std::memset(fill.hatch + row * 4, kHatchRows[style][row], 4);
    }
    fill.width = kHatchPatternWidth;
    fill.height = kHatchPatternHeight;
    fill.bits = fill.hatch;
    fill.bytes = kHatchPatternBytes;
  } else if (fill.kind == kBrushKindPattern) {
    // A size the block cannot hold or the PCL header cannot carry is refused
    // rather than read past the realisation.
    if (realized->width == 0 || realized->height == 0 || realized->width > kLargestPatternSide ||
        realized->height > kLargestPatternSide)
      return false;
    fill.width = realized->width;
    fill.height = realized->height;
    fill.bits = realized->bits;
    fill.bytes = (RowBytes(fill.width) * fill.height + 1) & ~1u;
  }
  return true;
}

bool InForce(const PDEV* pdev, const Cache& cache, const Fill& fill) {
  const RememberedFill& last = *cache.fill;
  return last.color == (fill.foreground | kPatternColorTag) &&
         last.background == (fill.background | kPatternColorTag) && !(pdev->writers.vector.stale & cache.staleBit) &&
         last.patternLength == fill.bytes && last.pattern != nullptr &&
         std::memcmp(last.pattern, fill.bits, fill.bytes) == 0;
}

void Remember(PDEV* pdev, const Cache& cache, const Fill& fill) {
  RememberedFill& last = *cache.fill;
  last.color = fill.foreground | kPatternColorTag;
  last.background = fill.background | kPatternColorTag;
  pdev->writers.vector.stale &= static_cast<WORD>(~cache.staleBit);
  GraphicsHeapFree(last.pattern);
  last.pattern = static_cast<BYTE*>(GraphicsHeapAlloc(fill.bytes));
  last.patternLength = 0;
  if (last.pattern != nullptr) {
    std::memcpy(last.pattern, fill.bits, fill.bytes);
    last.patternLength = fill.bytes;
  }
}

int WritePostScriptPattern(PDEV* pdev, const Fill& fill) {
  const int w = static_cast<int>(fill.width);
  const int h = static_cast<int>(fill.height);
  const int foreground = GrayFromColor(0.0f, fill.foreground);
  const int background = GrayFromColor(0.0f, fill.background);
  int written = Formatted(pdev,
                          "\n<</PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 %d %d] /XStep %d /YStep %d "
                          "/im matrix \n/sPattern <",
                          w, h, w, h);
  written = written && WriteOut(pdev, kWriteAsciiHex, static_cast<int>(fill.bytes), fill.bits) > 0;
  written = written && Formatted(pdev,
                                 ">\n /PaintProc {begin 0 0 %d %d %d 255 div g rf %d 255 div g %d %d false im "
                                 "sPattern imagemask end}bind >>\n[%d 0 0 %d 0 0] makepattern setpattern",
                                 w, h, background, foreground, w, h, 4, 4);
  return written && Text(pdev, "\n");
}

// The pattern enlarged four times each way, as rows of (4 w + 7) / 8 bytes,
// with the colours reduced to black and white (1 = white). nullptr when out of
// memory.
BYTE* MonochromePattern(PDEV* pdev, const Fill& fill) {
  const DWORD width = 4 * fill.width;
  const DWORD height = 4 * fill.height;
  const DWORD rowBytes = RowBytes(width);
  BYTE* rows = static_cast<BYTE*>(GraphicsHeapAlloc(static_cast<size_t>(rowBytes) * height));
  if (rows == nullptr) return nullptr;
  const DWORD sourceRowBytes = RowBytes(fill.width);
  auto sourceBit = [&](DWORD x, DWORD y) { return (fill.bits[y * sourceRowBytes + x / 8] >> (7 - x % 8)) & 1; };
  for (DWORD y = 0; y < height; ++y) {
    BYTE* row = rows + static_cast<size_t>(y) * rowBytes;
    for (DWORD x = 0; x < width; ++x) {
      if (sourceBit(x / 4, y / 4)) row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    }
  }

  const size_t total = static_cast<size_t>(rowBytes) * height;
  const DWORD fg = fill.foreground;
  const DWORD bg = fill.background;
  if (fg == 0 && bg == kWhite) return rows;
  if (fg == kWhite && bg == 0) {
    for (size_t i = 0; i < total; ++i) rows[i] = static_cast<BYTE>(~rows[i]);
    return rows;
  }
  if ((fg == kWhite || fg == 0) && fg == bg) {
    std::memset(rows, fg == kWhite ? 0xFF : 0x00, total);
    return rows;
  }

  // Any other pair: every pixel takes the grey of its colour, and the grey
  // image is dithered back to one bit.
  BYTE* gray = static_cast<BYTE*>(GraphicsHeapAlloc(static_cast<size_t>(width) * height));
  if (gray == nullptr) {
    GraphicsHeapFree(rows);
    return nullptr;
  }
  const BYTE foreground = GrayFromColor(2.0f, fill.foreground);
  const BYTE background = GrayFromColor(2.0f, fill.background);
  for (DWORD y = 0; y < height; ++y) {
    for (DWORD x = 0; x < width; ++x) {
      const bool set = (rows[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
      gray[static_cast<size_t>(y) * width + x] = set ? background : foreground;
    }
  }
  // A brush is dithered from the matrix's first row, and must not move the
  // phase that images placed one below the other continue.
  const WORD phase = pdev->writers.raster.ditherPhase;
  pdev->writers.raster.ditherPhase = 0;
  GrayRowBlock block;
  block.width = width;
  block.rows = height;
  block.stride = static_cast<LONG>(width);
  block.data = gray;
  DitherGrayRowsToMono(pdev, &block);
  pdev->writers.raster.ditherPhase = phase;
  for (DWORD y = 0; y < height; ++y) {
    std::memcpy(rows + static_cast<size_t>(y) * rowBytes, gray + static_cast<size_t>(y) * width, rowBytes);
  }
  GraphicsHeapFree(gray);
  return rows;
}

int WriteHpglPattern(PDEV* pdev, const BYTE* rows, const Fill& fill, int hpglIndex) {
  const bool pen = hpglIndex == kHpglPen;
  const int index = pen ? 2 : 1;
  const DWORD width = 4 * fill.width;
  const DWORD height = 4 * fill.height;
  const DWORD rowBytes = RowBytes(width);
  int written = EnterHpgl(pdev);
  written = written && Formatted(pdev, "RF%d,%d,%d", index, static_cast<int>(width), static_cast<int>(height));
  // Pen 1 (black) where the bit is clear: the foreground.
  char chunk[512];
  size_t used = 0;
  for (DWORD y = 0; y < height && written; ++y) {
    for (DWORD x = 0; x < width; ++x) {
      const bool set = (rows[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
      chunk[used++] = ',';
      chunk[used++] = set ? '0' : '1';
      if (used == sizeof chunk) {
        written = written && Bytes(pdev, chunk, used);
        used = 0;
      }
    }
  }
  written = written && Bytes(pdev, chunk, used);
  return written && Formatted(pdev, pen ? ";SV2,%d,0;" : ";FT11,%d;", index);
}

int WritePclPattern(PDEV* pdev, BYTE* rows, const Fill& fill) {
  const DWORD width = 4 * fill.width;
  const DWORD height = 4 * fill.height;
  const DWORD rowBytes = RowBytes(width);
  // PCL's ink is 1; the bits past the width stay clear.
  const BYTE lastMask = static_cast<BYTE>(0xFF << ((8 - width % 8) % 8));
  for (DWORD y = 0; y < height; ++y) {
    BYTE* row = rows + static_cast<size_t>(y) * rowBytes;
    for (DWORD i = 0; i < rowBytes; ++i) row[i] = static_cast<BYTE>(~row[i]);
    row[rowBytes - 1] &= lastMask;
  }
  int written = LeaveHpgl(pdev);
  written = written && WritePclUserPattern(pdev, rows, width, height);
  VectorWriterState& state = pdev->writers.vector;
  if (state.patternSelectionSent) return written && Text(pdev, "\x1b*v4T");
  state.patternSelectionSent = 1;
  return written && Text(pdev, "\x1b*v1o4T");
}

// A brush that cannot be selected leaves the previous fill in force; a caller
// that does not fail its shape for it draws with that fill, so the loss is
// named for whoever watches.
BOOL Refused() {
  ReportDiagnostic("FILLPATTERN");
  return FALSE;
}

}  // namespace

BOOL DownloadFillPattern(PDEV* pdev, BRUSHOBJ* brush, BOOL remember, DWORD target, int hpglIndex) {
  if (pdev == nullptr || brush == nullptr) return FALSE;
  FollowPrinterResets(pdev);
  Fill fill;
  if (!Resolve(brush, fill)) return Refused();
  const bool postScript = TargetIsPostScript(target);
  if (fill.kind == kBrushKindSolid) {
    SelectFillHpglPs(pdev, fill.foreground, remember, target, hpglIndex);
    if (postScript) Text(pdev, "\n");
    return TRUE;
  }
  if (fill.kind == kBrushKindHollow) {
    if (postScript) Text(pdev, "\n");
    return TRUE;
  }

  const Cache cache = CacheOf(pdev, target, hpglIndex);
  if (InForce(pdev, cache, fill)) return TRUE;
  if (postScript) {
    WritePostScriptPattern(pdev, fill);
  } else {
    BYTE* rows = MonochromePattern(pdev, fill);
    if (rows == nullptr) return Refused();
    if (TargetIsHpgl(target)) {
      WriteHpglPattern(pdev, rows, fill, hpglIndex);
    } else {
      WritePclPattern(pdev, rows, fill);
    }
    GraphicsHeapFree(rows);
  }
  if (remember) Remember(pdev, cache, fill);
  if (postScript) Text(pdev, "\n");
  return TRUE;
}
