#include "detect/address_rules.h"

#include <cctype>
#include <vector>

namespace {

constexpr size_t kLongestPortName = 256;

// Pieces at each separator in turn, runs of a separator skipped; the last piece
// is the rest. Nothing when a piece is empty.
std::optional<std::vector<std::string>> SplitAt(const std::string& text, const std::string& separators) {
  std::vector<std::string> pieces;
  size_t at = 0;
  for (char separator : separators) {
    while (at < text.size() && text[at] == separator) ++at;
    const size_t end = text.find(separator, at);
    if (end == std::string::npos || end == at) return std::nullopt;
    pieces.push_back(text.substr(at, end - at));
    at = end;
    while (at < text.size() && text[at] == separator) ++at;
  }
  if (at >= text.size()) return std::nullopt;
  pieces.push_back(text.substr(at));
  return pieces;
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

std::vector<std::string> Pieces(const std::string& text) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    const size_t dot = text.find('.', start);
    pieces.push_back(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) return pieces;
    start = dot + 1;
  }
}

}  // namespace

bool IsIpPortName(const std::string& portName) {
  const std::string name = portName.substr(0, kLongestPortName);
  if (SplitAt(name, "...:")) return true;
  if (name.size() < 3) return false;
  const bool prefixed = std::toupper(static_cast<unsigned char>(name[0])) == 'I' &&
                        std::toupper(static_cast<unsigned char>(name[1])) == 'P' && name[2] == '_';
  return prefixed && SplitAt(name.substr(3), "...").has_value();
}

std::optional<std::array<int, 4>> ParseDottedQuad(const std::string& text) {
  const std::vector<std::string> pieces = Pieces(text);
  if (pieces.size() > 4) return std::nullopt;
  std::array<int, 4> numbers{-1, -1, -1, 0};
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (pieces[i].empty()) continue;
    if (!AllDigits(pieces[i]) || pieces[i].size() > 9) return std::nullopt;
    numbers[i] = std::stoi(pieces[i]);
  }
  return numbers;
}

bool IsAcceptableIpAddress(const std::string& text) {
  const std::vector<std::string> pieces = Pieces(text);
  if (pieces.size() != 4 || text.empty() || text[0] == '0') return false;
  for (const std::string& piece : pieces) {
    if (!AllDigits(piece) || piece.size() > 3) return false;
    if (piece.size() > 1 && piece[0] == '0') return false;
    if (std::stoi(piece) > 255) return false;
  }
  return true;
}
