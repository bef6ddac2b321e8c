// The papers of a model as the capability answers list them, and their sizes in
// the unit those answers use (tenths of a millimetre; the model keeps thousandths
// of an inch).
#pragma once

#include "model/model_record.h"
#include "platform/base/types.h"

// The rows of the paper table that the answers list: table order, each paper id
// once. A later row with an id already listed is the same paper fed the other way.
struct AnsweredPapers {
  int count = 0;
  int rows[kModelMaxPapers] = {};
};
AnsweredPapers ListAnsweredPapers(const ModelRecord& record);

// Thousandths of an inch as tenths of a millimetre, rounded to the nearest.
LONG TenthsOfMillimetre(int32_t thousandthsOfInch);

// The smallest (largest) width and the smallest (largest) height over every row
// of the paper table, both feed directions included, in tenths of a millimetre:
// width in the low word, height in the high word. 0 for an empty table.
DWORD PaperExtent(const ModelRecord& record, bool largest);
