#include "graphics/output/vector/vector_support.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_targets.h"
#include "graphics/stream/output.h"

namespace vectorout {

WORD Pdl(const PDEV* pdev) { return pdev->devmode.dmPrivate._nPDL; }

int Resolution(const PDEV* pdev) {
  if (pdev->resolution > 0) return pdev->resolution;
  const short quality = pdev->devmode.dmPublic.dmPrintQuality;
  return quality > 0 ? quality : 600;
}

bool ApplicationPathOpen(const PDEV* pdev) { return pdev->job.pathEscapeDepth > 0; }

int Text(PDEV* pdev, const char* text) { return pagesetup::WriteText(pdev, text); }

int Formatted(PDEV* pdev, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int length = FormatOutV(pdev->lineBuffer, sizeof pdev->lineBuffer, format, args);
  va_end(args);
  if (length < 0) return 0;
  return length == 0 || WriteOut(pdev, kWriteBytes, length, pdev->lineBuffer) == length;
}

int Bytes(PDEV* pdev, const void* data, size_t length) {
  return length == 0 || WriteOut(pdev, kWriteBytes, static_cast<int>(length), data) == static_cast<int>(length);
}

int EnterHpgl(PDEV* pdev) {
  if (pdev->job.inHpgl) return 1;
  pdev->job.inHpgl = 1;
  return Text(pdev, "\x1b%0B");
}

int LeaveHpgl(PDEV* pdev) { return pagesetup::LeaveHpgl(pdev); }

PixelBox BoxOfFixRect(const RECTL& rect) {
  PixelBox box;
  box.x = Pixel(rect.left);
  box.y = Pixel(rect.top);
  // In 64 bits: the rounding up must not overflow at the top of the range.
  box.width = static_cast<LONG>(((static_cast<int64_t>(rect.right) + 15) >> 4) - box.x);
  box.height = static_cast<LONG>(((static_cast<int64_t>(rect.bottom) + 15) >> 4) - box.y);
  return box;
}

bool ClipGiven(const RECTL* clip) { return clip != nullptr && clip->right > clip->left && clip->bottom > clip->top; }

bool TargetIsHpgl(DWORD target) { return target == kTargetHpgl; }

bool TargetIsPostScript(DWORD target) { return !TargetIsHpgl(target) && IsPostScriptPdl(target); }

Cache CacheOf(PDEV* pdev, DWORD target, int hpglIndex) {
  VectorWriterState& state = pdev->writers.vector;
  if (!TargetIsHpgl(target)) return {&state.color, kStaleColor};
  if (hpglIndex == kHpglPen) return {&state.pen, kStaleHpglPen};
  return {&state.fill, kStaleHpglFill};
}

void FollowPrinterResets(PDEV* pdev) {
  VectorWriterState& state = pdev->writers.vector;
  const DWORD resets = pdev->writers.deviceSettings.printerResets;
  if (state.printerResetsSeen == resets) return;
  state.printerResetsSeen = resets;
  state.stale = kStaleEverything;
  state.patternSelectionSent = 0;
  state.pixelPlacement = 0;
}

const char* Millimetres(char* out, size_t capacity, LONG micrometres) {
  if (micrometres < 0) micrometres = 0;
  const LONG whole = micrometres / 1000;
  const LONG thousandths = micrometres % 1000;
  const char* format = thousandths < 10 ? "%d.00%d" : thousandths < 100 ? "%d.0%d" : "%d.%d";
  if (FormatOut(out, capacity, format, whole, thousandths) < 0 && capacity > 0) out[0] = '\0';
  return out;
}

int WritePclUserPattern(PDEV* pdev, const BYTE* inkRows, DWORD width, DWORD height) {
  const bool withResolution = (Pdl(pdev) & kPdlUserPatternFormat20) != 0;
  const DWORD dataBytes = (width + 7) / 8 * height;
  BYTE header[12] = {};
  header[0] = withResolution ? 20 : 0;
  header[1] = 0;  // continuation
  header[2] = 1;  // one bit per pixel
  header[3] = 0;
  header[4] = static_cast<BYTE>(height >> 8);
  header[5] = static_cast<BYTE>(height);
  header[6] = static_cast<BYTE>(width >> 8);
  header[7] = static_cast<BYTE>(width);
  const DWORD dpi = static_cast<DWORD>(Resolution(pdev));
  header[8] = header[10] = static_cast<BYTE>(dpi >> 8);
  header[9] = header[11] = static_cast<BYTE>(dpi);
  const DWORD headerBytes = withResolution ? 12 : 8;
  int written = Formatted(pdev, "\x1b*c1g%dW", static_cast<int>(headerBytes + dataBytes));
  written = written && Bytes(pdev, header, headerBytes);
  return written && Bytes(pdev, inkRows, dataBytes);
}

void TextChunk::Add(const char* format, ...) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    va_list args;
    va_start(args, format);
    const int length = FormatOutV(buffer_ + used_, sizeof buffer_ - used_, format, args);
    va_end(args);
    if (length >= 0) {
      used_ += static_cast<size_t>(length);
      return;
    }
    Flush();
  }
  ok_ = false;  // a piece longer than the whole block: never made by the writers
}

void TextChunk::AddBytes(const void* data, size_t length) {
  if (used_ + length > sizeof buffer_) Flush();
  if (length > sizeof buffer_) {
    ok_ = Bytes(pdev_, data, length) && ok_;
    return;
  }
  std::memcpy(buffer_ + used_, data, length);
  used_ += length;
}

int TextChunk::Flush() {
  if (used_ > 0) ok_ = Bytes(pdev_, buffer_, used_) && ok_;
  used_ = 0;
  return ok_ ? 1 : 0;
}

}  // namespace vectorout
