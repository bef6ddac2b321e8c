// Walks the escape sequences of a PCL byte stream the way a printer reads them:
// a command that carries data ("W" terminator) owns the bytes that follow it, so
// raster data and descriptors are skipped whole and an ESC byte inside them is
// never taken for a command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace fontinstaller {

struct PclCommand {
  char parameterized = 0;  // '(' ')' '*' '&' ...
  char group = 0;          // 's' 'c' ...; 0 when the sequence has none
  char terminator = 0;     // upper case
  long value = 0;
  size_t at = 0;                  // position of the command's ESC
  const uint8_t* data = nullptr;  // a "W" command's data, cut at the end of the stream
  size_t dataSize = 0;
};

// Calls visit for every parameterized command, in stream order; a combined
// sequence ("ESC *c7d65E") gives one call per command. visit answers false to stop.
void WalkPclCommands(const uint8_t* bytes, size_t size, const std::function<bool(const PclCommand&)>& visit);

}  // namespace fontinstaller
