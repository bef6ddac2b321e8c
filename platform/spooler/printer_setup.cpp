#include "platform/spooler/printer_setup.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/base/errors.h"
#include "platform/spooler/printer_events.h"
#include "platform/spooler/printer_store.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"

namespace platform::spooler {
namespace {

// A pid of 0: no process is setting the printer up (an earlier repair failed).
bool ProcessAlive(int64_t pid) {
  if (pid <= 0) return false;
  if (pid == ::getpid()) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void SetSetupOwner(int64_t printerId, int64_t pid) {
  db::Session session;
  db::Transaction transaction(session);
  db::Statement update(session, "UPDATE spl_printer_setup SET adder_pid = ? WHERE printer_id = ?");
  update.Bind(1, pid).Bind(2, printerId);
  update.Step();
  transaction.Commit();
}

// The process setting the printer up; nullopt when its set-up finished.
std::optional<int64_t> SetupOwner(db::Session& session, int64_t printerId) {
  db::Statement pending(session, "SELECT adder_pid FROM spl_printer_setup WHERE printer_id = ?");
  pending.Bind(1, printerId);
  if (!pending.Step()) return std::nullopt;
  return pending.Int(0);
}

}  // namespace

void MarkSetupPending(db::Session& session, int64_t printerId) {
  db::Statement insert(session, "INSERT OR REPLACE INTO spl_printer_setup(printer_id, adder_pid) VALUES(?, ?)");
  insert.Bind(1, printerId).Bind(2, int64_t{::getpid()});
  insert.Step();
}

void MarkSetupDone(int64_t printerId) {
  db::Session session;
  db::Transaction transaction(session);
  db::Statement remove(session, "DELETE FROM spl_printer_setup WHERE printer_id = ?");
  remove.Bind(1, printerId);
  remove.Step();
  transaction.Commit();
}

DWORD FinishInterruptedSetup(int64_t printerId) {
  {
    // Every opening asks: a read, without taking the write lock.
    db::Session session;
    std::optional<int64_t> owner = SetupOwner(session, printerId);
    if (!owner || ProcessAlive(*owner)) return ERROR_SUCCESS;
  }
  std::u16string name;
  std::u16string configFile;
  {
    db::Session session;
    db::Transaction transaction(session);
    std::optional<int64_t> owner = SetupOwner(session, printerId);
    if (!owner || ProcessAlive(*owner)) return ERROR_SUCCESS;
    StoreCache cache(session);
    auto printer = cache.Printer(printerId);
    if (!printer) return ERROR_SUCCESS;
    name = printer->name;
    configFile = ConfigFileOfDriver(cache, printer->driver);
    // Claimed inside the transaction, so only one process repairs it.
    db::Statement claim(session, "UPDATE spl_printer_setup SET adder_pid = ? WHERE printer_id = ?");
    claim.Bind(1, int64_t{::getpid()}).Bind(2, printerId);
    claim.Step();
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
