// Helpers of the text writer: the run's rotation and scale, code-page
// conversion of its characters, the code written for a glyph, and the choices
// between printer, downloaded, bitmap and outline fonts.
#pragma once

#include <string_view>

#include "graphics/output/download/font_download.h"
#include "graphics/output/text/text_run.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;
struct DeviceFontEntry;

// Dots per inch of the job.
int TextResolution(const PDEV* pdev);

// The charsets whose printer fonts are double-byte.
bool IsCjkCharset(BYTE charset);

// The device font entry the run prints with (the substitute of a TrueType font,
// or the run's own device font); null for none.
const DeviceFontEntry* RunPrinterFont(PDEV* pdev, FONTOBJ* font, const TextRunContext& run);

BOOL DownloadAsOutline(PDEV* pdev, FONTOBJ* font);
BOOL CanDownloadFont(PDEV* pdev, FONTOBJ* font);
// The multibyte length of the batch, 0 when it could not be converted, -1 when
// out of memory.
int ConvertRunToCodePage(TextRunContext* run, const WCHAR* chars, ULONG count);
void FreeRunConversion(TextRunContext* run);
void AnalyseTextRotation(TextRunContext* run);
BOOL IsAnisotropicScale(const TextRunContext* run);
// Turns count points by the inverse of the run's rotation (about the origin).
void RotatePoints(const TextRunContext& run, POINTL* points, ULONG count);
// The HP-GL/2 character size ("SI") of the run in centimetres; FALSE when the
// transform fails.
BOOL GetHpglCharacterSize(PDEV* pdev, XFORMOBJ* xform, const IFIMETRICS* metrics, LONG em, float* width, float* height);
int PclStrokeWeight(int weight);
// The bytes written for glyph `index` of the stretch: a view of the run's
// conversion, or of `single` where the code is one byte of its own.
std::string_view GlyphCode(HGLYPH glyph, WCHAR ch, const FontDownloadRecord* record, const GlyphPageRecord* page,
                           ULONG index, const TextRunContext& run, char* single);
