#include "interface/setup/first_use.h"

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/profiles/default_profiles.h"
#include "interface/records/watermark_store.h"
#include "interface/setup/setup_steps.h"
#include "platform/base/codepage.h"

void CheckFirstUseAndVersion(HANDLE printer, const char* printerName, const ModelRecord* record,
                             const std::string& previousVersion) {
  const SettingsFunctions& settings = LibrarySettings();
  DWORD used = 0;
  if (settings.GetDword(printer, kStoreUser, printerName, "AlreadyUsed", &used) != ERROR_SUCCESS) {
    settings.SetDword(printer, kStoreUser, printerName, "AlreadyUsed", 1);
    settings.SetDword(printer, kStoreUser, printerName, "PrintWarning", 1);
    CreateDefaultWatermarks(printer);
    CreateDefaultProfiles(printer, printerName, record);
    return;
  }
  const std::string current = CurrentDriverVersion();
  if (!previousVersion.empty() && platform::EqualsNoCaseAnsi(previousVersion, current)) return;
  CreateDefaultProfiles(printer, printerName, record);
}
