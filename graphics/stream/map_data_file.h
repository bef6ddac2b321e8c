// A whole file mapped read-only, for copying it into the job (font downloads,
// files written into the stream). Only an existing file is opened: a path named
// in the settings that points nowhere must not leave an empty file behind.
#pragma once

#include "platform/base/types.h"

// Opens the file (wide path), maps it and views it whole. 1 with *file,
// *mapping, *view set (and *size when asked); 0 with all three 0 when the file
// is missing, empty (an empty file cannot be mapped; last error
// ERROR_FILE_INVALID), 4 GB or larger while its size is asked, or cannot be
// mapped. The caller ends the mapping with UnmapDataFile.
int MapDataFile(const WCHAR* path, HANDLE* file, HANDLE* mapping, const void** view, DWORD* size);
// Unmaps the view and closes the handles that are set, then clears them.
void UnmapDataFile(HANDLE* file, HANDLE* mapping, const void** view);
