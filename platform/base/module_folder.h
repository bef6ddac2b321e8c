// The folder a module's file lies in, where a program or library finds the
// files installed beside it.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace platform {

// The folder part of a Windows path in the ANSI code page: up to and including
// its last backslash, found as a character and never as the trail byte of a
// double-byte one ("表" ends in the backslash byte in code page 932); empty
// when the path has no backslash.
std::string FolderOfPath(std::string_view path);

// The folder of the module's file (0: the program), with its trailing
// backslash; empty when the module is unknown or its path is longer than
// MAX_PATH (a cut path would name another folder).
std::string ModuleFolder(HMODULE module);

}  // namespace platform
