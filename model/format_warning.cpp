#include "model/format_warning.h"

#include <atomic>
#include <cstdio>

#include "platform/base/debug.h"

namespace {
std::atomic<ModelFormatWarningHook> g_hook{nullptr};
}  // namespace

ModelFormatWarningHook SetModelFormatWarningHook(ModelFormatWarningHook hook) {
  ModelFormatWarningHook previous = g_hook.exchange(hook);
  return previous ? previous : TraceModelFormatWarning;
}

ModelFormatWarningHook CurrentModelFormatWarningHook() {
  ModelFormatWarningHook hook = g_hook.load();
  return hook ? hook : TraceModelFormatWarning;
}

void TraceModelFormatWarning(int major, int minor, int expectedMajor) {
  char text[160];
  std::snprintf(text, sizeof text,
                "Configuration Warning (ZAZ - Driver mismatch): Printer's PHD is version %d.%d; expecting version "
                "%d.x.\n",
                major, minor, expectedMajor);
  OutputDebugStringA(text);
}
