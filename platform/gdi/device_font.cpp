// The device's fonts: the faces its driver describes, their glyph sets, and the
// fonts realised on the device (device fonts and engine fonts alike).
#include "platform/gdi/device_font.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/base/codepage.h"
#include "platform/base/debug.h"

namespace platform::gdi {
namespace {

typedef void (*PFN_DrvFree)(PVOID pv, ULONG_PTR id);
typedef void (*PFN_DrvDestroyFont)(FONTOBJ* pfo);

// More faces than any printer has: a count beyond it is the driver's mistake.
constexpr ULONG kMaxDeviceFaces = 4096;
// Realisations kept per device before the least recently used one goes.
constexpr size_t kMaxRealizations = 32;
// Glyph bitmaps larger than this are a driver's mistake, not a glyph.
constexpr LONG kMaxGlyphBitmapBytes = 16 << 20;

void Trace(const std::string& line) { OutputDebugStringA(AnsiFromUtf8("gdi: " + line).c_str()); }

// What the engine calls on the driver for its fonts.
struct FontFunctions {
  DHPDEV dhpdev = nullptr;
  PFN_DrvQueryFont queryFont = nullptr;
  PFN_DrvQueryFontTree queryFontTree = nullptr;
  PFN_DrvQueryFontData queryFontData = nullptr;
  PFN_DrvQueryAdvanceWidths queryAdvanceWidths = nullptr;
  PFN_DrvFree free = nullptr;
  PFN_DrvDestroyFont destroyFont = nullptr;
};

// A face's glyph set, copied out of the driver's FD_GLYPHSET.
struct GlyphMap {
  std::unordered_map<char16_t, HGLYPH> byChar;
  std::vector<HGLYPH> handles;  // every handle once, in order
  HGLYPH fallback = 0;          // for characters the set lacks
};

struct DeviceFace {
  DeviceFaceInfo info;
  ULONG_PTR metricsId = 0;
  bool glyphSetAsked = false;
  FD_GLYPHSET* glyphSet = nullptr;  // the driver's, handed back with DrvFree
  ULONG_PTR glyphSetId = 0;
  std::shared_ptr<const GlyphMap> glyphs;  // null: the face has no usable set
};

struct Realization {
  std::vector<unsigned char> key;
  std::unique_ptr<Font> font;
};

struct DeviceFonts {
  FontFunctions fn;
  std::vector<DeviceFace> faces;
  std::list<Realization> realizations;  // most recently used first
};

std::mutex tablesMutex;
std::map<HDEV, std::shared_ptr<DeviceFonts>>& Tables() {
  static std::map<HDEV, std::shared_ptr<DeviceFonts>> tables;
  return tables;
}

std::shared_ptr<DeviceFonts> TableOf(HDEV hdev) {
  std::lock_guard lock(tablesMutex);
  auto it = Tables().find(hdev);
  return it != Tables().end() ? it->second : nullptr;
}

// A zero-ended UTF-16 string inside the driver's block, or nothing when the
// offset or the string leaves the block.
bool ReadName(const IFIMETRICS* ifi, PTRDIFF offset, std::u16string* name) {
  if (offset <= 0 || static_cast<ULONG>(offset) >= ifi->cjThis) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(ifi);
  name->clear();
  for (ULONG at = static_cast<ULONG>(offset); at + 1 < ifi->cjThis; at += 2) {
    char16_t c;
    std::memcpy(&c, bytes + at, sizeof c);
    if (c == 0) return true;
    name->push_back(c);
  }
  return false;
}

// The family name, and with FM_INFO_FAMILY_EQUIV the equivalents that follow it
// (each ended by a zero, the list by one more), all inside the block.
bool ReadFamilies(const IFIMETRICS* ifi, std::vector<std::u16string>* families) {
  std::u16string name;
  if (!ReadName(ifi, ifi->dpwszFamilyName, &name) || name.empty()) return false;
  PTRDIFF at = ifi->dpwszFamilyName + static_cast<PTRDIFF>((name.size() + 1) * 2);
  families->push_back(name);
  if (!(ifi->flInfo & FM_INFO_FAMILY_EQUIV)) return true;
  while (ReadName(ifi, at, &name) && !name.empty()) {
    families->push_back(name);
    at += static_cast<PTRDIFF>((name.size() + 1) * 2);
  }
  return true;
}

// The face's metrics block, if the driver gave a sound one.
bool DescribeFace(IFIMETRICS* ifi, ULONG iFace, DeviceFaceInfo* info) {
  if (ifi == nullptr || ifi->cjThis < sizeof(IFIMETRICS) || ifi->fwdUnitsPerEm <= 0) return false;
  info->iFace = iFace;
  info->metrics = ifi;
  if (!ReadFamilies(ifi, &info->families)) return false;
  if (!ReadName(ifi, ifi->dpwszFaceName, &info->faceName)) info->faceName = info->families.front();
  if (!ReadName(ifi, ifi->dpwszStyleName, &info->styleName)) info->styleName.clear();
  return true;
}

std::shared_ptr<const GlyphMap> CopyGlyphSet(const FD_GLYPHSET* set, const IFIMETRICS* ifi) {
  if (set == nullptr || set->cRuns == 0 || set->cRuns > 0x10000) return nullptr;
  auto map = std::make_shared<GlyphMap>();
  const bool unicodeHandles = (set->flAccel & GS_UNICODE_HANDLES) != 0;
  for (ULONG r = 0; r < set->cRuns; ++r) {
    const WCRUN& run = *(set->awcrun + r);
    if (run.cGlyphs == 0 || static_cast<ULONG>(run.wcLow) + run.cGlyphs > 0x10000) continue;  // a bad run
    if (run.phg == nullptr && !unicodeHandles) continue;
    for (ULONG i = 0; i < run.cGlyphs; ++i) {
      const char16_t c = static_cast<char16_t>(run.wcLow + i);
      const HGLYPH hg = run.phg != nullptr ? run.phg[i] : static_cast<HGLYPH>(c);
      if (map->byChar.emplace(c, hg).second) map->handles.push_back(hg);
    }
  }
  if (map->byChar.empty()) return nullptr;
  std::sort(map->handles.begin(), map->handles.end());
  map->handles.erase(std::unique(map->handles.begin(), map->handles.end()), map->handles.end());
  auto known = [&](char16_t c, HGLYPH* hg) {
    auto it = map->byChar.find(c);
    if (it == map->byChar.end()) return false;
    *hg = it->second;
    return true;
  };
  if (!known(ifi->wcDefaultChar, &map->fallback) && !known(ifi->wcBreakChar, &map->fallback) &&
      !known(u' ', &map->fallback))
    map->fallback = map->handles.front();
  return map;
}

// The face's glyph set, asked of the driver the first time (with its kerning
// pairs, which the engine does not use).
const GlyphMap* LoadGlyphs(DeviceFonts& table, DeviceFace& face) {
  if (!face.glyphSetAsked) {
    face.glyphSetAsked = true;
    if (table.fn.queryFontTree != nullptr) {
      face.glyphSet = static_cast<FD_GLYPHSET*>(
          table.fn.queryFontTree(table.fn.dhpdev, 0, face.info.iFace, QFT_GLYPHSET, &face.glyphSetId));
      face.glyphs = CopyGlyphSet(face.glyphSet, face.info.metrics);
      ULONG_PTR kernId = 0;
      PVOID kerning = table.fn.queryFontTree(table.fn.dhpdev, 0, face.info.iFace, QFT_KERNPAIRS, &kernId);
      if (kerning != nullptr && table.fn.free != nullptr) table.fn.free(kerning, kernId);
    }
    if (!face.glyphs)
      Trace("device font " + std::to_string(face.info.iFace) + " has no usable glyph set; outline fonts stand in");
  }
  return face.glyphs.get();
}

// A device font's glyphs through its driver.
class DriverGlyphSource : public DeviceGlyphSource {
 public:
  DriverGlyphSource(const FontFunctions& fn, std::shared_ptr<const GlyphMap> glyphs, const IFIMETRICS* metrics)
      : fn_(fn), glyphs_(std::move(glyphs)), metrics_(metrics) {}

  HGLYPH GlyphForChar(char32_t ch) override {
    if (ch > 0xFFFF) return glyphs_->fallback;
    auto it = glyphs_->byChar.find(static_cast<char16_t>(ch));
    return it != glyphs_->byChar.end() ? it->second : glyphs_->fallback;
  }

  std::vector<HGLYPH> AllGlyphHandles() override { return glyphs_->handles; }

  std::vector<FIX> Advances(FONTOBJ* font, const std::vector<HGLYPH>& handles) override {
    std::vector<FIX> out(handles.size(), -1);
    if (handles.empty()) return out;
    const Font* engineFont = static_cast<const Font*>(font);
    const XFORML& m = engineFont->Transform()->matrix();
    const double xScale = std::hypot(m.eM11, m.eM12);
    // The widths come back in 12.4: the call is only made for a font whose
    // widest glyph fits.
    if (fn_.queryAdvanceWidths != nullptr && metrics_->fwdMaxCharInc * xScale < 4095.0) {
      std::vector<HGLYPH> asked(handles);
      std::vector<USHORT> widths(handles.size(), 0xFFFF);
      const BOOL answered = fn_.queryAdvanceWidths(fn_.dhpdev, font, QAW_GETWIDTHS, asked.data(), widths.data(),
                                                   static_cast<ULONG>(asked.size()));
      if (answered != FALSE && static_cast<ULONG>(answered) != DDI_ERROR) {
        for (size_t i = 0; i < widths.size(); ++i)
          if (widths[i] != 0xFFFF) out[i] = static_cast<FIX>(widths[i]);
      }
    }
    for (size_t i = 0; i < handles.size(); ++i) {
      if (out[i] >= 0) continue;
      if (fn_.queryFontData != nullptr) {
        GLYPHDATA gd{};
        const LONG size = fn_.queryFontData(fn_.dhpdev, font, QFD_GLYPHANDBITMAP, handles[i], &gd, nullptr, 0);
        if (static_cast<ULONG>(size) != FD_ERROR && gd.fxD >= 0) {
          out[i] = gd.fxD;
          continue;
        }
      }
      // The driver gives no width: the face's average one keeps the run readable.
      out[i] = static_cast<FIX>(std::lround(std::max<FWORD>(metrics_->fwdAveCharWidth, 0) * xScale * 16.0));
    }
    return out;
  }

  bool Bitmap(FONTOBJ* font, HGLYPH hg, std::vector<unsigned char>* bits) override {
    bits->clear();
    if (fn_.queryFontData == nullptr) return false;
    GLYPHDATA gd{};
    const LONG size = fn_.queryFontData(fn_.dhpdev, font, QFD_GLYPHANDBITMAP, hg, &gd, nullptr, 0);
    if (static_cast<ULONG>(size) == FD_ERROR) return false;
    if (size <= 0) return true;  // no ink
    if (size < static_cast<LONG>(offsetof(GLYPHBITS, aj)) || size > kMaxGlyphBitmapBytes) return false;
    std::vector<unsigned char> block(static_cast<size_t>(size), 0);
    if (static_cast<ULONG>(fn_.queryFontData(fn_.dhpdev, font, QFD_GLYPHANDBITMAP, hg, &gd, block.data(),
                                             static_cast<ULONG>(size))) == FD_ERROR)
      return false;
    GLYPHBITS header;
    std::memcpy(&header, block.data(), offsetof(GLYPHBITS, aj));
    const LONG cx = header.sizlBitmap.cx, cy = header.sizlBitmap.cy;
    if (cx <= 0 || cy <= 0 || cx > 0xFFFF || cy > 0xFFFF) return false;
    const size_t needed = offsetof(GLYPHBITS, aj) + static_cast<size_t>((cx + 7) / 8) * static_cast<size_t>(cy);
    if (needed > block.size()) return false;  // the bitmap would run past what the driver filled
    block.resize(std::max(needed, sizeof(GLYPHBITS)));
    *bits = std::move(block);
    return true;
  }

 private:
  FontFunctions fn_;
  std::shared_ptr<const GlyphMap> glyphs_;
  const IFIMETRICS* metrics_;
};

bool IsDbcsCharset(BYTE charset) {
  return charset == SHIFTJIS_CHARSET || charset == HANGUL_CHARSET || charset == JOHAB_CHARSET ||
         charset == GB2312_CHARSET || charset == CHINESEBIG5_CHARSET;
}

// Whether the driver offers a simulation (a FONTSIM entry) of the given kind.
bool OffersSimulation(const IFIMETRICS* ifi, bool bold) {
  if (ifi->dpFontSim <= 0 || static_cast<ULONG>(ifi->dpFontSim) + sizeof(FONTSIM) > ifi->cjThis) return false;
  FONTSIM sim;
  std::memcpy(&sim, reinterpret_cast<const unsigned char*>(ifi) + ifi->dpFontSim, sizeof sim);
  return (bold ? sim.dpBold : sim.dpItalic) != 0;
}

XFORML Multiply(const XFORML& a, const XFORML& b) {  // row vectors: v * a * b
  // clang-format off
  return XFORML{a.eM11 * b.eM11 + a.eM12 * b.eM21, a.eM11 * b.eM12 + a.eM12 * b.eM22,
                a.eM21 * b.eM11 + a.eM22 * b.eM21, a.eM21 * b.eM12 + a.eM22 * b.eM22, 0, 0};
  // clang-format on
}

std::unique_ptr<Font> RealizeDeviceFont(const DeviceFonts& table, const DeviceFace& face, const LOGFONTW& lf,
                                        const XFORML& toDevice, SIZE dpi) {
  const IFIMETRICS& ifi = *face.info.metrics;
  const double upem = ifi.fwdUnitsPerEm;
  double em = 12.0;
  if (lf.lfHeight < 0) {
    em = -static_cast<double>(lf.lfHeight);
  } else if (lf.lfHeight > 0) {
    const double cell = static_cast<double>(ifi.fwdWinAscender) + ifi.fwdWinDescender;
    em = lf.lfHeight * upem / (cell > 0 ? cell : upem);
  }
  const double sy = em / upem;
  const double sx =
      lf.lfWidth > 0 && ifi.fwdAveCharWidth > 0 ? static_cast<double>(lf.lfWidth) / ifi.fwdAveCharWidth : sy;
  const double angle = lf.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  // clang-format off
  const XFORML notional{static_cast<FLOATL>(sx * c), static_cast<FLOATL>(-sx * s), static_cast<FLOATL>(sy * s),
                        static_cast<FLOATL>(sy * c), 0, 0};
  // clang-format on
  auto source = std::make_shared<DriverGlyphSource>(table.fn, face.glyphs, face.info.metrics);
  std::unique_ptr<Font> font =
      Font::Device(face.info.iFace, face.info.metrics, Multiply(notional, toDevice), std::move(source), dpi);
  if (IsDbcsCharset(ifi.jWinCharSet)) font->flFontType |= FO_DBCS_FONT;
  if (lf.lfWeight >= 600 && ifi.usWinWeight < 600 && OffersSimulation(&ifi, true)) font->flFontType |= FO_SIM_BOLD;
  if (lf.lfItalic && !(ifi.fsSelection & FM_SEL_ITALIC) && OffersSimulation(&ifi, false))
    font->flFontType |= FO_SIM_ITALIC;
  return font;
}

// What identifies a realisation: the request (its face name up to the end) and
// the transform.
std::vector<unsigned char> RealizationKey(const LOGFONTW& lf, const XFORML& toDevice, SIZE dpi) {
  LOGFONTW clean = lf;
  const size_t length = std::find(clean.lfFaceName, clean.lfFaceName + 32, u'\0') - clean.lfFaceName;
  std::fill(clean.lfFaceName + std::min<size_t>(length, 32), clean.lfFaceName + 32, u'\0');
  const float matrix[4] = {toDevice.eM11, toDevice.eM12, toDevice.eM21, toDevice.eM22};
  std::vector<unsigned char> key(sizeof clean + sizeof matrix + sizeof dpi);
  unsigned char* at = key.data();
  std::memcpy(at, &clean, sizeof clean);
  std::memcpy(at += sizeof clean, matrix, sizeof matrix);
  std::memcpy(at + sizeof matrix, &dpi, sizeof dpi);
  return key;
}

void Destroy(const DeviceFonts& table, Realization& realization) {
  if (table.fn.destroyFont != nullptr && realization.font) table.fn.destroyFont(realization.font.get());
  realization.font.reset();
}

}  // namespace

void EnumerateDeviceFonts(const GraphicsDriver& driver, const Pdev& pdev) {
  auto table = std::make_shared<DeviceFonts>();
  table->fn.dhpdev = pdev.dhpdev;
  table->fn.queryFont = driver.Get<PFN_DrvQueryFont>(INDEX_DrvQueryFont);
  table->fn.queryFontTree = driver.Get<PFN_DrvQueryFontTree>(INDEX_DrvQueryFontTree);
  table->fn.queryFontData = driver.Get<PFN_DrvQueryFontData>(INDEX_DrvQueryFontData);
  table->fn.queryAdvanceWidths = driver.Get<PFN_DrvQueryAdvanceWidths>(INDEX_DrvQueryAdvanceWidths);
  table->fn.free = driver.Get<PFN_DrvFree>(INDEX_DrvFree);
  table->fn.destroyFont = driver.Get<PFN_DrvDestroyFont>(INDEX_DrvDestroyFont);

  ULONG count = pdev.devInfo.cFonts;
  if (table->fn.queryFont != nullptr && count == 0xFFFFFFFFu) {
    // -1: the driver tells the count when asked for face 0.
    ULONG_PTR id = 0;
    count = static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(table->fn.queryFont(pdev.dhpdev, 0, 0, &id)));
  }
  if (table->fn.queryFont == nullptr) count = 0;
  if (count > kMaxDeviceFaces) {
    Trace("the driver announces " + std::to_string(count) + " device fonts; the first " +
          std::to_string(kMaxDeviceFaces) + " are asked for");
    count = kMaxDeviceFaces;
  }
  for (ULONG iFace = 1; iFace <= count; ++iFace) {
    DeviceFace face;
    IFIMETRICS* ifi = table->fn.queryFont(pdev.dhpdev, 0, iFace, &face.metricsId);
    if (!DescribeFace(ifi, iFace, &face.info)) {
      Trace("device font " + std::to_string(iFace) + " is left out: the driver gave no sound metrics");
      if (ifi != nullptr && table->fn.free != nullptr) table->fn.free(ifi, face.metricsId);
      continue;
    }
    table->faces.push_back(std::move(face));
  }
  std::lock_guard lock(tablesMutex);
  Tables()[pdev.hdev] = std::move(table);
}

void ReleaseDeviceFonts(const GraphicsDriver&, const Pdev& pdev) {
  std::shared_ptr<DeviceFonts> table;
  {
    std::lock_guard lock(tablesMutex);
    auto it = Tables().find(pdev.hdev);
    if (it == Tables().end()) return;
    table = std::move(it->second);
    Tables().erase(it);
  }
  for (Realization& realization : table->realizations) Destroy(*table, realization);
  table->realizations.clear();
  if (table->fn.free == nullptr) return;
  for (DeviceFace& face : table->faces) {
    if (face.glyphSet != nullptr) table->fn.free(face.glyphSet, face.glyphSetId);
    table->fn.free(face.info.metrics, face.metricsId);
  }
}

std::vector<DeviceFaceInfo> DeviceFaces(HDEV hdev) {
  std::vector<DeviceFaceInfo> out;
  if (auto table = TableOf(hdev))
    for (const DeviceFace& face : table->faces) out.push_back(face.info);
  return out;
}

ULONG MatchDeviceFace(HDEV hdev, const LOGFONTW& lf) {
  auto table = TableOf(hdev);
  if (!table || table->faces.empty() || lf.lfOutPrecision == OUT_TT_ONLY_PRECIS) return 0;
  const std::u16string name(lf.lfFaceName, std::find(lf.lfFaceName, lf.lfFaceName + 32, u'\0'));
  const bool devicePreferred = lf.lfOutPrecision == OUT_DEVICE_PRECIS;
  if (!name.empty()) {
    const DeviceFace* primary = nullptr;
    const DeviceFace* equivalent = nullptr;
    for (const DeviceFace& face : table->faces) {
      if (!primary && (EqualsNoCase(name, face.info.families.front()) || EqualsNoCase(name, face.info.faceName)))
        primary = &face;
      for (size_t i = 1; !equivalent && i < face.info.families.size(); ++i)
        if (EqualsNoCase(name, face.info.families[i])) equivalent = &face;
    }
    if (primary != nullptr) {
      if (lf.lfOutPrecision == OUT_TT_PRECIS && HostFaceExists(name)) return 0;
      return primary->info.iFace;
    }
    if (equivalent != nullptr && (devicePreferred || !HostFaceExists(name))) return equivalent->info.iFace;
  }
  return 0;
}

Font* RealizeFont(const DeviceContext& dc, const LOGFONTW& lf, const XFORML& toDevice) {
  const SIZE dpi{static_cast<LONG>(dc.pdev.gdiInfo.ulLogPixelsX), static_cast<LONG>(dc.pdev.gdiInfo.ulLogPixelsY)};
  auto table = TableOf(dc.pdev.hdev);
  if (!table) {
    // A device the engine never enumerated (no table): outline fonts only.
    std::lock_guard lock(tablesMutex);
    table = Tables()[dc.pdev.hdev] = std::make_shared<DeviceFonts>();
  }
  // The same request maps to the same face while the device lives: a kept
  // realisation answers it without asking the mapper again.
  const std::vector<unsigned char> key = RealizationKey(lf, toDevice, dpi);
  for (auto it = table->realizations.begin(); it != table->realizations.end(); ++it) {
    if (it->key != key) continue;
    table->realizations.splice(table->realizations.begin(), table->realizations, it);
    return table->realizations.front().font.get();
  }
  const ULONG iFace = MatchDeviceFace(dc.pdev.hdev, lf);
  DeviceFace* face = nullptr;
  if (iFace != 0) {
    auto it = std::find_if(table->faces.begin(), table->faces.end(),
                           [&](const DeviceFace& f) { return f.info.iFace == iFace; });
    if (it != table->faces.end() && LoadGlyphs(*table, *it) != nullptr) face = &*it;
  }
  std::unique_ptr<Font> font =
      face != nullptr ? RealizeDeviceFont(*table, *face, lf, toDevice, dpi) : Font::Open(lf, &toDevice, dpi);
  if (!font) return nullptr;
  if (table->realizations.size() >= kMaxRealizations) {
    Destroy(*table, table->realizations.back());
    table->realizations.pop_back();
  }
  table->realizations.push_front(Realization{key, std::move(font)});
  return table->realizations.front().font.get();
}

}  // namespace platform::gdi
