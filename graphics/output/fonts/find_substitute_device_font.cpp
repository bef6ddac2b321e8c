// Choosing a printer font for a TrueType font: per "TTPrinting", none (always
// download), the face the document's substitution table names, or the printer
// font that resembles the TrueType font most (penalties for a different
// charset, pitch, family, weight, style and name).
#include <cmath>
#include <cstdlib>
#include <string>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_font_names.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/find_substitute_device_font.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/output/text/text_run.h"
#include "graphics/output/text/text_support.h"
#include "platform/base/codepage.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr int kStartScore = 128000;
constexpr int kCjkStartScore = 158000;
constexpr WORD kTrueTypeAlwaysDownload = 2;
constexpr WORD kTrueTypeBySubstitution = 3;

constexpr BYTE kCharsetAnsi = 0;
constexpr BYTE kCharsetDefault = 1;
constexpr BYTE kCharsetSymbol = 2;
constexpr BYTE kCharsetShiftJis = 128;
constexpr BYTE kCharsetGb2312 = 134;

constexpr BYTE kFamilyDontCare = 0x00;
constexpr BYTE kFamilyRoman = 0x10;
constexpr BYTE kFamilySwiss = 0x20;
constexpr BYTE kFamilyModern = 0x30;
constexpr BYTE kFamilyScript = 0x40;
constexpr BYTE kFamilyDecorative = 0x50;

bool ShiftJisClass(BYTE c) { return c >= 5 && c <= 7; }
bool Gb2312Class(BYTE c) { return c == 8; }

LONG YOf(XFORMOBJ* xform, LONG y) {
  POINTL in{0, y};
  POINTL out{0, 0};
  if (!xform || !XFORMOBJ_bApplyXform(xform, XF_LTOL, 1, &in, &out)) return y;
  return out.y;
}

// The charset penalty, or -1 when the printer font cannot print the charset.
int CharsetPenalty(BYTE trueTypeCharset, BYTE printerClass) {
  if (IsCjkCharset(trueTypeCharset)) {
    if (ShiftJisClass(printerClass)) return trueTypeCharset == kCharsetShiftJis ? 0 : 65000;
    if (Gb2312Class(printerClass)) return trueTypeCharset == kCharsetGb2312 ? 0 : 65000;
    return -1;
  }
  if (trueTypeCharset == kCharsetDefault) return 0;
  if (ShiftJisClass(printerClass) || Gb2312Class(printerClass)) return -1;
  // Symbol fonts apart, a printer font's class reads as ANSI.
  if (printerClass == fontrecord::kCharSetSymbol) return trueTypeCharset == kCharsetSymbol ? 0 : 65000;
  return trueTypeCharset == kCharsetAnsi ? 0 : 65000;
}

bool SerifOrPlain(BYTE family) { return family == kFamilyRoman || family == kFamilySwiss || family == kFamilyModern; }
bool ScriptOrDecorative(BYTE family) { return family == kFamilyScript || family == kFamilyDecorative; }

int FamilyPenalty(BYTE trueTypeFamily, BYTE printerFamily) {
  if (trueTypeFamily == kFamilyDontCare || trueTypeFamily == printerFamily) return 0;
  if (printerFamily == kFamilyDontCare) return 8000;
  if ((SerifOrPlain(trueTypeFamily) && ScriptOrDecorative(printerFamily)) ||
      (ScriptOrDecorative(trueTypeFamily) && SerifOrPlain(printerFamily)))
    return 9050;
  if ((trueTypeFamily == kFamilyRoman && printerFamily == kFamilySwiss) ||
      (trueTypeFamily == kFamilySwiss && printerFamily == kFamilyRoman))
    return 9050;
  return 9000;
}

// The scoring with the TrueType family given apart, so that the table's choice
// can stand in for the TrueType font's own family.
int ScoreWithFamily(const IFIMETRICS* tt, const std::u16string& ttFamily, XFORMOBJ* xform, const DeviceFontList* fonts,
                    int* score, int tableFlag) {
  if (score) *score = 0;
  if (!tt || !fonts || !fonts->entries) return -1;
  const bool cjk = IsCjkCharset(tt->jWinCharSet);
  const int start = cjk ? kCjkStartScore : kStartScore;
  const LONG e = YOf(xform, tt->fwdUnitsPerEm);
  const LONG a = YOf(xform, tt->fwdAveCharWidth);
  const std::string ttFamilyAnsi = platform::FromUtf16(ttFamily, CP_ACP);
  const bool ttVertical = !ttFamily.empty() && ttFamily[0] == u'@';

  int best = -1;
  int bestScore = start;
  for (DWORD i = 0; i < fonts->count; ++i) {
    const IFIMETRICS* pm = fonts->entries[i].metrics;
    if (!pm) continue;
    const int charset = CharsetPenalty(tt->jWinCharSet, DeviceFontCharsetCode(pm));
    if (charset < 0) continue;
    long sum = charset;
    if (static_cast<long long>(pm->fwdAveCharWidth) * e != static_cast<long long>(DeviceFontWidthPerEm(pm)) * a)
      sum += 100;
    sum += std::abs(static_cast<int>(tt->usWinWeight) - static_cast<int>(pm->usWinWeight)) / 10 * 3;
    if ((tt->fsSelection ^ pm->fsSelection) & FM_SEL_ITALIC) sum += 4;
    if (DeviceFontStyleVariant(pm) != 0) sum += 4;
    const bool printerFixed = (DeviceFontFlags(pm) & kDeviceFontFlagFixedPitch) != 0;
    const BYTE pitch = tt->jWinPitchAndFamily & 0x0F;
    if (pitch == FIXED_PITCH && !printerFixed) sum += 15000;
    if (pitch == VARIABLE_PITCH && printerFixed) sum += 350;
    sum += FamilyPenalty(tt->jWinPitchAndFamily & 0xF0, pm->jWinPitchAndFamily & 0xF0);
    const std::u16string printerFamily = FontFamilyWide(pm);
    if (cjk) {
      const bool printerVertical = !printerFamily.empty() && printerFamily[0] == u'@';
      if (printerVertical != ttVertical) sum += 30000;
    }
    if (printerFamily != ttFamily) {
      if (tableFlag) {
        sum = kStartScore;
      } else {
        const int equivalence =
            FontFamilyEquivalence(platform::FromUtf16(printerFamily, CP_ACP).c_str(), ttFamilyAnsi.c_str());
        if (equivalence < 0) sum += 10000;
        if (equivalence == 0) sum += 4;
      }
    }
    if (sum <= bestScore) {
      bestScore = static_cast<int>(sum);
      best = static_cast<int>(i);
    }
  }
  if (score) *score = bestScore;
  return best;
}

bool Anisotropic(FONTOBJ* font, const TextRunContext* run) {
  if (run) return run->anisotropic != 0;
  XFORML m{};
  if (XFORMOBJ_iGetXform(FONTOBJ_pxoGetXform(font), &m) == static_cast<ULONG>(-1)) return false;
  const float x = std::hypot(m.eM11, m.eM12);
  const float y = std::hypot(m.eM21, m.eM22);
  return std::fabs(x - y) > 1e-4f * (x > y ? x : y);
}

const char* const kFamilyGroups[][4] = {
    {"Helv", "Helvetica", "Arial", "Univers"},
    {"Courier New", "Courier", nullptr, nullptr},
    {"Times New Roman", "CG Times", "Times Roman", "Times"},
    {"Wingdings", "ITC Zapf Dingbats", "ITCZapfDingbats", "ITCZapfdingbats"},
    {"Univers Condensed", "Univers Cd", "Helvetica-Narrow", "Arial Narrow"},
};

bool InGroup(const char* const (&group)[4], const char* name) {
  for (const char* member : group) {
    if (member && lstrcmpiA(member, name) == 0) return true;
  }
  return false;
}

}  // namespace

int FontFamilyEquivalence(const char* printerFamily, const char* trueTypeFamily) {
  if (!printerFamily || !trueTypeFamily) return -1;
  for (const auto& group : kFamilyGroups) {
    if (!InGroup(group, trueTypeFamily)) continue;
    if (!InGroup(group, printerFamily)) return -1;
    return lstrcmpiA(printerFamily, trueTypeFamily) == 0 ? 1 : 0;
  }
  return -1;
}

int ScoreDeviceFontMatch(const IFIMETRICS* trueType, XFORMOBJ* xform, const DeviceFontList* fonts, int* score,
                         int tableFlag) {
  return ScoreWithFamily(trueType, FontFamilyWide(trueType), xform, fonts, score, tableFlag);
}

int FindSubstituteDeviceFont(PDEV* pdev, FONTOBJ* font, TextRunContext* run) {
  if (!pdev || !font || !pdev->carried.deviceFonts) return -1;
  const IFIMETRICS* tt = FONTOBJ_pifi(font);
  if (!tt) return -1;
  const BYTE charset = tt->jWinCharSet;
  if (IsPclFamilyPdl(pdev->devmode.dmPrivate._nPDL) && IsCjkCharset(charset) && Anisotropic(font, run)) return -1;
  const WORD mode = pdev->devmode.dmPrivate._nTrueTypeMode;
  if (mode == kTrueTypeAlwaysDownload) return -1;
  XFORMOBJ* xform = FONTOBJ_pxoGetXform(font);
  int score = 0;
  if (mode != kTrueTypeBySubstitution) return ScoreDeviceFontMatch(tt, xform, pdev->carried.deviceFonts, &score, 0);

  const int row = FindFontSubstitution(FontFamilyAnsi(tt).c_str(), pdev->fontSubstitution);
  if (row < 0 || static_cast<DWORD>(row) >= pdev->carried.deviceFonts->count) return -1;
  const IFIMETRICS* printer = pdev->carried.deviceFonts->entries[row].metrics;
  if (charset == kCharsetAnsi || charset == kCharsetSymbol)
    return ScoreWithFamily(tt, FontFamilyWide(printer), xform, pdev->carried.deviceFonts, &score, 1);
  if (charset == kCharsetShiftJis) return ShiftJisClass(DeviceFontCharsetCode(printer)) ? row : -1;
  if (charset == kCharsetGb2312) return Gb2312Class(DeviceFontCharsetCode(printer)) ? row : -1;
  return -1;
}
