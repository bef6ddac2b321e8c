#include "interface/util/hex_text.h"

#include <cstring>

namespace {

// The value of an upper-case hexadecimal digit; -1 for anything else.
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int HexToBytes(const char* hex, char* buffer, int size) {
  if (!hex || !buffer || size < 1) return -1;
  const size_t length = std::strlen(hex);
  const size_t capacity = static_cast<size_t>(size) - 1;
  size_t written = 0;
  for (size_t i = 0; i < length && written < capacity; i += 2) {
    const int high = DigitValue(hex[i]);
    int value = high < 0 ? 0 : high << 4;
    if (i + 1 < length) {
      const int low = DigitValue(hex[i + 1]);
      if (low >= 0) value |= low;
    }
    buffer[written++] = static_cast<char>(value);
  }
  buffer[written] = '\0';
  return (length + 1) / 2 >= static_cast<size_t>(size) ? -1 : 0;
}

int BytesToHex(const char* text, char* buffer, int size) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (!text || !buffer || size < 1) return 0;
  const size_t length = std::strlen(text);
  size_t index = 0;
  for (; index < length && 2 * (index + 1) < static_cast<size_t>(size); ++index) {
    const auto byte = static_cast<unsigned char>(text[index]);
    buffer[2 * index] = kDigits[byte >> 4];
    buffer[2 * index + 1] = kDigits[byte & 0x0F];
  }
  buffer[2 * index] = '\0';
  return index == length ? -1 : 0;
}
