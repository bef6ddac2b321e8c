// The process's current folder, as Windows paths. It starts at the root of C:
// (the stand-in machine has no folder a program was started in) and the file
// dialogs move it as the user changes folders.
#include <mutex>
#include <string>

#include "platform/base/errors.h"
#include "platform/base/files.h"

namespace {

std::mutex& FolderLock() {
  static std::mutex lock;
  return lock;
}
std::string& CurrentFolder() {
  static std::string folder = "C:\\";
  return folder;
}

}  // namespace

ZEL_EXTERN_C DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  std::lock_guard<std::mutex> guard(FolderLock());
  const std::string& folder = CurrentFolder();
  if (!buffer || size < folder.size() + 1) return static_cast<DWORD>(folder.size() + 1);
  folder.copy(buffer, folder.size());
  buffer[folder.size()] = '\0';
  return static_cast<DWORD>(folder.size());
}

ZEL_EXTERN_C BOOL SetCurrentDirectoryA(LPCSTR path) {
  if (!path || !*path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::string folder = path;
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  std::lock_guard<std::mutex> guard(FolderLock());
  CurrentFolder() = folder;
  return TRUE;
}
