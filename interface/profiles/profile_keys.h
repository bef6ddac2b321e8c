// The values one settings profile holds: one key per setting of the device mode,
// numbers as DWORDs, texts as strings, the flags of _dwAdvSettings one key each,
// the halftone as "mode,frequency,angle" and the user-defined paper as a paper
// record of the model description's form.
#pragma once

#include <set>
#include <string>

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"

namespace profiles {

// Writes every key of the settings into the section. The names written (upper
// case) are added to written. Answers true when every write succeeded.
bool WriteProfileKeys(HANDLE printer, const std::string& section, const XDEVMODE& settings, const ModelRecord& model,
                      std::set<std::string>& written);

// Reads the keys of the section into the settings. A key that cannot be read
// leaves its field as it was, except where the profile format gives a value for
// a missing key (the output size, the halftone, the user-defined paper) or a
// watermark name the user no longer has (no watermark).
void ReadProfileKeys(HANDLE printer, const std::string& section, XDEVMODE& settings, const ModelRecord& model);

// The key of the user-defined paper ("CustomPaper_261").
std::string CustomPaperKey();

}  // namespace profiles
