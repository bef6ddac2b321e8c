#include "tests/graphics/render_page.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/output/job/job_framing.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_ps.h"

namespace graphicstest {

namespace {
constexpr int kDotsPerPixel = 600 / kRenderDpi;
constexpr int kLeftMargin = 100;
constexpr int kHeightAboveBottom = 6500;
}  // namespace

double InkInside(const testsupport::RenderedPage& page, const DotRect& r) {
  const int x = (kLeftMargin + r.left) / kDotsPerPixel + 1;
  const int y = page.height - kHeightAboveBottom / kDotsPerPixel + r.top / kDotsPerPixel + 1;
  const int w = (r.right - r.left) / kDotsPerPixel - 2;
  const int h = (r.bottom - r.top) / kDotsPerPixel - 2;
  return w > 0 && h > 0 ? page.DarkCount(x, y, w, h) / double(w * h) : 0.0;
}

void WriteOnePageJob(PDEV* pdev, const std::function<void(PDEV*)>& draw, const OnePageHooks& hooks) {
  EXPECT_EQ(WriteJobHeader(pdev), 1);
  if (hooks.afterHeader) hooks.afterHeader();
  pdev->pages.pagesStarted = 1;
  pdev->pages.sheetPageIndex = 1;
  EXPECT_EQ(WritePsPageSetup(pdev, FALSE), 1);
  draw(pdev);
  EXPECT_EQ(EmitPageTrailer(pdev, TRUE, FALSE), 1);
  if (hooks.afterPageEnd) hooks.afterPageEnd();
  EXPECT_EQ(WriteJobTrailer(pdev), 1);
}

testsupport::GhostscriptRun RenderPostScriptPart(const std::string& job,
                                                 const std::function<bool(const testsupport::PclIssue&)>& tolerated,
                                                 std::string* postScriptOut) {
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  for (const testsupport::PclIssue& issue : report.errors) {
    EXPECT_TRUE(tolerated && tolerated(issue)) << report.Summary();
  }
  const std::vector<std::string> postScript = report.PostScript();
  EXPECT_EQ(postScript.size(), 1u);
  if (postScript.empty()) return {};
  if (postScriptOut) *postScriptOut = postScript[0];
  return testsupport::RunPostScriptJob(postScript[0], kRenderDpi);
}

}  // namespace graphicstest
