#include "platform/gdi/display_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/gdi/engine.h"

namespace platform::gdi::display {
namespace {

// One lock for the library, the faces and the glyph cache: FreeType objects are
// not thread-safe.
std::mutex g_lock;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    return l;
  }();
  return library;
}

bool Contains(const std::u16string& text, std::u16string_view part) { return text.find(part) != std::u16string::npos; }

// The dialog and GUI faces of Windows are sans-serif faces of Windows' own; the
// metric-compatible sans face stands in for them. Japanese faces, Arial and
// the others go to the printer fonts' face finder as they are.
std::u16string LookupFamily(const LOGFONTW& font) {
  std::u16string family = Utf16FromZ(reinterpret_cast<LPCWSTR>(font.lfFaceName));
  const std::u16string folded = FoldCase(family);
  if (folded.empty() || Contains(folded, u"ms shell dlg") || folded == u"ms sans serif" || folded == u"tahoma" ||
      folded == u"system" || folded == u"segoe ui") {
    return u"Arial";
  }
  return family;
}

// Japanese text in a Latin face takes its glyphs from the proportional gothic.
constexpr char16_t kFallbackFamily[] = u"ＭＳ Ｐゴシック";

struct Face {
  FT_Face face = nullptr;
  bool bold = false;  // the face's own weight; otherwise bold is made thicker
  bool italic = false;
};

Face* OpenFace(const std::u16string& family, bool bold, bool italic) {
  static std::map<std::tuple<std::u16string, bool, bool>, Face> faces;
  const auto key = std::make_tuple(family, bold, italic);
  auto found = faces.find(key);
  if (found != faces.end()) return found->second.face ? &found->second : nullptr;
  Face& entry = faces[key];
  int index = 0;
  const std::string file = MatchFaceFile(family, bold, italic, &index);
  if (file.empty() || FT_New_Face(Library(), file.c_str(), index, &entry.face) != 0) {
    entry.face = nullptr;
    return nullptr;
  }
  entry.bold = (entry.face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  entry.italic = (entry.face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  return &entry;
}

struct Resolved {
  Face* primary = nullptr;
  Face* fallback = nullptr;
  int em = 12;
  bool bold = false;
  bool italic = false;
  int escapement = 0;  // tenths of a degree
};

Resolved Resolve(const LOGFONTW& font) {
  Resolved r;
  r.bold = font.lfWeight >= 600;
  r.italic = font.lfItalic != 0;
  r.escapement = font.lfEscapement;
  r.primary = OpenFace(LookupFamily(font), r.bold, r.italic);
  r.fallback = OpenFace(kFallbackFamily, r.bold, r.italic);
  if (!r.primary) r.primary = r.fallback;
  if (font.lfHeight < 0) {
    r.em = -font.lfHeight;
  } else if (font.lfHeight > 0 && r.primary) {
    // A positive height is the cell: ascent plus descent.
    const FT_Face f = r.primary->face;
    const int units = f->ascender - f->descender;
    r.em = units > 0 ? static_cast<int>(std::lround(double(font.lfHeight) * f->units_per_EM / units)) : font.lfHeight;
  } else {
    r.em = 12 * DisplayDpiY() / 96;
  }
  r.em = std::clamp(r.em, 1, 2048);
  return r;
}

struct Glyph {
  int left = 0;  // of the bitmap, from the pen
  int top = 0;   // above the pen
  int width = 0;
  int rows = 0;
  int advance = 0;  // whole pixels along the run
  std::vector<unsigned char> coverage;
};

// Loads, styles and renders one character; the bitmap is turned by the run's
// angle, the advance is the unturned one.
const Glyph& LoadGlyph(const Resolved& r, char32_t ch) {
  static std::map<std::tuple<FT_Face, int, bool, bool, int, char32_t>, Glyph> cache;
  Face* face = r.primary;
  if (face && FT_Get_Char_Index(face->face, ch) == 0 && r.fallback && FT_Get_Char_Index(r.fallback->face, ch) != 0) {
    face = r.fallback;
  }
  static const Glyph none{};
  if (!face) return none;
  const auto key = std::make_tuple(face->face, r.em, r.bold, r.italic, r.escapement, ch);
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  Glyph& glyph = cache[key];
  FT_Face f = face->face;
  FT_Set_Transform(f, nullptr, nullptr);
  if (FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(r.em)) != 0) return glyph;
  if (FT_Load_Char(f, ch, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0) return glyph;
  FT_GlyphSlot slot = f->glyph;
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return glyph;
  if (r.italic && !face->italic) {
    FT_Matrix shear{0x10000, 0x366A, 0, 0x10000};  // about 12 degrees
    FT_Outline_Transform(&slot->outline, &shear);
  }
  if (r.bold && !face->bold) {
    const FT_Pos strength = std::max<FT_Pos>(64, r.em * 64 / 14);
    FT_Outline_Embolden(&slot->outline, strength);
    glyph.advance += static_cast<int>((strength + 32) >> 6);
  }
  if (r.escapement % 3600 != 0) {
    const double angle = r.escapement / 10.0 * M_PI / 180.0;
    const FT_Fixed c = static_cast<FT_Fixed>(std::lround(std::cos(angle) * 65536.0));
    const FT_Fixed s = static_cast<FT_Fixed>(std::lround(std::sin(angle) * 65536.0));
    FT_Matrix turn{c, -s, s, c};
    FT_Outline_Transform(&slot->outline, &turn);
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
  for (int y = 0; y < glyph.rows; ++y) {
    const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
    std::copy(line, line + glyph.width, glyph.coverage.begin() + static_cast<ptrdiff_t>(y) * glyph.width);
  }
  return glyph;
}

TextFontMetrics Measure(const Resolved& r) {
  TextFontMetrics m;
  if (!r.primary) {
    m.height = r.em;
    m.ascent = r.em * 4 / 5;
    m.descent = m.height - m.ascent;
    m.aveCharWidth = m.maxCharWidth = std::max(1, r.em / 2);
    return m;
  }
  const FT_Face f = r.primary->face;
  const double scale = double(r.em) / f->units_per_EM;
  m.ascent = static_cast<int>(std::ceil(f->ascender * scale));
  m.descent = static_cast<int>(std::ceil(-f->descender * scale));
  m.height = m.ascent + m.descent;
  m.internalLeading = std::max(0, m.height - r.em);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
  m.aveCharWidth =
      os2 && os2->xAvgCharWidth > 0 ? static_cast<int>(std::lround(os2->xAvgCharWidth * scale)) : std::max(1, r.em / 2);
  m.maxCharWidth = static_cast<int>(std::ceil(f->max_advance_width * scale));
  if (r.bold && !r.primary->bold) m.aveCharWidth += 1;
  return m;
}

// UTF-16 to code points; a lone surrogate stands as it is.
std::u32string CodePoints(std::u16string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    out.push_back(c);
  }
  return out;
}

void Blend(PixelSurface& s, int x, int y, COLORREF colour, unsigned alpha, const RECT& clip) {
  if (alpha == 0 || x < clip.left || y < clip.top || x >= clip.right || y >= clip.bottom) return;
  if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
  COLORREF& p = s.pixels[static_cast<size_t>(y) * s.width + x];
  if (s.bitsPerPixel == 1) {
    if (alpha >= 128) p = (colour & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFF : 0;
    return;
  }
  auto mix = [&](int shift) {
    const unsigned a = (p >> shift) & 0xFF, b = (colour >> shift) & 0xFF;
    return ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  };
  p = mix(0) | mix(8) | mix(16);
}

}  // namespace

TextFontMetrics MetricsOf(const LOGFONTW& font) {
  std::lock_guard guard(g_lock);
  return Measure(Resolve(font));
}

int RunWidth(const LOGFONTW& font, std::u16string_view text) {
  std::lock_guard guard(g_lock);
  const Resolved r = Resolve(font);
  int width = 0;
  for (char32_t c : CodePoints(text)) width += LoadGlyph(r, c).advance;
  return width;
}

void DrawRun(PixelSurface& surface, const LOGFONTW& font, int x, int y, std::u16string_view text, COLORREF colour,
             const RECT& clip) {
  std::lock_guard guard(g_lock);
  const Resolved r = Resolve(font);
  const TextFontMetrics m = Measure(r);
  const double angle = r.escapement / 10.0 * M_PI / 180.0;
  // Along the run and down from it, in surface coordinates (y grows downwards).
  const double ax = std::cos(angle), ay = -std::sin(angle);
  const double dx = std::sin(angle), dy = std::cos(angle);
  const double originX = x + dx * m.ascent, originY = y + dy * m.ascent;
  int advance = 0;
  for (char32_t c : CodePoints(text)) {
    const Glyph& g = LoadGlyph(r, c);
    const int penX = static_cast<int>(std::lround(originX + ax * advance));
    const int penY = static_cast<int>(std::lround(originY + ay * advance));
    for (int row = 0; row < g.rows; ++row) {
      for (int col = 0; col < g.width; ++col) {
        const unsigned alpha = g.coverage[static_cast<size_t>(row) * g.width + col];
        Blend(surface, penX + g.left + col, penY - g.top + row, colour, alpha, clip);
      }
    }
    advance += g.advance;
  }
  if (font.lfUnderline || font.lfStrikeOut) {
    const int thickness = std::max(1, r.em / 14);
    for (int which = 0; which < 2; ++which) {
      if (which == 0 && !font.lfUnderline) continue;
      if (which == 1 && !font.lfStrikeOut) continue;
      const int below = which == 0 ? std::max(1, m.descent / 2) : -m.ascent / 3;
      for (int t = 0; t < thickness; ++t) {
        for (int i = 0; i < advance; ++i) {
          const double px = originX + ax * i + dx * (below + t), py = originY + ay * i + dy * (below + t);
          Blend(surface, static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py)), colour, 255, clip);
        }
      }
    }
  }
}

}  // namespace platform::gdi::display
