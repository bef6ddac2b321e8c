// DBGetName: the local printer that uses a given driver.
#include <cstring>
#include <vector>

#include "common/settings_store.h"
#include "platform/base/codepage.h"
#include "platform/spooler/spooler.h"

namespace {
// A printer name never exceeds 220 characters; callers pass buffers of at least
// this size, and a longer name is refused rather than written past their buffer.
constexpr size_t kPrinterNameBuffer = 221;
}  // namespace

ZEL_EXPORT int DBGetName(const char* driverName, char* printerName) {
  if (!driverName || !printerName) return 0;
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return 0;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return 0;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  // Every printer is looked at, not only the first: the one that uses the driver
  // may stand anywhere in the list.
  for (DWORD i = 0; i < count; ++i) {
    const PRINTER_INFO_2A& printer = printers[i];
    if (!printer.pDriverName || !printer.pPrinterName) continue;
    if (lstrcmpiA(printer.pDriverName, driverName) != 0) continue;
    size_t length = std::strlen(printer.pPrinterName);
    if (length + 1 > kPrinterNameBuffer) return 0;
    std::memcpy(printerName, printer.pPrinterName, length + 1);
    return 1;
  }
  return 0;
}
