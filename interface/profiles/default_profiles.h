// The built-in settings profile ("標準", the library's string IDS_BUILT_IN_PROFILE) that every user
// finds for every printer: written after the user's first use of a printer and
// after a change of the driver's version.
#pragma once

#include "model/model_record.h"
#include "platform/base/types.h"

// Writes the built-in profile from the printer's default settings for each model
// variant (1, then 0) and each printer language (PostScript 0x103, then PCL 0x8C),
// each only where it does not exist yet, so a user's changes to it are kept. The
// model record is not written (the variants are tried on a private copy). Answers
// 1 when all four profiles exist afterwards; 0 for a null argument, a missing
// name string or a profile that could not be written.
int CreateDefaultProfiles(HANDLE printer, const char* printerName, const ModelRecord* model);
