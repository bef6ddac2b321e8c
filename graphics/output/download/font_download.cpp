// The records of the fonts downloaded in a document: one per font realisation
// (named so that the same realisation finds its record again), with glyph
// pages for characters beyond the single-byte codes, and the soft-font ids.
#include <cstring>
#include <new>
#include <string>

#include "graphics/core/pdev.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/font_face_name.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/stream/output.h"
#include "graphics/util/font_size.h"
#include "platform/base/codepage.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr WORD kMacroFileOutput = 5;
constexpr WORD kFirstSoftFontId = 16000;
constexpr WORD kFirstMacroFileSoftFontId = 18000;

DownloadedFontList* DownloadList(PDEV* pdev, bool create) {
  if (!pdev->downloadedFonts[0] && create) {
    auto* list = new (std::nothrow) DownloadedFontList();
    if (!list) return nullptr;
    list->useCount = 1;
    pdev->downloadedFonts[0] = list;
  }
  return pdev->downloadedFonts[0];
}

// The device font entry of a device-font realisation; null for other fonts.
const DeviceFontEntry* DeviceEntry(PDEV* pdev, FONTOBJ* font) {
  if (!(font->flFontType & DEVICE_FONTTYPE) || !pdev->carried.deviceFonts) return nullptr;
  if (font->iFace == 0 || font->iFace > pdev->carried.deviceFonts->count) return nullptr;
  return &pdev->carried.deviceFonts->entries[font->iFace - 1];
}

// Characters that would break a PostScript name or a file name.
bool Unsafe(unsigned char c) { return c < 33 || c > 126 || std::strchr("\\/%()<>[]", c) != nullptr; }

void Copy(char* dst, const std::string& text) {
  const size_t n = text.size() < kDownloadNameSize - 1 ? text.size() : kDownloadNameSize - 1;
  std::memcpy(dst, text.data(), n);
  dst[n] = '\0';
}

}  // namespace

WORD NextSoftFontId(PDEV* pdev) {
  if (!pdev) return 0;
  const WORD base =
      pdev->devmode.dmPrivate._nOutputDest == kMacroFileOutput ? kFirstMacroFileSoftFontId : kFirstSoftFontId;
  return static_cast<WORD>(base + pdev->carried.softFontCounter++);
}

void MakeDownloadFontName(char* dst, PDEV* pdev, FONTOBJ* font, int kind, BOOL outline) {
  if (!dst) return;
  dst[0] = '\0';
  if (!pdev || !font) return;
  const int pointSize = outline ? 0 : GetFontPointSize(pdev, font);
  const int simItalic = outline && (font->flFontType & FO_SIM_ITALIC) ? 1 : 0;
  char text[64];
  if (font->flFontType & TRUETYPE_FONTTYPE) {
    FormatOut(text, "TT%x%x%d%d%d", outline ? 0u : static_cast<unsigned>(font->iUniq),
              static_cast<unsigned>(font->iTTUniq), simItalic, pointSize, kind);
    Copy(dst, text);
    return;
  }
  if (const DeviceFontEntry* entry = DeviceEntry(pdev, font)) {
    char selection[65];
    DeviceFontSelectionName(entry->metrics, selection);
    if (outline) {
      Copy(dst, selection);
    } else {
      FormatOut(text, "_%d_%d", static_cast<int>(font->iUniq), pointSize);
      Copy(dst, std::string(selection) + text);
    }
    return;
  }
  FormatOut(text, "OT%x%d%d%d", static_cast<unsigned>(font->iUniq), simItalic, pointSize, kind);
  std::string face = FaceNameAnsi(FONTOBJ_pifi(font));
  for (char& c : face) {
    if (Unsafe(static_cast<unsigned char>(c))) c = 'X';
  }
  // The whole name stays within the record's field.
  Copy(dst, std::string(text) + face);
}

FontDownloadRecord* FindFontDownloadRecord(PDEV* pdev, FONTOBJ* font, BOOL outline) {
  if (!pdev || !font) return nullptr;
  DownloadedFontList* list = DownloadList(pdev, false);
  if (!list) return nullptr;
  char name[kDownloadNameSize];
  MakeDownloadFontName(name, pdev, font, 0, outline);
  for (FontDownloadRecord& record : list->records) {
    if (std::strcmp(record.name, name) == 0) return &record;
  }
  return nullptr;
}

FontDownloadRecord* NewFontDownloadRecord(PDEV* pdev, FONTOBJ* font, BOOL outline) {
  if (!pdev || !font) return nullptr;
  DownloadedFontList* list = DownloadList(pdev, true);
  if (!list) return nullptr;
  FontDownloadRecord* record = nullptr;
  try {
    record = &list->records.emplace_front();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  const DeviceFontEntry* entry = DeviceEntry(pdev, font);
  if (entry) {
    record->deviceFont = entry;
    record->softFontId = entry->fontId;
    for (DWORD i = 0; i < 256; ++i) record->slot[i] = i;
  } else {
    record->fontUniq = outline ? 0 : static_cast<DWORD>(font->iUniq);
    record->trueTypeUniq = static_cast<DWORD>(font->iTTUniq);
    record->softFontId = NextSoftFontId(pdev);
    for (DWORD& slot : record->slot) slot = kEmptyGlyphSlot;
  }
  MakeDownloadFontName(record->name, pdev, font, 0, outline);
  return record;
}

GlyphPageRecord* NewGlyphPageRecord(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, BOOL outline) {
  if (!pdev || !font || !record) return nullptr;
  WORD newest = 1;
  for (const GlyphPageRecord& p : record->pages) {
    if (p.pageNumber > newest) newest = p.pageNumber;
  }
  GlyphPageRecord* page = nullptr;
  try {
    page = &record->pages.emplace_front();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  page->pageNumber = static_cast<WORD>(newest + 1);
  MakeDownloadFontName(page->name, pdev, font, page->pageNumber, outline);
  for (DWORD& slot : page->slot) slot = kEmptyGlyphSlot;
  page->softFontId = NextSoftFontId(pdev);
  return page;
}
