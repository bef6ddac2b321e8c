#include "model/config_counter.h"

#include "common/settings_store.h"

DWORD IncrementConfigCounter(const SettingsFunctions& settings, HANDLE printer, DWORD* stored) {
  DWORD counter = 0;
  if (settings.GetDword(printer, kStorePrinterData, "Printer", "Cfg", &counter) != ERROR_SUCCESS || counter == 0)
    counter = kConfigCounterBase;
  DWORD next = counter + 1;
  if (next == 0) next = kConfigCounterBase + 1;
  DWORD rc = settings.SetDword(printer, kStorePrinterData, "Printer", "Cfg", next);
  if (stored) *stored = rc == ERROR_SUCCESS ? next : 0;
  return rc;
}
