// The rules by which a device mode made elsewhere (by an application, by another
// version of the driver, by the spooler) is taken into one of this driver's own.
// Both driver libraries apply them; each adds what is its own around them (the
// user-interface library refreshes the port and records the calling program).
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"

// Merges the incoming device mode into base. Every public field the incoming one
// marks in dmFields (orientation, paper, scale, copies, source, quality, duplex,
// TrueType option, media type) is checked against the model and taken, or replaced
// by the driver's default for it; its private part is taken whole only when both
// private parts are of version 4 with equal revision stamps, and is then made safe
// as a foreign one. The result is cleaned for the printer's language (PostScript
// keeps N-up and booklet, PCL neither); it keeps base's port name and document
// name and carries driverVersion as dmDriverVersion. incoming may be base itself.
// Answers 1 with base replaced by the result; 0 (base unchanged) when a pointer
// is null, either device mode is not 220 + 2496 bytes or there is no memory.
int MergeDevmodeForModel(XDEVMODE* base, const DEVMODEW* incoming, const ModelRecord* record, WORD driverVersion);
