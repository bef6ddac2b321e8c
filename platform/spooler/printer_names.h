// Printer names as callers give them: "name", "\\server\name" (a connection of the
// current user, or a printer of this machine named by its name or share name).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/spooler/store_cache.h"

namespace platform::spooler {

// "\\HOST" of this machine, UTF-16.
std::u16string ThisServer();
// Whether "\\server" (or "server") names this machine: its host name, "localhost",
// "127.0.0.1" or ".", without regard to case.
bool IsThisServer(std::u16string_view server);

// The server argument of a call (pName of AddPrinter, EnumPrinters' Name ...):
// ERROR_SUCCESS when it is absent or names this machine, RPC_S_SERVER_UNAVAILABLE
// for any other server: the stand-in machine reaches no other print server.
DWORD CheckServerArgument(const std::optional<std::u16string>& server);

// Splits "\\server\printer" into "\\server" and "printer"; false for another form.
bool SplitUncName(std::u16string_view name, std::u16string& server, std::u16string& printer);

// A local printer name: not empty, at most 220 characters and fewer than
// MAX_PATH bytes in the ANSI code page, no "\" or ",".
bool IsValidPrinterName(std::u16string_view name);

struct ResolvedPrinter {
  std::shared_ptr<const PrinterRecord> printer;
  std::u16string server;  // empty when the name was local
};

// What a name given to OpenPrinter opens for the user; nothing when it names no printer.
std::optional<ResolvedPrinter> ResolvePrinterName(StoreCache& cache, std::u16string_view name, const std::string& user);

}  // namespace platform::spooler
