// The end of a path the application built through the path escapes: close,
// clip, and stroke and/or fill it. PostScript only: the escapes exist there.
#include "graphics/output/vector/vector_end_path.h"
#include "graphics/core/pdev.h"
#include "graphics/ddi/realized_brush.h"
#include "graphics/output/vector/vector_line.h"
#include "graphics/output/vector/vector_pattern.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/output/vector/vector_targets.h"
#include "platform/gdi/eng_services.h"

using namespace vectorout;

namespace {

// The colour a line takes from the brush: the solid colour, or a pattern's
// foreground. Without a brush the line is black (a white line would not show).
DWORD LineColorOf(BRUSHOBJ* brush) {
  if (brush == nullptr) return 0;
  if (brush->iSolidColor != SOLID_COLOR_NONE) return brush->iSolidColor & 0x00FFFFFF;
  const auto* realized = static_cast<const RealizedBrush*>(BRUSHOBJ_pvGetRbrush(brush));
  return realized != nullptr ? realized->foreground & 0x00FFFFFF : 0;
}

}  // namespace

BOOL EndFillClip(PDEV* pdev, LINEATTRS* line, BRUSHOBJ* brush, DWORD flags) {
  if (pdev == nullptr || !IsPostScriptJob(pdev)) return FALSE;
  FollowPrinterResets(pdev);
  const DWORD target = Pdl(pdev);
  const DWORD color = LineColorOf(brush);
  const bool alternate = (flags & kEndPathAlternate) != 0;
  if (flags & kEndPathClose) Text(pdev, " cp");
  if (flags & kEndPathClip) {
    Text(pdev, " clip");
  } else if (flags & kEndPathEoClip) {
    Text(pdev, " eoclip");
  }
  if (brush == nullptr) {
    if (line != nullptr) {
      SetLineAttributes(pdev, line, nullptr, TRUE, color);
      Text(pdev, " S");
    }
  } else if (line != nullptr) {
    Text(pdev, " gs");
    DownloadFillPattern(pdev, brush, FALSE, target, kHpglFill);
    Text(pdev, alternate ? " ef gr\n" : " f gr\n");
    pdev->writers.vector.stale |= kStaleColor;
    SetLineAttributes(pdev, line, nullptr, TRUE, color);
    Text(pdev, " S");
  } else {
    DownloadFillPattern(pdev, brush, TRUE, target, kHpglFill);
    Text(pdev, alternate ? " ef" : " f");
  }
  Text(pdev, (flags & kEndPathNewPath) ? " np\n" : "\n");
  return TRUE;
}
