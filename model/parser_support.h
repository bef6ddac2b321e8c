// Shared steps of the record parsers: rows are built whole in a local copy and
// handed out only when the record was accepted, so a refused record can never
// leave half a row behind.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "model/record_text.h"

namespace modelparse {

// The number a row key names, accepted only within [low, high].
inline bool KeyNumber(const char* key, int32_t low, int32_t high, int32_t& number) {
  if (!key) return false;
  number = modeltext::ReadInt(key);
  return number >= low && number <= high;
}

// The id of a row whose id field is a WORD: 1 to 65535 (0 would end the table).
inline bool KeyWordId(const char* key, uint16_t& id) {
  int32_t number = 0;
  if (!KeyNumber(key, 1, 0xFFFF, number)) return false;
  id = static_cast<uint16_t>(number);
  return true;
}

// Stores a finished row, or clears it when the record was refused; the row's
// bytes are cleared either way first, padding included.
template <class Row>
int Finish(Row* row, const Row& built, bool accepted) {
  static_assert(std::is_trivially_copyable_v<Row>);
  std::memset(static_cast<void*>(row), 0, sizeof(Row));
  if (accepted) *row = built;
  return accepted ? 1 : 0;
}

template <class Fields>
int32_t IntOr(const Fields& fields, size_t group, size_t field, int32_t fallback) {
  return fields.Has(group, field) ? modeltext::ReadInt(fields.Field(group, field)) : fallback;
}

}  // namespace modelparse
