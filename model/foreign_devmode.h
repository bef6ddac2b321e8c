// A device mode that comes from outside this library (an application, the
// spooler's stored copies, another printer's settings) is read as this driver's
// layout once its sizes and versions match, but nothing else about it can be
// trusted: a fixed text field may lack its terminator and a number that selects a
// row of the model may name a row the model does not have. Such a device mode is
// made safe once, where it is taken, so that every later reader (text formatting,
// settings section names, table lookups in the graphics library) can rely on it.
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"

// Ends every fixed text field (the public device and form names, the private
// account, note, macro, insert-set, watermark, port, document, printer and
// application texts) within its field, cutting a field that has no terminator
// before its last whole character.
void TerminateDevmodeTexts(XDEVMODE* devmode);

// Brings the numbers that select model rows into the model's range:
// - _nOutputTray: 0 (none) or 256 + the id of one of the model's output bins, else 0;
// - the custom-paper row: -1 or a user-defined-size papers row (0..27); another
//   value takes the model's default custom paper;
// - page-ticket source ranges: a row must hold pages (0 <= first <= last), name a
//   tray of the model (or 0) and a media type of the model plus 256 (or 0); any
//   other row is cleared, and its duplex switch is kept as 0 or 1.
void CheckDevmodeIndexes(XDEVMODE* devmode, const ModelRecord& record);

// Both of the above; without a record only the texts are made safe.
void AcceptForeignDevmode(XDEVMODE* devmode, const ModelRecord* record);
