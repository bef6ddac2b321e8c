// The settings functions the graphics library reads through. The library binds
// them from zeldb5.dll at its first device context; until then every read answers
// the load error. Tests install functions bound in their own process.
#pragma once

#include "common/settings_binding.h"

const SettingsFunctions& GraphicsSettings();
void SetGraphicsSettings(const SettingsFunctions& functions);
