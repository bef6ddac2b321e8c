// The DEVINFO of a device context: what the engine may hand the library, the
// fonts it offers by default and the palette of its 24-bit surface.
#include <cstring>
#include <iterator>

#include "graphics/core/pdev.h"
#include "graphics/ddi/device_info.h"
#include "graphics/output/fonts/device_fonts.h"
#include "platform/base/codepage.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr FLONG kGraphicsCaps = GCAPS_GEOMETRICWIDE | GCAPS_ALTERNATEFILL | GCAPS_WINDINGFILL | GCAPS_DONTJOURNAL;
constexpr FLONG kDrawingCaps = GCAPS_BEZIERS | GCAPS_HALFTONE;
static_assert(kGraphicsCaps == 0x200E && kDrawingCaps == 0x11);

constexpr BYTE kDefaultPitchAndFamily = FF_ROMAN | FIXED_PITCH;      // 0x11
constexpr BYTE kVariablePitchAndFamily = FF_SWISS | VARIABLE_PITCH;  // 0x22
constexpr BYTE kFixedPitchAndFamily = FF_MODERN | FIXED_PITCH;       // 0x31

// A 10-point font of the printer at its resolution.
LOGFONTW TenPointFont(LONG dpi, BYTE charset, BYTE pitchAndFamily, const char16_t* face) {
  LOGFONTW font{};
  font.lfHeight = -((dpi * 10 + 36) / 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = charset;
  font.lfPitchAndFamily = pitchAndFamily;
  for (size_t i = 0; face[i] != 0 && i + 1 < std::size(font.lfFaceName); ++i) font.lfFaceName[i] = face[i];
  return font;
}

}  // namespace

bool CharsetOfCodePage(UINT codePage, BYTE* charset) {
  static constexpr struct {
    UINT codePage;
    BYTE charset;
  } kCharsets[] = {
      // clang-format off
      {1252, ANSI_CHARSET}, {932, SHIFTJIS_CHARSET}, {949, HANGUL_CHARSET}, {1361, JOHAB_CHARSET},
      {936, GB2312_CHARSET}, {950, CHINESEBIG5_CHARSET}, {1253, 161}, {1254, 162}, {1255, 177},
      {1256, 178}, {1257, 186}, {1251, 204}, {874, 222}, {1250, 238}, {1258, 163}, {42, SYMBOL_CHARSET},
      // clang-format on
  };
  for (const auto& row : kCharsets) {
    if (row.codePage == codePage) {
      if (charset) *charset = row.charset;
      return true;
    }
  }
  return false;
}

BOOL FillDevInfo(PDEV* pdev, ULONG size, DEVINFO* out) {
  if (!pdev) return FALSE;
  DEVINFO info{};
  info.flGraphicsCaps = kGraphicsCaps;
  if (pdev->devmode.dmPrivate._dwAdvSettings & kAdvEmfSpooling) info.flGraphicsCaps &= ~FLONG(GCAPS_DONTJOURNAL);
  info.flGraphicsCaps |= kDrawingCaps;

  info.cFonts = DeviceFontCount(pdev->carried.deviceFonts);
  if (info.cFonts > 0) {
    const LONG dpi = pdev->devmode.dmPublic.dmPrintQuality;
    BYTE charset = ANSI_CHARSET;
    if (!CharsetOfCodePage(GetACP(), &charset)) charset = ANSI_CHARSET;
    info.lfDefaultFont = TenPointFont(dpi, charset, kDefaultPitchAndFamily, u"");
    info.lfAnsiVarFont = TenPointFont(dpi, ANSI_CHARSET, kVariablePitchAndFamily, u"Helvetica");
    info.lfAnsiFixFont = TenPointFont(dpi, ANSI_CHARSET, kFixedPitchAndFamily, u"Courier");
  }
  info.iDitherFormat = BMF_24BPP;
  info.cxDither = 0;
  info.cyDither = 0;

  if (pdev->palette) EngDeletePalette(pdev->palette);
  pdev->palette = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  if (!pdev->palette) return FALSE;
  info.hpalDefault = pdev->palette;

  if (out) std::memcpy(out, &info, size < sizeof info ? size : sizeof info);
  return TRUE;
}
