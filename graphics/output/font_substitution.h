// The document's table of TrueType faces printed with printer fonts.
#pragma once

struct FontSubstitutionTable;

// Frees the rows and the table and sets *table to nullptr; a null pointer or
// table does nothing.
void FreeFontSubstitution(FontSubstitutionTable** table);
