// For the targets whose reader takes a path: each input becomes the one file it
// reads, in a folder of the target's own under the machine's temp folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/machine.h"

namespace fuzzfiles {

// The folder (Windows path, no trailing backslash), made on first use with the
// machine's own folders: the machine root may be new.
inline std::string Folder(const char* target) {
  platform::EnsureMachineFolders();
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + target;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// Writes the bytes as <folder>\<name>; the file's path, or empty when it could
// not be written whole.
inline std::string WriteInput(const std::string& folder, const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = folder + "\\" + name;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE) return {};
  DWORD written = 0;
  WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return written == size ? path : std::string();
}

}  // namespace fuzzfiles
