// The Win32 error a failed POSIX call stands for. Every path of the platform
// layer (files, mappings, profiles, the spooler's job files and ports) maps
// through this one table, so one cause, say a full disk quota, reports the same
// error whichever call met it.
#pragma once

#include "platform/base/types.h"

// ERROR_GEN_FAILURE for an errno the table does not know.
DWORD Win32ErrorFromErrno(int error);
