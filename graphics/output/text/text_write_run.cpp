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
#include "graphics/output/vector/vector_support.h"
#include "graphics/output/vector/vector_writer.h"
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
    case 90:
      return run.eM21 != 0 ? run.eM12 / -run.eM21 : 1.0f;
    case 270:
      return run.eM21 != 0 ? -run.eM12 / run.eM21 : 1.0f;
    default:
      return run.eM22 != 0 ? run.eM11 / run.eM22 : 1.0f;
  }
}

// A PostScript string of the codes: printable bytes as they are, the
// delimiters and backslash escaped, every other byte in octal.
std::string PostScriptString(const std::string& codes) {
  std::string out = " (";
  for (unsigned char c : codes) {
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 32 || c > 126) {
      char octal[5];
      FormatOut(octal, sizeof octal, "\\%o", static_cast<unsigned>(c));
      out += octal;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + ")";
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
bool RunWidth(FONTOBJ* font, const GLYPHPOS* glyphs, ULONG count, LONG* width) {
  FIX sum = 0;
  for (ULONG i = 0; i < count; ++i) {
    HGLYPH glyph = glyphs[i].hg;
    GLYPHDATA* data = nullptr;
    if (FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &glyph, reinterpret_cast<PVOID*>(&data)) != 1 || !data) return false;
    sum += data->fxD;
  }
  *width = (sum + 8) >> 4;
  return true;
}

DWORD ForegroundColor(BRUSHOBJ* brush) {
  // A patterned foreground prints its text black.
  if (!brush || brush->iSolidColor == SOLID_COLOR_NONE) return 0;
  return brush->iSolidColor & 0x00FFFFFF;
}

}  // namespace

BOOL WriteTextRun(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, GLYPHPOS* glyphs,
                  const WCHAR* chars, ULONG count, CLIPOBJ* clip, BRUSHOBJ* /*opaque*/, BRUSHOBJ* foreground,
                  TextRunContext* run) {
  if (!pdev || !font || !glyphs || count == 0 || !run) return FALSE;
  const bool ps = TextIsPostScript(pdev);
  const IFIMETRICS* metrics = FONTOBJ_pifi(font);
  if (!metrics) return FALSE;
  const bool trueType = font->flFontType & TRUETYPE_FONTTYPE;
  const DeviceFontEntry* printer = RunPrinterFont(pdev, font, *run);
  const bool cjkPrinter = printer && IsCjkCharset(printer->metrics->jWinCharSet);
  const bool downloaded = record && !run->printerFont;
  const bool watermark = pdev->watermarkTextFlag != 0;
  const LONG em = metrics->fwdUnitsPerEm;
  // Glyphs off the page's top or left edge are left out; the text starts at the
  // first one that is on it, so that no character moves into another's place.
  ULONG firstVisible = 0;
  while (firstVisible < count && !Visible(glyphs[firstVisible].ptl)) ++firstVisible;
  if (firstVisible == count) return TRUE;
  const POINTL first = glyphs[firstVisible].ptl;

  // 1. Text the printer turns itself: its direction and its anchor.
  const bool turned = run->rotated && (trueType ? (!record || run->outline) : run->outline);
  float upX = 0, upY = 0;
  float anchorX = static_cast<float>(first.x), anchorY = static_cast<float>(first.y);
  if (turned) {
    const float scale = GetFontScale(font);
    if (scale > 0) {
      upX = -run->eM21 * static_cast<float>(em) / scale;
      upY = run->eM22 * static_cast<float>(em) / scale;
    }
    POINTL ascender{0, -metrics->fwdWinAscender}, device{};
    if (XFORMOBJ_bApplyXform(run->xform, XF_LTOL, 1, &ascender, &device)) {
      const float ascent = static_cast<float>(IntHypot(device.x, device.y));
      anchorX += upX * ascent;
      anchorY += upY * ascent;
    }
  }

  // 2. The clip, unless the text lies inside it anyway.
  bool clipped = false;
  if (clip && clip->iDComplexity == DC_RECT && pdev->job.pathEscapeDepth <= 0 &&
      !(pdev->captureFlags & kCaptureBanner) && !(!ps && cjkPrinter)) {
    bool inside = false;
    if (!run->rotated) {
      POINTL ascender{0, -metrics->fwdWinAscender}, device{};
      if (XFORMOBJ_bApplyXform(run->xform, XF_LTOL, 1, &ascender, &device)) {
        // The first glyph alone does not say where the rest of the run
        // ends: the run's box must lie inside the clip as well.
        const RECTL& box = run->textBounds;
        const RECTL& c = clip->rclBounds;
        const bool boxInside = box.left >= c.left && box.top >= c.top && box.right <= c.right && box.bottom <= c.bottom;
        inside = boxInside && InBounds(c, first.x, first.y) &&
                 InBounds(c, first.x + device.x - 1, first.y + device.y - 1);
      }
    }
    if (!inside) {
      const RECTL& b = clip->rclBounds;
      if (ps) {
        if (!Formatted(pdev, " gs %d %d %d %d rc\n", b.left, b.top, b.right - b.left, b.bottom - b.top)) return FALSE;
      } else if (!vectorout::EnterHpgl(pdev) || !Formatted(pdev, "IW%d,%d,%d,%d", b.left, b.bottom, b.right, b.top)) {
        return FALSE;
      }
      clipped = true;
    }
  }

  // 3. PCL text or HP-GL/2 labels.
  const bool hpgl = !ps && ((!cjkPrinter && turned) || clipped || glyphs[0].ptl.x < 0 || run->anisotropic || watermark);

  // 4. Font and colour. A PCL font selection is a PCL command: it is written
  // after HP-GL/2 is left, never inside it.
  if (!ps && !hpgl && !vectorout::LeaveHpgl(pdev)) return FALSE;
  if (!SelectDeviceFont(pdev, font, record, page, glyphs, count, hpgl ? TRUE : FALSE, run)) return FALSE;
  const DWORD rgb = ForegroundColor(foreground);
  if (ps) {
    SelectFillHpglPs(pdev, rgb, TRUE, kTargetPostScript, kHpglFill);
  } else if (hpgl) {
    if (!vectorout::EnterHpgl(pdev)) return FALSE;
    SelectFillHpglPs(pdev, rgb, TRUE, kTargetHpgl, kHpglFill);
  } else {
    if (!vectorout::LeaveHpgl(pdev)) return FALSE;
    if (pdev->writers.raster.sourceTransparencySent) {
      if (!Text(pdev, "\x1b*v0N")) return FALSE;
      pdev->writers.raster.sourceTransparencySent = 0;
    }
    SelectFillHpglPs(pdev, rgb, TRUE, pdev->devmode.dmPrivate._nPDL, kHpglFill);
  }

  // 5. Position.
  bool bracketOpen = clipped && ps;
  bool startWritten = false;
  POINTL origin = first;
  if (ps) {
    if (turned) {
      if (!bracketOpen && !Text(pdev, " gs")) return FALSE;
      bracketOpen = true;
      if (!Formatted(pdev, " %d %d translate %F %F atan rotate\n", first.x, first.y, &upX, &upY)) return FALSE;
      origin = POINTL{0, 0};
    }
    if (!Formatted(pdev, " %d %d m", origin.x, origin.y)) return FALSE;
  } else if (hpgl) {
    if (!Text(pdev, watermark ? "CF1;LO21;" : "CF2;LO21;")) return FALSE;
    if (!turned) {
      if (!Formatted(pdev, "PAPU%d,%d;DI;", first.x, first.y)) return FALSE;
    } else if (!run->printerFont) {
      if (!Formatted(pdev, "PAPU%F,%F;", &anchorX, &anchorY)) return FALSE;
    } else {
      const float scale = GetFontScale(font);
      const float run1 = scale > 0 ? static_cast<float>(em) * run->eM22 / scale : 1.0f;
      const float rise = scale > 0 ? static_cast<float>(em) * run->eM21 / scale : 0.0f;
      if (!Formatted(pdev, "PAPU%d,%d;DI%F,%F;", first.x, first.y, &run1, &rise)) return FALSE;
    }
  } else {
    if (firstVisible == 0) {
      if (!Formatted(pdev, "\x1b*p%dx%dY", PclPosition(first.x), PclPosition(first.y))) return FALSE;
      startWritten = true;
    }
    if (QuarterTurn(*run) && !Formatted(pdev, "\x1b&a%uP", static_cast<unsigned>(run->angle))) return FALSE;
  }

  // 6. Scale of an anisotropic font.
  bool scaled = false;
  const float ratio = AnisotropicRatio(*run);
  if (ps && run->scalable && run->anisotropic) {
    const float one = 1.0f;
    if (!Formatted(pdev, " gs %F %F scale", &ratio, &one)) return FALSE;
    scaled = true;
  }
  bool sizeSet = false;
  if (hpgl && run->anisotropic) {
    const IFIMETRICS* sizeMetrics = run->substitute >= 0 && printer ? printer->metrics : metrics;
    float width = 0, height = 0;
    if (GetHpglCharacterSize(pdev, run->xform, sizeMetrics, em, &width, &height)) {
      if (!Formatted(pdev, "SI%F,%F;", &width, &height)) return FALSE;
      sizeSet = true;
    }
  }

  // 7. The codes, and 8. the PostScript show form.
  char faceName[33] = {};
  const bool vertical = printer && DeviceFontFaceName(printer->metrics, faceName)[0] == '@';
  std::string codes;
  std::vector<POINTL> written;  // positions of the glyphs written
  bool ok = true;
  vectorout::TextChunk chunk(pdev);
  bool hpglLabelOpen = false;
  for (ULONG i = 0; i < count && ok; ++i) {
    const POINTL p = glyphs[i].ptl;
    if (!Visible(p)) continue;
    const std::string code = GlyphCode(glyphs[i].hg, chars ? chars[i] : 0, font, record, page, i, *run);
    if (ps) {
      codes += code;
      written.push_back(p);
      continue;
    }
    if (hpgl) {
      if (!run->positioned) {
        if (!hpglLabelOpen) chunk.Add("LB");
        hpglLabelOpen = true;
        chunk.AddBytes(code.data(), code.size());
      } else {
        if (turned && !run->printerFont) {
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
    // PCL text.
    const bool later = !written.empty();
    if (!startWritten) {
      chunk.Add("\x1b*p%dx%dY", PclPosition(p.x), PclPosition(p.y));
      startWritten = true;
    } else if (later && run->positioned) {
      const bool wrap = cjkPrinter && QuarterTurn(*run);
      if (wrap) chunk.Add("\x1b&a0P");
      if (cjkPrinter) {
        chunk.Add("\x1b*p%dx%dY", p.x, p.y);
      } else {
        chunk.Add("\x1b*p%dx%dY", PclPosition(p.x), PclPosition(p.y));
      }
      if (wrap) chunk.Add("\x1b&a%uP", static_cast<unsigned>(run->angle));
    } else if (later && run->rotated) {
      if (cjkPrinter && !QuarterTurn(*run)) {
        chunk.Add("\x1b*p%dx%dY", p.x, p.y);
      } else {
        chunk.Add("\x1b&a0P");
        if (cjkPrinter && vertical) {
          chunk.Add("\x1b*p%dY", p.y);
        } else {
          chunk.Add("\x1b*p%dX", p.x);
        }
        chunk.Add("\x1b&a%uP", static_cast<unsigned>(run->angle));
      }
    }
    chunk.AddBytes(code.data(), code.size());
    written.push_back(p);
  }
  if (hpglLabelOpen) chunk.AddBytes("\x03", 1);
  if (!ps && !hpgl && QuarterTurn(*run)) chunk.Add("\x1b&a0P");
  ok = chunk.Flush() != 0;
  if (!ok) return FALSE;

  if (ps && !written.empty()) {
    const bool bold = font->flFontType & FO_SIM_BOLD;
    const bool outlineDownload = downloaded && run->outline;
    std::string text = watermark ? " 1 lw" : "";
    text += cjkPrinter ? HexString(codes) : PostScriptString(codes);
    if (!Bytes(pdev, text.data(), text.size())) return FALSE;
    const char* boldForm = downloaded ? (outlineDownload ? "ssB" : "sbB") : nullptr;
    bool writtenForm = true;
    if (watermark) {
      writtenForm = Text(pdev, "false charpath stroke");
    } else if (written.size() == 1) {
      writtenForm = Text(pdev, !bold ? "show" : boldForm ? boldForm : "SB");
    } else if (!run->positioned) {
      const bool fit = trueType && run->printerFont;
      if (bold && downloaded) {
        writtenForm = Text(pdev, boldForm);
      } else if (fit) {
        LONG width = 0;
        if (!RunWidth(font, glyphs, count, &width)) return FALSE;
        const char* form = bold ? "Fitb" : "Fit";
        if (run->scalable && run->anisotropic) {
          writtenForm = Formatted(pdev, "%d %F div %s", width, &ratio, form);
        } else {
          writtenForm = Formatted(pdev, "%d %s", width, form);
        }
      } else {
        writtenForm = Text(pdev, bold ? "FitB" : "show");
      }
    } else {
      std::vector<POINTL> steps;
      for (size_t i = 1; i < written.size(); ++i)
        steps.push_back(POINTL{written[i].x - written[i - 1].x, written[i].y - written[i - 1].y});
      if (run->rotated && (run->outline || run->printerFont))
        RotatePoints(*run, steps.data(), static_cast<ULONG>(steps.size()));
      vectorout::TextChunk array(pdev);
      array.Add("[");
      for (const POINTL& step : steps) {
        LONG dx = step.x;
        if (run->scalable && run->anisotropic && ratio != 0) dx = RoundToInt(static_cast<float>(dx) / ratio);
        array.Add("%d %d ", dx, step.y);
      }
      array.Add("0 0");
      const char* form = !bold ? "]XYS" : run->printerFont ? "]XYB" : outlineDownload ? "]xysB" : "]xybB";
      array.Add("%s", form);
      writtenForm = array.Flush() != 0;
    }
    if (!writtenForm) return FALSE;
  }

  // 9. The end of the stretch.
  if (ps) {
    if (scaled && !Text(pdev, " gr")) return FALSE;
    if (!Text(pdev, bracketOpen ? "\ngr\n" : "\n")) return FALSE;
  } else {
    if (clipped && !Text(pdev, "IW;")) return FALSE;
    if (sizeSet && !cjkPrinter && !Text(pdev, "SI;")) return FALSE;
  }
  if (clipped || turned) {
    pdev->currentFont = kNoCurrentFont;
  }
  if (ps && bracketOpen) {
    // The grestore took back the font and colour chosen inside the bracket.
    pdev->savedTextStates[kPclTextState][0] = 0;
    InvalidateVectorState(pdev, kStaleColor);
  }
  return TRUE;
}
