// The library keeps no state: starting and stopping have nothing to do.
#include "platform/base/modules.h"

ZEL_EXPORT BOOL DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
