// The queue as callers see it: EnumJobs and GetJob (levels 1 and 2, two-call
// sizing) and SetJob's commands. Jobs this process is writing show their live size
// and page count; those of other processes what their writer last stored.
#include <ctime>

#include "platform/spooler/api_guard.h"
#include "platform/spooler/char_width.h"
#include "platform/spooler/info_packer.h"
#include "platform/spooler/jobs.h"
#include "platform/spooler/printer_handle.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"

namespace platform::spooler {
namespace {

template <class Char>
struct JobInfo;
template <>
struct JobInfo<CHAR> {
  using Level1 = JOB_INFO_1A;
  using Level2 = JOB_INFO_2A;
  using DevMode = DEVMODEA;
};
template <>
struct JobInfo<WCHAR> {
  using Level1 = JOB_INFO_1W;
  using Level2 = JOB_INFO_2W;
  using DevMode = DEVMODEW;
};

// A queued job with what the caller's view adds to it.
struct JobView {
  JobRecord job;
  DWORD position = 0;  // 1-based place in the queue
};

SYSTEMTIME SystemTimeFromMs(int64_t ms) {
  SYSTEMTIME time{};
  std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm parts{};
  if (!gmtime_r(&seconds, &parts)) return time;
  time.wYear = static_cast<WORD>(parts.tm_year + 1900);
  time.wMonth = static_cast<WORD>(parts.tm_mon + 1);
  time.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
  time.wDay = static_cast<WORD>(parts.tm_mday);
  time.wHour = static_cast<WORD>(parts.tm_hour);
  time.wMinute = static_cast<WORD>(parts.tm_min);
  time.wSecond = static_cast<WORD>(parts.tm_sec);
  time.wMilliseconds = static_cast<WORD>(ms % 1000);
  return time;
}

// Replaces the stored progress of a job this process is writing by its live one.
void ApplyLiveProgress(JobRecord& job) {
  if (auto open = FindOpenJob(job.id)) {
    job.size = open->size;
    job.pages = open->pages;
  }
}

template <class Char>
DWORD PackJobs(DWORD level, const std::vector<JobView>& views, const PrinterRecord& printer, BYTE* buffer, DWORD cbBuf,
               DWORD* pcbNeeded) {
  using Info = JobInfo<Char>;
  auto optionalText = [](InfoPacker& packer, const std::u16string& text) -> Char* {
    return text.empty() ? nullptr : packer.Text<Char>(text);
  };
  switch (level) {
    case 1:
      return PackRecords<typename Info::Level1>(buffer, cbBuf, pcbNeeded, views.size(),
                                                [&](InfoPacker& packer, size_t i, auto& info) {
                                                  const JobRecord& job = views[i].job;
                                                  info.JobId = static_cast<DWORD>(job.id);
                                                  info.pPrinterName = packer.Text<Char>(printer.name);
                                                  info.pMachineName = packer.Text<Char>(job.machine);
                                                  info.pUserName = packer.Text<Char>(job.user);
                                                  info.pDocument = packer.Text<Char>(job.document);
                                                  info.pDatatype = packer.Text<Char>(job.datatype);
                                                  info.pStatus = optionalText(packer, job.statusText);
                                                  info.Status = job.status;
                                                  info.Priority = DEF_PRIORITY;
                                                  info.Position = views[i].position;
                                                  info.TotalPages = job.pages;
                                                  info.PagesPrinted = 0;
                                                  info.Submitted = SystemTimeFromMs(job.submittedMs);
                                                });
    case 2:
      return PackRecords<typename Info::Level2>(
          buffer, cbBuf, pcbNeeded, views.size(), [&](InfoPacker& packer, size_t i, auto& info) {
            const JobRecord& job = views[i].job;
            info.JobId = static_cast<DWORD>(job.id);
            info.pPrinterName = packer.Text<Char>(printer.name);
            info.pMachineName = packer.Text<Char>(job.machine);
            info.pUserName = packer.Text<Char>(job.user);
            info.pDocument = packer.Text<Char>(job.document);
            info.pNotifyName = packer.Text<Char>(job.user);
            info.pDatatype = packer.Text<Char>(job.datatype);
            info.pPrintProcessor = packer.Text<Char>(printer.printProcessor);
            info.pParameters = packer.Text<Char>(u"");
            info.pDriverName = packer.Text<Char>(printer.driver);
            info.pDevMode = packer.PutDevMode<typename Info::DevMode>(&job.devMode);
            info.pStatus = optionalText(packer, job.statusText);
            info.pSecurityDescriptor = nullptr;
            info.Status = job.status;
            info.Priority = DEF_PRIORITY;
            info.Position = views[i].position;
            info.StartTime = printer.startTime;
            info.UntilTime = printer.untilTime;
            info.TotalPages = job.pages;
            info.Size = job.size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(job.size);
            info.Submitted = SystemTimeFromMs(job.submittedMs);
            info.Time = 0;
            info.PagesPrinted = 0;
          });
    default: return ERROR_INVALID_LEVEL;
  }
}

template <class Char>
DWORD Enumerate(HANDLE printerHandle, DWORD firstJob, DWORD count, DWORD level, BYTE* buffer, DWORD cbBuf,
                DWORD* pcbNeeded, DWORD* pcReturned) {
  if (!pcbNeeded || !pcReturned) return ERROR_INVALID_PARAMETER;
  *pcReturned = 0;
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (level != 1 && level != 2) return ERROR_INVALID_LEVEL;

  RecoverMachineOnce();
  FailAbandonedJobs(handle->printerId);
  db::Session session;
  auto printer = StoreCache(session).Printer(handle->printerId);
  if (!printer) return ERROR_INVALID_HANDLE;
  std::vector<JobRecord> jobs = JobsOfPrinter(session, printer->id);
  std::vector<JobView> views;
  for (size_t i = firstJob; i < jobs.size() && views.size() < count; ++i) {
    ApplyLiveProgress(jobs[i]);
    views.push_back({std::move(jobs[i]), static_cast<DWORD>(i + 1)});
  }
  DWORD code = PackJobs<Char>(level, views, *printer, buffer, cbBuf, pcbNeeded);
  if (code == ERROR_SUCCESS) *pcReturned = static_cast<DWORD>(views.size());
  return code;
}

template <class Char>
DWORD Get(HANDLE printerHandle, DWORD jobId, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* pcbNeeded) {
  if (!pcbNeeded) return ERROR_INVALID_PARAMETER;
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (level != 1 && level != 2) return ERROR_INVALID_LEVEL;

  db::Session session;
  auto printer = StoreCache(session).Printer(handle->printerId);
  if (!printer) return ERROR_INVALID_HANDLE;
  std::vector<JobRecord> jobs = JobsOfPrinter(session, printer->id);
  for (size_t i = 0; i < jobs.size(); ++i) {
    if (jobs[i].id != jobId) continue;
    ApplyLiveProgress(jobs[i]);
    std::vector<JobView> views{{std::move(jobs[i]), static_cast<DWORD>(i + 1)}};
    return PackJobs<Char>(level, views, *printer, buffer, cbBuf, pcbNeeded);
  }
  return ERROR_INVALID_PARAMETER;
}

// Removes a job, or marks it for its writer or sender to drop when one is at work on it.
DWORD DeleteJob(int64_t printerId, int64_t jobId) {
  bool removeNow = false;
  {
    db::Session session;
    db::Transaction transaction(session);
    std::optional<JobRecord> job = FindJob(session, jobId, printerId);
    if (!job) return ERROR_INVALID_PARAMETER;
    bool atWork = (job->status & (JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING)) && OwnerAlive(*job);
    if (atWork) {
      StoreJobStatus(session, jobId, job->status | JOB_STATUS_DELETING, job->statusText, job->ownerPid);
      transaction.Commit();
    } else {
      removeNow = true;
    }
  }
  if (auto open = FindOpenJob(jobId)) open->cancelled = true;
  if (removeNow) RemoveJob(jobId);
  return ERROR_SUCCESS;
}

DWORD Set(HANDLE printerHandle, DWORD jobId, DWORD level, DWORD command) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (level > 4) return ERROR_INVALID_LEVEL;
  // Changing a job's fields (levels 1 to 4) is not offered by the stand-in.
  if (level != 0) return ERROR_NOT_SUPPORTED;
  switch (command) {
    case JOB_CONTROL_CANCEL:
    case JOB_CONTROL_DELETE: return DeleteJob(handle->printerId, jobId);
    case JOB_CONTROL_RESTART: {
      db::Session session;
      if (!FindJob(session, jobId, handle->printerId)) return ERROR_INVALID_PARAMETER;
      // Only a finished job that is not already on its way can be sent again.
      return DeliverQueuedJob(jobId, JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING | JOB_STATUS_DELETING);
    }
    case JOB_CONTROL_PAUSE:
    case JOB_CONTROL_RESUME:
    case JOB_CONTROL_SENT_TO_PRINTER:
    case JOB_CONTROL_LAST_PAGE_EJECTED: return ERROR_NOT_SUPPORTED;
    default: return ERROR_INVALID_PARAMETER;
  }
}

}  // namespace
}  // namespace platform::spooler

using namespace platform::spooler;

BOOL EnumJobsA(HANDLE hPrinter, DWORD FirstJob, DWORD NoJobs, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded,
               LPDWORD pcReturned) {
  return GuardBool(
      [&] { return Enumerate<CHAR>(hPrinter, FirstJob, NoJobs, Level, pJob, cbBuf, pcbNeeded, pcReturned); });
}

BOOL EnumJobsW(HANDLE hPrinter, DWORD FirstJob, DWORD NoJobs, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded,
               LPDWORD pcReturned) {
  return GuardBool(
      [&] { return Enumerate<WCHAR>(hPrinter, FirstJob, NoJobs, Level, pJob, cbBuf, pcbNeeded, pcReturned); });
}

BOOL GetJobA(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded) {
  return GuardBool([&] { return Get<CHAR>(hPrinter, JobId, Level, pJob, cbBuf, pcbNeeded); });
}

BOOL GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded) {
  return GuardBool([&] { return Get<WCHAR>(hPrinter, JobId, Level, pJob, cbBuf, pcbNeeded); });
}

BOOL SetJobA(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE, DWORD Command) {
  return GuardBool([&] { return Set(hPrinter, JobId, Level, Command); });
}

BOOL SetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE, DWORD Command) {
  return GuardBool([&] { return Set(hPrinter, JobId, Level, Command); });
}
