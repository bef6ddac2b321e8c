// Critical sections and the small process and thread queries that go with them.
// A CRITICAL_SECTION is a recursive mutex: the owning thread may enter it again
// and must leave it as often as it entered.
#pragma once

#include <pthread.h>

#include "platform/base/types.h"

#ifndef INFINITE
#define INFINITE 0xFFFFFFFF
#endif

typedef struct _CRITICAL_SECTION {
  pthread_mutex_t mutex;
  DWORD spinCount;  // kept for the caller's sake; waiting never spins here
} CRITICAL_SECTION, *PCRITICAL_SECTION, *LPCRITICAL_SECTION;

ZEL_EXTERN_C void InitializeCriticalSection(LPCRITICAL_SECTION section);
ZEL_EXTERN_C BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
ZEL_EXTERN_C void EnterCriticalSection(LPCRITICAL_SECTION section);
ZEL_EXTERN_C BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
ZEL_EXTERN_C void LeaveCriticalSection(LPCRITICAL_SECTION section);
ZEL_EXTERN_C void DeleteCriticalSection(LPCRITICAL_SECTION section);

// Sleep(0) gives up the rest of the time slice.
ZEL_EXTERN_C void Sleep(DWORD milliseconds);
// Milliseconds since an arbitrary start, wrapping after 49.7 days as on Windows.
ZEL_EXTERN_C DWORD GetTickCount(void);
ZEL_EXTERN_C DWORD GetCurrentProcessId(void);
ZEL_EXTERN_C DWORD GetCurrentThreadId(void);
