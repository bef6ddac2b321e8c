#include "platform/net/winsock.h"

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

std::atomic<int> g_startups{0};
thread_local int t_lastError = 0;

}  // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data) {
  if (LOBYTE(versionRequested) < 1) return WSAVERNOTSUPPORTED;
  if (data) {
    std::memset(data, 0, sizeof *data);
    const WORD highest = MAKEWORD(2, 2);
    data->wVersion = LOBYTE(versionRequested) > 2 || (LOBYTE(versionRequested) == 2 && HIBYTE(versionRequested) > 2)
                         ? highest
                         : versionRequested;
    data->wHighVersion = highest;
    std::strcpy(data->szDescription, "WinSock 2.0");
    std::strcpy(data->szSystemStatus, "Running");
  }
  ++g_startups;
  return 0;
}

int WSACleanup(void) {
  int open = g_startups.load();
  while (open > 0 && !g_startups.compare_exchange_weak(open, open - 1)) {
  }
  if (open <= 0) {
    t_lastError = WSANOTINITIALISED;
    return -1;
  }
  return 0;
}

int WSAGetLastError(void) { return t_lastError; }

void WSASetLastError(int error) { t_lastError = error; }

namespace platform {

int SetLastResolverError(int result) {
  int error = 0;
  switch (result) {
    case 0: error = 0; break;
    case EAI_AGAIN: error = WSATRY_AGAIN; break;
    case EAI_NONAME: error = WSAHOST_NOT_FOUND; break;
#ifdef EAI_NODATA
    case EAI_NODATA: error = WSANO_DATA; break;
#endif
    case EAI_SYSTEM: error = errno; break;
    default: error = WSANO_RECOVERY; break;
  }
  t_lastError = error;
  return error;
}

}  // namespace platform
