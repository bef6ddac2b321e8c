// Setting the printer's language as the set-up program commits it, so that one
// printer of a two-language model prints a document in either language.
#pragma once

#include <filesystem>
#include <string>

#include "platform/base/types.h"

namespace printhost {

// The word the set-up program stores in "Printer"/"PDL" for a language of the
// device mode (PostScript, the PCL family or PCL XL); 0 for another.
WORD StoredLanguageWord(WORD deviceModeLanguage);

// Whether the model description lists a language of that kind in its [PDL] section.
bool ModelListsLanguage(const std::filesystem::path& modelDescription, WORD deviceModeLanguage);

// Stores the language in "Printer"/"PDL" and, when that changes it, raises the
// configuration counter "Printer"/"Cfg" (a missing or zero counter counts as 5),
// so the driver libraries reload the printer's model record. Goes through the
// settings library of the driver folder. False with the reason in `error`.
bool CommitPrinterLanguage(const std::string& driverFolder, const std::string& printerName, WORD stored,
                           std::string& error);

}  // namespace printhost
