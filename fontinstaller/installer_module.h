// What the installer keeps for the life of its module: the settings functions it
// bound from zeldb5.dll at attach, its instance handle (for its strings), and the
// run's busy flag.
#pragma once

#include <string>

#include "common/settings_binding.h"
#include "platform/base/types.h"

namespace fontinstaller {

SettingsFunctions& InstallerSettings();
HINSTANCE& InstallerInstance();

// The module's own folder, with its trailing backslash (empty when unknown).
std::string InstallerFolder();

// A string of the module's tables (ANSI); empty when it has none of that number.
std::string LoadText(UINT id);

// Binds the eight settings functions the installer needs from "zeldb5.dll" in the
// folder of the given module. All eight are required: false (and nothing bound,
// the library freed again) when the library or any of them is missing.
// The ProductVersion of the module's version block (its first translation), at
// most 31 characters; with withoutDots the same with its dots removed. Empty
// when the module has no version block.
std::string InstallerProductVersion(bool withoutDots);

bool BindInstallerSettings(HINSTANCE instance);
void UnbindInstallerSettings();

}  // namespace fontinstaller
