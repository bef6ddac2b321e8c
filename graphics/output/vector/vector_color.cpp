// Solid colours on monochrome printers: PostScript takes the grey level;
// PCL and HP-GL/2 take black or white as such and any other colour as an
// 8 x 8 dot pattern of its grey.
#include "graphics/output/vector/vector_color.h"
#include "graphics/core/pdev.h"
#include "graphics/output/halftone/halftone.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/output/vector/vector_targets.h"

using namespace vectorout;

namespace {

constexpr DWORD kColorMask = 0x00FFFFFF;

int WritePostScriptGray(PDEV* pdev, BYTE gray) {
  if (gray == 0 || gray == 255) return Formatted(pdev, " %d g", gray / 255);
  return Formatted(pdev, " %d 255 div g", gray);
}

int WritePclColor(PDEV* pdev, DWORD rgb, BYTE gray) {
  int written = LeaveHpgl(pdev);
  VectorWriterState& state = pdev->writers.vector;
  if (!state.patternSelectionSent) {
    written = written && Text(pdev, "\x1b*v1O");
    state.patternSelectionSent = 1;
  }
  if (gray == 0 || gray == 255) return written && Formatted(pdev, "\x1b*v%dT", gray / 255);
  BYTE cells[64];
  DWORD capacity = sizeof cells;
  MakeHalftoneBrush8x8(rgb, nullptr, cells, &capacity);
  BYTE rows[8] = {};
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      if (cells[r * 8 + c] != 0) rows[r] |= static_cast<BYTE>(0x80 >> c);
    }
  }
  written = written && WritePclUserPattern(pdev, rows, 8, 8);
  return written && Text(pdev, "\x1b*v4T");
}

int WriteHpglColor(PDEV* pdev, DWORD rgb, BYTE gray, int hpglIndex) {
  const bool pen = hpglIndex == kHpglPen;
  int written = EnterHpgl(pdev);
  if (gray == 0) return written && Text(pdev, pen ? "SV;" : "FT;");
  if (gray == 255) return written && Text(pdev, pen ? "SV1, 0;" : "FT10,0;");
  BYTE cells[64];
  DWORD capacity = sizeof cells;
  MakeHalftoneBrush8x8(rgb, nullptr, cells, &capacity);
  const int index = pen ? 2 : 1;
  written = written && Formatted(pdev, "RF%d,%d,%d,", index, 8, 8);
  char digits[2 * 64];
  for (int i = 0; i < 64; ++i) {
    digits[2 * i] = cells[i] != 0 ? '1' : '0';
    digits[2 * i + 1] = ',';
  }
  written = written && Bytes(pdev, digits, sizeof digits - 1);
  return written && Formatted(pdev, pen ? ";SV2,%d,0;" : ";FT11,%d;", index);
}

}  // namespace

BOOL SelectFillHpglPs(PDEV* pdev, DWORD rgb, BOOL remember, DWORD target, int hpglIndex) {
  if (pdev == nullptr) return FALSE;
  FollowPrinterResets(pdev);
  rgb &= kColorMask;
  const Cache cache = CacheOf(pdev, target, hpglIndex);
  VectorWriterState& state = pdev->writers.vector;
  if (cache.fill->color == rgb && !(state.stale & cache.staleBit)) return TRUE;

  const bool postScript = TargetIsPostScript(target);
  const BYTE gray = GrayFromColor(postScript ? 0.0f : 2.0f, rgb);
  if (postScript) {
    WritePostScriptGray(pdev, gray);
  } else if (TargetIsHpgl(target)) {
    WriteHpglColor(pdev, rgb, gray, hpglIndex);
  } else {
    WritePclColor(pdev, rgb, gray);
  }
  if (remember) {
    cache.fill->color = rgb;
    state.stale &= static_cast<WORD>(~cache.staleBit);
  }
  return TRUE;
}
