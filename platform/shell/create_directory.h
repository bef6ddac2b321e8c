// Creating a folder with every missing parent, as the shell's
// SHCreateDirectoryEx does.
#pragma once

#include "platform/base/types.h"

// ERROR_SUCCESS when made, ERROR_ALREADY_EXISTS when the folder was there
// already, else the error of the failing step (ERROR_PATH_NOT_FOUND for a path
// that does not name a folder on the machine).
ZEL_EXTERN_C int SHCreateDirectoryExA(HWND owner, LPCSTR path, LPVOID security);
