#include "graphics/core/graphics_settings.h"

namespace {
SettingsFunctions g_settings;
}

const SettingsFunctions& GraphicsSettings() { return g_settings; }

void SetGraphicsSettings(const SettingsFunctions& functions) { g_settings = functions; }
