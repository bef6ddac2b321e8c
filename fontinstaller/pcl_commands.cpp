#include "fontinstaller/pcl_commands.h"

#include <climits>

namespace fontinstaller {

namespace {

constexpr uint8_t kEsc = 0x1B;

bool IsParameterized(uint8_t c) { return c >= 0x21 && c <= 0x2F; }
bool IsGroup(uint8_t c) { return c >= 0x60 && c <= 0x7E; }
bool IsFinal(uint8_t c) { return c >= 0x40 && c <= 0x5E; }
bool IsCombined(uint8_t c) { return c >= 0x60 && c <= 0x7E; }

}  // namespace

void WalkPclCommands(const uint8_t* bytes, size_t size, const std::function<bool(const PclCommand&)>& visit) {
  size_t at = 0;
  while (at < size) {
    if (bytes[at] != kEsc) {
      ++at;
      continue;
    }
    const size_t escAt = at;
    if (at + 1 >= size) return;
    const uint8_t first = bytes[at + 1];
    if (!IsParameterized(first)) {
      at += 2;  // a two-character escape (ESC E) carries nothing
      continue;
    }
    at += 2;
    char group = 0;
    if (at < size && IsGroup(bytes[at])) group = static_cast<char>(bytes[at++]);
    for (;;) {
      // The value: a sign, digits and a fraction, which is read over.
      bool negative = false;
      if (at < size && (bytes[at] == '+' || bytes[at] == '-')) negative = bytes[at++] == '-';
      long value = 0;
      while (at < size && bytes[at] >= '0' && bytes[at] <= '9') {
        if (value < (LONG_MAX - 9) / 10) value = value * 10 + (bytes[at] - '0');
        ++at;
      }
      if (at < size && bytes[at] == '.') {
        ++at;
        while (at < size && bytes[at] >= '0' && bytes[at] <= '9') ++at;
      }
      if (at >= size) return;
      const uint8_t term = bytes[at];
      if (!IsFinal(term) && !IsCombined(term)) break;  // not a command after all: resync
      ++at;
      PclCommand command;
      command.parameterized = static_cast<char>(first);
      command.group = group;
      command.terminator = static_cast<char>(IsCombined(term) ? term - 0x20 : term);
      command.value = negative ? -value : value;
      command.at = escAt;
      if (command.terminator == 'W' && !negative) {
        const size_t available = size - at;
        command.data = bytes + at;
        command.dataSize = static_cast<size_t>(value) < available ? static_cast<size_t>(value) : available;
        at += command.dataSize;
      }
      if (!visit(command)) return;
      if (IsFinal(term)) break;
    }
  }
}

}  // namespace fontinstaller
