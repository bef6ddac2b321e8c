#include "platform/base/ini_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>

#include "platform/base/codepage.h"
#include "platform/base/errno_map.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// Enough to hold every ini file a process reads; tests switch machine roots often,
// so the cache also empties on every switch.
constexpr size_t kMaxCachedFiles = 128;

struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modifiedNs = 0;
  int64_t changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modifiedNs = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  stamp.changedNs = int64_t(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  return stamp;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// The parsed file's descriptor, kept open so that the check for changes is an
// fstat() instead of a stat() that walks the whole path again: reading a model
// description key by key checks the file once per key. A file rewritten in place
// changes its times and size; a file replaced, renamed or deleted changes its
// change time (and its link count drops to 0 when it goes). A folder of the path
// swapped for another one is not seen this way; model descriptions and settings
// files are replaced file by file. Only the most recently parsed files keep a
// descriptor, so a process never holds many.
constexpr int kMaxOpenFiles = 16;
std::atomic<int> openFiles{0};

class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) { openFiles.fetch_add(1); }
  ~OpenFile() {
    ::close(fd_);
    openFiles.fetch_sub(1);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

struct CachedFile {
  FileStamp stamp;
  UINT codePage = 0;
  std::shared_ptr<const IniDocument> document;
  std::shared_ptr<const OpenFile> open;  // null: checked by path
};

struct IniCache {
  std::mutex mutex;
  unsigned generation = 0;
  std::unordered_map<std::string, fs::path> hostPaths;  // Windows path -> existing host file
  std::unordered_map<std::string, CachedFile> files;    // host path -> parsed file
  std::mutex writeMutex;                                // one writer per process; the lock file orders processes

  void SyncGenerationLocked() {
    unsigned now = MachineGeneration();
    if (now == generation) return;
    generation = now;
    hostPaths.clear();
    files.clear();
  }
};

IniCache& Cache() {
  static IniCache* cache = new IniCache;  // never destroyed: used until the process ends
  return *cache;
}

bool IsAbsoluteWindowsPath(std::string_view path) {
  return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         (!path.empty() && path[0] == '/');
}

// Mapping a path matches each component without regard to case, which lists
// folders; an absolute path whose file exists is remembered until it vanishes.
std::optional<fs::path> HostPath(std::string_view windowsPath, bool useCache) {
  IniCache& cache = Cache();
  std::string key(windowsPath);
  bool cacheable = IsAbsoluteWindowsPath(windowsPath);
  if (useCache && cacheable) {
    std::lock_guard lock(cache.mutex);
    cache.SyncGenerationLocked();
    auto it = cache.hostPaths.find(key);
    if (it != cache.hostPaths.end()) return it->second;
  }
  std::optional<fs::path> host = HostPathFromWindows(windowsPath);
  if (!host) return std::nullopt;
  std::error_code ec;
  if (cacheable && fs::is_regular_file(*host, ec)) {
    std::lock_guard lock(cache.mutex);
    cache.SyncGenerationLocked();
    if (cache.hostPaths.size() >= kMaxCachedFiles) cache.hostPaths.clear();
    cache.hostPaths[key] = *host;
  }
  return host;
}

void ForgetHostPath(std::string_view windowsPath) {
  IniCache& cache = Cache();
  std::lock_guard lock(cache.mutex);
  cache.hostPaths.erase(std::string(windowsPath));
}

void Remember(const fs::path& host, const CachedFile& file) {
  IniCache& cache = Cache();
  std::lock_guard lock(cache.mutex);
  cache.SyncGenerationLocked();
  if (cache.files.size() >= kMaxCachedFiles) cache.files.erase(cache.files.begin());
  cache.files[host.string()] = file;
}

// Reads and parses the file at a host path, or answers it from the cache when
// the file has not changed since.
IniRead LoadHostFile(const fs::path& host) {
  IniCache& cache = Cache();
  UINT codePage = AnsiCodePage();
  const std::string key = host.string();
  CachedFile cached;
  {
    std::lock_guard lock(cache.mutex);
    cache.SyncGenerationLocked();
    auto it = cache.files.find(key);
    if (it != cache.files.end() && it->second.codePage == codePage) cached = it->second;
  }
  struct stat info;
  if (cached.open && ::fstat(cached.open->fd(), &info) == 0 && info.st_nlink > 0 && StampOf(info) == cached.stamp) {
    return {cached.document, 0};
  }
  if (::stat(host.c_str(), &info) != 0) return {nullptr, Win32ErrorFromErrno(errno)};
  if (S_ISDIR(info.st_mode)) return {nullptr, ERROR_ACCESS_DENIED};
  if (cached.document && StampOf(info) == cached.stamp) return {cached.document, 0};

  FileDescriptor fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return {nullptr, Win32ErrorFromErrno(errno)};
  if (::fstat(fd.get(), &info) != 0) return {nullptr, Win32ErrorFromErrno(errno)};
  std::string text;
  text.resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  for (;;) {
    if (done == text.size()) text.resize(text.size() + 4096);  // the file grew while we read
    ssize_t got = ::read(fd.get(), text.data() + done, text.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return {nullptr, Win32ErrorFromErrno(errno)};
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  text.resize(done);
  CachedFile file{StampOf(info), codePage, std::make_shared<const IniDocument>(std::move(text), codePage), nullptr};
  // A file that changed while it was read has a stamp of its own now; the next
  // check sees that and reads it again.
  if (openFiles.load() < kMaxOpenFiles) file.open = std::make_shared<const OpenFile>(fd.release());
  Remember(host, file);
  return {file.document, 0};
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// Writes text to a temporary file beside target and renames it over target.
DWORD ReplaceFile(const fs::path& target, const std::string& text, mode_t mode) {
  fs::path folder = target.parent_path();
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT ? DWORD(ERROR_PATH_NOT_FOUND) : Win32ErrorFromErrno(errno);
  auto fail = [&](int error) {
    ::unlink(pattern.c_str());
    return Win32ErrorFromErrno(error);
  };
  if (!WriteAll(fd.get(), text)) return fail(errno ? errno : ENOSPC);
  if (::fchmod(fd.get(), mode) != 0) return fail(errno);
  // A precise modification time: the coarse file-system clock could give two
  // writes in a row the same time, and a cache elsewhere would miss the second.
  struct timespec times[2];
  ::clock_gettime(CLOCK_REALTIME, &times[0]);
  times[1] = times[0];
  if (::futimens(fd.get(), times) != 0) return fail(errno);
  if (::fsync(fd.get()) != 0) return fail(errno);
  if (::close(fd.release()) != 0) return fail(errno);
  if (::rename(pattern.c_str(), target.c_str()) != 0) return fail(errno);
  return 0;
}

// Orders writers of every process on this machine; held from reading the file
// to renaming the new one into place.
class MachineWriteLock {
 public:
  MachineWriteLock() {
    fs::path root = MachineRoot();
    std::error_code ec;
    fs::create_directories(root, ec);
    fd_ = ::open((root / "profile-write.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~MachineWriteLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  MachineWriteLock(const MachineWriteLock&) = delete;
  MachineWriteLock& operator=(const MachineWriteLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace

IniRead ReadIniFile(std::string_view windowsPath) {
  std::optional<fs::path> host = HostPath(windowsPath, true);
  if (!host) return {nullptr, ERROR_PATH_NOT_FOUND};
  IniRead read = LoadHostFile(*host);
  if (!read.document && read.error == ERROR_FILE_NOT_FOUND) {
    // A remembered mapping may name a file that was deleted or renamed since.
    ForgetHostPath(windowsPath);
    std::optional<fs::path> fresh = HostPath(windowsPath, false);
    if (fresh && *fresh != *host) read = LoadHostFile(*fresh);
  }
  return read;
}

DWORD UpdateIniFile(std::string_view windowsPath, const std::function<bool(IniDocument&)>& edit) {
  IniCache& cache = Cache();
  std::lock_guard processLock(cache.writeMutex);
  MachineWriteLock machineLock;
  ForgetHostPath(windowsPath);  // map afresh: another process may have created the file
  std::optional<fs::path> host = HostPath(windowsPath, false);
  if (!host) return ERROR_PATH_NOT_FOUND;
  // Replace the file a link points to, not the link.
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(*host, ec))) {
    host = fs::weakly_canonical(*host, ec);
    if (ec) return ERROR_PATH_NOT_FOUND;
  }

  IniRead current = LoadHostFile(*host);
  if (!current.document && current.error != ERROR_FILE_NOT_FOUND) {
    return current.error;  // never replace a file we could not read
  }
  IniDocument document = current.document ? *current.document : IniDocument({}, AnsiCodePage());
  if (!edit(document)) return 0;

  mode_t mode = 0644;
  struct stat info;
  if (::stat(host->c_str(), &info) == 0) mode = info.st_mode & 07777;
  std::string text = document.Text();
  if (DWORD error = ReplaceFile(*host, text, mode)) return error;
  if (::stat(host->c_str(), &info) == 0) {
    UINT codePage = document.codePage();
    Remember(*host, CachedFile{StampOf(info), codePage, std::make_shared<const IniDocument>(std::move(document))});
  }
  return 0;
}

void ForgetIniFiles() {
  IniCache& cache = Cache();
  std::lock_guard lock(cache.mutex);
  cache.hostPaths.clear();
  cache.files.clear();
}

}  // namespace platform
