#include "interface/util/library_folder.h"

#include "interface/app/library_state.h"
#include "interface/app/settings_library.h"
#include "platform/base/modules.h"

std::string LibraryFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(LibraryInstance(), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return ModuleFolder(path);
}
