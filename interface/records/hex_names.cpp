#include "interface/records/hex_names.h"

namespace records {

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string HexName(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string name;
  name.reserve(text.size() * 2);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    name += kDigits[byte >> 4];
    name += kDigits[byte & 0x0F];
  }
  return name;
}

std::optional<std::string> TextOfHexName(std::string_view name, size_t maxBytes) {
  if (name.empty() || name.size() % 2 != 0 || name.size() / 2 > maxBytes) return std::nullopt;
  std::string text;
  text.reserve(name.size() / 2);
  for (size_t i = 0; i < name.size(); i += 2) {
    const int high = DigitValue(name[i]);
    const int low = DigitValue(name[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    const int byte = high << 4 | low;
    if (byte == 0) return std::nullopt;
    text += static_cast<char>(byte);
  }
  return text;
}

}  // namespace records
