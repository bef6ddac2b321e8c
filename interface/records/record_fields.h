// Reading the comma-separated text records of the settings store. The separators
// "," and ";" and the blank are never the trail byte of a double-byte character in
// the ANSI code pages the driver runs with, so records are split bytewise; names
// are cut only at character boundaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace records {

// The pieces between the separator characters, in order; an empty text gives one
// empty piece.
std::vector<std::string_view> SplitFields(std::string_view text, char separator);

// A whole field read as a decimal number: blanks around it, an optional sign,
// then digits and nothing else. Nothing for any other text and for values beyond
// what a 32-bit field can hold either signed or unsigned (-2^31 .. 2^32-1).
std::optional<int64_t> ParseNumber(std::string_view field);
// The number cut to 32 bits as the record's integer field stores it ("4294967295"
// and "-1" both give 0xFFFFFFFF).
std::optional<uint32_t> ParseField32(std::string_view field);

// Copies at most size - 1 bytes of whole characters and a NUL, zero-filling the rest.
void CopyText(char* field, size_t size, std::string_view text);
template <size_t N>
void CopyText(char (&field)[N], std::string_view text) {
  CopyText(field, N, text);
}

// The text of a fixed field up to its NUL, never past the field.
std::string_view FieldText(const char* field, size_t size);
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}

// Whether the key begins with a decimal digit (the rule for the rows of a table section).
bool KeyBeginsWithDigit(const char* key);

}  // namespace records
