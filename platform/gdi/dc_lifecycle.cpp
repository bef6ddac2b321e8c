// Creating, resetting and deleting a printer device context, and what it reports
// of its device (GetDeviceCaps).
#include <cstring>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/device_font.h"
#include "platform/gdi/display_dc.h"
#include "platform/spooler/spooler.h"

namespace platform::gdi {
namespace {

// The printer's driver record: its graphics and user-interface libraries.
bool ReadDriverFiles(HANDLE printer, std::u16string* graphicsLibrary, std::u16string* interfaceLibrary) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterDriverW(printer, nullptr, 2, buffer.data(), needed, &needed)) return false;
  const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
  *graphicsLibrary = Utf16FromZ(info->pDriverPath);
  *interfaceLibrary = Utf16FromZ(info->pConfigFile);
  return true;
}

// The printer's current device mode, as its driver gives it (empty when the
// driver's configuration module cannot answer).
std::vector<BYTE> CurrentDevMode(HANDLE printer, std::u16string& name) {
  LONG size = DocumentPropertiesW(0, printer, name.data(), nullptr, nullptr, 0);
  if (size < static_cast<LONG>(kMinDevModeWSize)) return {};
  std::vector<BYTE> buffer(static_cast<size_t>(size));
  if (DocumentPropertiesW(0, printer, name.data(), reinterpret_cast<PDEVMODEW>(buffer.data()), nullptr,
                          DM_OUT_BUFFER) != 1) {
    return {};
  }
  return CopyDevModeW(reinterpret_cast<const DEVMODEW*>(buffer.data()));
}

PDEVMODEW AsDevMode(std::vector<BYTE>& bytes) {
  return bytes.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(bytes.data());
}

// Closes what a DC holds once its PDEV is gone (or was never made).
void ReleaseBindings(DeviceContext& dc) {
  if (dc.printer) ClosePrinter(dc.printer);
  dc.printer = 0;
  if (dc.interfaceModule) FreeLibrary(dc.interfaceModule);
  dc.interfaceModule = 0;
  dc.documentEvent = nullptr;
  dc.driver.reset();
}

HDC CreatePrinterDC(LPCWSTR driverName, LPCWSTR deviceName, const DEVMODEW* devMode) {
  if (deviceName == nullptr || deviceName[0] == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string driverArg = driverName ? Utf16FromZ(driverName) : std::u16string(u"WINSPOOL");
  if (!EqualsNoCase(driverArg, u"WINSPOOL")) {
    SetLastError(ERROR_INVALID_PARAMETER);  // only printers have device contexts here
    return 0;
  }
  auto dc = std::make_shared<DeviceContext>();
  dc->printerName = Utf16FromZ(deviceName);
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
  if (!OpenPrinterW(dc->printerName.data(), &dc->printer, &defaults)) return 0;

  std::u16string graphicsLibrary, interfaceLibrary;
  if (!ReadDriverFiles(dc->printer, &graphicsLibrary, &interfaceLibrary)) {
    DWORD error = GetLastError();
    ReleaseBindings(*dc);
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_UNKNOWN_PRINTER_DRIVER);
    return 0;
  }
  dc->driver = GraphicsDriver::Load(graphicsLibrary);
  if (!dc->driver) {
    DWORD error = GetLastError();
    ReleaseBindings(*dc);
    SetLastError(error);
    return 0;
  }
  // The user-interface library is optional: without DrvDocumentEvent the DC
  // simply raises no document events.
  if (!interfaceLibrary.empty()) {
    dc->interfaceModule = LoadLibraryA(FromUtf16(interfaceLibrary).c_str());
    if (dc->interfaceModule) {
      dc->documentEvent = reinterpret_cast<PFN_DrvDocumentEvent>(
          reinterpret_cast<void (*)()>(GetProcAddress(dc->interfaceModule, "DrvDocumentEvent")));
    }
  }

  dc->devMode = devMode ? CopyDevModeW(devMode) : CurrentDevMode(dc->printer, dc->printerName);
  if (devMode && dc->devMode.empty()) {
    ReleaseBindings(*dc);
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }

  // CREATEDCPRE may name another device mode for the DC to use.
  std::u16string driverText = driverArg;
  DOCEVENT_CREATEDCPRE pre{driverText.data(), dc->printerName.data(), AsDevMode(dc->devMode), FALSE};
  PDEVMODEW chosen = nullptr;
  if (dc->RaiseEvent(DOCUMENTEVENT_CREATEDCPRE, sizeof pre, &pre, sizeof chosen, &chosen) == DOCUMENTEVENT_FAILURE) {
    DWORD error = GetLastError();
    ReleaseBindings(*dc);
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_PRINT_CANCELLED);
    return 0;
  }
  if (chosen != nullptr && chosen != AsDevMode(dc->devMode)) {
    std::vector<BYTE> replacement = CopyDevModeW(chosen);
    if (!replacement.empty()) dc->devMode = std::move(replacement);
  }

  if (!EnablePdev(*dc, dc->devMode, &dc->pdev)) {
    DWORD error = GetLastError();
    ReleaseBindings(*dc);
    SetLastError(error);
    return 0;
  }
  dc->handle = InsertHandle(dc);
  if (dc->handle == 0) {
    DisablePdev(*dc, dc->pdev);
    ReleaseBindings(*dc);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  // The library makes its job context here; it reports its own failures later
  // (events without a context do nothing), so the DC stands either way.
  dc->RaiseEvent(DOCUMENTEVENT_CREATEDCPOST, sizeof chosen, &chosen, 0, nullptr);
  return dc->handle;
}

HDC ResetPrinterDC(HDC hdc, const DEVMODEW* devMode) {
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  if (dc->inPage) {
    SetLastError(ERROR_INVALID_PARAMETER);  // a page is drawn under one PDEV
    return 0;
  }
  std::vector<BYTE> requested = devMode ? CopyDevModeW(devMode) : dc->devMode;
  PDEVMODEW asked = AsDevMode(requested);
  PDEVMODEW chosen = nullptr;
  if (dc->RaiseEvent(DOCUMENTEVENT_RESETDCPRE, sizeof asked, &asked, sizeof chosen, &chosen) == DOCUMENTEVENT_FAILURE) {
    SetLastError(ERROR_PRINT_CANCELLED);
    return 0;
  }
  if (chosen != nullptr && chosen != asked) {
    std::vector<BYTE> replacement = CopyDevModeW(chosen);
    if (!replacement.empty()) requested = std::move(replacement);
  }

  // The new PDEV first, then the driver carries its state over, then the old one goes.
  Pdev fresh;
  if (!EnablePdev(*dc, requested, &fresh)) return 0;
  auto reset = dc->driver->Get<PFN_DrvResetPDEV>(INDEX_DrvResetPDEV);
  if (reset && !reset(dc->pdev.dhpdev, fresh.dhpdev)) {
    DWORD error = GetLastError();
    DisablePdev(*dc, fresh);
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_INVALID_PARAMETER);
    return 0;
  }
  DisablePdev(*dc, dc->pdev);
  dc->pdev = fresh;
  dc->devMode = std::move(requested);
  PDEVMODEW used = AsDevMode(dc->devMode);
  dc->RaiseEvent(DOCUMENTEVENT_RESETDCPOST, sizeof used, &used, 0, nullptr);
  return hdc;
}

LONG SizeInMillimetres(ULONG value) {
  // Negative sizes are micrometres.
  const LONG signedValue = static_cast<LONG>(value);
  return signedValue < 0 ? (-signedValue + 500) / 1000 : signedValue;
}

}  // namespace

DeviceContext::~DeviceContext() {
  if (pdev.hdev != 0 && driver) DisablePdev(*this, pdev);
  ReleaseBindings(*this);
}

SURFOBJ* DeviceContext::Surface() const { return pdev.hsurf ? SurfaceObject(pdev.hsurf) : nullptr; }

int DeviceContext::RaiseEvent(int event, ULONG cbIn, PVOID pvIn, ULONG cbOut, PVOID pvOut) {
  if (documentEvent == nullptr || eventDepth_ > 0) return DOCUMENTEVENT_SUCCESS;
  ++eventDepth_;
  const int result =
      documentEvent(printer, event == DOCUMENTEVENT_CREATEDCPRE ? 0 : handle, event, cbIn, pvIn, cbOut, pvOut);
  --eventDepth_;
  return result;
}

std::shared_ptr<DeviceContext> FindDC(HDC hdc) {
  auto dc = LookupHandle<DeviceContext>(hdc);
  if (!dc) SetLastError(ERROR_INVALID_HANDLE);
  return dc;
}

bool EnablePdev(DeviceContext& dc, std::vector<BYTE>& devMode, Pdev* out) {
  const GraphicsDriver& driver = *dc.driver;
  DriverCallbacks callbacks;
  callbacks.copyBits = driver.Get<PFN_DrvCopyBits>(INDEX_DrvCopyBits);
  callbacks.realizeBrush = driver.Get<PFN_DrvRealizeBrush>(INDEX_DrvRealizeBrush);
  Pdev pdev;
  pdev.hdev = CreateDevice(callbacks);
  if (pdev.hdev == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  HSURF patterns[HS_DDI_MAX] = {};
  SetLastError(ERROR_SUCCESS);
  pdev.dhpdev = driver.Get<PFN_DrvEnablePDEV>(INDEX_DrvEnablePDEV)(
      devMode.empty() ? nullptr : devMode.data(), nullptr, HS_DDI_MAX, patterns, sizeof(GDIINFO),
      reinterpret_cast<ULONG*>(&pdev.gdiInfo), sizeof(DEVINFO), &pdev.devInfo, pdev.hdev, dc.printerName.data(),
      dc.printer);
  if (pdev.dhpdev == nullptr) {
    DWORD error = GetLastError();
    DeleteDevice(pdev.hdev);
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_BAD_DRIVER);
    return false;
  }
  SetDevicePdev(pdev.hdev, pdev.dhpdev);
  SetDeviceHalftoneFormat(pdev.hdev, pdev.gdiInfo.ulHTOutputFormat);
  driver.Get<PFN_DrvCompletePDEV>(INDEX_DrvCompletePDEV)(pdev.dhpdev, pdev.hdev);
  pdev.hsurf = driver.Get<PFN_DrvEnableSurface>(INDEX_DrvEnableSurface)(pdev.dhpdev);
  if (pdev.hsurf == 0 || SurfaceObject(pdev.hsurf) == nullptr) {
    DWORD error = GetLastError();
    if (pdev.hsurf != 0) driver.Get<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)(pdev.dhpdev);
    driver.Get<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(pdev.dhpdev);
    DeleteDevice(pdev.hdev);
    SetLastError(error != ERROR_SUCCESS ? error : ERROR_BAD_DRIVER);
    return false;
  }
  // The printer's own fonts, as DEVINFO announced them.
  EnumerateDeviceFonts(driver, pdev);
  *out = pdev;
  return true;
}

void DisablePdev(const DeviceContext& dc, Pdev& pdev) {
  if (pdev.hdev == 0) return;
  const GraphicsDriver& driver = *dc.driver;
  ReleaseDeviceFonts(driver, pdev);  // while the PDEV can still take DrvDestroyFont
  if (pdev.hsurf != 0) driver.Get<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)(pdev.dhpdev);
  driver.Get<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)(pdev.dhpdev);
  DeleteDevice(pdev.hdev);
  pdev = Pdev{};
}

}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C HDC CreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR, const DEVMODEW* pdm) {
  return CreatePrinterDC(pwszDriver, pwszDevice, pdm);
}

ZEL_EXTERN_C HDC CreateDCA(LPCSTR pwszDriver, LPCSTR pwszDevice, LPCSTR, const DEVMODEA* pdm) {
  std::vector<BYTE> wide;
  if (pdm) {
    wide = platform::DevModeWFromA(pdm);
    if (wide.empty()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  }
  std::u16string driver = pwszDriver ? platform::ToUtf16(pwszDriver) : std::u16string();
  std::u16string device = pwszDevice ? platform::ToUtf16(pwszDevice) : std::u16string();
  return CreatePrinterDC(pwszDriver ? driver.c_str() : nullptr, pwszDevice ? device.c_str() : nullptr,
                         wide.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(wide.data()));
}

ZEL_EXTERN_C BOOL DeleteDC(HDC hdc) {
  if (platform::gdi::display::Find(hdc)) return platform::gdi::display::Delete(hdc);
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (dc->inDocument) AbandonDocument(*dc);
  dc->RaiseEvent(DOCUMENTEVENT_DELETEDC, 0, nullptr, 0, nullptr);
  platform::RemoveHandle(hdc);
  DisablePdev(*dc, dc->pdev);
  return TRUE;
}

ZEL_EXTERN_C HDC ResetDCW(HDC hdc, const DEVMODEW* lpdm) { return ResetPrinterDC(hdc, lpdm); }

ZEL_EXTERN_C HDC ResetDCA(HDC hdc, const DEVMODEA* lpdm) {
  std::vector<BYTE> wide;
  if (lpdm) {
    wide = platform::DevModeWFromA(lpdm);
    if (wide.empty()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  }
  return ResetPrinterDC(hdc, wide.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(wide.data()));
}

ZEL_EXTERN_C int GetDeviceCaps(HDC hdc, int index) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::DeviceCaps(*display, index);
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  const GDIINFO& g = dc->pdev.gdiInfo;
  switch (index) {
    case DRIVERVERSION: return static_cast<int>(g.ulVersion);
    case TECHNOLOGY: return static_cast<int>(g.ulTechnology);
    case HORZSIZE: return SizeInMillimetres(g.ulHorzSize);
    case VERTSIZE: return SizeInMillimetres(g.ulVertSize);
    case HORZRES: return static_cast<int>(g.ulHorzRes);
    case VERTRES: return static_cast<int>(g.ulVertRes);
    case BITSPIXEL: return static_cast<int>(g.cBitsPixel);
    case PLANES: return static_cast<int>(g.cPlanes);
    case NUMBRUSHES:
    case NUMPENS: return -1;
    case NUMMARKERS: return 0;
    case NUMFONTS: return static_cast<int>(dc->pdev.devInfo.cFonts);
    case NUMCOLORS: return static_cast<int>(g.ulNumColors);
    case PDEVICESIZE: return 0;
    case CURVECAPS: return 0x1FF;     // circles, pies, chords, ellipses, wide, styled, rounded rects
    case LINECAPS: return 0xFE;       // polylines, markers, wide, styled, interiors
    case POLYGONALCAPS: return 0xFF;  // polygons, rectangles, scanlines, wide, styled, interiors
    case TEXTCAPS: return static_cast<int>(g.flTextCaps);
    case CLIPCAPS: return 1;  // rectangle clipping
    case RASTERCAPS: return static_cast<int>(g.flRaster);
    case ASPECTX: return static_cast<int>(g.ulAspectX);
    case ASPECTY: return static_cast<int>(g.ulAspectY);
    case ASPECTXY: return static_cast<int>(g.ulAspectXY);
    case LOGPIXELSX: return static_cast<int>(g.ulLogPixelsX);
    case LOGPIXELSY: return static_cast<int>(g.ulLogPixelsY);
    case SIZEPALETTE: return static_cast<int>(g.ulNumPalReg);
    case NUMRESERVED: return 0;
    case COLORRES: return static_cast<int>(g.ulDACRed + g.ulDACGreen + g.ulDACBlue);
    case PHYSICALWIDTH: return g.szlPhysSize.cx;
    case PHYSICALHEIGHT: return g.szlPhysSize.cy;
    case PHYSICALOFFSETX: return g.ptlPhysOffset.x;
    case PHYSICALOFFSETY: return g.ptlPhysOffset.y;
    case SCALINGFACTORX:
    case SCALINGFACTORY: return 0;
    case SHADEBLENDCAPS: return static_cast<int>(g.flShadeBlend);
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
}
