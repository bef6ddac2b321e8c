// A whole document through the page store (document start, four pages, end):
// the settings of a page are written once, at the page where they change, and
// the job stays well formed (the PCL job for the structural reader, the
// PostScript job for Ghostscript).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/pages/document_store.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

// Ghostscript's input slots have no MediaWeight, which the page settings read
// back from the slot of the tray; the printer's have.
constexpr char kMediaWeights[] =
    "<< /InputAttributes << currentpagedevice /InputAttributes get\n"
    "  {dup type /dicttype eq {dup length 1 add dict copy dup /MediaWeight 75 put} if} forall >> >> setpagedevice\n";

class DeviceSettingsDocumentTest : public DeviceSettingsTest {
 protected:
  // Four pages; page 3 asks for tray 2 (source 259), page 4 for long-edge
  // duplex as well.
  std::string PrintDocument(HANDLE printer) {
    PdevPtr pdev = Pdev(printer);
    if (!pdev) return "";
    return Print(pdev.get(), [&] {
      EXPECT_EQ(BeginDocument(pdev.get(), u"settings"), 1);
      for (int page = 1; page <= 4; ++page) {
        if (page == 3) pdev->devmode.dmPublic.dmDefaultSource = 259;
        if (page == 4) pdev->devmode.dmPublic.dmDuplex = DMDUP_VERTICAL;
        EXPECT_EQ(BeginPage(pdev.get()), 1);
        EXPECT_EQ(EndPage(pdev.get()), 1);
      }
      EXPECT_EQ(EndDocument(pdev.get()), 1);
    });
  }
};

// Where each occurrence of `text` lies: the number of `separator`s before it.
std::vector<int> PagesOf(const std::string& job, const std::string& text, const std::string& separator) {
  std::vector<int> pages;
  for (size_t at = job.find(text); at != std::string::npos; at = job.find(text, at + 1)) {
    int page = 0;
    for (size_t s = job.find(separator); s != std::string::npos && s < at; s = job.find(separator, s + 1)) ++page;
    pages.push_back(page);
  }
  return pages;
}

TEST_F(DeviceSettingsDocumentTest, PclSettingsAtThePageWhereTheyChange) {
  const HANDLE printer = InstallOnFile(kColourModel, kPdlPcl5e, "Document PCL");
  ASSERT_NE(printer, 0u);
  const std::string job = PrintDocument(printer);
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  EXPECT_TRUE(report.ok()) << report.Summary();
  EXPECT_EQ(report.formFeeds, 4);
  // One job block entering PCL, with the job's settings.
  ASSERT_EQ(report.sections.size(), 1u);
  EXPECT_NE(job.find("@PJL SET RESOLUTION = 600\n"), std::string::npos);
  // The tray goes out with page 3 (after two form feeds), the duplex setting
  // with page 1 and again with page 4; the paper only with page 1.
  EXPECT_EQ(PagesOf(job, Esc("ESC&l4H"), "\f"), (std::vector<int>{2}));
  EXPECT_EQ(PagesOf(job, Esc("ESC&l0S"), "\f"), (std::vector<int>{0}));
  EXPECT_EQ(PagesOf(job, Esc("ESC&l1S"), "\f"), (std::vector<int>{3}));
  EXPECT_EQ(PagesOf(job, Esc("ESC&l26A"), "\f"), (std::vector<int>{0}));
}

TEST_F(DeviceSettingsDocumentTest, PostScriptSettingsAtThePageWhereTheyChange) {
  const HANDLE printer = InstallOnFile(kColourModel, kPdlPs3, "Document PS");
  ASSERT_NE(printer, 0u);
  const std::string job = PrintDocument(printer);
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  std::string postScript;
  for (const std::string& section : report.PostScript()) postScript += section;
  if (postScript.empty()) postScript = job;  // a job without PJL envelope
  // Pages counted by the sheets shown before the text.
  const std::string shown = "\nshowpage\n";
  EXPECT_EQ(PagesOf(postScript, "/Priority [1]", shown), (std::vector<int>{2}));
  EXPECT_EQ(PagesOf(postScript, "/Priority [0 1 2]", shown), (std::vector<int>{0}));
  EXPECT_EQ(PagesOf(postScript, "/Duplex             true", shown), (std::vector<int>{3}));
  EXPECT_EQ(PagesOf(postScript, "/PageSize           [", shown), (std::vector<int>{0}));
  EXPECT_EQ(PagesOf(postScript, "setpagedevice\n", shown), (std::vector<int>{0, 0, 2, 3}))
      << "the job's dictionary, then page 1, 3 and 4";

  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript (gs) is not installed";
  // Keep the stray Ctrl-D the job may end with out of Ghostscript's way.
  std::string body = postScript;
  for (char& c : body) {
    if (c == '\x04') c = '\n';
  }
  const GhostscriptRun run = RunPostScriptJob(kMediaWeights + body, 36);
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(run.pages.size(), 4u);
}

}  // namespace
}  // namespace graphicstest
