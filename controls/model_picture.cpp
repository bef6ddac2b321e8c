#include "controls/model_picture.h"

#include <cstdio>

#include "interface/records/model_resource.h"
#include "model/model_record.h"
#include "platform/base/modules.h"
#include "platform/gdi/screen.h"

namespace controls {

bool ModelOptionCode(const ModelRecord& model, std::string* code) {
  code->clear();
  for (int i = 0; i < kModelMaxOptions && i < 8; ++i) {
    const InstallableOption& option = model.options[i];
    if (option.id == 0) break;
    // The fourth number of an option's record marks the options the picture shows.
    if (option.extra == 0) continue;
    if (option.value < 0 || option.value > 15) return false;
    code->push_back("0123456789abcdef"[option.value]);
  }
  return true;
}

BOOL LoadModelBitmap(HANDLE printer, const ModelRecord* model, std::string* name, HMODULE* module, int picture) {
  if (!model || !name) return FALSE;
  std::string code;
  if (!ModelOptionCode(*model, &code)) return FALSE;
  HMODULE library = LoadModelResourceDll(printer);
  if (!library) return FALSE;
  char trial[96];
  std::snprintf(trial, sizeof trial, "%d_%s_%d", model->modelId, code.c_str(), picture);
  if (HBITMAP bitmap = LoadBitmapA(library, trial)) {
    DeleteObject(bitmap);
    *name = trial;
  } else {
    std::snprintf(trial, sizeof trial, "%d_DEF_%d", model->modelId, picture);
    *name = trial;
  }
  if (module) {
    *module = library;
  } else {
    FreeLibrary(library);
  }
  return TRUE;
}

}  // namespace controls
