#include "platform/base/file_mapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/base/errno_map.h"
#include "platform/base/errors.h"
#include "platform/base/handles.h"

namespace platform {
namespace {

constexpr uint64_t kAllocationGranularity = 0x10000;

// A mapping holds its own descriptor of the file, so it outlives the file handle
// as a Windows section does.
class MappingObject : public KernelObject {
 public:
  MappingObject(int fd, uint64_t size, DWORD protect) : fd_(fd), size_(size), protect_(protect) {}
  ~MappingObject() override { ::close(fd_); }
  int fd() const { return fd_; }
  uint64_t size() const { return size_; }
  DWORD protect() const { return protect_; }

 private:
  int fd_;
  uint64_t size_;
  DWORD protect_;
};

// The views of the process: UnmapViewOfFile gets only the address.
struct ViewTable {
  std::mutex mutex;
  std::map<uintptr_t, size_t> lengths;
};

ViewTable& Views() {
  static ViewTable* table = new ViewTable;  // views may be unmapped during exit
  return *table;
}

bool ValidProtect(DWORD protect) {
  return protect == PAGE_READONLY || protect == PAGE_READWRITE || protect == PAGE_WRITECOPY;
}

HANDLE Fail(DWORD error, int fd = -1) {
  if (fd >= 0) ::close(fd);
  SetLastError(error);
  return 0;
}

HANDLE CreateMapping(HANDLE file, DWORD protect, DWORD sizeHigh, DWORD sizeLow, bool named) {
  // Only the protection itself; SEC_* section attributes are not offered.
  if (!ValidProtect(protect)) return Fail(ERROR_INVALID_PARAMETER);
  if (named) return Fail(ERROR_NOT_SUPPORTED);
  const uint64_t requested = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
  if (requested > static_cast<uint64_t>(SIZE_MAX)) return Fail(ERROR_NOT_ENOUGH_MEMORY);

  if (file == INVALID_HANDLE_VALUE) {
    // Memory of its own, shared by every view of this mapping.
    if (requested == 0) return Fail(ERROR_INVALID_PARAMETER);
    int fd = ::memfd_create("zel-mapping", MFD_CLOEXEC);
    if (fd < 0) return Fail(Win32ErrorFromErrno(errno));
    if (::ftruncate64(fd, static_cast<off64_t>(requested)) != 0) return Fail(Win32ErrorFromErrno(errno), fd);
    return InsertHandle(std::make_shared<MappingObject>(fd, requested, protect));
  }

  int fd = DuplicateFileDescriptor(file);
  if (fd < 0) return Fail(ERROR_INVALID_HANDLE);
  const int mode = ::fcntl(fd, F_GETFL) & O_ACCMODE;
  const bool readable = mode == O_RDONLY || mode == O_RDWR;
  if (!readable || (protect == PAGE_READWRITE && mode != O_RDWR)) return Fail(ERROR_ACCESS_DENIED, fd);
  struct stat64 info {};
  if (::fstat64(fd, &info) != 0) return Fail(Win32ErrorFromErrno(errno), fd);
  const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
  uint64_t size = requested;
  if (requested == 0) {
    if (fileSize == 0) return Fail(ERROR_FILE_INVALID, fd);
    size = fileSize;
  } else if (requested > fileSize) {
    // A writable mapping grows its file; a read-only one cannot.
    if (protect != PAGE_READWRITE) return Fail(ERROR_NOT_ENOUGH_MEMORY, fd);
    if (::ftruncate64(fd, static_cast<off64_t>(requested)) != 0) return Fail(Win32ErrorFromErrno(errno), fd);
  }
  if (size > static_cast<uint64_t>(SIZE_MAX)) return Fail(ERROR_NOT_ENOUGH_MEMORY, fd);
  return InsertHandle(std::make_shared<MappingObject>(fd, size, protect));
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name) {
  return CreateMapping(file, protect, maximumSizeHigh, maximumSizeLow, name != nullptr);
}

HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCWSTR name) {
  return CreateMapping(file, protect, maximumSizeHigh, maximumSizeLow, name != nullptr);
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD fileOffsetHigh, DWORD fileOffsetLow,
                     SIZE_T numberOfBytesToMap) {
  auto object = LookupHandle<MappingObject>(mapping);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const bool copy = (desiredAccess & FILE_MAP_COPY) != 0 && (desiredAccess & FILE_MAP_WRITE) == 0;
  const bool write = (desiredAccess & FILE_MAP_WRITE) != 0;
  const bool read = (desiredAccess & FILE_MAP_READ) != 0;
  if (!copy && !write && !read) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (write && object->protect() != PAGE_READWRITE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const uint64_t offset = (static_cast<uint64_t>(fileOffsetHigh) << 32) | fileOffsetLow;
  if (offset % kAllocationGranularity != 0) {
    SetLastError(ERROR_MAPPED_ALIGNMENT);
    return nullptr;
  }
  if (offset >= object->size() || numberOfBytesToMap > object->size() - offset) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const size_t length = numberOfBytesToMap != 0 ? numberOfBytesToMap : static_cast<size_t>(object->size() - offset);
  const int protection = (write || copy) ? PROT_READ | PROT_WRITE : PROT_READ;
  const int sharing = copy ? MAP_PRIVATE : MAP_SHARED;
  void* view = ::mmap64(nullptr, length, protection, sharing, object->fd(), static_cast<off64_t>(offset));
  if (view == MAP_FAILED) {
    SetLastError(Win32ErrorFromErrno(errno));
    return nullptr;
  }
  ViewTable& views = Views();
  std::lock_guard lock(views.mutex);
  views.lengths[reinterpret_cast<uintptr_t>(view)] = length;
  SetLastError(ERROR_SUCCESS);
  return view;
}

BOOL UnmapViewOfFile(LPCVOID baseAddress) {
  ViewTable& views = Views();
  size_t length = 0;
  {
    std::lock_guard lock(views.mutex);
    auto it = views.lengths.find(reinterpret_cast<uintptr_t>(baseAddress));
    if (it == views.lengths.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    length = it->second;
    views.lengths.erase(it);
  }
  ::munmap(const_cast<void*>(baseAddress), length);
  return TRUE;
}
