// Writing one stretch of text in one font: its clip, the choice between PCL
// text and HP-GL/2 labels, the font and colour, the position, the scale of an
// anisotropic font, the character codes and the PostScript show form.
#include <cmath>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/text/text_run.h"
#include "graphics/output/text/text_select_font.h"
#include "graphics/output/text/text_support.h"
#include "graphics/output/text/text_write_run.h"
#include "graphics/output/vector/vector_color.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/output/vector/vector_targets.h"
#include "graphics/stream/output.h"
#include "graphics/util/core_math.h"
#include "graphics/util/font_size.h"
#include "platform/base/codepage.h"
#include "platform/gdi/eng_services.h"

using vectorout::Bytes;
using vectorout::Formatted;
using vectorout::Text;

namespace {

constexpr LONG kLargestPclPosition = 32767;

bool Visible(const POINTL& p) { return p.x >= 0 && p.y >= 0; }

bool InBounds(const RECTL& bounds, LONG x, LONG y) {
  return x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom;
}

bool QuarterTurn(const TextRunContext& run) { return run.rotated && run.angle > 0; }

// PCL cursor positions are 16-bit: a position beyond that range is held at its
// edge rather than wrapped to the other side of the page.
LONG PclPosition(LONG value) { return value < 0 ? 0 : value > kLargestPclPosition ? kLargestPclPosition : value; }

// The x:y ratio of an anisotropic font.
float AnisotropicRatio(const TextRunContext& run) {
  switch (run.angle) {
    case 90: return run.eM21 != 0 ? run.eM12 / -run.eM21 : 1.0f;
    case 270: return run.eM21 != 0 ? -run.eM12 / run.eM21 : 1.0f;
    default: return run.eM22 != 0 ? run.eM11 / run.eM22 : 1.0f;
  }
}

// A PostScript string of the codes: printable bytes as they are, the
// delimiters and backslash escaped, every other byte in octal. Stretches of
// plain bytes are copied whole.
std::string PostScriptString(const std::string& codes) {
  std::string out;
  out.reserve(codes.size() + 8);
  out += " (";
  size_t plain = 0;  // where the plain bytes not yet copied begin
  for (size_t i = 0; i < codes.size(); ++i) {
    const auto c = static_cast<unsigned char>(codes[i]);
    const bool delimiter = c == '(' || c == ')' || c == '\\';
    if (!delimiter && c >= 32 && c <= 126) continue;
    out.append(codes, plain, i - plain);
    plain = i + 1;
    if (delimiter) {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      char octal[5];
      FormatOut(octal, sizeof octal, "\\%o", static_cast<unsigned>(c));
      out += octal;
    }
  }
  out.append(codes, plain, codes.size() - plain);
  out += ')';
  return out;
}

std::string HexString(const std::string& codes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = " <";
  for (unsigned char c : codes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out + ">";
}

// The width of the run: the glyphs' advances summed and rounded from 28.4.
// Text repeats few glyphs, so each advance is asked of the engine once a run.
bool RunWidth(FONTOBJ* font, const GLYPHPOS* glyphs, ULONG count, LONG* width) {
  struct Known {
    HGLYPH glyph = 0;
    FIX advance = 0;
    bool set = false;
  };
  Known known[64];
  FIX sum = 0;
  for (ULONG i = 0; i < count; ++i) {
    HGLYPH glyph = glyphs[i].hg;
    Known& slot = known[glyph % 64];
    if (!slot.set || slot.glyph != glyph) {
      GLYPHDATA* data = nullptr;
      if (FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &glyph, reinterpret_cast<PVOID*>(&data)) != 1 || !data)
        return false;
      slot = Known{glyph, data->fxD, true};
    }
    sum += slot.advance;
  }
  *width = (sum + 8) >> 4;
  return true;
}

DWORD ForegroundColor(BRUSHOBJ* brush) {
  // A patterned foreground prints its text black.
  if (!brush || brush->iSolidColor == SOLID_COLOR_NONE) return 0;
  return brush->iSolidColor & 0x00FFFFFF;
}

// One stretch as its steps see it: what the call gave, what follows from it,
// and what each step decides for the later ones.
struct Stretch {
  PDEV* pdev;
  FONTOBJ* font;
  FontDownloadRecord* record;
  GlyphPageRecord* page;
  GLYPHPOS* glyphs;
  const WCHAR* chars;
  ULONG count;
  TextRunContext* run;

  bool ps = false;
  const IFIMETRICS* metrics = nullptr;
  bool trueType = false;
  const DeviceFontEntry* printer = nullptr;
  bool cjkPrinter = false;
  bool downloaded = false;
  bool watermark = false;
  LONG em = 0;
  ULONG firstVisible = 0;
  POINTL first{};

  bool turned = false;  // the printer turns the text itself
  float upX = 0, upY = 0;
  float anchorX = 0, anchorY = 0;
  bool clipped = false;       // a clip bracket is open
  bool hpgl = false;          // HP-GL/2 labels rather than PCL text
  bool bracketOpen = false;   // a PostScript gsave is open
  bool startWritten = false;  // the PCL cursor is at the first glyph
  POINTL origin{};
  float ratio = 1.0f;           // the anisotropic x:y ratio
  bool scaled = false;          // a PostScript scale bracket is open
  bool sizeSet = false;         // an HP-GL/2 character size was set
  std::string codes;            // PostScript: the codes of the glyphs written
  std::vector<POINTL> written;  // positions of the glyphs written
};

// Text the printer turns itself: its direction and its anchor.
void PlaceTurnedText(Stretch& s) {
  const TextRunContext& run = *s.run;
  s.turned = run.rotated && (s.trueType ? (!s.record || run.outline) : run.outline);
  s.anchorX = static_cast<float>(s.first.x);
  s.anchorY = static_cast<float>(s.first.y);
  if (!s.turned) return;
  const float scale = GetFontScale(s.font);
  if (scale > 0) {
    s.upX = -run.eM21 * static_cast<float>(s.em) / scale;
    s.upY = run.eM22 * static_cast<float>(s.em) / scale;
  }
  POINTL ascender{0, -s.metrics->fwdWinAscender}, device{};
  if (XFORMOBJ_bApplyXform(run.xform, XF_LTOL, 1, &ascender, &device)) {
    const float ascent = static_cast<float>(IntHypot(device.x, device.y));
    s.anchorX += s.upX * ascent;
    s.anchorY += s.upY * ascent;
  }
}

// Whether the whole run lies inside the clip rectangle, so that no clip needs
// writing.
bool RunInsideClip(const Stretch& s, const CLIPOBJ* clip) {
  const TextRunContext& run = *s.run;
  if (run.rotated) return false;
  POINTL ascender{0, -s.metrics->fwdWinAscender}, device{};
  if (!XFORMOBJ_bApplyXform(run.xform, XF_LTOL, 1, &ascender, &device)) return false;
  // The first glyph alone does not say where the rest of the run ends: the
  // run's box must lie inside the clip as well.
  const RECTL& box = run.textBounds;
  const RECTL& c = clip->rclBounds;
  const bool boxInside = box.left >= c.left && box.top >= c.top && box.right <= c.right && box.bottom <= c.bottom;
  return boxInside && InBounds(c, s.first.x, s.first.y) &&
         InBounds(c, s.first.x + device.x - 1, s.first.y + device.y - 1);
}

// The clip, unless the text lies inside it anyway.
bool WriteStretchClip(Stretch& s, CLIPOBJ* clip) {
  PDEV* pdev = s.pdev;
  if (!clip || clip->iDComplexity != DC_RECT || pdev->job.pathEscapeDepth > 0 ||
      (pdev->carried.captureFlags & kCaptureBanner) || (!s.ps && s.cjkPrinter))
    return true;
  if (RunInsideClip(s, clip)) return true;
  const RECTL& b = clip->rclBounds;
  if (s.ps) {
    if (!Formatted(pdev, " gs %d %d %d %d rc\n", b.left, b.top, b.right - b.left, b.bottom - b.top)) return false;
  } else if (!vectorout::EnterHpgl(pdev) || !Formatted(pdev, "IW%d,%d,%d,%d", b.left, b.bottom, b.right, b.top)) {
    return false;
  }
  s.clipped = true;
  return true;
}

// PCL text or HP-GL/2 labels: labels whenever PCL text cannot show the run as
// it is (turned, clipped, off the left edge, stretched or a watermark).
bool UsesHpglLabels(const Stretch& s) {
  return !s.ps &&
         ((!s.cjkPrinter && s.turned) || s.clipped || s.glyphs[0].ptl.x < 0 || s.run->anisotropic || s.watermark);
}

// Font and colour. A PCL font selection is a PCL command: it is written after
// HP-GL/2 is left, never inside it.
bool SelectFontAndColor(Stretch& s, BRUSHOBJ* foreground) {
  PDEV* pdev = s.pdev;
  if (!s.ps && !s.hpgl && !vectorout::LeaveHpgl(pdev)) return false;
  if (!SelectDeviceFont(pdev, s.font, s.record, s.page, s.glyphs, s.count, s.hpgl ? TRUE : FALSE, s.run)) return false;
  const DWORD rgb = ForegroundColor(foreground);
  if (s.ps) {
    SelectFillHpglPs(pdev, rgb, TRUE, kTargetPostScript, kHpglFill);
  } else if (s.hpgl) {
    if (!vectorout::EnterHpgl(pdev)) return false;
    SelectFillHpglPs(pdev, rgb, TRUE, kTargetHpgl, kHpglFill);
  } else {
    if (!vectorout::LeaveHpgl(pdev)) return false;
    if (pdev->writers.raster.sourceTransparencySent) {
      if (!Text(pdev, "\x1b*v0N")) return false;
      pdev->writers.raster.sourceTransparencySent = 0;
    }
    SelectFillHpglPs(pdev, rgb, TRUE, pdev->devmode.dmPrivate._nPDL, kHpglFill);
  }
  return true;
}

// The position of the stretch's first glyph.
bool WriteStartPosition(Stretch& s) {
  PDEV* pdev = s.pdev;
  const TextRunContext& run = *s.run;
  s.bracketOpen = s.clipped && s.ps;
  s.origin = s.first;
  if (s.ps) {
    if (s.turned) {
      if (!s.bracketOpen && !Text(pdev, " gs")) return false;
      s.bracketOpen = true;
      if (!Formatted(pdev, " %d %d translate %F %F atan rotate\n", s.first.x, s.first.y, &s.upX, &s.upY)) return false;
      s.origin = POINTL{0, 0};
    }
    return Formatted(pdev, " %d %d m", s.origin.x, s.origin.y);
  }
  if (s.hpgl) {
    if (!Text(pdev, s.watermark ? "CF1;LO21;" : "CF2;LO21;")) return false;
    if (!s.turned) return Formatted(pdev, "PAPU%d,%d;DI;", s.first.x, s.first.y);
    if (!run.printerFont) return Formatted(pdev, "PAPU%F,%F;", &s.anchorX, &s.anchorY);
    const float scale = GetFontScale(s.font);
    const float run1 = scale > 0 ? static_cast<float>(s.em) * run.eM22 / scale : 1.0f;
    const float rise = scale > 0 ? static_cast<float>(s.em) * run.eM21 / scale : 0.0f;
    return Formatted(pdev, "PAPU%d,%d;DI%F,%F;", s.first.x, s.first.y, &run1, &rise);
  }
  if (s.firstVisible == 0) {
    if (!Formatted(pdev, "\x1b*p%dx%dY", PclPosition(s.first.x), PclPosition(s.first.y))) return false;
    s.startWritten = true;
  }
  return !QuarterTurn(run) || Formatted(pdev, "\x1b&a%uP", static_cast<unsigned>(run.angle));
}

// The scale of an anisotropic font.
bool WriteAnisotropicScale(Stretch& s) {
  PDEV* pdev = s.pdev;
  const TextRunContext& run = *s.run;
  s.ratio = AnisotropicRatio(run);
  if (s.ps && run.scalable && run.anisotropic) {
    const float one = 1.0f;
    if (!Formatted(pdev, " gs %F %F scale", &s.ratio, &one)) return false;
    s.scaled = true;
  }
  if (s.hpgl && run.anisotropic) {
    const IFIMETRICS* sizeMetrics = run.substitute >= 0 && s.printer ? s.printer->metrics : s.metrics;
    float width = 0, height = 0;
    if (GetHpglCharacterSize(pdev, run.xform, sizeMetrics, s.em, &width, &height)) {
      if (!Formatted(pdev, "SI%F,%F;", &width, &height)) return false;
      s.sizeSet = true;
    }
  }
  return true;
}

// The PCL cursor moves before a later glyph of the stretch.
void AddPclGlyphPosition(const Stretch& s, vectorout::TextChunk& chunk, const POINTL& p, bool vertical) {
  const TextRunContext& run = *s.run;
  if (run.positioned) {
    const bool wrap = s.cjkPrinter && QuarterTurn(run);
    if (wrap) chunk.Add("\x1b&a0P");
    if (s.cjkPrinter) {
      chunk.Add("\x1b*p%dx%dY", p.x, p.y);
    } else {
      chunk.Add("\x1b*p%dx%dY", PclPosition(p.x), PclPosition(p.y));
    }
    if (wrap) chunk.Add("\x1b&a%uP", static_cast<unsigned>(run.angle));
  } else if (run.rotated) {
    if (s.cjkPrinter && !QuarterTurn(run)) {
      chunk.Add("\x1b*p%dx%dY", p.x, p.y);
    } else {
      chunk.Add("\x1b&a0P");
      if (s.cjkPrinter && vertical) {
        chunk.Add("\x1b*p%dY", p.y);
      } else {
        chunk.Add("\x1b*p%dX", p.x);
      }
      chunk.Add("\x1b&a%uP", static_cast<unsigned>(run.angle));
    }
  }
}

// The character codes: PCL text and HP-GL/2 labels are written here;
// PostScript's are gathered for its show form.
bool WriteCodes(Stretch& s) {
  PDEV* pdev = s.pdev;
  const TextRunContext& run = *s.run;
  char faceName[33] = {};
  const bool vertical = s.printer && DeviceFontFaceName(s.printer->metrics, faceName)[0] == '@';
  vectorout::TextChunk chunk(pdev);
  bool hpglLabelOpen = false;
  s.written.reserve(s.count);
  if (s.ps) s.codes.reserve(s.count);
  for (ULONG i = 0; i < s.count; ++i) {
    const POINTL p = s.glyphs[i].ptl;
    if (!Visible(p)) continue;
    char single = 0;
    const std::string_view code =
        GlyphCode(s.glyphs[i].hg, s.chars ? s.chars[i] : 0, s.record, s.page, i, run, &single);
    if (s.ps) {
      s.codes += code;
      s.written.push_back(p);
      continue;
    }
    if (s.hpgl) {
      if (!run.positioned) {
        if (!hpglLabelOpen) chunk.Add("LB");
        hpglLabelOpen = true;
        chunk.AddBytes(code.data(), code.size());
      } else {
        if (s.turned && !run.printerFont) {
          const float x = static_cast<float>(p.x), y = static_cast<float>(p.y);
          chunk.Add("PA%F,%F", &x, &y);
        } else {
          chunk.Add("PA%d,%d", p.x, p.y);
        }
        chunk.Add("LB");
        chunk.AddBytes(code.data(), code.size());
        chunk.AddBytes("\x03", 1);
      }
      continue;
    }
    if (!s.startWritten) {
      chunk.Add("\x1b*p%dx%dY", PclPosition(p.x), PclPosition(p.y));
      s.startWritten = true;
    } else if (!s.written.empty()) {
      AddPclGlyphPosition(s, chunk, p, vertical);
    }
    chunk.AddBytes(code.data(), code.size());
    s.written.push_back(p);
  }
  if (hpglLabelOpen) chunk.AddBytes("\x03", 1);
  if (!s.ps && !s.hpgl && QuarterTurn(run)) chunk.Add("\x1b&a0P");
  return chunk.Flush() != 0;
}

// PostScript's show form of a stretch whose glyphs each carry a position: the
// steps between them as an array.
bool WritePositionedShow(Stretch& s, bool bold, bool outlineDownload) {
  const TextRunContext& run = *s.run;
  std::vector<POINTL> steps;
  for (size_t i = 1; i < s.written.size(); ++i)
    steps.push_back(POINTL{s.written[i].x - s.written[i - 1].x, s.written[i].y - s.written[i - 1].y});
  if (run.rotated && (run.outline || run.printerFont))
    RotatePoints(run, steps.data(), static_cast<ULONG>(steps.size()));
  vectorout::TextChunk array(s.pdev);
  array.Add("[");
  for (const POINTL& step : steps) {
    LONG dx = step.x;
    if (run.scalable && run.anisotropic && s.ratio != 0) dx = RoundToInt(static_cast<float>(dx) / s.ratio);
    array.Add("%d %d ", dx, step.y);
  }
  array.Add("0 0");
  const char* form = !bold ? "]XYS" : run.printerFont ? "]XYB" : outlineDownload ? "]xysB" : "]xybB";
  array.Add("%s", form);
  return array.Flush() != 0;
}

// The PostScript string of the gathered codes and the form that shows it.
bool WritePostScriptShow(Stretch& s) {
  if (!s.ps || s.written.empty()) return true;
  PDEV* pdev = s.pdev;
  const TextRunContext& run = *s.run;
  const bool bold = s.font->flFontType & FO_SIM_BOLD;
  const bool outlineDownload = s.downloaded && run.outline;
  std::string text = s.watermark ? " 1 lw" : "";
  text += s.cjkPrinter ? HexString(s.codes) : PostScriptString(s.codes);
  if (!Bytes(pdev, text.data(), text.size())) return false;
  const char* boldForm = s.downloaded ? (outlineDownload ? "ssB" : "sbB") : nullptr;
  if (s.watermark) return Text(pdev, "false charpath stroke");
  if (s.written.size() == 1) return Text(pdev, !bold ? "show" : boldForm ? boldForm : "SB");
  if (run.positioned) return WritePositionedShow(s, bold, outlineDownload);
  const bool fit = s.trueType && run.printerFont;
  if (bold && s.downloaded) return Text(pdev, boldForm);
  if (!fit) return Text(pdev, bold ? "FitB" : "show");
  LONG width = 0;
  if (!RunWidth(s.font, s.glyphs, s.count, &width)) return false;
  const char* form = bold ? "Fitb" : "Fit";
  if (run.scalable && run.anisotropic) return Formatted(pdev, "%d %F div %s", width, &s.ratio, form);
  return Formatted(pdev, "%d %s", width, form);
}

// The end of the stretch: the brackets opened close, and what they took back
// is known to be no longer in force.
bool EndStretch(Stretch& s) {
  PDEV* pdev = s.pdev;
  if (s.ps) {
    if (s.scaled && !Text(pdev, " gr")) return false;
    if (!Text(pdev, s.bracketOpen ? "\ngr\n" : "\n")) return false;
  } else {
    if (s.clipped && !Text(pdev, "IW;")) return false;
    if (s.sizeSet && !s.cjkPrinter && !Text(pdev, "SI;")) return false;
  }
  if (s.clipped || s.turned) {
    pdev->currentFont = kNoCurrentFont;
  }
  if (s.ps && s.bracketOpen) {
    // The grestore took back the font and colour chosen inside the bracket.
    pdev->carried.savedTextStates[kPclTextState][0] = 0;
    InvalidateVectorState(pdev, kStaleColor);
  }
  return true;
}

}  // namespace

BOOL WriteTextRun(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, GLYPHPOS* glyphs,
                  const WCHAR* chars, ULONG count, CLIPOBJ* clip, BRUSHOBJ* /*opaque*/, BRUSHOBJ* foreground,
                  TextRunContext* run) {
  if (!pdev || !font || !glyphs || count == 0 || !run) return FALSE;
  Stretch s{pdev, font, record, page, glyphs, chars, count, run};
  s.ps = IsPostScriptJob(pdev);
  s.metrics = FONTOBJ_pifi(font);
  if (!s.metrics) return FALSE;
  s.trueType = font->flFontType & TRUETYPE_FONTTYPE;
  s.printer = RunPrinterFont(pdev, font, *run);
  s.cjkPrinter = s.printer && IsCjkCharset(s.printer->metrics->jWinCharSet);
  s.downloaded = record && !run->printerFont;
  s.watermark = pdev->carried.watermarkTextFlag != 0;
  s.em = s.metrics->fwdUnitsPerEm;
  // Glyphs off the page's top or left edge are left out; the text starts at the
  // first one that is on it, so that no character moves into another's place.
  while (s.firstVisible < count && !Visible(glyphs[s.firstVisible].ptl)) ++s.firstVisible;
  if (s.firstVisible == count) return TRUE;
  s.first = glyphs[s.firstVisible].ptl;

  PlaceTurnedText(s);
  if (!WriteStretchClip(s, clip)) return FALSE;
  s.hpgl = UsesHpglLabels(s);
  if (!SelectFontAndColor(s, foreground)) return FALSE;
  if (!WriteStartPosition(s)) return FALSE;
  if (!WriteAnisotropicScale(s)) return FALSE;
  if (!WriteCodes(s)) return FALSE;
  if (!WritePostScriptShow(s)) return FALSE;
  return EndStretch(s) ? TRUE : FALSE;
}
