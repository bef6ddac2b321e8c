// Freeing the document's table of TrueType faces printed with printer fonts,
// in a file of its own so that a test can put a recording one in its place.
#pragma once

struct FontSubstitutionTable;

// Frees the rows and the table and sets *table to nullptr; a null pointer or
// table does nothing.
void FreeFontSubstitution(FontSubstitutionTable** table);
