#include "platform/spooler/printer_events.h"

#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"

namespace platform::spooler {
namespace {

typedef BOOL(WINAPI* PrinterEventProc)(LPWSTR printerName, INT event, DWORD flags, LPARAM lParam);

}  // namespace

BOOL SendPrinterEvent(const std::u16string& configFile, const std::u16string& printerName, INT event, DWORD flags,
                      LPARAM lParam) {
  if (configFile.empty()) return TRUE;
  std::string path = FromUtf16(configFile);
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return TRUE;
  FARPROC proc = GetProcAddress(module, "DrvPrinterEvent");
  BOOL result = TRUE;
  if (proc) {
    // Through void(*)(): the export's real type is known only by its name.
    auto handler = reinterpret_cast<PrinterEventProc>(reinterpret_cast<void (*)()>(proc));
    std::vector<WCHAR> name(printerName.begin(), printerName.end());
    name.push_back(0);
    result = handler(name.data(), event, flags, lParam);
  }
  DWORD error = GetLastError();
  FreeLibrary(module);
  SetLastError(error);
  return result;
}

}  // namespace platform::spooler
