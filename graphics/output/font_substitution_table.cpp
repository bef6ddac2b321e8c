// The document's substitution table, for now without rows: the printer-font
// rows (the user's table and the built-in list matched against the device-font
// list) come with the device fonts. An empty table substitutes nothing, so every
// TrueType face is printed as itself.
#include <cstring>

#include "graphics/output/font_substitution.h"
#include "graphics/util/graphics_heap.h"

FontSubstitutionTable* BuildFontSubstitutionTable(HANDLE /*printer*/, const char* printerName, WORD pdlKind,
                                                  DeviceFontList* /*fonts*/, int /*reset*/) {
  auto* table = static_cast<FontSubstitutionTable*>(GraphicsHeapAlloc(sizeof(FontSubstitutionTable)));
  if (!table) return nullptr;
  if (printerName) {
    std::strncpy(table->printerName, printerName, sizeof table->printerName - 1);
    table->printerName[sizeof table->printerName - 1] = '\0';
  }
  table->pdlKind = pdlKind;
  table->rows = nullptr;
  table->rowCount = 0;
  return table;
}
