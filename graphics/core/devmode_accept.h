// Which device mode a new device context prints with: the caller's when it is a
// well-formed device mode of this driver (re-validated when it was written for
// another printer language), else the printer's stored one for the user or for
// all users, else the driver's default; then the PDEV is filled from it.
//
// The caller's device mode belongs to the application (GDI hands it over for the
// call only): it is read, never written. Every change is made on the PDEV's copy.
#pragma once

#include "common/xdevmode.h"
#include "platform/base/types.h"
#include "platform/spooler/devmode.h"

struct PDEV;

// Settles the PDEV's device mode and fills the PDEV (InitPdev). The PDEV needs its
// printer handle, printer name, module handle and model record (AttachModelRecord)
// set. The accepted block's texts are terminated and its row numbers brought into
// the model's range, its user-defined paper goes into the PDEV's copy of the model
// record, its resolution is one of the model's, its N-up at least 1 and its wide
// printer name the PDEV's printer. 1 when the PDEV was filled; 0 when there is no
// memory, no model record, or InitPdev fails.
int MergeDevmode(PDEV* pdev, const DEVMODEW* pdm);

// The printer's device mode for the current user: the user's own (spooler level
// 9) or else the printer's global one (level 8), each only when it is this
// driver's for the printer's language, else the driver default; with the printer
// name written into it. The calling program and the port are not recorded (the
// user-interface library does that). 1; 0 without a PDEV, an output block, a
// printer handle or a model record in the PDEV.
int GetCurrentDevmode(PDEV* pdev, const char* printerName, XDEVMODE* out);

// Re-validates `in` for the PDEV's printer (its model and language) into `out`,
// with the rules of the user-interface library and this library's driver version;
// in and out may be the same block. 1; 0 without a model record or when a block
// is not 220 + 2496 bytes.
int ValidateMergeDevmode(PDEV* pdev, const XDEVMODE* in, XDEVMODE* out);

// The driver default for the PDEV's printer (dmDriverVersion from this library's
// own version). 1; 0 without a model record.
int BuildDefaultDevmode(PDEV* pdev, XDEVMODE* out);
