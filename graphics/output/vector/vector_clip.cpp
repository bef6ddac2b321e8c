// A clip rectangle around a piece of output: a PostScript gsave with a
// rectangle clip, or the HP-GL/2 input window. The bracket never nests.
#include "graphics/output/vector/vector_clip.h"
#include "graphics/core/pdev.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_support.h"

using namespace vectorout;

BOOL BeginClipRect(PDEV* pdev, const RECTL* clip) {
  if (pdev == nullptr || clip == nullptr) return FALSE;
  // A bracket left open would keep a gsave (or a window) that nothing closes.
  if (pdev->writers.vector.clipRectOpen) EndClipRect(pdev);
  if (IsPostScriptJob(pdev)) {
    Formatted(pdev, " gs %d %d %d %d rc\n", clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top);
  } else {
    EnterHpgl(pdev);
    Formatted(pdev, "IW%d,%d,%d,%d", clip->left, clip->top, clip->right, clip->bottom);
  }
  pdev->writers.vector.clipRectOpen = 1;
  return TRUE;
}

BOOL EndClipRect(PDEV* pdev) {
  if (pdev == nullptr) return FALSE;
  VectorWriterState& state = pdev->writers.vector;
  if (!state.clipRectOpen) return TRUE;
  if (IsPostScriptJob(pdev)) {
    Text(pdev, " gr\n");
    state.stale = kStaleEverything;
  } else {
    EnterHpgl(pdev);
    Text(pdev, "IW");
    state.stale |= kStaleColor;
  }
  state.clipRectOpen = 0;
  return TRUE;
}
