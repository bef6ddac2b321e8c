#include "interface/setup/temp_folder.h"

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "platform/base/codepage.h"
#include "platform/base/files.h"

void CreateFolderPath(const std::string& path) {
  // "C:\a\b": the levels "C:\a" and "C:\a\b"; the root itself needs no creating.
  size_t separator = platform::FindFirstCharAnsi(path, '\\');
  if (separator == std::string::npos) return;
  size_t i = separator + 1;
  while (i <= path.size()) {
    if (i == path.size() || path[i] == '\\') {
      // An empty component (a doubled backslash, a trailing one) names no new level.
      if (i > separator + 1) CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
      separator = i++;
    } else {
      i += platform::CharLengthAnsi(path, i);
    }
  }
}

std::string CreateTempFolder() {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, buffer);
  // A path longer than the buffer comes back as its needed size, with nothing copied.
  if (length == 0 || length >= MAX_PATH) return {};
  const std::string tempPath(buffer, length);
  // The temp folder itself is made too, not only the folders above it: the path
  // stored below is of no use to its readers when it does not exist.
  CreateFolderPath(tempPath);
  LibrarySettings().SetString(0, kStoreUser, "GeneralInformation", "TempDir", tempPath.c_str());
  return tempPath;
}
