#include <cstdlib>

#include "graphics/output/download/download_list_free.h"

void FreeDownloadedFonts(DownloadedFontList* list) {
  if (!list) return;
  FontDownloadRecord* record = list->first;
  while (record) {
    FontDownloadRecord* nextRecord = record->next;
    bool katakanaFreed = false;
    GlyphPageRecord* page = record->pages;
    while (page) {
      GlyphPageRecord* nextPage = page->next;
      if (page == record->katakana) katakanaFreed = true;
      std::free(page);
      page = nextPage;
    }
    if (!katakanaFreed) std::free(record->katakana);
    std::free(record);
    record = nextRecord;
  }
  std::free(list);
}
