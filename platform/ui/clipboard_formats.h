// Registered clipboard formats: a name gets a number from 0xC000 up, the same
// for every later registration of that name (compared without regard to case)
// in the process.
#pragma once

#include "platform/base/types.h"

// 0 for a null or empty name.
ZEL_EXTERN_C UINT RegisterClipboardFormatA(LPCSTR name);
