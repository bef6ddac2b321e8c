// Whether a choice of one feature (a tray, a bin, a punch unit, duplex, ...) is
// unavailable under the installed options or the current settings, read from the
// record's constraint table. Both driver libraries use these checks: the loader
// filters trays, bins and duplex with them, the property pages grey out choices,
// the device-mode code and the graphics library's page end refuse them.
//
// A row fires for a choice when its condition value can be obtained (the
// installed option's value for options 65 to 99, the device mode's setting for
// other codes), its flags are below 16, and either the current value equals the
// row's value and flag 0x1 is clear, or it differs and flag 0x4 is clear. So a
// row with flags 0 fires whatever its condition; rows with flag 0x10 never fire
// and only mark conflict pairs. A scan stops at the first row whose option is 0,
// or after the table's 120 rows.
//
// Every check only reads the record and the device mode; none of them writes.
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"

// 1 when any row for (feature, choice) fires, else 0 (also 0 for a null pointer).
// The condition of a row comes from the installed options (65 to 99) or from the
// device mode.
int IsChoiceConstrained(const ModelRecord* record, const XDEVMODE* devmode, int feature, int choice);

// 1 when any row for (feature, choice) whose condition is an installed option
// fires, else 0 (0 for a null record). option -1 accepts any row, option 64 any
// row whose option is 65 to 99, any other option only rows of exactly that
// option; value -1 accepts any row value, another value only rows of that value.
// Rows whose option is not 65 to 99, or names an option the record does not
// have, are passed over. This is the loader's check for filter word 1.
int CheckOptionConstraint(const ModelRecord* record, int option, int value, int feature, int choice);

// Conflict pairs (rows with flag 0x10); 0 when a pointer is null. With c and d
// both 0: 1 when a row of feature a and choice b, whose current condition value
// equals its value, has flag 0x10. Otherwise: 1 when a row of option a, value b,
// feature c and choice d has flag 0x10.
int CheckOptionConstraints(const ModelRecord* record, const XDEVMODE* devmode, int a, int b, int c, int d);

// 1 with *value = the value of the option whose id is n (at most the record's 8
// options are searched, up to the first with an empty name), else 0.
int GetInstalledOptionValue(const ModelRecord* record, int n, int* value);

// 1 with *value = the device mode's current value for a feature code that has one
// (1 paper, 2 paper source, 4 output bin, 16 punch, 32 staple, 512 media type,
// 2048 booklet), else 0. Code 4 has a value only while _nOutputTray is at least 256.
int GetSettingValue(const ModelRecord* record, const XDEVMODE* devmode, int feature, int* value);
