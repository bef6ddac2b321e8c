// Text on a printer DC: fonts by LOGFONT, ExtTextOut as DrvTextOut with an
// engine font and a text run, and GDI's glyph-bitmap fallback through
// DrvCopyBits when the library refuses the text.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/gdi/dc_transform.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {
namespace {

constexpr MIX kCopyPen = (R2_COPYPEN << 8) | R2_COPYPEN;

// The DC's font with the default face and size filled in (12 points).
LOGFONTW EffectiveFont(const DeviceContext& dc) {
  LOGFONTW lf = dc.drawing.font;
  if (lf.lfFaceName[0] == 0) {
    const std::u16string face = u"Arial";
    std::memcpy(lf.lfFaceName, face.data(), face.size() * sizeof(WCHAR));
  }
  if (lf.lfHeight == 0) {
    const double pixelsPerUnit = DeviceScale(dc) > 0 ? DeviceScale(dc) : 1.0;
    lf.lfHeight = -static_cast<LONG>(std::lround(12.0 * dc.pdev.gdiInfo.ulLogPixelsY / 72.0 / pixelsPerUnit));
  }
  return lf;
}

// Logical to device without the translation: what glyph outlines go through. In
// compatible mode text stays upright whichever way the map mode counts y.
XFORML LinearToDevice(const DeviceContext& dc) {
  const XFORM& w = dc.drawing.world;
  PageScale s = PageScaleOf(dc);
  if (dc.drawing.graphicsMode == GM_COMPATIBLE) s.y = std::fabs(s.y);
  return XFORML{static_cast<FLOATL>(w.eM11 * s.x), static_cast<FLOATL>(w.eM12 * s.y),
                static_cast<FLOATL>(w.eM21 * s.x), static_cast<FLOATL>(w.eM22 * s.y), 0, 0};
}

std::vector<char32_t> CodePoints(const std::u16string& text) {
  std::vector<char32_t> out;
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

struct LaidOutRun {
  std::vector<GLYPHPOS> glyphs;
  RECTL bounds{};
};

// Glyph origins in device pixels from the reference point, along the font's advances.
LaidOutRun Layout(const DeviceContext& dc, Font& font, int x, int y, const std::vector<char32_t>& text,
                  const INT* dx) {
  const XFORML& m = font.Transform()->matrix();
  const IFIMETRICS* ifi = font.Metrics();
  const double ascent = ifi ? ifi->fwdWinAscender : 0;
  const double descent = ifi ? ifi->fwdWinDescender : 0;
  PagePoint origin = ToDevice(dc, x, y);
  if (dc.drawing.textAlign != TA_BASELINE) {
    origin.x += ascent * m.eM21;  // down the font's own y axis to the baseline
    origin.y += ascent * m.eM22;
  }
  // The baseline's direction, for lpDx advances given in logical units.
  const double angle = dc.drawing.font.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
  const XFORML lin = LinearToDevice(dc);
  LaidOutRun run;
  double minX = origin.x, maxX = origin.x, minY = origin.y, maxY = origin.y;
  auto extend = [&](double px, double py) {
    minX = std::min(minX, px);
    maxX = std::max(maxX, px);
    minY = std::min(minY, py);
    maxY = std::max(maxY, py);
  };
  PagePoint pen = origin;
  for (size_t i = 0; i < text.size(); ++i) {
    const HGLYPH hg = font.GlyphForChar(text[i]);
    GLYPHPOS pos{};
    pos.hg = hg;
    pos.ptl = POINTL{static_cast<LONG>(std::lround(pen.x)), static_cast<LONG>(std::lround(pen.y))};
    run.glyphs.push_back(pos);
    extend(pen.x - ascent * m.eM21, pen.y - ascent * m.eM22);
    extend(pen.x + descent * m.eM21, pen.y + descent * m.eM22);
    if (dx) {
      const double lx = dx[i] * std::cos(angle), ly = -dx[i] * std::sin(angle);
      pen.x += lx * lin.eM11 + ly * lin.eM21;
      pen.y += lx * lin.eM12 + ly * lin.eM22;
    } else if (GLYPHDATA* gd = font.Glyph(hg, FO_HGLYPHS)) {
      pen.x += static_cast<double>(gd->ptqD.x) / 68719476736.0;
      pen.y += static_cast<double>(gd->ptqD.y) / 68719476736.0;
    }
    extend(pen.x - ascent * m.eM21, pen.y - ascent * m.eM22);
    extend(pen.x + descent * m.eM21, pen.y + descent * m.eM22);
  }
  run.bounds = RECTL{static_cast<LONG>(std::floor(minX)), static_cast<LONG>(std::floor(minY)),
                     static_cast<LONG>(std::ceil(maxX)), static_cast<LONG>(std::ceil(maxY))};
  return run;
}

// Each glyph's bitmap written onto the device through DrvCopyBits, ink in the
// text colour on white, cut to the clip.
BOOL CopyGlyphBitmaps(DeviceContext& dc, SURFOBJ* pso, Font& font, const LaidOutRun& run, Clip* clip) {
  auto copyBits = dc.driver->Get<PFN_DrvCopyBits>(INDEX_DrvCopyBits);
  if (!copyBits || !(SurfaceHooks(pso) & HOOK_COPYBITS)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  auto xlate = Xlate::Table({0xFFFFFF, dc.drawing.textColor & 0xFFFFFF});
  for (const GLYPHPOS& pos : run.glyphs) {
    GLYPHDATA* gd = font.Glyph(pos.hg, FO_GLYPHBITS);
    if (gd == nullptr || gd->gdf.pgb == nullptr) continue;
    const GLYPHBITS* bits = gd->gdf.pgb;
    if (bits->sizlBitmap.cx <= 0 || bits->sizlBitmap.cy <= 0) continue;
    const LONG rowBytes = (bits->sizlBitmap.cx + 7) / 8;
    const size_t total = static_cast<size_t>(rowBytes) * static_cast<size_t>(bits->sizlBitmap.cy);
    if (std::all_of(bits->aj, bits->aj + total, [](BYTE b) { return b == 0; })) continue;  // no ink (a space)
    ScratchBitmap bitmap(bits->sizlBitmap.cx, bits->sizlBitmap.cy, BMF_1BPP);
    SURFOBJ* src = bitmap.get();
    if (src == nullptr) return FALSE;
    for (LONG row = 0; row < bits->sizlBitmap.cy; ++row) {
      std::memcpy(static_cast<BYTE*>(src->pvScan0) + row * src->lDelta, bits->aj + row * rowBytes,
                  static_cast<size_t>(rowBytes));
    }
    RECTL dest{pos.ptl.x + bits->ptlOrigin.x, pos.ptl.y + bits->ptlOrigin.y, 0, 0};
    dest.right = dest.left + bits->sizlBitmap.cx;
    dest.bottom = dest.top + bits->sizlBitmap.cy;
    POINTL srcOrigin{0, 0};
    if (!copyBits(pso, src, clip, xlate.get(), &dest, &srcOrigin)) return FALSE;
  }
  return TRUE;
}

BOOL TextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const std::u16string& text, const INT* dx,
             DWORD codePage) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (!dc->inPage) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (text.empty() && !(options & ETO_OPAQUE)) return TRUE;
  const LOGFONTW lf = EffectiveFont(*dc);
  const XFORML lin = LinearToDevice(*dc);
  const SIZE dpi{static_cast<LONG>(dc->pdev.gdiInfo.ulLogPixelsX), static_cast<LONG>(dc->pdev.gdiInfo.ulLogPixelsY)};
  std::unique_ptr<Font> font = Font::Open(lf, &lin, dpi);
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::vector<char32_t> points = CodePoints(text);
  LaidOutRun run = Layout(*dc, *font, x, y, points, dx);

  SURFOBJ* pso = dc->Surface();
  const RECTL surface{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  std::vector<RECTL> area = dc->drawing.clipped ? IntersectRegions(dc->drawing.clip, {surface})
                                                : std::vector<RECTL>{surface};
  RECTL opaque{};
  if (rect) {
    const PagePoint a = ToDevice(*dc, rect->left, rect->top), b = ToDevice(*dc, rect->right, rect->bottom);
    opaque = RECTL{static_cast<LONG>(std::lround(std::min(a.x, b.x))), static_cast<LONG>(std::lround(std::min(a.y, b.y))),
                   static_cast<LONG>(std::lround(std::max(a.x, b.x))), static_cast<LONG>(std::lround(std::max(a.y, b.y)))};
    if (options & ETO_CLIPPED) area = IntersectRegions(area, {opaque});
  }
  std::unique_ptr<Clip> clip = dc->drawing.clipped || (options & ETO_CLIPPED) ? Clip::Region(area)
                                                                               : Clip::Trivial(surface);
  if (RectEmpty(clip->rclBounds)) return TRUE;

  FLONG accel = dx ? 0 : SO_FLAG_DEFAULT_PLACEMENT;
  if (lin.eM12 == 0 && lin.eM21 == 0 && lf.lfEscapement == 0) accel |= SO_HORIZONTAL;
  TextRun strobj(run.glyphs, text, codePage, accel, run.bounds);
  auto fore = Brush::Solid(dc->drawing.textColor & 0xFFFFFF);
  auto back = Brush::Solid(0xFFFFFF);
  POINTL org{run.glyphs.empty() ? 0 : run.glyphs[0].ptl.x, run.glyphs.empty() ? 0 : run.glyphs[0].ptl.y};
  auto textOut = dc->driver->Get<PFN_DrvTextOut>(INDEX_DrvTextOut);
  if (textOut && (SurfaceHooks(pso) & HOOK_TEXTOUT)) {
    strobj.EnumStart();
    if (textOut(pso, &strobj, font.get(), clip.get(), nullptr, (options & ETO_OPAQUE) && rect ? &opaque : nullptr,
                fore.get(), back.get(), &org, kCopyPen)) {
      return TRUE;
    }
  }
  return CopyGlyphBitmaps(*dc, pso, *font, run, clip.get());
}

BOOL TextExtent(HDC hdc, const std::u16string& text, LPSIZE size) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  LOGFONTW lf = EffectiveFont(*dc);
  lf.lfEscapement = 0;
  std::unique_ptr<Font> font = Font::Open(lf, nullptr);  // logical units
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  double width = 0;
  for (char32_t c : CodePoints(text)) {
    if (GLYPHDATA* gd = font->Glyph(font->GlyphForChar(c), FO_HGLYPHS))
      width += static_cast<double>(gd->ptqD.x) / 68719476736.0;
  }
  const IFIMETRICS* ifi = font->Metrics();
  const double cell = ifi ? (ifi->fwdWinAscender + ifi->fwdWinDescender) * font->Transform()->matrix().eM22 : 0;
  *size = SIZE{static_cast<LONG>(std::lround(width)), static_cast<LONG>(std::lround(cell))};
  return TRUE;
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C HFONT CreateFontIndirectW(const LOGFONTW* lplf) {
  if (lplf == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto font = std::make_shared<GdiObject>(GdiObject::Kind::Font);
  font->font = *lplf;
  font->font.lfFaceName[31] = 0;
  return platform::InsertHandle(font);
}

ZEL_EXTERN_C HFONT CreateFontIndirectA(const LOGFONTA* lplf) {
  if (lplf == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  LOGFONTW wide{};
  std::memcpy(&wide, lplf, offsetof(LOGFONTA, lfFaceName));
  const std::string face(lplf->lfFaceName, strnlen(lplf->lfFaceName, sizeof lplf->lfFaceName));
  const std::u16string wideFace = platform::ToUtf16(face);
  std::memcpy(wide.lfFaceName, wideFace.data(), std::min<size_t>(wideFace.size(), 31) * sizeof(WCHAR));
  return CreateFontIndirectW(&wide);
}

ZEL_EXTERN_C COLORREF SetTextColor(HDC hdc, COLORREF color) {
  auto dc = FindDC(hdc);
  if (!dc) return 0xFFFFFFFFu;  // CLR_INVALID
  return std::exchange(dc->drawing.textColor, color);
}

ZEL_EXTERN_C UINT SetTextAlign(HDC hdc, UINT align) {
  auto dc = FindDC(hdc);
  if (!dc) return 0xFFFFFFFFu;  // GDI_ERROR
  return std::exchange(dc->drawing.textAlign, align);
}

ZEL_EXTERN_C BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                              const INT* lpDx) {
  if (lpString == nullptr && c != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TextOut(hdc, x, y, options, lprect, std::u16string(lpString ? lpString : u"", c), lpDx, 0);
}

ZEL_EXTERN_C BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                              const INT* lpDx) {
  if (lpString == nullptr && c != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::u16string text = platform::ToUtf16(std::string_view(lpString ? lpString : "", c));
  // lpDx counts bytes of the ANSI text; one entry per character is what the run uses.
  std::vector<INT> perChar;
  if (lpDx) {
    UINT i = 0;
    while (i < c) {
      const UINT width = IsDBCSLeadByte(static_cast<BYTE>(lpString[i])) && i + 1 < c ? 2 : 1;
      perChar.push_back(width == 2 ? lpDx[i] + lpDx[i + 1] : lpDx[i]);
      i += width;
    }
  }
  return TextOut(hdc, x, y, options, lprect, text, lpDx ? perChar.data() : nullptr, GetACP());
}

ZEL_EXTERN_C BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (lptm == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  LOGFONTW lf = EffectiveFont(*dc);
  lf.lfEscapement = 0;
  std::unique_ptr<Font> font = Font::Open(lf, nullptr);  // logical units
  const IFIMETRICS* ifi = font ? font->Metrics() : nullptr;
  if (ifi == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const double scale = font->Transform()->matrix().eM22;
  auto units = [&](double v) { return static_cast<LONG>(std::lround(v * scale)); };
  TEXTMETRICA tm{};
  tm.tmAscent = units(ifi->fwdWinAscender);
  tm.tmDescent = units(ifi->fwdWinDescender);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - units(ifi->fwdUnitsPerEm));
  tm.tmExternalLeading = std::max<LONG>(0, units(ifi->fwdMacLineGap));
  tm.tmAveCharWidth = units(ifi->fwdAveCharWidth);
  tm.tmMaxCharWidth = units(ifi->fwdMaxCharInc);
  tm.tmWeight = ifi->usWinWeight;
  tm.tmDigitizedAspectX = static_cast<LONG>(dc->pdev.gdiInfo.ulLogPixelsX);
  tm.tmDigitizedAspectY = static_cast<LONG>(dc->pdev.gdiInfo.ulLogPixelsY);
  tm.tmFirstChar = ifi->chFirstChar;
  tm.tmLastChar = ifi->chLastChar;
  tm.tmDefaultChar = ifi->chDefaultChar;
  tm.tmBreakChar = ifi->chBreakChar;
  tm.tmItalic = lf.lfItalic;
  tm.tmUnderlined = lf.lfUnderline;
  tm.tmStruckOut = lf.lfStrikeOut;
  const bool fixed = (ifi->jWinPitchAndFamily & 0x03) == FIXED_PITCH;
  tm.tmPitchAndFamily = static_cast<BYTE>((ifi->jWinPitchAndFamily & 0xF0) | (fixed ? 0 : TMPF_FIXED_PITCH) |
                                          TMPF_VECTOR | TMPF_TRUETYPE);
  tm.tmCharSet = ifi->jWinCharSet;
  *lptm = tm;
  return TRUE;
}

ZEL_EXTERN_C BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
  if ((lpString == nullptr && c != 0) || c < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TextExtent(hdc, std::u16string(lpString ? lpString : u"", static_cast<size_t>(c)), psizl);
}

ZEL_EXTERN_C BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  if ((lpString == nullptr && c != 0) || c < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TextExtent(hdc, platform::ToUtf16(std::string_view(lpString ? lpString : "", static_cast<size_t>(c))), psizl);
}
