#include "graphics/ddi/settings_binding.h"

#include <iterator>
#include <memory>
#include <mutex>

#include "common/settings_binding.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/spooler_info.h"
#include "graphics/util/wide_path.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"

namespace {

std::mutex g_bindMutex;
HMODULE g_settingsModule = 0;

template <class Fn>
bool Bind(HMODULE module, const char* name, Fn& member) {
  member = reinterpret_cast<Fn>(GetProcAddress(module, name));
  return member != nullptr;
}

// The seven read-only functions, in the order they have always been bound. The
// library writes no settings: the writers stay unbound and answer an error.
bool BindReaders(HMODULE module, SettingsFunctions& table) {
  return Bind(module, "DBEnumClose", table.enumClose) && Bind(module, "DBEnumNext", table.enumNext) &&
         Bind(module, "DBEnumOpen", table.enumOpen) && Bind(module, "DBGetData", table.getData) &&
         Bind(module, "DBGetDword", table.getDword) && Bind(module, "DBGetShort", table.getShort) &&
         Bind(module, "DBGetString", table.getString);
}

// "<folder of the printer's driver file>\zeldb5.dll"; false when the spooler
// cannot name the driver file or the path does not fit.
bool SettingsLibraryPath(HANDLE printer, WCHAR (&path)[MAX_PATH]) {
  const std::unique_ptr<BYTE[]> info = QueryPrinterDriverInfoW(printer, 2);
  if (!info) return false;
  const LPCWSTR driverPath = reinterpret_cast<const DRIVER_INFO_2W*>(info.get())->pDriverPath;
  WCHAR folder[MAX_PATH] = {};
  if (!driverPath || !SplitPath(folder, std::size(folder), nullptr, 0, driverPath)) return false;
  return JoinPath(path, folder, u"" SETTINGS_LIBRARY_NAME) != nullptr;
}

}  // namespace

bool BindGraphicsSettings(HANDLE printer) {
  std::lock_guard lock(g_bindMutex);
  if (g_settingsModule) return true;
  WCHAR path[MAX_PATH] = {};
  if (!SettingsLibraryPath(printer, path)) return false;
  const HMODULE module = LoadLibraryW(path);
  if (!module) return false;
  SettingsFunctions table;
  if (!BindReaders(module, table)) {
    // A library of another build: not kept, so that a later device context
    // (after the right library is in place) binds afresh.
    FreeLibrary(module);
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  table.loadError = ERROR_PROC_NOT_FOUND;
  SetGraphicsSettings(table);
  g_settingsModule = module;
  return true;
}

void UnbindGraphicsSettings() {
  std::lock_guard lock(g_bindMutex);
  if (!g_settingsModule) return;
  SetGraphicsSettings(SettingsFunctions{});
  FreeLibrary(g_settingsModule);
  g_settingsModule = 0;
}

bool GraphicsSettingsBound() {
  std::lock_guard lock(g_bindMutex);
  return g_settingsModule != 0;
}
