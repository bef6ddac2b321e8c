// Fonts downloaded to the printer during a document: the records of what went
// down (one per font realisation, with its glyph pages), the soft-font ids and
// names. The sending of headers and glyphs (font_download_send.h), the purge
// (font_download_undefine.h) and the release of the lists
// (release_font_lists.h) each have their own file, so that a test can put a
// recording stand-in in the place of one of them.
#pragma once

#include <list>

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;
struct DeviceFontEntry;

constexpr DWORD kEmptyGlyphSlot = 65535;
constexpr int kGlyphPageSlots = 223;     // slot n is character code n + 33
constexpr WORD kKatakanaPageNumber = 1;  // the page of U+FF66-U+FF9F
constexpr size_t kDownloadNameSize = 256;

// A further soft font of a realisation, for characters outside 32-255.
struct GlyphPageRecord {
  WORD pageNumber = 0;
  char name[kDownloadNameSize] = {};
  DWORD slot[256] = {};
  WORD softFontId = 0;
  SHORT slotsUsed = 0;
  DWORD headerSent = 0;
};

// One downloaded font realisation. Its pages are its own; the list keeps their
// places, so a page handed out stays where it is while others are added.
struct FontDownloadRecord {
  DWORD fontUniq = 0;
  DWORD trueTypeUniq = 0;
  char name[kDownloadNameSize] = {};
  DWORD slot[256] = {};  // the glyph handle downloaded for each code 0-255
  WORD softFontId = 0;
  std::list<GlyphPageRecord> pages;     // newest first
  GlyphPageRecord* katakana = nullptr;  // one of the pages once made, not owned apart
  const DeviceFontEntry* deviceFont = nullptr;
  DWORD headerSent = 0;
};

// The document's downloaded fonts (PDEV::downloadedFonts[0]); freeing the list
// frees its records and their pages.
struct DownloadedFontList {
  WORD useCount = 0;
  std::list<FontDownloadRecord> records;  // newest first
};

// Calls visit(record, page) for every page with its header sent (the katakana
// page after the others) and then visit(record, nullptr) for the record when
// its header was sent, record by record. A null list does nothing.
template <typename Visit>
void ForEachSentFont(DownloadedFontList* list, Visit visit) {
  if (!list) return;
  for (FontDownloadRecord& record : list->records) {
    for (GlyphPageRecord& page : record.pages) {
      if (&page != record.katakana && page.headerSent) visit(&record, &page);
    }
    if (record.katakana && record.katakana->headerSent) visit(&record, record.katakana);
    if (record.headerSent) visit(&record, static_cast<GlyphPageRecord*>(nullptr));
  }
}

// The download name of a realisation (kind 0 for the font, a page number for a
// glyph page), at most kDownloadNameSize - 1 characters.
void MakeDownloadFontName(char* dst, PDEV* pdev, FONTOBJ* font, int kind, BOOL outline);
// The record of the realisation by its name, or a new one linked into the
// PDEV's list; null when none could be made.
FontDownloadRecord* FindFontDownloadRecord(PDEV* pdev, FONTOBJ* font, BOOL outline);
FontDownloadRecord* NewFontDownloadRecord(PDEV* pdev, FONTOBJ* font, BOOL outline);
// A new glyph page of the record (number = the newest + 1); null when none.
GlyphPageRecord* NewGlyphPageRecord(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, BOOL outline);
// The soft-font id for a new page (the katakana page takes one too).
WORD NextSoftFontId(PDEV* pdev);
