#include "platform/ui/window_finder.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/machine.h"
#include "platform/ui/window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kProbe = 'P';
constexpr char kCopyData = 'C';
constexpr UINT kRelayMessage = WM_USER + 0x7C0D;
constexpr int kRequestReadTimeoutMs = 2000;

// The socket's name in the abstract namespace: the machine root and the title,
// hashed so that any title fits.
std::string ChannelName(const std::string& title) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : platform::MachineRoot().string() + '\n' + title) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "zel-window-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

sockaddr_un Address(const std::string& name, socklen_t* length) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  address.sun_path[0] = '\0';  // abstract: gone when its owner is
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return address;
}

int Connect(const std::string& name) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  socklen_t length = 0;
  const sockaddr_un address = Address(name, &length);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Reads exactly size bytes before the deadline.
bool ReadAll(int fd, void* data, size_t size, Clock::time_point deadline) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    const ssize_t got = recv(fd, bytes, size, 0);
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t sent = send(fd, bytes, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// One hand-over waiting for the receiving thread.
struct Delivery {
  ULONG_PTR dwData = 0;
  std::vector<char> data;
  std::promise<LRESULT> answer;
};

// A published window: its listener, the thread that accepts, the relay window
// on the owner's thread.
struct Publication {
  HWND target = 0;
  HWND relay = 0;
  std::string title;
  int listener = -1;
  int stopPipe[2] = {-1, -1};
  std::thread acceptor;
};

std::mutex registryLock;
std::map<HWND, std::unique_ptr<Publication>>& Published() {
  static auto* published = new std::map<HWND, std::unique_ptr<Publication>>();
  return *published;
}
// Stand-in windows of other processes' windows: the channel each speaks to.
std::map<HWND, std::string>& Proxies() {
  static auto* proxies = new std::map<HWND, std::string>();
  return *proxies;
}

LRESULT RelayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRelayMessage) return DefWindowProcA(window, message, wParam, lParam);
  auto* held = reinterpret_cast<std::shared_ptr<Delivery>*>(lParam);
  std::shared_ptr<Delivery> delivery = std::move(*held);
  delete held;
  const HWND target = static_cast<HWND>(GetWindowLongPtrA(window, GWLP_USERDATA));
  COPYDATASTRUCT block{delivery->dwData, static_cast<DWORD>(delivery->data.size()),
                       delivery->data.empty() ? nullptr : delivery->data.data()};
  const LRESULT result = IsWindow(target) ? SendMessageA(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block)) : 0;
  delivery->answer.set_value(result);
  return 0;
}

void Serve(int fd, HWND relay) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kRequestReadTimeoutMs);
  char op = 0;
  if (!ReadAll(fd, &op, 1, deadline)) return;
  if (op == kProbe) {
    const char yes = 'Y';
    WriteAll(fd, &yes, 1);
    return;
  }
  uint64_t dwData = 0;
  uint32_t size = 0;
  if (op != kCopyData || !ReadAll(fd, &dwData, sizeof dwData, deadline) || !ReadAll(fd, &size, sizeof size, deadline) ||
      size > COPYDATA_CHANNEL_LIMIT) {
    return;
  }
  auto delivery = std::make_shared<Delivery>();
  delivery->dwData = static_cast<ULONG_PTR>(dwData);
  delivery->data.resize(size);
  if (size && !ReadAll(fd, delivery->data.data(), size, deadline)) return;
  std::future<LRESULT> answer = delivery->answer.get_future();
  auto* held = new std::shared_ptr<Delivery>(delivery);
  if (!PostMessageA(relay, kRelayMessage, 0, reinterpret_cast<LPARAM>(held))) {
    delete held;
    return;
  }
  int64_t result = 0;
  if (answer.wait_for(std::chrono::milliseconds(platform::kCopyDataReplyTimeoutMs)) == std::future_status::ready) {
    result = answer.get();
  }
  WriteAll(fd, &result, sizeof result);
}

void Accept(Publication* publication) {
  for (;;) {
    pollfd fds[2] = {{publication->listener, POLLIN, 0}, {publication->stopPipe[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    const int fd = accept4(publication->listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Serve(fd, publication->relay);
    close(fd);
  }
}

void Withdraw(std::unique_ptr<Publication> publication) {
  const char stop = 1;
  if (write(publication->stopPipe[1], &stop, 1) < 0) {
    // The acceptor also ends when its pipe closes.
  }
  if (publication->acceptor.joinable()) publication->acceptor.join();
  close(publication->listener);
  close(publication->stopPipe[0]);
  close(publication->stopPipe[1]);
  if (IsWindow(publication->relay)) DestroyWindow(publication->relay);
}

std::string TitleOf(HWND window) {
  char title[512] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

LRESULT ProxyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
  const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (!block || block->cbData > COPYDATA_CHANNEL_LIMIT || (block->cbData && !block->lpData)) return 0;
  std::string channel;
  {
    std::lock_guard guard(registryLock);
    auto found = Proxies().find(window);
    if (found == Proxies().end()) return 0;
    channel = found->second;
  }
  const int fd = Connect(channel);
  if (fd < 0) return 0;
  const uint64_t dwData = block->dwData;
  const uint32_t size = block->cbData;
  int64_t result = 0;
  const bool sent = WriteAll(fd, &kCopyData, 1) && WriteAll(fd, &dwData, sizeof dwData) &&
                    WriteAll(fd, &size, sizeof size) && (size == 0 || WriteAll(fd, block->lpData, size));
  // The receiver waits as long for its own thread; a little more covers the transfer.
  if (!sent || !ReadAll(fd, &result, sizeof result,
                        Clock::now() + std::chrono::milliseconds(platform::kCopyDataReplyTimeoutMs + 1000))) {
    result = 0;
  }
  close(fd);
  return static_cast<LRESULT>(result);
}

}  // namespace

HWND FindWindowA(LPCSTR /*className*/, LPCSTR windowName) {
  if (!windowName || !*windowName) return 0;
  const std::string title = windowName;
  {
    std::lock_guard guard(registryLock);
    for (auto& [window, publication] : Published()) {
      if (publication->title == title && IsWindow(window)) return window;
    }
  }
  const std::string channel = ChannelName(title);
  const int fd = Connect(channel);
  if (fd < 0) return 0;
  char answer = 0;
  const bool alive = WriteAll(fd, &kProbe, 1) &&
                     ReadAll(fd, &answer, 1, Clock::now() + std::chrono::milliseconds(kRequestReadTimeoutMs)) &&
                     answer == 'Y';
  close(fd);
  if (!alive) return 0;
  std::lock_guard guard(registryLock);
  for (auto it = Proxies().begin(); it != Proxies().end();) {
    if (!IsWindow(it->first)) {
      it = Proxies().erase(it);
    } else if (it->second == channel) {
      return it->first;
    } else {
      ++it;
    }
  }
  const HWND proxy = CreateWindowExA(0, "STATIC", windowName, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  if (!proxy) return 0;
  SetWindowLongPtrA(proxy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProxyProcedure));
  Proxies()[proxy] = channel;
  return proxy;
}

namespace platform {

BOOL PublishWindowTitle(HWND window) {
  if (!IsWindow(window)) return FALSE;
  const std::string title = TitleOf(window);
  if (title.empty()) return FALSE;
  WithdrawWindowTitle(window);
  auto publication = std::make_unique<Publication>();
  publication->target = window;
  publication->title = title;
  publication->listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (publication->listener < 0) return FALSE;
  socklen_t length = 0;
  const sockaddr_un address = Address(ChannelName(title), &length);
  if (bind(publication->listener, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
      listen(publication->listener, 8) != 0 || pipe2(publication->stopPipe, O_CLOEXEC) != 0) {
    close(publication->listener);
    return FALSE;
  }
  publication->relay = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  SetWindowLongPtrA(publication->relay, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RelayProcedure));
  SetWindowLongPtrA(publication->relay, GWLP_USERDATA, static_cast<LONG_PTR>(window));
  Publication* raw = publication.get();
  publication->acceptor = std::thread([raw] { Accept(raw); });
  std::lock_guard guard(registryLock);
  Published()[window] = std::move(publication);
  return TRUE;
}

void WithdrawWindowTitle(HWND window) {
  std::vector<std::unique_ptr<Publication>> ending;
  {
    std::lock_guard guard(registryLock);
    for (auto it = Published().begin(); it != Published().end();) {
      if (it->first == window || !IsWindow(it->first)) {
        ending.push_back(std::move(it->second));
        it = Published().erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& publication : ending) Withdraw(std::move(publication));
}

}  // namespace platform
