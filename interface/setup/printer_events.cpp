#include "interface/setup/printer_events.h"

#include <string>

#include "interface/app/drv_trace.h"
#include "interface/setup/printer_handle.h"
#include "interface/setup/printer_setup.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"

namespace {

void DeleteValueIn(const char* keyPath, const char* valueName) {
  HKEY key = 0;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, valueName);
  RegCloseKey(key);
}

// Opens the printer again under its own name and reloads its model record when
// the configuration moved.
void RefreshModelRecord(LPCWSTR printerName) {
  ScopedPrinter printer;
  if (!printer.Open(platform::Utf16FromZ(printerName), 0)) return;
  std::u16string ownName;
  if (!printer.ReadName(ownName)) return;
  printer.Close();
  if (!printer.Open(ownName, 0)) return;
  const std::string name = platform::FromUtf16(ownName);
  GetModelRecord(printer.get(), name.c_str(), kModelReloadWhenChanged);
}

}  // namespace

void DeletePerUserDevModes(const char* printerName) {
  if (!printerName || !printerName[0]) return;
  DeleteValueIn(kPerUserDevModesKey, printerName);
  DeleteValueIn(kPerUserDevModeKey, printerName);
}

BOOL HandlePrinterEvent(LPCWSTR printerName, INT event, DWORD /*flags*/, LPARAM /*parameter*/) {
  switch (event) {
    case PRINTER_EVENT_ADD_CONNECTION:
      DrvTrace("DrvPrinterEvent PRINTER_EVENT_ADD_CONNECTION\n");
      return SetUpPrinterConnection(printerName, false);
    case PRINTER_EVENT_DELETE_CONNECTION:
    case PRINTER_EVENT_DELETE: {
      const std::string name = platform::FromUtf16(platform::Utf16FromZ(printerName));
      DrvTrace("DrvPrinterEvent PRINTER_EVENT_DELETE\nPrinter Name: ");
      DrvTrace(name.c_str());
      DrvTrace("\n");
      DeletePerUserDevModes(name.c_str());
      // The record must not outlive the printer: one added later under the same
      // name starts its counter again and would match the old record's stamp.
      if (!name.empty()) FreeModelRecords(name.c_str());
      return TRUE;
    }
    case PRINTER_EVENT_INITIALIZE:
      DrvTrace("DrvPrinterEvent PRINTER_EVENT_INITIALIZE\n");
      return SetUpPrinterConnection(printerName, true);
    case PRINTER_EVENT_CACHE_REFRESH:
      DrvTrace("DrvPrinterEvent PRINTER_EVENT_CACHE_REFRESH\n");
      RefreshModelRecord(printerName);
      return TRUE;
    case PRINTER_EVENT_CACHE_DELETE: DrvTrace("DrvPrinterEvent PRINTER_EVENT_CACHE_DELETE\n"); return TRUE;
    case PRINTER_EVENT_ATTRIBUTES_CHANGED: DrvTrace("DrvPrinterEvent PRINTER_EVENT_ATTRIBUTES_CHANGED\n"); return TRUE;
    default: DrvTrace("DrvPrinterEvent default\n"); return TRUE;
  }
}

BOOL UpgradePrinter(DWORD level, const BYTE* upgradeInfo) {
  DrvTrace("Entering-> DrvUpgradePrinter\n");
  if (level == 1 && upgradeInfo) {
    const auto* info = reinterpret_cast<const DRIVER_UPGRADE_INFO_1*>(upgradeInfo);
    HANDLE printer = 0;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (info->pPrinterName && OpenPrinterA(info->pPrinterName, &printer, &defaults)) {
      GetModelRecord(printer, info->pPrinterName, kModelReloadWhenChanged);
      ClosePrinter(printer);
      return TRUE;
    }
  }
  DrvTrace("DrvUpgradePrinter failed\n");
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
