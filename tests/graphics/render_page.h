// One page drawn by the writers inside a whole PostScript job and rendered by
// Ghostscript, for the tests that look for ink where something was drawn.
//
// The page is drawn in device dots of 600 dpi from the top left corner of the
// Letter page's imageable area: the page set-up puts it 100 dots in from the
// sheet's left edge and 6500 dots above its bottom edge (whatever medium the
// interpreter chose). It is rendered at 60 dpi, ten dots to a pixel.
#pragma once

#include <functional>
#include <string>

#include "graphics/core/pdev.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {

constexpr int kRenderDpi = 60;

struct DotRect {
  int left, top, right, bottom;
};

// Ink (dark pixels) inside a dot rectangle, one pixel in from its edges, as a
// share of its pixels.
double InkInside(const testsupport::RenderedPage& page, const DotRect& r);

// Steps a test adds around the page: after the job header (before the page
// set-up) and after the page end (before the job trailer).
struct OnePageHooks {
  std::function<void()> afterHeader;
  std::function<void()> afterPageEnd;
};

// Writes header, page set-up, `draw`, page end and trailer, each expected to
// succeed.
void WriteOnePageJob(PDEV* pdev, const std::function<void(PDEV*)>& draw, const OnePageHooks& hooks = {});

// The job's one PostScript part rendered. Every problem the job reader finds
// fails the test unless `tolerated` accepts it; the part itself is given back
// in `postScriptOut` when asked for.
testsupport::GhostscriptRun RenderPostScriptPart(
    const std::string& job, const std::function<bool(const testsupport::PclIssue&)>& tolerated = {},
    std::string* postScriptOut = nullptr);

}  // namespace graphicstest
