// DrvConvertDevMode: the spooler's conversion of device modes between driver
// versions, and its request for the driver's default device mode.
#include "interface/devmode/convert_devmode.h"
#include "interface/app/drv_trace.h"
#include "platform/spooler/driver_ui.h"

ZEL_EXPORT BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded,
                                         DWORD fMode) {
  DrvTrace("DrvConvertDevMode\n");
  return ConvertDevMode(pPrinterName, pdmIn, pdmOut, pcbNeeded, fMode);
}
