// Joining and splitting file paths in the ANSI code page. Separators are found as
// characters, never as the trail byte of a double-byte character: in code page
// 932 "ソ" and "表" end in the byte of the backslash.
#pragma once

#include <cstddef>

// The folder, then one backslash unless the folder is empty or already ends in
// one, then the name. Answers the buffer; NULL (and an empty buffer when there is
// one) when an argument is NULL or the whole path does not fit size bytes.
char* JoinPath(char* buffer, size_t size, const char* folder, const char* name);

// The folder is the path up to and including its last backslash or colon; empty
// when there is none or it is the path's first character. The name is what
// follows that separator. Either output may be NULL. Answers false, with that
// output empty, when a part does not fit its buffer.
bool SplitPath(char* folder, size_t folderSize, char* name, size_t nameSize, const char* path);
