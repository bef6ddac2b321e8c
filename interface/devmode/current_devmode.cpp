#include "interface/devmode/current_devmode.h"

#include <cstring>
#include <iterator>

#include "interface/devmode/calling_application.h"
#include "interface/devmode/default_devmode.h"
#include "interface/devmode/printer_port.h"
#include "interface/records/printer_info.h"
#include "interface/util/text_conversion.h"
#include "model/devmode_identity.h"
#include "model/foreign_devmode.h"
#include "model/model_cache.h"
#include "platform/spooler/spooler.h"

namespace {

// Levels 8 and 9 both start with the device-mode pointer.
bool TakeStoredDevmode(HANDLE printer, DWORD level, WORD pdl, XDEVMODE* devmode) {
  BYTE* info = GetPrinterInfoW(printer, level);
  if (!info) return false;
  const DEVMODEW* stored = reinterpret_cast<const PRINTER_INFO_9W*>(info)->pDevMode;
  const bool taken = IsDevmodeForModel(stored, pdl);
  if (taken) std::memcpy(devmode, stored, sizeof *devmode);
  FreePrinterInfoW(info);
  return taken;
}

}  // namespace

int GetCurrentDevmode(HANDLE printer, const char* printerName, XDEVMODE* devmode) {
  if (!printerName || !devmode) return 0;
  const ModelRecord* record = GetModelRecord(printer, printerName, kModelReloadWhenMissing);
  if (!record) return 0;

  if (TakeStoredDevmode(printer, 9, record->printerPdl, devmode) ||
      TakeStoredDevmode(printer, 8, record->printerPdl, devmode)) {
    // Whoever stored it, any program may have written it.
    AcceptForeignDevmode(devmode, record);
  } else {
    BuildDefaultDevmode(devmode, printer, record, printerName, kPdlOfModel);
  }

  XDEVMODE_PRIVATE& extra = devmode->dmPrivate;
  AnsiToWide(extra._wsPrinterName, printerName, static_cast<int>(std::size(extra._wsPrinterName)));
  StampCallingApplication(devmode);
  GetPrinterPortName(printer, devmode);
  return 1;
}
