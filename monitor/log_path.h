// Completing a log file path the user typed or chose.
#pragma once

#include <string>

#include "platform/base/types.h"

// Makes `path` a complete log file path and writes it back: a missing drive is
// the current one (for "\folder\...") or, with no folder either, the monitor's
// per-user data folder; a drive alone is its root; a missing name is "PM1.LOG"
// and a missing extension ".LOG". TRUE when the file exists or could be made:
// with `create` it is made (a path that cannot be used falls back to "PM1.LOG"
// in the per-user data folder); without, a trial file is made and removed again,
// and a file that was there already is never touched.
BOOL NormalizeLogPath(std::string* path, BOOL create);
