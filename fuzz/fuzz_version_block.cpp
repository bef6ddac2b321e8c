// A version block read from a module's resources: every query of it must stay
// inside the block, whatever its lengths say.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/base/version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The block as GetFileVersionInfo hands it out: its bytes, its length word
  // saying how many there are; everything inside comes from the file.
  if (size < 2 || size > 0xFFFF) return 0;
  std::vector<uint8_t> block(data, data + size);
  block[0] = static_cast<uint8_t>(size);
  block[1] = static_cast<uint8_t>(size >> 8);
  static const char* const kQueries[] = {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904B0\\FileVersion",
                                         "\\StringFileInfo\\041104B0\\ProductName",
                                         "\\StringFileInfo\\040904E4\\CompanyName"};
  for (const char* query : kQueries) {
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), query, &value, &length) && value && length) {
      volatile uint8_t sink = *static_cast<uint8_t*>(value);
      (void)sink;
    }
  }
  return 0;
}
