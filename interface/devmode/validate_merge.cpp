#include "interface/devmode/validate_merge.h"

#include "interface/devmode/calling_application.h"
#include "interface/devmode/printer_port.h"
#include "interface/util/driver_version.h"
#include "model/devmode_merge.h"

namespace {

bool IsFullSize(const DEVMODEW& devmode) {
  return devmode.dmSize == kXDevModePublicSize && devmode.dmDriverExtra == kXDevModeDriverExtra;
}

}  // namespace

int ValidateMergeDevmode(HANDLE printer, XDEVMODE* base, const DEVMODEW* incoming, const ModelRecord* record) {
  if (!base || !incoming || !record) return 0;
  if (!IsFullSize(base->dmPublic) || !IsFullSize(*incoming)) return 0;
  // The merge keeps base's port, so the port is refreshed there first.
  GetPrinterPortName(printer, base);
  if (!MergeDevmodeForModel(base, incoming, record, GetDriverVersionWord())) return 0;
  StampCallingApplication(base);
  return 1;
}
