// Taking a device mode made elsewhere (by an application, by another version of
// the driver, by the spooler) into one of this driver's own.
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
// keeps N-up and booklet, PCL neither), and the port, document name and calling
// application are refreshed. Answers 1 with base replaced by the result; 0 (base
// unchanged) when a pointer is null or either device mode is not 220 + 2496 bytes.
int ValidateMergeDevmode(HANDLE printer, XDEVMODE* base, const DEVMODEW* incoming, const ModelRecord* record);
