// Font metric (TFM) files of a font package, converted to the driver's metrics.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fontinstaller/tfm_metrics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fontinstaller::ConvertTfmMetrics(std::vector<uint8_t>(data, data + size));
  return 0;
}
