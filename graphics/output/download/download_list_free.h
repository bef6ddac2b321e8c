// Freeing the records of downloaded fonts.
#pragma once

#include "graphics/output/download/font_download.h"

// Calls visit(record, page) for every page with its header sent (the katakana
// page after the others) and then visit(record, nullptr) for the record when
// its header was sent, record by record; then frees the records, their pages
// and the list head. A null list does nothing.
template <typename Visit>
void ForEachSentFont(DownloadedFontList* list, Visit visit) {
  if (!list) return;
  for (FontDownloadRecord* record = list->first; record; record = record->next) {
    for (GlyphPageRecord* page = record->pages; page; page = page->next) {
      if (page != record->katakana && page->headerSent) visit(record, page);
    }
    if (record->katakana && record->katakana->headerSent) visit(record, record->katakana);
    if (record->headerSent) visit(record, static_cast<GlyphPageRecord*>(nullptr));
  }
}

// Frees the records with their pages (the katakana page once, whether or not
// it is also among the pages) and the list head.
void FreeDownloadedFonts(DownloadedFontList* list);
