#include "interface/capabilities/capability_devmode.h"

#include <cstring>

#include "interface/devmode/current_devmode.h"
#include "model/devmode_identity.h"

bool CurrentDevmodeOf(HANDLE printer, const char* printerName, XDEVMODE* out) {
  return GetCurrentDevmode(printer, printerName, out) != 0;
}

bool CallerOrCurrentDevmode(HANDLE printer, const char* printerName, const ModelRecord& record, const DEVMODEW* caller,
                            XDEVMODE* out) {
  // The identity test reads the sizes before anything past the public part, so a
  // short block is passed over without being read beyond what it says it holds.
  if (IsDevmodeForModel(caller, record.printerPdl)) {
    std::memcpy(out, caller, sizeof *out);
    return true;
  }
  return CurrentDevmodeOf(printer, printerName, out);
}
