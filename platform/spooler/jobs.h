// The job path inside the spooler: the queue rows in the machine database, the
// documents this process is writing, and delivery of a finished spool file to its
// destination. The Win32 calls on top of these are in job_writer.cpp and job_queue.cpp.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/machine_db.h"
#include "platform/base/types.h"

namespace platform::spooler {

// One row of the queue. The document, user and paths are kept as given (UTF-16 here).
struct JobRecord {
  int64_t id = 0;
  int64_t printerId = 0;
  std::u16string document;
  std::u16string user;
  std::u16string machine;
  std::u16string datatype;
  std::u16string outputFile;  // DOC_INFO_1.pOutputFile as a full Windows path; empty: the port
  std::vector<BYTE> devMode;  // wide, as the job was started with; may be empty
  DWORD status = 0;
  std::u16string statusText;  // why delivery failed
  DWORD pages = 0;
  uint64_t size = 0;
  int64_t submittedMs = 0;   // Unix time in milliseconds
  int64_t ownerPid = 0;      // the process writing or sending the job
  int64_t ownerStarted = 0;  // its start time (FILETIME ticks); 0: not known
};

// --- the queue (job_store.cpp) ---

// Host path of the spool file of a job (the folder is made when missing).
std::filesystem::path SpoolFilePath(int64_t jobId);

// Inside the caller's transaction: adds the row and answers its id.
int64_t InsertJob(db::Session& session, const JobRecord& job);
// The printer's jobs in queue order.
std::vector<JobRecord> JobsOfPrinter(db::Session& session, int64_t printerId);
// printerId 0: any printer.
std::optional<JobRecord> FindJob(db::Session& session, int64_t jobId, int64_t printerId = 0);
// Stores how far the writer is; answers the status now stored, nothing when the row is gone.
std::optional<DWORD> StoreJobProgress(int64_t jobId, uint64_t size, DWORD pages);
// The stored status of a job, nothing when the row is gone.
std::optional<DWORD> ReadJobStatus(db::Session& session, int64_t jobId);
// Inside the caller's transaction: sets the status and its text.
void StoreJobStatus(db::Session& session, int64_t jobId, DWORD status, std::u16string_view text, int64_t ownerPid);
// Removes the row and the spool file.
void RemoveJob(int64_t jobId);
// Whether the process that owns a row still runs.
bool OwnerAlive(const JobRecord& job);
// The printer's jobs still spooling or printing whose process died are failed
// with a reason and their spool files removed (job_recovery.cpp).
void FailAbandonedJobs(int64_t printerId);
// Once per process and machine root, at its first spooler call: the same for
// every printer, so a queue nobody looks at is cleaned up as well.
void RecoverMachineOnce();

// --- documents being written by this process (job_writer.cpp) ---

class SpoolJob {
 public:
  SpoolJob(int64_t id, int64_t printerId, std::filesystem::path spoolPath, int fd);
  ~SpoolJob();
  SpoolJob(const SpoolJob&) = delete;
  SpoolJob& operator=(const SpoolJob&) = delete;

  const int64_t id;
  const int64_t printerId;
  const std::filesystem::path spoolPath;
  const std::filesystem::path root;  // the machine the job belongs to
  int fd;
  std::atomic<uint64_t> size{0};
  std::atomic<DWORD> pages{0};
  std::atomic<bool> cancelled{false};
  // Set once EndDocPrinter or AbortPrinter has dealt with the row and the file;
  // a job dropped without it (its handle closed) is discarded.
  bool ended = false;
  std::chrono::steady_clock::time_point lastStored;
  // The machine's change stamp when the row was last stored or read: while it
  // stays, nobody else can have cancelled the job.
  int64_t stampSeen = -1;
};

// A job of this process still being written, or null.
std::shared_ptr<SpoolJob> FindOpenJob(int64_t jobId);

// Sends a finished job to its destination: a delivered job leaves the queue; one
// that fails stays with JOB_STATUS_ERROR and the reason. Refused when the stored
// status has any bit of `refusedStatus` (a job already being sent, or deleted).
DWORD DeliverQueuedJob(int64_t jobId, DWORD refusedStatus);

// --- destinations (port_delivery.cpp) ---

struct Destination {
  enum class Kind { File, Tcp } kind = Kind::File;
  std::filesystem::path file;  // host path of the file
  uint32_t address = 0;        // IPv4, network byte order
  uint16_t port = 0;
  std::string label;  // how messages name it (UTF-8)
};

// Where a job goes: the output file when one is given, else the printer's port.
// ERROR_SUCCESS, or why there is no such destination.
DWORD ResolveDestination(std::u16string_view port, std::u16string_view outputFile, Destination& destination);

struct DeliveryResult {
  DWORD error = 0;
  std::string message;  // UTF-8, empty on success
};

// Copies the spool file to the destination whole: a file is written under a
// temporary name and renamed into place; a TCP peer gets every byte or an error.
DeliveryResult Deliver(const std::filesystem::path& spoolFile, const Destination& destination, int64_t jobId);

// The hidden copy a delivery by that process writes beside the target file
// before renaming it into place.
std::filesystem::path DeliveryCopyPath(const std::filesystem::path& target, int64_t ownerPid, int64_t jobId);

}  // namespace platform::spooler
