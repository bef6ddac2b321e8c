// Writing a printer's installed options and installed memory back to its own data,
// where the loader finds them before the model description's.
#pragma once

#include "common/settings_binding.h"
#include "model/model_record.h"

// Writes the record's options (when it holds the options part) as printer data
// "InstallableOptions"/<id> = "kind,name,value,extra;", removing the values of
// options the record no longer has; writes "Memory"/"Installed" in megabytes (when
// it holds the installed-memory part); then increments "Printer"/"Cfg" so that
// every cached record of the printer is reloaded. Answers 1, or 0 for a null
// printer or record or when a write failed.
int SaveInstalledOptions(const SettingsFunctions& settings, HANDLE printer, const ModelRecord* record);
