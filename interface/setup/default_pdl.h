// The printer language a new printer starts with: the model description's "PDL"
// section numbers the languages the model speaks ("1=PCL5E", "2=PS3") and its
// "Default" key names the number of the one to use.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/settings_binding.h"

// The keys and values of a "PDL" section, in the order the store lists them.
using PdlSectionEntries = std::vector<std::pair<std::string, std::string>>;

// The printer-language word the section chooses: the kind of the language listed
// under the number "Default" gives: 0x103 for PostScript ("PS3", "PS2", "PS1",
// "PS"), 0x4000 for "PCLXL", 0x8C for the PCL family. A "Default" that names no
// language the section lists, and a section without "Default", give 0x8C. The
// first "Default" counts. Keys and "Default" are decimal numbers; a key that is
// not one is passed over, so a language the model lacks can never be chosen.
WORD ChooseDefaultPdl(const PdlSectionEntries& entries);

// The model description's (store kind 3) "PDL" section of the printer; empty when
// it cannot be read. A value too long to read whole is passed over.
PdlSectionEntries ReadPdlSection(const SettingsFunctions& settings, HANDLE printer);
