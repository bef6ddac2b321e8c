// Reading the text records of a model description: ";" separates groups and ","
// separates fields of a group (some records take either character anywhere).
// The text is ANSI in the process's code page; every search steps over whole
// characters, so a double-byte character is never split and its trail byte never
// taken for syntax.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace modeltext {

// The pieces of text between separators (any character of `separators`), in
// order; an empty text gives one empty piece.
std::vector<std::string_view> Split(std::string_view text, std::string_view separators);

// Fields by group: groups at ";", fields of each group at ",".
class GroupedFields {
 public:
  explicit GroupedFields(std::string_view text);
  size_t groupCount() const { return groups_.size(); }
  // The field, or an empty view when the group or field does not exist.
  std::string_view Field(size_t group, size_t field) const;
  // A field is given when it exists and holds more than blanks.
  bool Has(size_t group, size_t field) const;

 private:
  std::vector<std::vector<std::string_view>> groups_;
};

// Fields separated by either ";" or ",".
class FlatFields {
 public:
  explicit FlatFields(std::string_view text);
  std::string_view Field(size_t index) const;
  bool Has(size_t index) const;

 private:
  std::vector<std::string_view> fields_;
};

bool IsBlank(std::string_view text);

// A decimal number as the C library's atoi reads it: leading blanks, an optional
// sign, digits up to the first other character; no digits read as 0. Values
// beyond 32 bits are held at the nearest limit instead of overflowing.
int32_t ReadInt(std::string_view text);
// The same read as an unsigned 32-bit number ("-2" gives 0xFFFFFFFE).
uint32_t ReadUnsigned(std::string_view text);

// Whether the text begins with a decimal digit (the rule for a table row's key).
bool BeginsWithDigit(std::string_view text);

// Copies at most size - 1 bytes of whole characters into field and ends it with a
// zero byte; the rest of the field is zeroed. A text with an embedded zero byte
// ends there.
void CopyName(char* field, size_t size, std::string_view text);
template <size_t N>
void CopyName(char (&field)[N], std::string_view text) {
  CopyName(field, N, text);
}

// The text without trailing blanks and tabs.
std::string_view TrimRight(std::string_view text);
// The text without leading blanks and tabs.
std::string_view TrimLeft(std::string_view text);

}  // namespace modeltext
