// The text writer's entry: sorts a run into printer-font text, substituted
// TrueType text and downloaded-font text, and hands its glyphs on stretch by
// stretch. Kept alone in its file so that a test's recording writer replaces it.
#include "graphics/output/text/text_writer.h"
#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/ddi/device_font_lookup.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/find_substitute_device_font.h"
#include "graphics/output/text/text_output.h"
#include "graphics/output/text/text_run.h"
#include "graphics/output/text/text_support.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/gdi/eng_services.h"

namespace {

enum class RunMode { Downloaded, Device, Substituted };

constexpr DWORD kCodePageAnsiLatin = 1252;

DWORD RunCodePage(DWORD given, const TextRunContext& run, const IFIMETRICS* metrics) {
  if (given != 0) return given;
  if (!run.printerFont) return GetACP();
  switch (metrics ? metrics->jWinCharSet : ANSI_CHARSET) {
    case ANSI_CHARSET: return kCodePageAnsiLatin;
    case SYMBOL_CHARSET: return CP_SYMBOL;
    case SHIFTJIS_CHARSET:
    case GB2312_CHARSET: return GetACP();
    default: return 0;
  }
}

// Hands `count` glyphs to OutputText until all are written. A stretch that
// takes nothing ends the run as refused, so that the engine draws it.
bool WriteStretches(PDEV* pdev, FONTOBJ* font, CLIPOBJ* clip, const WCHAR* chars, GLYPHPOS* glyphs, ULONG count,
                    BRUSHOBJ* opaque, BRUSHOBJ* foreground, TextRunContext* run) {
  ULONG done = 0;
  while (done < count) {
    const int taken = OutputText(pdev, font, clip, chars ? chars + done : nullptr, glyphs + done, count - done, opaque,
                                 foreground, run);
    if (taken <= 0) return false;
    done += static_cast<ULONG>(taken);
    run->readPosition += taken;
  }
  return true;
}

// A substituted batch: characters that have a code in the printer font's code
// page print with it, the others through a downloaded font, in text order.
bool WriteSubstitutedBatch(PDEV* pdev, FONTOBJ* font, CLIPOBJ* clip, const WCHAR* chars, GLYPHPOS* glyphs, ULONG count,
                           BRUSHOBJ* opaque, BRUSHOBJ* foreground, TextRunContext* run) {
  const int converted = chars ? ConvertRunToCodePage(run, chars, count) : 0;
  if (converted <= 0) {
    // The whole batch goes down as a downloaded font.
    TextRunContext download = *run;
    FreeRunConversion(&download);
    download.download = 1;
    download.printerFont = 0;
    download.substitute = -1;
    download.codePage = GetACP();
    download.outline = DownloadAsOutline(pdev, font);
    download.scalable = download.outline;
    return WriteStretches(pdev, font, clip, chars, glyphs, count, opaque, foreground, &download);
  }
  // A batch that needs a downloaded font is refused before any of it is
  // written when no font can be downloaded: the engine then draws it whole,
  // and nothing prints twice.
  bool anyFellBack = false;
  for (ULONG i = 0; i < count; ++i) anyFellBack = anyFellBack || run->fellBack[i] != 0;
  if (anyFellBack) {
    const BOOL outline = DownloadAsOutline(pdev, font);
    if (!FindFontDownloadRecord(pdev, font, outline) && !NewFontDownloadRecord(pdev, font, outline)) return false;
  }
  ULONG start = 0;
  while (start < count) {
    const bool fell = run->fellBack[start] != 0;
    ULONG end = start + 1;
    while (end < count && (run->fellBack[end] != 0) == fell) ++end;
    if (!fell) {
      // A printer-font stretch differs from the batch only in where it starts:
      // it reads the batch's conversion in place, not a copy of it.
      const int position = run->readPosition;
      run->readPosition = static_cast<int>(start);
      const bool written =
          WriteStretches(pdev, font, clip, chars + start, glyphs + start, end - start, opaque, foreground, run);
      run->readPosition = position;
      if (!written) return false;
      start = end;
      continue;
    }
    TextRunContext stretch = *run;
    stretch.readPosition = static_cast<int>(start);
    stretch.download = 1;
    stretch.printerFont = 0;
    stretch.substitute = -1;
    stretch.outline = DownloadAsOutline(pdev, font);
    stretch.scalable = stretch.outline;
    if (!WriteStretches(pdev, font, clip, chars + start, glyphs + start, end - start, opaque, foreground, &stretch))
      return false;
    start = end;
  }
  return true;
}

}  // namespace

BOOL WalkGlyphs(PDEV* pdev, STROBJ* text, CLIPOBJ* clip, FONTOBJ* font, BRUSHOBJ* opaque, BRUSHOBJ* foreground) {
  if (!pdev || !text || text->cGlyphs == 0 || !font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (clip && clip->iDComplexity == DC_COMPLEX) return FALSE;
  STROBJ_vEnumStart(text);
  TextRunContext run;
  run.xform = FONTOBJ_pxoGetXform(font);
  if (!run.xform) return FALSE;
  XFORML matrix{};
  run.xformKind = XFORMOBJ_iGetXform(run.xform, &matrix);
  if (run.xformKind > GX_GENERAL) return FALSE;
  run.eM11 = matrix.eM11;
  run.eM12 = matrix.eM12;
  run.eM21 = matrix.eM21;
  run.eM22 = matrix.eM22;
  run.eDx = matrix.eDx;
  run.eDy = matrix.eDy;
  AnalyseTextRotation(&run);
  run.anisotropic = IsAnisotropicScale(&run);
  run.outline = DownloadAsOutline(pdev, font);
  run.scalable = run.outline;
  run.positioned = (text->flAccel & SO_FLAG_DEFAULT_PLACEMENT) ? 0 : 1;
  run.dbcs = (font->flFontType & FO_DBCS_FONT) ? 1 : 0;
  run.textBounds = text->rclBkGround;

  RunMode mode = RunMode::Downloaded;
  if (font->flFontType & TRUETYPE_FONTTYPE) {
    run.substitute = (text->flAccel & SO_GLYPHINDEX_TEXTOUT) ? -1 : FindSubstituteDeviceFont(pdev, font, &run);
    run.printerFont = run.substitute >= 0 ? 1 : 0;
    if (run.printerFont && RunPrinterFont(pdev, font, run)) {
      mode = RunMode::Substituted;
      run.scalable = DeviceFontFlags(RunPrinterFont(pdev, font, run)->metrics) & kDeviceFontFlagScalable;
    } else {
      run.substitute = -1;
      run.printerFont = 0;
      run.download = 1;
    }
  } else if (font->flFontType & DEVICE_FONTTYPE) {
    const DeviceFontEntry* entry = FindDeviceFont(pdev, font->iFace);
    if (!entry) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    mode = RunMode::Device;
    run.printerFont = 1;
    run.download = CanDownloadFont(pdev, font) ? 1 : 0;
  } else {
    run.download = 1;
  }
  const DeviceFontEntry* printer = RunPrinterFont(pdev, font, run);
  run.codePage = RunCodePage(STROBJ_dwGetCodePage(text), run, printer ? printer->metrics : nullptr);

  ULONG enumerated = 0;
  BOOL more = TRUE;
  while (more) {
    ULONG count = 0;
    GLYPHPOS* glyphs = nullptr;
    more = STROBJ_bEnum(text, &count, &glyphs);
    if (count == 0 || !glyphs) break;
    const WCHAR* chars = text->pwszOrg ? text->pwszOrg + enumerated : nullptr;
    enumerated += count;
    bool written = false;
    switch (mode) {
      case RunMode::Downloaded:
        FreeRunConversion(&run);
        written = WriteStretches(pdev, font, clip, chars, glyphs, count, opaque, foreground, &run);
        break;
      case RunMode::Device:
        written = chars && ConvertRunToCodePage(&run, chars, count) > 0 &&
                  WriteStretches(pdev, font, clip, chars, glyphs, count, opaque, foreground, &run);
        break;
      case RunMode::Substituted:
        written = WriteSubstitutedBatch(pdev, font, clip, chars, glyphs, count, opaque, foreground, &run);
        break;
    }
    FreeRunConversion(&run);
    if (!written) return FALSE;
  }
  return TRUE;
}
