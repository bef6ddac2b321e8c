// The font escapes of ExtEscape, which GDI hands to DrvFontManagement with the
// DC's current font instead of DrvEscape.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/gdi/device_font.h"

namespace platform::gdi {
namespace {

bool IsFontEscape(ULONG escape) { return escape >= FIRST_FONT_ESCAPE && escape <= LAST_FONT_ESCAPE; }

// Room the driver may write a face name into, whatever smaller buffer the
// application gave: the answer is cut to the application's size afterwards.
constexpr size_t kMinimumOutput = 512;

// The escape number a QUERYESCSUPPORT asks about: a DWORD, or the WORD older
// callers pass.
bool AskedEscape(int cjIn, const char* in, ULONG* asked) {
  if (in == nullptr || cjIn < static_cast<int>(sizeof(WORD))) return false;
  if (cjIn >= static_cast<int>(sizeof(ULONG))) {
    std::memcpy(asked, in, sizeof *asked);
  } else {
    WORD word = 0;
    std::memcpy(&word, in, sizeof word);
    *asked = word;
  }
  return true;
}

// DOWNLOADFACE's input as drivers read it, whole whatever the application gave:
// its mode word, then the glyph handle of each of the 256 single-byte codes of
// the ANSI code page in the current font (the default character's glyph where a
// code is no character; zeros without a font).
std::vector<unsigned char> DownloadFaceInput(Font* font, int cjIn, const char* in) {
  DWORD mode = 0;
  if (in != nullptr && cjIn > 0) std::memcpy(&mode, in, std::min<size_t>(static_cast<size_t>(cjIn), sizeof mode));
  std::vector<unsigned char> block(sizeof(DWORD) + 256 * sizeof(HGLYPH), 0);
  std::memcpy(block.data(), &mode, sizeof mode);
  if (font == nullptr) return block;
  const IFIMETRICS* ifi = font->Metrics();
  const HGLYPH fallback = font->GlyphForChar(ifi != nullptr ? ifi->wcDefaultChar : u'?');
  const UINT codePage = GetACP();
  for (int code = 0; code < 256; ++code) {
    const char byte = static_cast<char>(code);
    WCHAR wc = 0;
    HGLYPH hg = fallback;
    if (!IsDBCSLeadByteEx(codePage, static_cast<BYTE>(code)) &&
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &wc, 1) == 1)
      hg = font->GlyphForChar(wc);
    std::memcpy(block.data() + sizeof(DWORD) + code * sizeof(HGLYPH), &hg, sizeof hg);
  }
  return block;
}

}  // namespace

bool RouteFontEscape(DeviceContext& dc, int escape, int cjIn, const char* in, int cjOut, char* out, int* result) {
  ULONG asked = 0;
  const bool query = escape == QUERYESCSUPPORT && AskedEscape(cjIn, in, &asked) && IsFontEscape(asked);
  if (!query && !IsFontEscape(static_cast<ULONG>(escape))) return false;
  auto manage = dc.driver->Get<PFN_DrvFontManagement>(INDEX_DrvFontManagement);
  if (manage == nullptr) {
    *result = 0;  // a library without font management supports none of them
    return true;
  }
  SURFOBJ* pso = dc.Surface();
  if (query) {
    *result = static_cast<int>(manage(pso, nullptr, QUERYESCSUPPORT, sizeof asked, &asked, 0, nullptr));
    return true;
  }
  Font* font = RealizeCurrentFont(dc);
  std::vector<unsigned char> input;
  if (escape == DOWNLOADFACE) {
    input = DownloadFaceInput(font, cjIn, in);
  } else if (cjIn > 0 && in != nullptr) {
    input.assign(in, in + cjIn);
  }
  // The library writes into a buffer of the engine's, never short and never
  // missing; the application gets what fits its own.
  std::vector<char> output(std::max(static_cast<size_t>(cjOut), kMinimumOutput), 0);
  const ULONG answer = manage(pso, font, static_cast<ULONG>(escape), static_cast<ULONG>(input.size()),
                              input.empty() ? nullptr : input.data(), static_cast<ULONG>(cjOut), output.data());
  if (out != nullptr && cjOut > 0) std::memcpy(out, output.data(), static_cast<size_t>(cjOut));
  *result = static_cast<int>(answer);
  return true;
}

}  // namespace platform::gdi
