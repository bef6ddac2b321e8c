#include "graphics/ddi/drawing_support.h"

#include <cstring>

#include "common/pdl_kind.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/realized_brush.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/stream/output.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr WORD kGreyImageCompression = 20;
constexpr DWORD kWhite = 0xFFFFFF;
constexpr MIX kPatternCopyMix = 0x0D0D;

DWORD ColorOf(ULONG entry) { return entry & 0xFFFFFF; }

}  // namespace

BOOL GetClipBounds(const CLIPOBJ* clip, RECTL* out) {
  if (!out) return TRUE;
  if (clip && clip->iDComplexity != DC_TRIVIAL)
    *out = clip->rclBounds;
  else
    *out = RECTL{0, 0, 0, 0};
  return TRUE;
}

BOOL GetSolidBrushColor(BRUSHOBJ* brush, ULONG* rgb) {
  if (!rgb) return FALSE;
  if (!brush) {
    *rgb = kWhite;
  } else if (brush->iSolidColor == SOLID_COLOR_NONE) {
    const auto* realized = static_cast<const RealizedBrush*>(BRUSHOBJ_pvGetRbrush(brush));
    *rgb = realized ? ColorOf(realized->foreground) : 0;
  } else {
    *rgb = ColorOf(brush->iSolidColor);
  }
  return TRUE;
}

BOOL GetSurfaceRect(const SURFOBJ* surface, RECTL* out) {
  if (!surface || !out) return FALSE;
  *out = RECTL{0, 0, surface->sizlBitmap.cx, surface->sizlBitmap.cy};
  return TRUE;
}

const RECTL* ClipRectOrNone(const CLIPOBJ* clip, RECTL* storage) {
  GetClipBounds(clip, storage);
  const bool none = storage->left == 0 && storage->top == 0 && storage->right == 0 && storage->bottom == 0;
  return none ? nullptr : storage;
}

bool UsesGreyImages(const PDEV* pdev) { return pdev->devmode.dmPrivate._nCompression == kGreyImageCompression; }

bool IsBlackWhiteTable(XLATEOBJ* xlate) {
  if (!xlate || !(xlate->flXlate & XO_TABLE) || xlate->cEntries < 2) return false;
  const ULONG* table = xlate->pulXlate ? xlate->pulXlate : XLATEOBJ_piVector(xlate);
  if (!table) return false;
  const DWORD first = ColorOf(table[0]), second = ColorOf(table[1]);
  return (first == 0 && second == kWhite) || (first == kWhite && second == 0);
}

bool IsOneBitSurface(const SURFOBJ* surface) { return surface && surface->iBitmapFormat == BMF_1BPP; }

COLORADJUSTMENT HalftoneColorAdjustment() {
  COLORADJUSTMENT adjustment{};
  adjustment.caSize = sizeof(COLORADJUSTMENT);
  adjustment.caRedGamma = 10000;
  adjustment.caGreenGamma = 10000;
  adjustment.caBlueGamma = 10000;
  adjustment.caReferenceBlack = 0;
  adjustment.caReferenceWhite = 10000;
  return adjustment;
}

CLIPOBJ RectangleClip(const RECTL& bounds) {
  CLIPOBJ clip{};
  clip.rclBounds = bounds;
  clip.iDComplexity = DC_RECT;
  clip.iFComplexity = FC_RECT;
  clip.iMode = TC_RECTANGLES;
  return clip;
}

PATHOBJ* FetchClipPath(CLIPOBJ* clip) {
  if (!clip) return nullptr;
  // The outline is asked in path mode; the engine's object is handed back in
  // the mode it came in, whichever that was.
  const BYTE mode = clip->iMode;
  clip->iMode = TC_PATHOBJ;
  PATHOBJ* path = CLIPOBJ_ppoGetPath(clip);
  clip->iMode = mode;
  return path;
}

BOOL WriteDrawingText(PDEV* pdev, const char* text) {
  const int length = static_cast<int>(std::strlen(text));
  return WriteOut(pdev, kWriteText, length, text) == length;
}

PostScriptClipBracket::PostScriptClipBracket(PDEV* pdev, SURFOBJ* surface, CLIPOBJ* clip) : pdev_(pdev) {
  if (!IsPostScriptJob(pdev) || !clip || clip->iDComplexity != DC_COMPLEX) return;
  path_ = FetchClipPath(clip);
  if (!path_) return;
  written_ = WriteDrawingText(pdev, "gs\n") &&
             DrvFillPath(surface, path_, nullptr, nullptr, nullptr, kPatternCopyMix, FP_ALTERNATEMODE) &&
             WriteDrawingText(pdev, " eoclip np\n");
}

PostScriptClipBracket::~PostScriptClipBracket() { Close(); }

void PostScriptClipBracket::Close() {
  if (!path_) return;
  WriteDrawingText(pdev_, "gr\n");
  // The grestore brought back the colour, pattern, line and font in force
  // before the bracket: whatever was selected inside it must be sent again.
  InvalidateVectorState(pdev_, kStaleEverything);
  pdev_->currentFont = kNoCurrentFont;
  std::memset(pdev_->carried.savedTextStates, 0, sizeof pdev_->carried.savedTextStates);
  EngDeletePath(path_);
  path_ = nullptr;
}
