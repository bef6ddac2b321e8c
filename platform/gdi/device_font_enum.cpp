// Font enumeration on a printer DC: the printer's own fonts beside the outline
// families, each described in notional units (its em as the cell's scale); on a
// display or memory DC the outline families alone.
#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/gdi/device_font.h"
#include "platform/gdi/screen.h"

namespace platform::gdi {
namespace {

// One font of the enumeration with both forms of its texts and metrics.
struct Entry {
  ENUMLOGFONTEXW elf{};
  NEWTEXTMETRICEXW ntm{};
  ENUMLOGFONTEXA elfA{};
  NEWTEXTMETRICEXA ntmA{};
  DWORD type = 0;
};

const char16_t* ScriptName(BYTE charset) {
  switch (charset) {
    case ANSI_CHARSET: return u"Western";
    case SYMBOL_CHARSET: return u"Symbol";
    case SHIFTJIS_CHARSET: return u"Japanese";
    case HANGUL_CHARSET: return u"Hangul";
    case GB2312_CHARSET: return u"CHINESE_GB2312";
    case CHINESEBIG5_CHARSET: return u"CHINESE_BIG5";
    default: return u"";
  }
}

void CopyWide(WCHAR* target, size_t capacity, const std::u16string& text) {
  const size_t n = std::min(text.size(), capacity - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), target);
  target[n] = 0;
}

// ANSI text cut to the buffer on a character boundary (a DBCS character is never split).
void CopyAnsi(char* target, size_t capacity, const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    const std::string piece = FromUtf16(std::u16string_view(&c, 1));
    if (out.size() + piece.size() > capacity - 1) break;
    out += piece;
  }
  std::memcpy(target, out.data(), out.size());
  target[out.size()] = 0;
}

BYTE AnsiChar(WCHAR wc, BYTE fallback) {
  const std::string piece = FromUtf16(std::u16string_view(&wc, 1));
  return piece.size() == 1 ? static_cast<BYTE>(piece[0]) : fallback;
}

Entry Describe(const IFIMETRICS& ifi, const std::u16string& family, const std::u16string& fullName,
               const std::u16string& style, BYTE charset, bool device, SIZE dpi) {
  Entry e;
  e.type = device ? DEVICE_FONTTYPE | ((ifi.flInfo & FM_INFO_TECH_BITMAP) ? RASTER_FONTTYPE : 0) : TRUETYPE_FONTTYPE;
  const bool fixed = (ifi.jWinPitchAndFamily & 0x03) == FIXED_PITCH;
  const bool italic = (ifi.fsSelection & FM_SEL_ITALIC) != 0;
  const bool bold = (ifi.fsSelection & FM_SEL_BOLD) != 0 || ifi.usWinWeight >= 600;
  BYTE kind = device ? static_cast<BYTE>(TMPF_DEVICE | ((ifi.flInfo & FM_INFO_TECH_BITMAP) ? 0 : TMPF_VECTOR))
                     : static_cast<BYTE>(TMPF_VECTOR | TMPF_TRUETYPE);
  NEWTEXTMETRICW& tm = e.ntm.ntmTm;
  tm.tmAscent = ifi.fwdWinAscender;
  tm.tmDescent = ifi.fwdWinDescender;
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - ifi.fwdUnitsPerEm);
  tm.tmExternalLeading = std::max<LONG>(0, ifi.fwdMacLineGap);
  tm.tmAveCharWidth = ifi.fwdAveCharWidth;
  tm.tmMaxCharWidth = ifi.fwdMaxCharInc;
  tm.tmWeight = ifi.usWinWeight;
  tm.tmDigitizedAspectX = dpi.cx;
  tm.tmDigitizedAspectY = dpi.cy;
  tm.tmFirstChar = ifi.wcFirstChar;
  tm.tmLastChar = ifi.wcLastChar;
  tm.tmDefaultChar = ifi.wcDefaultChar;
  tm.tmBreakChar = ifi.wcBreakChar;
  tm.tmItalic = italic ? 255 : 0;
  tm.tmPitchAndFamily = static_cast<BYTE>((ifi.jWinPitchAndFamily & 0xF0) | (fixed ? 0 : TMPF_FIXED_PITCH) | kind);
  tm.tmCharSet = charset;
  tm.ntmFlags = (italic ? NTM_ITALIC : 0) | (bold ? NTM_BOLD : 0) | (!italic && !bold ? NTM_REGULAR : 0);
  if (!device) tm.ntmFlags |= (ifi.flInfo & FM_INFO_TECH_CFF) ? NTM_PS_OPENTYPE : NTM_TT_OPENTYPE;
  tm.ntmSizeEM = static_cast<UINT>(std::max<FWORD>(ifi.fwdUnitsPerEm, 0));
  tm.ntmCellHeight = static_cast<UINT>(std::max<LONG>(tm.tmHeight, 0));
  tm.ntmAvgWidth = static_cast<UINT>(std::max<LONG>(tm.tmAveCharWidth, 0));
  e.ntm.ntmFontSig.fsCsb[0] = charset == SHIFTJIS_CHARSET ? 0x00020000u : charset == ANSI_CHARSET ? 1u : 0u;

  LOGFONTW& lf = e.elf.elfLogFont;
  lf.lfHeight = tm.tmHeight;
  lf.lfWidth = tm.tmAveCharWidth;
  lf.lfWeight = ifi.usWinWeight;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfCharSet = charset;
  lf.lfOutPrecision = device ? OUT_DEVICE_PRECIS : OUT_STROKE_PRECIS;
  lf.lfClipPrecision = 2;  // CLIP_STROKE_PRECIS
  lf.lfQuality = 1;        // DRAFT_QUALITY
  lf.lfPitchAndFamily = ifi.jWinPitchAndFamily;
  CopyWide(lf.lfFaceName, LF_FACESIZE, family);
  CopyWide(e.elf.elfFullName, LF_FULLFACESIZE, fullName);
  CopyWide(e.elf.elfStyle, LF_FACESIZE, style.empty() ? std::u16string(bold ? u"Bold" : u"Regular") : style);
  CopyWide(e.elf.elfScript, LF_FACESIZE, ScriptName(charset));

  // The same in ANSI.
  std::memcpy(&e.elfA.elfLogFont, &lf, offsetof(LOGFONTA, lfFaceName));
  CopyAnsi(e.elfA.elfLogFont.lfFaceName, LF_FACESIZE, family);
  CopyAnsi(reinterpret_cast<char*>(e.elfA.elfFullName), LF_FULLFACESIZE, fullName);
  CopyAnsi(reinterpret_cast<char*>(e.elfA.elfStyle), LF_FACESIZE, std::u16string(e.elf.elfStyle));
  CopyAnsi(reinterpret_cast<char*>(e.elfA.elfScript), LF_FACESIZE, ScriptName(charset));
  NEWTEXTMETRICA& ta = e.ntmA.ntmTm;
  std::memcpy(&ta, &tm, offsetof(NEWTEXTMETRICA, tmFirstChar));
  ta.tmFirstChar = ifi.chFirstChar;
  ta.tmLastChar = ifi.chLastChar;
  ta.tmDefaultChar = AnsiChar(ifi.wcDefaultChar, ifi.chDefaultChar);
  ta.tmBreakChar = AnsiChar(ifi.wcBreakChar, ifi.chBreakChar);
  ta.tmItalic = tm.tmItalic;
  ta.tmPitchAndFamily = tm.tmPitchAndFamily;
  ta.tmCharSet = charset;
  ta.ntmFlags = tm.ntmFlags;
  ta.ntmSizeEM = tm.ntmSizeEM;
  ta.ntmCellHeight = tm.ntmCellHeight;
  ta.ntmAvgWidth = tm.ntmAvgWidth;
  e.ntmA.ntmFontSig = e.ntm.ntmFontSig;
  return e;
}

// Calls `visit` for every font the request lists until it answers 0; the last
// answer (1 when nothing was listed).
int Enumerate(HDC hdc, const LOGFONTW& request, bool oneEntryPerFamily, const std::function<int(const Entry&)>& visit) {
  auto dc = FindDC(hdc);
  // A display or memory DC has no device fonts: only the outline families.
  const bool display = !dc && IsDisplayDC(hdc);
  if (!dc && !display) return 0;
  const SIZE dpi = display ? SIZE{DisplayDpiX(), DisplayDpiY()}
                           : SIZE{static_cast<LONG>(dc->pdev.gdiInfo.ulLogPixelsX),
                                  static_cast<LONG>(dc->pdev.gdiInfo.ulLogPixelsY)};
  const std::u16string name(request.lfFaceName, std::find(request.lfFaceName, request.lfFaceName + 32, u'\0'));
  const BYTE charset = request.lfCharSet;
  std::vector<std::u16string> listed;
  int answer = 1;
  auto offer = [&](const Entry& entry, const std::u16string& family) {
    if (charset != DEFAULT_CHARSET && entry.elf.elfLogFont.lfCharSet != charset) return true;
    if (oneEntryPerFamily) {
      if (std::any_of(listed.begin(), listed.end(), [&](const std::u16string& f) { return EqualsNoCase(f, family); }))
        return true;
      listed.push_back(family);
    }
    answer = visit(entry);
    return answer != 0;
  };

  for (const DeviceFaceInfo& face : display ? std::vector<DeviceFaceInfo>{} : DeviceFaces(dc->pdev.hdev)) {
    const std::u16string& family = face.families.front();
    if (!name.empty() && !EqualsNoCase(name, family) && !EqualsNoCase(name, face.faceName)) continue;
    const IFIMETRICS& ifi = *face.metrics;
    if (!offer(Describe(ifi, family, face.faceName, face.styleName, ifi.jWinCharSet, true, dpi), family)) return answer;
  }
  for (const std::u16string& family : HostFontFamilies()) {
    if (!name.empty() && !EqualsNoCase(name, family)) continue;
    LOGFONTW lf{};
    lf.lfHeight = -100;
    lf.lfWeight = FW_NORMAL;
    CopyWide(lf.lfFaceName, LF_FACESIZE, family);
    std::unique_ptr<Font> font = Font::Open(lf, nullptr, dpi);
    const IFIMETRICS* ifi = font ? font->Metrics() : nullptr;
    if (ifi == nullptr) continue;
    // A Japanese face serves both its own character set and the Western one.
    std::vector<BYTE> charsets{ifi->jWinCharSet};
    if (ifi->jWinCharSet != ANSI_CHARSET) charsets.push_back(ANSI_CHARSET);
    for (BYTE set : charsets)
      if (!offer(Describe(*ifi, family, family, u"", set, false, dpi), family)) return answer;
  }
  return answer;
}

LOGFONTW WideRequest(const LOGFONTA& lf) {
  LOGFONTW wide{};
  std::memcpy(&wide, &lf, offsetof(LOGFONTA, lfFaceName));
  const std::u16string face = ToUtf16(std::string_view(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE)));
  CopyWide(wide.lfFaceName, LF_FACESIZE, face);
  return wide;
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

ZEL_EXTERN_C int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam,
                                     DWORD dwFlags) {
  if (lpLogfont == nullptr || lpProc == nullptr || dwFlags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Enumerate(hdc, *lpLogfont, false, [&](const Entry& e) {
    return lpProc(reinterpret_cast<const LOGFONTW*>(&e.elf), reinterpret_cast<const TEXTMETRICW*>(&e.ntm), e.type,
                  lParam);
  });
}

ZEL_EXTERN_C int EnumFontFamiliesExA(HDC hdc, LPLOGFONTA lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam,
                                     DWORD dwFlags) {
  if (lpLogfont == nullptr || lpProc == nullptr || dwFlags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Enumerate(hdc, WideRequest(*lpLogfont), false, [&](const Entry& e) {
    return lpProc(reinterpret_cast<const LOGFONTA*>(&e.elfA), reinterpret_cast<const TEXTMETRICA*>(&e.ntmA), e.type,
                  lParam);
  });
}

ZEL_EXTERN_C int EnumFontFamiliesW(HDC hdc, LPCWSTR lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam) {
  if (lpProc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  LOGFONTW request{};
  request.lfCharSet = DEFAULT_CHARSET;
  if (lpLogfont != nullptr) CopyWide(request.lfFaceName, LF_FACESIZE, platform::Utf16FromZ(lpLogfont));
  return Enumerate(hdc, request, true, [&](const Entry& e) {
    return lpProc(reinterpret_cast<const LOGFONTW*>(&e.elf), reinterpret_cast<const TEXTMETRICW*>(&e.ntm), e.type,
                  lParam);
  });
}

ZEL_EXTERN_C int EnumFontFamiliesA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam) {
  if (lpProc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  LOGFONTA request{};
  request.lfCharSet = DEFAULT_CHARSET;
  if (lpLogfont != nullptr) std::strncpy(request.lfFaceName, lpLogfont, LF_FACESIZE - 1);
  return Enumerate(hdc, WideRequest(request), true, [&](const Entry& e) {
    return lpProc(reinterpret_cast<const LOGFONTA*>(&e.elfA), reinterpret_cast<const TEXTMETRICA*>(&e.ntmA), e.type,
                  lParam);
  });
}

ZEL_EXTERN_C BOOL GetRasterizerCaps(LPRASTERIZER_STATUS lpraststat, UINT cb) {
  if (lpraststat == nullptr || cb < sizeof(RASTERIZER_STATUS)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  lpraststat->nSize = sizeof(RASTERIZER_STATUS);
  lpraststat->wFlags = TT_AVAILABLE | TT_ENABLED;
  lpraststat->nLanguageID = 0;
  return TRUE;
}
