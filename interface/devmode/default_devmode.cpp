#include "interface/devmode/default_devmode.h"

#include "interface/util/country_code.h"
#include "interface/util/driver_version.h"

int BuildDefaultDevmode(XDEVMODE* devmode, HANDLE printer, const ModelRecord* record, const char* printerName,
                        WORD pdl) {
  if (!devmode || !record || !printerName) return 0;
  GetCountryCode(printer);
  return FillDefaultDevmode(devmode, record, printerName, pdl, GetDriverVersionWord());
}
