// Jobs left behind by a process that died while writing or sending them (killed,
// crashed): they would show as spooling or printing forever and keep their spool
// files. Whoever looks at the queue fails them with a reason and removes the file.
#include <unistd.h>

#include "platform/base/codepage.h"
#include "platform/spooler/jobs.h"
#include "platform/spooler/spooler.h"

namespace platform::spooler {
namespace {

constexpr DWORD kAtWork = JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING;
constexpr char16_t kAbandoned[] = u"The program writing or sending the job ended before it finished";

bool Abandoned(const JobRecord& job) { return (job.status & kAtWork) != 0 && !OwnerAlive(job); }

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

}  // namespace platform::spooler
