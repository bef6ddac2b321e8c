#include "graphics/core/model_description.h"

#include <iterator>
#include <string>

#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/spooler_info.h"
#include "graphics/util/wide_path.h"
#include "platform/base/codepage.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr DWORD kModuleNameBytes = 260;

bool CounterMatches(HANDLE printer, const ModelRecord& record) {
  DWORD counter = 0;
  return record.configStamp != 0 &&
         GraphicsSettings().GetDword(printer, kStorePrinterData, "Printer", "Cfg", &counter) == ERROR_SUCCESS &&
         counter == record.configStamp;
}

bool ServerMarkedDown(HANDLE printer, const char* printerName) {
  DWORD mark = 0;
  return GraphicsSettings().GetDword(printer, kStoreUser, printerName, "bServerDown", &mark) == ERROR_SUCCESS &&
         mark != 0;
}

}  // namespace

void StartDescriptionCache() { ModelCacheStart(&GraphicsSettings()); }

void StopDescriptionCache() { ModelCacheStop(); }

const ModelRecord* GetModelRecord(HDEV, HANDLE printer, const char* printerName) {
  if (!printerName) return nullptr;
  const ModelRecord* record = GetModelRecord(printer, printerName, kModelReloadWhenChanged);
  if (!record || CounterMatches(printer, *record)) return record;
  // The shared cache hands out a loaded record as it is while the user's
  // server-down mark stands. This library does not wait for the server: the
  // printer's data is on this machine, so the record is loaded afresh.
  if (!ServerMarkedDown(printer, printerName)) return record;
  FreeModelRecords(printerName);
  return GetModelRecord(printer, printerName, kModelReloadWhenChanged);
}

HMODULE LoadModelModule(HANDLE printer) {
  char name[kModuleNameBytes] = {};
  DWORD size = sizeof name;
  if (GraphicsSettings().GetString(printer, kStoreModelDescription, "General", "ModelDLL", name, &size) !=
      ERROR_SUCCESS) {
    return 0;
  }
  name[sizeof name - 1] = '\0';
  if (name[0] == '\0') return 0;

  const std::unique_ptr<BYTE[]> info = QueryPrinterDriverInfoW(printer, 2);
  if (!info) return 0;
  const LPCWSTR driverPath = reinterpret_cast<const DRIVER_INFO_2W*>(info.get())->pDriverPath;
  WCHAR folder[MAX_PATH] = {};
  if (!driverPath || !SplitPath(folder, std::size(folder), nullptr, 0, driverPath)) return 0;

  const std::u16string wideName = platform::ToUtf16(name, CP_ACP);
  WCHAR path[MAX_PATH] = {};
  if (wideName.empty() || !JoinPath(path, folder, wideName.c_str())) return 0;
  return LoadLibraryW(path);
}
