// Binding the settings library zeldb5.dll at the library's start. It is looked for
// in the library's own folder only. The user-interface library binds 14 of its
// exports; a function that cannot be bound (library or export missing) stays
// empty in the table, and every call through it answers the error of the failed
// load rather than jumping nowhere.
#pragma once

#include <string>

#include "common/settings_binding.h"

// The folder part of a module path, up to and including its last backslash (the
// backslash found as a character, never as the trail byte of a double-byte one);
// empty when the path has none.
std::string ModuleFolder(const char* modulePath);

// Loads "zeldb5.dll" from the folder of modulePath and binds the table. Answers the
// module, or 0 when it could not be loaded; the table is filled either way.
HMODULE LoadSettingsLibraryBeside(const char* modulePath, SettingsFunctions* table);

// Empties the table, so that later calls answer an error, then unloads the library.
void UnloadSettingsLibrary(HMODULE module, SettingsFunctions* table);
