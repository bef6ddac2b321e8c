#include "graphics/util/char_code_cache.h"

#include <array>
#include <cstring>
#include <mutex>

#include "platform/base/codepage.h"

namespace {

constexpr size_t kCharCount = 0x10000;
// Enough for every code page a job's fonts use; past it runs convert as before.
constexpr size_t kMostTables = 16;

bool StandsForAnsi(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_MACCP || codePage == CP_THREAD_ACP;
}

}  // namespace

uint64_t CharCodeTable::Pack(const CharCode& code) {
  uint32_t bytes = 0;
  std::memcpy(&bytes, code.bytes, sizeof bytes);
  return kKnown | bytes | uint64_t(code.length) << 32 | uint64_t(code.fellBack ? 1 : 0) << 35 |
         uint64_t(code.back) << 40;
}

CharCodeTable::CharCodeTable(UINT codePage, UINT ansi)
    : codePage_(codePage), ansi_(ansi), entries_(new std::atomic<uint64_t>[kCharCount]()) {}

CharCodeTable* CharCodeTable::For(UINT codePage) {
  const UINT ansi = StandsForAnsi(codePage) ? GetACP() : 0;
  static std::mutex guard;
  // Kept while the library is loaded (a handful at most): the tables are
  // handed out without reference counts, and freed when the library is
  // unloaded, since a host may load and unload the driver many times.
  static std::array<std::unique_ptr<CharCodeTable>, kMostTables> tables{};
  const std::lock_guard<std::mutex> lock(guard);
  for (const auto& table : tables) {
    if (!table) break;
    if (table->codePage_ == codePage && table->ansi_ == ansi) return table.get();
  }
  for (auto& table : tables) {
    if (table) continue;
    table.reset(new CharCodeTable(codePage, ansi));
    return table.get();
  }
  return nullptr;
}

void CharCodeTable::Remember(WCHAR ch, const CharCode& code) {
  if (code.length < 1 || code.length > 4) return;
  entries_[ch].store(Pack(code), std::memory_order_relaxed);
}
