// A stand-in network printer for tests: a listener on 127.0.0.1 with an
// ephemeral port that takes one connection on a thread and either reads it to
// its end, closes it at once, or resets it after some bytes. Every wait is
// bounded.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/base/types.h"

namespace testsupport {

constexpr int kListenerWaitMs = 10000;

class LoopbackListener {
 public:
  explicit LoopbackListener(bool listening = true) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (listening) Listen();
  }
  ~LoopbackListener() {
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
  }
  // Bound but not listening, the port refuses connections and no one else can take it.
  void Listen() { EXPECT_EQ(::listen(fd_, 4), 0); }
  int port() const { return port_; }
  bool HasPendingConnection() const {
    pollfd poller{fd_, POLLIN, 0};
    return ::poll(&poller, 1, 0) > 0;
  }
  // What the device does with a connection: read it to its end, close it at
  // once without reading, or reset it after taking `resetAfter` bytes.
  enum class Device { TakesAll, ClosesAtOnce, Resets };
  void Receive(Device device = Device::TakesAll, size_t resetAfter = 0) {
    thread_ = std::thread([this, device, resetAfter] {
      pollfd poller{fd_, POLLIN, 0};
      if (::poll(&poller, 1, kListenerWaitMs) <= 0) return;
      int connection = ::accept(fd_, nullptr, nullptr);
      if (connection < 0) return;
      accepted_ = true;
      char buffer[8192];
      while (device != Device::ClosesAtOnce) {
        if (device == Device::Resets && data_.size() >= resetAfter) {
          linger hard{1, 0};
          ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
          break;
        }
        pollfd reader{connection, POLLIN, 0};
        if (::poll(&reader, 1, kListenerWaitMs) <= 0) break;
        size_t want = sizeof buffer;
        if (device == Device::Resets) want = std::min(want, resetAfter - data_.size());
        ssize_t got = ::recv(connection, buffer, want, 0);
        if (got <= 0) break;
        data_.insert(data_.end(), buffer, buffer + got);
      }
      ::close(connection);
    });
  }
  std::vector<BYTE> Received() {
    if (thread_.joinable()) thread_.join();
    EXPECT_TRUE(accepted_) << "nothing connected";
    return data_;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::thread thread_;
  bool accepted_ = false;
  std::vector<BYTE> data_;
};

}  // namespace testsupport
