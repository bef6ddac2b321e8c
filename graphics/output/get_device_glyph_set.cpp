// The glyph set of a device font. Fonts of the Far East character sets map
// their codes through a glyph set of the model module, which comes with the
// device fonts; until then they get none (refused, so that the engine does not
// offer a font it cannot map). Every other device font uses the library's
// glyph set of the ANSI code page. Kept alone in its file so that the full
// routine (or a test's) replaces it.
#include "graphics/ddi/device_font_lookup.h"
#include "graphics/ddi/driver_library.h"
#include "graphics/output/device_glyph_set.h"
#include "platform/base/errors.h"

namespace {

constexpr BYTE kShiftJisCharset = 128;
constexpr BYTE kGb2312Charset = 134;

}  // namespace

FD_GLYPHSET* GetDeviceGlyphSet(PDEV* pdev, ULONG iFace) {
  const DeviceFontEntry* font = FindDeviceFont(pdev, iFace);
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const BYTE charset = font->metrics->jWinCharSet;
  if (charset == kShiftJisCharset || charset == kGb2312Charset) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  return DefaultGlyphSet();
}
