// The document's table of TrueType faces printed with printer fonts.
#pragma once

#include "graphics/output/fonts/free_font_substitution.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"
#include "platform/gdi/engine_objects.h"

struct DeviceFontList;

// One row: a TrueType face name (ANSI) and the index of the printer font in the
// printer's device-font list that prints it.
struct FontSubstitutionEntry {
  char trueTypeFace[200];
  DWORD deviceFontIndex;
};

// The table of one document: the printer and language it was built for and
// its rows (a heap block of rowCount rows, owned by the table).
struct FontSubstitutionTable {
  char printerName[260];
  WORD pdlKind;
  FontSubstitutionEntry* rows;
  DWORD rowCount;
};

// Builds the document's table for the printer and language: the user's rows
// when the user has edited them (and reset is 0), else the built-in rows whose
// printer face the device-font list has. The caller owns the table
// (FreeFontSubstitution). nullptr when no table could be allocated.
FontSubstitutionTable* BuildFontSubstitutionTable(HANDLE printer, const char* printerName, WORD pdlKind,
                                                  DeviceFontList* fonts, int reset);

// The printer font index of the first row whose TrueType face equals the name
// exactly; -1 without a table or name, or when no row has it.
int FindFontSubstitution(const char* trueTypeFace, const FontSubstitutionTable* table);
