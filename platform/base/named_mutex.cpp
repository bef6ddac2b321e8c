#include "platform/base/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/base/handles.h"
#include "platform/base/machine.h"

namespace {

// The state of one name in this process: which thread holds it how often, and
// the lock file that holds it against other processes while it is held.
struct MutexState {
  std::mutex lock;
  std::condition_variable released;
  std::thread::id owner;
  unsigned count = 0;
  std::filesystem::path lockFile;  // empty for an unnamed mutex
  int fd = -1;
};

class MutexObject : public platform::KernelObject {
 public:
  explicit MutexObject(std::shared_ptr<MutexState> shared) : state(std::move(shared)) {}
  std::shared_ptr<MutexState> state;
};

std::mutex registryLock;
std::map<std::string, std::weak_ptr<MutexState>>& Registry() {
  static auto* registry = new std::map<std::string, std::weak_ptr<MutexState>>();
  return *registry;
}

std::string HexName(const std::string& name) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : name) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

// Takes the lock file; polls so that a bounded wait stays bounded.
bool LockFile(MutexState& state, std::chrono::steady_clock::time_point deadline, bool forever) {
  if (state.lockFile.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(state.lockFile.parent_path(), ec);
  const int fd = open(state.lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (!forever && std::chrono::steady_clock::now() >= deadline) {
      close(fd);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  state.fd = fd;
  return true;
}

void UnlockFile(MutexState& state) {
  if (state.fd >= 0) {
    flock(state.fd, LOCK_UN);
    close(state.fd);
    state.fd = -1;
  }
}

DWORD Acquire(MutexState& state, DWORD milliseconds) {
  const auto self = std::this_thread::get_id();
  const bool forever = milliseconds == INFINITE;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
  std::unique_lock guard(state.lock);
  if (state.count > 0 && state.owner == self) {
    ++state.count;
    return WAIT_OBJECT_0;
  }
  auto free = [&] { return state.count == 0; };
  if (forever) {
    state.released.wait(guard, free);
  } else if (!state.released.wait_until(guard, deadline, free)) {
    return WAIT_TIMEOUT;
  }
  // Marked held before the file wait, so other threads here queue behind us.
  state.owner = self;
  state.count = 1;
  guard.unlock();
  const bool locked = LockFile(state, deadline, forever);
  guard.lock();
  if (!locked) {
    state.count = 0;
    state.owner = {};
    state.released.notify_one();
    return WAIT_TIMEOUT;
  }
  return WAIT_OBJECT_0;
}

}  // namespace

HANDLE CreateMutexA(LPVOID /*security*/, BOOL initialOwner, LPCSTR name) {
  std::shared_ptr<MutexState> state;
  bool existed = false;
  if (name && *name) {
    const std::string key = platform::MachineRoot().string() + '\n' + name;
    std::lock_guard guard(registryLock);
    state = Registry()[key].lock();
    existed = state != nullptr;
    if (!state) {
      state = std::make_shared<MutexState>();
      state->lockFile = platform::MachineRoot() / "locks" / (HexName(name) + ".lock");
      Registry()[key] = state;
    }
  } else {
    state = std::make_shared<MutexState>();
  }
  const HANDLE handle = platform::InsertHandle(std::make_shared<MutexObject>(state));
  if (initialOwner) Acquire(*state, INFINITE);
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto object = platform::LookupHandle<MutexObject>(handle);
  if (!object) {
    if (auto waitable = platform::LookupHandle<platform::WaitableObject>(handle)) return waitable->Wait(milliseconds);
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return Acquire(*object->state, milliseconds);
}

BOOL ReleaseMutex(HANDLE mutex) {
  auto object = platform::LookupHandle<MutexObject>(mutex);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  MutexState& state = *object->state;
  std::lock_guard guard(state.lock);
  if (state.count == 0 || state.owner != std::this_thread::get_id()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (--state.count == 0) {
    state.owner = {};
    UnlockFile(state);
    state.released.notify_one();
  }
  return TRUE;
}
