#include "interface/util/digit_count.h"

int DigitCount(long long number) {
  // Counted on the magnitude as unsigned, so the most negative value has one too.
  unsigned long long magnitude =
      number < 0 ? 0ull - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
  int digits = 1;
  while (magnitude >= 10) {
    magnitude /= 10;
    ++digits;
  }
  return digits;
}
