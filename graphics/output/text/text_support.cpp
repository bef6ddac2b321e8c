// Helpers of the text writer: the run's rotation and scale, code-page
// conversion of its characters, the code written for a glyph, and the choices
// between printer, downloaded, bitmap and outline fonts.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/ddi/device_font_lookup.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/find_substitute_device_font.h"
#include "graphics/output/text/text_run.h"
#include "graphics/output/text/text_support.h"
#include "graphics/util/char_code_cache.h"
#include "graphics/util/core_math.h"
#include "graphics/util/font_size.h"
#include "platform/base/arith.h"
#include "platform/base/codepage.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr int kOutlineFromPoints = 28;
constexpr WCHAR kPrivateUseFirst = 0xE000;
constexpr WCHAR kPrivateUseLast = 0xF8FF;

bool NoFlagsCodePage(DWORD codePage) {
  return codePage == CP_SYMBOL || (codePage >= 50220 && !(codePage >= 50930 && codePage <= 52935));
}

// One character's bytes in the code page (bytes holds 8), the character they
// convert back to, and whether it had no code of its own there.
bool ConvertChar(UINT codePage, WCHAR ch, char* bytes, CharCode* code) {
  const bool noFlags = NoFlagsCodePage(codePage);
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(codePage, noFlags ? 0 : WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, 8, nullptr,
                                         noFlags ? nullptr : &usedDefault);
  if (length <= 0) return false;
  WCHAR back = 0;
  const int backLength = MultiByteToWideChar(codePage, 0, bytes, length, &back, 1);
  code->length = length;
  std::memcpy(code->bytes, bytes, static_cast<size_t>(std::min(length, 4)));
  code->back = back;
  code->fellBack = noFlags ? (backLength != 1 || back != ch) : usedDefault != FALSE;
  return true;
}

}  // namespace

int TextResolution(const PDEV* pdev) {
  if (pdev->resolution > 0) return pdev->resolution;
  const int dpi = pdev->devmode.dmPublic.dmPrintQuality;
  return dpi > 0 ? dpi : 600;
}

bool IsCjkCharset(BYTE charset) {
  return charset == SHIFTJIS_CHARSET || charset == HANGUL_CHARSET || charset == JOHAB_CHARSET ||
         charset == GB2312_CHARSET || charset == CHINESEBIG5_CHARSET;
}

const DeviceFontEntry* RunPrinterFont(PDEV* pdev, FONTOBJ* font, const TextRunContext& run) {
  if (!run.printerFont) return nullptr;
  if (run.substitute >= 0) {
    const DeviceFontList* list = pdev->carried.deviceFonts;
    if (!list || !list->entries || static_cast<DWORD>(run.substitute) >= list->count) return nullptr;
    const DeviceFontEntry& entry = list->entries[run.substitute];
    return entry.metrics ? &entry : nullptr;
  }
  return font ? FindDeviceFont(pdev, font->iFace) : nullptr;
}

BOOL DownloadAsOutline(PDEV* pdev, FONTOBJ* font) {
  if (!pdev || !font) return FALSE;
  const bool cff = font->flFontType & FO_CFF;
  if ((font->flFontType & DEVICE_FONTTYPE) && !cff) {
    const DeviceFontEntry* entry = FindDeviceFont(pdev, font->iFace);
    return entry && (DeviceFontFlags(entry->metrics) & kDeviceFontFlagScalable) ? TRUE : FALSE;
  }
  if (!(font->flFontType & TRUETYPE_FONTTYPE) && !cff) return FALSE;
  if (pdev->devmode.dmPrivate._nPDL & 0x8C) return FALSE;  // PCL soft fonts are bitmaps
  if (pdev->devmode.dmPrivate._nTrueTypeDownload == 1) return TRUE;
  return GetFontPointSize(pdev, font) >= kOutlineFromPoints ? TRUE : FALSE;
}

BOOL CanDownloadFont(PDEV* pdev, FONTOBJ* font) {
  if (!pdev || !font) return FALSE;
  if (font->flFontType & TRUETYPE_FONTTYPE) return FindSubstituteDeviceFont(pdev, font, nullptr) < 0;
  if (font->flFontType & DEVICE_FONTTYPE) {
    const DeviceFontEntry* entry = FindDeviceFont(pdev, font->iFace);
    return entry && entry->kind != kDeviceFontResident && entry->kind != kDeviceFontPrinterDisk &&
           entry->fontClass != 5;
  }
  return TRUE;
}

void FreeRunConversion(TextRunContext* run) {
  run->multibyte.clear();
  run->roundTrip.clear();
  run->charStart.clear();
  run->charLength.clear();
  run->fellBack.clear();
  run->readPosition = 0;
}

int ConvertRunToCodePage(TextRunContext* run, const WCHAR* chars, ULONG count) {
  FreeRunConversion(run);
  if (!chars || count == 0) return 0;
  const UINT codePage = run->codePage;
  CharCodeTable* table = CharCodeTable::For(codePage);
  run->multibyte.reserve(count);
  run->roundTrip.resize(count);
  run->charStart.resize(count);
  run->charLength.resize(count);
  run->fellBack.resize(count);
  // Each character alone, so that every one has its own bytes and its own
  // verdict; a character that has no code falls back.
  for (ULONG i = 0; i < count; ++i) {
    const WCHAR ch = chars[i];
    CharCode code;
    char bytes[8] = {};
    const char* data = code.bytes;
    if (!table || !table->Find(ch, &code)) {
      if (!ConvertChar(codePage, ch, bytes, &code)) {
        FreeRunConversion(run);
        return 0;
      }
      if (table) table->Remember(ch, code);
      data = bytes;
    }
    WCHAR back = code.back;
    bool fell = code.fellBack;
    if (run->dbcs && ch >= kPrivateUseFirst && ch <= kPrivateUseLast) {
      back = u'?';
      fell = true;
    }
    run->charStart[i] = static_cast<int>(run->multibyte.size());
    run->charLength[i] = code.length;
    run->multibyte.append(data, static_cast<size_t>(code.length));
    run->roundTrip[i] = back;
    run->fellBack[i] = fell ? 1 : 0;
  }
  return static_cast<int>(run->multibyte.size());
}

void AnalyseTextRotation(TextRunContext* run) {
  const float m11 = run->eM11, m12 = run->eM12, m21 = run->eM21, m22 = run->eM22;
  run->rotated = 0;
  run->angle = -1;
  if (FloatNearlyEqual(m12, 0) && FloatNearlyEqual(m21, 0)) {
    if (m11 > 0 && m22 > 0) {
      run->angle = 0;
    } else if (m11 < 0 && m22 < 0) {
      run->rotated = 1;
      run->angle = 180;
    }
    return;
  }
  if (FloatNearlyEqual(m11, 0) && FloatNearlyEqual(m22, 0)) {
    if (m12 > 0 && m21 < 0) {
      run->rotated = 1;
      run->angle = 270;
    } else if (m12 < 0 && m21 > 0) {
      run->rotated = 1;
      run->angle = 90;
    }
    return;
  }
  // Any other turn keeps the scale of both axes and turns them alike.
  if (FloatNearlyEqual(m11, m22) && FloatNearlyEqual(m21, -m12) && (m21 > 0) != (m12 > 0)) run->rotated = 1;
}

BOOL IsAnisotropicScale(const TextRunContext* run) {
  switch (run->angle) {
    case 0:
    case 180: return FloatNearlyEqual(run->eM11, run->eM22) ? FALSE : TRUE;
    case 90:
    case 270: return FloatNearlyEqual(run->eM12, -run->eM21) ? FALSE : TRUE;
    default: return FALSE;
  }
}

void RotatePoints(const TextRunContext& run, POINTL* points, ULONG count) {
  // The direction of the baseline in device space, and its inverse turn.
  const double length = std::hypot(run.eM11, run.eM12);
  if (length <= 0) return;
  const double c = run.eM11 / length, s = run.eM12 / length;
  for (ULONG i = 0; i < count; ++i) {
    const double x = points[i].x, y = points[i].y;
    points[i].x = static_cast<LONG>(std::lround(x * c + y * s));
    points[i].y = static_cast<LONG>(std::lround(-x * s + y * c));
  }
}

BOOL GetHpglCharacterSize(PDEV* pdev, XFORMOBJ* xform, const IFIMETRICS* metrics, LONG em, float* width,
                          float* height) {
  if (!pdev || !xform || !metrics || metrics->fwdUnitsPerEm == 0) return FALSE;
  POINTL size{MulDiv(metrics->fwdAveCharWidth, em, metrics->fwdUnitsPerEm),
              MulDiv(metrics->fwdCapHeight, em, metrics->fwdUnitsPerEm)};
  POINTL device{};
  if (!XFORMOBJ_bApplyXform(xform, XF_LTOL, 1, &size, &device)) return FALSE;
  const float resolution = static_cast<float>(TextResolution(pdev));
  *width = static_cast<float>(device.x) * 2.54f / resolution;
  *height = static_cast<float>(device.y) * 2.54f / resolution;
  return TRUE;
}

int PclStrokeWeight(int weight) {
  switch (weight) {
    case 100: return -6;
    case 200: return -4;
    case 300: return -3;
    case 600: return 2;
    case 700: return 3;
    case 800: return 4;
    case 900: return 6;
    default: return 0;
  }
}

std::string_view GlyphCode(HGLYPH glyph, WCHAR ch, const FontDownloadRecord* record, const GlyphPageRecord* page,
                           ULONG index, const TextRunContext& run, char* single) {
  if (page) {
    *single = '?';
    for (int slot = 0; slot < kGlyphPageSlots; ++slot) {
      if (page->slot[slot] == glyph) {
        *single = static_cast<char>(slot + 33);
        break;
      }
    }
    return std::string_view(single, 1);
  }
  const ULONG character = static_cast<ULONG>(run.readPosition) + index;
  if ((!record || run.printerFont) && character < run.charStart.size())
    return std::string_view(run.multibyte)
        .substr(static_cast<size_t>(run.charStart[character]), static_cast<size_t>(run.charLength[character]));
  *single = static_cast<char>(ch & 0xFF);
  return std::string_view(single, 1);
}
