// The print queue in the machine database, so every process sees the same jobs,
// and the spool files beside it under C:\Windows\System32\spool\PRINTERS.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/base/processes.h"
#include "platform/spooler/jobs.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_schema.h"

namespace platform::spooler {
namespace {

// Job ids are AUTOINCREMENT: an id, and the spool file named after it, is never
// given to a second job of the machine.
[[maybe_unused]] const bool kSchemaRegistered = (db::RegisterSchema("spooler_jobs", R"sql(
CREATE TABLE IF NOT EXISTS spl_jobs(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  printer_id INTEGER NOT NULL,
  document TEXT NOT NULL,
  user TEXT NOT NULL,
  machine TEXT NOT NULL,
  datatype TEXT NOT NULL,
  output_file TEXT NOT NULL,
  devmode BLOB NOT NULL,
  status INTEGER NOT NULL,
  status_text TEXT NOT NULL,
  pages INTEGER NOT NULL,
  size INTEGER NOT NULL,
  submitted INTEGER NOT NULL,
  owner_pid INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS spl_jobs_printer ON spl_jobs(printer_id, id);
CREATE TABLE IF NOT EXISTS spl_job_owners(
  job_id INTEGER PRIMARY KEY,
  started INTEGER NOT NULL);
)sql"),
                                                 true);

constexpr const char* kSelectJob =
    "SELECT id, printer_id, document, user, machine, datatype, output_file, devmode, status, status_text, pages,"
    " size, submitted, owner_pid, started FROM spl_jobs LEFT JOIN spl_job_owners ON job_id = id";

JobRecord ReadJob(const db::Statement& row) {
  JobRecord job;
  job.id = row.Int(0);
  job.printerId = row.Int(1);
  job.document = TextFromStored(row.Text(2));
  job.user = TextFromStored(row.Text(3));
  job.machine = TextFromStored(row.Text(4));
  job.datatype = TextFromStored(row.Text(5));
  job.outputFile = TextFromStored(row.Text(6));
  std::vector<uint8_t> devMode = row.Blob(7);
  job.devMode.assign(devMode.begin(), devMode.end());
  job.status = static_cast<DWORD>(row.Int(8));
  job.statusText = TextFromStored(row.Text(9));
  job.pages = static_cast<DWORD>(row.Int(10));
  job.size = static_cast<uint64_t>(row.Int(11));
  job.submittedMs = row.Int(12);
  job.ownerPid = row.Int(13);
  job.ownerStarted = row.IsNull(14) ? 0 : row.Int(14);
  return job;
}

std::filesystem::path SpoolFolder() {
  std::optional<std::filesystem::path> folder = HostPathFromWindows(SystemDirectory() + "\\spool\\PRINTERS");
  if (!folder) throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
  std::error_code ignored;
  std::filesystem::create_directories(*folder, ignored);
  return *folder;
}

// Kept beside the owner's id: ids are given again, an id with its start time never.
void StoreOwnStartTime(db::Session& session, int64_t jobId) {
  const std::optional<int64_t> started = ProcessStartTime(static_cast<DWORD>(::getpid()));
  if (!started) return;
  db::Statement store(session, "INSERT OR REPLACE INTO spl_job_owners(job_id, started) VALUES(?, ?)");
  store.Bind(1, jobId).Bind(2, *started);
  store.Step();
}

}  // namespace

std::filesystem::path SpoolFilePath(int64_t jobId) {
  char name[32];
  std::snprintf(name, sizeof name, "%05lld.SPL", static_cast<long long>(jobId));
  return SpoolFolder() / name;
}

int64_t InsertJob(db::Session& session, const JobRecord& job) {
  db::Statement insert(session,
                       "INSERT INTO spl_jobs(printer_id, document, user, machine, datatype, output_file, devmode,"
                       " status, status_text, pages, size, submitted, owner_pid)"
                       " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  insert.Bind(1, job.printerId)
      .Bind(2, StoredText(job.document))
      .Bind(3, StoredText(job.user))
      .Bind(4, StoredText(job.machine))
      .Bind(5, StoredText(job.datatype))
      .Bind(6, StoredText(job.outputFile))
      .BindBlob(7, job.devMode.data(), job.devMode.size())
      .Bind(8, int64_t{job.status})
      .Bind(9, StoredText(job.statusText))
      .Bind(10, int64_t{job.pages})
      .Bind(11, static_cast<int64_t>(job.size))
      .Bind(12, job.submittedMs)
      .Bind(13, job.ownerPid);
  insert.Step();
  const int64_t id = session.LastInsertRowId();
  if (job.ownerPid == ::getpid()) StoreOwnStartTime(session, id);
  return id;
}

std::vector<JobRecord> JobsOfPrinter(db::Session& session, int64_t printerId) {
  db::Statement select(session, (std::string(kSelectJob) + " WHERE printer_id = ? ORDER BY id").c_str());
  select.Bind(1, printerId);
  std::vector<JobRecord> jobs;
  while (select.Step()) jobs.push_back(ReadJob(select));
  return jobs;
}

std::optional<JobRecord> FindJob(db::Session& session, int64_t jobId, int64_t printerId) {
  db::Statement select(session, (std::string(kSelectJob) + " WHERE id = ?1 AND (?2 = 0 OR printer_id = ?2)").c_str());
  select.Bind(1, jobId).Bind(2, printerId);
  if (!select.Step()) return std::nullopt;
  return ReadJob(select);
}

std::optional<DWORD> StoreJobProgress(int64_t jobId, uint64_t size, DWORD pages) {
  db::Session session;
  db::Transaction transaction(session);
  db::Statement update(session, "UPDATE spl_jobs SET size = ?, pages = ? WHERE id = ? RETURNING status");
  update.Bind(1, static_cast<int64_t>(size)).Bind(2, int64_t{pages}).Bind(3, jobId);
  std::optional<DWORD> status;
  if (update.Step()) status = static_cast<DWORD>(update.Int(0));
  while (update.Step()) {
  }
  transaction.Commit();
  return status;
}

std::optional<DWORD> ReadJobStatus(db::Session& session, int64_t jobId) {
  db::Statement select(session, "SELECT status FROM spl_jobs WHERE id = ?");
  select.Bind(1, jobId);
  if (!select.Step()) return std::nullopt;
  return static_cast<DWORD>(select.Int(0));
}

void StoreJobStatus(db::Session& session, int64_t jobId, DWORD status, std::u16string_view text, int64_t ownerPid) {
  db::Statement update(session, "UPDATE spl_jobs SET status = ?, status_text = ?, owner_pid = ? WHERE id = ?");
  update.Bind(1, int64_t{status}).Bind(2, StoredText(text)).Bind(3, ownerPid).Bind(4, jobId);
  update.Step();
  if (ownerPid == ::getpid()) {
    StoreOwnStartTime(session, jobId);
  } else if (ownerPid == 0) {
    db::Statement forget(session, "DELETE FROM spl_job_owners WHERE job_id = ?");
    forget.Bind(1, jobId);
    forget.Step();
  }
}

void RemoveJob(int64_t jobId) {
  {
    db::Session session;
    db::Transaction transaction(session);
    db::Statement remove(session, "DELETE FROM spl_jobs WHERE id = ?");
    remove.Bind(1, jobId);
    remove.Step();
    db::Statement forget(session, "DELETE FROM spl_job_owners WHERE job_id = ?");
    forget.Bind(1, jobId);
    forget.Step();
    transaction.Commit();
  }
  std::error_code ignored;
  std::filesystem::remove(SpoolFilePath(jobId), ignored);
}

bool OwnerAlive(const JobRecord& job) {
  if (job.ownerPid <= 0) return false;
  if (job.ownerPid == ::getpid()) return FindOpenJob(job.id) != nullptr || (job.status & JOB_STATUS_PRINTING);
  // The start time tells the owner from a later process given its id; rows
  // stored before it was kept have the id only.
  if (job.ownerStarted != 0) return ProcessRuns(static_cast<DWORD>(job.ownerPid), job.ownerStarted);
  return ::kill(static_cast<pid_t>(job.ownerPid), 0) == 0 || errno == EPERM;
}

}  // namespace platform::spooler
