// The spooler's printer events and driver upgrade as this driver answers them:
// set-up when a printer is added or connected, clean-up of the user's device
// modes when it is deleted, a fresh model record when the spooler refreshes its
// cache or upgrades the driver.
#pragma once

#include "platform/base/types.h"

// What DrvUpgradePrinter is given at level 1: the printer and the folder of the
// driver files it replaces (ANSI).
typedef struct _DRIVER_UPGRADE_INFO_1 {
  LPSTR pPrinterName;
  LPSTR pOldDriverDirectory;
} DRIVER_UPGRADE_INFO_1, *PDRIVER_UPGRADE_INFO_1;

// The per-user keys (HKEY_CURRENT_USER) that hold the user's device modes, one
// value per printer name.
inline constexpr char kPerUserDevModesKey[] = "Printers\\DevModes2";
inline constexpr char kPerUserDevModeKey[] = "Printers\\DevModePerUser";

// PRINTER_EVENT_* of DrvPrinterEvent. The set-up events answer the set-up's
// result; every other event answers TRUE.
BOOL HandlePrinterEvent(LPCWSTR printerName, INT event, DWORD flags, LPARAM parameter);

// Level 1 with an info record whose printer opens with all access: the printer's
// model record is reloaded, TRUE. Anything else: error 87, FALSE.
BOOL UpgradePrinter(DWORD level, const BYTE* upgradeInfo);

// Removes the values named by the printer (ANSI) from the current user's two
// device-mode keys; a key that is not there is passed over, and so is an empty
// name (it would name the key's default value).
void DeletePerUserDevModes(const char* printerName);
