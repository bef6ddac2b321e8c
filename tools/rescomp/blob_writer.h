// Assembles the resource blob (layout in platform/base/resource_format.h) from a script.
#pragma once

#include <vector>

#include "tools/rescomp/script.h"

namespace rescomp {

// Reads the files the script names; throws ScriptError for a file that cannot be
// read or a resource given twice.
std::vector<unsigned char> BuildBlob(const Script& script);

}  // namespace rescomp
