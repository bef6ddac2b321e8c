// The spooler's device-capability entry points of the user-interface library.
// The printer's name is taken from the spooler rather than from pDeviceName.
#include "interface/capabilities/device_capabilities.h"
#include "platform/base/types.h"
#include "platform/spooler/devmode.h"

ZEL_EXPORT DWORD WINAPI DrvDeviceCapabilities(HANDLE hPrinter, PWSTR /*pDeviceName*/, WORD iDevCap, PVOID pvOutput,
                                              PDEVMODEW pDevMode) {
  return DriverDeviceCapabilities(hPrinter, iDevCap, pvOutput, pDevMode);
}

ZEL_EXPORT DWORD WINAPI DrvSplDeviceCaps(HANDLE hPrinter, PWSTR /*pDeviceName*/, WORD Capability, PVOID pOutput,
                                         DWORD cchBufSize, PDEVMODEW pDevMode) {
  return DriverSplDeviceCaps(hPrinter, Capability, pOutput, cchBufSize, pDevMode);
}
