// Joining and splitting wide Windows paths (file names in the driver's folder).
// Wide text has no lead/trail bytes, so the separators are found by value.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

// out := folder, a backslash unless the folder is empty or already ends in one,
// then name. `capacity` is the size of out in characters, terminator included.
// Answers out; nullptr for a null argument or when the result does not fit, in
// which case out (when it has room) holds the empty text, never a cut path. out
// may share its buffer with folder or name.
WCHAR* JoinPath(WCHAR* out, size_t capacity, const WCHAR* folder, const WCHAR* name);
template <size_t N>
WCHAR* JoinPath(WCHAR (&out)[N], const WCHAR* folder, const WCHAR* name) {
  return JoinPath(out, N, folder, name);
}

// Splits path at its last backslash or colon: the folder output receives the text
// before it (without the separator), the name output the text after it. A path
// without a separator is all name (empty folder). Each output is optional
// (nullptr) and sized in characters, terminator included. TRUE when every given
// output received its part; an output too small receives the empty text and the
// result is FALSE, as for a null path. An output may share its buffer with path.
BOOL SplitPath(WCHAR* folderOut, size_t folderCapacity, WCHAR* nameOut, size_t nameCapacity, const WCHAR* path);
