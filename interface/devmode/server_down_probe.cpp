#include "interface/devmode/server_down_probe.h"

#include <new>
#include <string_view>
#include <vector>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr DWORD kFirstBufferSize = 256;
constexpr DWORD kSharedPrintersOfServer = PRINTER_ENUM_NAME | PRINTER_ENUM_SHARED;

enum class Listing { kListed, kNotListed, kUnknown };

Listing FindOnServer(const char* printerName, const char* serverName) {
  try {
    std::string server = serverName;
    std::vector<BYTE> buffer(kFirstBufferSize);
    DWORD needed = 0;
    DWORD count = 0;
    BOOL listed = EnumPrintersA(kSharedPrintersOfServer, server.data(), 5, buffer.data(),
                                static_cast<DWORD>(buffer.size()), &needed, &count);
    if (!listed && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size()) {
      buffer.resize(needed);
      listed = EnumPrintersA(kSharedPrintersOfServer, server.data(), 5, buffer.data(),
                             static_cast<DWORD>(buffer.size()), &needed, &count);
    }
    if (!listed) return Listing::kNotListed;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_5A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      const char* name = printers[i].pPrinterName;
      if (name && platform::EqualsNoCaseAnsi(name, printerName)) return Listing::kListed;
    }
    return Listing::kNotListed;
  } catch (const std::bad_alloc&) {
    return Listing::kUnknown;
  }
}

}  // namespace

bool ProbeServerDown(HANDLE printer, const char* printerName, const char* serverName) {
  if (!printerName) return false;
  bool down = false;
  if (serverName && serverName[0] != '\0') {
    const Listing listing = FindOnServer(printerName, serverName);
    if (listing == Listing::kUnknown) return false;
    down = listing == Listing::kNotListed;
  }
  LibrarySettings().SetDword(printer, kStoreUser, printerName, kServerDownKey, down ? 1 : 0);
  return down;
}
