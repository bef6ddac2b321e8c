// HP-GL/2 polyline-encoded numbers (base-64 mode).
#include "graphics/encode/encoders.h"

int EncodePolylineNumber(int32_t value, BYTE* destination) {
  // 64-bit so that the magnitude of the most negative value, doubled, still fits.
  const int64_t wide = value;
  uint64_t v = wide >= 0 ? static_cast<uint64_t>(wide) * 2 : static_cast<uint64_t>(-wide) * 2 + 1;

  int index = 0;
  while (v > 63) {
    destination[index++] = static_cast<BYTE>((v & 63) + 63);
    v >>= 6;
  }
  destination[index] = static_cast<BYTE>(v + 191);
  destination[index + 1] = 0;
  return index;
}
