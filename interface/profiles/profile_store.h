// Settings profiles: named sets of document settings, kept per user (store kind 1)
// and apart per printer language and model variant. The list section
// ("Profiles\PCL" or "Profiles\PS", then "\0" for a variant model and "\1" for the
// others) holds one value per profile, name and data both the profile name in
// hexadecimal; the profile's own section is the list section, "\" and that name,
// with one value per setting (profile_keys.h).
#pragma once

#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"

// SaveProfile modes.
enum ProfileSaveMode : int {
  kProfileCreateIfAbsent = 0,  // write nothing (and answer 0) when the name is registered
  kProfileAdd = 1,             // write every key, then register the name
  kProfileOverwrite = 2,       // write every key again; keys no longer written are removed
};

// A profile name as the profiles dialog keeps it: at most 63 bytes and its NUL.
struct ProfileName {
  char text[64];
};
constexpr size_t kProfileNameMax = sizeof(ProfileName::text) - 1;

// The list section for settings of this printer language and this model; without
// a model record no variant suffix.
std::string ProfileListSection(const XDEVMODE& settings, const ModelRecord* model);
// The same for the printer's cached model record, into out (size bytes); false
// when an argument is null or the section does not fit.
bool ProfileSection(HANDLE printer, const XDEVMODE* settings, char* out, size_t size);

// Saves the settings under the name (1 to 63 bytes) in the section the settings'
// language and the printer's model choose. Answers 1 when the profile is stored
// whole and registered; 0 when it is not (mode 0: also when it already exists), for
// null settings or name, a name of the wrong length, or a printer without model
// record. A failed write leaves the name as registered as it was before, and
// overwriting never deletes a stored profile before the new keys are written.
int SaveProfile(HANDLE printer, const char* name, const XDEVMODE* settings, int mode);
// The same with the model record given (the built-in profiles are saved for each
// model variant in turn, with a private copy of the record).
int SaveProfileForModel(HANDLE printer, const ModelRecord* model, const char* name, const XDEVMODE* settings, int mode);

// Reads the profile into the settings. Answers 1; 0, with the settings unchanged,
// for null settings or name, a printer without model record, or a profile that is
// not registered for these settings' language and the printer's model.
int LoadProfile(HANDLE printer, const char* printerName, const char* name, XDEVMODE* settings);
int LoadProfileForModel(HANDLE printer, const ModelRecord* model, const char* name, XDEVMODE* settings);

// The names of the profiles registered for these settings and the printer's model,
// in the store's order (names that are not valid hexadecimal of 1 to 63 bytes are
// passed over). Answers how many; names is replaced.
int LoadProfileNames(HANDLE printer, const char* printerName, const XDEVMODE* settings,
                     std::vector<ProfileName>& names);

// Whether the profile is registered for these settings and this model.
bool IsProfileRegistered(HANDLE printer, const ModelRecord* model, const char* name, const XDEVMODE& settings);
