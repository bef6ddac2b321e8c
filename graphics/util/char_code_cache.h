// The bytes of single characters in a code page, remembered for the life of the
// process. A text run converts every character on its own (each needs its own
// bytes and its own verdict on whether it had a code), and asking the platform
// for each one costs two conversions per glyph; the answer never changes for a
// code page, so each is asked once. Safe for threads: an entry is one atomic
// word, and two threads that miss the same character store the same answer.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/base/types.h"

struct CharCode {
  char bytes[4] = {};
  int length = 0;         // 1-4
  WCHAR back = 0;         // the character the bytes convert back to
  bool fellBack = false;  // the character has no code of its own there
};

class CharCodeTable {
 public:
  // The table of a code page (the ANSI code page of the moment is part of the
  // key, for the code pages that stand for it); null when too many code pages
  // are in use to keep one more.
  static CharCodeTable* For(UINT codePage);

  bool Find(WCHAR ch, CharCode* code) const {
    const uint64_t entry = entries_[ch].load(std::memory_order_relaxed);
    if (!(entry & kKnown)) return false;
    Unpack(entry, code);
    return true;
  }
  // Codes longer than 4 bytes (a shifted encoding's escapes) are not kept.
  void Remember(WCHAR ch, const CharCode& code);

 private:
  // An entry: bit 63 set when known; bytes in bits 0-31, length in 32-34, the
  // fell-back flag in bit 35, the round-trip character in bits 40-55.
  static constexpr uint64_t kKnown = uint64_t{1} << 63;

  CharCodeTable(UINT codePage, UINT ansi);
  static uint64_t Pack(const CharCode& code);
  static void Unpack(uint64_t entry, CharCode* code) {
    const auto bytes = static_cast<uint32_t>(entry);
    std::memcpy(code->bytes, &bytes, sizeof bytes);
    code->length = static_cast<int>((entry >> 32) & 7);
    code->fellBack = ((entry >> 35) & 1) != 0;
    code->back = static_cast<WCHAR>((entry >> 40) & 0xFFFF);
  }

  UINT codePage_;
  UINT ansi_;
  std::unique_ptr<std::atomic<uint64_t>[]> entries_;
};
