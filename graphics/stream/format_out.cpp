// The job stream's own formatter. Its conversions are part of the stream's exact
// text (hexadecimal in upper case with a minimum of digits, 24.8 fixed point
// with at most three decimals, floats with at most four), so the C library's
// printf is not used for stream text.
#include <cmath>
#include <cstdint>

#include "graphics/stream/output.h"

namespace {

// Writes into the caller's buffer, keeping one byte for the terminator; what
// does not fit is counted as lost.
class Sink {
 public:
  Sink(char* buffer, size_t capacity) : buffer_(buffer), limit_(capacity > 0 ? capacity - 1 : 0) {}
  void Put(char c) {
    if (position_ < limit_) {
      buffer_[position_++] = c;
    } else {
      lost_ = true;
    }
  }
  void Put(const char* text) {
    while (*text) Put(*text++);
  }
  // Digits of value in the base, at least minDigits of them.
  void Number(uint64_t value, unsigned base, int minDigits) {
    static const char kDigits[] = "0123456789ABCDEF";
    char digits[24];
    int count = 0;
    do {
      digits[count++] = kDigits[value % base];
      value /= base;
    } while (value != 0);
    while (count < minDigits) digits[count++] = '0';
    while (count > 0) Put(digits[--count]);
  }
  int Finish(size_t capacity) {
    if (capacity == 0) return -1;
    buffer_[position_] = '\0';
    return lost_ ? -1 : static_cast<int>(position_);
  }

 private:
  char* buffer_;
  size_t limit_;
  size_t position_ = 0;
  bool lost_ = false;
};

// 24.8 fixed point: the integer part, then up to three decimals of the
// fraction rounded to thousandths, trailing zeros left out.
void FixedPoint(Sink& out, int32_t value) {
  int64_t magnitude = value;
  if (magnitude < 0) {
    out.Put('-');
    magnitude = -magnitude;
  }
  out.Number(static_cast<uint64_t>(magnitude >> 8), 10, 1);
  const int64_t fraction = magnitude & 0xFF;
  if (fraction == 0) return;
  int64_t thousandths = (fraction * 100000 / 256 + 50) / 100;  // 0..996
  out.Put('.');
  for (int64_t divisor = 100; divisor > 0; divisor /= 10) {
    out.Put(static_cast<char>('0' + thousandths / divisor));
    thousandths %= divisor;
    if (thousandths == 0) break;
  }
}

// A float: the integer part, then the first four decimals (truncated) when they
// are not all zero, trailing zeros left out.
void Float(Sink& out, const float* pointer) {
  if (pointer == nullptr || !std::isfinite(*pointer)) {
    out.Put('0');
    return;
  }
  double magnitude = *pointer;
  if (magnitude < 0) {
    out.Put('-');
    magnitude = -magnitude;
  }
  const double whole = std::floor(magnitude);
  out.Number(whole < 1.8e19 ? static_cast<uint64_t>(whole) : UINT64_MAX, 10, 1);
  int decimals = static_cast<int>(std::floor((magnitude - whole) * 10000.0));
  if (decimals <= 0) return;
  if (decimals > 9999) decimals = 9999;
  char digits[4];
  for (int i = 3; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + decimals % 10);
    decimals /= 10;
  }
  int used = 4;
  while (used > 1 && digits[used - 1] == '0') --used;
  out.Put('.');
  for (int i = 0; i < used; ++i) out.Put(digits[i]);
}

}  // namespace

int FormatOutV(char* buffer, size_t capacity, const char* format, va_list args) {
  if (buffer == nullptr || capacity == 0) return -1;
  Sink out(buffer, capacity);
  if (format == nullptr) return out.Finish(capacity);
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      out.Put(*p);
      continue;
    }
    const char conversion = *++p;
    if (conversion == '\0') break;  // a lone "%" ends the text
    switch (conversion) {
      case 'd':
      case 'l': {
        const int32_t value = va_arg(args, int32_t);
        if (value < 0) out.Put('-');
        out.Number(
            value < 0 ? uint64_t{0} - static_cast<uint64_t>(static_cast<int64_t>(value)) : static_cast<uint64_t>(value),
            10, 1);
        break;
      }
      case 'u': out.Number(va_arg(args, uint32_t), 10, 1); break;
      case 'c': out.Put(static_cast<char>(va_arg(args, int))); break;
      case 's': {
        const char* text = va_arg(args, const char*);
        if (text != nullptr) out.Put(text);
        break;
      }
      case 'x': out.Number(va_arg(args, uint32_t), 16, 2); break;
      case 'X': out.Number(va_arg(args, uint32_t), 16, 4); break;
      case 'o': out.Number(va_arg(args, uint32_t), 8, 3); break;
      case 'b': out.Put(va_arg(args, int) != 0 ? "true" : "false"); break;
      case 'f': FixedPoint(out, va_arg(args, int32_t)); break;
      case 'F': Float(out, va_arg(args, const float*)); break;
      default: out.Put(conversion); break;  // "%%" gives "%"
    }
  }
  return out.Finish(capacity);
}

int FormatOut(char* buffer, size_t capacity, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = FormatOutV(buffer, capacity, format, args);
  va_end(args);
  return result;
}
