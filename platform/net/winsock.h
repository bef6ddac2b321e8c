// Windows Sockets, as much as a lookup of this host's own address needs. The
// sockets themselves are the system's (gethostname, getaddrinfo, inet_ntoa come
// from the C library); what Winsock adds is its start-up, clean-up and last error.
#pragma once

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/base/types.h"

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

typedef struct WSAData {
  WORD wVersion;
  WORD wHighVersion;
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
} WSADATA, *LPWSADATA;

#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004

// Versions 1.0 to 2.2 are accepted (the highest asked for is granted); a version
// below 1.0 answers WSAVERNOTSUPPORTED. Start-ups are counted per process.
ZEL_EXTERN_C int WSAStartup(WORD versionRequested, LPWSADATA data);
// Ends one start-up; SOCKET_ERROR (-1) with WSANOTINITIALISED when none is open.
ZEL_EXTERN_C int WSACleanup(void);
// The thread's last socket error: getaddrinfo failures are given as the Winsock
// numbers of the resolver errors (host not found, try again, no data, no recovery).
ZEL_EXTERN_C int WSAGetLastError(void);
ZEL_EXTERN_C void WSASetLastError(int error);

namespace platform {
// The Winsock number of a getaddrinfo result, and makes it the thread's last error.
int SetLastResolverError(int getaddrinfoResult);
}  // namespace platform
