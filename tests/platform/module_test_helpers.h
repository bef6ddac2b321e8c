// Shared by the loader, resource and version tests: where the fixture modules
// are, their Windows paths, and a recorder of the debug traces their DllMain leaves.
#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/debug.h"

namespace moduletest {

inline std::filesystem::path ModuleFile(const std::string& name) {
  return std::filesystem::path(ZEL_TEST_MODULE_DIR) / name;
}

// The Windows form of a host path outside the machine root, spelled out here
// rather than asked of the platform layer: "Z:" and the path with backslashes.
inline std::string ZPath(const std::filesystem::path& host) {
  std::string path = "Z:" + host.string();
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Whether the dynamic linker has the file mapped (a module really unloaded is not).
inline bool IsMapped(const std::filesystem::path& file) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

// Collects OutputDebugString traces while it lives.
class TraceRecorder {
 public:
  TraceRecorder() {
    platform::SetDebugOutputSink([this](std::string_view line) {
      std::lock_guard lock(mutex_);
      lines_.emplace_back(line);
    });
  }
  ~TraceRecorder() { platform::SetDebugOutputSink(nullptr); }
  TraceRecorder(const TraceRecorder&) = delete;
  TraceRecorder& operator=(const TraceRecorder&) = delete;

  std::vector<std::string> Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(lines_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace moduletest
