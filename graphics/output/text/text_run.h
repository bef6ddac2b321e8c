// The pieces of the text writer: the working record of one glyph run, the
// stretch writer, the font selection and the helpers they share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "graphics/output/download/font_download.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;
struct DeviceFontEntry;

// The working record of one run, made fresh for every run.
struct TextRunContext {
  DWORD codePage = 0;
  DWORD download = 0;     // the characters go through a downloaded font
  int substitute = -1;    // index of the printer font that replaces a TrueType font
  DWORD printerFont = 0;  // printed with a printer font (a device font or a substitute)
  DWORD outline = 0;      // DownloadAsOutline
  DWORD scalable = 0;
  DWORD positioned = 0;  // every glyph carries its own position
  XFORMOBJ* xform = nullptr;
  ULONG xformKind = 0;
  float eM11 = 0, eM12 = 0, eM21 = 0, eM22 = 0, eDx = 0, eDy = 0;
  DWORD rotated = 0;
  int angle = 0;  // 0, 90, 180, 270, or -1 for any other angle
  DWORD anisotropic = 0;
  // The run's text in its code page, character by character (start and length
  // of each character's bytes), and for each character whether it had no code
  // there. Filled by ConvertRunToCodePage for the batch in hand.
  std::string multibyte;
  std::u16string roundTrip;
  std::vector<int> charStart;
  std::vector<int> charLength;
  std::vector<unsigned char> fellBack;
  int readPosition = 0;  // the character of the batch the next stretch starts at
  DWORD dbcs = 0;
  RECTL textBounds{};  // the run's box on the page (the STROBJ's background)
};

// Dots per inch of the job.
int TextResolution(const PDEV* pdev);

// The charsets whose printer fonts are double-byte.
bool IsCjkCharset(BYTE charset);

// The device font entry the run prints with (the substitute of a TrueType font,
// or the run's own device font); null for none.
const DeviceFontEntry* RunPrinterFont(PDEV* pdev, FONTOBJ* font, const TextRunContext& run);

// One stretch of glyphs (see text_writer.h for the run).
int OutputText(PDEV* pdev, FONTOBJ* font, CLIPOBJ* clip, const WCHAR* chars, GLYPHPOS* glyphs, ULONG count,
               BRUSHOBJ* opaque, BRUSHOBJ* foreground, TextRunContext* run);
BOOL WriteTextRun(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, GLYPHPOS* glyphs,
                  const WCHAR* chars, ULONG count, CLIPOBJ* clip, BRUSHOBJ* opaque, BRUSHOBJ* foreground,
                  TextRunContext* run);
// Makes the run's font current in the printer language (HP-GL/2 labels when
// hpgl); TRUE without output when it is current already.
BOOL SelectDeviceFont(PDEV* pdev, FONTOBJ* font, FontDownloadRecord* record, GlyphPageRecord* page, GLYPHPOS* glyphs,
                      ULONG count, BOOL hpgl, TextRunContext* run);
// The PostScript definition of a Japanese composite font for a printer font.
BOOL DefineCompositeFont(PDEV* pdev, const DeviceFontEntry* entry, const char* compositeName);

// Supporting operations.
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

// The composite-font table of the document (PDEV::downloadedFonts[1]).
struct CompositeFontRow {
  char faceName[64];
  char compositeName[32];
};
struct CompositeFontTable {
  WORD useCount;
  CompositeFontRow* rows;
  WORD rowCount;
  WORD rowCapacity;
  char (*derived)[64];  // composite names with a style and height defined in the document
  WORD derivedCount;
  WORD derivedCapacity;
};
CompositeFontTable* CompositeFonts(PDEV* pdev, bool create);
void FreeCompositeFonts(CompositeFontTable* table);
