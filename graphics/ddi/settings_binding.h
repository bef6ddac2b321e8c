// The settings library the graphics library reads through: zeldb5.dll in the
// folder of the printer's driver file, bound at the first device context of the
// library. Seven read-only functions are bound, all of them required.
#pragma once

#include "platform/base/types.h"

// Binds the library once for the process (later calls answer at once). The
// binding is made under a lock, so that two device contexts created at the same
// time bind it once; a binding that fails (no driver path, the library missing,
// one of the seven exports missing) leaves nothing loaded and is tried again by
// the next call. true when the functions are bound.
bool BindGraphicsSettings(HANDLE printer);

// Forgets the bound functions (every later read answers an error) and unloads
// the library. Called when the graphics library is disabled.
void UnbindGraphicsSettings();

// Whether the functions are bound.
bool GraphicsSettingsBound();
