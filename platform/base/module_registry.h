// What the resource and version code needs from the module loader. Internal to
// the platform layer.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/handles.h"
#include "platform/base/resource_blob.h"
#include "platform/base/types.h"

namespace platform::detail {

// What an HRSRC (and the HGLOBAL LoadResource gives for it) stands for. The
// handle lives as long as its module stays loaded.
class ResourceObject : public KernelObject {
 public:
  ResourceObject(HMODULE owner, std::span<const unsigned char> bytes) : module(owner), data(bytes) {}
  HMODULE module;
  std::span<const unsigned char> data;
};

// The resources of a module (0: the program). Nothing when the handle names no
// module (*error ERROR_INVALID_HANDLE) or the module carries no resources
// (ERROR_RESOURCE_DATA_NOT_FOUND).
std::optional<ResourceBlob> ModuleResources(HMODULE module, DWORD* error);
// The one handle that stands for entry `index` of the module's resources.
HRSRC ResourceHandle(HMODULE module, size_t index);
// A copy of a module's string that stays put until the module unloads
// (LoadStringW with a zero-sized buffer hands out a pointer to it).
const std::u16string& KeepWideString(HMODULE module, std::u16string text);

// The host file a module name (UTF-8) stands for, found as LoadLibrary finds it: a
// name with a folder is a Windows path, a bare one is looked for in the program's
// folder, the driver folder, the system folder and the current folder, without
// regard to case. With `defaultExtension`, a name without one gets ".dll".
std::optional<std::filesystem::path> FindModuleFile(std::string_view nameUtf8, bool defaultExtension);

}  // namespace platform::detail
