// What a user gets the first time a printer is set up for them, and what every
// user gets again after the driver has changed version: the default watermarks
// once, and the built-in settings profile.
#pragma once

#include <string>

#include "model/model_record.h"
#include "platform/base/types.h"

// First use of the printer by this user (no per-user "AlreadyUsed" in the section
// named by the printer): marks "AlreadyUsed" and "PrintWarning", creates the
// user's default watermarks and the built-in profiles. Otherwise the profiles are
// made again when the driver version stored before this set-up (previousVersion,
// empty when none was stored) differs from the current one, compared without
// regard to case.
void CheckFirstUseAndVersion(HANDLE printer, const char* printerName, const ModelRecord* record,
                             const std::string& previousVersion);
