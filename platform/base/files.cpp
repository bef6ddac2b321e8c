#include "platform/base/files.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errno_map.h"
#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/base/machine.h"
#include "platform/base/machine_db.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

const bool kSchema = (db::RegisterSchema("file_meta",
                                         "CREATE TABLE IF NOT EXISTS file_meta ("
                                         " path TEXT PRIMARY KEY,"
                                         " attributes INTEGER NOT NULL,"
                                         " null_dacl INTEGER NOT NULL DEFAULT 0)"),
                      true);

// Metadata is keyed by the folded Windows form of the path, so "C:\A\b" and "c:\a\B" agree.
std::string MetaKey(const fs::path& host) { return Utf8FromUtf16(FoldCase(Utf16FromUtf8(WindowsPathFromHost(host)))); }

struct Meta {
  DWORD attributes = 0;
  bool nullDacl = false;
};

std::optional<Meta> ReadMeta(const fs::path& host) {
  try {
    db::Session session;
    db::Statement stmt(session, "SELECT attributes, null_dacl FROM file_meta WHERE path = ?");
    stmt.Bind(1, MetaKey(host));
    if (!stmt.Step()) return std::nullopt;
    return Meta{static_cast<DWORD>(stmt.Int(0)), stmt.Int(1) != 0};
  } catch (const db::Error&) {
    return std::nullopt;
  }
}

bool WriteMeta(const fs::path& host, const Meta& meta) {
  try {
    db::Session session;
    db::Statement stmt(session,
                       "INSERT INTO file_meta(path, attributes, null_dacl) VALUES(?, ?, ?)"
                       " ON CONFLICT(path) DO UPDATE SET attributes = excluded.attributes,"
                       " null_dacl = excluded.null_dacl");
    stmt.Bind(1, MetaKey(host)).Bind(2, int64_t{meta.attributes}).Bind(3, int64_t{meta.nullDacl ? 1 : 0});
    stmt.Step();
    return true;
  } catch (const db::Error&) {
    return false;
  }
}

void DropMeta(const fs::path& host) {
  try {
    db::Session session;
    db::Statement stmt(session, "DELETE FROM file_meta WHERE path = ?");
    stmt.Bind(1, MetaKey(host));
    stmt.Step();
  } catch (const db::Error&) {
  }
}

bool IsNullDacl(LPSECURITY_ATTRIBUTES security) {
  if (!security || !security->lpSecurityDescriptor) return false;
  auto* descriptor = static_cast<SECURITY_DESCRIPTOR*>(security->lpSecurityDescriptor);
  return descriptor->DaclPresent && descriptor->Dacl == nullptr;
}

class FileObject : public KernelObject {
 public:
  FileObject(int fd, fs::path path, bool deleteOnClose)
      : fd_(fd), path_(std::move(path)), deleteOnClose_(deleteOnClose) {}
  ~FileObject() override {
    ::close(fd_);
    if (deleteOnClose_) {
      std::error_code ec;
      fs::remove(path_, ec);
      DropMeta(path_);
    }
  }
  int fd() const { return fd_; }

 private:
  int fd_;
  fs::path path_;
  bool deleteOnClose_;
};

class FindObject : public KernelObject {
 public:
  std::vector<fs::path> matches;
  size_t next = 0;
};

fs::path ParentOf(const fs::path& host) { return host.parent_path(); }

bool FillFindData(const fs::path& host, LPWIN32_FIND_DATAA data) {
  std::memset(data, 0, sizeof *data);
  std::error_code ec;
  bool directory = fs::is_directory(host, ec);
  DWORD attributes = directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (auto meta = ReadMeta(host)) attributes = meta->attributes | (directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
  data->dwFileAttributes = attributes;
  if (!directory) {
    uintmax_t size = fs::file_size(host, ec);
    if (!ec) {
      data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
      data->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(size) >> 32);
    }
  }
  std::string name = AnsiFromUtf8(host.filename().string());
  lstrcpynA(data->cFileName, name.c_str(), MAX_PATH);
  return true;
}

template <class Char>
UINT CopyFolderName(const std::string& utf8, Char* buffer, UINT size) {
  std::basic_string<Char> text;
  if constexpr (sizeof(Char) == 1) {
    text = AnsiFromUtf8(utf8);
  } else {
    text = Utf16FromUtf8(utf8);
  }
  if (!buffer || size < text.size() + 1) return static_cast<UINT>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<UINT>(text.size());
}

}  // namespace

std::optional<fs::path> HostPathFromAnsi(const char* ansiPath) {
  if (!ansiPath || !*ansiPath) return std::nullopt;
  return HostPathFromWindows(Utf8FromAnsi(ansiPath));
}

bool HasNullDacl(const char* ansiPath) {
  auto host = HostPathFromAnsi(ansiPath);
  if (!host) return false;
  auto meta = ReadMeta(*host);
  return meta && meta->nullDacl;
}

}  // namespace platform

using namespace platform;

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
  if (!descriptor) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  auto* record = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  std::memset(record, 0, sizeof *record);
  record->Revision = SECURITY_DESCRIPTOR_REVISION;
  return TRUE;
}

BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, void* dacl, BOOL) {
  auto* record = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  if (!record || record->Revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  record->DaclPresent = daclPresent ? 1 : 0;
  record->Dacl = daclPresent ? dacl : nullptr;
  return TRUE;
}

namespace {

HANDLE CreateFileHost(const std::optional<fs::path>& host, DWORD access, LPSECURITY_ATTRIBUTES security,
                      DWORD disposition, DWORD flagsAndAttributes) {
  if (!host) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::error_code ec;
  if (!fs::is_directory(ParentOf(*host), ec)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (fs::is_directory(*host, ec)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  bool exists = fs::exists(*host, ec);
  bool wantsWrite = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0 || (access & 0x0002) != 0;
  bool wantsRead = (access & (GENERIC_READ | GENERIC_ALL)) != 0 || (access & 0x0001) != 0 || !wantsWrite;
  if (exists) {
    auto meta = ReadMeta(*host);
    if (meta && (meta->attributes & FILE_ATTRIBUTE_READONLY) &&
        (wantsWrite || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
  }
  int flags = O_CLOEXEC;
  flags |= (wantsRead && wantsWrite) ? O_RDWR : (wantsWrite ? O_WRONLY : O_RDONLY);
  switch (disposition) {
    case CREATE_NEW:
      if (exists) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING:
      if (!exists) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
      }
      break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING:
      if (!exists) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_TRUNC;
      break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
  }
  if ((flags & O_TRUNC) && !wantsWrite) flags = (flags & ~O_ACCMODE) | O_RDWR;
  int fd = ::open(host->c_str(), flags, 0666);
  if (fd < 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  if (!exists || disposition == CREATE_ALWAYS) {
    DWORD attributes = flagsAndAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                             FILE_ATTRIBUTE_TEMPORARY);
    if (attributes == 0) attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (!exists || IsNullDacl(security)) WriteMeta(*host, Meta{attributes, IsNullDacl(security)});
  }
  HANDLE handle =
      InsertHandle(std::make_shared<FileObject>(fd, *host, (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0));
  // Windows reports an existing file that OPEN_ALWAYS/CREATE_ALWAYS opened this way.
  SetLastError(exists && (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                      : ERROR_SUCCESS);
  return handle;
}

}  // namespace

namespace platform {
int DuplicateFileDescriptor(HANDLE file) {
  auto object = LookupHandle<FileObject>(file);
  return object ? ::fcntl(object->fd(), F_DUPFD_CLOEXEC, 0) : -1;
}
}  // namespace platform

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileHost(HostPathFromAnsi(fileName), access, security, disposition, flagsAndAttributes);
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileHost(HostPathFromWindows(Utf8FromUtf16(fileName)), access, security, disposition,
                        flagsAndAttributes);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID) {
  auto object = LookupHandle<FileObject>(file);
  if (read) *read = 0;
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DWORD total = 0;
  while (total < toRead) {
    ssize_t n = ::read(object->fd(), static_cast<char*>(buffer) + total, toRead - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(Win32ErrorFromErrno(errno));
      if (read) *read = total;
      return FALSE;
    }
    if (n == 0) break;
    total += static_cast<DWORD>(n);
  }
  if (read) *read = total;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPVOID) {
  auto object = LookupHandle<FileObject>(file);
  if (written) *written = 0;
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DWORD total = 0;
  while (total < toWrite) {
    ssize_t n = ::write(object->fd(), static_cast<const char*>(buffer) + total, toWrite - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(Win32ErrorFromErrno(errno));
      if (written) *written = total;
      return FALSE;  // a short write is a failure, never a silent loss
    }
    total += static_cast<DWORD>(n);
  }
  if (written) *written = total;
  return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  auto object = LookupHandle<FileObject>(file);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  int64_t offset = distanceHigh ? (static_cast<int64_t>(*distanceHigh) << 32) | static_cast<uint32_t>(distance)
                                : static_cast<int64_t>(distance);
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  off_t result = ::lseek(object->fd(), static_cast<off_t>(offset), whence);
  if (result < 0) {
    SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : Win32ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(result) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(static_cast<uint64_t>(result) & 0xFFFFFFFFu);
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  auto object = LookupHandle<FileObject>(file);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  struct stat info {};
  if (::fstat(object->fd(), &info) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  uint64_t size = static_cast<uint64_t>(info.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL SetEndOfFile(HANDLE file) {
  auto object = LookupHandle<FileObject>(file);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  off_t position = ::lseek(object->fd(), 0, SEEK_CUR);
  if (position < 0 || ::ftruncate(object->fd(), position) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  auto object = LookupHandle<FileObject>(file);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (::fsync(object->fd()) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName) {
  auto host = HostPathFromAnsi(fileName);
  std::error_code ec;
  if (!host || !fs::exists(*host, ec)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (fs::is_directory(*host, ec)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto meta = ReadMeta(*host);
  if (meta && (meta->attributes & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::unlink(host->c_str()) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  DropMeta(*host);
  return TRUE;
}

BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists) {
  auto from = HostPathFromAnsi(existing);
  auto to = HostPathFromAnsi(target);
  std::error_code ec;
  if (!from || !fs::is_regular_file(*from, ec)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (!to || !fs::is_directory(ParentOf(*to), ec)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (fs::exists(*to, ec)) {
    auto meta = ReadMeta(*to);
    if (failIfExists) {
      SetLastError(ERROR_FILE_EXISTS);
      return FALSE;
    }
    if (meta && (meta->attributes & FILE_ATTRIBUTE_READONLY)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
  }
  // Copy beside the target, then rename: the target is never half-written.
  fs::path temporary = to->string() + ".zelcopy";
  fs::copy_file(*from, temporary, fs::copy_options::overwrite_existing, ec);
  if (ec) {
    SetLastError(Win32ErrorFromErrno(ec.value()));
    fs::remove(temporary, ec);
    return FALSE;
  }
  fs::rename(temporary, *to, ec);
  if (ec) {
    SetLastError(Win32ErrorFromErrno(ec.value()));
    fs::remove(temporary, ec);
    return FALSE;
  }
  if (auto meta = ReadMeta(*from)) WriteMeta(*to, *meta);
  return TRUE;
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags) {
  auto from = HostPathFromAnsi(existing);
  auto to = HostPathFromAnsi(target);
  std::error_code ec;
  if (!from || !fs::exists(*from, ec)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (!to || !fs::is_directory(ParentOf(*to), ec)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (fs::exists(*to, ec) && !(flags & MOVEFILE_REPLACE_EXISTING)) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  auto meta = ReadMeta(*from);
  fs::rename(*from, *to, ec);
  if (ec) {
    SetLastError(Win32ErrorFromErrno(ec.value()));
    return FALSE;
  }
  DropMeta(*from);
  if (meta) WriteMeta(*to, *meta);
  return TRUE;
}

BOOL MoveFileA(LPCSTR existing, LPCSTR target) { return MoveFileExA(existing, target, 0); }

namespace {
BOOL CreateDirectoryHost(const std::optional<fs::path>& host, LPSECURITY_ATTRIBUTES security) {
  std::error_code ec;
  if (!host || !fs::is_directory(ParentOf(*host), ec)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (fs::exists(*host, ec)) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (::mkdir(host->c_str(), 0777) != 0) {
    SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : Win32ErrorFromErrno(errno));
    return FALSE;
  }
  WriteMeta(*host, Meta{0, IsNullDacl(security)});
  return TRUE;
}
}  // namespace

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security) {
  return CreateDirectoryHost(HostPathFromAnsi(pathName), security);
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES security) {
  if (!pathName) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  return CreateDirectoryHost(HostPathFromWindows(Utf8FromUtf16(pathName)), security);
}

BOOL RemoveDirectoryA(LPCSTR pathName) {
  auto host = HostPathFromAnsi(pathName);
  std::error_code ec;
  if (!host || !fs::is_directory(*host, ec)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (::rmdir(host->c_str()) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  DropMeta(*host);
  return TRUE;
}

namespace {
DWORD GetAttributesHost(const std::optional<fs::path>& host) {
  std::error_code ec;
  if (!host) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  fs::file_status status = fs::status(*host, ec);
  if (ec || !fs::exists(status)) {
    SetLastError(fs::is_directory(ParentOf(*host), ec) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  bool directory = fs::is_directory(status);
  DWORD attributes = directory ? 0 : FILE_ATTRIBUTE_ARCHIVE;
  if (auto meta = ReadMeta(*host)) attributes = meta->attributes;
  if (directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  return attributes;
}

BOOL SetAttributesHost(const std::optional<fs::path>& host, DWORD attributes) {
  std::error_code ec;
  if (!host || !fs::exists(*host, ec)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  Meta meta = ReadMeta(*host).value_or(Meta{});
  // NORMAL alone means "no attributes"; the directory bit is never stored.
  meta.attributes = attributes & ~(FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY);
  if (!WriteMeta(*host, meta)) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return TRUE;
}
}  // namespace

DWORD GetFileAttributesA(LPCSTR fileName) { return GetAttributesHost(HostPathFromAnsi(fileName)); }

DWORD GetFileAttributesW(LPCWSTR fileName) {
  return GetAttributesHost(fileName ? HostPathFromWindows(Utf8FromUtf16(fileName)) : std::nullopt);
}

BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  return SetAttributesHost(HostPathFromAnsi(fileName), attributes);
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes) {
  return SetAttributesHost(fileName ? HostPathFromWindows(Utf8FromUtf16(fileName)) : std::nullopt, attributes);
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  if (!pattern || !data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string ansi(pattern);
  size_t slash = FindLastCharAnsi(ansi, '\\');
  std::string folder = slash == std::string::npos ? "." : ansi.substr(0, slash);
  std::string mask = Utf8FromAnsi(slash == std::string::npos ? ansi : ansi.substr(slash + 1));
  auto host = HostPathFromWindows(Utf8FromAnsi(folder.empty() ? "\\" : folder));
  std::error_code ec;
  if (!host || !fs::is_directory(*host, ec)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto find = std::make_shared<FindObject>();
  std::string foldedMask = Utf8FromUtf16(FoldCase(Utf16FromUtf8(mask == "*.*" ? "*" : mask)));
  for (const auto& entry : fs::directory_iterator(*host, ec)) {
    std::string name = Utf8FromUtf16(FoldCase(Utf16FromUtf8(entry.path().filename().string())));
    if (::fnmatch(foldedMask.c_str(), name.c_str(), FNM_NOESCAPE) == 0) find->matches.push_back(entry.path());
  }
  std::sort(find->matches.begin(), find->matches.end());
  if (find->matches.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  FillFindData(find->matches[0], data);
  find->next = 1;
  return InsertHandle(find);
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
  auto find = LookupHandle<FindObject>(handle);
  if (!find || !data) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (find->next >= find->matches.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  FillFindData(find->matches[find->next++], data);
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  if (!LookupHandle<FindObject>(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  RemoveHandle(handle);
  return TRUE;
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) { return CopyFolderName(WindowsDirectory(), buffer, size); }
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) { return CopyFolderName(WindowsDirectory(), buffer, size); }
UINT GetSystemDirectoryA(LPSTR buffer, UINT size) { return CopyFolderName(SystemDirectory(), buffer, size); }
DWORD GetTempPathA(DWORD size, LPSTR buffer) { return CopyFolderName(TempDirectory() + "\\", buffer, size); }
DWORD GetTempPathW(DWORD size, LPWSTR buffer) { return CopyFolderName(TempDirectory() + "\\", buffer, size); }

UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  if (!pathName || !tempFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string folder(pathName);
  if (!folder.empty() && FindLastCharAnsi(folder, '\\') != folder.size() - 1) folder += '\\';
  std::string stem = std::string(prefix ? prefix : "").substr(0, 3);
  UINT number = unique ? (unique & 0xFFFF) : (static_cast<UINT>(::getpid()) & 0xFFFF);
  for (int attempt = 0; attempt < 0x10000; ++attempt) {
    if (number == 0) number = 1;
    char name[32];
    std::snprintf(name, sizeof name, "%s%X.TMP", stem.c_str(), number);
    std::string candidate = folder + name;
    if (unique) {
      lstrcpynA(tempFileName, candidate.c_str(), MAX_PATH);
      return unique;
    }
    HANDLE file = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      lstrcpynA(tempFileName, candidate.c_str(), MAX_PATH);
      return number;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return 0;
    number = (number + 1) & 0xFFFF;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}
