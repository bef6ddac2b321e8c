// Debugger traces. OutputDebugString goes to stderr when ZEL_DEBUG_OUTPUT is set
// in the environment, and to a sink a test may set to see the traces.
#pragma once

#include <functional>
#include <string_view>

#include "platform/base/types.h"

ZEL_EXTERN_C void OutputDebugStringA(LPCSTR text);
ZEL_EXTERN_C void OutputDebugStringW(LPCWSTR text);

namespace platform {

// Receives each trace as UTF-8, called on the thread that traced. nullptr restores
// the default (no sink).
using DebugOutputSink = std::function<void(std::string_view)>;
void SetDebugOutputSink(DebugOutputSink sink);

}  // namespace platform
