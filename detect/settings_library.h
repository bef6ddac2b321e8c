// The settings library the detection program binds: loaded from the program's
// own folder by the file name its command line gives, ten exports by name.
#pragma once

#include "common/settings_binding.h"

// The library, or 0 when it or one of the ten exports is missing (nothing is
// left loaded then). `functions` receives the bound exports.
HMODULE LoadSettingsDatabase(const char* fileName, SettingsFunctions* functions);
