// Byte search for the filter: long data (a page of application PostScript)
// uses the Boyer-Moore-Horspool shift table, short data a plain scan.
#include <cstring>

#include "graphics/passthrough/app_postscript_filter.h"

namespace {

constexpr DWORD kShiftTableFrom = 1024;

DWORD PlainScan(const BYTE* pattern, DWORD patternLength, const BYTE* data, DWORD dataLength) {
  for (DWORD start = 0; start + patternLength <= dataLength; ++start) {
    if (std::memcmp(data + start, pattern, patternLength) == 0) return start;
  }
  return kBytesNotFound;
}

DWORD ShiftTableScan(const BYTE* pattern, DWORD patternLength, const BYTE* data, DWORD dataLength) {
  DWORD shift[256];
  for (DWORD& s : shift) s = patternLength;
  for (DWORD i = 0; i + 1 < patternLength; ++i) shift[pattern[i]] = patternLength - 1 - i;
  DWORD start = 0;
  while (start + patternLength <= dataLength) {
    // Compare from the pattern's end.
    DWORD i = patternLength;
    while (i > 0 && data[start + i - 1] == pattern[i - 1]) --i;
    if (i == 0) return start;
    start += shift[data[start + patternLength - 1]];
  }
  return kBytesNotFound;
}

}  // namespace

DWORD FindBytes(const void* pattern, DWORD patternLength, const void* data, DWORD dataLength) {
  if (pattern == nullptr || data == nullptr || patternLength == 0 || dataLength < patternLength) {
    return kBytesNotFound;
  }
  const auto* p = static_cast<const BYTE*>(pattern);
  const auto* d = static_cast<const BYTE*>(data);
  return dataLength >= kShiftTableFrom ? ShiftTableScan(p, patternLength, d, dataLength)
                                       : PlainScan(p, patternLength, d, dataLength);
}

DWORD LineLength(const char* text, DWORD length) {
  if (text == nullptr) return 0;
  DWORD n = 0;
  while (n < length && text[n] != '\r' && text[n] != '\n') ++n;
  return n;
}
