// Engine fonts from the host's faces: fontconfig finds the face, FreeType gives
// metrics, outlines and bitmaps.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_FONT_FORMATS_H

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "platform/base/codepage.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/live_objects.h"

namespace platform::gdi {

namespace {

// FreeType's library object is not thread-safe: every face operation of every
// font goes through this lock.
std::mutex& FreeTypeMutex() {
  static std::mutex m;
  return m;
}

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    return l;
  }();
  return library;
}

std::atomic<ULONG> nextFontUniq{1};

bool Contains(const std::u16string& text, std::u16string_view part) { return text.find(part) != std::u16string::npos; }

// Windows faces whose names carry their meaning, mapped to the host's faces of
// that kind; other names go to fontconfig as they are (its metric aliases give
// the compatible faces for Arial, Times New Roman, Courier New).
std::string HostFamily(const std::u16string& family, bool* japanese) {
  const std::u16string folded = FoldCase(family);
  const bool gothic = Contains(family, u"ゴシック") || Contains(folded, u"gothic");
  const bool mincho = Contains(family, u"明朝") || Contains(folded, u"mincho");
  const bool proportional = Contains(family, u"Ｐ") || Contains(folded, u"pgothic") || Contains(folded, u"pmincho") ||
                            Contains(folded, u"ms p");
  *japanese = gothic || mincho;
  if (gothic) return proportional ? "IPAPGothic" : "IPAGothic";
  if (mincho) return proportional ? "IPAPMincho" : "IPAMincho";
  return Utf8FromUtf16(family);
}

// A table of values by 16-bit key that readers search without a lock: a page
// of 256 values is made once and published atomically, and each value is
// stored atomically. What a job asks for millions of times (the glyph of a
// character, a glyph's data) is answered here rather than under the FreeType
// lock or by a walk down a tree.
template <class Value, Value kEmpty>
class PagedTable {
 public:
  ~PagedTable() {
    for (auto& page : pages_) delete page.load(std::memory_order_relaxed);
  }

  // The stored value, or kEmpty (also for keys beyond 16 bits).
  Value Find(uint32_t key) const {
    if (key >= 0x10000) return kEmpty;
    const Page* page = pages_[key >> 8].load(std::memory_order_acquire);
    return page != nullptr ? page->values[key & 0xFF].load(std::memory_order_acquire) : kEmpty;
  }

  void Store(uint32_t key, Value value) {
    if (key >= 0x10000) return;
    std::atomic<Page*>& slot = pages_[key >> 8];
    Page* page = slot.load(std::memory_order_acquire);
    if (page == nullptr) {
      auto* fresh = new Page;
      if (slot.compare_exchange_strong(page, fresh, std::memory_order_acq_rel)) {
        page = fresh;
      } else {
        delete fresh;  // another thread made it first; `page` now holds its page
      }
    }
    page->values[key & 0xFF].store(value, std::memory_order_release);
  }

 private:
  struct Page {
    Page() {
      for (auto& v : values) v.store(kEmpty, std::memory_order_relaxed);
    }
    std::atomic<Value> values[256];
  };
  std::atomic<Page*> pages_[256] = {};
};

// Glyph handles of a face by character, filled as characters are first asked for.
constexpr uint32_t kUnknownGlyph = 0xFFFFFFFFu;
using CharGlyphCache = PagedTable<uint32_t, kUnknownGlyph>;

struct GlyphEntry {
  GLYPHDATA data{};
  std::vector<unsigned char> bits;  // a GLYPHBITS block
  std::unique_ptr<Path> path;
};

// An engine font's loaded glyphs by handle, one table per mode.
using GlyphTable = PagedTable<GlyphEntry*, nullptr>;

LONG RoundToLong(double v) { return static_cast<LONG>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)); }

XFORML Multiply(const XFORML& a, const XFORML& b) {  // row vectors: v * a * b
  // clang-format off
  return XFORML{a.eM11 * b.eM11 + a.eM12 * b.eM21, a.eM11 * b.eM12 + a.eM12 * b.eM22,
                a.eM21 * b.eM11 + a.eM22 * b.eM21, a.eM21 * b.eM12 + a.eM22 * b.eM22, 0, 0};
  // clang-format on
}

}  // namespace

namespace {

void EnsureFontconfig() {
  static std::once_flag init;
  std::call_once(init, [] {
    FcInit();
    // Faces keep only their file path, so fontconfig's state can go at exit.
    std::atexit(FcFini);
  });
}

// The host's outline families, each by its first (own) family name.
std::vector<std::string> ListHostFamilies(const std::string& only) {
  EnsureFontconfig();
  FcPattern* pattern = FcPatternCreate();
  if (!only.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(only.c_str()));
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::vector<std::string> families;
  if (set != nullptr) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* name = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch && name != nullptr)
        families.emplace_back(reinterpret_cast<const char*>(name));
    }
    FcFontSetDestroy(set);
  }
  return families;
}

// Windows faces that have a metric-compatible stand-in here and go by their
// Windows names.
constexpr const char16_t* kWindowsFaces[] = {u"Arial",           u"Times New Roman", u"Courier New", u"ＭＳ ゴシック",
                                             u"ＭＳ Ｐゴシック", u"ＭＳ 明朝",       u"ＭＳ Ｐ明朝"};

}  // namespace

bool HostFaceExists(const std::u16string& family) {
  if (family.empty()) return false;
  bool japanese = false;
  const std::string host = HostFamily(family, &japanese);
  if (japanese) return !ListHostFamilies(host).empty();
  for (const char16_t* face : kWindowsFaces)
    if (EqualsNoCase(family, face)) return !MatchFaceFile(family, false, false).empty();
  return !ListHostFamilies(host).empty();
}

std::vector<std::u16string> HostFontFamilies() {
  std::vector<std::u16string> out;
  auto known = [&](const std::u16string& name) {
    return std::any_of(out.begin(), out.end(), [&](const std::u16string& n) { return EqualsNoCase(n, name); });
  };
  for (const char16_t* face : kWindowsFaces)
    if (HostFaceExists(face)) out.emplace_back(face);
  std::vector<std::string> host = ListHostFamilies("");
  std::sort(host.begin(), host.end());
  for (const std::string& name : host) {
    std::u16string wide = Utf16FromUtf8(name);
    if (!wide.empty() && !known(wide)) out.push_back(std::move(wide));
  }
  return out;
}

std::string MatchFaceFile(const std::u16string& family, bool bold, bool italic, int* faceIndex) {
  bool japanese = false;  // the IPA family names select Japanese faces by themselves
  const std::string host = HostFamily(family, &japanese);
  EnsureFontconfig();
  FcPattern* pattern = FcPatternCreate();
  if (!host.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(host.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  std::string file;
  if (match != nullptr) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<const char*>(path);
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (faceIndex != nullptr) *faceIndex = index;
    FcPatternDestroy(match);
  }
  return file;
}

struct Font::Impl {
  Font* owner = nullptr;
  FT_Face face = nullptr;
  std::shared_ptr<DeviceGlyphSource> device;  // a device font's glyphs
  std::map<HGLYPH, FIX> deviceAdvances;       // asked of the driver, -1 when it gave none
  std::string file;
  bool cff = false;
  XFORML matrix{};  // notional (design units, y down) -> device pixels
  std::unique_ptr<Xform> xform;
  std::vector<unsigned char> ifi;                                          // our IFIMETRICS block with its names
  IFIMETRICS* metrics = nullptr;                                           // ifi's, or the driver's for a device font
  std::map<std::pair<HGLYPH, ULONG>, std::unique_ptr<GlyphEntry>> glyphs;  // owns every entry
  GlyphTable loaded[FO_PATHOBJ + 1];  // an engine font's entries, found without a lock
  CharGlyphCache charGlyphs;

  ~Impl() {
    if (face != nullptr) {
      std::lock_guard lock(FreeTypeMutex());
      FT_Done_Face(face);
    }
  }

  void BuildMetrics(const std::u16string& family, bool japanese);
  GlyphEntry* Load(HGLYPH hg, ULONG mode);
  GlyphEntry* LoadDevice(HGLYPH hg, ULONG mode);
};

void Font::Impl::BuildMetrics(const std::u16string& family, bool japanese) {
  const std::u16string style = Utf16FromUtf8(face->style_name != nullptr ? face->style_name : "Regular");
  const std::u16string faceName = style == u"Regular" || style == u"Book" ? family : family + u" " + style;
  const size_t namesAt = sizeof(IFIMETRICS);
  const size_t familyAt = namesAt, styleAt = familyAt + (family.size() + 1) * 2,
               faceAt = styleAt + (style.size() + 1) * 2, uniqueAt = faceAt + (faceName.size() + 1) * 2;
  const size_t total = (uniqueAt + (faceName.size() + 1) * 2 + 3) & ~size_t{3};
  ifi.assign(total, 0);
  auto put = [&](size_t at, const std::u16string& s) { std::memcpy(ifi.data() + at, s.c_str(), (s.size() + 1) * 2); };
  put(familyAt, family);
  put(styleAt, style);
  put(faceAt, faceName);
  put(uniqueAt, faceName);

  IFIMETRICS m{};
  m.cjThis = static_cast<ULONG>(total);
  m.dpwszFamilyName = static_cast<PTRDIFF>(familyAt);
  m.dpwszStyleName = static_cast<PTRDIFF>(styleAt);
  m.dpwszFaceName = static_cast<PTRDIFF>(faceAt);
  m.dpwszUniqueName = static_cast<PTRDIFF>(uniqueAt);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const bool fixed = FT_IS_FIXED_WIDTH(face);
  m.jWinCharSet = japanese ? SHIFTJIS_CHARSET : ANSI_CHARSET;
  m.jWinPitchAndFamily = static_cast<BYTE>((fixed ? FIXED_PITCH : VARIABLE_PITCH) | (fixed ? FF_MODERN : FF_DONTCARE));
  m.usWinWeight =
      os2 != nullptr ? os2->usWeightClass : ((face->style_flags & FT_STYLE_FLAG_BOLD) ? FW_BOLD : FW_NORMAL);
  m.flInfo = FM_INFO_ARB_XFORMS | FM_INFO_1BPP | FM_INFO_RETURNS_OUTLINES | FM_INFO_RETURNS_BITMAPS |
             FM_INFO_RIGHT_HANDED |
             (cff ? (FM_INFO_TECH_OUTLINE_NOT_TRUETYPE | FM_INFO_TECH_CFF) : FM_INFO_TECH_TRUETYPE) |
             (fixed ? FM_INFO_CONSTANT_WIDTH : 0) | (japanese && fixed ? FM_INFO_DBCS_FIXED_PITCH : 0);
  m.fsSelection = static_cast<USHORT>(((face->style_flags & FT_STYLE_FLAG_ITALIC) ? FM_SEL_ITALIC : 0) |
                                      ((face->style_flags & FT_STYLE_FLAG_BOLD) ? FM_SEL_BOLD : 0));
  if (m.fsSelection == 0) m.fsSelection = FM_SEL_REGULAR;
  m.fsType = os2 != nullptr ? os2->fsType : 0;
  m.fwdUnitsPerEm = static_cast<FWORD>(face->units_per_EM);
  m.fwdWinAscender = static_cast<FWORD>(os2 != nullptr ? os2->usWinAscent : face->ascender);
  m.fwdWinDescender = static_cast<FWORD>(os2 != nullptr ? os2->usWinDescent : -face->descender);
  m.fwdMacAscender = static_cast<FWORD>(face->ascender);
  m.fwdMacDescender = static_cast<FWORD>(face->descender);
  m.fwdMacLineGap = static_cast<FWORD>(face->height - face->ascender + face->descender);
  m.fwdTypoAscender = static_cast<FWORD>(os2 != nullptr ? os2->sTypoAscender : face->ascender);
  m.fwdTypoDescender = static_cast<FWORD>(os2 != nullptr ? os2->sTypoDescender : face->descender);
  m.fwdTypoLineGap = static_cast<FWORD>(os2 != nullptr ? os2->sTypoLineGap : 0);
  m.fwdAveCharWidth =
      static_cast<FWORD>(os2 != nullptr && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : face->max_advance_width / 2);
  m.fwdMaxCharInc = static_cast<FWORD>(face->max_advance_width);
  m.fwdCapHeight = static_cast<FWORD>(os2 != nullptr && os2->version >= 2 ? os2->sCapHeight : face->ascender);
  m.fwdXHeight = static_cast<FWORD>(os2 != nullptr && os2->version >= 2 ? os2->sxHeight : face->ascender / 2);
  if (os2 != nullptr) {
    m.fwdSubscriptXSize = os2->ySubscriptXSize;
    m.fwdSubscriptYSize = os2->ySubscriptYSize;
    m.fwdSubscriptXOffset = os2->ySubscriptXOffset;
    m.fwdSubscriptYOffset = os2->ySubscriptYOffset;
    m.fwdSuperscriptXSize = os2->ySuperscriptXSize;
    m.fwdSuperscriptYSize = os2->ySuperscriptYSize;
    m.fwdSuperscriptXOffset = os2->ySuperscriptXOffset;
    m.fwdSuperscriptYOffset = os2->ySuperscriptYOffset;
    m.fwdStrikeoutSize = os2->yStrikeoutSize;
    m.fwdStrikeoutPosition = os2->yStrikeoutPosition;
    std::memcpy(m.achVendId, os2->achVendID, 4);
    std::memcpy(&m.panose, os2->panose, sizeof(m.panose));
  }
  m.fwdUnderscoreSize = static_cast<FWORD>(face->underline_thickness);
  m.fwdUnderscorePosition = static_cast<FWORD>(face->underline_position);
  FT_UInt index = 0;
  const FT_ULong first = FT_Get_First_Char(face, &index);
  FT_ULong last = first;
  for (FT_ULong c = first; index != 0; c = FT_Get_Next_Char(face, c, &index))
    if (c <= 0xFFFF) last = c;
  m.wcFirstChar = static_cast<WCHAR>(std::min<FT_ULong>(first, 0xFFFF));
  m.wcLastChar = static_cast<WCHAR>(last);
  m.wcDefaultChar = FT_Get_Char_Index(face, 0x30FB) != 0 && japanese ? u'\u30FB' : u'?';
  m.wcBreakChar = u' ';
  m.chFirstChar = static_cast<BYTE>(std::min<FT_ULong>(first, 0xFF));
  m.chLastChar = static_cast<BYTE>(std::min<FT_ULong>(last, 0xFF));
  m.chDefaultChar = '?';
  m.chBreakChar = ' ';
  m.ptlBaseline = POINTL{1, 0};
  m.ptlAspect = POINTL{1, 1};
  m.ptlCaret = POINTL{0, 1};
  m.rclFontBox = RECTL{static_cast<LONG>(face->bbox.xMin), static_cast<LONG>(face->bbox.yMax),
                       static_cast<LONG>(face->bbox.xMax), static_cast<LONG>(face->bbox.yMin)};
  std::memcpy(ifi.data(), &m, sizeof(m));
  metrics = reinterpret_cast<IFIMETRICS*>(ifi.data());
}

namespace {

struct OutlineSink {
  Path* path;
  FT_Vector current;
  bool open = false;
};

POINTFIX ToFix(const FT_Vector& v) {  // 26.6 device y-up -> 28.4 device y-down
  return POINTFIX{static_cast<FIX>(std::lround(v.x / 4.0)), static_cast<FIX>(std::lround(-v.y / 4.0))};
}

int MoveToCb(const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  if (sink->open) sink->path->CloseFigure();
  sink->path->MoveTo(ToFix(*to));
  sink->current = *to;
  sink->open = true;
  return 0;
}

int LineToCb(const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  sink->path->LineTo(ToFix(*to));
  sink->current = *to;
  return 0;
}

int ConicToCb(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  // A quadratic curve as the cubic with the same shape.
  const FT_Vector& p0 = sink->current;
  FT_Vector c1{p0.x + 2 * (control->x - p0.x) / 3, p0.y + 2 * (control->y - p0.y) / 3};
  FT_Vector c2{to->x + 2 * (control->x - to->x) / 3, to->y + 2 * (control->y - to->y) / 3};
  sink->path->BezierTo(ToFix(c1), ToFix(c2), ToFix(*to));
  sink->current = *to;
  return 0;
}

int CubicToCb(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  sink->path->BezierTo(ToFix(*c1), ToFix(*c2), ToFix(*to));
  sink->current = *to;
  return 0;
}

}  // namespace

GlyphEntry* Font::Impl::LoadDevice(HGLYPH hg, ULONG mode) {
  if (mode == FO_PATHOBJ) return nullptr;  // device fonts give no outlines
  auto advance = deviceAdvances.find(hg);
  if (advance == deviceAdvances.end()) {
    const std::vector<FIX> asked = device->Advances(owner, {hg});
    advance = deviceAdvances.emplace(hg, asked.empty() ? -1 : asked[0]).first;
  }
  auto entry = std::make_unique<GlyphEntry>();
  GLYPHDATA& gd = entry->data;
  gd.hg = hg;
  gd.fxD = std::max<FIX>(advance->second, 0);
  gd.fxAB = gd.fxD;
  // Along the baseline: the notional x axis in device space.
  const double length = std::hypot(matrix.eM11, matrix.eM12);
  const double ux = length > 0 ? matrix.eM11 / length : 1.0, uy = length > 0 ? matrix.eM12 / length : 0.0;
  gd.ptqD.x = static_cast<int64_t>(std::llround(gd.fxD / 16.0 * ux * 68719476736.0));
  gd.ptqD.y = static_cast<int64_t>(std::llround(gd.fxD / 16.0 * uy * 68719476736.0));
  if (metrics != nullptr) {
    const double ySize = std::hypot(matrix.eM21, matrix.eM22);
    gd.fxInkTop = RoundToLong(metrics->fwdWinAscender * ySize * 16.0);
    gd.fxInkBottom = -RoundToLong(metrics->fwdWinDescender * ySize * 16.0);
  }
  if (mode == FO_GLYPHBITS) {
    if (!device->Bitmap(owner, hg, &entry->bits)) return nullptr;
    if (entry->bits.empty()) {  // no ink: an empty one-pixel cell, as for an engine font
      entry->bits.assign(offsetof(GLYPHBITS, aj) + 1, 0);
      reinterpret_cast<GLYPHBITS*>(entry->bits.data())->sizlBitmap = SIZEL{1, 1};
    }
    auto* bits = reinterpret_cast<GLYPHBITS*>(entry->bits.data());
    gd.gdf.pgb = bits;
    gd.rclInk = RECTL{bits->ptlOrigin.x, bits->ptlOrigin.y, bits->ptlOrigin.x + bits->sizlBitmap.cx,
                      bits->ptlOrigin.y + bits->sizlBitmap.cy};
  }
  GlyphEntry* result = entry.get();
  glyphs[std::make_pair(hg, mode)] = std::move(entry);
  return result;
}

GlyphEntry* Font::Impl::Load(HGLYPH hg, ULONG mode) {
  auto key = std::make_pair(hg, mode);
  if (device != nullptr) {
    auto it = glyphs.find(key);
    return it != glyphs.end() ? it->second.get() : LoadDevice(hg, mode);
  }
  if (face == nullptr || hg >= static_cast<HGLYPH>(face->num_glyphs) || mode > FO_PATHOBJ) return nullptr;
  if (GlyphEntry* known = loaded[mode].Find(hg)) return known;

  // Loaded and published under the lock, so that threads sharing the font
  // neither load a glyph twice nor see the tree while it changes.
  std::lock_guard lock(FreeTypeMutex());
  if (auto it = glyphs.find(key); it != glyphs.end()) return it->second.get();
  // Design units in, device pixels out: size = one pixel per unit, then our matrix
  // (flipped into FreeType's y-up space).
  FT_Matrix m;
  m.xx = static_cast<FT_Fixed>(std::lround(matrix.eM11 * 65536.0));
  m.xy = static_cast<FT_Fixed>(std::lround(-matrix.eM21 * 65536.0));
  m.yx = static_cast<FT_Fixed>(std::lround(-matrix.eM12 * 65536.0));
  m.yy = static_cast<FT_Fixed>(std::lround(matrix.eM22 * 65536.0));
  FT_Set_Transform(face, &m, nullptr);
  if (FT_Load_Glyph(face, hg, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return nullptr;

  auto entry = std::make_unique<GlyphEntry>();
  GLYPHDATA& gd = entry->data;
  gd.hg = hg;
  const double advance = face->glyph->linearHoriAdvance / 65536.0;  // design units
  const double ax = advance * matrix.eM11, ay = advance * matrix.eM12;
  gd.fxD = RoundToLong(std::hypot(ax, ay) * 16.0);
  gd.ptqD.x = static_cast<int64_t>(std::llround(ax * 68719476736.0));
  gd.ptqD.y = static_cast<int64_t>(std::llround(ay * 68719476736.0));
  FT_BBox box;
  FT_Outline_Get_CBox(&face->glyph->outline, &box);
  gd.rclInk = RECTL{static_cast<LONG>(box.xMin >> 6), static_cast<LONG>(-((box.yMax + 63) >> 6)),
                    static_cast<LONG>((box.xMax + 63) >> 6), static_cast<LONG>(-(box.yMin >> 6))};
  gd.fxInkTop = static_cast<FIX>(box.yMax / 4);
  gd.fxInkBottom = static_cast<FIX>(box.yMin / 4);
  gd.fxA = static_cast<FIX>(box.xMin / 4);
  gd.fxAB = static_cast<FIX>(box.xMax / 4);

  if (mode == FO_PATHOBJ) {
    entry->path = std::make_unique<Path>();
    OutlineSink sink{entry->path.get(), {0, 0}};
    FT_Outline_Funcs funcs{MoveToCb, LineToCb, ConicToCb, CubicToCb, 0, 0};
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
    if (sink.open) entry->path->CloseFigure();
    gd.gdf.ppo = entry->path.get();
  } else if (mode == FO_GLYPHBITS) {
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) return nullptr;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    // A blank glyph (a space) still gets a 1x1 empty bitmap, as drivers expect a cell.
    const LONG cx = std::max<LONG>(static_cast<LONG>(bitmap.width), 1);
    const LONG cy = std::max<LONG>(static_cast<LONG>(bitmap.rows), 1);
    const size_t rowBytes = static_cast<size_t>((cx + 7) / 8);
    entry->bits.assign(offsetof(GLYPHBITS, aj) + std::max<size_t>(rowBytes * cy, 1), 0);
    auto* bits = reinterpret_cast<GLYPHBITS*>(entry->bits.data());
    bits->ptlOrigin = POINTL{face->glyph->bitmap_left, -face->glyph->bitmap_top};
    bits->sizlBitmap = SIZEL{cx, cy};
    unsigned char* out = entry->bits.data() + offsetof(GLYPHBITS, aj);
    for (unsigned row = 0; row < bitmap.rows; ++row)
      std::memcpy(out + row * rowBytes, bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch,
                  std::min<size_t>(rowBytes, static_cast<size_t>(std::abs(bitmap.pitch))));
    gd.gdf.pgb = bits;
  }
  GlyphEntry* result = entry.get();
  glyphs[key] = std::move(entry);
  loaded[mode].Store(hg, result);
  return result;
}

Font::Font() : FONTOBJ{}, impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
  LiveObjects<Font>::Add(this);
}

Font::~Font() { LiveObjects<Font>::Remove(this); }

std::unique_ptr<Font> Font::Open(const LOGFONTW& logFont, const XFORML* worldToDevice, SIZE resolutionDpi) {
  const std::u16string family(logFont.lfFaceName, std::find(logFont.lfFaceName, logFont.lfFaceName + 32, u'\0'));
  int index = 0;
  const std::string file = MatchFaceFile(family, logFont.lfWeight >= 600, logFont.lfItalic != 0, &index);
  if (file.empty()) return nullptr;
  std::unique_ptr<Font> font(new Font());
  Impl& impl = *font->impl_;
  impl.file = file;
  {
    std::lock_guard lock(FreeTypeMutex());
    if (FT_New_Face(Library(), file.c_str(), index, &impl.face) != 0) {
      impl.face = nullptr;
      return nullptr;
    }
    if (!FT_IS_SCALABLE(impl.face) || FT_Set_Pixel_Sizes(impl.face, 0, impl.face->units_per_EM) != 0) return nullptr;
  }
  FT_Face face = impl.face;
  const char* format = FT_Get_Font_Format(face);
  impl.cff = format != nullptr && (std::strcmp(format, "CFF") == 0 || std::strcmp(format, "Type 1") == 0);
  const bool japanese = FT_Get_Char_Index(face, 0x3042) != 0;
  impl.BuildMetrics(family.empty() ? Utf16FromUtf8(face->family_name != nullptr ? face->family_name : "") : family,
                    japanese);

  const double upem = face->units_per_EM;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  double em = 12.0;
  if (logFont.lfHeight < 0) {
    em = -static_cast<double>(logFont.lfHeight);
  } else if (logFont.lfHeight > 0) {
    const double cell = os2 != nullptr ? os2->usWinAscent + os2->usWinDescent : face->ascender - face->descender;
    em = logFont.lfHeight * upem / (cell > 0 ? cell : upem);
  }
  const double sy = em / upem;
  const double avg = impl.metrics->fwdAveCharWidth > 0 ? impl.metrics->fwdAveCharWidth : upem / 2;
  const double sx = logFont.lfWidth > 0 ? logFont.lfWidth / avg : sy;
  const double angle = logFont.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  // Counter-clockwise on the page is clockwise in y-down coordinates.
  // clang-format off
  XFORML m{static_cast<FLOATL>(sx * c), static_cast<FLOATL>(-sx * s), static_cast<FLOATL>(sy * s),
           static_cast<FLOATL>(sy * c), 0, 0};
  // clang-format on
  if (worldToDevice != nullptr) m = Multiply(m, *worldToDevice);
  impl.matrix = m;
  impl.xform = std::make_unique<Xform>(m);

  font->iUniq = nextFontUniq++;
  font->iFace = 0;
  font->cxMax = static_cast<ULONG>(std::ceil(face->max_advance_width * std::hypot(m.eM11, m.eM12)));
  font->flFontType = TRUETYPE_FONTTYPE | (impl.cff ? (FO_CFF | FO_POSTSCRIPT) : 0) | (japanese ? FO_DBCS_FONT : 0);
  if (logFont.lfWeight >= 600 && !(face->style_flags & FT_STYLE_FLAG_BOLD)) font->flFontType |= FO_SIM_BOLD;
  if (logFont.lfItalic && !(face->style_flags & FT_STYLE_FLAG_ITALIC)) font->flFontType |= FO_SIM_ITALIC;
  font->iTTUniq = font->iUniq;
  font->iFile = font->iUniq;
  font->sizLogResPpi = resolutionDpi;
  font->ulStyleSize = static_cast<ULONG>(std::lround(em * 72.0 / std::max<LONG>(resolutionDpi.cy, 1)));
  return font;
}

std::unique_ptr<Font> Font::Device(ULONG iFace, IFIMETRICS* driverMetrics, const XFORML& notionalToDevice,
                                   std::shared_ptr<DeviceGlyphSource> source, SIZE resolutionDpi) {
  std::unique_ptr<Font> font(new Font());
  font->impl_->metrics = driverMetrics;
  font->impl_->matrix = notionalToDevice;
  font->impl_->xform = std::make_unique<Xform>(notionalToDevice);
  font->impl_->device = std::move(source);
  font->iUniq = nextFontUniq++;
  font->iFace = iFace;
  font->flFontType = DEVICE_FONTTYPE;
  font->sizLogResPpi = resolutionDpi;
  if (driverMetrics != nullptr) {
    font->cxMax = static_cast<ULONG>(std::ceil(std::max<FWORD>(driverMetrics->fwdMaxCharInc, 0) *
                                               std::hypot(notionalToDevice.eM11, notionalToDevice.eM12)));
    const double em = std::hypot(notionalToDevice.eM21, notionalToDevice.eM22) * driverMetrics->fwdUnitsPerEm;
    font->ulStyleSize = static_cast<ULONG>(std::lround(std::fabs(em) * 72.0 / std::max<LONG>(resolutionDpi.cy, 1)));
  }
  return font;
}

const std::string& Font::FilePath() const { return impl_->file; }
bool Font::IsCff() const { return impl_->cff; }

bool Font::IsDevice() const { return impl_->face == nullptr; }

void Font::PrepareAdvances(const std::vector<HGLYPH>& handles) {
  if (impl_->device == nullptr) return;
  std::vector<HGLYPH> missing;
  for (HGLYPH hg : handles)
    if (!impl_->deviceAdvances.count(hg) && std::find(missing.begin(), missing.end(), hg) == missing.end())
      missing.push_back(hg);
  if (missing.empty()) return;
  const std::vector<FIX> advances = impl_->device->Advances(this, missing);
  for (size_t i = 0; i < missing.size(); ++i)
    impl_->deviceAdvances[missing[i]] = i < advances.size() ? advances[i] : -1;
}

HGLYPH Font::GlyphForChar(char32_t ch) const {
  if (impl_->device != nullptr) return impl_->device->GlyphForChar(ch);
  if (impl_->face == nullptr) return 0;
  const uint32_t cached = impl_->charGlyphs.Find(ch);
  if (cached != kUnknownGlyph) return cached;
  HGLYPH handle = 0;
  {
    std::lock_guard lock(FreeTypeMutex());
    handle = FT_Get_Char_Index(impl_->face, ch);
  }
  impl_->charGlyphs.Store(ch, static_cast<uint32_t>(handle));
  return handle;
}

GLYPHDATA* Font::Glyph(HGLYPH hg, ULONG mode) {
  GlyphEntry* entry = impl_->Load(hg, mode);
  return entry != nullptr ? &entry->data : nullptr;
}

std::vector<HGLYPH> Font::AllGlyphHandles() const {
  if (impl_->face == nullptr)
    return impl_->device != nullptr ? impl_->device->AllGlyphHandles() : std::vector<HGLYPH>{};
  std::set<HGLYPH> handles;
  std::lock_guard lock(FreeTypeMutex());
  FT_UInt index = 0;
  for (FT_ULong c = FT_Get_First_Char(impl_->face, &index); index != 0; c = FT_Get_Next_Char(impl_->face, c, &index))
    handles.insert(index);
  return std::vector<HGLYPH>(handles.begin(), handles.end());
}

IFIMETRICS* Font::Metrics() const { return impl_->metrics; }
Xform* Font::Transform() const { return impl_->xform.get(); }

void Font::GetInfo(FONTINFO* info) {
  *info = FONTINFO{};
  info->cjThis = sizeof(FONTINFO);
  info->flCaps = impl_->face == nullptr ? FO_DEVICE_FONT : FO_OUTLINE_CAPABLE;
  info->cGlyphsSupported = static_cast<ULONG>(AllGlyphHandles().size());
  if (impl_->face != nullptr) {
    const double scale = std::max(std::hypot(impl_->matrix.eM11, impl_->matrix.eM12),
                                  std::hypot(impl_->matrix.eM21, impl_->matrix.eM22));
    const FT_BBox& box = impl_->face->bbox;
    const double cx = (box.xMax - box.xMin) * scale + 2, cy = (box.yMax - box.yMin) * scale + 2;
    info->cjMaxGlyph1 =
        static_cast<ULONG>(offsetof(GLYPHBITS, aj) + ((static_cast<ULONG>(cx) + 7) / 8) * static_cast<ULONG>(cy));
  }
}

}  // namespace platform::gdi

using platform::gdi::Font;
using platform::gdi::LiveObjects;

// One glyph per call, as the user-mode engine gives them; the data stays valid
// while the font lives.
ZEL_EXTERN_C ULONG FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph) {
  Font* font = LiveObjects<Font>::Find(pfo);
  if (font == nullptr || cGlyph == 0 || phg == nullptr || ppvGlyph == nullptr ||
      (iMode != FO_GLYPHBITS && iMode != FO_PATHOBJ))
    return 0;
  GLYPHDATA* data = font->Glyph(phg[0], iMode);
  if (data == nullptr) return 0;
  *ppvGlyph = data;
  return 1;
}

ZEL_EXTERN_C ULONG FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg) {
  const Font* font = LiveObjects<Font>::Find(pfo);
  if (font == nullptr) return 0;
  const std::vector<HGLYPH> handles = font->AllGlyphHandles();
  if (phg != nullptr) std::copy(handles.begin(), handles.end(), phg);
  return static_cast<ULONG>(handles.size());
}

ZEL_EXTERN_C IFIMETRICS* FONTOBJ_pifi(FONTOBJ* pfo) {
  const Font* font = LiveObjects<Font>::Find(pfo);
  return font != nullptr ? font->Metrics() : nullptr;
}

ZEL_EXTERN_C XFORMOBJ* FONTOBJ_pxoGetXform(FONTOBJ* pfo) {
  const Font* font = LiveObjects<Font>::Find(pfo);
  return font != nullptr ? font->Transform() : nullptr;
}

ZEL_EXTERN_C void FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi) {
  Font* font = LiveObjects<Font>::Find(pfo);
  if (font == nullptr || pfi == nullptr || cjSize == 0) return;
  FONTINFO info;
  font->GetInfo(&info);
  std::memcpy(pfi, &info, std::min<size_t>(cjSize, sizeof(info)));
}
