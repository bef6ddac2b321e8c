// A new device context: its PDEV, made from the printer, its description and
// the device mode, and the GDIINFO and DEVINFO that tell the engine about it.
#include <cstring>
#include <memory>
#include <string>

#include "graphics/core/devmode_accept.h"
#include "graphics/core/model_description.h"
#include "graphics/core/pdev.h"
#include "graphics/core/spooler_info.h"
#include "graphics/ddi/application_quirks.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/device_info.h"
#include "graphics/ddi/driver_library.h"
#include "graphics/ddi/settings_binding.h"
#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"
#include "platform/spooler/spooler.h"

namespace {

// The printer's name in the ANSI code page, cut to the PDEV's field without
// splitting a character; empty when the spooler cannot name it.
void TakePrinterName(PDEV* pdev, HANDLE printer) {
  pdev->carried.printerName[0] = '\0';
  const std::unique_ptr<BYTE[]> info = QueryPrinterInfoW(printer, 4);
  if (!info) return;
  const LPCWSTR name = reinterpret_cast<const PRINTER_INFO_4W*>(info.get())->pPrinterName;
  if (!name) return;
  const std::string ansi = platform::FromUtf16(platform::Utf16FromZ(name));
  const size_t length = platform::CutPoint(ansi, sizeof pdev->carried.printerName - 1);
  std::memcpy(pdev->carried.printerName, ansi.data(), length);
  pdev->carried.printerName[length] = '\0';
}

DHPDEV Fail(PDEV* pdev) {
  FreePdev(pdev);
  return nullptr;
}

}  // namespace

DHPDEV DrvEnablePDEV(void* pdm, LPWSTR /*pwszLogAddress*/, ULONG /*cPat*/, HSURF* /*phsurfPatterns*/, ULONG cjCaps,
                     ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev, LPWSTR /*pwszDeviceName*/,
                     HANDLE hDriver) {
  PDEV* pdev = AllocPdev();
  if (!pdev) return nullptr;
  pdev->printer = hDriver;
  pdev->engineDevice = hdev;

  // The settings library, bound by the first device context that finds it whole.
  if (!BindGraphicsSettings(hDriver)) return Fail(pdev);

  pdev->module = GraphicsModule();
  if (!pdev->module) return Fail(pdev);

  TakePrinterName(pdev, hDriver);

  // The PDEV works on its own copy of the printer's description: the job
  // changes it (custom paper, the variant models' turned papers) and other
  // device contexts read the cached one meanwhile.
  const ModelRecord* cached = GetModelRecord(hdev, hDriver, pdev->carried.printerName);
  if (cached && !AttachModelRecord(pdev, cached)) return Fail(pdev);

  // A device mode from the caller needs the description to be checked against.
  // Its resolution is settled on the PDEV's copy (MergeDevmode: one of the
  // model's, never 0): the caller's block is the application's and is not written.
  if (pdm && !pdev->model) return Fail(pdev);
  if (!MergeDevmode(pdev, static_cast<const DEVMODEW*>(pdm))) return Fail(pdev);
  // The page is laid out with a scale the layout can divide by.
  pdev->devmode.dmPublic.dmScale = static_cast<SHORT>(SettledScale(pdev));

  ApplyApplicationQuirks(pdev);

  FillGdiInfo(pdev, cjCaps, pdevcaps);
  if (!FillDevInfo(pdev, cjDevInfo, pdi)) return Fail(pdev);
  return reinterpret_cast<DHPDEV>(pdev);
}
