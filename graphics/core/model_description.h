// The printer description (model record) as the graphics library gets it: from
// the library's own cache of records, filled by the loader the user-interface
// library uses too, and refreshed whenever the printer's configuration counter
// "Printer"/"Cfg" has moved. Also the per-model resource module.
//
// The graphics library's copy of the loader differs from the user-interface
// library's only where the library is: a foreign "General"/"FormatVersion" is
// traced, never shown (nobody may be there to close a box in a spooler or
// application process), and the names of hidden dialog controls map through the
// same six-row table (HiddenControlDialogId, looked up by prefix).
#pragma once

#include "model/model_cache.h"
#include "model/model_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// Starts and stops the description cache over the library's bound settings
// (GraphicsSettings). The cache has its own lock (the description lock).
void StartDescriptionCache();
void StopDescriptionCache();

// The printer's record: reloaded when it was never loaded, when its stamp is 0,
// or when "Printer"/"Cfg" cannot be read or differs from its stamp. Unlike the
// user-interface library this always follows the counter: a server-down mark of
// the user does not hold a reload back. nullptr for a null name or when there is
// no memory. The record is the cache's: read it, or copy it (AttachModelRecord),
// never write it. The engine's device handle is not used.
const ModelRecord* GetModelRecord(HDEV hdev, HANDLE printer, const char* printerName);

// Loads the model's resource module: "General"/"ModelDLL" of the model
// description, in the folder of the printer's graphics library. The caller frees
// it; 0 when the description names none (the spooler is then not asked) or any
// step fails.
HMODULE LoadModelModule(HANDLE printer);
