#include "platform/base/errors.h"

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError(void) { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }
