// The driver's device mode as a new document or printer gets it from the model
// record, and the small pieces of it that both driver libraries set the same way.
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"

// The public fields a default device mode carries (dmFields).
constexpr DWORD kDefaultDevmodeFields = 0x0780FF13;
// The printer-language word that makes a default take the model's own.
constexpr WORD kPdlOfModel = 0;

// Fills all 2716 bytes of the device mode from the model record: A4 portrait (the
// variant models' rotated A4 in landscape), automatic source, the model's first
// resolution, one copy, the model's collation, status monitoring and memory, the
// user-defined paper of the model, the printer's name, and driverVersion as
// dmDriverVersion. A non-zero pdl replaces the printer's language. Answers 1; 0
// when a pointer is null (nothing written).
int FillDefaultDevmode(XDEVMODE* devmode, const ModelRecord* record, const char* printerName, WORD pdl,
                       WORD driverVersion);

// Writes the ANSI printer name into the private wide name field, cut to whole
// characters and always terminated within the field.
void SetDevmodePrinterName(XDEVMODE* devmode, const char* printerName);

// The device mode's dmDriverVersion from a ProductVersion text, from its first two
// fields: a second field of one or two characters gives first * 256 + second; a
// longer one gives (the second but its last two characters) * 256 + (its last two
// characters), so "6.310.23.0" gives 3 * 256 + 10 = 0x030A. 0 for a null text.
WORD DriverVersionFromText(const char* text);
