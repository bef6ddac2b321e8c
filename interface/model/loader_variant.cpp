#include "interface/model/dialog_name_table.h"
#include "interface/model/model_loader.h"

const ModelLoaderVariant& DefaultModelLoaderVariant() {
  // The format warning stays with the process's hook, so that the library that
  // links the loader decides where a warning goes. Until the constraint checks
  // are linked in, no option check is set and filter 1 leaves every tray and
  // bin in place.
  static const ModelLoaderVariant variant{nullptr, nullptr, HiddenControlDialogId};
  return variant;
}
