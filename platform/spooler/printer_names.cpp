#include "platform/spooler/printer_names.h"

#include <unistd.h>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"

namespace platform::spooler {
namespace {

std::u16string HostName(bool shortName) {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0 || host[0] == 0) return u"LOCALHOST";
  std::string name(host);
  if (shortName) name = name.substr(0, name.find('.'));
  return FoldCase(Utf16FromUtf8(name));
}

std::u16string_view WithoutLeadingSlashes(std::u16string_view server) {
  if (server.size() >= 2 && server[0] == u'\\' && server[1] == u'\\') server.remove_prefix(2);
  return server;
}

}  // namespace

std::u16string ThisServer() { return u"\\\\" + HostName(true); }

std::string ServerName() { return Utf8FromUtf16(ThisServer()); }

bool IsThisServer(std::u16string_view server) {
  server = WithoutLeadingSlashes(server);
  for (std::u16string_view name :
       {std::u16string_view(u"localhost"), std::u16string_view(u"127.0.0.1"), std::u16string_view(u".")}) {
    if (EqualsNoCase(server, name)) return true;
  }
  return EqualsNoCase(server, HostName(true)) || EqualsNoCase(server, HostName(false));
}

DWORD CheckServerArgument(const std::optional<std::u16string>& server) {
  if (!server || server->empty() || IsThisServer(*server)) return ERROR_SUCCESS;
  return RPC_S_SERVER_UNAVAILABLE;
}

bool SplitUncName(std::u16string_view name, std::u16string& server, std::u16string& printer) {
  if (name.size() < 2 || name[0] != u'\\' || name[1] != u'\\') return false;
  size_t slash = name.find(u'\\', 2);
  if (slash == std::u16string_view::npos || slash == 2 || slash + 1 >= name.size()) return false;
  if (name.find(u'\\', slash + 1) != std::u16string_view::npos) return false;
  server = std::u16string(name.substr(0, slash));
  printer = std::u16string(name.substr(slash + 1));
  return true;
}

bool IsValidPrinterName(std::u16string_view name) {
  if (name.empty() || name.size() > 220 || name.find(u'\\') != std::u16string_view::npos ||
      name.find(u',') != std::u16string_view::npos) {
    return false;
  }
  // Drivers keep the name in the ANSI code page in a MAX_PATH buffer; a name
  // of double-byte characters can be short enough here and too long there.
  return FromUtf16(name).size() < MAX_PATH;
}

std::optional<ResolvedPrinter> ResolvePrinterName(StoreCache& cache, std::u16string_view name,
                                                  const std::string& user) {
  std::u16string server;
  std::u16string printerName;
  if (!SplitUncName(name, server, printerName)) {
    auto printer = cache.PrinterByName(name);
    if (!printer) return std::nullopt;
    return ResolvedPrinter{printer, {}};
  }
  if (auto connection = cache.Connection(user, name)) {
    auto printer = cache.Printer(connection->printerId);
    if (!printer) return std::nullopt;
    std::u16string connectionServer;
    std::u16string ignored;
    SplitUncName(connection->name, connectionServer, ignored);
    return ResolvedPrinter{printer, connectionServer};
  }
  if (!IsThisServer(server)) return std::nullopt;
  auto printer = cache.PrinterByName(printerName);
  if (!printer) {
    printer = cache.PrinterByShareName(printerName);
    if (printer && !(printer->attributes & PRINTER_ATTRIBUTE_SHARED)) printer = nullptr;
  }
  if (!printer) return std::nullopt;
  return ResolvedPrinter{printer, server};
}

}  // namespace platform::spooler
