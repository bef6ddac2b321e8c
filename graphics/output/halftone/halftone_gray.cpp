// Grey levels of colours. The transfer curve brightens the middle tones: a
// laser printer's dots spread, so an uncorrected 50% grey prints too dark.
#include <cmath>

#include "graphics/output/halftone/halftone.h"

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
