// The per-model resource library named by the model description ("General"/
// "ModelDLL"): bitmaps, logo and fonts of the model for the property pages.
#pragma once

#include "platform/base/types.h"

// Loads the library named by the model description from this library's own
// folder; null when the name is empty, is more than a file name (it must not
// reach outside the folder), or the library cannot be loaded. The caller frees it.
HMODULE LoadModelResourceDll(HANDLE printer);
