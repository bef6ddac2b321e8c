// The watermark of a page: its text in its font, size, angle and colour,
// centred on the printable area (or the whole paper) and moved by its offsets.
#include <cmath>
#include <cstring>

#include "common/pdl_kind.h"
#include "interface/decorations/dc_state_guard.h"
#include "interface/decorations/decoration_support.h"
#include "interface/decorations/page_decorations.h"
#include "interface/records/printer_info.h"
#include "model/model_cache.h"
#include "platform/base/arith.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/drawing.h"

namespace {

constexpr double kPi = 3.1415926535;
// A later word processor places text by its cell's top rather than its
// baseline; the watermark is moved down the text's own axis to match.
constexpr double kWordShift = 0.81;
constexpr DWORD kWordFirstShiftedVersion = 10;

struct Centre {
  int x;
  int y;
};

// The text itself, in device units from the printable area's corner; the
// device context's drawing state is restored afterwards.
void DrawWatermarkText(HDC dc, const WatermarkRecord& watermark, int angle, int dpi, Centre c,
                       const std::string& application, DWORD applicationVersion) {
  SavedDrawingState saved(dc);
  saved.UseDeviceUnits();
  const int offsetX = MulDiv(watermark.xOffset, dpi, 254);
  const int offsetY = MulDiv(watermark.yOffset, dpi, 254);

  LOGFONTA font{};
  font.lfHeight = -MulDiv(watermark.size, dpi, 72);
  font.lfEscapement = angle * 10;
  font.lfOrientation = angle * 10;
  font.lfWeight = (watermark.styleBits & 1) ? 700 : watermark.weight;
  font.lfItalic = (watermark.styleBits & 2) ? 1 : 0;
  font.lfCharSet = DEFAULT_CHARSET;
  CopyTerminated(font.lfFaceName, watermark.faceName);
  HFONT created = CreateFontIndirectA(&font);
  HGDIOBJ previousFont = created ? SelectObject(dc, created) : 0;

  char text[sizeof watermark.text] = {};
  CopyTerminated(text, watermark.text);
  const int length = static_cast<int>(std::strlen(text));
  SIZE extent{};
  GetTextExtentPoint32A(dc, text, length, &extent);
  const double t = angle * kPi / 180;
  const double w = extent.cx, h = extent.cy;
  int x = static_cast<int>((c.x + offsetX) - (std::sin(t) * h / 2 + std::cos(t) * w / 2));
  int y = static_cast<int>(std::sin(t) * w / 2 - std::cos(t) * h / 2 + (c.y - offsetY));
  if (EqualsIgnoreCase(application, "winword") && applicationVersion >= kWordFirstShiftedVersion) {
    x = static_cast<int>(x + std::sin(t) * h * kWordShift);
    y = static_cast<int>(y + std::cos(t) * h * kWordShift);
  }
  SetTextColor(dc, watermark.colour);
  TextOutA(dc, x, y, text, length);
  if (created) {
    SelectObject(dc, previousFont);
    DeleteObject(created);
  }
}

}  // namespace

int DrawWatermark(HANDLE printer, HDC dc, const XDEVMODE* devmode) {
  if (devmode == nullptr) return 0;
  const XDEVMODE_PRIVATE& extra = devmode->dmPrivate;
  const WatermarkRecord& watermark = extra._wmCurrent;
  char printerName[MAX_PATH] = {};
  GetPrinterNameCopy(printer, printerName, sizeof printerName);
  const ModelRecord* record = GetModelRecord(printer, printerName, kModelReloadWhenMissing);
  if (record == nullptr) return 0;

  const int dpi = DecorationDpi(dc, devmode);
  const PaperEntry* paper = FindModelPaper(*record, devmode->dmPublic.dmPaperSize);
  if (paper == nullptr) return -1;
  const PaperGeometry& g = paper->geometry[IsPostScriptPdl(extra._nPDL) ? 0 : 1];
  auto half = [dpi](int32_t value) { return MulDiv(value, dpi, 1000) / 2; };
  const int halfWidth = half(g.width), halfLength = half(g.height);
  if (halfWidth == 0 || halfLength == 0) return -1;
  Centre c{halfWidth, halfLength};
  if (extra._nMarginType != kMarginsNone) {
    c.x = halfWidth - half(g.margin1) - half(g.margin3);
    c.y = halfLength - half(g.margin2) - half(g.margin4);
  }
  if (record->variant != 0 && c.y < c.x) std::swap(c.x, c.y);
  if (devmode->dmPublic.dmOrientation == DMORIENT_LANDSCAPE) std::swap(c.x, c.y);

  StartPage(dc);
  int angle = watermark.angle;
  const std::string application = ApplicationBaseName(*devmode);
  if ((EqualsIgnoreCase(application, "pm6") || EqualsIgnoreCase(application, "pm65")) &&
      devmode->dmPublic.dmOrientation == DMORIENT_LANDSCAPE) {
    angle = (angle + 270) % 360;
  }
  if (watermark.outline != 0) ExtEscape(dc, kEscWatermarkFlag, 1, "a", 0, nullptr);

  DrawWatermarkText(dc, watermark, angle, dpi, c, application, extra.applicationMajorVersion);
  EndPage(dc);
  return 1;
}
