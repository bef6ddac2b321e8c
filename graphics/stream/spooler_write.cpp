#include "graphics/stream/spooler_write.h"

#include <atomic>

#include "platform/spooler/spooler.h"

namespace {
std::atomic<SpoolerWriteFunction> g_function{nullptr};
}

SpoolerWriteFunction SetSpoolerWriteFunction(SpoolerWriteFunction function) { return g_function.exchange(function); }

BOOL WriteToSpooler(HANDLE printer, LPVOID data, DWORD length, LPDWORD written) {
  SpoolerWriteFunction function = g_function.load();
  return function != nullptr ? function(printer, data, length, written) : WritePrinter(printer, data, length, written);
}
