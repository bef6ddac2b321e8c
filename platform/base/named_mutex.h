// Named mutexes: one per name on the stand-in machine, shared by every process
// that uses the same machine root. A lock file per name under the root carries
// the ownership between processes (flock, so a holder that dies releases it);
// inside a process the owning thread may take it again, as on Windows.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/sync.h"
#include "platform/base/types.h"

// The same values as the message wait of the window layer.
#define WAIT_OBJECT_0 0u
#define WAIT_FAILED 0xFFFFFFFFu

// A NULL name makes a mutex of this process only. The security attributes are
// not kept.
ZEL_EXTERN_C HANDLE CreateMutexA(LPVOID security, BOOL initialOwner, LPCSTR name);
// Only mutex handles can be waited on here: WAIT_OBJECT_0 when taken,
// WAIT_TIMEOUT, or WAIT_FAILED for any other handle.
ZEL_EXTERN_C DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// FALSE with ERROR_NOT_OWNER when the calling thread does not hold it.
ZEL_EXTERN_C BOOL ReleaseMutex(HANDLE mutex);
