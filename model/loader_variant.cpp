#include "model/constraints.h"
#include "model/dialog_name_table.h"
#include "model/model_loader.h"

const ModelLoaderVariant& DefaultModelLoaderVariant() {
  // The format warning stays with the process's hook, so that the library that
  // links the loader decides where a warning goes. Trays, bins and duplex are
  // filtered by the installed options through the constraint table.
  static const ModelLoaderVariant variant{nullptr, CheckOptionConstraint, HiddenControlDialogId};
  return variant;
}
