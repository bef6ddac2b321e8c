// ASCIIHex encoding of binary PostScript data.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "graphics/encode/encoders.h"

namespace {

constexpr DWORD kDigitsPerLine = 100;
constexpr DWORD kBytesPerLine = kDigitsPerLine / 2;

// Both digits of every byte value, so that each byte costs one load and one store.
struct HexPairs {
  BYTE pairs[256][2];
  constexpr HexPairs() : pairs() {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < 256; ++i) {
      pairs[i][0] = static_cast<BYTE>(kDigits[i >> 4]);
      pairs[i][1] = static_cast<BYTE>(kDigits[i & 15]);
    }
  }
};
constexpr HexPairs kHex;

inline void PutPair(BYTE* out, BYTE value) { std::memcpy(out, kHex.pairs[value], 2); }

#if defined(__SSE2__)
// Nibbles 0-15 to "0"-"9", "A"-"F".
inline __m128i NibblesToDigits(__m128i nibbles) {
  const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8('A' - '0' - 10));
  return _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
}

// 16 bytes to 32 digits, high digit first.
inline void Put16(BYTE* out, const BYTE* in) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i low = _mm_set1_epi8(0x0F);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), low);
  const __m128i lowNibbles = _mm_and_si128(v, low);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), NibblesToDigits(_mm_unpacklo_epi8(high, lowNibbles)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), NibblesToDigits(_mm_unpackhi_epi8(high, lowNibbles)));
}
#endif

// One whole line: 50 bytes to 100 digits.
inline void PutLine(BYTE* out, const BYTE* in) {
#if defined(__SSE2__)
  Put16(out, in);
  Put16(out + 32, in + 16);
  Put16(out + 64, in + 32);
  PutPair(out + 96, in[48]);
  PutPair(out + 98, in[49]);
#else
  for (DWORD i = 0; i < kBytesPerLine; ++i) PutPair(out + 2 * i, in[i]);
#endif
}

}  // namespace

DWORD EncodeAsciiHex(const BYTE* source, DWORD count, BYTE* destination, DWORD capacity) {
  if (source == nullptr || destination == nullptr) return 0;
  if (count > capacity / 2) count = capacity / 2;

  BYTE* out = destination;
  BYTE* const end = destination + capacity;
  DWORD done = 0;

  // Whole lines while both the line and its line feed fit.
  while (count - done >= kBytesPerLine && static_cast<DWORD>(end - out) >= kDigitsPerLine + 1) {
    PutLine(out, source + done);
    out += kDigitsPerLine;
    *out++ = '\n';
    done += kBytesPerLine;
  }

  // The last, shorter line. A line feed that would not fit is left out rather
  // than written past the buffer; a byte whose two digits would not fit is not
  // encoded, so the text never ends in half a byte.
  DWORD lineDigits = 0;
  for (; done < count; ++done) {
    if (end - out < 2) break;
    PutPair(out, source[done]);
    out += 2;
    lineDigits += 2;
    if (lineDigits == kDigitsPerLine) {
      if (out == end) break;
      *out++ = '\n';
      lineDigits = 0;
    }
  }
  return static_cast<DWORD>(out - destination);
}
