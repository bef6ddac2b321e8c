// The printer's own fonts as the engine knows them, and the fonts the engine
// realises for a device.
//
// When a PDEV is enabled the engine asks its driver for the device fonts it
// announced in DEVINFO.cFonts (DrvQueryFont per face) and keeps the driver's
// IFIMETRICS; a face's glyph set (DrvQueryFontTree, QFT_GLYPHSET) is asked the
// first time text uses it. A LOGFONT that names a device font realises it: the
// driver then gets a FONTOBJ with that iFace and DEVICE_FONTTYPE, glyph handles
// from its own glyph set, and advances from DrvQueryAdvanceWidths (or
// DrvQueryFontData). Every other LOGFONT realises an engine font (FreeType).
//
// Realisations are kept with the device, so the same request under the same
// transform hands the driver the same FONTOBJ (the same iUniq) from call to call,
// as a driver that remembers what it downloaded expects; they go (with
// DrvDestroyFont) when the PDEV is disabled. A face the driver describes badly (no
// metrics, a name outside its block, no glyph set) is left out, never followed.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/device_context.h"

namespace platform::gdi {

// One device font as the driver described it.
struct DeviceFaceInfo {
  ULONG iFace = 0;
  IFIMETRICS* metrics = nullptr;         // the driver's block, valid while the PDEV lives
  std::vector<std::u16string> families;  // the family name, then its equivalents
  std::u16string faceName;
  std::u16string styleName;  // empty when the driver names none
};

// After DrvEnablePDEV/DrvCompletePDEV: asks the driver for its fonts.
void EnumerateDeviceFonts(const GraphicsDriver& driver, const Pdev& pdev);
// Before DrvDisablePDEV: lets the device's realised fonts and the driver's font
// data go (DrvDestroyFont, DrvFree where the driver has them).
void ReleaseDeviceFonts(const GraphicsDriver& driver, const Pdev& pdev);

std::vector<DeviceFaceInfo> DeviceFaces(HDEV hdev);

// The device font `lf` maps to, 0 for an engine font. A name equal to a face's
// family or face name (without regard to case) chooses it, even when an outline
// face of that name exists (the device font wins the tie), unless OUT_TT_PRECIS
// asks for the outline face or OUT_TT_ONLY_PRECIS rules device fonts out; one of
// a face's family equivalents chooses it only where no outline face answers to
// the name, or where OUT_DEVICE_PRECIS asks for the device font.
ULONG MatchDeviceFace(HDEV hdev, const LOGFONTW& lf);

// The font `lf` realises on the DC's device: glyphs rotated by lf.lfEscapement,
// then `toDevice` (logical to device, without the translation). nullptr when
// there is none.
Font* RealizeFont(const DeviceContext& dc, const LOGFONTW& lf, const XFORML& toDevice);

// The DC's current font, realised as its text is drawn (dc_text.cpp).
Font* RealizeCurrentFont(const DeviceContext& dc);

// The font escapes of ExtEscape (0x100-0x3FE, and QUERYESCSUPPORT asking about
// one of them) go to DrvFontManagement with the current font. True when the
// escape is one of them; *result is the answer ExtEscape returns.
bool RouteFontEscape(DeviceContext& dc, int escape, int cjIn, const char* in, int cjOut, char* out, int* result);

}  // namespace platform::gdi
