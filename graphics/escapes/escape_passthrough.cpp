// The application's own PostScript: the passthrough escapes and EPSPRINTING.
//
// While the driver itself lays pages out (N-up, booklet, inserted sheets,
// watermark, borders...) the application's PostScript may not end sheets or
// replace the screen: the passthrough mode is then on, the application's
// showpage is disabled and its data goes through the application PostScript
// filter, which finds its pages for the page store. An EPS file embedded in
// the data is copied unchanged up to its end, so that the filter never rewrites
// lines inside a placed graphic.
#include <cstring>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/escapes/escapes.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/pages/document_store.h"
#include "graphics/passthrough/app_postscript_filter.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"

namespace {

constexpr DWORD kCapturePassthroughWritten = 0x02;
constexpr DWORD kCapturePassthroughSeen = 0x20;
constexpr BYTE kControlD = 4;
constexpr DWORD kWhite = 0x00FFFFFF;

constexpr char kHeaderMark[] = "!PS-Adobe-";
constexpr DWORD kHeaderMarkLength = sizeof kHeaderMark - 1;
constexpr DWORD kEpsVersionLength = 12;  // "3.0 EPSF-3.0"

bool IsDigit(BYTE c) { return c >= '0' && c <= '9'; }

// "d.d EPSF-d.d": the version of an EPS file's header line.
bool IsEpsVersion(const BYTE* p) {
  return IsDigit(p[0]) && p[1] == '.' && IsDigit(p[2]) && p[3] == ' ' && std::memcmp(p + 4, "EPSF-", 5) == 0 &&
         IsDigit(p[9]) && p[10] == '.' && IsDigit(p[11]);
}

bool Write(PDEV* pdev, const BYTE* data, DWORD length) {
  if (length == 0) return true;
  return WriteOut(pdev, kWriteBytes, static_cast<int>(length), data) == static_cast<int>(length);
}

bool Filter(PDEV* pdev, const BYTE* data, DWORD length) {
  if (length == 0) return true;
  return FilterAppPostScript(pdev, data, length) >= 0;
}

// Offset of the earlier of the two ends of an embedded document.
DWORD EmbeddedDocumentEnd(const BYTE* data, DWORD length) {
  const DWORD eof = FindBytes("%%EOF", 5, data, length);
  const DWORD endDocument = FindBytes("%%EndDocument", 13, data, length);
  return eof < endDocument ? eof : endDocument;
}

// Walks one call's data with the passthrough mode on.
bool WriteFiltered(PDEV* pdev, const BYTE* data, DWORD length) {
  BOOL& embedded = pdev->job.passthrough.embeddedDocument;
  while (length > 0) {
    if (embedded) {
      const DWORD end = EmbeddedDocumentEnd(data, length);
      if (end == kBytesNotFound) return Write(pdev, data, length);
      const DWORD line = end + LineLength(reinterpret_cast<const char*>(data) + end, length - end);
      if (!Write(pdev, data, line)) return false;
      data += line;
      length -= line;
      embedded = FALSE;
      continue;
    }
    const DWORD mark = FindBytes(kHeaderMark, kHeaderMarkLength, data, length);
    if (mark == kBytesNotFound || length - mark - kHeaderMarkLength < kEpsVersionLength ||
        !IsEpsVersion(data + mark + kHeaderMarkLength)) {
      return Filter(pdev, data, length);
    }
    // The header line starts with the "%" before the mark.
    const DWORD lineStart = mark > 0 && data[mark - 1] == '%' ? mark - 1 : mark;
    if (!Filter(pdev, data, lineStart) || !FlushHeldAppPostScript(pdev)) return false;
    embedded = TRUE;
    const DWORD line = (mark - lineStart) + LineLength(reinterpret_cast<const char*>(data) + mark, length - mark);
    if (!Write(pdev, data + lineStart, line)) return false;
    data += lineStart + line;
    length -= lineStart + line;
  }
  return true;
}

// The halftone of the device mode replaces the printer's screen.
bool HalftoneOverride(const XDEVMODE_PRIVATE& extra) {
  return extra._bPrinterScreen == 0 && extra._nScreenFrequency > 0 && extra._nScreenAngle >= 0;
}

// Whether the driver lays out or decorates the sheets itself, so that the
// application's PostScript must leave them to it.
bool DriverLaysOutSheets(const PDEV* pdev) {
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  const bool landscape = pdev->devmode.dmPublic.dmOrientation == DMORIENT_LANDSCAPE;
  return extra._wmCurrent.text[0] != '\0' || extra._nBooklet != 0 || extra._nUp >= 2 ||
         (pdev->carried.acrobatVersion >= 1 && landscape) || (pdev->carried.pageMakerVersion >= 6 && landscape) ||
         HalftoneOverride(extra) || extra._wStaple != 0 || extra._nOutputTray != 0 || extra.epInterleaf.on != 0 ||
         extra._bNupBorder != 0 || pdev->devmode.dmPublic.dmDefaultSource == kSourceByPageTicket ||
         (extra._bInsertSheets != 0 && pdev->pageTickets.rowCount > 0) || HasSheetInserts(pdev);
}

void SetEpsFlag(PDEV* pdev, WORD value) {
  pdev->job.epsMode = value;
  // The page save of the procedure set must then open the dictionary itself.
  pdev->job.appPostScriptState = value;
}

// The current colour the printer has after the negative image's white fill.
void RememberWhite(PDEV* pdev) {
  RememberedFill& color = pdev->writers.vector.color;
  GraphicsHeapFree(color.pattern);
  color.pattern = nullptr;
  color.patternLength = 0;
  color.color = kWhite;
  color.background = 0;
  InvalidateVectorState(pdev, kStaleColor);
}

// From the booklet rule on: what the EPS set-up writes for the job.
void ApplyEpsSetup(PDEV* pdev) {
  XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  const bool pageLayoutProgram = pdev->carried.acrobatVersion >= 1 || pdev->carried.pageMakerVersion >= 6;
  // Booklet sheets hold pages from both ends of the document: the printer's
  // memory is cleared per page so that the application's definitions of one
  // page do not meet another.
  if ((pdev->job.epsMode != 0 || pageLayoutProgram) && extra._nBooklet != 0) extra._bClearMemoryPerPage = 1;
  if (pdev->job.showpageOverride == 0) return;
  WriteOut(pdev, kWriteText, 0, "\n/showpage {} def\n");
  if (HalftoneOverride(extra)) WriteOut(pdev, kWriteText, 0, "\n/sethalftone {pop} def\n");
  char transfer[32] = {};
  if (extra._bColorToBlack) std::strcat(transfer, " floor");
  if (extra._bNegativeImage) std::strcat(transfer, " 1 exch sub");
  if (transfer[0] != '\0') {
    char line[64];
    FormatOut(line, "\n{%s}bind settransfer\n", transfer);
    WriteOut(pdev, kWriteText, 0, line);
  }
  if (extra._bNegativeImage) {
    WriteOut(pdev, kWriteText, 0, "\n1 setgray clippath fill\n");
    RememberWhite(pdev);
  }
}

void DecidePassthroughMode(PDEV* pdev) {
  if (pdev->injectionMode != 0 || pdev->job.showpageOverride != 0) return;
  pdev->job.showpageOverride = DriverLaysOutSheets(pdev) ? 1 : 0;
}

}  // namespace

ULONG ServeEpsPrinting(PDEV* pdev, ULONG inSize, const void* in) {
  if (in == nullptr) return RefuseEscape();
  DWORD value = 0;
  if (inSize == sizeof(WORD)) {
    WORD word = 0;
    std::memcpy(&word, in, sizeof word);
    value = word;
  } else if (inSize >= sizeof(DWORD)) {
    std::memcpy(&value, in, sizeof value);
  } else {
    return RefuseEscape();
  }
  SetEpsFlag(pdev, static_cast<WORD>(value));
  pdev->job.applicationPageControl = value != 0 ? 1 : 0;
  DecidePassthroughMode(pdev);
  ApplyEpsSetup(pdev);
  return 1;
}

ULONG ServePassthrough(PDEV* pdev, ULONG inSize, const void* in) {
  pdev->currentFont = kNoCurrentFont;
  if (!(pdev->carried.captureFlags & kCapturePageStarted)) {
    pdev->carried.captureFlags |= kCaptureAppPostScriptFirst;
    // PostScript ahead of the first page is treated as an EPS job.
    if (!(pdev->carried.captureFlags & kCapturePassthroughSeen) && pdev->job.epsMode == 0) {
      SetEpsFlag(pdev, 1);
      ApplyEpsSetup(pdev);
    }
  }
  pdev->carried.captureFlags |= kCapturePassthroughSeen;
  if (in == nullptr) return RefuseEscape();
  if (inSize < sizeof(WORD)) return 0;
  WORD count = 0;
  std::memcpy(&count, in, sizeof count);
  if (inSize < count + sizeof(WORD)) return 0;
  const BYTE* data = static_cast<const BYTE*>(in) + sizeof(WORD);
  DWORD length = count;
  // A control-D would end the job in the printer.
  if (length > 0 && data[0] == kControlD) {
    ++data;
    --length;
  }
  const bool written = pdev->job.showpageOverride != 0 ? WriteFiltered(pdev, data, length) : Write(pdev, data, length);
  pdev->carried.captureFlags |= kCapturePassthroughWritten;
  // A job that lost the application's data must not be reported as printed.
  return written && !OutputFailed(pdev) ? count : kEscapeWriteFailed;
}
