// The built-in font substitution rows: which printer face prints a TrueType
// face until the user saves a table of the printer's own. Both driver libraries
// use them (the settings dialog shows them, the graphics library prints with
// them), so they are kept here once. A row counts only when the printer has its
// printer face.
#pragma once

#include <span>

#include "common/pdl_kind.h"
#include "platform/base/types.h"

struct FontSubstitutionDefaultRow {
  const char* trueTypeFace;
  const char* printerFace;
};

// Japanese names in Shift-JIS.
inline constexpr FontSubstitutionDefaultRow kDefaultPostScriptSubstitutions[] = {
    {"Arial", "Helvetica"},
    {"Arial Narrow", "Helvetica-Narrow"},
    {"Book Antiqua", "Palatino"},
    {"Bookman Old Style", "ITC Bookman"},
    {"Century Gothic", "ITC Avant Garde Gothic"},
    {"Century Schoolbook", "New Century Schoolbook"},
    {"Courier New", "Courier"},
    {"Eurostile", "Eurostile"},
    {"Letter Gothic MT", "Letter Gothic"},
    {"Times New Roman", "Times"},
    // clang-format off
    {"\x82l\x82r \x83S\x83V\x83""b\x83N", "\x92\x86\x83S\x83V\x83""b\x83NBBB"},
    {"@\x82l\x82r \x83S\x83V\x83""b\x83N", "@\x92\x86\x83S\x83V\x83""b\x83NBBB"},
    {"\x82l\x82r \x96\xBE\x92\xA9", "\x83\x8A\x83\x85\x83""E\x83~\x83\x93L-KL"},
    {"@\x82l\x82r \x96\xBE\x92\xA9", "@\x83\x8A\x83\x85\x83""E\x83~\x83\x93L-KL"},
    // clang-format on
};

inline constexpr FontSubstitutionDefaultRow kDefaultPcl5Substitutions[] = {
    {"Arial", "ArialMT"},
    {"Courier New", "Courier"},
    {"Garamond", "Garamond"},
    {"Letter Gothic MT", "LetterGothic"},
    {"Times New Roman", "Times New"},
    // clang-format off
    {"\x82l\x82r \x83S\x83V\x83""b\x83N", "\x83S\x83V\x83""b\x83N"},
    {"@\x82l\x82r \x83S\x83V\x83""b\x83N", "@\x83S\x83V\x83""b\x83N"},
    // clang-format on
    {"\x82l\x82r \x96\xBE\x92\xA9", "\x96\xBE\x92\xA9"},
    {"@\x82l\x82r \x96\xBE\x92\xA9", "@\x96\xBE\x92\xA9"},
};

inline constexpr FontSubstitutionDefaultRow kDefaultOtherPclSubstitutions[] = {{"bogus", "bogus"}};

// The rows of a printer language: PostScript, PCL 5 (bit 0x8), else the one row
// no printer has, so other PCL languages start with an empty table.
inline std::span<const FontSubstitutionDefaultRow> DefaultFontSubstitutionRows(WORD pdlKind) {
  if (pdlKind & kPdlPostScriptMask) return kDefaultPostScriptSubstitutions;
  if (pdlKind & 0x08) return kDefaultPcl5Substitutions;
  return kDefaultOtherPclSubstitutions;
}
