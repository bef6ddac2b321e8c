// Making a run's font current in the printer: PostScript fonts (re-encoded for
// ANSI text, composite fonts for Japanese printer fonts), PCL fonts by their
// characteristics or soft-font id, HP-GL/2 label fonts. What the printer has
// current is remembered, so that a run in the same font selects nothing.
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics/core/pdev.h"
#include "graphics/ddi/device_font_lookup.h"
#include "graphics/output/download/download_channel.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/text/text_run.h"
#include "graphics/output/text/text_select_font.h"
#include "graphics/output/text/text_support.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/pages/document_store.h"
#include "graphics/stream/output.h"
#include "graphics/util/core_math.h"
#include "graphics/util/font_size.h"
#include "platform/base/arith.h"
#include "platform/gdi/eng_services.h"

using vectorout::Formatted;
using vectorout::Text;

namespace {

constexpr WORD kCompositeRowsGrowth = 10;
constexpr BYTE kCompositeStyleVariant90ms = 5;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;

bool InForce(const PDEV* pdev, int which) { return pdev->carried.savedTextStates[which][0] == kTextStateInForce; }

bool Current(const PDEV* pdev, int which, const std::string& name, LONG height, LONG weight, LONG style) {
  const TextFontState& state = pdev->writers.text.fonts[which];
  return InForce(pdev, which) && name == state.name && state.height == height && state.weight == weight &&
         state.style == style;
}

void Remember(PDEV* pdev, int which, const std::string& name, LONG height, LONG weight, LONG style) {
  TextFontState& state = pdev->writers.text.fonts[which];
  std::memset(state.name, 0, sizeof state.name);
  std::memcpy(state.name, name.data(), std::min(name.size(), sizeof state.name - 1));
  state.height = height;
  state.weight = weight;
  state.style = style;
  pdev->carried.savedTextStates[which][0] = kTextStateInForce;
}

std::string SelectionName(const IFIMETRICS* metrics) {
  char name[65];
  return DeviceFontSelectionName(metrics, name);
}
std::string FaceName(const IFIMETRICS* metrics) {
  char name[33];
  return DeviceFontFaceName(metrics, name);
}

WORD SoftFontId(const FontDownloadRecord* record, const GlyphPageRecord* page) {
  return page ? page->softFontId : record->softFontId;
}
std::string DownloadName(const FontDownloadRecord* record, const GlyphPageRecord* page) {
  const char* name = page ? page->name : record->name;
  return std::string(name, strnlen(name, kDownloadNameSize));
}

bool Grow(void** block, WORD* capacity, size_t rowBytes) {
  const WORD bigger = static_cast<WORD>(*capacity + kCompositeRowsGrowth);
  void* grown = std::realloc(*block, bigger * rowBytes);
  if (!grown) return false;
  *block = grown;
  *capacity = bigger;
  return true;
}

// The JF name of a printer font's composite font, defining it on first use;
// empty when the table cannot grow or the definition fails.
std::string CompositeName(PDEV* pdev, const DeviceFontEntry* entry) {
  CompositeFontTable* table = CompositeFonts(pdev, true);
  if (!table) return {};
  const std::string face = FaceName(entry->metrics);
  for (WORD i = 0; i < table->rowCount; ++i) {
    if (face == table->rows[i].faceName) return table->rows[i].compositeName;
  }
  if (table->rowCount == table->rowCapacity) {
    void* rows = table->rows;
    if (!Grow(&rows, &table->rowCapacity, sizeof(CompositeFontRow))) return {};
    table->rows = static_cast<CompositeFontRow*>(rows);
  }
  CompositeFontRow row{};
  std::memcpy(row.faceName, face.data(), std::min(face.size(), sizeof row.faceName - 1));
  FormatOut(row.compositeName, "JF%dn", static_cast<int>(table->rowCount));
  if (!DefineCompositeFont(pdev, entry, row.compositeName)) return {};
  table->rows[table->rowCount++] = row;
  return row.compositeName;
}

// Whether a composite name with style and height was defined in the document,
// noting it when it was not. -1 when the table cannot grow.
int DefinedBefore(PDEV* pdev, const std::string& name) {
  CompositeFontTable* table = CompositeFonts(pdev, true);
  if (!table) return -1;
  for (WORD i = 0; i < table->derivedCount; ++i) {
    if (name == table->derived[i]) return 1;
  }
  if (table->derivedCount == table->derivedCapacity) {
    void* derived = table->derived;
    if (!Grow(&derived, &table->derivedCapacity, sizeof table->derived[0])) return -1;
    table->derived = static_cast<char(*)[64]>(derived);
  }
  std::memset(table->derived[table->derivedCount], 0, sizeof table->derived[0]);
  std::memcpy(table->derived[table->derivedCount], name.data(), std::min<size_t>(name.size(), 63));
  ++table->derivedCount;
  return 0;
}

BOOL SelectPostScriptFont(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, LONG height,
                          TextRunContext* run) {
  const DeviceFontEntry* printer = RunPrinterFont(pdev, font, *run);
  const bool downloaded = record && !run->printerFont;
  const IFIMETRICS* runMetrics = FONTOBJ_pifi(font);
  const BYTE runCharset = runMetrics ? runMetrics->jWinCharSet : ANSI_CHARSET;
  if (printer && !downloaded && IsCjkCharset(printer->metrics->jWinCharSet)) {
    const std::string base = CompositeName(pdev, printer);
    if (base.empty()) return FALSE;
    const bool bold = font->flFontType & FO_SIM_BOLD, italic = font->flFontType & FO_SIM_ITALIC;
    const char* style = bold && italic ? "X" : bold ? "B" : italic ? "I" : "";
    const std::string name = base + style + std::to_string(height);
    if (Current(pdev, kPclTextState, name, height, 0, 0)) return TRUE;
    const int defined = DefinedBefore(pdev, name);
    if (defined < 0) return FALSE;
    if (defined == 0) {
      const std::string styled = base + style;
      if (!Formatted(pdev, "/%s %s %d xF\n", name.c_str(), styled.c_str(), static_cast<int>(height))) return FALSE;
      pdev->carried.vmEstimate += 13000;
    }
    if (!Formatted(pdev, " %s setfont\n", name.c_str())) return FALSE;
    Remember(pdev, kPclTextState, name, height, 0, 0);
    return TRUE;
  }
  const std::string name = downloaded || (record && printer == nullptr) ? DownloadName(record, page)
                           : printer                                    ? SelectionName(printer->metrics)
                                                                        : std::string();
  if (name.empty()) return FALSE;
  if (Current(pdev, kPclTextState, name, height, 0, 0)) return TRUE;
  const bool reencode =
      runCharset == ANSI_CHARSET && !downloaded && !page && !(printer && DeviceFontNoReencoding(printer->metrics));
  if (!Formatted(pdev, reencode ? "/%s %d SDF\n" : "/%s %d SF\n", name.c_str(), static_cast<int>(height))) return FALSE;
  pdev->carried.vmEstimate += reencode ? 3000 : 400;
  Remember(pdev, kPclTextState, name, height, 0, 0);
  return TRUE;
}

// The prefix of printer-font text: the symbol-set mapping of the charset, and
// for a font on the printer's disk the font id bound to its name there.
BOOL WritePrinterFontPrefix(PDEV* pdev, const DeviceFontEntry* printer) {
  if (!vectorout::LeaveHpgl(pdev)) return FALSE;
  const BYTE charset = printer->metrics->jWinCharSet;
  const unsigned mapping = charset == SHIFTJIS_CHARSET ? 31 : IsCjkCharset(charset) ? 38 : 1;
  if (!Formatted(pdev, "\x1b&t%uP", mapping)) return FALSE;
  if (printer->kind == kDeviceFontPrinterDisk) {
    const std::string id = std::to_string(printer->fontId);
    if (!Formatted(pdev, "\x1b*c%uD", static_cast<unsigned>(printer->fontId))) return FALSE;
    if (!Formatted(pdev, "%c%c%c%u%c%c%s", 27, '&', 'n', static_cast<unsigned>(id.size() + 1), 'W', 1, id.c_str()))
      return FALSE;
  }
  return TRUE;
}

// Typeface and symbol set of a PCL selection name "typeface,symbol set".
bool SplitPclName(const std::string& name, std::string* typeface, std::string* symbolSet) {
  const size_t comma = name.find(',');
  if (comma == std::string::npos || comma == 0 || comma + 1 >= name.size()) return false;
  *typeface = name.substr(0, comma);
  *symbolSet = name.substr(comma + 1);
  return true;
}

// HP-GL/2's number for a symbol set: "19U" is 19 x 32 + 'U' - 64.
int SymbolSetValue(const std::string& symbolSet) {
  const int number = std::atoi(symbolSet.c_str());
  const char letter = symbolSet.empty() ? '@' : symbolSet.back();
  return number * 32 + letter - 64;
}

// The average advance of the run's glyphs in whole pixels; 0 when the engine
// gives none.
LONG AverageAdvance(FONTOBJ* font, const GLYPHPOS* glyphs, ULONG count) {
  LONG sum = 0;
  for (ULONG i = 0; i < count; ++i) {
    HGLYPH glyph = glyphs[i].hg;
    GLYPHDATA* data = nullptr;
    if (FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &glyph, reinterpret_cast<PVOID*>(&data)) != 1 || !data) return 0;
    sum += (data->fxD + 8) >> 4;
  }
  return count ? (sum + static_cast<LONG>(count) / 2) / static_cast<LONG>(count) : 0;
}

// Characters per inch of a fixed-pitch printer font at the run's height: a
// bitmap font's from its average width (whole characters), a scalable font's
// from the TrueType run it prints (its mean advance) or from its width per em.
bool PitchOf(FONTOBJ* font, const IFIMETRICS* m, LONG height, int resolution, const GLYPHPOS* glyphs, ULONG count,
             float* pitch) {
  *pitch = 0;
  if (!(DeviceFontFlags(m) & kDeviceFontFlagScalable)) {
    if (m->fwdAveCharWidth > 0)
      *pitch = static_cast<float>(static_cast<int>(static_cast<float>(resolution) / m->fwdAveCharWidth + 0.5f));
    return true;
  }
  const IFIMETRICS* runMetrics = FONTOBJ_pifi(font);
  const bool trueTypeFixed =
      (font->flFontType & TRUETYPE_FONTTYPE) && runMetrics && (runMetrics->jWinPitchAndFamily & 0x03) == FIXED_PITCH;
  if (trueTypeFixed) {
    const LONG advance = AverageAdvance(font, glyphs, count);
    if (advance <= 0) return false;
    *pitch = static_cast<float>(resolution) / static_cast<float>(advance);
  } else if (m->fwdAveCharWidth > 0 && height > 0) {
    *pitch = static_cast<float>(resolution) * DeviceFontWidthPerEm(m) /
             (static_cast<float>(m->fwdAveCharWidth) * static_cast<float>(height));
  }
  return true;
}

struct PclStyle {
  LONG weight = kNormalWeight;  // kept in the state
  LONG style = 0;
  int strokeWeight = 0;  // written
};

PclStyle StyleOf(FONTOBJ* font, const DeviceFontEntry* printer) {
  const IFIMETRICS* runMetrics = FONTOBJ_pifi(font);
  const bool cjk = printer && IsCjkCharset(printer->metrics->jWinCharSet);
  const bool simBold = font->flFontType & FO_SIM_BOLD;
  const bool simItalic = font->flFontType & FO_SIM_ITALIC;
  const LONG italicBit = runMetrics && (runMetrics->fsSelection & FM_SEL_ITALIC) ? 1 : 0;
  PclStyle out;
  if (printer && cjk) {
    out.weight = simBold ? kBoldWeight : kNormalWeight;
  } else {
    out.weight = runMetrics ? runMetrics->usWinWeight : kNormalWeight;
  }
  const LONG slant = cjk ? (simItalic ? 1 : 0) : italicBit;
  out.style = printer && DeviceFontStyleVariant(printer->metrics) ? 4 + slant : slant;
  if (printer) out.strokeWeight = cjk ? (simBold ? 3 : 0) : PclStrokeWeight(printer->metrics->usWinWeight);
  return out;
}

BOOL SelectPclFont(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, GLYPHPOS* glyphs,
                   ULONG count, LONG height, BOOL hpgl, TextRunContext* run) {
  const DeviceFontEntry* printer = RunPrinterFont(pdev, font, *run);
  const bool downloaded = record && !run->printerFont;
  if (!downloaded && !printer) return FALSE;
  const int which = hpgl ? kHpglLabelState : kPclTextState;
  if (printer && (!hpgl || printer->kind == kDeviceFontHostSoft || printer->kind == kDeviceFontPrinterDisk)) {
    if (!WritePrinterFontPrefix(pdev, printer)) return FALSE;
  }
  const std::string name = downloaded ? DownloadName(record, page) : SelectionName(printer->metrics);
  const PclStyle style = StyleOf(font, printer);
  if (Current(pdev, which, name, height, style.weight, style.style)) return TRUE;

  const int resolution = TextResolution(pdev);
  const bool useId = downloaded || printer->kind == kDeviceFontHostSoft || printer->kind == kDeviceFontPrinterDisk;
  const unsigned id = downloaded ? SoftFontId(record, page) : printer->fontId;
  if (hpgl) {
    // Labels start where the PCL cursor is.
    if (!pdev->job.inHpgl) {
      if (!Text(pdev, "\x1b%1B")) return FALSE;
      pdev->job.inHpgl = 1;
    }
    if (useId) {
      if (!Formatted(pdev, "FI%dSS", static_cast<int>(id))) return FALSE;
    } else {
      std::string typeface, symbolSet;
      if (!SplitPclName(name, &typeface, &symbolSet)) return FALSE;
      const bool fixed = DeviceFontFlags(printer->metrics) & kDeviceFontFlagFixedPitch;
      if (fixed) {
        float pitch = 0;
        if (!PitchOf(font, printer->metrics, height, resolution, glyphs, count, &pitch)) return FALSE;
        if (!Formatted(pdev, "SD1,%d,2,0,3,%F,5,%d,6,%d,7,%s;SB0SS;", SymbolSetValue(symbolSet), &pitch,
                       static_cast<int>(style.style), style.strokeWeight, typeface.c_str()))
          return FALSE;
      } else if (!Formatted(pdev, "SD1,%d,2,1,4,%d,5,%d,6,%d,7,%s;SB0SS;", SymbolSetValue(symbolSet),
                            MulDiv(height, 72, resolution), static_cast<int>(style.style), style.strokeWeight,
                            typeface.c_str())) {
        return FALSE;
      }
    }
    Remember(pdev, which, name, height, style.weight, style.style);
    return TRUE;
  }

  if (downloaded) {
    if (!Text(pdev, "\x1b&t1P") || !Formatted(pdev, "\x1b(%uX", id)) return FALSE;
  } else if (useId) {
    if (!Formatted(pdev, "\x1b(%uX", id)) return FALSE;
  } else {
    std::string typeface, symbolSet;
    if (!SplitPclName(name, &typeface, &symbolSet)) return FALSE;
    const std::string face = FaceName(printer->metrics);
    if (!Text(pdev, !face.empty() && face[0] == '@' ? "\x1b&c-1T" : "\x1b&c0T")) return FALSE;
    const IFIMETRICS* m = printer->metrics;
    const bool fixed = DeviceFontFlags(m) & kDeviceFontFlagFixedPitch;
    const bool scalable = DeviceFontFlags(m) & kDeviceFontFlagScalable;
    const bool kanjiSet = symbolSet == "19K";
    if (kanjiSet) {
      if (!Formatted(pdev, "\x1b(%s\x1b(s1p", symbolSet.c_str())) return FALSE;
    } else if (!Formatted(pdev, "\x1b(%s\x1b(s%dp", symbolSet.c_str(), fixed ? 0 : 1)) {
      return FALSE;
    }
    const float points = static_cast<float>(height) * 72.0f / static_cast<float>(resolution);
    if (!fixed) {
      if (!Formatted(pdev, "%Fv", &points)) return FALSE;
    } else if (kanjiSet && scalable) {
      if (!Formatted(pdev, "%Fv", &points)) return FALSE;
    } else {
      float pitch = 0;
      if (!PitchOf(font, m, height, resolution, glyphs, count, &pitch)) return FALSE;
      const bool written = scalable ? Formatted(pdev, "%Fh", &pitch) != 0
                                    : Formatted(pdev, "%dh%Fv", static_cast<int>(pitch), &points) != 0;
      if (!written) return FALSE;
    }
    if (!Formatted(pdev, "%ds%db%sT", static_cast<int>(style.style), style.strokeWeight, typeface.c_str()))
      return FALSE;
  }
  Remember(pdev, which, name, height, style.weight, style.style);
  return TRUE;
}

}  // namespace

CompositeFontTable* CompositeFonts(PDEV* pdev, bool create) {
  auto** slot = reinterpret_cast<CompositeFontTable**>(&pdev->downloadedFonts[1]);
  if (!*slot && create) {
    auto* table = static_cast<CompositeFontTable*>(std::calloc(1, sizeof(CompositeFontTable)));
    if (!table) return nullptr;
    table->useCount = 1;
    *slot = table;
  }
  return *slot;
}

void FreeCompositeFonts(CompositeFontTable* table) {
  if (!table) return;
  std::free(table->rows);
  std::free(table->derived);
  std::free(table);
}

BOOL DefineCompositeFont(PDEV* pdev, const DeviceFontEntry* entry, const char* compositeName) {
  if (!pdev || !entry || !compositeName) return FALSE;
  const std::string postScriptName = SelectionName(entry->metrics);
  // The base name: the PostScript name up to its second "-".
  size_t cut = postScriptName.find('-');
  if (cut != std::string::npos) cut = postScriptName.find('-', cut + 1);
  std::string base = postScriptName.substr(0, cut);
  if (base.size() > 64) base.resize(64);
  const bool vertical = FaceName(entry->metrics).rfind('@', 0) == 0;
  const bool ms90 = DeviceFontStyleVariant(entry->metrics) == kCompositeStyleVariant90ms;
  const char* encoding = vertical ? (ms90 ? "/90ms-RKSJ-V mF_V_FE\n" : "/83pv-RKSJ-H mF_V_FE\n")
                                  : (ms90 ? "/90ms-RKSJ-H mF_FE\n" : "/83pv-RKSJ-H mF_FE\n");
  DownloadChannel channel(pdev);
  return channel.Ok() && Formatted(pdev, "/%s 0 /%s /%s ", compositeName, postScriptName.c_str(), base.c_str()) &&
         Text(pdev, encoding) && Formatted(pdev, "/%sB %s mFB\n", compositeName, compositeName) &&
         Formatted(pdev, "/%sI %s mFI\n", compositeName, compositeName) &&
         Formatted(pdev, "/%sX %sI mFB\n", compositeName, compositeName);
}

BOOL SelectDeviceFont(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, GLYPHPOS* glyphs,
                      ULONG count, BOOL hpgl, TextRunContext* run) {
  if (!pdev || !font || !run) return FALSE;
  LONG height = GetFontHeight(font);
  if (height < 1) height = 1;
  if (IsPostScriptJob(pdev)) return SelectPostScriptFont(pdev, font, record, page, height, run);
  return SelectPclFont(pdev, font, record, page, glyphs, count, height, hpgl, run);
}
