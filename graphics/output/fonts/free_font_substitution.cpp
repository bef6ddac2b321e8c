#include "graphics/output/fonts/free_font_substitution.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/util/graphics_heap.h"

void FreeFontSubstitution(FontSubstitutionTable** table) {
  if (!table || !*table) return;
  GraphicsHeapFree((*table)->rows);
  GraphicsHeapFree(*table);
  *table = nullptr;
}
