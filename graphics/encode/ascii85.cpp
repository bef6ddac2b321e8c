// ASCII85 encoding of binary PostScript data.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "graphics/encode/byte_scan.h"
#include "graphics/encode/encoders.h"

namespace {

constexpr DWORD kLineCharacters = 100;
constexpr DWORD kMaxGroupCharacters = 5;
constexpr uint32_t kPairBase = 85 * 85;

// The two base-85 characters of every value below 85 x 85: a group's five
// digits are one digit and two such pairs.
struct Ascii85Pairs {
  BYTE pairs[kPairBase][2];
  constexpr Ascii85Pairs() : pairs() {
    for (uint32_t v = 0; v < kPairBase; ++v) {
      pairs[v][0] = static_cast<BYTE>('!' + v / 85);
      pairs[v][1] = static_cast<BYTE>('!' + v % 85);
    }
  }
};
constexpr Ascii85Pairs kPairs;

inline uint32_t LoadBigEndian32(const BYTE* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The five digits of a nonzero group value.
inline void PutFiveDigits(BYTE* out, uint32_t value) {
  const uint32_t high = value / kPairBase;  // below 85^3
  const uint32_t low = value - high * kPairBase;
  const uint32_t first = high / kPairBase;  // below 85
  const uint32_t middle = high - first * kPairBase;
  out[0] = static_cast<BYTE>('!' + first);
  std::memcpy(out + 1, kPairs.pairs[middle], 2);
  std::memcpy(out + 3, kPairs.pairs[low], 2);
}

#if defined(__SSE2__)
// Four groups at a time. Each group value v is split as v = (d0 x 85^2 + m) x
// 85^2 + r with two exact 32-bit divisions by 85^2; the eight values m and r
// (below 85^2) then give their two digits each in one 16-bit step.

// Quotient of each 32-bit lane by 85^2, remainder in *remainder: a multiply by
// 2434904643 and a shift right by 44 is exact for every 32-bit value.
inline __m128i DivideBy7225(__m128i v, __m128i* remainder) {
  const __m128i magic = _mm_set1_epi32(static_cast<int>(2434904643u));
  const __m128i divisor = _mm_set1_epi32(static_cast<int>(kPairBase));
  const __m128i odd = _mm_srli_epi64(v, 32);
  const __m128i qEven = _mm_srli_epi64(_mm_mul_epu32(v, magic), 44);
  const __m128i qOdd = _mm_srli_epi64(_mm_mul_epu32(odd, magic), 44);
  const __m128i q = _mm_or_si128(qEven, _mm_slli_epi64(qOdd, 32));
  const __m128i productEven = _mm_mul_epu32(qEven, divisor);
  const __m128i productOdd = _mm_slli_epi64(_mm_mul_epu32(qOdd, divisor), 32);
  *remainder = _mm_sub_epi32(v, _mm_or_si128(productEven, productOdd));
  return q;
}

// The characters of four nonzero groups: the first four of group g in
// heads[g] (in memory order), the fifth in tails[g].
inline void FourGroups(__m128i bytes, uint32_t heads[4], uint32_t tails[4]) {
  // Lanes as big-endian values: swap the bytes of each 16-bit half, then the halves.
  __m128i v = _mm_or_si128(_mm_slli_epi16(bytes, 8), _mm_srli_epi16(bytes, 8));
  v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1)), _MM_SHUFFLE(2, 3, 0, 1));
  __m128i r, m;
  const __m128i high = DivideBy7225(v, &r);
  const __m128i d0 = DivideBy7225(high, &m);
  // m and r side by side in 16-bit lanes; x / 85 is (x x 49345) >> 22 below 85^2.
  const __m128i pairs = _mm_packs_epi32(m, r);
  const __m128i tens = _mm_srli_epi16(_mm_mulhi_epu16(pairs, _mm_set1_epi16(static_cast<short>(49345))), 6);
  const __m128i units = _mm_sub_epi16(pairs, _mm_mullo_epi16(tens, _mm_set1_epi16(85)));
  const __m128i digitPairs = _mm_or_si128(tens, _mm_slli_epi16(units, 8));  // d1 d2 | d3 d4
  const __m128i middle = _mm_unpacklo_epi16(digitPairs, _mm_setzero_si128());
  const __m128i last = _mm_unpackhi_epi16(digitPairs, _mm_setzero_si128());
  const __m128i head = _mm_or_si128(_mm_or_si128(d0, _mm_slli_epi32(middle, 8)), _mm_slli_epi32(last, 24));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(heads), _mm_add_epi32(head, _mm_set1_epi32(0x21212121)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(tails), _mm_add_epi32(_mm_srli_epi32(last, 8), _mm_set1_epi32(0x21)));
}
#endif

}  // namespace

DWORD EncodeAscii85Group(const BYTE* source, DWORD count, BYTE* destination) {
  if (source == nullptr || destination == nullptr || count < 1 || count > 4) return 0;

  BYTE padded[4] = {};
  std::memcpy(padded, source, count);
  const uint32_t value = LoadBigEndian32(padded);

  // "z" stands only for a whole group of zeros: a short group of zeros must
  // keep its length, which only the digit count carries.
  if (count == 4 && value == 0) {
    destination[0] = 'z';
    return 1;
  }
  BYTE digits[5];
  PutFiveDigits(digits, value);
  std::memcpy(destination, digits, count + 1);
  return count + 1;
}

DWORD EncodeAscii85(const BYTE* source, DWORD count, BYTE* destination, DWORD capacity) {
  if (source == nullptr || destination == nullptr || count < 1 || capacity < 1) return 0;

  DWORD written = 0;
  DWORD lineCharacters = 0;
  DWORD done = 0;

  // Whole groups while a group and a line feed after it surely fit: no capacity
  // test but the loop's.
  while (count - done >= 4 && capacity - written >= kMaxGroupCharacters + 1) {
#if defined(__SSE2__)
    // Four groups at once while their characters and a line feed surely fit
    // (four zero groups go to the "z" stretch below). The line feed falls after
    // the group that brings the line to 100.
    if (count - done >= 16 && capacity - written >= 4 * kMaxGroupCharacters + 2) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + done));
      const int zeroLanes = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(bytes, _mm_setzero_si128())));
      if (zeroLanes != 0xF) {
        alignas(16) uint32_t heads[4];
        alignas(16) uint32_t tails[4];
        FourGroups(bytes, heads, tails);
        if (zeroLanes == 0 && lineCharacters + 4 * kMaxGroupCharacters < kLineCharacters) {
          for (int g = 0; g < 4; ++g) {
            std::memcpy(destination + written + 5 * g, &heads[g], 4);
            destination[written + 5 * g + 4] = static_cast<BYTE>(tails[g]);
          }
          written += 4 * kMaxGroupCharacters;
          lineCharacters += 4 * kMaxGroupCharacters;
        } else {
          for (int g = 0; g < 4; ++g) {
            if (zeroLanes & (1 << g)) {
              destination[written++] = 'z';
              lineCharacters += 1;
            } else {
              std::memcpy(destination + written, &heads[g], 4);
              destination[written + 4] = static_cast<BYTE>(tails[g]);
              written += 5;
              lineCharacters += 5;
            }
            if (lineCharacters >= kLineCharacters) {
              destination[written++] = '\n';
              lineCharacters = 0;
            }
          }
        }
        done += 16;
        continue;
      }
    }
#endif
    const uint32_t value = LoadBigEndian32(source + done);
    if (value != 0) {
      PutFiveDigits(destination + written, value);
      written += 5;
      lineCharacters += 5;
      done += 4;
    } else {
      // A stretch of zero groups: as many "z" as the line, the data and the
      // room allow (each group still starts with room for 6).
      const DWORD zeroGroups = (encode_scan::EndOfRun(source, 0, done, count - (count - done) % 4) - done) / 4;
      DWORD take = kLineCharacters - lineCharacters;  // a line is never full here
      if (take > zeroGroups) take = zeroGroups;
      const DWORD roomGroups = capacity - written - kMaxGroupCharacters;
      if (take > roomGroups) take = roomGroups;
      if (take <= 16 && capacity - written >= 16) {
        static constexpr BYTE kSixteenZ[16] = {'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z',
                                               'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z'};
        std::memcpy(destination + written, kSixteenZ, 16);  // one store; the rest is scratch
      } else {
        std::memset(destination + written, 'z', take);
      }
      written += take;
      lineCharacters += take;
      done += 4 * take;
    }
    if (lineCharacters >= kLineCharacters) {
      destination[written++] = '\n';
      lineCharacters = 0;
    }
  }

  // The last short group, and groups near the end of the room.
  while (done < count && capacity - written >= kMaxGroupCharacters) {
    const DWORD take = count - done < 4 ? count - done : 4;
    const DWORD characters = EncodeAscii85Group(source + done, take, destination + written);
    written += characters;
    done += take;
    lineCharacters += characters;
    if (lineCharacters >= kLineCharacters) {
      // With no room left for the line feed nothing else fits either: leave it out.
      if (written == capacity) break;
      destination[written++] = '\n';
      lineCharacters = 0;
    }
  }
  return written;
}
