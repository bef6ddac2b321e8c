// Where this library's own file lies: the help files, the detection program and
// the status monitor are installed beside it.
#pragma once

#include <string>

// The folder of the user-interface library's file, with its last backslash;
// empty when the path cannot be had whole.
std::string LibraryFolder();
