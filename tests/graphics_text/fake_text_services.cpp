#include "tests/graphics_text/fake_text_services.h"
#include "graphics/output/download/font_download_send.h"
#include "graphics/output/download/font_download_undefine.h"
#include "graphics/output/fonts/find_substitute_device_font.h"

#include <cstdio>
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/stream/output.h"

namespace graphicstest {

TextServices& Services() {
  static TextServices services;
  return services;
}

namespace {

DownloadedFontList* ListOf(PDEV* pdev) {
  if (!pdev->downloadedFonts[0]) pdev->downloadedFonts[0] = new DownloadedFontList{1, {}};
  return pdev->downloadedFonts[0];
}

void FreeRecords(PDEV* pdev) {
  delete pdev->downloadedFonts[0];
  pdev->downloadedFonts[0] = nullptr;
}

}  // namespace

void ResetServices(PDEV* pdev) {
  if (pdev) FreeRecords(pdev);
  Services() = TextServices{};
}

}  // namespace graphicstest

using graphicstest::Services;

int FindSubstituteDeviceFont(PDEV*, FONTOBJ*, TextRunContext*) { return Services().substitute; }

void MakeDownloadFontName(char* dst, PDEV*, FONTOBJ* font, int kind, BOOL outline) {
  std::snprintf(dst, kDownloadNameSize, "TT%x_%d_%d", font ? font->iUniq : 0u, kind, outline ? 1 : 0);
}

FontDownloadRecord* FindFontDownloadRecord(PDEV* pdev, FONTOBJ* font, BOOL outline) {
  char name[kDownloadNameSize];
  MakeDownloadFontName(name, pdev, font, 0, outline);
  DownloadedFontList* list = pdev->downloadedFonts[0];
  if (!list) return nullptr;
  for (FontDownloadRecord& record : list->records) {
    if (std::strcmp(record.name, name) == 0) return &record;
  }
  return nullptr;
}

WORD NextSoftFontId(PDEV* pdev) { return static_cast<WORD>(16000 + pdev->carried.softFontCounter++); }

FontDownloadRecord* NewFontDownloadRecord(PDEV* pdev, FONTOBJ* font, BOOL outline) {
  if (Services().refuseRecords) return nullptr;
  FontDownloadRecord* record = &graphicstest::ListOf(pdev)->records.emplace_front();
  MakeDownloadFontName(record->name, pdev, font, 0, outline);
  for (DWORD& slot : record->slot) slot = kEmptyGlyphSlot;
  record->softFontId = NextSoftFontId(pdev);
  return record;
}

GlyphPageRecord* NewGlyphPageRecord(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, BOOL outline) {
  if (Services().refusePages) return nullptr;
  const WORD number = static_cast<WORD>(record->pages.empty() ? 2 : record->pages.front().pageNumber + 1);
  GlyphPageRecord* page = &record->pages.emplace_front();
  page->pageNumber = number;
  MakeDownloadFontName(page->name, pdev, font, page->pageNumber, outline);
  for (DWORD& slot : page->slot) slot = kEmptyGlyphSlot;
  page->softFontId = NextSoftFontId(pdev);
  return page;
}

BOOL CreateDownloadFont(PDEV* pdev, FONTOBJ*, const HGLYPH*, ULONG, FontDownloadRecord* record, GlyphPageRecord* page,
                        BOOL) {
  const char* name = page ? page->name : record->name;
  Services().headers.push_back(name);
  const std::string marker = std::string("{header ") + name + "}";
  WriteOut(pdev, 1, static_cast<int>(marker.size()), marker.data());
  (page ? page->headerSent : record->headerSent) = 1;
  return TRUE;
}

BOOL DownloadGlyphs(PDEV* pdev, FONTOBJ*, const HGLYPH* glyphs, const DWORD* codes, ULONG count,
                    FontDownloadRecord* record, GlyphPageRecord* page, BOOL) {
  const char* name = page ? page->name : record->name;
  graphicstest::GlyphBatch batch{name, std::vector<HGLYPH>(glyphs, glyphs + count),
                                 std::vector<DWORD>(codes, codes + count)};
  Services().batches.push_back(batch);
  const std::string marker = "{glyphs " + std::to_string(count) + "}";
  WriteOut(pdev, 1, static_cast<int>(marker.size()), marker.data());
  if (page) page->slotsUsed = static_cast<SHORT>(page->slotsUsed + static_cast<SHORT>(count));
  return TRUE;
}

void UndefineDownloadedFonts(PDEV* pdev) {
  ++Services().undefines;
  pdev->carried.vmEstimate = 0;
}
