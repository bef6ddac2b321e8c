// The setpagedevice dictionaries of PostScript jobs run in Ghostscript: each
// inside a minimal job (the dictionaries of the job and of its page, then a
// page), which must run without error and leave the device with the page
// size and resolution asked for.
//
// The printer keys Ghostscript does not know (Staple, Fold, Punch, Trim, Jog,
// OutputType, OutputFaceUp, LeadingEdge, EdgeToEdge, TraySwitch...) are
// ignored by it, as its page device's Policies say (PolicyNotFound 1), so they
// cannot fail a job; the test checks that they do not. What Ghostscript lacks
// and a printer has is stood in for by the printer prelude.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_request.h"
#include "graphics/output/job/device_settings_write.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/support/ghostscript_run.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptCall;
using testsupport::RunGhostscript;

namespace graphicstest {
namespace {

namespace fs = std::filesystem;

// After the settings: what the device took, then one page.
constexpr char kReport[] = R"PS(
(PAGESIZE) print currentpagedevice /PageSize get {( ) print round cvi =only} forall (\n) print
(RESOLUTION) print currentpagedevice /HWResolution get {( ) print round cvi =only} forall (\n) print
showpage
)PS";

struct GsResult {
  int status = -1;
  std::string output;
};

// The prelude, then the job, on a device that keeps no pages: only the report counts.
GsResult RunGs(const std::string& job) {
  GhostscriptCall call;
  call.device = "nullpage";
  call.dpi = 0;
  const testsupport::GhostscriptRun run = RunGhostscript(job, call);
  return {run.exited ? run.exitCode : -1, run.output};
}

class DeviceSettingsGhostscriptTest : public DeviceSettingsTest {
 protected:
  void SetUp() override {
    DeviceSettingsTest::SetUp();
    if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript (gs) is not installed";
    printer_ = InstallOnFile(kColourModel, kPdlPs3, "Colour PS");
    ASSERT_NE(printer_, 0u);
  }

  HANDLE printer_ = 0;
};

TEST_F(DeviceSettingsGhostscriptTest, JobAndPageDictionariesRunAndTakeEffect) {
  struct Case {
    const char* what;
    std::function<void(XDEVMODE&)> change;
    std::function<void(PDEV&)> adjust;  // after the device mode is settled
    const char* pageSize;
    const char* resolution;
  };
  const auto finished = [](XDEVMODE& dm) {
    dm.dmPublic.dmCopies = 2;
    dm.dmPrivate._bCollate = 1;
    dm.dmPrivate._nOutputTray = 260;
    dm.dmPrivate._wStaple = 4;
    dm.dmPrivate.punchId = 3;
    dm.dmPrivate.foldId = 2;
    dm.dmPrivate.trimChoice = 1;
    dm.dmPrivate._bJog = 1;
    dm.dmPrivate.faceUpOff = 0;
    dm.dmPrivate._nMarginType = 0;
  };
  const std::vector<Case> cases = {
      {"defaults", nullptr, nullptr, " 595 842", " 600 600"},
      {"finishing, tray 1, letter, short edge",
       [&](XDEVMODE& dm) {
         finished(dm);
         dm.dmPublic.dmDefaultSource = 258;
         dm.dmPublic.dmPaperSize = DMPAPER_LETTER;
         dm.dmPublic.dmDuplex = DMDUP_HORIZONTAL;
       },
       nullptr, " 612 792", " 600 600"},
      {"bypass tray, thick media, A3, 1200 dpi",
       [](XDEVMODE& dm) {
         dm.dmPublic.dmDefaultSource = 257;
         dm.dmPublic.dmMediaType = 502;
         dm.dmPrivate._nMediaType = 502;
         dm.dmPublic.dmPaperSize = DMPAPER_A3;
         dm.dmPublic.dmPrintQuality = 1200;
         dm.dmPublic.dmYResolution = 1200;
       },
       nullptr, " 842 1191", " 1200 1200"},
      {"tray 3, long edge",
       [](XDEVMODE& dm) { dm.dmPublic.dmDefaultSource = 260, dm.dmPublic.dmDuplex = DMDUP_VERTICAL; }, nullptr,
       " 595 842", " 600 600"},
      {"user-defined size",
       [](XDEVMODE& dm) {
         dm.dmPublic.dmPaperSize = kCustomPaperId;
         dm.dmPrivate._lCustomWidth = 5000;
         dm.dmPrivate._lCustomLength = 7000;
       },
       nullptr, " 360 504", " 600 600"},
      {"own halftone screen",
       [](XDEVMODE& dm) {
         dm.dmPrivate._bPrinterScreen = 0;
         dm.dmPrivate._nScreenFrequency = 60;
         dm.dmPrivate._nScreenAngle = 45;
       },
       nullptr, " 595 842", " 600 600"},
      {"paper by page ticket, automatic tray",
       [](XDEVMODE& dm) {
         dm.dmPublic.dmDefaultSource = kSourceByPageTicket;
         dm.dmPrivate.pageTicketAutoTray = 1;
         for (PageTicketSourceRange& range : dm.dmPrivate.pageTicketRanges) range = {1, 99, 258, 256 + 502, 1};
       },
       nullptr, " 595 842", " 600 600"},
      {"automatic tray on a model without automatically chosen trays (empty priority)", nullptr,
       [](PDEV& pdev) {
         for (PaperSourceEntry& tray : pdev.model->paperSources) tray.s5 = 0;
       },
       " 595 842", " 600 600"},
      {"landscape EPS page", [](XDEVMODE& dm) { dm.dmPublic.dmOrientation = DMORIENT_LANDSCAPE; },
       [](PDEV& pdev) { pdev.job.epsMode = 1; }, " 842 595", " 600 600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = Pdev(printer_, c.change);
    ASSERT_TRUE(pdev);
    if (c.adjust) c.adjust(*pdev);
    const std::string settings = Print(pdev.get(), [&] {
      EmitJobSettings(pdev.get(), TRUE);
      EmitJobSettings(pdev.get(), FALSE);
    });
    ASSERT_NE(settings.find("setpagedevice"), std::string::npos) << settings;
    const GsResult gs = RunGs(settings + kReport);
    EXPECT_EQ(gs.status, 0) << gs.output << "\n--- job ---\n" << settings;
    EXPECT_EQ(gs.output.find("Error"), std::string::npos) << gs.output << "\n--- job ---\n" << settings;
    EXPECT_NE(gs.output.find(std::string("PAGESIZE") + c.pageSize + "\n"), std::string::npos) << gs.output;
    EXPECT_NE(gs.output.find(std::string("RESOLUTION") + c.resolution + "\n"), std::string::npos) << gs.output;
  }
}

// An inserted sheet from a tray with its own paper takes paper and media from
// the device's entry for the slot; the request no longer names its own.
TEST_F(DeviceSettingsGhostscriptTest, TrayWithItsOwnPaper) {
  PdevPtr pdev = Pdev(printer_);
  ASSERT_TRUE(pdev);
  DeviceSettings request;
  request.mask = kSettingsTrayWithPaper | kSettingsPaperSize | kSettingsMediaType | kSettingsFeedEdge;
  request.inputTray = 259;  // tray 2, slot 1
  request.paperSize = DMPAPER_LETTER;
  request.mediaType = 502;
  request.feedEdge = 0;
  const std::string settings =
      Print(pdev.get(), [&] { EXPECT_EQ(WritePjlJobSettings(pdev.get(), &request, TRUE), 1); });
  EXPECT_EQ(settings,
            "\n8 dict dup\ncurrentpagedevice /InputAttributes get dup 1 known\n {1 get {put dup}forall "
            "/InputAttributes <</Priority [1]>> put dup\n/TraySwitch         false put}{pop pop}ifelse"
            "\nsetpagedevice\n");
  EXPECT_EQ(request.paperSize, 0u);
  EXPECT_EQ(request.mediaType, 0u);
  EXPECT_EQ(request.feedEdge, 2u);
  // Slot 1 of Ghostscript's device is 612 x 792 (its second input entry);
  // whatever it is, the sheet is the slot's.
  const GsResult gs = RunGs(
      "currentpagedevice /InputAttributes get 1 get /PageSize get {( ) print round cvi =only} forall (\n) print\n" +
      settings + kReport);
  EXPECT_EQ(gs.status, 0) << gs.output;
  EXPECT_EQ(gs.output.find("Error"), std::string::npos) << gs.output;
  const size_t newline = gs.output.find('\n');
  ASSERT_NE(newline, std::string::npos) << gs.output;
  EXPECT_NE(gs.output.find("PAGESIZE" + gs.output.substr(0, newline) + "\n"), std::string::npos) << gs.output;
}

}  // namespace
}  // namespace graphicstest
