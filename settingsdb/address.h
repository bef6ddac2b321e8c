// How a settings address (printer, kind, section, key) maps onto the three real
// stores: the printer's data in the spooler, the registry, the driver data file.
#pragma once

#include <string>

#include "common/settings_store.h"
#include "platform/base/types.h"

namespace settingsdb {

enum class Store { PrinterData, UserRegistry, MachineRegistry, DataFile, None, Invalid };

// Kinds 0/7/8, 1/5/6, 2, 3; 4 and above 8 have no store. A negative kind is not a
// kind at all and is refused.
Store StoreOf(int32_t kind);

// The printer-data value name "section_key". Names longer than every spooler call
// can carry (199 UTF-16 characters, 207 ANSI bytes) are refused rather than cut:
// a cut name would make two settings share one value.
bool PrinterValueName(const char* section, const char* key, std::string& name);

// "Software\TOVK\Calyxon\3D5\" and the section, cut to 259 characters.
std::string RegistryKeyPath(const char* section);
// The base key itself, without its trailing backslash.
std::string RegistryBasePath();
HKEY RegistryHive(Store store);

// The section prefix of printer-data value names of one section: "section_".
std::string PrinterSectionPrefix(const char* section);
// Whether a printer-data value name belongs to the section whose prefix is given
// (compared without regard to case, like every printer-data name).
bool InPrinterSection(const std::string& valueName, const std::string& prefix);

}  // namespace settingsdb
