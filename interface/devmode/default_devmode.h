// The driver's device mode as a printer starts with it: what the printer's set-up
// stores as its default, what a document gets when neither the user nor the
// printer has settings of their own, and the base into which foreign device modes
// are merged.
#pragma once

#include "common/xdevmode.h"
#include "model/devmode_defaults.h"
#include "model/model_record.h"

// Fills all 2716 bytes of the device mode from the model record: A4 portrait (the
// variant models' rotated A4 in landscape), automatic source, the model's first
// resolution, one copy, the model's collation, status monitoring and memory, the
// user-defined paper of the model. A non-zero pdl replaces the printer's language
// (the built-in profiles are made for each language). Also refreshes the printer's
// stored country code. Answers 1; 0 when a pointer is null (nothing written).
int BuildDefaultDevmode(XDEVMODE* devmode, HANDLE printer, const ModelRecord* record, const char* printerName,
                        WORD pdl);
