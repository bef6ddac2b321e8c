// Rectangles: filled, stroked or both, optionally clipped. PostScript uses the
// procedure set's rectangle procedures; the PCL family draws plain PCL fills
// where black, white or a pattern is enough and HP-GL/2 where a line or a clip
// is wanted.
#include <cstring>
#include <string_view>

#include "graphics/core/pdev.h"
#include "graphics/output/vector/vector_line.h"
#include "graphics/output/vector/vector_pattern.h"
#include "graphics/output/vector/vector_rectangle.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/output/vector/vector_targets.h"
#include "platform/base/codepage.h"

using namespace vectorout;

namespace {

constexpr DWORD kBlack = 0;
constexpr DWORD kWhite = 0x00FFFFFF;

bool SolidBrushOf(const BRUSHOBJ* brush, DWORD color) {
  return brush != nullptr && brush->iSolidColor != SOLID_COLOR_NONE && (brush->iSolidColor & 0x00FFFFFF) == color;
}

// The application's file name without folder and extension.
std::string_view ApplicationName(const PDEV* pdev) {
  const char* path = pdev->devmode.dmPrivate.applicationPath;
  const std::string_view whole(path, strnlen(path, sizeof pdev->devmode.dmPrivate.applicationPath));
  std::string_view name = whole;
  for (char separator : {'\\', '/'}) {
    const size_t at = platform::FindLastCharAnsi(name, separator);
    if (at != std::string_view::npos) name.remove_prefix(at + 1);
  }
  const size_t dot = platform::FindLastCharAnsi(name, '.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return name;
}

// The word processor paints a white page background under its text; with the
// watermark behind the page that white would hide the watermark.
bool SkipsWhiteBackground(const PDEV* pdev, const LINEATTRS* line, const BRUSHOBJ* fill) {
  return line == nullptr && SolidBrushOf(fill, kWhite) && pdev->devmode.dmPrivate._bWmBackground != 0 &&
         platform::EqualsNoCaseAnsi(ApplicationName(pdev), "Wordpad");
}

BOOL PostScriptRectangle(PDEV* pdev, const PixelBox& box, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill,
                         DWORD lineRgb, const RECTL* clip, BOOL reportFailure, BOOL noPaint) {
  const bool appPath = ApplicationPathOpen(pdev);
  const bool alternative = appPath || (line != nullptr && pdev->job.applicationIgnoreUsed != 0);
  if (clip != nullptr) {
    const LONG width = clip->right - clip->left;
    const LONG height = clip->bottom - clip->top;
    if (alternative) {
      Formatted(pdev, " gs %d %d %d %d rc", clip->left, clip->top, width, height);
    } else {
      Formatted(pdev, " gs np %d %d %d %d CB np", width, height, clip->left, clip->top);
    }
  }
  if (!appPath) Text(pdev, " np");
  if (alternative) {
    Formatted(pdev, " %d %d %d %d", box.width, box.height, box.x, box.y);
  } else if (!noPaint) {
    Formatted(pdev, " %d %d %d %d", box.x, box.y, box.width, box.height);
  }
  if (appPath) {
    // The rectangle joins the application's path.
    Text(pdev, " B");
  } else {
    if (fill != nullptr) {
      if (!noPaint) {
        if (!DownloadFillPattern(pdev, fill, TRUE, kTargetPostScript, kHpglFill) && reportFailure) return FALSE;
        const char* paint = alternative ? "B f" : "rf";
        Formatted(pdev, line != nullptr ? " 4 copy %s" : " %s", paint);
      } else {
        Formatted(pdev, " %s", alternative ? (line != nullptr ? "4 copy B" : "B") : "");
      }
    }
    if (line != nullptr) {
      if (!noPaint) SetLineAttributes(pdev, line, xform, TRUE, lineRgb);
      Formatted(pdev, " %s", alternative ? "B" : "");
      if (!noPaint) Text(pdev, alternative ? " S" : " rs");
    }
  }
  if (clip != nullptr) {
    Text(pdev, " gr\n");
    pdev->writers.vector.stale = kStaleEverything;
  } else {
    Text(pdev, "\n");
  }
  return TRUE;
}

BOOL PclRectangle(PDEV* pdev, const PixelBox& box, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill, DWORD lineRgb,
                  DWORD rop3, const RECTL* clip, BOOL reportFailure, BOOL noPaint) {
  const WORD pdl = Pdl(pdev);
  const bool black = SolidBrushOf(fill, kBlack);
  const bool white = SolidBrushOf(fill, kWhite);
  bool hpgl;
  if (line != nullptr || clip != nullptr) {
    hpgl = true;
  } else if (black || white) {
    hpgl = false;
  } else {
    hpgl = (pdl & kPdlUserPatternFormat20) == 0;
  }
  if (hpgl) {
    EnterHpgl(pdev);
  } else {
    LeaveHpgl(pdev);
  }
  VectorWriterState& state = pdev->writers.vector;
  const DWORD rop = Rop3Byte(rop3);
  const bool pixelPlacementModel = (pdl & kPdlPixelPlacement) != 0;

  if (clip != nullptr) Formatted(pdev, "IW%d,%d,%d,%d", clip->left, clip->bottom, clip->right, clip->top);
  if (hpgl) {
    Formatted(pdev, "MC1,%d;", rop);
    if (pixelPlacementModel && state.pixelPlacement) {
      Text(pdev, "PP0");
      state.pixelPlacement = 0;
    }
    Formatted(pdev, "PAPU%d,%d", box.x, box.y);
  } else {
    Formatted(pdev, "\x1b*l%dO", rop);
    if (pixelPlacementModel && state.pixelPlacement) {
      Text(pdev, "\x1b*lR");
      state.pixelPlacement = 0;
    }
    Formatted(pdev, "\x1b*p%dx%dY", box.x, box.y);
  }

  // Nothing is painted for noPaint: a fill or edge without its selection
  // would paint with whatever the last shape left selected.
  if (fill != nullptr && !noPaint) {
    // HP-GL/2 keeps its own fill type: black and white are selected there as
    // any colour (the selection is cached); only plain PCL names them in the
    // fill command itself.
    if (hpgl || !(black || white)) {
      if (!DownloadFillPattern(pdev, fill, TRUE, hpgl ? kTargetHpgl : kTargetPcl, kHpglFill) && reportFailure)
        return FALSE;
    }
    if (hpgl) {
      if (pixelPlacementModel) Formatted(pdev, "MC1,%d", rop);
      Formatted(pdev, "RR%d,%d", box.width, box.height);
    } else {
      const int type = black ? 0 : white ? 1 : 5;
      if (pixelPlacementModel) Formatted(pdev, "\x1b*l%dO", rop);
      Formatted(pdev, "\x1b*c%da%db%dP", box.width, box.height, type);
    }
  }
  if (line != nullptr && !noPaint) {
    SetLineAttributes(pdev, line, xform, TRUE, lineRgb);
    if (fill != nullptr) {
      Text(pdev, "EP");
    } else {
      Formatted(pdev, "ER%d,%d", box.width, box.height);
    }
  }

  if (clip != nullptr) {
    Text(pdev, "IW;MC1,252;");
    state.stale = kStaleEverything;
  } else if (hpgl) {
    Text(pdev, ";MC1,252;");
  } else {
    Text(pdev, "\x1b*l252O");
  }
  return TRUE;
}

}  // namespace

BOOL WriteRectangle(PDEV* pdev, const RECTL* rect, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill, DWORD lineRgb,
                    DWORD rop3, const RECTL* clip, BOOL reportFailure, BOOL noPaint) {
  if (pdev == nullptr || rect == nullptr) return FALSE;
  const PixelBox box = BoxOfFixRect(*rect);
  if (box.Empty()) return FALSE;
  FollowPrinterResets(pdev);
  const bool appPath = ApplicationPathOpen(pdev);
  if (line == nullptr && fill == nullptr && !appPath) return TRUE;
  if (SkipsWhiteBackground(pdev, line, fill)) return TRUE;
  const RECTL* usedClip = ClipGiven(clip) && !appPath ? clip : nullptr;
  if (IsPostScriptJob(pdev))
    return PostScriptRectangle(pdev, box, line, xform, fill, lineRgb, usedClip, reportFailure, noPaint);
  return PclRectangle(pdev, box, line, xform, fill, lineRgb, rop3, usedClip, reportFailure, noPaint);
}
