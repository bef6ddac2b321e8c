// The printer's font substitution table in its printer data: which printer font
// prints each TrueType face. Section "FontSubstitutionPS" for a PostScript
// printer-language word, "FontSubstitutionPCL" otherwise; key "Accessed" = "TRUE"
// once the table has been saved (from then on an empty table is the user's choice,
// not a missing one); keys "0", "1", ... one per row = TrueType face "," printer face.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "interface/pages/pcl_font_cache.h"
#include "platform/base/types.h"

struct FontSubstitutionEntry {
  char trueTypeFace[200];
  int32_t printerFontIndex;  // in the printer's PclFontList; -1 when the face is not there
};
static_assert(sizeof(FontSubstitutionEntry) == 204);

// Rows a stored table is read with at most.
constexpr int kMaxFontSubstitutionKeys = 300;

std::string FontSubstitutionSection(WORD pdl);

// Writes the table for the printer, reopened by its name with full access: every
// row (TrueType face, at most 255 bytes, "," and the face of the font-list entry
// the row names; empty when it names none), then "Accessed" = "TRUE", and only
// when all of that was written are the rows the table no longer has deleted.
// Answers 1 when the whole table was stored; 0 when a pointer is null (rows may be
// null for a count of 0), the printer cannot be reopened with full access, the
// table stored cannot be read whole, or any write failed: the table stored before
// is then put back.
int SaveFontSubstitution(HANDLE printer, const FontSubstitutionEntry* rows, int count, WORD pdl,
                         const PclFontList* fonts);

// Reads at most kMaxFontSubstitutionKeys keys of the table. Without rows, answers
// the number of keys other than "Accessed". With rows, fills at most capacity of
// them in the order of their row numbers with the values ParseFontSubstitutionRecord
// accepts and answers how many were filled. 0 for a null printer.
int LoadFontSubstitution(HANDLE printer, FontSubstitutionEntry* rows, int capacity, WORD pdl, const PclFontList* fonts);

// One stored row: the key begins with a digit; the TrueType face (not "Accessed";
// cut to 199 bytes of whole characters) is the text before the value's last comma, the printer face
// the text after it, looked up in the font list (-1 when absent or there is no
// list). Answers 1, or 0 with the row zeroed.
int ParseFontSubstitutionRecord(FontSubstitutionEntry* row, const char* key, const char* value,
                                const PclFontList* fonts);
