#include "platform/snmp/trap_relay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/base/debug.h"
#include "platform/base/machine.h"
#include "platform/snmp/snmp_tables.h"

namespace platform::snmp {
namespace {

// A relayed trap: the sender's IPv4 address (network order) and port, then the datagram.
constexpr size_t kHeaderSize = 6;

std::string Hex(size_t value) {
  char text[2 * sizeof value + 1] = {};
  std::snprintf(text, sizeof text, "%zx", value);
  return text;
}

// Abstract Unix socket names: no path length limit from a deep machine root, and
// nothing left behind by a process that dies.
socklen_t AbstractAddress(const std::string& name, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  const size_t length = std::min(name.size(), sizeof address.sun_path - 1);
  std::memcpy(address.sun_path + 1, name.data(), length);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

void ReportPortFailure(const Address& address, int error) {
  char text[512];
  std::snprintf(text, sizeof text,
                "SNMP: the trap port %s:%u cannot be opened (%s); no program of this machine receives traps. "
                "Let programs bind it (sysctl net.ipv4.ip_unprivileged_port_start=%u) or choose "
                "another port with ZEL_SNMP_TRAP_ADDRESS (see the README).\n",
                AddressText(address).c_str(), address.port, std::strerror(error), address.port);
  // Standard error whatever the trace setting: a person starting the program sees it.
  std::fputs(text, stderr);
  OutputDebugStringA(text);
}

}  // namespace

int OpenUdpSocket(const Address& bindTo) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = bindTo.ip;
  address.sin_port = htons(bindTo.port);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

std::string TrapRelay::SocketName(const std::string& member) const { return "zel-snmp-traps/" + key_ + "/" + member; }

int TrapRelay::Join(const Address& listen) {
  if (joined()) return 0;
  address_ = listen;
  const std::filesystem::path folder =
      MachineRoot() / "snmp-traps" / (AddressText(listen) + "-" + std::to_string(listen.port));
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return ec.value();
  folder_ = folder.string();
  key_ = Hex(std::hash<std::string>{}(folder_));
  relaySocket_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (relaySocket_ < 0) return errno;
  sockaddr_un own;
  const socklen_t size = AbstractAddress(SocketName(std::to_string(getpid())), own);
  if (bind(relaySocket_, reinterpret_cast<sockaddr*>(&own), size) != 0) {
    const int error = errno;
    Leave();
    return error;
  }
  // The member file makes this process known to the owner, present or future.
  const int member = open((folder / std::to_string(getpid())).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (member >= 0) close(member);
  if (!TakePort(true)) {
    const int error = lastReported_;
    Leave();
    return error;
  }
  return 0;
}

// True unless this process got the owner lock and could not bind the port.
bool TrapRelay::TakePort(bool reportFailure) {
  const int lock = open((std::filesystem::path(folder_) / "owner.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) return true;
  if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
    close(lock);
    return true;  // owned by another registrant
  }
  const int port = OpenUdpSocket(address_);
  if (port < 0) {
    const int error = errno;
    if (reportFailure || error != lastReported_) ReportPortFailure(address_, error);
    lastReported_ = error;
    // Nobody listens now; the lock goes so that another registrant may try.
    flock(lock, LOCK_UN);
    close(lock);
    return false;
  }
  lockFile_ = lock;
  portSocket_ = port;
  lastReported_ = 0;
  sockaddr_in bound{};
  socklen_t size = sizeof bound;
  if (getsockname(port, reinterpret_cast<sockaddr*>(&bound), &size) == 0) {
    address_ = Address{bound.sin_addr.s_addr, ntohs(bound.sin_port)};
  }
  return true;
}

void TrapRelay::TryTakeOver() {
  if (joined() && !owner()) TakePort(false);
}

void TrapRelay::Leave() {
  if (portSocket_ >= 0) close(portSocket_);
  portSocket_ = -1;
  if (lockFile_ >= 0) {
    flock(lockFile_, LOCK_UN);
    close(lockFile_);
  }
  lockFile_ = -1;
  if (relaySocket_ >= 0) {
    close(relaySocket_);
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(folder_) / std::to_string(getpid()), ec);
  }
  relaySocket_ = -1;
}

std::vector<int> TrapRelay::Descriptors() const {
  std::vector<int> fds;
  if (relaySocket_ >= 0) fds.push_back(relaySocket_);
  if (portSocket_ >= 0) fds.push_back(portSocket_);
  return fds;
}

std::vector<TrapDatagram> TrapRelay::Read(int fd) {
  std::vector<TrapDatagram> read;
  std::vector<uint8_t> buffer(65536 + kHeaderSize);
  if (fd >= 0 && fd == portSocket_) {
    for (;;) {
      sockaddr_in from{};
      socklen_t size = sizeof from;
      const ssize_t got = recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
      if (got < 0) break;
      TrapDatagram datagram{Address{from.sin_addr.s_addr, ntohs(from.sin_port)},
                            std::vector<uint8_t>(buffer.begin(), buffer.begin() + got)};
      Forward(datagram);
      read.push_back(std::move(datagram));
    }
  } else if (fd >= 0 && fd == relaySocket_) {
    for (;;) {
      const ssize_t got = recv(fd, buffer.data(), buffer.size(), 0);
      if (got < 0) break;
      if (static_cast<size_t>(got) < kHeaderSize) continue;
      TrapDatagram datagram;
      std::memcpy(&datagram.source.ip, buffer.data(), 4);
      datagram.source.port = static_cast<uint16_t>(buffer[4] << 8 | buffer[5]);
      datagram.bytes.assign(buffer.begin() + kHeaderSize, buffer.begin() + got);
      read.push_back(std::move(datagram));
    }
  }
  return read;
}

void TrapRelay::Forward(const TrapDatagram& datagram) {
  std::vector<uint8_t> message(kHeaderSize);
  std::memcpy(message.data(), &datagram.source.ip, 4);
  message[4] = static_cast<uint8_t>(datagram.source.port >> 8);
  message[5] = static_cast<uint8_t>(datagram.source.port);
  message.insert(message.end(), datagram.bytes.begin(), datagram.bytes.end());
  const std::string self = std::to_string(getpid());
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
    const std::string name = entry.path().filename().string();
    if (name == self || name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    sockaddr_un to;
    const socklen_t size = AbstractAddress(SocketName(name), to);
    if (sendto(relaySocket_, message.data(), message.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&to), size) <
            0 &&
        errno == ECONNREFUSED) {
      // Nobody has that socket: a registrant that ended without leaving.
      std::error_code removed;
      std::filesystem::remove(entry.path(), removed);
    }
  }
}

}  // namespace platform::snmp
