// Ini files on the stand-in machine: each file is parsed once and kept in memory
// until it changes on disk (inode, size, modification and change times in
// nanoseconds), so reading a model description key by key costs a lookup, not a
// file read. Writes replace the file atomically (a temporary file in the same
// folder, then a rename) under a lock shared by every process of the machine, so a
// crash never leaves half a file and two writers never lose each other's keys.
// The cache is per process and thread-safe.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/base/ini_document.h"
#include "platform/base/types.h"

namespace platform {

struct IniRead {
  std::shared_ptr<const IniDocument> document;  // null when the file could not be read
  DWORD error = 0;                              // ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED ...
};

// Reads the file at a Windows path (UTF-8; mapped with HostPathFromWindows, so the
// name is matched without regard to case).
IniRead ReadIniFile(std::string_view windowsPathUtf8);

// Reads the file (empty when missing), lets edit change it, and writes it back when
// edit answers true. Answers 0 or a Win32 error code; the file is created only
// when something was written.
DWORD UpdateIniFile(std::string_view windowsPathUtf8, const std::function<bool(IniDocument&)>& edit);

// Drops every cached file (the next read parses again).
void ForgetIniFiles();

}  // namespace platform
