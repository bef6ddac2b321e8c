// The PostScript RunLengthDecode form of image rows.
#include <cstring>

#include "graphics/encode/byte_scan.h"
#include "graphics/encode/encoders.h"

namespace {

constexpr DWORD kMaxRun = 128;
constexpr DWORD kLiteralFlushLength = 127;
constexpr BYTE kEndOfData = 128;

}  // namespace

DWORD EncodeRunLength(const BYTE* source, DWORD count, BYTE* destination, DWORD capacity, BOOL addEndMarker) {
  if (destination == nullptr || capacity < 1) return 0;
  if (source == nullptr) count = 0;

  // The source falls into stretches of equal bytes. A stretch of 3 or more is
  // sent as runs of at most 128 (a rest of 1 or 2 joins the literal that
  // follows); shorter stretches gather into a literal that is sent as soon as
  // it holds 127 bytes or more, before a run, or at the end.
  //
  // Every record (a literal with its length byte, a run, the end marker) is
  // written whole or not at all, so output cut short by the capacity still
  // decodes to a prefix of the source.
  DWORD written = 0;
  DWORD pos = 0;
  while (pos < count) {
    // The next three equal bytes within a literal's reach: a run starts there.
    const DWORD searchEnd = count - pos < kMaxRun + 2 ? count : pos + kMaxRun + 2;
    const DWORD runStart = encode_scan::FindTriple(source, pos, searchEnd);

    if (runStart == pos) {
      const BYTE value = source[pos];
      const DWORD end = encode_scan::EndOfRun(source, value, pos + 3, count - pos < kMaxRun ? count : pos + kMaxRun);
      if (capacity - written < 2) return written;
      destination[written++] = static_cast<BYTE>(257 - (end - pos));
      destination[written++] = value;
      pos = end;
      continue;
    }

    // A literal up to the next run or the end. Once it reaches 127 bytes it is
    // sent, with the byte after the 127th when that one closes a pair.
    DWORD length = (runStart < searchEnd ? runStart : searchEnd) - pos;
    if (length >= kLiteralFlushLength) {
      length = kLiteralFlushLength;
      if (pos + length < count && source[pos + length] == source[pos + length - 1]) ++length;
    }
    if (capacity - written < length + 1) return written;
    destination[written] = static_cast<BYTE>(length - 1);
    encode_scan::CopyShort(destination + written + 1, source + pos, length, count - pos, capacity - written - 1);
    written += length + 1;
    pos += length;
  }

  if (addEndMarker && written < capacity) destination[written++] = kEndOfData;
  return written;
}
