// What a model record falls back to where its model description is silent, and
// the user-defined paper size of a device mode written into a record's paper table.
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"

// Fills each part of partMask that has a default and sets its bit in partsLoaded:
// papers (Letter and A4, margins of 0.2 inch), resolutions (600 dpi), installed
// memory (8 MB) and the two memory sizes (1 MB each). A filled table is replaced
// whole. Other parts of the mask are left as they are. Answers 1; 0 for a null
// record or an empty mask.
int SetModelRecordDefaults(ModelRecord* record, DWORD partMask);

// The papers row that StoreCustomPaper would leave, computed on a copy: the row
// the device mode names as its user-defined paper, with the device mode's custom
// width and length in all three geometry blocks, its custom-size attribute as the
// feed direction and a positive user-size mark. Answers 1 with *row (and *index,
// when given) filled; 0 when the device mode's custom-paper index is not 0 to 27
// or that row is not a user-defined size. Reads only; use it wherever the record
// is shared, such as a cached record that other threads read.
int ComputeCustomPaperRow(const XDEVMODE* devmode, const ModelRecord* record, PaperEntry* row, int* index = nullptr);

// Writes the row of ComputeCustomPaperRow into the record; anything else leaves
// the record unchanged. For a record of the caller's own (a private copy): a
// record handed out by the cache is read by other threads and must not be written.
void StoreCustomPaper(const XDEVMODE* devmode, ModelRecord* record);
