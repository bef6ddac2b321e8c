// EnumPrinters: the local printers, those of this machine named as a server, and
// the current user's connections.
#include "platform/base/machine.h"
#include "platform/spooler/api_guard.h"
#include "platform/spooler/char_width.h"
#include "platform/spooler/printer_handle.h"
#include "platform/spooler/printer_info.h"
#include "platform/spooler/printer_names.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"

namespace platform::spooler {
namespace {

template <class Char>
DWORD Enumerate(DWORD flags, const Char* name, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* pcbNeeded,
                DWORD* pcReturned) {
  if (!pcbNeeded || !pcReturned) return ERROR_INVALID_PARAMETER;
  *pcReturned = 0;
  if (level != 1 && level != 2 && level != 4 && level != 5) return ERROR_INVALID_LEVEL;

  bool local = (flags & PRINTER_ENUM_LOCAL) != 0;
  std::u16string server;  // set when this machine was named as the server
  if (flags & PRINTER_ENUM_NAME) {
    std::u16string serverName = TextArgOrEmpty(name);
    if (!serverName.empty()) {
      // Another server cannot be reached from the stand-in machine.
      if (!IsThisServer(serverName)) return RPC_S_SERVER_UNAVAILABLE;
      server = serverName.rfind(u"\\\\", 0) == 0 ? serverName : u"\\\\" + serverName;
    }
    local = true;
  }

  std::string user = CurrentUser();
  db::Session session;
  StoreCache cache(session);
  std::vector<PrinterView> views;
  if (local) {
    for (const auto& printer : cache.Printers()) {
      if ((flags & PRINTER_ENUM_SHARED) && !(printer->attributes & PRINTER_ATTRIBUTE_SHARED)) continue;
      views.push_back(MakeView(printer, server));
    }
  }
  if (flags & PRINTER_ENUM_CONNECTIONS) {
    for (const auto& connection : cache.Connections(user)) {
      auto printer = cache.Printer(connection->printerId);
      std::u16string connectionServer;
      std::u16string ignored;
      if (!printer || !SplitUncName(connection->name, connectionServer, ignored)) continue;
      views.push_back(MakeView(printer, connectionServer));
    }
  }
  if (LevelShowsDevMode(level)) {
    for (PrinterView& view : views) {
      view.globalDevMode = cache.DevMode(view.printer->id, "");
      view.userDevMode = cache.DevMode(view.printer->id, user);
    }
  }
  DWORD code = PackPrinterInfo<Char>(level, views, buffer, cbBuf, pcbNeeded);
  if (code == ERROR_SUCCESS) *pcReturned = static_cast<DWORD>(views.size());
  return code;
}

}  // namespace
}  // namespace platform::spooler

using namespace platform::spooler;

BOOL EnumPrintersA(DWORD Flags, LPSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf, LPDWORD pcbNeeded,
                   LPDWORD pcReturned) {
  return GuardBool([&] { return Enumerate(Flags, Name, Level, pPrinterEnum, cbBuf, pcbNeeded, pcReturned); });
}

BOOL EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf, LPDWORD pcbNeeded,
                   LPDWORD pcReturned) {
  return GuardBool([&] { return Enumerate(Flags, Name, Level, pPrinterEnum, cbBuf, pcbNeeded, pcReturned); });
}
