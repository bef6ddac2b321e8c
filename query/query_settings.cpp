#include "query/query_settings.h"

#include <memory>
#include <mutex>
#include <vector>

#include "platform/spooler/spooler.h"

namespace {

std::mutex g_lock;
SettingsFunctions g_functions;

}  // namespace

const SettingsFunctions& QuerySettings() {
  // Bound once at the library's start, before any query runs.
  return g_functions;
}

void SetQuerySettings(const SettingsFunctions& functions) {
  std::lock_guard guard(g_lock);
  g_functions = functions;
}

OpenedPrinter::OpenedPrinter(const char* printerName, bool fullAccess) {
  if (!printerName || !*printerName) return;
  std::string name = printerName;
  PRINTER_DEFAULTSA defaults{};
  defaults.DesiredAccess = PRINTER_ALL_ACCESS;
  if (!OpenPrinterA(name.data(), &handle_, fullAccess ? &defaults : nullptr)) handle_ = 0;
}

OpenedPrinter::~OpenedPrinter() {
  if (handle_) ClosePrinter(handle_);
}

bool ReadPrinterSetting(HANDLE printer, const char* key, DWORD size, std::string* out) {
  if (size == 0) return false;
  std::vector<char> buffer(size, 0);
  DWORD length = size;
  if (QuerySettings().GetString(printer, kStorePrinterData, "Printer", key, buffer.data(), &length) != 0) {
    return false;
  }
  buffer[size - 1] = 0;
  *out = buffer.data();
  return true;
}
