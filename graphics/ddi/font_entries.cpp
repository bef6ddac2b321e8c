// The small font calls of the engine: how glyphs are asked for, the advance
// widths of device fonts, and the font escapes.
#include <algorithm>
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/device_font_lookup.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/util/core_math.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr HGLYPH kLastSingleByteGlyph = 255;

// The advance of a glyph of a device font in font units: the metrics block's
// own width for single-byte codes, else the font's double-byte cell.
LONG GlyphWidth(const IFIMETRICS& block, const IFIMETRICS& fontMetrics, HGLYPH glyph) {
  if (glyph <= kLastSingleByteGlyph) {
    WORD width = 0;
    std::memcpy(&width, reinterpret_cast<const BYTE*>(&block) + kDeviceFontWidthsOffset + 2 * glyph, sizeof width);
    return width;
  }
  return (fontMetrics.flInfo & FM_INFO_DBCS_FIXED_PITCH) ? fontMetrics.fwdMaxCharInc : fontMetrics.fwdAveCharWidth;
}

// Whether a metrics block is long enough to hold the 256 widths.
bool HasWidthTable(const IFIMETRICS& block) {
  return block.cjThis >= kDeviceFontWidthsOffset + 2 * (kLastSingleByteGlyph + 1);
}

// The font escapes the library serves.
bool ServesFontEscape(ULONG mode) { return mode == QUERYESCSUPPORT || mode == GETFACENAME; }

// GETFACENAME of a device font: its face name (ANSI, the metrics block's 32
// bytes) into pvOut, terminated. 0 when it does not fit.
ULONG CopyDeviceFaceName(const DeviceFontEntry& entry, ULONG cjOut, PVOID pvOut) {
  if (entry.metrics->cjThis < kDeviceFontFaceNameOffset + kDeviceFontFaceNameBytes) return 0;
  const char* face = reinterpret_cast<const char*>(entry.metrics) + kDeviceFontFaceNameOffset;
  const size_t length = strnlen(face, kDeviceFontFaceNameBytes);
  if (!pvOut || cjOut < length + 1) return 0;
  std::memcpy(pvOut, face, length);
  static_cast<char*>(pvOut)[length] = '\0';
  return 1;
}

}  // namespace

ULONG DrvGetGlyphMode(DHPDEV /*dhpdev*/, FONTOBJ* /*pfo*/) { return FO_GLYPHBITS; }

BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                           ULONG cGlyphs) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return FALSE;
  if (iMode != QAW_GETWIDTHS && iMode != QAW_GETEASYWIDTHS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (cGlyphs == 0) return TRUE;
  const DeviceFontEntry* font =
      pfo && (pfo->flFontType & DEVICE_FONTTYPE) ? FindDeviceFont(pdev, pfo->iFace) : nullptr;
  if (!font || !phg || !pvWidths || !HasWidthTable(*font->metrics)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  XFORMOBJ* transform = FONTOBJ_pxoGetXform(pfo);
  const IFIMETRICS* metrics = FONTOBJ_pifi(pfo);
  if (!transform || !metrics) return FALSE;

  USHORT* widths = static_cast<USHORT*>(pvWidths);
  for (ULONG i = 0; i < cGlyphs; ++i) {
    POINTL advance{GlyphWidth(*font->metrics, *metrics, phg[i]), 0};
    POINTFIX device{};
    if (!XFORMOBJ_bApplyXform(transform, XF_LTOFX, 1, &advance, &device)) return FALSE;
    // Whole pixels, in 28.4.
    const LONG length = IntHypot(device.x, device.y);
    widths[i] = static_cast<USHORT>((length + 8) & ~15);
  }
  return TRUE;
}

ULONG DrvFontManagement(SURFOBJ* pso, FONTOBJ* pfo, ULONG iMode, ULONG cjIn, PVOID pvIn, ULONG cjOut,
                        PVOID pvOut) {
  if (iMode == QUERYESCSUPPORT) {
    // Only what is served is reported: an application that trusts the answer
    // must not be told of an escape that then does nothing.
    if (!pvIn || cjIn < sizeof(DWORD)) return 0;
    DWORD asked = 0;
    std::memcpy(&asked, pvIn, sizeof asked);
    return ServesFontEscape(asked) ? 1 : 0;
  }
  PDEV* pdev = CheckedPdev(pso);
  if (!pdev) return 0;
  if (iMode == GETFACENAME && pfo && (pfo->flFontType & DEVICE_FONTTYPE)) {
    const DeviceFontEntry* font = FindDeviceFont(pdev, pfo->iFace);
    return font ? CopyDeviceFaceName(*font, cjOut, pvOut) : 0;
  }
  // The names of downloaded and substituted TrueType fonts, the download of a
  // face and the extended text metrics are not served (0).
  return 0;
}

IFIMETRICS* DrvQueryFont(DHPDEV dhpdev, ULONG_PTR /*iFile*/, ULONG iFace, ULONG_PTR* pid) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return nullptr;
  const DeviceFontEntry* font = FindDeviceFont(pdev, iFace);
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (pid) *pid = 0;
  return font->metrics;
}

// The glyph sets and glyph metrics of device fonts come with the text output;
// until then every query is refused.
PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR /*iFile*/, ULONG iFace, ULONG iMode, ULONG_PTR* pid) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return nullptr;
  if (!FindDeviceFont(pdev, iFace)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (pid) *pid = 0;
  if (iMode == QFT_KERNPAIRS) return nullptr;  // no kerning pairs
  SetLastError(iMode == QFT_GLYPHSET ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
  return nullptr;
}

// Not answered yet: device-font glyph metrics come with the text output.
LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* /*pfo*/, ULONG /*iMode*/, HGLYPH /*hg*/, GLYPHDATA* /*pgd*/,
                      PVOID /*pv*/, ULONG /*cjSize*/) {
  if (!CheckedPdev(dhpdev)) return static_cast<LONG>(FD_ERROR);
  SetLastError(ERROR_NOT_SUPPORTED);
  return static_cast<LONG>(FD_ERROR);
}
