// The font substitution table as the settings dialog edits it: the rows the
// user saved for the printer and language, or the built-in ones while the user
// has saved none (or asks for them back).
#pragma once

#include <vector>

#include "interface/records/font_substitution_store.h"

// The rows of the table: the stored ones once "Accessed" is "TRUE" (unless
// defaults is set), otherwise the built-in rows of the language whose printer
// face the font list has, each with its index in the list.
std::vector<FontSubstitutionEntry> BuildFontSubstitutionTable(HANDLE printer, WORD pdl, const PclFontList* fonts,
                                                              bool defaults);

// The printer-list index of the face's substitute (the face compared exactly),
// -1 when the table has no row for it.
int FindSubstitution(const char* face, const std::vector<FontSubstitutionEntry>& table);
