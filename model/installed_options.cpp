#include "model/installed_options.h"

#include <cinttypes>
#include <cstdio>
#include <set>
#include <string>

#include "common/settings_store.h"
#include "model/config_counter.h"
#include "model/record_text.h"
#include "model/settings_text.h"

namespace {

bool SaveOptions(const SettingsFunctions& settings, HANDLE printer, const ModelRecord& record) {
  bool ok = true;
  std::set<int32_t> written;
  for (const InstallableOption& option : record.options) {
    if (option.id == 0) break;
    char name[sizeof option.name + 1] = {};
    modeltext::CopyName(name, std::string_view(option.name, sizeof option.name));
    char text[sizeof name + 48];
    std::snprintf(text, sizeof text, "%d,%s,%d,%d;", option.kind, name, option.value, option.extra);
    const std::string key = std::to_string(option.id);
    if (settings.SetString(printer, kStorePrinterData, "InstallableOptions", key.c_str(), text) != ERROR_SUCCESS) {
      ok = false;
    }
    written.insert(option.id);
  }
  // Values of options the record no longer has are removed only once the new
  // ones are in place, so a failed write never leaves the printer with none.
  if (!ok) return false;
  auto keys = modelsettings::SectionKeys(settings, printer, kStorePrinterData, "InstallableOptions");
  if (!keys) return true;
  for (const std::string& key : *keys) {
    if (!modeltext::BeginsWithDigit(key) || written.count(modeltext::ReadInt(key))) continue;
    settings.DeleteData(printer, kStorePrinterData, "InstallableOptions", key.c_str());
  }
  return true;
}

}  // namespace

int SaveInstalledOptions(const SettingsFunctions& settings, HANDLE printer, const ModelRecord* record) {
  if (printer == 0 || record == nullptr) return 0;
  bool ok = true;
  if (record->partsLoaded & kPartOptions) ok = SaveOptions(settings, printer, *record) && ok;
  if (record->partsLoaded & kPartInstalledMemory) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64, record->installedMemory / 1048576);
    ok = settings.SetString(printer, kStorePrinterData, "Memory", "Installed", text) == ERROR_SUCCESS && ok;
  }
  ok = IncrementConfigCounter(settings, printer) == ERROR_SUCCESS && ok;
  return ok ? 1 : 0;
}
