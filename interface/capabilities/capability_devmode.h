// Which device mode a capability answer reads. Questions about the job's settings
// (paper size of the user-defined paper, personality, N-up) read the caller's
// device mode when it is one of this printer's, and otherwise the printer's
// current one: a foreign device mode is never refused, only passed over.
// Questions about the device mode itself (fields, sizes, versions) always read
// the printer's current one.
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"

// False when the printer's current device mode cannot be had (no model record).
bool CurrentDevmodeOf(HANDLE printer, const char* printerName, XDEVMODE* out);

// The caller's device mode when it is a whole XDEVMODE for this printer's model
// (null, short or foreign blocks are passed over), else the current one.
bool CallerOrCurrentDevmode(HANDLE printer, const char* printerName, const ModelRecord& record, const DEVMODEW* caller,
                            XDEVMODE* out);
