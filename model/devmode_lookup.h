// Questions the device-mode code asks of a model record: whether a value the
// device mode names is one the model offers, and where the model's papers are.
// Every table is read up to its first empty row.
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"

namespace devmode {

// The first papers row with this id, -1 when none.
int FindPaperRow(const ModelRecord& record, int paperId);
// The first papers row marked as a user-defined size, -1 when none.
int FindUserSizePaperRow(const ModelRecord& record);

bool HasPaperSource(const ModelRecord& record, int sourceId);
bool HasMediaType(const ModelRecord& record, int mediaId);
bool HasOutputBin(const ModelRecord& record, int binId);
// A resolution row of this vertical dots per inch.
bool HasVerticalResolution(const ModelRecord& record, int dpi);

// Paper and orientation of a new device mode: the variant models start in
// landscape on their rotated A4 (290), the others in portrait on A4.
SHORT DefaultPaperSize(const ModelRecord& record);
SHORT DefaultOrientation(const ModelRecord& record);

// The custom-paper fields of the private part as a new device mode has them: the
// model's first user-defined-size row with the model's default custom size, or
// none (-1) when the model has no such row.
void SetDefaultCustomPaper(XDEVMODE_PRIVATE& extra, const ModelRecord& record);

// _nDuplex as dmDuplex implies it: 2 -> 1 (long edge), 3 -> 2 (short edge), else 0.
WORD PrivateDuplexFor(SHORT dmDuplex);

}  // namespace devmode
