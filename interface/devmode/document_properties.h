// A document's settings as DrvDocumentPropertySheets serves them: the printer as
// the call sees it (name, attributes, whether its server answers), the working
// device mode, and the answer to DocumentProperties when no property sheet is
// shown (the size query and the merge without user interface).
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"
#include "platform/spooler/driver_ui.h"

struct DocumentPrinter {
  char name[MAX_PATH];
  char serverName[MAX_PATH];  // empty for a local printer
  DWORD attributes;           // PRINTER_ATTRIBUTE_* bits
  bool serverDown;
};

// The printer's level-4 information and, for a network printer, the server-down
// probe (which leaves its per-user mark). False, with a trace, when the
// information or the printer's name cannot be read.
bool ReadDocumentPrinter(HANDLE printer, DocumentPrinter* out);

// The device mode a document works on: the printer's current one; with an input
// device mode and DM_MODIFY that one merged into it; the printer's attribute bits
// in its attributes field. False, with a trace, when there is no current device
// mode (no model record).
bool BuildWorkingDevmode(HANDLE printer, const DocumentPrinter& documentPrinter, const DEVMODEW* in, DWORD mode,
                         const ModelRecord* record, XDEVMODE* working);

// The first-use and version check as every entry that opens a document's
// settings runs it: the user's first use of the printer, and a driver whose
// version differs from the one stored for the machine (which is then stored).
void CheckFirstUseAndStoredVersion(HANDLE printer, const char* printerName, const ModelRecord* record);
// DocumentProperties without a property sheet:
// - mode 0 or no output device mode: the size of the device mode (2716), also
//   written to the header's cbOut;
// - DM_UPDATE or DM_COPY: the working device mode copied into the output (which
//   must hold 2716 bytes: cbOut), after the user's first-use and version check;
//   IDOK (1);
// - anything else, or a failure: -1 (with the last error for a short output).
LONG DocumentPropertiesWithoutSheet(DOCUMENTPROPERTYHEADER* header, const DocumentPrinter& documentPrinter);
