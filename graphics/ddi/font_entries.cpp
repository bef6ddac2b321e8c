// The font calls of the engine for the printer's own fonts: their metrics
// blocks, glyph sets and device-space metrics, how their glyphs are asked for,
// their advance widths, and the font escapes.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/device_font_lookup.h"
#include "graphics/ddi/driver_library.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/font_download_send.h"
#include "graphics/output/fonts/device_glyph_set.h"
#include "graphics/output/fonts/find_substitute_device_font.h"
#include "graphics/output/text/text_support.h"
#include "graphics/util/core_math.h"
#include "platform/base/arith.h"
#include "platform/base/critical_section_lock.h"
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

// The font escapes the library answers for. The extended text metrics (256)
// are not among them: the driver has none to give, and a caller told they
// are supported would take the escape's 0 for metrics it can use.
bool ServesFontEscape(ULONG mode) { return mode == QUERYESCSUPPORT || mode == GETFACENAME || mode == DOWNLOADFACE; }

// Copies a name into pvOut, terminated; 0 when it does not fit.
ULONG CopyName(const char* name, ULONG cjOut, PVOID pvOut) {
  const size_t length = std::strlen(name);
  if (!pvOut || cjOut < length + 1) return 0;
  std::memcpy(pvOut, name, length + 1);
  return 1;
}

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

// ---- Device-font metrics ------------------------------------------------------

constexpr LONG kFdDeviceMetricsSize = sizeof(FD_DEVICEMETRICS);
static_assert(kFdDeviceMetricsSize == 124);

// A 28.4 value rounded to whole pixels, still in 28.4.
FIX RoundFix(FIX value) { return (value + 8) & ~15; }

// A notional vector in device space (28.4).
bool Transform(XFORMOBJ* transform, LONG x, LONG y, POINTFIX* out) {
  POINTL in{x, y};
  return XFORMOBJ_bApplyXform(transform, XF_LTOFX, 1, &in, out) != FALSE;
}

// The device length (28.4, rounded to whole pixels) of a notional vector.
bool DeviceLength(XFORMOBJ* transform, LONG x, LONG y, FIX* out) {
  POINTFIX device{};
  if (!Transform(transform, x, y, &device)) return false;
  *out = RoundFix(IntHypot(device.x, device.y));
  return true;
}

// The same length, signed like the notional value (a box edge below the baseline).
bool SignedHeight(XFORMOBJ* transform, LONG value, FIX* out) {
  if (!DeviceLength(transform, 0, value, out)) return false;
  if (value < 0) *out = -*out;
  return true;
}

// A notional vector (0, value) in whole device pixels.
bool DevicePixels(XFORMOBJ* transform, LONG x, LONG y, POINTL* out) {
  POINTFIX device{};
  if (!Transform(transform, x, y, &device)) return false;
  *out = POINTL{RoundFix(device.x) >> 4, RoundFix(device.y) >> 4};
  return true;
}

bool FixedPitch(const IFIMETRICS& metrics) { return (metrics.flInfo & FM_INFO_CONSTANT_WIDTH) != 0; }
bool DbcsFixedPitch(const IFIMETRICS& metrics) { return (metrics.flInfo & FM_INFO_DBCS_FIXED_PITCH) != 0; }

// QFD_GLYPHANDBITMAP: the glyph's metrics; device fonts have no bits to give.
LONG GlyphMetrics(const DeviceFontEntry& font, const IFIMETRICS& metrics, XFORMOBJ* transform, HGLYPH glyph,
                  GLYPHDATA* data) {
  if (!data) return 0;
  const LONG width = glyph <= kLastSingleByteGlyph && !HasWidthTable(*font.metrics)
                         ? metrics.fwdAveCharWidth
                         : GlyphWidth(*font.metrics, metrics, glyph);
  GLYPHDATA out{};
  POINTFIX advance{};
  if (!SignedHeight(transform, metrics.rclFontBox.bottom, &out.fxInkBottom) ||
      !SignedHeight(transform, metrics.rclFontBox.top, &out.fxInkTop) || !Transform(transform, width, 0, &advance)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<LONG>(FD_ERROR);
  }
  out.fxD = RoundFix(IntHypot(advance.x, advance.y));
  // Whole pixels in 28.36: the rounded 28.4 value in the upper 32 bits.
  out.ptqD.x = static_cast<int64_t>(RoundFix(advance.x)) * (int64_t{1} << 32);
  out.ptqD.y = static_cast<int64_t>(RoundFix(advance.y)) * (int64_t{1} << 32);
  out.fxA = 0;
  out.fxAB = out.fxD;
  out.hg = glyph;
  *data = out;
  return 0;
}

// The gap GDI puts between lines of a font, in points: a fixed share of the
// point size for most fonts, set values for the serif and sans-serif families.
LONG ExternalGapPoints(const IFIMETRICS& metrics, LONG points) {
  const BYTE family = metrics.jWinPitchAndFamily;
  if (family & FF_ROMAN) return 2;
  if (family & FF_SWISS) return points < 13 ? 2 : points < 14 ? 3 : 4;
  return MulDiv(points, 196, metrics.fwdUnitsPerEm);
}

// QFD_MAXEXTENTS: the font's device metrics. A transform that collapses the
// em (a font of no size) has no direction to give: FD_ERROR.
LONG MaxExtents(const PDEV& pdev, const IFIMETRICS& metrics, XFORMOBJ* transform, FD_DEVICEMETRICS* out) {
  const LONG em = metrics.fwdUnitsPerEm;
  POINTFIX base{}, side{};
  if (em <= 0 || !Transform(transform, em, 0, &base) || !Transform(transform, 0, -em, &side)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<LONG>(FD_ERROR);
  }
  const LONG baseLength = IntHypot(base.x, base.y), sideLength = IntHypot(side.x, side.y);
  if (baseLength == 0 || sideLength == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<LONG>(FD_ERROR);
  }
  FD_DEVICEMETRICS m{};
  m.flRealizedType = 0;
  m.pteBase = POINTE{static_cast<FLOATL>(base.x) / baseLength, static_cast<FLOATL>(base.y) / baseLength};
  m.pteSide = POINTE{static_cast<FLOATL>(side.x) / sideLength, static_cast<FLOATL>(side.y) / sideLength};

  const RECTL& box = metrics.rclFontBox;
  const LONG internalLeadingUnits = std::max<LONG>(box.top - box.bottom - em, 0);
  const bool fixedSingleByte = FixedPitch(metrics) && !DbcsFixedPitch(metrics);
  LONG descent = box.bottom < 0 ? -box.bottom : box.bottom;
  if (fixedSingleByte) descent = std::max<LONG>(descent - internalLeadingUnits, 0);
  FIX maxCharInc = 0;
  if (!DeviceLength(transform, 0, box.top, &m.fxMaxAscender) ||
      !DeviceLength(transform, 0, descent, &m.fxMaxDescender) ||
      !DeviceLength(transform, metrics.fwdMaxCharInc, 0, &maxCharInc) ||
      !DevicePixels(transform, 0, metrics.fwdUnderscorePosition, &m.ptlUnderline1) ||
      !DevicePixels(transform, 0, metrics.fwdUnderscoreSize, &m.ptlULThickness) ||
      !DevicePixels(transform, 0, metrics.fwdStrikeoutPosition, &m.ptlStrikeOut)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<LONG>(FD_ERROR);
  }
  m.ptlSOThickness = m.ptlULThickness;
  m.cxMax = static_cast<ULONG>(maxCharInc >> 4);
  m.lD = FixedPitch(metrics) ? static_cast<LONG>(m.cxMax) : 0;

  // Leading in pixels: the box above the em (internal) and GDI's gap between
  // lines (external), both sent in 28.4.
  const LONG resolution = pdev.resolution > 0 ? pdev.resolution : pdev.devmode.dmPublic.dmPrintQuality;
  const LONG pixels = sideLength / 16;
  const LONG internalLeading = std::max<LONG>(MulDiv(box.top - box.bottom - em, pixels, em), 0);
  LONG external = 0;
  if (resolution > 0 && !FixedPitch(metrics) && !DbcsFixedPitch(metrics)) {
    const LONG points = MulDiv(pixels, 72, resolution);
    const LONG gap = MulDiv(ExternalGapPoints(metrics, points), resolution, 72);
    external = std::max<LONG>((gap - internalLeading) * 16, 0);
  }
  m.lNonLinearExtLeading = external;
  m.lNonLinearIntLeading = fixedSingleByte ? 0 : internalLeading * 16;
  m.cjGlyphMax = 0;
  m.lMinA = m.lMinC = m.lMinD = 0;
  *out = m;
  return kFdDeviceMetricsSize;
}

}  // namespace

namespace {

// GETFACENAME: a TrueType font that a printer font prints gives that font's
// name, a device font its own, any other font the name it is downloaded by.
ULONG FaceName(PDEV* pdev, FONTOBJ* pfo, ULONG cjOut, PVOID pvOut) {
  if (pfo->flFontType & DEVICE_FONTTYPE) {
    const DeviceFontEntry* font = FindDeviceFont(pdev, pfo->iFace);
    return font ? CopyDeviceFaceName(*font, cjOut, pvOut) : 0;
  }
  if (pfo->flFontType & TRUETYPE_FONTTYPE) {
    const int substitute = FindSubstituteDeviceFont(pdev, pfo, nullptr);
    if (substitute >= 0 && pdev->carried.deviceFonts &&
        static_cast<DWORD>(substitute) < pdev->carried.deviceFonts->count)
      return CopyDeviceFaceName(pdev->carried.deviceFonts->entries[substitute], cjOut, pvOut);
  }
  char name[kDownloadNameSize] = {};
  MakeDownloadFontName(name, pdev, pfo, 0, DownloadAsOutline(pdev, pfo));
  name[kDownloadNameSize - 1] = '\0';
  return CopyName(name, cjOut, pvOut);
}

// DOWNLOADFACE: defines the font in the printer and sends the glyphs of the
// caller's table (a DWORD, then one glyph handle per code 0-255), through a
// record that lives for this call only. A table shorter than 256 codes gives
// the codes it holds.
ULONG DownloadFace(PDEV* pdev, FONTOBJ* pfo, ULONG cjIn, PVOID pvIn) {
  if (!CanDownloadFont(pdev, pfo)) return 1;
  const BOOL outline = DownloadAsOutline(pdev, pfo);
  FontDownloadRecord record{};
  record.fontUniq = outline ? 0 : pfo->iUniq;
  record.trueTypeUniq = pfo->iTTUniq;
  std::fill(std::begin(record.slot), std::end(record.slot), kEmptyGlyphSlot);
  record.softFontId = NextSoftFontId(pdev);
  MakeDownloadFontName(record.name, pdev, pfo, 0, outline);
  record.name[kDownloadNameSize - 1] = '\0';

  std::vector<HGLYPH> glyphs;
  std::vector<DWORD> codes;
  if (!(pfo->flFontType & DEVICE_FONTTYPE) && pvIn && cjIn > sizeof(DWORD)) {
    const size_t held = std::min<size_t>(256, (cjIn - sizeof(DWORD)) / sizeof(DWORD));
    const BYTE* table = static_cast<const BYTE*>(pvIn) + sizeof(DWORD);
    for (size_t code = 0; code < held; ++code) {
      DWORD handle = 0;
      std::memcpy(&handle, table + code * sizeof(DWORD), sizeof handle);
      if (handle == record.slot[code]) continue;
      glyphs.push_back(handle);
      codes.push_back(static_cast<DWORD>(code));
    }
  }
  const ULONG count = static_cast<ULONG>(glyphs.size());
  if (CreateDownloadFont(pdev, pfo, glyphs.data(), count, &record, nullptr, outline))
    DownloadGlyphs(pdev, pfo, glyphs.data(), codes.data(), count, &record, nullptr, outline);
  return 1;
}

}  // namespace

ULONG DrvGetGlyphMode(DHPDEV /*dhpdev*/, FONTOBJ* /*pfo*/) { return FO_GLYPHBITS; }

BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths, ULONG cGlyphs) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return FALSE;
  if (iMode != QAW_GETWIDTHS && iMode != QAW_GETEASYWIDTHS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (cGlyphs == 0) return TRUE;
  const DeviceFontEntry* font = pfo && (pfo->flFontType & DEVICE_FONTTYPE) ? FindDeviceFont(pdev, pfo->iFace) : nullptr;
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

ULONG DrvFontManagement(SURFOBJ* pso, FONTOBJ* pfo, ULONG iMode, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
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
  if (iMode == GETFACENAME && pfo) return FaceName(pdev, pfo, cjOut, pvOut);
  if (iMode == DOWNLOADFACE && pfo) return DownloadFace(pdev, pfo, cjIn, pvIn);
  // The extended text metrics and unknown modes are not served (0).
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

PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR /*iFile*/, ULONG iFace, ULONG iMode, ULONG_PTR* pid) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return nullptr;
  if (!FindDeviceFont(pdev, iFace)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (pid) *pid = 0;
  switch (iMode) {
    case QFT_KERNPAIRS: return nullptr;  // no kerning pairs
    case QFT_GLYPHSET: {
      // The glyph set is cached for the whole library.
      platform::CriticalSectionLock lock(DeviceFontLock());
      return GetDeviceGlyphSet(pdev, iFace);
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv, ULONG cjSize) {
  constexpr LONG kError = static_cast<LONG>(FD_ERROR);
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return kError;
  const DeviceFontEntry* font = pfo ? FindDeviceFont(pdev, pfo->iFace) : nullptr;
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return kError;
  }
  XFORMOBJ* transform = FONTOBJ_pxoGetXform(pfo);
  const IFIMETRICS* metrics = FONTOBJ_pifi(pfo);
  if (!transform || !metrics) return kError;
  switch (iMode) {
    case QFD_GLYPHANDBITMAP: return GlyphMetrics(*font, *metrics, transform, hg, pgd);
    case QFD_MAXEXTENTS:
      if (!pv) return kFdDeviceMetricsSize;
      // The block is filled only where it fits.
      if (cjSize < static_cast<ULONG>(kFdDeviceMetricsSize)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return kError;
      }
      return MaxExtents(*pdev, *metrics, transform, static_cast<FD_DEVICEMETRICS*>(pv));
    default: SetLastError(ERROR_INVALID_PARAMETER); return kError;
  }
}
