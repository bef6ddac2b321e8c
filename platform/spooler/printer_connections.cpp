// Connections: a user's own name ("\\server\printer") for a printer of a print
// server. The only server the stand-in machine reaches is itself, so a connection
// names one of its own printers and shares that printer's driver, data and device
// modes, as a connection shares the server's queue on Windows.
#include "platform/base/machine.h"
#include "platform/spooler/api_guard.h"
#include "platform/spooler/char_width.h"
#include "platform/spooler/printer_events.h"
#include "platform/spooler/printer_names.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"
#include "platform/spooler/store_schema.h"

namespace platform::spooler {
namespace {

void RemoveConnection(const std::string& user, const std::u16string& name) {
  db::Session session;
  db::Transaction transaction(session);
  db::Statement remove(session, "DELETE FROM spl_connections WHERE user = ? AND name_key = ?");
  remove.Bind(1, user).Bind(2, NameKey(name));
  remove.Step();
  transaction.Commit();
  StoreCache::Invalidate();
}

template <class Char>
DWORD AddConnection(const Char* nameArgument) {
  std::u16string name = TextArgOrEmpty(nameArgument);
  std::u16string server;
  std::u16string printerName;
  if (!SplitUncName(name, server, printerName)) return ERROR_INVALID_PRINTER_NAME;
  std::string user = CurrentUser();

  std::u16string connectionName;
  std::u16string configFile;
  {
    db::Session session;
    StoreCache cache(session);
    if (cache.Connection(user, name)) return ERROR_SUCCESS;
    std::optional<ResolvedPrinter> resolved = ResolvePrinterName(cache, name, user);
    if (!resolved) return ERROR_INVALID_PRINTER_NAME;
    // Named by its share name or its own: the connection carries the printer's name.
    connectionName = server + u"\\" + resolved->printer->name;
    if (cache.Connection(user, connectionName)) return ERROR_SUCCESS;
    if (auto driver = cache.Driver(resolved->printer->driver)) configFile = driver->configFile;

    db::Transaction transaction(session);
    db::Statement insert(session,
                         "INSERT INTO spl_connections(user, name_key, name, printer_id) VALUES(?, ?, ?, ?)"
                         " ON CONFLICT(user, name_key) DO NOTHING");
    insert.Bind(1, user).Bind(2, NameKey(connectionName)).Bind(3, StoredText(connectionName));
    insert.Bind(4, resolved->printer->id);
    insert.Step();
    bool added = session.Changes() > 0;
    transaction.Commit();
    StoreCache::Invalidate();
    if (!added) return ERROR_SUCCESS;
  }

  SetLastError(ERROR_SUCCESS);
  if (!SendPrinterEvent(configFile, connectionName, PRINTER_EVENT_ADD_CONNECTION, 0, 0)) {
    DWORD error = GetLastError();
    RemoveConnection(user, connectionName);
    return error ? error : ERROR_GEN_FAILURE;
  }
  return ERROR_SUCCESS;
}

template <class Char>
DWORD DeleteConnection(const Char* nameArgument) {
  std::u16string name = TextArgOrEmpty(nameArgument);
  std::string user = CurrentUser();
  std::u16string connectionName;
  std::u16string configFile;
  {
    db::Session session;
    StoreCache cache(session);
    auto connection = cache.Connection(user, name);
    if (!connection) return ERROR_INVALID_PRINTER_NAME;
    connectionName = connection->name;
    if (auto printer = cache.Printer(connection->printerId)) {
      if (auto driver = cache.Driver(printer->driver)) configFile = driver->configFile;
    }
  }
  SendPrinterEvent(configFile, connectionName, PRINTER_EVENT_DELETE_CONNECTION, 0, 0);
  RemoveConnection(user, connectionName);
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace platform::spooler

using namespace platform::spooler;

BOOL AddPrinterConnectionA(LPSTR pName) {
  return GuardBool([&] { return AddConnection(pName); });
}

BOOL AddPrinterConnectionW(LPWSTR pName) {
  return GuardBool([&] { return AddConnection(pName); });
}

BOOL DeletePrinterConnectionA(LPSTR pName) {
  return GuardBool([&] { return DeleteConnection(pName); });
}

BOOL DeletePrinterConnectionW(LPWSTR pName) {
  return GuardBool([&] { return DeleteConnection(pName); });
}
