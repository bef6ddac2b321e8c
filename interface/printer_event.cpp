// The spooler's printer-event and upgrade entry points of the driver.
#include <new>

#include "interface/setup/printer_events.h"
#include "platform/base/errors.h"

// Nothing may unwind into the spooler: a set-up that runs out of memory fails
// like any other set-up that could not be done.
ZEL_EXPORT BOOL DrvPrinterEvent(LPWSTR pPrinterName, INT DriverEvent, DWORD Flags, LPARAM lParam) {
  try {
    return HandlePrinterEvent(pPrinterName, DriverEvent, Flags, lParam);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  } catch (...) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
}

ZEL_EXPORT BOOL DrvUpgradePrinter(DWORD Level, LPBYTE pDriverUpgradeInfo) {
  try {
    return UpgradePrinter(Level, pDriverUpgradeInfo);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  } catch (...) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
}
