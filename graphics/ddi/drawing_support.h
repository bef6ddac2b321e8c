// Small pieces the drawing entries share: the clip, brush and surface
// rectangles they hand the writers, the colour adjustment of the engine's
// halftoning, and the PostScript clip bracket of a complex clip region.
#pragma once

#include "graphics/core/pdev.h"
#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

// The clip's bounds when it clips at all (not DC_TRIVIAL), else an all-zero
// rectangle, meaning no clip. Always TRUE.
BOOL GetClipBounds(const CLIPOBJ* clip, RECTL* out);

// The solid colour (0x00BBGGRR) a brush paints with: white without a brush,
// the realisation's foreground for a pattern brush (black when it has none),
// else the brush's own colour.
BOOL GetSolidBrushColor(BRUSHOBJ* brush, ULONG* rgb);

// (0, 0, width, height) of a surface. FALSE without one.
BOOL GetSurfaceRect(const SURFOBJ* surface, RECTL* out);

// The clip rectangle the writers take: GetClipBounds into storage, or none
// when nothing is clipped.
const RECTL* ClipRectOrNone(const CLIPOBJ* clip, RECTL* storage);

// The "Compression" setting 20: PostScript images go out as grey and PCL
// 1-bit images are not halftoned again.
bool UsesGreyImages(const PDEV* pdev);

// A colour table whose first two colours are black and white, in either order
// (white: red, green and blue all 255).
bool IsBlackWhiteTable(XLATEOBJ* xlate);
// A 1-bit surface.
bool IsOneBitSurface(const SURFOBJ* surface);

// The colour adjustment handed to the engine's halftoning: neutral gamma, full
// range, no contrast, brightness, colourfulness or tint.
COLORADJUSTMENT HalftoneColorAdjustment();

// A driver-built clip object of one rectangle (pixels).
CLIPOBJ RectangleClip(const RECTL& bounds);

// The outline of a clip region as an engine path (the clip is asked in path
// mode and left in the mode it had); the caller deletes it with EngDeletePath.
// Null when the engine gives none.
PATHOBJ* FetchClipPath(CLIPOBJ* clip);

// Makes a complex clip region the PostScript clip: "gs\n", the region's outline
// (written through DrvFillPath with no brush), " eoclip np\n". Close ends the
// bracket with "gr\n" and marks the cached graphics state stale. On the PCL
// family, or when the engine gives no outline, nothing is written and
// Active() is false.
class PostScriptClipBracket {
 public:
  PostScriptClipBracket(PDEV* pdev, SURFOBJ* surface, CLIPOBJ* clip);
  ~PostScriptClipBracket();
  PostScriptClipBracket(const PostScriptClipBracket&) = delete;
  PostScriptClipBracket& operator=(const PostScriptClipBracket&) = delete;

  bool Active() const { return path_ != nullptr; }
  // Whether the outline was written completely.
  bool Written() const { return written_; }
  void Close();

 private:
  PDEV* pdev_;
  PATHOBJ* path_ = nullptr;
  bool written_ = false;
};

// Writes literal text into the job stream. TRUE when the stream took it.
BOOL WriteDrawingText(PDEV* pdev, const char* text);
