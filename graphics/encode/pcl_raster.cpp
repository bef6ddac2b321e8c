// PCL raster row compression: method 2 (PackBits), method 3 (delta row) and the
// choice between them.
#include <bit>
#include <cstring>

#include "graphics/encode/byte_scan.h"
#include "graphics/encode/encoders.h"

using encode_scan::EndOfRun;
using encode_scan::FindTriple;
using encode_scan::FirstDifference;

namespace {

constexpr DWORD kMaxPackBitsRun = 128;
constexpr DWORD kMaxDeltaGroup = 8;
constexpr DWORD kShortOffsetLimit = 31;

}  // namespace

DWORD CompressPackBits(DWORD count, const BYTE* row, BYTE* destination) {
  if (row == nullptr || destination == nullptr) return 0;

  // The printer fills the rest of the row with zeros, so the row's trailing
  // zeros are not sent. Leaving them out before the scan gives the same records
  // as dropping them from the open record at the end, and also drops the zero
  // runs already closed at 128 bytes: a blank row costs nothing.
  const DWORD rowBytes = count;
  const DWORD bound = PackBitsBound(rowBytes);
  count -= encode_scan::TrailingZeros(row, count);

  // The scan's four states (nothing pending, one byte pending, in a literal, in
  // a repeat) come down to this at the start of each record: two equal bytes
  // start a repeat that takes the whole stretch of that byte, up to 128; any
  // other byte starts a literal that ends where three equal bytes begin (the
  // literal's last byte and the next two), or at 128 bytes. Only a triple that
  // begins within the literal's first 127 bytes can end it early.
  DWORD out = 0;
  DWORD i = 0;
  while (i < count) {
    const BYTE b = row[i];
    if (count - i >= 2 && row[i + 1] == b) {
      const DWORD end = EndOfRun(row, b, i + 2, count - i < kMaxPackBitsRun ? count : i + kMaxPackBitsRun);
      destination[out++] = static_cast<BYTE>(1 - static_cast<int>(end - i));
      destination[out++] = b;
      i = end;
    } else {
      const DWORD searchEnd = count - i < kMaxPackBitsRun + 1 ? count : i + kMaxPackBitsRun + 1;
      const DWORD triple = FindTriple(row, i + 1, searchEnd);
      const DWORD end = triple < searchEnd ? triple : (count - i < kMaxPackBitsRun ? count : i + kMaxPackBitsRun);
      const DWORD length = end - i;
      destination[out] = static_cast<BYTE>(length - 1);
      encode_scan::CopyShort(destination + out + 1, row + i, length, rowBytes - i, bound - out - 1);
      out += length + 1;
      i = end;
    }
  }
  return out;
}

DWORD CompressDeltaRow(DWORD count, const BYTE* row, BYTE* seed, BYTE* destination) {
  if (row == nullptr || seed == nullptr || destination == nullptr) return 0;

  // Groups may be stored 8 bytes at a time while that stays inside the bound
  // the caller's buffer is sized to.
  const DWORD bound = DeltaRowBound(count);
  DWORD out = 0;
  DWORD groupEnd = 0;  // where the previous group ended: offsets count from here
  DWORD i = FirstDifference(row, seed, 0, count);
  while (i < count) {
    const DWORD start = i;
    const bool wholeWord = count - start >= kMaxDeltaGroup;
    uint64_t rowWord = 0;
    uint64_t diff = 0;
    DWORD length;
    if (wholeWord) {
      // The group ends at the first equal byte of the next 8 (8 when none is).
      rowWord = encode_scan::Load64(row + start);
      diff = rowWord ^ encode_scan::Load64(seed + start);
      length = static_cast<DWORD>(std::countr_zero(encode_scan::ZeroBytes(diff))) / 8;
    } else {
      length = 0;
      while (start + length < count && row[start + length] != seed[start + length]) ++length;
    }
    i = start + length;

    DWORD offset = start - groupEnd;
    if (offset < kShortOffsetLimit) {
      destination[out++] = static_cast<BYTE>(((length - 1) << 5) | offset);
    } else {
      destination[out++] = static_cast<BYTE>(((length - 1) << 5) | kShortOffsetLimit);
      offset -= kShortOffsetLimit;
      while (offset >= 255) {
        destination[out++] = 255;
        offset -= 255;
      }
      destination[out++] = static_cast<BYTE>(offset);
    }

    if (wholeWord && bound - out >= 8) {
      encode_scan::Store64(destination + out, rowWord);
      // Only the group's bytes go into the seed: the bytes after it are
      // compared later.
      const uint64_t mask = length == 8 ? ~0ull : (1ull << (8 * length)) - 1;
      encode_scan::Store64(seed + start, (rowWord & mask) | (encode_scan::Load64(seed + start) & ~mask));
    } else {
      std::memcpy(destination + out, row + start, length);
      std::memcpy(seed + start, row + start, length);
    }
    out += length;
    groupEnd = i;

    // The next difference is often in the word already compared.
    if (wholeWord && length < kMaxDeltaGroup) {
      const uint64_t rest = diff >> (8 * length);
      if (rest != 0) {
        i += encode_scan::FirstNonzeroByte(rest);
        continue;
      }
      i = start + kMaxDeltaGroup;
    }
    i = FirstDifference(row, seed, i, count);
  }
  return out;
}

int ChooseRasterCompression(const BYTE* row, DWORD count, const BYTE* seed, DWORD seedCount) {
  if (row == nullptr || count == 0) return 0;
  if (seed == nullptr) seedCount = 0;

  // s: bytes equal to the seed's; r: bytes equal to their predecessor.
  const DWORD sameAsSeed = encode_scan::CountEqual(row, seed, seedCount < count ? seedCount : count);
  const DWORD sameAsPrevious = encode_scan::CountEqual(row + 1, row, count - 1);

  if (sameAsSeed < sameAsPrevious) return sameAsPrevious > count / 3 ? 2 : 0;
  return sameAsSeed > count / 3 ? 3 : 0;
}
