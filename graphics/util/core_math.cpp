#include "graphics/util/core_math.h"

#include <cmath>
#include <cstdint>
#include <limits>

int RoundToInt(float value) {
  if (std::isnan(value)) return 0;
  const double v = value;
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  double whole = std::floor(v);
  const double fraction = v - whole;  // exact: v has at most 24 significant bits
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<int>(whole);
}

LONG IntHypot(LONG a, LONG b) {
  // Magnitudes up to 2^31 and their squares' sum up to 2^63 fit in 64 bits unsigned.
  const uint64_t x = a < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(a)) : static_cast<uint64_t>(a);
  const uint64_t y = b < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(b)) : static_cast<uint64_t>(b);
  uint64_t r;
  if (x == 0) {
    r = y;
  } else if (y == 0) {
    r = x;
  } else {
    const uint64_t sum = x * x + y * y;
    // The double square root is within a few units of the true one; step it to
    // the smallest r with r * r >= sum.
    r = static_cast<uint64_t>(std::sqrt(static_cast<double>(sum)));
    while (r * r < sum) ++r;
    while (r > 0 && (r - 1) * (r - 1) >= sum) --r;
  }
  return r > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<LONG>(r);
}

float FloatHypot(float x, float y) {
  if (x == 0) return std::fabs(y);
  if (y == 0) return std::fabs(x);
  const double dx = x, dy = y;
  return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

float FixToFloat(FIX value) { return static_cast<float>(static_cast<double>(value) / 16.0); }

bool FloatNearlyEqual(float a, float b) {
  const double difference = static_cast<double>(a) - static_cast<double>(b);
  return difference > -0.001 && difference < 0.001;
}

SHORT FindDwordIndex(DWORD value, const DWORD* values, DWORD count) {
  if (values == nullptr) return -1;
  const DWORD searched = count < 0x8000 ? count : 0x8000;
  for (DWORD i = 0; i < searched; ++i)
    if (values[i] == value) return static_cast<SHORT>(i);
  return -1;
}
