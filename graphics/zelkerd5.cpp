// The exports of the printer graphics library: its module entry and the three
// functions the engine finds by name. Everything else the engine reaches through
// the DRVFN table DrvEnableDriver hands back.
#include "graphics/ddi/driver_library.h"
#include "platform/base/modules.h"

ZEL_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  // The module's handle is copied into every PDEV (its version resource names
  // the driver version in the job header).
  if (reason == DLL_PROCESS_ATTACH) SetGraphicsModule(instance);
  return TRUE;
}

ZEL_EXPORT BOOL DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded) {
  return EnableGraphicsDriver(iEngineVersion, cj, pded);
}

ZEL_EXPORT BOOL DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded) {
  return QueryGraphicsDriverInfo(dwMode, pBuffer, cbBuf, pcbNeeded);
}

ZEL_EXPORT void DrvDisableDriver() { DisableGraphicsDriver(); }
