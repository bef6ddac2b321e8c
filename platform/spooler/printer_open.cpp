// Opening and closing printers, and who may administer them.
#include <memory>
#include <utility>

#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/spooler/api_guard.h"
#include "platform/spooler/jobs.h"
#include "platform/spooler/printer_handle.h"
#include "platform/spooler/printer_names.h"
#include "platform/spooler/printer_setup.h"
#include "platform/spooler/printer_store.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"
#include "platform/spooler/store_schema.h"

namespace platform::spooler {
namespace {

constexpr DWORD kDelete = 0x00010000;
constexpr DWORD kWriteDac = 0x00040000;
constexpr DWORD kWriteOwner = 0x00080000;

template <class Char, class Defaults>
DWORD Open(const Char* printerName, HANDLE* result, const Defaults* defaults) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::u16string name = TextArgOrEmpty(printerName);
  // A NULL name would open the print server itself, which the stand-in does not offer.
  if (name.empty()) return ERROR_INVALID_PRINTER_NAME;

  DWORD access = defaults && defaults->DesiredAccess ? defaults->DesiredAccess : DWORD(PRINTER_ACCESS_USE);
  std::u16string datatype = defaults ? TextArgOrEmpty(defaults->pDatatype) : std::u16string();
  std::optional<std::vector<BYTE>> devMode = DevModeArgument<Char>(defaults ? defaults->pDevMode : nullptr);
  if (devMode && devMode->empty()) return ERROR_INVALID_PARAMETER;

  std::string user = CurrentUser();
  int64_t printerId;
  std::u16string server;
  {
    db::Session session;
    StoreCache cache(session);
    std::optional<ResolvedPrinter> resolved = ResolvePrinterName(cache, name, user);
    if (!resolved) return ERROR_INVALID_PRINTER_NAME;
    if (AsksForAdministration(access) && !cache.HasFullAccess(resolved->printer->id, user)) {
      return ERROR_ACCESS_DENIED;
    }
    printerId = resolved->printer->id;
    server = std::move(resolved->server);
  }
  RecoverMachineOnce();
  if (DWORD code = FinishInterruptedSetup(printerId)) return code;
  *result = OpenPrinterHandle(printerId, std::move(server), access, std::move(datatype),
                              devMode.value_or(std::vector<BYTE>()));
  return *result ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

}  // namespace

HANDLE OpenPrinterHandle(int64_t printerId, std::u16string server, DWORD desiredAccess, std::u16string datatype,
                         std::vector<BYTE> devMode) {
  auto handle = std::make_shared<PrinterHandle>();
  handle->printerId = printerId;
  handle->server = std::move(server);
  handle->user = CurrentUser();
  handle->desiredAccess = desiredAccess;
  handle->datatype = std::move(datatype);
  handle->devMode = std::move(devMode);
  return InsertHandle(std::move(handle));
}

bool AsksForAdministration(DWORD desiredAccess) {
  return (desiredAccess & (PRINTER_ACCESS_ADMINISTER | kDelete | kWriteDac | kWriteOwner)) != 0;
}

bool SetPrinterAccess(std::string_view printerName, std::string_view user, bool fullAccess) {
  try {
    db::Session session;
    db::Transaction transaction(session);
    db::Statement printer(session, "SELECT id FROM spl_printers WHERE name_key = ?");
    printer.Bind(1, NameKey(Utf16FromUtf8(printerName)));
    if (!printer.Step()) return false;
    db::Statement upsert(session,
                         "INSERT INTO spl_access(printer_id, user, full_access) VALUES(?, ?, ?)"
                         " ON CONFLICT(printer_id, user) DO UPDATE SET full_access = excluded.full_access");
    upsert.Bind(1, printer.Int(0)).Bind(2, user).Bind(3, int64_t{fullAccess ? 1 : 0});
    upsert.Step();
    transaction.Commit();
    StoreCache::Invalidate();
    return true;
  } catch (const db::Error&) {
    return false;
  }
}

}  // namespace platform::spooler

using namespace platform::spooler;

BOOL OpenPrinterA(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA pDefault) {
  return GuardBool([&] { return Open(pPrinterName, phPrinter, pDefault); });
}

BOOL OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault) {
  return GuardBool([&] { return Open(pPrinterName, phPrinter, pDefault); });
}

BOOL ClosePrinter(HANDLE hPrinter) {
  return GuardBool([&]() -> DWORD {
    if (!LookupPrinterHandle(hPrinter)) return ERROR_INVALID_HANDLE;
    platform::RemoveHandle(hPrinter);
    return ERROR_SUCCESS;
  });
}
