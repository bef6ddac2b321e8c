// Delivering a finished spool file: to a file (written aside and renamed into place,
// so no reader ever sees half a job) or over a raw TCP connection, as a network
// printer's port 9100 takes it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/base/codepage.h"
#include "platform/base/errno_map.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/processes.h"
#include "platform/spooler/jobs.h"

namespace platform::spooler {
namespace {

namespace fs = std::filesystem;

// The port timeouts a printer reports (PRINTER_INFO_5): how long a device may take
// to answer a connection, and to take data once connected.
constexpr int kConnectTimeoutMs = 15000;
constexpr int kSendTimeoutMs = 45000;
// After the last byte, how long to wait for the device to close its side.
constexpr int kCloseWaitMs = 5000;
constexpr uint16_t kRawPrintingPort = 9100;

std::string ErrnoText(int error) { return std::generic_category().message(error); }

// Closes a descriptor when the scope ends.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int Close() {
    int result = 0;
    if (fd_ >= 0) result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// "a.b.c.d" or "a.b.c.d:port" (the port when `portRequired`).
bool ParseIpv4Port(std::u16string_view text, bool portRequired, Destination& destination) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return false;
    ascii.push_back(static_cast<char>(c));
  }
  std::string host = ascii;
  uint32_t port = kRawPrintingPort;
  size_t colon = ascii.find(':');
  if (colon != std::string::npos) {
    host = ascii.substr(0, colon);
    std::string digits = ascii.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      port = port * 10 + static_cast<uint32_t>(c - '0');
    }
    if (port == 0 || port > 65535) return false;
  } else if (portRequired) {
    return false;
  }
  in_addr address{};
  if (inet_pton(AF_INET, host.c_str(), &address) != 1) return false;
  destination.kind = Destination::Kind::Tcp;
  destination.address = address.s_addr;
  destination.port = static_cast<uint16_t>(port);
  destination.label = host + ":" + std::to_string(port);
  return true;
}

bool LooksLikePath(std::u16string_view port) {
  if (port.find_first_of(u"\\/") != std::u16string_view::npos) return true;
  return port.size() > 2 && port[1] == u':' &&
         ((port[0] >= u'A' && port[0] <= u'Z') || (port[0] >= u'a' && port[0] <= u'z'));
}

DWORD FileDestination(std::u16string_view path, Destination& destination) {
  std::string utf8 = Utf8FromUtf16(path);
  std::optional<fs::path> host = HostPathFromWindows(utf8);
  if (!host || host->filename().empty()) return ERROR_PATH_NOT_FOUND;
  destination.kind = Destination::Kind::File;
  destination.file = *host;
  destination.label = utf8;
  return ERROR_SUCCESS;
}

// Reads the whole spool file through `sink(data, size)`, which answers a result
// with error 0 to go on.
template <class Sink>
DeliveryResult CopySpoolFile(const fs::path& spoolFile, Sink&& sink) {
  Fd in(::open(spoolFile.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) {
    int error = errno;
    return {ERROR_FILE_NOT_FOUND, "The spool file cannot be read: " + ErrnoText(error)};
  }
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      return {ERROR_READ_FAULT, "The spool file cannot be read: " + ErrnoText(error)};
    }
    if (got == 0) return {};
    DeliveryResult step = sink(buffer.data(), static_cast<size_t>(got));
    if (step.error) return step;
  }
}

// The hidden copy a delivery writes beside its target: "." + name + ".spl<pid>-<job>.tmp".
std::string TemporaryPrefix(const fs::path& target) { return "." + target.filename().string() + ".spl"; }

int64_t FileTimeTicks(const timespec& time) {
  constexpr int64_t kUnixEpochSeconds = 11'644'473'600;
  return (time.tv_sec + kUnixEpochSeconds) * 10'000'000 + time.tv_nsec / 100;
}

// Copies left beside the target by deliveries whose process died before the
// rename (killed, crashed) are removed, so no hidden full job stays behind. A
// copy's process is the one of its id that started before the copy was last
// written: a later one of the same id is not it.
void RemoveCopiesOfDeadDeliveries(const fs::path& target) {
  const std::string prefix = TemporaryPrefix(target);
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(target.parent_path(), ignored)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0 || name.size() < prefix.size() + 4 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0) {
      continue;
    }
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid <= 0 || pid == ::getpid()) continue;
    struct stat status {};
    if (::stat(entry.path().c_str(), &status) != 0) continue;
    if (ProcessRunsSince(static_cast<DWORD>(pid), FileTimeTicks(status.st_mtim))) continue;
    ::unlink(entry.path().c_str());
  }
}

DeliveryResult DeliverToFile(const fs::path& spoolFile, const Destination& destination, int64_t jobId) {
  const fs::path& target = destination.file;
  RemoveCopiesOfDeadDeliveries(target);
  // Beside the target, so the rename stays within one file system.
  const fs::path temporary = DeliveryCopyPath(target, ::getpid(), jobId);
  auto fail = [&](int error, const char* what) {
    ::unlink(temporary.c_str());
    DWORD code = Win32ErrorFromErrno(error);
    if (error == ENOENT) code = ERROR_PATH_NOT_FOUND;  // the file is new: its folder is missing
    return DeliveryResult{code, std::string(what) + " " + destination.label + ": " + ErrnoText(error)};
  };

  Fd out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (out.get() < 0) return fail(errno, "Cannot create");
  DeliveryResult copied = CopySpoolFile(spoolFile, [&](const char* data, size_t size) -> DeliveryResult {
    while (size > 0) {
      ssize_t put = ::write(out.get(), data, size);
      if (put < 0) {
        if (errno == EINTR) continue;
        return fail(errno, "Cannot write");
      }
      data += put;
      size -= static_cast<size_t>(put);
    }
    return {};
  });
  if (copied.error) {
    ::unlink(temporary.c_str());
    return copied;
  }
  if (::fsync(out.get()) != 0) return fail(errno, "Cannot write");
  if (out.Close() != 0) return fail(errno, "Cannot write");
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errno, "Cannot replace");
  return {};
}

// Waits for the socket to be ready for `events`; false on timeout (errno ETIMEDOUT).
bool WaitFor(int fd, short events, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      errno = ETIMEDOUT;
      return false;
    }
    pollfd poller{fd, events, 0};
    int ready = ::poll(&poller, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

DeliveryResult SocketFailure(int error, const std::string& what, const Destination& destination) {
  if (error == EAGAIN || error == EWOULDBLOCK) error = ETIMEDOUT;
  return {Win32ErrorFromErrno(error), what + " " + destination.label + ": " + ErrnoText(error)};
}

int TcpState(int fd) {
  tcp_info info{};
  socklen_t length = sizeof info;
  if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return -1;
  return info.tcpi_state;
}

// A job went through only when the device took every byte and the connection
// ended in order: a printer that closes or resets without reading leaves the
// bytes in our socket and the job must stay queued. Success is our end of the
// job acknowledged (FIN_WAIT2) and, when the device closes, its own close in
// order (TIME_WAIT, which our socket shows as CLOSE with no error); a reset
// (CLOSE with its error) or a read error is a failure.
DeliveryResult AwaitOrderlyEnd(int fd, const Destination& destination) {
  constexpr int kStepMs = 10;
  char scratch[4096];
  bool peerClosed = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseWaitMs);
  for (;;) {
    const int state = TcpState(fd);
    if (state == TCP_TIME_WAIT) return {};
    if (state == TCP_CLOSE) {
      int error = 0;
      socklen_t length = sizeof error;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
      if (error == 0) return {};
      return SocketFailure(error, "The job was not taken whole by", destination);
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      // A device may keep the connection open while it prints; every byte and
      // our end of the job being acknowledged is enough then.
      if (state == TCP_FIN_WAIT2 && !peerClosed) return {};
      return SocketFailure(ETIMEDOUT, "The job was not taken whole by", destination);
    }
    if (peerClosed) {
      ::poll(nullptr, 0, kStepMs);
      continue;
    }
    pollfd poller{fd, POLLIN, 0};
    if (::poll(&poller, 1, kStepMs) <= 0) continue;
    ssize_t got = ::recv(fd, scratch, sizeof scratch, 0);
    if (got == 0) peerClosed = true;
    if (got < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      return SocketFailure(errno, "The job was not taken whole by", destination);
    }
  }
}

DeliveryResult DeliverToTcp(const fs::path& spoolFile, const Destination& destination) {
  Fd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (socket.get() < 0) return SocketFailure(errno, "Cannot open a connection to", destination);

  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(destination.port);
  peer.sin_addr.s_addr = destination.address;
  if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
    if (errno != EINPROGRESS) return SocketFailure(errno, "Cannot connect to", destination);
    if (!WaitFor(socket.get(), POLLOUT, kConnectTimeoutMs)) {
      return SocketFailure(errno, "Cannot connect to", destination);
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error != 0) return SocketFailure(error, "Cannot connect to", destination);
  }

  DeliveryResult sent = CopySpoolFile(spoolFile, [&](const char* data, size_t size) -> DeliveryResult {
    while (size > 0) {
      // MSG_NOSIGNAL: a device that hangs up is an error to report, not a signal.
      ssize_t put = ::send(socket.get(), data, size, MSG_NOSIGNAL);
      if (put < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
          if (!WaitFor(socket.get(), POLLOUT, kSendTimeoutMs))
            return SocketFailure(errno, "Cannot send to", destination);
          continue;
        }
        return SocketFailure(errno, "Cannot send to", destination);
      }
      data += put;
      size -= static_cast<size_t>(put);
    }
    return {};
  });
  if (sent.error) return sent;

  // Say the job is complete and let the device close first: closing with its
  // answer unread would reset the connection under data it has not taken yet.
  if (::shutdown(socket.get(), SHUT_WR) != 0) return SocketFailure(errno, "Cannot finish the job on", destination);
  return AwaitOrderlyEnd(socket.get(), destination);
}

}  // namespace

fs::path DeliveryCopyPath(const fs::path& target, int64_t ownerPid, int64_t jobId) {
  return target.parent_path() /
         (TemporaryPrefix(target) + std::to_string(ownerPid) + "-" + std::to_string(jobId) + ".tmp");
}

DWORD ResolveDestination(std::u16string_view port, std::u16string_view outputFile, Destination& destination) {
  // A document's output is a file named by its whole path; a port name such as
  // "FILE:" or a bare name would otherwise land wherever the process happens to run.
  if (!outputFile.empty()) {
    return LooksLikePath(outputFile) ? FileDestination(outputFile, destination) : ERROR_INVALID_NAME;
  }
  // "FILE:" asks the application for a file name; at this level none came.
  if (EqualsNoCase(port, u"FILE:")) return ERROR_INVALID_PARAMETER;
  if (StartsWithNoCase(port, u"IP_")) {
    return ParseIpv4Port(port.substr(3), false, destination) ? ERROR_SUCCESS : ERROR_UNKNOWN_PORT;
  }
  if (ParseIpv4Port(port, true, destination)) return ERROR_SUCCESS;
  if (LooksLikePath(port)) return FileDestination(port, destination);
  return ERROR_UNKNOWN_PORT;
}

DeliveryResult Deliver(const fs::path& spoolFile, const Destination& destination, int64_t jobId) {
  if (destination.kind == Destination::Kind::Tcp) return DeliverToTcp(spoolFile, destination);
  return DeliverToFile(spoolFile, destination, jobId);
}

}  // namespace platform::spooler
