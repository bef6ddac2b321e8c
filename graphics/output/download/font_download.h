// Fonts downloaded to the printer during a document: the records of what went
// down (one per font realisation, with its glyph pages), the soft-font ids and
// names, and the sending of font headers and glyphs. The text writer decides
// which glyphs a record still lacks; this part sends them.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;
struct DeviceFontEntry;

constexpr DWORD kEmptyGlyphSlot = 65535;
constexpr int kGlyphPageSlots = 223;       // slot n is character code n + 33
constexpr WORD kKatakanaPageNumber = 1;    // the page of U+FF66-U+FF9F
constexpr size_t kDownloadNameSize = 256;

// A further soft font of a realisation, for characters outside 32-255.
struct GlyphPageRecord {
  WORD pageNumber;
  char name[kDownloadNameSize];
  DWORD slot[256];
  WORD softFontId;
  SHORT slotsUsed;
  GlyphPageRecord* next;
  DWORD headerSent;
};

// One downloaded font realisation.
struct FontDownloadRecord {
  DWORD fontUniq;
  DWORD trueTypeUniq;
  char name[kDownloadNameSize];
  DWORD slot[256];  // the glyph handle downloaded for each code 0-255
  WORD softFontId;
  GlyphPageRecord* pages;     // newest first
  GlyphPageRecord* katakana;
  FontDownloadRecord* next;
  const DeviceFontEntry* deviceFont;
  DWORD headerSent;
};

// The PDEV's list head (PDEV::downloadedFonts[0]).
struct DownloadedFontList {
  WORD useCount;
  FontDownloadRecord* first;
};

// Drops the PDEV's hold on its downloaded-font list and composite-font table
// (each freed, without output, when no one else holds it) and clears both
// pointers.
void ReleaseFontLists(PDEV* pdev);

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
// Sends the header of the record (page null) or of the page and marks it sent.
BOOL CreateDownloadFont(PDEV* pdev, FONTOBJ* font, const HGLYPH* glyphs, ULONG count, FontDownloadRecord* record,
                        GlyphPageRecord* page, BOOL outline);
// Sends the glyphs with their character codes in the record or page.
BOOL DownloadGlyphs(PDEV* pdev, FONTOBJ* font, const HGLYPH* glyphs, const DWORD* codes, ULONG count,
                    FontDownloadRecord* record, GlyphPageRecord* page, BOOL outline);
// Undefines every downloaded font in the printer and forgets the records.
void UndefineDownloadedFonts(PDEV* pdev);
