// The fixed version information of a module file.
#pragma once

#include "platform/base/types.h"
#include "platform/base/version.h"

// Copies the root block of the file's version resource (52 bytes). Answers 1; 0
// for a null argument, a file without version information, or no memory.
int ReadFileVersion(const char* path, VS_FIXEDFILEINFO* info);
