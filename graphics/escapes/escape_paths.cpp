// The application's own paths: BEGIN_PATH opens a path that the drawing calls
// which follow build without painting, CLIP_TO_PATH saves, restores or clips
// to it, END_PATH closes it.
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/escapes/escapes.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/output/vector/vector_end_path.h"

namespace {

constexpr WORD kClipSave = 0;
constexpr WORD kClipRestore = 1;
constexpr WORD kClipToPath = 2;
constexpr WORD kFillAlternate = 1;  // even-odd
constexpr WORD kRenderOpen = 1;
constexpr WORD kRenderClosed = 2;

ULONG BeginPath(PDEV* pdev) {
  SHORT& depth = pdev->job.pathEscapeDepth;
  if (depth < 0x7FFF) ++depth;
  return static_cast<ULONG>(depth);
}

ULONG ClipToPath(PDEV* pdev, ULONG inSize, const void* in) {
  DWORD value = 0;
  if (in == nullptr || inSize < sizeof value) return RefuseEscape();
  std::memcpy(&value, in, sizeof value);
  const WORD mode = static_cast<WORD>(value & 0xFFFF);
  const WORD fillMode = static_cast<WORD>(value >> 16);
  switch (mode) {
    case kClipSave: EmitSaveRestore(pdev, kSaveGraphics); break;
    case kClipRestore: EmitSaveRestore(pdev, kRestoreGraphics); break;
    case kClipToPath:
      EndFillClip(pdev, nullptr, nullptr,
                  kEndPathNewPath | (fillMode == kFillAlternate ? kEndPathEoClip : kEndPathClip));
      break;
    default: return 0;
  }
  return 1;
}

ULONG EndPath(PDEV* pdev, ULONG inSize, const void* in) {
  if (in == nullptr || inSize < kPathInfoBytes) return RefuseEscape();
  WORD renderMode = 0;
  BYTE fillMode = 0;
  std::memcpy(&renderMode, in, sizeof renderMode);
  std::memcpy(&fillMode, static_cast<const BYTE*>(in) + sizeof renderMode, sizeof fillMode);
  if (renderMode == kRenderOpen || renderMode == kRenderClosed) {
    DWORD flags = fillMode == kFillAlternate ? kEndPathAlternate : 0;
    if (renderMode == kRenderClosed) flags |= kEndPathClose;
    EndFillClip(pdev, nullptr, nullptr, flags);
  }
  SHORT& depth = pdev->job.pathEscapeDepth;
  if (depth > 0) --depth;
  return static_cast<ULONG>(depth);
}

}  // namespace

ULONG ServePathEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in) {
  switch (escape) {
    case kEscBeginPath: return BeginPath(pdev);
    case kEscClipToPath: return ClipToPath(pdev, inSize, in);
    case kEscEndPath: return EndPath(pdev, inSize, in);
    default: return 0;
  }
}
