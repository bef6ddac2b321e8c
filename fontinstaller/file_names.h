// The name part of a path as the installer records it. Paths come in the ANSI
// code page, where the trail byte of a double-byte character can be 0x5C or
// 0x2F: the search skips trail bytes so "表.sfp" stays whole.
#pragma once

#include <string>

namespace fontinstaller {

// What follows the last '\', '/' or ':' of the path; the whole path without one.
std::string FileNamePart(const std::string& path);

}  // namespace fontinstaller
