#include "interface/pages/font_substitution_table.h"

#include <cstring>

#include "common/font_substitution_defaults.h"
#include "common/settings_store.h"
#include "interface/records/section_keys.h"

std::vector<FontSubstitutionEntry> BuildFontSubstitutionTable(HANDLE printer, WORD pdl, const PclFontList* fonts,
                                                              bool defaults) {
  std::vector<FontSubstitutionEntry> rows;
  const std::string section = FontSubstitutionSection(pdl);
  const auto accessed = records::ReadSettingText(printer, kStorePrinterData, section.c_str(), "Accessed", 16);
  if (!defaults && accessed && *accessed == "TRUE") {
    const int count = LoadFontSubstitution(printer, nullptr, 0, pdl, fonts);
    if (count <= 0) return rows;
    rows.resize(static_cast<size_t>(count));
    rows.resize(static_cast<size_t>(LoadFontSubstitution(printer, rows.data(), count, pdl, fonts)));
    return rows;
  }
  for (const FontSubstitutionDefaultRow& row : DefaultFontSubstitutionRows(pdl)) {
    const int index = FindFontFace(row.printerFace, fonts);
    if (index < 0) continue;
    FontSubstitutionEntry entry{};
    std::strncpy(entry.trueTypeFace, row.trueTypeFace, sizeof entry.trueTypeFace - 1);
    entry.printerFontIndex = index;
    rows.push_back(entry);
  }
  return rows;
}

int FindSubstitution(const char* face, const std::vector<FontSubstitutionEntry>& table) {
  if (!face) return -1;
  for (const FontSubstitutionEntry& row : table)
    if (std::strcmp(row.trueTypeFace, face) == 0) return row.printerFontIndex;
  return -1;
}
