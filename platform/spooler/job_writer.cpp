// Writing a document: StartDocPrinter opens a job and its spool file, WritePrinter
// appends to it, EndDocPrinter sends the finished file to its destination and
// AbortPrinter throws it away. The queue row follows the writer at page ends and a
// few times a second, not at every write: each stored change makes every process
// refresh its cached printer records.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/base/codepage.h"
#include "platform/base/errno_map.h"
#include "platform/base/machine.h"
#include "platform/spooler/api_guard.h"
#include "platform/spooler/char_width.h"
#include "platform/spooler/jobs.h"
#include "platform/spooler/printer_handle.h"
#include "platform/spooler/printer_names.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"

namespace platform::spooler {
namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(250);

// The documents this process is writing, so its own queue queries show their live
// size and a cancel reaches the writer at once.
struct OpenJobs {
  std::mutex mutex;
  std::unordered_map<int64_t, std::weak_ptr<SpoolJob>> jobs;
};

OpenJobs& TheOpenJobs() {
  static OpenJobs* openJobs = new OpenJobs;  // outlives handles dropped at exit
  return *openJobs;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The seam of fault sweeps: with ZEL_FAIL_SPOOLER_WRITE=N the disk holds N bytes
// of the process's jobs: a write past them takes what fits and fails with
// ERROR_DISK_FULL, as every later one does.
std::atomic<int64_t> g_bytesWritten{0};

bool DiskFullAt(DWORD size, DWORD& room) {
  static const int64_t capacity = [] {
    const char* value = std::getenv("ZEL_FAIL_SPOOLER_WRITE");
    return value && *value ? std::atoll(value) : -1;
  }();
  if (capacity < 0) return false;
  const int64_t before = g_bytesWritten.fetch_add(size);
  if (before + size <= capacity) return false;
  room = static_cast<DWORD>(std::max<int64_t>(0, capacity - before));
  return true;
}

template <class Char>
struct DocInfo;
template <>
struct DocInfo<CHAR> {
  using Type = DOC_INFO_1A;
};
template <>
struct DocInfo<WCHAR> {
  using Type = DOC_INFO_1W;
};

// An output file as a full Windows path, so a later change of the current folder
// cannot move it.
std::u16string FullOutputPath(std::u16string_view outputFile) {
  std::optional<std::filesystem::path> host = HostPathFromWindows(Utf8FromUtf16(outputFile));
  if (!host) return std::u16string(outputFile);
  return Utf16FromUtf8(WindowsPathFromHost(*host));
}

template <class Char>
DWORD StartDoc(HANDLE printerHandle, DWORD level, const BYTE* info, DWORD& jobId) {
  jobId = 0;
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (level != 1) return ERROR_INVALID_LEVEL;
  if (!info) return ERROR_INVALID_PARAMETER;
  const auto& doc = *reinterpret_cast<const typename DocInfo<Char>::Type*>(info);

  JobRecord record;
  record.document = TextArgOrEmpty(doc.pDocName);
  std::u16string outputFile = TextArgOrEmpty(doc.pOutputFile);
  record.datatype = TextArgOrEmpty(doc.pDatatype);
  record.user = Utf16FromUtf8(CurrentUser());
  record.machine = ThisServer();
  record.status = JOB_STATUS_SPOOLING;
  record.submittedMs = NowMs();
  record.ownerPid = ::getpid();

  std::lock_guard lock(handle->jobMutex);
  if (handle->job) return ERROR_INVALID_PRINTER_STATE;

  db::Session session;
  {
    StoreCache cache(session);
    auto printer = cache.Printer(handle->printerId);
    if (!printer) return ERROR_INVALID_HANDLE;
    record.printerId = printer->id;
    if (record.datatype.empty()) record.datatype = handle->datatype;
    if (record.datatype.empty()) record.datatype = printer->datatype;
    // Jobs go to the device as they were written: there is no print processor
    // here to play back any other data type.
    if (!EqualsNoCase(record.datatype, u"RAW")) return ERROR_INVALID_DATATYPE;
    Destination destination;
    if (DWORD code = ResolveDestination(printer->port, outputFile, destination)) return code;
    if (!outputFile.empty()) record.outputFile = FullOutputPath(outputFile);
    if (!handle->devMode.empty()) {
      record.devMode = handle->devMode;
    } else if (auto devMode = cache.DevMode(printer->id, handle->user)) {
      record.devMode = *devMode;
    } else if (auto globalDevMode = cache.DevMode(printer->id, "")) {
      record.devMode = *globalDevMode;
    }
  }

  db::Transaction transaction(session);
  record.id = InsertJob(session, record);
  std::filesystem::path spoolPath = SpoolFilePath(record.id);
  int fd = ::open(spoolPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return Win32ErrorFromErrno(errno);  // the row goes with the transaction
  auto job = std::make_shared<SpoolJob>(record.id, record.printerId, spoolPath, fd);
  transaction.Commit();
  {
    OpenJobs& open = TheOpenJobs();
    std::lock_guard openLock(open.mutex);
    open.jobs[job->id] = job;
  }
  handle->job = std::move(job);
  jobId = static_cast<DWORD>(record.id);
  return ERROR_SUCCESS;
}

// The handle's open job (with its lock held by the caller), or why there is none.
DWORD OpenJobOf(const PrinterHandle& handle) {
  if (!handle.job) return ERROR_SPL_NO_STARTDOC;
  if (handle.job->cancelled) return ERROR_PRINT_CANCELLED;
  return ERROR_SUCCESS;
}

void NoteStatus(SpoolJob& job, const std::optional<DWORD>& status) {
  if (!status || (*status & JOB_STATUS_DELETING)) job.cancelled = true;
}

// Stores the writer's progress; notices a cancel from another process.
void StoreProgress(SpoolJob& job) {
  job.lastStored = std::chrono::steady_clock::now();
  // The stamp from before the store: a cancel that lands right after it is then
  // still seen as a change at the next page end.
  {
    db::Session session;
    job.stampSeen = session.DataVersion();
  }
  NoteStatus(job, StoreJobProgress(job.id, job.size, job.pages));
}

// Notices a cancel from another process without writing: the row is read only
// when something in the machine database changed since it was last seen.
void CheckCancelled(SpoolJob& job) {
  db::Session session;
  int64_t stamp = session.DataVersion();
  if (stamp >= 0 && stamp == job.stampSeen) return;
  NoteStatus(job, ReadJobStatus(session, job.id));
  job.stampSeen = stamp;
}

DWORD Write(HANDLE printerHandle, const void* data, DWORD size, DWORD* written) {
  if (!written) return ERROR_INVALID_PARAMETER;
  *written = 0;
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (!data && size > 0) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(handle->jobMutex);
  if (DWORD code = OpenJobOf(*handle)) return code;
  SpoolJob& job = *handle->job;

  // A failed write leaves what went before it in the file, and tells the writer
  // how much that was, so it can stop or go on from there.
  const auto* bytes = static_cast<const BYTE*>(data);
  DWORD error = ERROR_SUCCESS;
  DWORD room = size;
  const bool diskFull = DiskFullAt(size, room);
  while (*written < room) {
    ssize_t put = ::write(job.fd, bytes + *written, room - *written);
    if (put < 0) {
      if (errno == EINTR) continue;
      error = Win32ErrorFromErrno(errno);
      break;
    }
    if (put == 0) {
      error = ERROR_WRITE_FAULT;
      break;
    }
    *written += static_cast<DWORD>(put);
  }
  if (diskFull && error == ERROR_SUCCESS) error = ERROR_DISK_FULL;
  job.size += *written;
  if (std::chrono::steady_clock::now() - job.lastStored >= kProgressInterval) StoreProgress(job);
  return error;
}

DWORD StartPage(HANDLE printerHandle) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  std::lock_guard lock(handle->jobMutex);
  return OpenJobOf(*handle);
}

// A page counts once it is ended. Its count is stored on the progress interval
// only: a write transaction per page would cost more than the page itself.
DWORD EndPage(HANDLE printerHandle) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  std::lock_guard lock(handle->jobMutex);
  if (DWORD code = OpenJobOf(*handle)) return code;
  SpoolJob& job = *handle->job;
  ++job.pages;
  if (std::chrono::steady_clock::now() - job.lastStored >= kProgressInterval) {
    StoreProgress(job);
  } else {
    CheckCancelled(job);
  }
  return job.cancelled ? ERROR_PRINT_CANCELLED : ERROR_SUCCESS;
}

// Takes the open job off the handle: the document is over whatever happens next.
std::shared_ptr<SpoolJob> TakeJob(PrinterHandle& handle) {
  std::lock_guard lock(handle.jobMutex);
  return std::exchange(handle.job, nullptr);
}

DWORD Discard(SpoolJob& job) {
  job.ended = true;
  if (job.fd >= 0) ::close(job.fd);
  job.fd = -1;
  RemoveJob(job.id);
  return ERROR_SUCCESS;
}

DWORD EndDoc(HANDLE printerHandle) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  std::shared_ptr<SpoolJob> job = TakeJob(*handle);
  if (!job) return ERROR_SPL_NO_STARTDOC;
  int fd = std::exchange(job->fd, -1);
  if (::close(fd) != 0 || job->cancelled) {
    DWORD code = job->cancelled ? DWORD(ERROR_PRINT_CANCELLED) : Win32ErrorFromErrno(errno);
    Discard(*job);
    return code;
  }
  StoreJobProgress(job->id, job->size, job->pages);
  job->ended = true;  // from here the queue row speaks for the job
  DWORD code = DeliverQueuedJob(job->id, JOB_STATUS_DELETING | JOB_STATUS_PRINTING);
  // Deleted from the queue while it was written: nothing goes out.
  if (code == ERROR_PRINT_CANCELLED || code == ERROR_INVALID_PARAMETER) {
    RemoveJob(job->id);
    return ERROR_PRINT_CANCELLED;
  }
  return code;
}

DWORD Abort(HANDLE printerHandle) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  std::shared_ptr<SpoolJob> job = TakeJob(*handle);
  if (!job) return ERROR_SPL_NO_STARTDOC;
  return Discard(*job);
}

}  // namespace

SpoolJob::SpoolJob(int64_t jobId, int64_t jobPrinterId, std::filesystem::path path, int spoolFd)
    : id(jobId),
      printerId(jobPrinterId),
      spoolPath(std::move(path)),
      root(MachineRoot()),
      fd(spoolFd),
      lastStored(std::chrono::steady_clock::now()) {}

SpoolJob::~SpoolJob() {
  if (fd >= 0) ::close(fd);
  {
    OpenJobs& open = TheOpenJobs();
    std::lock_guard lock(open.mutex);
    auto found = open.jobs.find(id);
    if (found != open.jobs.end() && found->second.expired()) open.jobs.erase(found);
  }
  // A document its writer never ended (the handle was closed) is not printed:
  // half a job would only waste the device's paper.
  if (!ended && root == MachineRoot()) {
    try {
      RemoveJob(id);
    } catch (...) {
    }
  }
}

std::shared_ptr<SpoolJob> FindOpenJob(int64_t jobId) {
  OpenJobs& open = TheOpenJobs();
  std::lock_guard lock(open.mutex);
  auto found = open.jobs.find(jobId);
  if (found == open.jobs.end()) return nullptr;
  std::shared_ptr<SpoolJob> job = found->second.lock();
  if (!job || job->root != MachineRoot()) return nullptr;
  return job;
}

DWORD DeliverQueuedJob(int64_t jobId, DWORD refusedStatus) {
  const int64_t self = ::getpid();
  std::optional<JobRecord> job;
  std::shared_ptr<const PrinterRecord> printer;
  {
    db::Session session;
    db::Transaction transaction(session);
    job = FindJob(session, jobId);
    if (!job) return ERROR_INVALID_PARAMETER;
    if (job->status & JOB_STATUS_DELETING) return ERROR_PRINT_CANCELLED;
    if (job->status & refusedStatus) return ERROR_INVALID_PRINTER_STATE;
    StoreJobStatus(session, jobId, JOB_STATUS_PRINTING, u"", self);
    transaction.Commit();
    printer = StoreCache(session).Printer(job->printerId);
  }
  if (!printer) {
    RemoveJob(jobId);
    return ERROR_PRINTER_DELETED;
  }

  Destination destination;
  DeliveryResult result;
  if (DWORD code = ResolveDestination(printer->port, job->outputFile, destination)) {
    result = {code, "The port " + Utf8FromUtf16(printer->port) + " reaches no device"};
  } else {
    result = Deliver(SpoolFilePath(jobId), destination, jobId);
  }
  if (result.error == ERROR_SUCCESS) {
    RemoveJob(jobId);
    return ERROR_SUCCESS;
  }

  // The job stays in the queue with the reason, unless it was deleted meanwhile.
  bool deleted = false;
  {
    db::Session session;
    db::Transaction transaction(session);
    std::optional<JobRecord> now = FindJob(session, jobId);
    deleted = !now || (now->status & JOB_STATUS_DELETING);
    if (!deleted) {
      StoreJobStatus(session, jobId, JOB_STATUS_ERROR, Utf16FromUtf8(result.message), self);
      transaction.Commit();
    }
  }
  if (deleted) RemoveJob(jobId);
  return result.error;
}

}  // namespace platform::spooler

using namespace platform::spooler;

DWORD StartDocPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo) {
  DWORD jobId = 0;
  return GuardBool([&] { return StartDoc<CHAR>(hPrinter, Level, pDocInfo, jobId); }) ? jobId : 0;
}

DWORD StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo) {
  DWORD jobId = 0;
  return GuardBool([&] { return StartDoc<WCHAR>(hPrinter, Level, pDocInfo, jobId); }) ? jobId : 0;
}

BOOL StartPagePrinter(HANDLE hPrinter) {
  return GuardBool([&] { return StartPage(hPrinter); });
}

BOOL EndPagePrinter(HANDLE hPrinter) {
  return GuardBool([&] { return EndPage(hPrinter); });
}

BOOL WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  return GuardBool([&] { return Write(hPrinter, pBuf, cbBuf, pcWritten); });
}

BOOL EndDocPrinter(HANDLE hPrinter) {
  return GuardBool([&] { return EndDoc(hPrinter); });
}

BOOL AbortPrinter(HANDLE hPrinter) {
  return GuardBool([&] { return Abort(hPrinter); });
}
