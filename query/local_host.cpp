// This host's address, as the printer is to send its traps to it, and IPX
// address texts.
#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/base/debug.h"
#include "platform/net/winsock.h"
#include "query/query_settings.h"
#include "query/trap_reception.h"

namespace {

void Clear(LocalHostAddress* record) { std::memset(record, 0, sizeof *record); }

void Fill(LocalHostAddress* record, const in_addr& address) {
  std::snprintf(record->addressText, sizeof record->addressText, "%s", inet_ntoa(address));
  std::memcpy(record->address, &address.s_addr, 4);
}

bool IsLoopback(const in_addr& address) { return (ntohl(address.s_addr) >> 24) == 127; }

int Failed(LocalHostAddress* record, int error) {
  Clear(record);
  OutputDebugStringA("GetHostByName failed and returned NULL\n");
  char line[32] = {};
  std::snprintf(line, sizeof line, "error = %d\n", WSAGetLastError());
  OutputDebugStringA(line);
  return error;
}

// The local address a datagram to the agent leaves from: the interface that
// routes to the printer (nothing is sent).
bool AddressTowards(const char* agentText, in_addr* out) {
  std::string host = agentText;
  uint16_t port = 161;
  const size_t colon = host.find(':');
  if (colon != std::string::npos) {
    port = static_cast<uint16_t>(std::strtoul(host.c_str() + colon + 1, nullptr, 10));
    host.resize(colon);
  }
  sockaddr_in agent{};
  agent.sin_family = AF_INET;
  agent.sin_port = htons(port ? port : 161);
  if (inet_pton(AF_INET, host.c_str(), &agent.sin_addr) != 1) return false;
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in local{};
  socklen_t size = sizeof local;
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&agent), sizeof agent) == 0 &&
                  getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) == 0 && local.sin_addr.s_addr != 0;
  close(fd);
  if (ok) *out = local.sin_addr;
  return ok;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int GetLocalHostAddress(LocalHostAddress* record) {
  if (!record) return WSANO_RECOVERY;
  Clear(record);
  WSADATA data{};
  const int started = WSAStartup(MAKEWORD(2, 0), &data);
  if (started != 0) return Failed(record, started);
  int result = 0;
  if (gethostname(record->hostName, sizeof record->hostName - 1) != 0) {
    WSASetLastError(errno);
    result = errno;
  } else {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = getaddrinfo(record->hostName, nullptr, &hints, &found);
    if (resolved != 0) {
      result = platform::SetLastResolverError(resolved);
    } else {
      // A loopback address is no address for a printer to reach: the first other
      // one is taken when the name has one.
      const addrinfo* chosen = found;
      for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (!IsLoopback(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr)) {
          chosen = entry;
          break;
        }
      }
      if (chosen) Fill(record, reinterpret_cast<const sockaddr_in*>(chosen->ai_addr)->sin_addr);
      freeaddrinfo(found);
    }
  }
  WSACleanup();
  if (result != 0 || record->addressText[0] == 0) {
    return Failed(record, result ? result : WSANO_DATA);
  }
  return 0;
}

int GetLocalHostAddressFor(LPCSTR printerName, LocalHostAddress* record) {
  if (!record) return WSANO_RECOVERY;
  char agent[33] = {};
  GetAgentAddress(printerName, agent, sizeof agent);
  in_addr towards{};
  if (agent[0] && AddressTowards(agent, &towards)) {
    Clear(record);
    gethostname(record->hostName, sizeof record->hostName - 1);
    Fill(record, towards);
    return 0;
  }
  return GetLocalHostAddress(record);
}

void GetLocalHostAddressText(char* text, DWORD size) {
  if (!text || size == 0) return;
  LocalHostAddress record{};
  GetLocalHostAddress(&record);
  std::snprintf(text, size, "%s", record.addressText[0] ? record.addressText : "none");
}

void GetTrapSourceAddress(char* text, LPCSTR printerName) {
  if (!text) return;
  std::strcpy(text, "ERROR");
  OpenedPrinter printer(printerName, false);
  if (!printer.ok()) return;
  std::string protocol;
  if (!ReadPrinterSetting(printer.handle(), "Protocol", 8, &protocol)) protocol = "IP";
  // This host's IPX address is not available.
  if (strcasecmp(protocol.c_str(), "IPX") == 0) return;
  LocalHostAddress record{};
  if (GetLocalHostAddressFor(printerName, &record) == 0 && record.addressText[0]) {
    std::snprintf(text, 32, "%s", record.addressText);
  }
}

BOOL ParseIpxAddress(char* text) {
  if (!text || std::strlen(text) < 21) return FALSE;
  BYTE bytes[10] = {};
  int position = 0;
  for (int i = 0; i < 10; ++i) {
    if (i == 4) {
      // One separator between the network and the node.
      if (HexDigit(text[position]) >= 0) return FALSE;
      ++position;
    }
    const int high = HexDigit(text[position]);
    const int low = HexDigit(text[position + 1]);
    if (high < 0 || low < 0) return FALSE;
    bytes[i] = static_cast<BYTE>(high * 16 + low);
    position += 2;
  }
  std::memcpy(text, bytes, sizeof bytes);
  return TRUE;
}
