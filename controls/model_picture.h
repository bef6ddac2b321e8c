// The model's picture on a settings page: a bitmap of the model's resource
// library named by the model id, a code of the installed options that change
// the picture, and the picture's index; the model's default picture otherwise.
#pragma once

#include <string>

#include "platform/base/types.h"

struct ModelRecord;

namespace controls {

// One lower-case hexadecimal digit per pictured installable option (rows end at
// an id of 0, at most 8), taken from its installed value; false when a value
// does not fit one digit (above 15).
bool ModelOptionCode(const ModelRecord& model, std::string* code);

// 1 with the bitmap's resource name and the loaded model resource library (the
// caller frees it); 0 when there is no model or name, an option value does not
// fit, or the library cannot be loaded.
BOOL LoadModelBitmap(HANDLE printer, const ModelRecord* model, std::string* name, HMODULE* module, int picture);

}  // namespace controls
