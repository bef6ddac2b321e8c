#include "model/record_text.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"

namespace modeltext {
namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// The text up to an embedded zero byte: a value never reaches past its terminator.
std::string_view UpToNul(std::string_view text) {
  size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

int64_t ReadWide(std::string_view text, int64_t low, int64_t high) {
  text = UpToNul(text);
  size_t i = 0;
  while (i < text.size() && IsBlankChar(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  const int64_t limit = negative ? -low : high;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) {
      value = limit;
      break;
    }
  }
  return negative ? -value : value;
}

}  // namespace

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
  text = UpToNul(text);
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t i = 0; i < text.size();) {
    if (separators.find(text[i]) != std::string_view::npos) {
      pieces.push_back(text.substr(start, i - start));
      start = ++i;
      continue;
    }
    i += platform::CharLengthAnsi(text, i);
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

GroupedFields::GroupedFields(std::string_view text) {
  for (std::string_view group : Split(text, ";")) groups_.push_back(Split(group, ","));
}

std::string_view GroupedFields::Field(size_t group, size_t field) const {
  if (group >= groups_.size() || field >= groups_[group].size()) return {};
  return groups_[group][field];
}

bool GroupedFields::Has(size_t group, size_t field) const { return !IsBlank(Field(group, field)); }

FlatFields::FlatFields(std::string_view text) : fields_(Split(text, ";,")) {}

std::string_view FlatFields::Field(size_t index) const {
  return index < fields_.size() ? fields_[index] : std::string_view();
}

bool FlatFields::Has(size_t index) const { return !IsBlank(Field(index)); }

bool IsBlank(std::string_view text) {
  for (char c : text)
    if (!IsBlankChar(c)) return false;
  return true;
}

int32_t ReadInt(std::string_view text) {
  return static_cast<int32_t>(ReadWide(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

uint32_t ReadUnsigned(std::string_view text) {
  const int64_t range = std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(ReadWide(text, -range, range));
}

bool BeginsWithDigit(std::string_view text) { return !text.empty() && text[0] >= '0' && text[0] <= '9'; }

void CopyName(char* field, size_t size, std::string_view text) {
  if (!field || size == 0) return;
  text = UpToNul(text);
  size_t keep = platform::CutPoint(text, size - 1);
  std::memset(field, 0, size);
  if (keep > 0) std::memcpy(field, text.data(), keep);
}

std::string_view TrimRight(std::string_view text) {
  size_t end = 0;
  for (size_t i = 0; i < text.size();) {
    size_t length = platform::CharLengthAnsi(text, i);
    if (length > 1 || !IsBlankChar(text[i])) end = i + length;
    i += length;
  }
  return text.substr(0, std::min(end, text.size()));
}

std::string_view TrimLeft(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlankChar(text[i])) ++i;
  return text.substr(i);
}

}  // namespace modeltext
