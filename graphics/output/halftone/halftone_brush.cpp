// The 8 x 8 dot pattern that stands for a solid colour on a monochrome printer.
#include "graphics/output/halftone/halftone.h"
#include "platform/base/arith.h"

namespace {

constexpr BYTE kBrushMatrix[8][8] = {
    {26, 22, 24, 30, 37, 41, 39, 33}, {8, 6, 4, 18, 55, 57, 59, 45},  {10, 0, 2, 20, 53, 63, 61, 43},
    {16, 12, 14, 28, 47, 51, 49, 35}, {36, 40, 38, 32, 27, 23, 25, 31}, {54, 56, 58, 44, 9, 7, 5, 19},
    {52, 62, 60, 42, 11, 1, 3, 21},   {46, 50, 48, 34, 17, 13, 15, 29},
};

}  // namespace

int MakeHalftoneBrush8x8(DWORD rgb, SIZEL* size, BYTE* pattern, DWORD* capacity) {
  if (capacity == nullptr) return 0;
  if (pattern == nullptr || *capacity < 64) {
    *capacity = 64;
    return 0;
  }
  // 0 (black) to 64 (white) cells of the 64 are left blank.
  const int level = MulDiv(GrayFromColor(2.0f, rgb), 64, 255);
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) pattern[r * 8 + c] = level <= kBrushMatrix[c][r] ? 1 : 0;
  }
  if (size != nullptr) *size = SIZEL{8, 8};
  return 1;
}
