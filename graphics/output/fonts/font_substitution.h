// The document's table of TrueType faces printed with printer fonts.
#pragma once

#include <string>

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

// Frees the rows and the table and sets *table to nullptr; a null pointer or
// table does nothing.
void FreeFontSubstitution(FontSubstitutionTable** table);

struct PDEV;
struct TextRunContext;

// The index in the PDEV's device-font list of the printer font that prints the
// TrueType font, or -1 for none (the run then goes through a downloaded font).
int FindSubstituteDeviceFont(PDEV* pdev, FONTOBJ* font, TextRunContext* run);

// The index of the list entry whose family name, in the ANSI code page, equals
// the name ignoring case; -1 for none.
int FindDeviceFontByName(const char* name, const DeviceFontList* fonts);
// The family name of a metrics block, wide and in the ANSI code page.
std::u16string FontFamilyWide(const IFIMETRICS* metrics);
std::string FontFamilyAnsi(const IFIMETRICS* metrics);
// The printer font index of the first row whose TrueType face equals the name
// exactly; -1 without a table or name, or when no row has it.
int FindFontSubstitution(const char* trueTypeFace, const FontSubstitutionTable* table);

// The best printer font for a TrueType font drawn through the transform: the
// entry with the lowest penalty (the later one on equal penalties), -1 when
// none is acceptable. With tableFlag a family name that differs rules the entry
// out. *score receives the winning penalty.
int ScoreDeviceFontMatch(const IFIMETRICS* trueType, XFORMOBJ* xform, const DeviceFontList* fonts, int* score,
                         int tableFlag);
// How a printer family stands to a TrueType family: 1 the same name, 0 an
// equivalent one, -1 none or unrelated.
int FontFamilyEquivalence(const char* printerFamily, const char* trueTypeFamily);
