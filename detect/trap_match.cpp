#include "detect/trap_match.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace {

std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The attribute's parts: the printer may quote it as sent ("=00" between the
// parts) or decoded; either way the parts are what lies between the NULs.
std::vector<std::string> AttributeParts(const std::string& text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  std::vector<std::string> parts;
  std::string part;
  for (char c : decoded) {
    if (c == '\0') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::optional<DetectionAnswer> MatchDetectionAnswer(const SnmpTrapRecord& trap, const std::string& hostAddress,
                                                    int jobNumber) {
  if (trap.kind != kTrapJobStart || hostAddress.empty()) return std::nullopt;
  // All of the field: a printer that quotes the attribute decoded puts NULs
  // between its parts.
  std::string text(trap.text314, sizeof trap.text314);
  text.erase(text.find_last_not_of('\0') + 1);
  if (Upper(text).find("DETECTJOB") == std::string::npos) return std::nullopt;
  bool namesJob = false;
  bool namesHost = false;
  bool namesNumber = false;
  const std::string number = "JOB#" + std::to_string(jobNumber);
  for (const std::string& part : AttributeParts(text)) {
    if (Upper(part) == "DETECTJOB") namesJob = true;
    if (part == hostAddress) namesHost = true;
    if (Upper(part) == number) namesNumber = true;
  }
  if (!namesJob || !namesHost || !namesNumber) return std::nullopt;
  DetectionAnswer answer;
  answer.address = Field(trap.sender, sizeof trap.sender);
  answer.logicalPrinter = Field(trap.text1090, sizeof trap.text1090);
  if (answer.address.find('.') != std::string::npos) {
    if (answer.logicalPrinter.empty()) return std::nullopt;
    answer.protocol = 0;
  } else {
    answer.protocol = 1;
  }
  return answer;
}
