// Filling a ModelRecord from the printer's model description (store kind 3) and a
// few values of the printer's own data (store kind 0).
#pragma once

#include "common/settings_binding.h"
#include "model/format_warning.h"
#include "model/model_record.h"
#include "model/value_parsers.h"

// Whether an installed option forbids a choice: the installable-option check of
// the constraint table (option, value, feature code, choice), 1 when it fires.
using OptionConstraintCheck = int (*)(const ModelRecord* record, int option, int value, int feature, int choice);

// What may differ between the libraries that carry the loader. A null member takes
// the default of DefaultModelLoaderVariant().
struct ModelLoaderVariant {
  // Told when "General"/"FormatVersion" is not 2.x; the default is the process's
  // hook (CurrentModelFormatWarningHook), a debugger trace unless one was set.
  ModelFormatWarningHook formatWarning = nullptr;
  // Asked by filter word 1 for trays and bins, and for "Features"/"Duplex" = 2.
  OptionConstraintCheck optionConstraint = nullptr;
  // Maps the dialog names of "HiddenControls" to dialog ids.
  DialogIdLookup dialogIdFromName = nullptr;
};

// The variant both libraries use unless they pass their own.
const ModelLoaderVariant& DefaultModelLoaderVariant();

// Loads the parts named by partMask (ModelPart bits) and the features named by
// featureMask (ModelFeature bits) into the record, adding what it loaded to
// partsLoaded and featuresRead (it never clears a bit there). With filter 1, trays
// and output bins that an installed option forbids are left out. The constraint
// table is read by every call. Answers 1, or 0 for a null printer or record.
int LoadModelConfig(const SettingsFunctions& settings, HANDLE printer, ModelRecord* record, DWORD partMask,
                    DWORD featureMask, DWORD filter);
int LoadModelConfig(const SettingsFunctions& settings, HANDLE printer, ModelRecord* record, DWORD partMask,
                    DWORD featureMask, DWORD filter, const ModelLoaderVariant& variant);
