// One stretch of a run: the glyphs that a single font prints. For a downloaded
// font it finds which glyphs the printer lacks (a single-byte font for codes
// 32-255, glyph pages of 223 slots for anything else, a page of its own for
// half-width katakana), has them sent, then writes the stretch.
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/font_download_send.h"
#include "graphics/output/download/font_download_undefine.h"
#include "graphics/output/text/text_output.h"
#include "graphics/output/text/text_run.h"
#include "graphics/output/text/text_write_run.h"

namespace {

constexpr WCHAR kFirstSingleByte = 32;
constexpr WCHAR kLastSingleByte = 255;
constexpr WCHAR kKatakanaFirst = 0xFF66;
constexpr WCHAR kKatakanaLast = 0xFF9F;

WCHAR CharAt(const WCHAR* chars, ULONG i) { return chars ? chars[i] : 0; }

bool SingleByte(WCHAR ch) { return ch >= kFirstSingleByte && ch <= kLastSingleByte; }
bool Katakana(WCHAR ch) { return ch >= kKatakanaFirst && ch <= kKatakanaLast; }
bool PagedChar(WCHAR ch) { return !SingleByte(ch) && !Katakana(ch); }

int SlotOf(const GlyphPageRecord* page, HGLYPH glyph, int used) {
  for (int slot = 0; slot < used && slot < kGlyphPageSlots; ++slot) {
    if (page->slot[slot] == glyph) return slot;
  }
  return -1;
}

// The glyphs a stretch adds to the printer.
struct NewGlyphs {
  std::vector<HGLYPH> handles;
  std::vector<DWORD> codes;
};

bool SendHeaderAndGlyphs(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page,
                         const NewGlyphs& added, const TextRunContext& run) {
  const DWORD headerSent = page ? page->headerSent : record->headerSent;
  // A page's header goes with its first glyphs; a single-byte font's with the
  // font.
  if (!headerSent && (!page || !added.handles.empty())) {
    if (!CreateDownloadFont(pdev, font, added.handles.data(), static_cast<ULONG>(added.handles.size()), record, page,
                            run.outline))
      return false;
  }
  if (added.handles.empty()) return true;
  return DownloadGlyphs(pdev, font, added.handles.data(), added.codes.data(), static_cast<ULONG>(added.handles.size()),
                        record, page, run.outline) != FALSE;
}

// The page the stretch of paged characters goes to: the page that holds the
// first glyph, else the newest page with room, else a new one.
GlyphPageRecord* PageFor(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, HGLYPH first,
                         const TextRunContext& run) {
  for (GlyphPageRecord& page : record->pages) {
    if (page.pageNumber == kKatakanaPageNumber) continue;
    if (SlotOf(&page, first, page.slotsUsed) >= 0) return &page;
  }
  for (GlyphPageRecord& page : record->pages) {
    if (page.pageNumber == kKatakanaPageNumber) continue;
    if (page.slotsUsed < kGlyphPageSlots) return &page;
  }
  return NewGlyphPageRecord(pdev, font, record, run.outline);
}

bool HeldByOtherPage(const FontDownloadRecord* record, const GlyphPageRecord* page, HGLYPH glyph) {
  for (const GlyphPageRecord& other : record->pages) {
    if (&other != page && other.pageNumber != kKatakanaPageNumber && SlotOf(&other, glyph, other.slotsUsed) >= 0)
      return true;
  }
  return false;
}

// Takes glyphs into the page while they are of the same kind and fit; answers
// how many.
ULONG FillPage(GlyphPageRecord* page, const FontDownloadRecord* record, const WCHAR* chars, const GLYPHPOS* glyphs,
               ULONG count, bool katakana, NewGlyphs* added) {
  int used = page->slotsUsed;
  ULONG taken = 0;
  for (; taken < count; ++taken) {
    const WCHAR ch = CharAt(chars, taken);
    if (katakana ? !Katakana(ch) : !PagedChar(ch)) break;
    const HGLYPH glyph = glyphs[taken].hg;
    if (SlotOf(page, glyph, used) >= 0) continue;
    if (used >= kGlyphPageSlots) break;
    if (!katakana && HeldByOtherPage(record, page, glyph)) break;
    page->slot[used] = glyph;
    added->handles.push_back(glyph);
    added->codes.push_back(static_cast<DWORD>(used + 33));
    ++used;
  }
  return taken;
}

}  // namespace

int OutputText(PDEV* pdev, FONTOBJ* font, CLIPOBJ* clip, const WCHAR* chars, GLYPHPOS* glyphs, ULONG count,
               BRUSHOBJ* opaque, BRUSHOBJ* foreground, TextRunContext* run) {
  if (!pdev || !font || !glyphs || count == 0 || !run) return 0;
  const XDEVMODE& dm = pdev->devmode;
  if (dm.dmPrivate._bClearMemoryPerPage == 0 && pdev->carried.vmEstimate > dm.dmPrivate._lAvailableMemory)
    UndefineDownloadedFonts(pdev);

  if (!run->download) {
    return WriteTextRun(pdev, font, nullptr, nullptr, glyphs, chars, count, clip, opaque, foreground, run)
               ? static_cast<int>(count)
               : 0;
  }

  FontDownloadRecord* record = FindFontDownloadRecord(pdev, font, run->outline);
  if (!record) record = NewFontDownloadRecord(pdev, font, run->outline);
  if (!record) return 0;

  GlyphPageRecord* page = nullptr;
  NewGlyphs added;
  ULONG taken = 0;
  const WCHAR first = CharAt(chars, 0);
  if (font->flFontType & DEVICE_FONTTYPE) {
    // An installed soft font goes down whole, once.
    if (!record->headerSent && !CreateDownloadFont(pdev, font, nullptr, 0, record, nullptr, run->outline)) return 0;
    taken = count;
  } else if (SingleByte(first)) {
    for (; taken < count && SingleByte(CharAt(chars, taken)); ++taken) {
      const WCHAR ch = CharAt(chars, taken);
      const HGLYPH glyph = glyphs[taken].hg;
      if (record->slot[ch] == glyph) continue;
      record->slot[ch] = glyph;
      added.handles.push_back(glyph);
      added.codes.push_back(ch);
    }
    if (!SendHeaderAndGlyphs(pdev, font, record, nullptr, added, *run)) return 0;
  } else {
    const bool katakana = Katakana(first);
    if (katakana) {
      if (!record->katakana) {
        GlyphPageRecord* created = NewGlyphPageRecord(pdev, font, record, run->outline);
        if (!created) return 0;
        created->pageNumber = kKatakanaPageNumber;
        MakeDownloadFontName(created->name, pdev, font, kKatakanaPageNumber, run->outline);
        created->softFontId = NextSoftFontId(pdev);
        record->katakana = created;
      }
      page = record->katakana;
    } else {
      page = PageFor(pdev, font, record, glyphs[0].hg, *run);
      if (!page) return 0;
    }
    taken = FillPage(page, record, chars, glyphs, count, katakana, &added);
    if (taken == 0) {
      // The page has no room: a fresh one takes the stretch.
      if (katakana) return 0;
      page = NewGlyphPageRecord(pdev, font, record, run->outline);
      if (!page) return 0;
      taken = FillPage(page, record, chars, glyphs, count, false, &added);
      if (taken == 0) return 0;
    }
    const SHORT usedBefore = page->slotsUsed;
    if (!SendHeaderAndGlyphs(pdev, font, record, page, added, *run)) return 0;
    // The page counts what it now holds.
    const SHORT usedAfter = static_cast<SHORT>(usedBefore + static_cast<SHORT>(added.handles.size()));
    if (page->slotsUsed < usedAfter) page->slotsUsed = usedAfter;
  }
  if (!WriteTextRun(pdev, font, record, page, glyphs, chars, taken, clip, opaque, foreground, run)) return 0;
  return static_cast<int>(taken);
}
