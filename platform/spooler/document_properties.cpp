// DocumentProperties: an application's way to a printer driver's document
// settings. As on Windows, the spooler loads the printer's configuration module
// (the driver's user-interface library) and calls its DrvDocumentPropertySheets
// without property-sheet information, the DOCUMENTPROPERTYHEADER as parameter:
// first a size query (fMode 0, no output device mode), whose answer is the size
// of the driver's device mode; then, with an output device mode, the call itself
// with cbOut set to that size. The DM_ modes pass through unchanged (DM_OUT_BUFFER
// is DM_COPY, DM_IN_BUFFER is DM_MODIFY, DM_OUT_DEFAULT is DM_UPDATE).
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/spooler/driver_ui.h"
#include "platform/spooler/sheet_runner.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"

namespace platform::spooler {
namespace {

// An info record of the two-call convention; empty when it cannot be read.
template <class Query>
std::vector<BYTE> QueryInfo(Query&& query) {
  DWORD needed = 0;
  if (query(nullptr, 0, &needed)) return {};
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return {};
  std::vector<BYTE> buffer(needed);
  if (!query(buffer.data(), needed, &needed)) return {};
  return buffer;
}

// Closes the printer the call opened itself, if any.
class PrinterForCall {
 public:
  PrinterForCall(HANDLE given, LPWSTR deviceName) : handle_(given) {
    if (handle_ || !deviceName) return;
    if (OpenPrinterW(deviceName, &handle_, nullptr)) owned_ = true;
  }
  ~PrinterForCall() {
    if (!owned_) return;
    DWORD error = GetLastError();
    ClosePrinter(handle_);
    SetLastError(error);
  }
  PrinterForCall(const PrinterForCall&) = delete;
  PrinterForCall& operator=(const PrinterForCall&) = delete;
  HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_ = 0;
  bool owned_ = false;
};

// The loaded configuration module of a printer's driver, freed with the object.
class DriverUiModule {
 public:
  DriverUiModule(HANDLE printer, const char* entryName) {
    std::vector<BYTE> info = QueryInfo([&](BYTE* buffer, DWORD size, DWORD* needed) {
      return GetPrinterDriverW(printer, nullptr, 2, buffer, size, needed);
    });
    if (info.empty()) return;
    const auto* driver = reinterpret_cast<const DRIVER_INFO_2W*>(info.data());
    if (!driver->pConfigFile || !driver->pConfigFile[0]) {
      SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
      return;
    }
    std::string path = FromUtf16(Utf16FromZ(driver->pConfigFile));
    module_ = LoadLibraryA(path.c_str());
    if (!module_) return;
    FARPROC proc = GetProcAddress(module_, entryName);
    if (!proc) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return;
    }
    // Through void(*)(): the export's real type is known only by its name.
    entry_ = reinterpret_cast<PFN_DrvDocumentPropertySheets>(reinterpret_cast<void (*)()>(proc));
  }
  ~DriverUiModule() {
    if (!module_) return;
    DWORD error = GetLastError();
    FreeLibrary(module_);
    SetLastError(error);
  }
  DriverUiModule(const DriverUiModule&) = delete;
  DriverUiModule& operator=(const DriverUiModule&) = delete;
  // Both property-sheet entries have this type.
  PFN_DrvDocumentPropertySheets entry() const { return entry_; }

 private:
  HMODULE module_ = 0;
  PFN_DrvDocumentPropertySheets entry_ = nullptr;
};

// The printer's own name, for callers that pass a handle and no name.
std::u16string PrinterNameOf(HANDLE printer) {
  std::vector<BYTE> info =
      QueryInfo([&](BYTE* buffer, DWORD size, DWORD* needed) { return GetPrinterW(printer, 4, buffer, size, needed); });
  if (info.empty()) return {};
  return Utf16FromZ(reinterpret_cast<const PRINTER_INFO_4W*>(info.data())->pPrinterName);
}

LONG CallDriver(PFN_DrvDocumentPropertySheets entry, HANDLE printer, LPWSTR name, PDEVMODEW out, PDEVMODEW in,
                DWORD cbOut, DWORD mode) {
  DOCUMENTPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = name;
  header.pdmIn = in;
  header.pdmOut = out;
  header.cbOut = cbOut;
  header.fMode = mode;
  return entry(nullptr, reinterpret_cast<LPARAM>(&header));
}

// The driver's document sheet through the host: IDOK or IDCANCEL. On OK the
// driver has written the output itself (its SET_RESULT), cbOut bytes at most.
LONG PromptForDocument(HWND parent, PFN_DrvDocumentPropertySheets entry, HANDLE printer, LPWSTR name, PDEVMODEW out,
                       PDEVMODEW in, DWORD cbOut, DWORD mode) {
  SheetRunner runner = GetSheetRunner();
  if (!runner) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return -1;
  }
  DOCUMENTPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = name;
  header.pdmIn = in;
  header.pdmOut = out;
  header.cbOut = out ? cbOut : 0;
  header.fMode = mode;
  const LONG result = runner(parent, entry, reinterpret_cast<LPARAM>(&header));
  if (result < 0) return -1;
  return result == CPSUI_OK ? IDOK : IDCANCEL;
}

LONG DocumentPropertiesWide(HWND parent, HANDLE printerArgument, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in,
                            DWORD mode) {
  PrinterForCall printer(printerArgument, deviceName);
  if (!printer.handle()) {
    if (!printerArgument && !deviceName) SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  std::u16string name = deviceName ? Utf16FromZ(deviceName) : PrinterNameOf(printer.handle());
  if (name.empty()) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return -1;
  }
  std::vector<WCHAR> nameBuffer(name.begin(), name.end());
  nameBuffer.push_back(0);

  DriverUiModule driver(printer.handle(), "DrvDocumentPropertySheets");
  if (!driver.entry()) return -1;

  LONG size = CallDriver(driver.entry(), printer.handle(), nameBuffer.data(), nullptr, nullptr, 0, 0);
  if (mode == 0 || size <= 0) return size;
  if (mode & DM_PROMPT) {
    return PromptForDocument(parent, driver.entry(), printer.handle(), nameBuffer.data(), out, in,
                             static_cast<DWORD>(size), mode);
  }
  if (!out) return size;
  return CallDriver(driver.entry(), printer.handle(), nameBuffer.data(), out, in, static_cast<DWORD>(size), mode);
}

constexpr LONG kWideAnsiDifference = static_cast<LONG>(sizeof(DEVMODEW) - sizeof(DEVMODEA));

LONG DocumentPropertiesAnsi(HWND parent, HANDLE printer, LPSTR deviceName, PDEVMODEA out, PDEVMODEA in, DWORD mode) {
  std::u16string wideName;
  std::vector<WCHAR> nameBuffer;
  if (deviceName) {
    wideName = ToUtf16(deviceName);
    nameBuffer.assign(wideName.begin(), wideName.end());
    nameBuffer.push_back(0);
  }
  LPWSTR name = deviceName ? nameBuffer.data() : nullptr;

  std::vector<BYTE> wideIn;
  if (in) {
    wideIn = DevModeWFromA(in);
    if (wideIn.empty()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
  }
  PDEVMODEW inW = in ? reinterpret_cast<PDEVMODEW>(wideIn.data()) : nullptr;

  LONG wideSize = DocumentPropertiesWide(parent, printer, name, nullptr, nullptr, 0);
  if (wideSize < static_cast<LONG>(sizeof(DEVMODEW))) return wideSize;
  if (mode == 0 || (!out && !(mode & DM_PROMPT))) return wideSize - kWideAnsiDifference;

  // The wide record the driver fills, big enough for its answer.
  std::vector<BYTE> wideOut(static_cast<size_t>(wideSize));
  LONG result = DocumentPropertiesWide(parent, printer, name,
                                       out ? reinterpret_cast<PDEVMODEW>(wideOut.data()) : nullptr, inW, mode);
  if (result <= 0) return result;
  // A cancelled sheet, or one asked for no output, wrote nothing to convert.
  if ((mode & DM_PROMPT) && (result != IDOK || !out || !(mode & DM_OUT_BUFFER))) return result;
  const auto* filled = reinterpret_cast<const DEVMODEW*>(wideOut.data());
  if (static_cast<size_t>(filled->dmSize) + filled->dmDriverExtra > wideOut.size()) {
    SetLastError(ERROR_INVALID_DATA);
    return -1;
  }
  std::vector<BYTE> ansi = DevModeAFromW(filled);
  if (ansi.empty()) {
    SetLastError(ERROR_INVALID_DATA);
    return -1;
  }
  // The caller's buffer holds what the size query answered.
  size_t capacity = static_cast<size_t>(wideSize - kWideAnsiDifference);
  std::memcpy(out, ansi.data(), ansi.size() < capacity ? ansi.size() : capacity);
  return result;
}

// The printer's properties through the host. Whoever may not administer the
// printer sees the sheet without the right to change it.
BOOL PrinterPropertiesFor(HWND parent, HANDLE printer) {
  std::u16string name = PrinterNameOf(printer);
  if (name.empty()) return FALSE;
  std::vector<WCHAR> nameBuffer(name.begin(), name.end());
  nameBuffer.push_back(0);
  SheetRunner runner = GetSheetRunner();
  if (!runner) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  DriverUiModule driver(printer, "DrvDevicePropertySheets");
  if (!driver.entry()) return FALSE;

  DEVICEPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = nameBuffer.data();
  PRINTER_DEFAULTSW defaults{};
  defaults.DesiredAccess = PRINTER_ALL_ACCESS;
  HANDLE administered = 0;
  if (OpenPrinterW(nameBuffer.data(), &administered, &defaults)) {
    ClosePrinter(administered);
  } else {
    header.Flags |= DPS_NOPERMISSION;
  }
  return runner(parent, driver.entry(), reinterpret_cast<LPARAM>(&header)) >= 0 ? TRUE : FALSE;
}

template <class Body>
LONG Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    SetLastError(ERROR_GEN_FAILURE);
  }
  return -1;
}

}  // namespace
}  // namespace platform::spooler

using namespace platform::spooler;

LONG DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, PDEVMODEW pDevModeOutput,
                         PDEVMODEW pDevModeInput, DWORD fMode) {
  return Guarded(
      [&] { return DocumentPropertiesWide(hWnd, hPrinter, pDeviceName, pDevModeOutput, pDevModeInput, fMode); });
}

LONG DocumentPropertiesA(HWND hWnd, HANDLE hPrinter, LPSTR pDeviceName, PDEVMODEA pDevModeOutput,
                         PDEVMODEA pDevModeInput, DWORD fMode) {
  return Guarded(
      [&] { return DocumentPropertiesAnsi(hWnd, hPrinter, pDeviceName, pDevModeOutput, pDevModeInput, fMode); });
}

BOOL PrinterPropertiesA(HWND hWnd, HANDLE hPrinter) {
  if (!hPrinter) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return Guarded([&]() -> LONG { return PrinterPropertiesFor(hWnd, hPrinter); }) > 0 ? TRUE : FALSE;
}
