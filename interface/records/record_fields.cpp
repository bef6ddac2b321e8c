#include "interface/records/record_fields.h"

#include <cstring>

#include "platform/base/text_cut.h"

namespace records {

std::vector<std::string_view> SplitFields(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      fields.push_back(text.substr(start));
      return fields;
    }
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::optional<int64_t> ParseNumber(std::string_view field) {
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!field.empty() && isBlank(field.front())) field.remove_prefix(1);
  while (!field.empty() && isBlank(field.back())) field.remove_suffix(1);
  bool negative = false;
  if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
    negative = field.front() == '-';
    field.remove_prefix(1);
  }
  if (field.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 0xFFFFFFFFLL) return std::nullopt;
  }
  if (negative) {
    if (value > 0x80000000LL) return std::nullopt;
    value = -value;
  }
  return value;
}

std::optional<uint32_t> ParseField32(std::string_view field) {
  std::optional<int64_t> value = ParseNumber(field);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

void CopyText(char* field, size_t size, std::string_view text) {
  if (!field || size == 0) return;
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  const size_t keep = platform::CutPoint(text, size - 1);
  std::memset(field, 0, size);
  if (keep > 0) std::memcpy(field, text.data(), keep);
}

std::string_view FieldText(const char* field, size_t size) {
  if (!field) return {};
  size_t length = 0;
  while (length < size && field[length] != '\0') ++length;
  return std::string_view(field, length);
}

bool KeyBeginsWithDigit(const char* key) { return key && key[0] >= '0' && key[0] <= '9'; }

}  // namespace records
