// Text on a printer DC: fonts by LOGFONT, ExtTextOut as DrvTextOut with the
// realised font (the printer's own or an engine font) and a text run, with the
// background and the underline and strike-out rectangles GDI hands along, and
// GDI's fallback when the library refuses the text: background, glyphs and lines
// drawn as separate calls, the glyphs painting only their inked pixels.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/gdi/dc_transform.h"
#include "platform/gdi/device_font.h"
#include "platform/gdi/display_dc.h"
#include "platform/gdi/engine_internal.h"
#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {
namespace {

constexpr MIX kCopyPen = (R2_COPYPEN << 8) | R2_COPYPEN;
constexpr ROP4 kPatCopy = 0xF0F0;
// A glyph as a mask: the brush where a mask bit is set, the page left as it is
// where it is clear.
constexpr ROP4 kMaskedBrush = 0xAAF0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kQuadOne = 68719476736.0;  // 1.0 in 28.36

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
  // clang-format off
  return XFORML{static_cast<FLOATL>(w.eM11 * s.x), static_cast<FLOATL>(w.eM12 * s.y),
                static_cast<FLOATL>(w.eM21 * s.x), static_cast<FLOATL>(w.eM22 * s.y), 0, 0};
  // clang-format on
}

// The angle glyphs turn by (tenths of a degree): lfOrientation in advanced mode,
// where it may differ from the baseline's lfEscapement; lfEscapement otherwise.
LONG GlyphAngle(const DeviceContext& dc, const LOGFONTW& lf) {
  return dc.drawing.graphicsMode == GM_ADVANCED ? lf.lfOrientation : lf.lfEscapement;
}

// The request a font is realised from: glyph rotation in lfEscapement, and
// nothing that only changes how the run is drawn (underline, strike-out), so
// such runs share one realisation.
LOGFONTW RealizationRequest(const LOGFONTW& lf, LONG angle) {
  LOGFONTW out = lf;
  out.lfEscapement = angle;
  out.lfOrientation = angle;
  out.lfUnderline = 0;
  out.lfStrikeOut = 0;
  return out;
}

// std::lround without the library call, for the per-glyph positions: halves
// round away from zero, and v minus its whole part is exact, so the result is
// the same for every value a page position takes.
LONG RoundToPixel(double v) {
  if (!(std::fabs(v) < 4.0e15)) return static_cast<LONG>(std::lround(v));
  const auto whole = static_cast<long long>(v);  // toward zero
  const double rest = v - static_cast<double>(whole);
  return static_cast<LONG>(rest >= 0.5 ? whole + 1 : rest <= -0.5 ? whole - 1 : whole);
}

std::vector<char32_t> CodePoints(const std::u16string& text) {
  std::vector<char32_t> out;
  out.reserve(text.size());
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

// The last answers of a lookup that gives the same answer for a key all
// through one call, by a few bits of the key.
template <class Key, class Value>
class RecentLookups {
 public:
  template <class Ask>
  Value Get(Key key, Ask ask) {
    Slot& slot = slots_[static_cast<size_t>(key) % kSlots];
    if (!slot.known || slot.key != key) slot = Slot{key, ask(), true};
    return slot.value;
  }

 private:
  static constexpr size_t kSlots = 64;
  struct Slot {
    Key key{};
    Value value{};
    bool known = false;
  };
  Slot slots_[kSlots];
};

struct LaidOutRun {
  std::vector<GLYPHPOS> glyphs;
  RECTL bounds{};
  PagePoint start{};  // the baseline where the run begins and ends, device pixels
  PagePoint end{};
  bool upright = false;  // horizontal baseline, unrotated glyphs: its boxes are rectangles
};

// Glyph origins in device pixels from the reference point, along the font's
// advances (or lpDx), in the baseline direction of lfEscapement.
LaidOutRun Layout(const DeviceContext& dc, Font& font, int x, int y, const std::vector<char32_t>& text, const INT* dx,
                  LONG escapement, LONG glyphAngle) {
  const XFORML& m = font.Transform()->matrix();
  const IFIMETRICS* ifi = font.Metrics();
  const double ascent = ifi ? ifi->fwdWinAscender : 0;
  const double descent = ifi ? ifi->fwdWinDescender : 0;
  PagePoint origin = ToDevice(dc, x, y);
  const UINT vertical = dc.drawing.textAlign & TA_BASELINE;
  if (vertical == TA_TOP) {
    origin.x += ascent * m.eM21;  // down the font's own y axis to the baseline
    origin.y += ascent * m.eM22;
  } else if (vertical == TA_BOTTOM) {
    origin.x -= descent * m.eM21;  // up from the cell's bottom to the baseline
    origin.y -= descent * m.eM22;
  }
  // The baseline's direction on the device.
  const double angle = escapement / 10.0 * kPi / 180.0;
  const XFORML lin = LinearToDevice(dc);
  const double bx = std::cos(angle) * lin.eM11 - std::sin(angle) * lin.eM21;
  const double by = std::cos(angle) * lin.eM12 - std::sin(angle) * lin.eM22;
  const double blen = std::hypot(bx, by) > 0 ? std::hypot(bx, by) : 1.0;
  const bool alongGlyphs = escapement == glyphAngle;

  // A line repeats few characters: each distinct one is asked of the font once.
  RecentLookups<char32_t, HGLYPH> glyphOf;
  RecentLookups<HGLYPH, GLYPHDATA*> advanceOf;
  std::vector<HGLYPH> handles;
  handles.reserve(text.size());
  for (char32_t c : text) handles.push_back(glyphOf.Get(c, [&] { return font.GlyphForChar(c); }));
  if (!dx) font.PrepareAdvances(handles);

  LaidOutRun run;
  run.upright = alongGlyphs && std::fabs(by) < 1e-9 && bx > 0 && std::fabs(m.eM12) < 1e-9 && std::fabs(m.eM21) < 1e-9;
  double minX = origin.x, maxX = origin.x, minY = origin.y, maxY = origin.y;
  auto extend = [&](double px, double py) {
    minX = std::min(minX, px);
    maxX = std::max(maxX, px);
    minY = std::min(minY, py);
    maxY = std::max(maxY, py);
  };
  PagePoint pen = origin;
  // Each glyph's cell spans from its pen position to the next; the pen is
  // taken into the box where the run starts and after every advance.
  if (!text.empty()) {
    extend(pen.x - ascent * m.eM21, pen.y - ascent * m.eM22);
    extend(pen.x + descent * m.eM21, pen.y + descent * m.eM22);
  }
  run.glyphs.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    GLYPHPOS& pos = run.glyphs[i];
    pos.hg = handles[i];
    pos.ptl = POINTL{RoundToPixel(pen.x), RoundToPixel(pen.y)};
    if (dx) {
      const double lx = dx[i] * std::cos(angle), ly = -dx[i] * std::sin(angle);
      pen.x += lx * lin.eM11 + ly * lin.eM21;
      pen.y += lx * lin.eM12 + ly * lin.eM22;
    } else if (GLYPHDATA* gd = advanceOf.Get(pos.hg, [&] { return font.Glyph(pos.hg, FO_HGLYPHS); })) {
      const double ax = static_cast<double>(gd->ptqD.x) / kQuadOne, ay = static_cast<double>(gd->ptqD.y) / kQuadOne;
      if (alongGlyphs) {
        pen.x += ax;
        pen.y += ay;
      } else {  // glyphs turned away from the baseline still advance along it
        const double length = std::hypot(ax, ay);
        pen.x += length * bx / blen;
        pen.y += length * by / blen;
      }
    }
    extend(pen.x - ascent * m.eM21, pen.y - ascent * m.eM22);
    extend(pen.x + descent * m.eM21, pen.y + descent * m.eM22);
  }
  // A centred or right-aligned run ends half or all of its advance earlier.
  const UINT horizontal = dc.drawing.textAlign & TA_CENTER;
  if (horizontal == TA_CENTER || horizontal == TA_RIGHT) {
    const double share = horizontal == TA_CENTER ? 0.5 : 1.0;
    const double sx = (pen.x - origin.x) * share, sy = (pen.y - origin.y) * share;
    for (GLYPHPOS& pos : run.glyphs) {
      pos.ptl.x = static_cast<LONG>(std::lround(pos.ptl.x - sx));
      pos.ptl.y = static_cast<LONG>(std::lround(pos.ptl.y - sy));
    }
    origin.x -= sx;
    origin.y -= sy;
    pen.x -= sx;
    pen.y -= sy;
    minX -= sx;
    maxX -= sx;
    minY -= sy;
    maxY -= sy;
  }
  run.start = origin;
  run.end = pen;
  // Whole pixels around the cells, forgiving the float transform's last bits.
  constexpr double kSlack = 1e-3;
  run.bounds = RECTL{static_cast<LONG>(std::floor(minX + kSlack)), static_cast<LONG>(std::floor(minY + kSlack)),
                     static_cast<LONG>(std::ceil(maxX - kSlack)), static_cast<LONG>(std::ceil(maxY - kSlack))};
  return run;
}

// A band along the baseline from the run's start to its end, `top` to `top +
// thickness` down the font's y axis (notional units): the text's background, an
// underline or a strike-out.
struct Band {
  PagePoint corner[4];
};
Band BandAlongRun(const LaidOutRun& run, const XFORML& m, double top, double thickness) {
  const double yx = m.eM21, yy = m.eM22;
  Band band;
  band.corner[0] = PagePoint{run.start.x + top * yx, run.start.y + top * yy};
  band.corner[1] = PagePoint{run.end.x + top * yx, run.end.y + top * yy};
  band.corner[2] = PagePoint{band.corner[1].x + thickness * yx, band.corner[1].y + thickness * yy};
  band.corner[3] = PagePoint{band.corner[0].x + thickness * yx, band.corner[0].y + thickness * yy};
  return band;
}

RECTL BandRect(const Band& band) {
  double minX = band.corner[0].x, maxX = minX, minY = band.corner[0].y, maxY = minY;
  for (const PagePoint& p : band.corner) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  RECTL r{static_cast<LONG>(std::lround(minX)), static_cast<LONG>(std::lround(minY)),
          static_cast<LONG>(std::lround(maxX)), static_cast<LONG>(std::lround(maxY))};
  if (r.bottom <= r.top) r.bottom = r.top + 1;  // a line is at least a pixel thick
  return r;
}

std::unique_ptr<Path> BandPath(const Band& band) {
  auto path = std::make_unique<Path>();
  path->MoveTo(ToFix(band.corner[0]));
  for (int i = 1; i < 4; ++i) path->LineTo(ToFix(band.corner[i]));
  path->CloseFigure();
  return path;
}

// The underline and strike-out bands the LOGFONT asks for (notional units come
// from the realised font's metrics).
std::vector<Band> LineBands(const LOGFONTW& lf, Font& font, const LaidOutRun& run) {
  std::vector<Band> bands;
  const IFIMETRICS* ifi = font.Metrics();
  if (ifi == nullptr || run.glyphs.empty()) return bands;
  const XFORML& m = font.Transform()->matrix();
  const double em = ifi->fwdUnitsPerEm > 0 ? ifi->fwdUnitsPerEm : 1000;
  const double underSize = ifi->fwdUnderscoreSize > 0 ? ifi->fwdUnderscoreSize : em / 20;
  // Positions count up from the baseline; the font's notional y points down.
  if (lf.lfUnderline) {
    const double position = ifi->fwdUnderscorePosition != 0 ? ifi->fwdUnderscorePosition : -em / 10;
    bands.push_back(BandAlongRun(run, m, -position, underSize));
  }
  if (lf.lfStrikeOut) {
    const double size = ifi->fwdStrikeoutSize > 0 ? ifi->fwdStrikeoutSize : underSize;
    const double position = ifi->fwdStrikeoutPosition != 0 ? ifi->fwdStrikeoutPosition : em * 0.3;
    bands.push_back(BandAlongRun(run, m, -position, size));
  }
  return bands;
}

// The calls the fallback draws with.
class TextPainter {
 public:
  TextPainter(const DeviceContext& dc, SURFOBJ* pso, Clip* clip, POINTL brushOrigin)
      : pso_(pso), clip_(clip), origin_(brushOrigin) {
    const FLONG hooks = SurfaceHooks(pso);
    if (hooks & HOOK_BITBLT) bitBlt_ = dc.driver->Get<PFN_DrvBitBlt>(INDEX_DrvBitBlt);
    if (hooks & HOOK_FILLPATH) fillPath_ = dc.driver->Get<PFN_DrvFillPath>(INDEX_DrvFillPath);
  }

  BOOL Fill(Path& path, BRUSHOBJ* brush, FLONG mode = FP_WINDINGMODE) {
    if (path.Empty()) return TRUE;
    if (!fillPath_) {
      SetLastError(ERROR_NOT_SUPPORTED);
      return FALSE;
    }
    path.EnumStart();
    return fillPath_(pso_, &path, clip_, brush, &origin_, kCopyPen, mode);
  }

  BOOL PaintRect(const RECTL& rect, BRUSHOBJ* brush) {
    RECTL target = rect;
    if (bitBlt_ &&
        bitBlt_(pso_, nullptr, nullptr, clip_, nullptr, &target, nullptr, nullptr, brush, &origin_, kPatCopy))
      return TRUE;
    Path path;
    path.AddRectangle(rect);
    return Fill(path, brush);
  }

  BOOL FillBand(const Band& band, bool upright, BRUSHOBJ* brush) {
    if (upright) return PaintRect(BandRect(band), brush);
    return Fill(*BandPath(band), brush);
  }

  // One glyph's bitmap at its origin: a mask blit, or where the library has no
  // DrvBitBlt (or refuses it) the set pixels as rectangles of a path.
  BOOL Glyph(const GLYPHBITS* bits, POINTL at, BRUSHOBJ* brush) {
    const LONG cx = bits->sizlBitmap.cx, cy = bits->sizlBitmap.cy;
    if (cx <= 0 || cy <= 0) return TRUE;
    const LONG rowBytes = (cx + 7) / 8;
    const size_t total = static_cast<size_t>(rowBytes) * static_cast<size_t>(cy);
    if (std::all_of(bits->aj, bits->aj + total, [](BYTE b) { return b == 0; })) return TRUE;  // no ink (a space)
    RECTL dest{at.x + bits->ptlOrigin.x, at.y + bits->ptlOrigin.y, 0, 0};
    dest.right = dest.left + cx;
    dest.bottom = dest.top + cy;
    if (bitBlt_) {
      ScratchBitmap mask(cx, cy, BMF_1BPP);
      SURFOBJ* so = mask.get();
      if (so == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
      }
      for (LONG row = 0; row < cy; ++row)
        std::memcpy(static_cast<BYTE*>(so->pvScan0) + row * so->lDelta, bits->aj + row * rowBytes,
                    static_cast<size_t>(rowBytes));
      POINTL maskOrigin{0, 0};
      if (bitBlt_(pso_, nullptr, so, clip_, nullptr, &dest, nullptr, &maskOrigin, brush, &origin_, kMaskedBrush))
        return TRUE;
    }
    Path spans;
    for (LONG row = 0; row < cy; ++row) {
      const BYTE* line = bits->aj + row * rowBytes;
      auto set = [&](LONG col) { return (line[col / 8] >> (7 - col % 8)) & 1; };
      for (LONG col = 0; col < cx;) {
        if (!set(col)) {
          ++col;
          continue;
        }
        LONG stop = col;
        while (stop < cx && set(stop)) ++stop;
        spans.AddRectangle(RECTL{dest.left + col, dest.top + row, dest.left + stop, dest.top + row + 1});
        col = stop;
      }
    }
    return Fill(spans, brush);
  }

 private:
  SURFOBJ* pso_;
  Clip* clip_;
  POINTL origin_;
  PFN_DrvBitBlt bitBlt_ = nullptr;
  PFN_DrvFillPath fillPath_ = nullptr;
};

// How the library wants the engine's own glyphs: its DrvGetGlyphMode answer,
// bitmaps when it has none. Device fonts come as bitmaps either way (the
// engine has no outlines of them).
ULONG GlyphMode(const DeviceContext& dc, Font& font) {
  auto getGlyphMode = dc.driver->Get<PFN_DrvGetGlyphMode>(INDEX_DrvGetGlyphMode);
  const ULONG mode = getGlyphMode ? getGlyphMode(dc.pdev.dhpdev, &font) : FO_GLYPHBITS;
  return mode == FO_PATHOBJ && !font.IsDevice() ? FO_PATHOBJ : FO_GLYPHBITS;
}

// The glyphs as outlines placed at their origins, one path for the run.
std::unique_ptr<Path> RunOutline(Font& font, const LaidOutRun& run) {
  auto outline = std::make_unique<Path>();
  for (const GLYPHPOS& pos : run.glyphs) {
    GLYPHDATA* gd = font.Glyph(pos.hg, FO_PATHOBJ);
    if (gd == nullptr || gd->gdf.ppo == nullptr) continue;
    const auto* glyph = static_cast<const Path*>(gd->gdf.ppo);
    const FIX ox = pos.ptl.x * 16, oy = pos.ptl.y * 16;
    auto moved = [&](POINTFIX p) { return POINTFIX{p.x + ox, p.y + oy}; };
    for (const Path::Figure& figure : glyph->figures()) {
      outline->MoveTo(moved(figure.start));
      for (const Path::Run& part : figure.runs) {
        if (part.bezier) {
          for (size_t i = 0; i + 2 < part.points.size(); i += 3)
            outline->BezierTo(moved(part.points[i]), moved(part.points[i + 1]), moved(part.points[i + 2]));
        } else {
          for (const POINTFIX& p : part.points) outline->LineTo(moved(p));
        }
      }
      if (figure.closed) outline->CloseFigure();
    }
  }
  return outline;
}

BOOL DrawGlyphs(DeviceContext& dc, TextPainter& painter, Font& font, const LaidOutRun& run, BRUSHOBJ* fore) {
  if (GlyphMode(dc, font) == FO_PATHOBJ) return painter.Fill(*RunOutline(font, run), fore);
  for (const GLYPHPOS& pos : run.glyphs) {
    GLYPHDATA* gd = font.Glyph(pos.hg, FO_GLYPHBITS);
    if (gd == nullptr || gd->gdf.pgb == nullptr) {
      if (font.IsDevice()) {
        SetLastError(ERROR_NOT_SUPPORTED);  // the driver draws its fonts or gives their bitmaps
        return FALSE;
      }
      continue;
    }
    if (!painter.Glyph(gd->gdf.pgb, pos.ptl, fore)) return FALSE;
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
  const LONG glyphAngle = GlyphAngle(*dc, lf);
  Font* font = RealizeFont(*dc, RealizationRequest(lf, glyphAngle), LinearToDevice(*dc));
  if (font == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::vector<char32_t> points = CodePoints(text);
  LaidOutRun run = Layout(*dc, *font, x, y, points, dx, lf.lfEscapement, glyphAngle);

  SURFOBJ* pso = dc->Surface();
  const RECTL surface{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  std::vector<RECTL> area =
      dc->drawing.clipped ? IntersectRegions(dc->drawing.clip, {surface}) : std::vector<RECTL>{surface};
  // The opaque rectangle: ETO_OPAQUE's, else in OPAQUE mode the text's cells.
  // Cells that are no rectangle (turned text) are filled as a band before it.
  const XFORML& m = font->Transform()->matrix();
  const IFIMETRICS* ifi = font->Metrics();
  bool hasOpaque = false;
  RECTL opaque{};
  std::unique_ptr<Band> background;
  if (rect) {
    const PagePoint a = ToDevice(*dc, rect->left, rect->top), b = ToDevice(*dc, rect->right, rect->bottom);
    const RECTL given{
        static_cast<LONG>(std::lround(std::min(a.x, b.x))), static_cast<LONG>(std::lround(std::min(a.y, b.y))),
        static_cast<LONG>(std::lround(std::max(a.x, b.x))), static_cast<LONG>(std::lround(std::max(a.y, b.y)))};
    if (options & ETO_CLIPPED) area = IntersectRegions(area, {given});
    if (options & ETO_OPAQUE) {
      hasOpaque = true;
      opaque = given;
    }
  }
  if (!hasOpaque && dc->drawing.bkMode == OPAQUE && !run.glyphs.empty()) {
    if (run.upright) {
      hasOpaque = true;
      opaque = run.bounds;
    } else if (ifi != nullptr) {
      background =
          std::make_unique<Band>(BandAlongRun(run, m, -static_cast<double>(ifi->fwdWinAscender),
                                              static_cast<double>(ifi->fwdWinAscender) + ifi->fwdWinDescender));
    }
  }
  std::unique_ptr<Clip> clip =
      dc->drawing.clipped || (options & ETO_CLIPPED) ? Clip::Region(area) : Clip::Trivial(surface);
  if (RectEmpty(clip->rclBounds)) return TRUE;

  const std::vector<Band> lines = LineBands(lf, *font, run);
  std::vector<RECTL> extra;
  if (run.upright) {
    for (const Band& band : lines) extra.push_back(BandRect(band));
    if (!extra.empty()) extra.push_back(RECTL{0, 0, 0, 0});  // the list ends with an empty rectangle
  }

  FLONG accel = dx ? 0 : SO_FLAG_DEFAULT_PLACEMENT;
  if (run.upright) accel |= SO_HORIZONTAL;
  if (lf.lfEscapement != glyphAngle) accel |= SO_ESC_NOT_ORIENT;
  TextRun strobj(run.glyphs, text, codePage, accel, run.bounds);
  auto fore = Brush::Solid(dc->drawing.textColor & 0xFFFFFF);
  auto back = Brush::Solid(dc->drawing.bkColor & 0xFFFFFF);
  POINTL org{run.glyphs.empty() ? 0 : run.glyphs[0].ptl.x, run.glyphs.empty() ? 0 : run.glyphs[0].ptl.y};
  TextPainter painter(*dc, pso, clip.get(), org);

  if (background && !painter.FillBand(*background, false, back.get())) return FALSE;
  auto textOut = dc->driver->Get<PFN_DrvTextOut>(INDEX_DrvTextOut);
  bool drawn = false;
  if (textOut && (SurfaceHooks(pso) & HOOK_TEXTOUT)) {
    strobj.EnumStart();
    drawn = textOut(pso, &strobj, font, clip.get(), extra.empty() ? nullptr : extra.data(),
                    hasOpaque ? &opaque : nullptr, fore.get(), back.get(), &org, kCopyPen) != FALSE;
  }
  if (!drawn) {
    // GDI draws what the library would not: the background, the glyphs, the lines.
    if (hasOpaque && !painter.PaintRect(opaque, back.get())) return FALSE;
    if (!DrawGlyphs(*dc, painter, *font, run, fore.get())) return FALSE;
    for (const Band& band : lines)
      if (run.upright && !painter.FillBand(band, true, fore.get())) return FALSE;
  }
  if (!run.upright)
    for (const Band& band : lines)
      if (!painter.FillBand(band, false, fore.get())) return FALSE;
  return TRUE;
}

// The current font realised upright for measuring, with the scales that take
// its device pixels back to logical units.
struct Measure {
  Font* font = nullptr;
  double xScale = 1;  // device pixels per logical unit along x and y
  double yScale = 1;
};
Measure MeasuringFont(const DeviceContext& dc) {
  Measure out;
  const XFORML lin = LinearToDevice(dc);
  out.xScale = std::hypot(lin.eM11, lin.eM12);
  out.yScale = std::hypot(lin.eM21, lin.eM22);
  if (out.xScale <= 0) out.xScale = 1;
  if (out.yScale <= 0) out.yScale = 1;
  out.font = RealizeFont(dc, RealizationRequest(EffectiveFont(dc), 0), lin);
  return out;
}

BOOL TextExtent(HDC hdc, const std::u16string& text, LPSIZE size) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Measure measure = MeasuringFont(*dc);
  if (measure.font == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Font& font = *measure.font;
  // The advances the text is laid out with, in device pixels, back in logical units.
  std::vector<HGLYPH> handles;
  for (char32_t c : CodePoints(text)) handles.push_back(font.GlyphForChar(c));
  font.PrepareAdvances(handles);
  double width = 0;
  for (HGLYPH hg : handles)
    if (GLYPHDATA* gd = font.Glyph(hg, FO_HGLYPHS))
      width += std::hypot(static_cast<double>(gd->ptqD.x), static_cast<double>(gd->ptqD.y)) / kQuadOne;
  const IFIMETRICS* ifi = font.Metrics();
  const XFORML& m = font.Transform()->matrix();
  const double cell =
      ifi ? (static_cast<double>(ifi->fwdWinAscender) + ifi->fwdWinDescender) * std::hypot(m.eM21, m.eM22) : 0;
  *size = SIZE{static_cast<LONG>(std::lround(width / measure.xScale)),
               static_cast<LONG>(std::lround(cell / measure.yScale))};
  return TRUE;
}

}  // namespace

Font* RealizeCurrentFont(const DeviceContext& dc) {
  const LOGFONTW lf = EffectiveFont(dc);
  return RealizeFont(dc, RealizationRequest(lf, GlyphAngle(dc, lf)), LinearToDevice(dc));
}

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
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::SetTextColor(*display, color);
  auto dc = FindDC(hdc);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->drawing.textColor, color);
}

ZEL_EXTERN_C UINT SetTextAlign(HDC hdc, UINT align) {
  auto dc = FindDC(hdc);
  if (!dc) return 0xFFFFFFFFu;  // GDI_ERROR
  return std::exchange(dc->drawing.textAlign, align);
}

ZEL_EXTERN_C int SetBkMode(HDC hdc, int mode) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::SetBkMode(*display, mode);
  auto dc = FindDC(hdc);
  if (!dc) return 0;
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return std::exchange(dc->drawing.bkMode, mode);
}

ZEL_EXTERN_C int GetBkMode(HDC hdc) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::GetBkMode(*display);
  auto dc = FindDC(hdc);
  return dc ? dc->drawing.bkMode : 0;
}

ZEL_EXTERN_C COLORREF SetBkColor(HDC hdc, COLORREF color) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::SetBkColor(*display, color);
  auto dc = FindDC(hdc);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->drawing.bkColor, color & 0xFFFFFF);
}

ZEL_EXTERN_C COLORREF GetBkColor(HDC hdc) {
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::GetBkColor(*display);
  auto dc = FindDC(hdc);
  return dc ? dc->drawing.bkColor : CLR_INVALID;
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
  if (auto display = platform::gdi::display::Find(hdc))
    return platform::gdi::display::TextOut(*display, x, y, options, lprect, lpString, c);
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
  if (auto display = platform::gdi::display::Find(hdc)) return platform::gdi::display::TextMetrics(*display, lptm);
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  if (lptm == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Measure measure = MeasuringFont(*dc);
  const IFIMETRICS* ifi = measure.font ? measure.font->Metrics() : nullptr;
  if (ifi == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const XFORML& m = measure.font->Transform()->matrix();
  const double yUnits = std::hypot(m.eM21, m.eM22) / measure.yScale;  // logical units per notional unit
  const double xUnits = std::hypot(m.eM11, m.eM12) / measure.xScale;
  auto units = [](double v, double scale) { return static_cast<LONG>(std::lround(v * scale)); };
  const LOGFONTW lf = EffectiveFont(*dc);
  TEXTMETRICA tm{};
  tm.tmAscent = units(ifi->fwdWinAscender, yUnits);
  tm.tmDescent = units(ifi->fwdWinDescender, yUnits);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - units(ifi->fwdUnitsPerEm, yUnits));
  tm.tmExternalLeading = std::max<LONG>(0, units(ifi->fwdMacLineGap, yUnits));
  tm.tmAveCharWidth = units(ifi->fwdAveCharWidth, xUnits);
  tm.tmMaxCharWidth = units(ifi->fwdMaxCharInc, xUnits);
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
  BYTE kind = TMPF_VECTOR | TMPF_TRUETYPE;
  if (measure.font->IsDevice()) kind = TMPF_DEVICE | ((ifi->flInfo & FM_INFO_TECH_BITMAP) ? 0 : TMPF_VECTOR);
  tm.tmPitchAndFamily = static_cast<BYTE>((ifi->jWinPitchAndFamily & 0xF0) | (fixed ? 0 : TMPF_FIXED_PITCH) | kind);
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
  if (auto display = platform::gdi::display::Find(hdc))
    return platform::gdi::display::TextExtent(*display, lpString, c, psizl);
  if ((lpString == nullptr && c != 0) || c < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TextExtent(hdc, platform::ToUtf16(std::string_view(lpString ? lpString : "", static_cast<size_t>(c))), psizl);
}
