// Printers: adding, reading, changing and deleting them, with their device modes.
#include "platform/spooler/printer_store.h"

#include <memory>
#include <utility>

#include "platform/base/machine.h"
#include "platform/spooler/api_guard.h"
#include "platform/spooler/printer_events.h"
#include "platform/spooler/printer_handle.h"
#include "platform/spooler/printer_info.h"
#include "platform/spooler/printer_names.h"
#include "platform/spooler/printer_setup.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"
#include "platform/spooler/store_schema.h"

namespace platform::spooler {

std::u16string ConfigFileOfDriver(StoreCache& cache, const std::u16string& driverName) {
  auto driver = cache.Driver(driverName);
  return driver ? driver->configFile : std::u16string();
}

namespace {

template <class Char>
struct PrinterInfo2;
template <>
struct PrinterInfo2<CHAR> {
  using Type = PRINTER_INFO_2A;
};
template <>
struct PrinterInfo2<WCHAR> {
  using Type = PRINTER_INFO_2W;
};

// Fields a PRINTER_INFO_2 gives replace the record's; NULL strings keep them.
template <class Info>
void ApplyInfo2(const Info& info, PrinterRecord& record) {
  auto apply = [](const auto* text, std::u16string& field) {
    if (auto value = TextArg(text)) field = std::move(*value);
  };
  apply(info.pPrinterName, record.name);
  apply(info.pShareName, record.shareName);
  apply(info.pPortName, record.port);
  apply(info.pDriverName, record.driver);
  apply(info.pComment, record.comment);
  apply(info.pLocation, record.location);
  apply(info.pSepFile, record.sepFile);
  apply(info.pPrintProcessor, record.printProcessor);
  apply(info.pDatatype, record.datatype);
  apply(info.pParameters, record.parameters);
  record.attributes = info.Attributes;
  record.priority = info.Priority;
  record.defaultPriority = info.DefaultPriority;
  record.startTime = info.StartTime;
  record.untilTime = info.UntilTime;
}

// Checks what a record may hold and fills in the defaults of a local printer.
DWORD NormalizePrinter(PrinterRecord& record) {
  if (!IsValidPrinterName(record.name)) return ERROR_INVALID_PRINTER_NAME;
  if (record.port.empty()) return ERROR_UNKNOWN_PORT;
  if (record.driver.empty()) return ERROR_UNKNOWN_PRINTER_DRIVER;
  if (record.shareName.find_first_of(u"\\,") != std::u16string::npos) return ERROR_INVALID_SHARENAME;
  if ((record.attributes & PRINTER_ATTRIBUTE_SHARED) && record.shareName.empty()) return ERROR_INVALID_SHARENAME;
  record.attributes = (record.attributes & ~DWORD(PRINTER_ATTRIBUTE_NETWORK)) | PRINTER_ATTRIBUTE_LOCAL;
  if (record.datatype.empty()) record.datatype = u"RAW";
  if (record.printProcessor.empty()) record.printProcessor = u"winprint";
  return ERROR_SUCCESS;
}

// Inside a transaction: the name and share name are free, the driver is there.
DWORD CheckAgainstStore(db::Session& session, const PrinterRecord& record) {
  db::Statement name(session, "SELECT 1 FROM spl_printers WHERE name_key = ? AND id <> ?");
  name.Bind(1, NameKey(record.name)).Bind(2, record.id);
  if (name.Step()) return ERROR_PRINTER_ALREADY_EXISTS;
  if (!record.shareName.empty()) {
    db::Statement share(session, "SELECT 1 FROM spl_printers WHERE share_key = ? AND id <> ?");
    share.Bind(1, NameKey(record.shareName)).Bind(2, record.id);
    if (share.Step()) return ERROR_INVALID_SHARENAME;
  }
  db::Statement driver(session, "SELECT 1 FROM spl_drivers WHERE name_key = ?");
  driver.Bind(1, NameKey(record.driver));
  if (!driver.Step()) return ERROR_UNKNOWN_PRINTER_DRIVER;
  return ERROR_SUCCESS;
}

// The printer's columns in the order both the insert and the update bind them.
constexpr const char* kInsertPrinter =
    "INSERT INTO spl_printers(name_key, name, share_key, share_name, port, driver, comment, location, sep_file,"
    " print_processor, datatype, parameters, attributes, priority, default_priority, start_time, until_time,"
    " status) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kUpdatePrinter =
    "UPDATE spl_printers SET name_key = ?1, name = ?2, share_key = ?3, share_name = ?4, port = ?5, driver = ?6,"
    " comment = ?7, location = ?8, sep_file = ?9, print_processor = ?10, datatype = ?11, parameters = ?12,"
    " attributes = ?13, priority = ?14, default_priority = ?15, start_time = ?16, until_time = ?17,"
    " status = ?18 WHERE id = ?19";

void BindPrinter(db::Statement& statement, const PrinterRecord& record) {
  statement.Bind(1, NameKey(record.name))
      .Bind(2, StoredText(record.name))
      .Bind(3, record.shareName.empty() ? std::string() : NameKey(record.shareName))
      .Bind(4, StoredText(record.shareName))
      .Bind(5, StoredText(record.port))
      .Bind(6, StoredText(record.driver))
      .Bind(7, StoredText(record.comment))
      .Bind(8, StoredText(record.location))
      .Bind(9, StoredText(record.sepFile))
      .Bind(10, StoredText(record.printProcessor))
      .Bind(11, StoredText(record.datatype))
      .Bind(12, StoredText(record.parameters))
      .Bind(13, int64_t{record.attributes})
      .Bind(14, int64_t{record.priority})
      .Bind(15, int64_t{record.defaultPriority})
      .Bind(16, int64_t{record.startTime})
      .Bind(17, int64_t{record.untilTime})
      .Bind(18, int64_t{record.status});
}

void RemovePrinter(int64_t printerId) {
  db::Session session;
  db::Transaction transaction(session);
  RemovePrinterRows(session, printerId);
  transaction.Commit();
  StoreCache::Invalidate();
}

template <class Char>
DWORD Add(const Char* server, DWORD level, const BYTE* info, HANDLE& result) {
  result = 0;
  if (DWORD code = CheckServerArgument(TextArg(server))) return code;
  if (level != 2) return ERROR_INVALID_LEVEL;
  if (!info) return ERROR_INVALID_PARAMETER;
  const auto& info2 = *reinterpret_cast<const typename PrinterInfo2<Char>::Type*>(info);

  PrinterRecord record;
  ApplyInfo2(info2, record);
  if (DWORD code = NormalizePrinter(record)) return code;
  std::optional<std::vector<BYTE>> devMode = DevModeArgument<Char>(info2.pDevMode);
  if (devMode && devMode->empty()) return ERROR_INVALID_PARAMETER;

  std::u16string configFile;
  {
    db::Session session;
    db::Transaction transaction(session);
    if (DWORD code = CheckAgainstStore(session, record)) return code;
    db::Statement insert(session, kInsertPrinter);
    BindPrinter(insert, record);
    insert.Step();
    record.id = session.LastInsertRowId();
    if (devMode) WriteDevMode(session, record.id, "", devMode);
    MarkSetupPending(session, record.id);
    transaction.Commit();
    StoreCache::Invalidate();
    StoreCache cache(session);
    configFile = ConfigFileOfDriver(cache, record.driver);
  }

  // The driver sets the new printer up; a driver that refuses it leaves no printer.
  SetLastError(ERROR_SUCCESS);
  if (!SendPrinterEvent(configFile, record.name, PRINTER_EVENT_INITIALIZE, 0, 0)) {
    DWORD error = GetLastError();
    RemovePrinter(record.id);
    return error ? error : ERROR_GEN_FAILURE;
  }
  MarkSetupDone(record.id);
  result = OpenPrinterHandle(record.id, {}, PRINTER_ALL_ACCESS, {}, {});
  return result ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

DWORD Delete(HANDLE printerHandle) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  std::u16string name;
  std::u16string configFile;
  {
    db::Session session;
    StoreCache cache(session);
    auto printer = cache.Printer(handle->printerId);
    if (!printer) return ERROR_INVALID_HANDLE;
    if (!cache.HasFullAccess(printer->id, handle->user)) return ERROR_ACCESS_DENIED;
    name = printer->name;
    configFile = ConfigFileOfDriver(cache, printer->driver);
  }
  // The driver hears of it while the printer and its data are still there.
  SendPrinterEvent(configFile, name, PRINTER_EVENT_DELETE, 0, 0);

  db::Session session;
  db::Transaction transaction(session);
  db::Statement exists(session, "SELECT 1 FROM spl_printers WHERE id = ?");
  exists.Bind(1, handle->printerId);
  if (!exists.Step()) return ERROR_INVALID_HANDLE;
  RemovePrinterRows(session, handle->printerId);
  transaction.Commit();
  StoreCache::Invalidate();
  return ERROR_SUCCESS;
}

template <class Char>
DWORD Get(HANDLE printerHandle, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* pcbNeeded) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  db::Session session;
  StoreCache cache(session);
  auto printer = cache.Printer(handle->printerId);
  if (!printer) return ERROR_INVALID_HANDLE;
  std::vector<PrinterView> views{MakeView(printer, handle->server)};
  if (LevelShowsDevMode(level)) {
    views[0].globalDevMode = cache.DevMode(printer->id, "");
    views[0].userDevMode = cache.DevMode(printer->id, handle->user);
  }
  return PackPrinterInfo<Char>(level, views, buffer, cbBuf, pcbNeeded);
}

template <class Char>
DWORD SetLevel2(const PrinterHandle& handle, const BYTE* info) {
  const auto& info2 = *reinterpret_cast<const typename PrinterInfo2<Char>::Type*>(info);
  std::optional<std::vector<BYTE>> devMode = DevModeArgument<Char>(info2.pDevMode);
  if (devMode && devMode->empty()) return ERROR_INVALID_PARAMETER;

  // Read inside the write transaction, so no other change slips in between.
  db::Session session;
  db::Transaction transaction(session);
  std::shared_ptr<const PrinterRecord> current = StoreCache(session).Printer(handle.printerId);
  if (!current) return ERROR_INVALID_HANDLE;
  PrinterRecord record = *current;
  ApplyInfo2(info2, record);
  // A record read through a server name carries the qualified name back.
  std::u16string server;
  std::u16string bareName;
  if (SplitUncName(record.name, server, bareName)) record.name = bareName;
  if (DWORD code = NormalizePrinter(record)) return code;
  if (DWORD code = CheckAgainstStore(session, record)) return code;
  db::Statement update(session, kUpdatePrinter);
  BindPrinter(update, record);
  update.Bind(19, record.id);
  update.Step();
  if (session.Changes() == 0) return ERROR_INVALID_HANDLE;
  if (devMode) WriteDevMode(session, record.id, "", devMode);
  transaction.Commit();
  StoreCache::Invalidate();
  return ERROR_SUCCESS;
}

// Levels 8 and 9 carry only a device mode: the global default, or the user's own.
template <class Char>
DWORD SetDevModeLevel(const PrinterHandle& handle, const BYTE* info, const std::string& user) {
  const void* devModePointer = *reinterpret_cast<const void* const*>(info);
  std::optional<std::vector<BYTE>> devMode = DevModeArgument<Char>(devModePointer);
  if (devMode && devMode->empty()) return ERROR_INVALID_PARAMETER;

  db::Session session;
  db::Transaction transaction(session);
  db::Statement exists(session, "SELECT 1 FROM spl_printers WHERE id = ?");
  exists.Bind(1, handle.printerId);
  if (!exists.Step()) return ERROR_INVALID_HANDLE;
  WriteDevMode(session, handle.printerId, user, devMode);
  transaction.Commit();
  StoreCache::Invalidate();
  return ERROR_SUCCESS;
}

template <class Char>
DWORD Set(HANDLE printerHandle, DWORD level, const BYTE* info) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (level != 2 && level != 7 && level != 8 && level != 9) return ERROR_INVALID_LEVEL;
  if (!info) return ERROR_INVALID_PARAMETER;
  if (level != 9) {
    db::Session session;
    StoreCache cache(session);
    if (!cache.Printer(handle->printerId)) return ERROR_INVALID_HANDLE;
    if (!cache.HasFullAccess(handle->printerId, handle->user)) return ERROR_ACCESS_DENIED;
  }
  switch (level) {
    case 2: return SetLevel2<Char>(*handle, info);
    case 7:
      // Publishing in a directory: there is none, so every action is taken as done.
      return ERROR_SUCCESS;
    case 8: return SetDevModeLevel<Char>(*handle, info, "");
    default: return SetDevModeLevel<Char>(*handle, info, handle->user);
  }
}

}  // namespace

void WriteDevMode(db::Session& session, int64_t printerId, const std::string& user,
                  const std::optional<std::vector<BYTE>>& devModeW) {
  if (!devModeW) {
    db::Statement remove(session, "DELETE FROM spl_devmodes WHERE printer_id = ? AND user = ?");
    remove.Bind(1, printerId).Bind(2, user);
    remove.Step();
    return;
  }
  db::Statement upsert(session,
                       "INSERT INTO spl_devmodes(printer_id, user, devmode) VALUES(?, ?, ?)"
                       " ON CONFLICT(printer_id, user) DO UPDATE SET devmode = excluded.devmode");
  upsert.Bind(1, printerId).Bind(2, user).BindBlob(3, devModeW->data(), devModeW->size());
  upsert.Step();
}

void RemovePrinterRows(db::Session& session, int64_t printerId) {
  for (const char* sql :
       {"DELETE FROM spl_printer_data WHERE printer_id = ?", "DELETE FROM spl_devmodes WHERE printer_id = ?",
        "DELETE FROM spl_printer_setup WHERE printer_id = ?", "DELETE FROM spl_access WHERE printer_id = ?",
        "DELETE FROM spl_connections WHERE printer_id = ?", "DELETE FROM spl_printers WHERE id = ?"}) {
    db::Statement remove(session, sql);
    remove.Bind(1, printerId);
    remove.Step();
  }
}

}  // namespace platform::spooler

using namespace platform::spooler;

namespace {

template <class Char>
HANDLE AddPrinterGuarded(const Char* pName, DWORD Level, const BYTE* pPrinter) {
  HANDLE handle = 0;
  DWORD code = GuardCode([&] { return Add(pName, Level, pPrinter, handle); });
  if (code != ERROR_SUCCESS) {
    SetLastError(code);
    return 0;
  }
  return handle;
}

}  // namespace

HANDLE AddPrinterA(LPSTR pName, DWORD Level, LPBYTE pPrinter) { return AddPrinterGuarded(pName, Level, pPrinter); }

HANDLE AddPrinterW(LPWSTR pName, DWORD Level, LPBYTE pPrinter) { return AddPrinterGuarded(pName, Level, pPrinter); }

BOOL DeletePrinter(HANDLE hPrinter) {
  return GuardBool([&] { return Delete(hPrinter); });
}

BOOL GetPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  return GuardBool([&] { return Get<CHAR>(hPrinter, Level, pPrinter, cbBuf, pcbNeeded); });
}

BOOL GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  return GuardBool([&] { return Get<WCHAR>(hPrinter, Level, pPrinter, cbBuf, pcbNeeded); });
}

BOOL SetPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD) {
  return GuardBool([&] { return Set<CHAR>(hPrinter, Level, pPrinter); });
}

BOOL SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD) {
  return GuardBool([&] { return Set<WCHAR>(hPrinter, Level, pPrinter); });
}
