#include "platform/base/debug.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "platform/base/codepage.h"

namespace platform {
namespace {

struct DebugOutput {
  std::mutex mutex;
  std::shared_ptr<const DebugOutputSink> sink;
};

DebugOutput& State() {
  static DebugOutput* state = new DebugOutput;  // traces may come from static destructors
  return *state;
}

void Emit(const std::string& utf8) {
  if (const char* flag = std::getenv("ZEL_DEBUG_OUTPUT"); flag && *flag) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  }
  std::shared_ptr<const DebugOutputSink> sink;
  {
    DebugOutput& state = State();
    std::lock_guard lock(state.mutex);
    sink = state.sink;
  }
  // Called outside the lock: a sink may trace or replace itself.
  if (sink) (*sink)(utf8);
}

}  // namespace

void SetDebugOutputSink(DebugOutputSink sink) {
  DebugOutput& state = State();
  std::lock_guard lock(state.mutex);
  state.sink = sink ? std::make_shared<const DebugOutputSink>(std::move(sink)) : nullptr;
}

}  // namespace platform

void OutputDebugStringA(LPCSTR text) { platform::Emit(platform::Utf8FromAnsi(text ? text : "")); }

void OutputDebugStringW(LPCWSTR text) { platform::Emit(platform::Utf8FromUtf16(platform::Utf16FromZ(text))); }
