#include "platform/spooler/printer_setup.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/base/errors.h"
#include "platform/base/processes.h"
#include "platform/spooler/printer_events.h"
#include "platform/spooler/printer_store.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"

namespace platform::spooler {
namespace {

// The process setting a printer up, named by its id and its start time: a dead
// adder's id may since have been given to another process. Marks stored before
// the start time was kept have the id only (started 0).
struct SetupOwner {
  int64_t pid = 0;
  int64_t started = 0;
};

// A pid of 0: no process is setting the printer up (an earlier repair failed).
bool ProcessAlive(const SetupOwner& owner) {
  if (owner.pid <= 0) return false;
  if (owner.started != 0) return ProcessRuns(static_cast<DWORD>(owner.pid), owner.started);
  if (owner.pid == ::getpid()) return true;
  return ::kill(static_cast<pid_t>(owner.pid), 0) == 0 || errno == EPERM;
}

// Records this process (or, with pid 0, nobody) as the printer's set-up owner.
void StoreSetupOwner(db::Session& session, int64_t printerId, int64_t pid) {
  db::Statement owner(session, "INSERT OR REPLACE INTO spl_printer_setup(printer_id, adder_pid) VALUES(?, ?)");
  owner.Bind(1, printerId).Bind(2, pid);
  owner.Step();
  const std::optional<int64_t> started =
      pid != 0 ? ProcessStartTime(static_cast<DWORD>(pid)) : std::optional<int64_t>();
  if (started) {
    db::Statement store(session, "INSERT OR REPLACE INTO spl_printer_setup_owners(printer_id, started) VALUES(?, ?)");
    store.Bind(1, printerId).Bind(2, *started);
    store.Step();
  } else {
    db::Statement forget(session, "DELETE FROM spl_printer_setup_owners WHERE printer_id = ?");
    forget.Bind(1, printerId);
    forget.Step();
  }
}

void SetSetupOwner(int64_t printerId, int64_t pid) {
  db::Session session;
  db::Transaction transaction(session);
  StoreSetupOwner(session, printerId, pid);
  transaction.Commit();
}

// The process setting the printer up; nullopt when its set-up finished.
std::optional<SetupOwner> FindSetupOwner(db::Session& session, int64_t printerId) {
  db::Statement pending(session,
                        "SELECT adder_pid, started FROM spl_printer_setup"
                        " LEFT JOIN spl_printer_setup_owners USING (printer_id) WHERE printer_id = ?");
  pending.Bind(1, printerId);
  if (!pending.Step()) return std::nullopt;
  return SetupOwner{pending.Int(0), pending.IsNull(1) ? 0 : pending.Int(1)};
}

}  // namespace

void MarkSetupPending(db::Session& session, int64_t printerId) { StoreSetupOwner(session, printerId, ::getpid()); }

void MarkSetupDone(int64_t printerId) {
  db::Session session;
  db::Transaction transaction(session);
  for (const char* sql : {"DELETE FROM spl_printer_setup WHERE printer_id = ?",
                          "DELETE FROM spl_printer_setup_owners WHERE printer_id = ?"}) {
    db::Statement remove(session, sql);
    remove.Bind(1, printerId);
    remove.Step();
  }
  transaction.Commit();
}

DWORD FinishInterruptedSetup(int64_t printerId) {
  {
    // Every opening asks: a read, without taking the write lock.
    db::Session session;
    std::optional<SetupOwner> owner = FindSetupOwner(session, printerId);
    if (!owner || ProcessAlive(*owner)) return ERROR_SUCCESS;
  }
  std::u16string name;
  std::u16string configFile;
  {
    db::Session session;
    db::Transaction transaction(session);
    std::optional<SetupOwner> owner = FindSetupOwner(session, printerId);
    if (!owner || ProcessAlive(*owner)) return ERROR_SUCCESS;
    StoreCache cache(session);
    auto printer = cache.Printer(printerId);
    if (!printer) return ERROR_SUCCESS;
    name = printer->name;
    configFile = ConfigFileOfDriver(cache, printer->driver);
    // Claimed inside the transaction, so only one process repairs it.
    StoreSetupOwner(session, printerId, ::getpid());
    transaction.Commit();
  }
  SetLastError(ERROR_SUCCESS);
  if (!SendPrinterEvent(configFile, name, PRINTER_EVENT_INITIALIZE, 0, 0)) {
    const DWORD error = GetLastError();
    SetSetupOwner(printerId, 0);
    return error ? error : ERROR_GEN_FAILURE;
  }
  MarkSetupDone(printerId);
  return ERROR_SUCCESS;
}

}  // namespace platform::spooler
