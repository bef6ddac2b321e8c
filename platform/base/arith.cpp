#include "platform/base/arith.h"

#include <cstdint>
#include <limits>

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  // |number * numerator| < 2^62, and twice a remainder < 2^32: nothing overflows.
  int64_t product = int64_t(number) * numerator;
  int64_t quotient = product / denominator;
  int64_t remainder = product % denominator;
  int64_t twice = remainder < 0 ? -2 * remainder : 2 * remainder;
  int64_t divisor = denominator < 0 ? -int64_t(denominator) : int64_t(denominator);
  if (twice >= divisor) quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
  if (quotient > std::numeric_limits<int32_t>::max() || quotient < std::numeric_limits<int32_t>::min()) return -1;
  return static_cast<int>(quotient);
}
