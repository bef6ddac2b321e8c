// Fast scans over byte rows shared by the run-length style encoders: where a
// run ends, where two rows first differ, where three equal bytes start, how
// many zero bytes end a row. They look at 8 or 16 bytes at a time; the results
// are the same as a byte-by-byte loop.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/base/types.h"

namespace encode_scan {

inline uint64_t Load64(const BYTE* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void Store64(BYTE* p, uint64_t v) { std::memcpy(p, &v, sizeof v); }

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

// The word tricks below read the first byte in memory as the lowest one.
static_assert(std::endian::native == std::endian::little, "byte scans assume a little-endian machine");

// Index (0-7) of the first byte in memory order that is not zero in a word
// known to be nonzero.
inline DWORD FirstNonzeroByte(uint64_t v) { return static_cast<DWORD>(std::countr_zero(v)) / 8; }

// Flags the zero bytes of v. The flag of the first zero byte in memory order is
// exact (a borrow can only set false flags after it), which is all the callers use.
inline uint64_t ZeroBytes(uint64_t v) { return (v - kOnes) & ~v & kHighs; }

// Copies n bytes. Up to 16 are moved as one fixed 16-byte block when both
// sides have 16 bytes of room (srcRoom, dstRoom: bytes readable and writable
// from src and dst), which beats a call for the short literals of raster rows;
// the extra bytes written lie inside the destination's room.
inline void CopyShort(BYTE* dst, const BYTE* src, DWORD n, DWORD srcRoom, DWORD dstRoom) {
  if (n <= 16 && srcRoom >= 16 && dstRoom >= 16) {
    BYTE block[16];
    std::memcpy(block, src, 16);
    std::memcpy(dst, block, 16);
  } else {
    std::memcpy(dst, src, n);
  }
}

// First index in [from, end) where a and b differ; end when none does.
inline DWORD FirstDifference(const BYTE* a, const BYTE* b, DWORD from, DWORD end) {
  DWORD i = from;
  while (end - i >= 8) {
    const uint64_t diff = Load64(a + i) ^ Load64(b + i);
    if (diff != 0) return i + FirstNonzeroByte(diff);
    i += 8;
  }
  while (i < end && a[i] == b[i]) ++i;
  return i;
}

// First index in [from, end) whose byte is not value; end when none.
inline DWORD EndOfRun(const BYTE* p, BYTE value, DWORD from, DWORD end) {
  const uint64_t pattern = kOnes * value;
  DWORD i = from;
  while (end - i >= 8) {
    const uint64_t diff = Load64(p + i) ^ pattern;
    if (diff != 0) return i + FirstNonzeroByte(diff);
    i += 8;
  }
  while (i < end && p[i] == value) ++i;
  return i;
}

// Number of zero bytes at the end of p[0, count). The row is read forwards,
// as the encoder reads it next, which suits the prefetcher better than a
// backward scan from the end.
inline DWORD TrailingZeros(const BYTE* p, DWORD count) {
  DWORD end = 0;  // one past the last nonzero byte seen
  DWORD i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  while (count - i >= 32) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
    const uint32_t zeros = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, zero))) |
                           static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, zero))) << 16;
    const uint32_t nonzero = ~zeros;
    if (nonzero != 0) end = i + 32 - static_cast<DWORD>(std::countl_zero(nonzero));
    i += 32;
  }
#endif
  for (; count - i >= 8; i += 8) {
    const uint64_t v = Load64(p + i);
    if (v != 0) end = i + 8 - static_cast<DWORD>(std::countl_zero(v)) / 8;
  }
  for (; i < count; ++i) {
    if (p[i] != 0) end = i + 1;
  }
  return count - end;
}

// Number of positions i in [0, count) where a[i] == b[i].
inline DWORD CountEqual(const BYTE* a, const BYTE* b, DWORD count) {
  DWORD i = 0;
  uint64_t equal = 0;
#if defined(__SSE2__)
  // Equal lanes are 0xFF; psadbw adds up (lane & 1) into two 64-bit sums.
  const __m128i one = _mm_set1_epi8(1);
  __m128i sums = _mm_setzero_si128();
  for (; count - i >= 16; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_and_si128(_mm_cmpeq_epi8(x, y), one), _mm_setzero_si128()));
  }
  alignas(16) uint64_t halves[2];
  _mm_store_si128(reinterpret_cast<__m128i*>(halves), sums);
  equal = halves[0] + halves[1];
#endif
  for (; i < count; ++i) equal += a[i] == b[i];
  return static_cast<DWORD>(equal);
}

// First index k in [from, end - 2) with p[k] == p[k + 1] == p[k + 2] (three
// equal bytes); end when there is none.
inline DWORD FindTriple(const BYTE* p, DWORD from, DWORD end) {
  if (from >= end) return end;
  DWORD k = from;
#if defined(__SSE2__)
  while (end - k >= 18) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 2));
    const int mask = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, b), _mm_cmpeq_epi8(b, c)));
    if (mask != 0) return k + static_cast<DWORD>(std::countr_zero(static_cast<unsigned>(mask)));
    k += 16;
  }
#else
  while (end - k >= 10) {
    const uint64_t a = Load64(p + k), b = Load64(p + k + 1), c = Load64(p + k + 2);
    const uint64_t flags = ZeroBytes((a ^ b) | (b ^ c));
    if (flags != 0) return k + FirstNonzeroByte(flags);
    k += 8;
  }
#endif
  for (; k + 2 < end; ++k) {
    if (p[k] == p[k + 1] && p[k + 1] == p[k + 2]) return k;
  }
  return end;
}

}  // namespace encode_scan
