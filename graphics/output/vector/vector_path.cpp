// Paths: one batch of points per call, as the drawing entries enumerate them.
// PostScript builds the path with the procedure set's moveto, relative lineto
// and curveto; HP-GL/2 builds a polygon in polygon mode with polyline-encoded
// lines and relative Bézier curves, then fills and edges it.
#include "graphics/output/vector/vector_path.h"
#include "graphics/core/pdev.h"
#include "graphics/encode/encoders.h"
#include "graphics/output/vector/vector_clip.h"
#include "graphics/output/vector/vector_line.h"
#include "graphics/output/vector/vector_pattern.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/output/vector/vector_targets.h"

using namespace vectorout;

namespace {

constexpr DWORD kWhite = 0x00FFFFFF;
constexpr WORD kPathKindBeziers = 2;
constexpr int kPointsPerLine = 16;

struct Pixels {
  LONG x;
  LONG y;
};
Pixels At(const POINTFIX& point) { return {Pixel(point.x), Pixel(point.y)}; }

void AddPolylineNumber(TextChunk& chunk, LONG value) {
  BYTE digits[kPolylineNumberMaxBytes];
  const int last = EncodePolylineNumber(value, digits);
  chunk.AddBytes(digits, static_cast<size_t>(last) + 1);
}

void WriteLines(PDEV* pdev, int count, const POINTFIX* points, bool postScript) {
  TextChunk chunk(pdev);
  Pixels previous = At(points[0]);
  if (!postScript) chunk.Add("PE");
  for (int i = 1; i < count; ++i) {
    const Pixels point = At(points[i]);
    const LONG dx = point.x - previous.x;
    const LONG dy = point.y - previous.y;
    if (postScript) {
      chunk.Add(" %d %d L", dx, dy);
      if (i % kPointsPerLine == 0) chunk.Add("\n");
    } else {
      AddPolylineNumber(chunk, dx);
      AddPolylineNumber(chunk, dy);
    }
    previous = point;
  }
  if (!postScript) {
    chunk.Add(";");
  } else if ((count - 1) % kPointsPerLine != 0) {
    chunk.Add("\n");
  }
}

// Groups of three points make a curve; two left over make a curve whose
// control points are both the first; one left over makes a line. Every point
// of a group is relative to the point before the group.
void WriteBeziers(PDEV* pdev, int count, const POINTFIX* points, bool postScript) {
  TextChunk chunk(pdev);
  Pixels previous = At(points[0]);
  if (!postScript) chunk.Add("PD");
  bool inCurves = false;
  for (int i = 1; i < count;) {
    const int remaining = count - i;
    if (remaining == 1) {
      const Pixels end = At(points[i]);
      // HP-GL/2's relative curve takes only whole curves: a lone point is a
      // relative line of its own.
      chunk.Add(postScript ? " %d %d L" : "PR%d,%d", end.x - previous.x, end.y - previous.y);
      inCurves = false;
      previous = end;
      ++i;
      continue;
    }
    const Pixels first = At(points[i]);
    const Pixels second = remaining >= 3 ? At(points[i + 1]) : first;
    const Pixels end = At(points[remaining >= 3 ? i + 2 : i + 1]);
    const LONG values[6] = {first.x - previous.x,  first.y - previous.y, second.x - previous.x,
                            second.y - previous.y, end.x - previous.x,   end.y - previous.y};
    if (postScript) {
      chunk.Add(" %d %d %d %d %d %d C", values[0], values[1], values[2], values[3], values[4], values[5]);
    } else {
      chunk.Add(inCurves ? "," : "BR");
      chunk.Add("%d,%d,%d,%d,%d,%d", values[0], values[1], values[2], values[3], values[4], values[5]);
      inCurves = true;
    }
    previous = end;
    i += remaining >= 3 ? 3 : 2;
  }
  if (postScript) chunk.Add("\n");
}

// A failed fill ends the path: a clip bracket it opened is closed, so that
// the output stays balanced.
BOOL Fail(PDEV* pdev) {
  EndClipRect(pdev);
  return FALSE;
}

}  // namespace

BOOL WritePath(PDEV* pdev, int count, const POINTFIX* points, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill,
               const RECTL* clip, DWORD fillRule, WORD batchFlags, DWORD lineRgb, DWORD rop3, BOOL reportFailure,
               BOOL noPaint) {
  if (pdev == nullptr || points == nullptr || count < 2) return FALSE;
  FollowPrinterResets(pdev);
  if (noPaint) {
    // The path is written for what follows it (a clip) and painted by nothing.
    line = nullptr;
    fill = nullptr;
  }
  const DWORD subpath = batchFlags & kPathBatchSubpathMask;
  const bool starts = subpath == 0 || subpath == 2;
  const bool ends = subpath == 2 || subpath == 3;
  const bool first = (batchFlags & kPathBatchFirst) != 0;
  const bool last = (batchFlags & kPathBatchLast) != 0;
  const bool closed = (batchFlags & kPathBatchClosed) != 0;
  const bool alternate = (fillRule & 1) != 0;
  const bool postScript = IsPostScriptJob(pdev);
  const bool appPath = ApplicationPathOpen(pdev);
  const WORD pdl = Pdl(pdev);
  VectorWriterState& state = pdev->writers.vector;
  // A gsave inside an application's path would take the path with it at the
  // grestore: the application's own clip stands instead.
  const bool clipped = ClipGiven(clip) && !(postScript && appPath);

  if (!postScript) {
    EnterHpgl(pdev);
    if ((pdl & kPdlPixelPlacement) && !state.pixelPlacement) {
      Text(pdev, "PP1");
      state.pixelPlacement = 1;
    }
  }

  if (first && starts) {
    if (line != nullptr) {
      SetLineAttributes(pdev, line, xform, TRUE, lineRgb);
    } else if (fill != nullptr) {
      if (!DownloadFillPattern(pdev, fill, TRUE, postScript ? kTargetPostScript : kTargetHpgl, kHpglFill) &&
          reportFailure)
        return FALSE;
      if (!postScript && (pdl & kPdlPixelPlacement)) Formatted(pdev, "MC1,%d", Rop3Byte(rop3));
    }
    if (clipped) BeginClipRect(pdev, clip);
  }

  bool anchored = false;
  if (starts) {
    const Pixels start = At(points[0]);
    if (postScript) {
      if (first && !appPath) Text(pdev, " np");
      Formatted(pdev, " %d %d m\n", start.x, start.y);
    } else {
      // A coloured styled line is drawn with a screened pen; its screen is
      // anchored at the line's start so that the dashes look alike.
      const DWORD color = lineRgb & kWhite;
      anchored =
          ends && line != nullptr && fill == nullptr && color != 0 && color != kWhite && (line->fl & LA_STYLED) != 0;
      if (anchored) {
        Formatted(pdev, "AC%d,%dPAPU%d,%d", start.x, start.y, start.x, start.y);
      } else {
        Formatted(pdev, "PAPU%d,%d", start.x, start.y);
      }
      if (first) Text(pdev, "PM");
    }
  }

  if (pdev->job.pathKind == kPathKindBeziers) {
    WriteBeziers(pdev, count, points, postScript);
  } else {
    WriteLines(pdev, count, points, postScript);
  }

  if (ends) {
    if (postScript) {
      if (closed) Text(pdev, " cp\n");
    } else if (closed) {
      Text(pdev, last ? "PM2" : "PM1");
    } else {
      Text(pdev, last ? "PUPM2" : "PUPM1");
    }
  }

  if (last && !appPath && ends) {
    if (!postScript) {
      if (fill == nullptr) {
        if (line != nullptr) Text(pdev, "EP");
      } else {
        if (line != nullptr && !DownloadFillPattern(pdev, fill, TRUE, kTargetHpgl, kHpglFill) && reportFailure)
          return Fail(pdev);
        Text(pdev, alternate ? "FP" : "FP1");
        if (pdl & kPdlPixelPlacement) Text(pdev, "MC0");
        if (line != nullptr) Text(pdev, "EP");
      }
    } else if (fill == nullptr) {
      if (line != nullptr) Text(pdev, " S");
    } else if (line != nullptr) {
      // The fill's colour lives inside its own gsave: the stroke keeps the
      // line's colour.
      Text(pdev, " gs ");
      if (!DownloadFillPattern(pdev, fill, FALSE, kTargetPostScript, kHpglFill) && reportFailure) {
        Text(pdev, " gr");
        return Fail(pdev);
      }
      Text(pdev, alternate ? " ef gr S" : " f gr S");
      state.stale |= kStaleColor;
    } else {
      Text(pdev, alternate ? " ef" : " f");
    }
  }

  if (last) {
    const bool closeClip = state.clipRectOpen && ends;
    if (postScript) {
      if (closeClip) {
        EndClipRect(pdev);
      } else {
        Text(pdev, "\n");
      }
    } else {
      if (closeClip) EndClipRect(pdev);
      Text(pdev, anchored ? ";AC;" : ";");
    }
  }
  return TRUE;
}
