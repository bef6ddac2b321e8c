#include "platform/base/module_folder.h"

#include "platform/base/codepage.h"
#include "platform/base/modules.h"

namespace platform {

std::string FolderOfPath(std::string_view path) {
  const size_t slash = FindLastCharAnsi(path, '\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ModuleFolder(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  return FolderOfPath(std::string_view(path, length));
}

}  // namespace platform
