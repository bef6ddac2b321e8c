// The printer fixture clears the recording font log of the other graphics test
// programs; here the real font lists run, so the log is only a place to clear.
#include "tests/graphics/fake_device_fonts.h"

namespace graphicstest {

FontLog& Fonts() {
  static FontLog log;
  return log;
}

void ResetFontLog() { Fonts() = FontLog{}; }

}  // namespace graphicstest
