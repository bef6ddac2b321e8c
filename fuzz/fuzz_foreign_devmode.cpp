// A device mode from outside (an application, a stored copy, another printer):
// any bytes in the driver's layout are made safe, texts ended within their
// fields and row numbers brought into an empty model's range.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "model/foreign_devmode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto devmode = std::make_unique<XDEVMODE>();
  std::memcpy(devmode.get(), data, size < sizeof(XDEVMODE) ? size : sizeof(XDEVMODE));
  static const auto record = std::make_unique<ModelRecord>();
  AcceptForeignDevmode(devmode.get(), (size & 1) ? record.get() : nullptr);
  return 0;
}
