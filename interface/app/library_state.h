// What the user-interface library keeps for the whole process between its start
// and its exit: its instance handle (every string, dialog and icon of the library
// is loaded from it), the settings functions bound from zeldb5.dll, and the locks
// of its process-wide lists. The library's start writes them; afterwards they are
// read everywhere without a lock.
#pragma once

#include "common/settings_binding.h"
#include "platform/base/sync.h"
#include "platform/base/types.h"

HINSTANCE LibraryInstance();
void SetLibraryInstance(HINSTANCE instance);

// Every part of the library reaches the settings store through this table.
SettingsFunctions& LibrarySettings();

// The lock of the job contexts, one per printer device context.
LPCRITICAL_SECTION JobContextLock();
// The lock of the PCL font lists cached per printer and printer language.
LPCRITICAL_SECTION FontListLock();
