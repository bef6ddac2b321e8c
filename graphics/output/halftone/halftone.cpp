// Grey levels of colours and the dot patterns that stand for them on a
// monochrome printer.
//
// The transfer curve brightens the middle tones: a laser printer's dots
// spread, so an uncorrected 50% grey prints too dark.
//
// The ordered dither of grey rows to one bit per pixel uses the 16 x 16
// threshold matrix. The PDEV keeps the matrix row the next band starts at, so
// that bands and images placed one below the other continue the pattern
// without a seam.
#include <cmath>

#include "graphics/core/pdev.h"
#include "graphics/output/halftone/halftone.h"
#include "platform/base/arith.h"

namespace {

// floor(sqrt(255 g)) computed in integers, so that no rounding of the square
// root can move an entry.
BYTE CurveOf(int gray) {
  const int square = 255 * gray;
  int root = static_cast<int>(std::sqrt(static_cast<double>(square)));
  while (root * root > square) --root;
  while ((root + 1) * (root + 1) <= square) ++root;
  return static_cast<BYTE>(root);
}

}  // namespace

BYTE GrayFromRgb(float applyCurve, BYTE red, BYTE green, BYTE blue) {
  const int gray = (30 * red + 59 * green + 11 * blue) / 100;
  return applyCurve != 0.0f ? CurveOf(gray) : static_cast<BYTE>(gray);
}

BYTE GrayFromColor(float applyCurve, DWORD rgb) {
  return GrayFromRgb(applyCurve, static_cast<BYTE>(rgb & 0xFF), static_cast<BYTE>((rgb >> 8) & 0xFF),
                     static_cast<BYTE>((rgb >> 16) & 0xFF));
}

namespace {

constexpr BYTE kThreshold[16][16] = {
    {25, 105, 233, 214, 243, 115, 43, 11, 27, 107, 235, 215, 241, 113, 41, 9},
    {73, 153, 182, 134, 198, 171, 91, 59, 75, 155, 183, 135, 199, 169, 89, 57},
    {185, 150, 70, 54, 86, 166, 203, 139, 187, 151, 71, 55, 87, 167, 201, 137},
    {230, 102, 22, 6, 38, 126, 254, 219, 231, 103, 23, 7, 39, 127, 255, 217},
    {246, 118, 46, 14, 30, 110, 238, 208, 247, 119, 47, 15, 31, 111, 239, 210},
    {194, 174, 94, 62, 78, 158, 176, 128, 192, 175, 95, 63, 79, 159, 178, 130},
    {82, 162, 206, 142, 190, 144, 64, 48, 80, 160, 207, 143, 191, 146, 66, 50},
    {34, 122, 250, 222, 224, 96, 16, 0, 32, 120, 248, 223, 226, 98, 18, 2},
    {26, 106, 234, 213, 240, 112, 40, 8, 24, 104, 232, 212, 242, 114, 42, 10},
    {74, 154, 181, 133, 197, 168, 88, 56, 72, 152, 180, 132, 196, 170, 90, 58},
    {186, 149, 69, 53, 85, 165, 200, 136, 184, 148, 68, 52, 84, 164, 202, 138},
    {229, 101, 21, 5, 37, 125, 253, 216, 228, 100, 20, 4, 36, 124, 252, 218},
    {245, 117, 45, 13, 29, 109, 237, 211, 244, 116, 44, 12, 28, 108, 236, 209},
    {193, 173, 93, 61, 77, 157, 179, 131, 195, 172, 92, 60, 76, 156, 177, 129},
    {81, 161, 205, 141, 189, 147, 67, 51, 83, 163, 204, 140, 188, 145, 65, 49},
    {33, 121, 249, 221, 227, 99, 19, 3, 35, 123, 251, 220, 225, 97, 17, 1},
};

}  // namespace

int DitherGrayRowsToMono(PDEV* pdev, GrayRowBlock* block) {
  if (pdev == nullptr || block == nullptr || block->data == nullptr) return 0;
  WORD& phase = pdev->writers.raster.ditherPhase;
  if (block->rows >= 16) phase = 0;
  for (DWORD r = 0; r < block->rows; ++r) {
    BYTE* row = block->data + static_cast<ptrdiff_t>(r) * block->stride;
    const BYTE* thresholds = kThreshold[(phase + r) % 16];
    // Bits are written over the grey bytes from the front: byte c / 8 is only
    // written after grey c has been read, and c / 8 <= c.
    BYTE bits = 0;
    for (DWORD c = 0; c < block->width; ++c) {
      if (row[c] > thresholds[c % 16]) bits |= static_cast<BYTE>(0x80 >> (c % 8));
      if (c % 8 == 7 || c + 1 == block->width) {
        row[c / 8] = bits;
        bits = 0;
      }
    }
  }
  phase = static_cast<WORD>((phase + block->rows) % 16);
  block->bitsPerPixel = 1;
  return 1;
}

// The 8 x 8 dot pattern that stands for a solid colour.
namespace {

constexpr BYTE kBrushMatrix[8][8] = {
    {26, 22, 24, 30, 37, 41, 39, 33}, {8, 6, 4, 18, 55, 57, 59, 45},    {10, 0, 2, 20, 53, 63, 61, 43},
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
