// Jobs left behind by a process that died while writing or sending them (killed,
// crashed): they would show as spooling or printing forever and keep their spool
// files and, when it died delivering to a file, a hidden copy beside the output.
// Whoever looks at the queue fails them with a reason and removes the files; the
// first spooler call of a process on a machine does so for every printer.
#include <unistd.h>

#include <mutex>
#include <set>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/spooler/jobs.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"

namespace platform::spooler {
namespace {

constexpr DWORD kAtWork = JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING;
constexpr char16_t kAbandoned[] = u"The program writing or sending the job ended before it finished";

bool Abandoned(const JobRecord& job) { return (job.status & kAtWork) != 0 && !OwnerAlive(job); }

// The hidden copy a dead delivery of the job left beside its output file.
void RemoveCopyOfDeadDelivery(db::Session& session, const JobRecord& job) {
  if (!(job.status & JOB_STATUS_PRINTING)) return;
  auto printer = StoreCache(session).Printer(job.printerId);
  Destination destination;
  if (ResolveDestination(printer ? printer->port : u"", job.outputFile, destination) != ERROR_SUCCESS) return;
  if (destination.kind != Destination::Kind::File) return;
  ::unlink(DeliveryCopyPath(destination.file, job.ownerPid, job.id).c_str());
}

std::vector<int64_t> PrintersWithJobs(db::Session& session) {
  db::Statement select(session, "SELECT DISTINCT printer_id FROM spl_jobs");
  std::vector<int64_t> printers;
  while (select.Step()) printers.push_back(select.Int(0));
  return printers;
}

}  // namespace

void FailAbandonedJobs(int64_t printerId) {
  {
    // Every look at the queue asks: a read, without taking the write lock.
    db::Session session;
    bool any = false;
    for (const JobRecord& job : JobsOfPrinter(session, printerId)) any = any || Abandoned(job);
    if (!any) return;
  }
  std::vector<int64_t> failed;
  std::vector<int64_t> deleted;
  {
    db::Session session;
    db::Transaction transaction(session);
    for (const JobRecord& job : JobsOfPrinter(session, printerId)) {
      if (!Abandoned(job)) continue;
      RemoveCopyOfDeadDelivery(session, job);
      if (job.status & JOB_STATUS_DELETING) {
        deleted.push_back(job.id);
        continue;
      }
      StoreJobStatus(session, job.id, (job.status & ~kAtWork) | JOB_STATUS_ERROR, kAbandoned, 0);
      failed.push_back(job.id);
    }
    transaction.Commit();
  }
  for (int64_t id : failed) ::unlink(SpoolFilePath(id).c_str());
  for (int64_t id : deleted) RemoveJob(id);
}

void RecoverMachineOnce() {
  static std::mutex lock;
  static std::set<std::string> recovered;
  // A forked child is a process of its own: it looks again.
  const std::string root = std::to_string(::getpid()) + ":" + MachineRoot().string();
  {
    std::lock_guard guard(lock);
    if (!recovered.insert(root).second) return;
  }
  std::vector<int64_t> printers;
  {
    db::Session session;
    printers = PrintersWithJobs(session);
  }
  for (int64_t printerId : printers) FailAbandonedJobs(printerId);
}

}  // namespace platform::spooler
