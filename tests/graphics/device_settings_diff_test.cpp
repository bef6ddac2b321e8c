// Settings that change between pages are written once, at the page where they
// change: the writer compares every request with what the job sent last.
// Also the exceptions: pages of a job with inserted sheets carry their paper,
// tray and media each time, the job's own halftone screen goes out with every
// page, a page in the middle of an N-up sheet writes nothing, and what the
// printer reset of a PCL settings block wipes out is put back.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_request.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/stream/output.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/graphics/fake_device_fonts.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

constexpr char kPageMark[] = "<page>";

using PageChange = std::function<void(PDEV&)>;

class DeviceSettingsDiffTest : public DeviceSettingsTest {
 protected:
  void SetUp() override {
    DeviceSettingsTest::SetUp();
    pcl_ = InstallOnFile(kColourModel, kPdlPcl5e, "Diff PCL");
    ps_ = InstallOnFile(kColourModel, kPdlPs3, "Diff PS");
    ASSERT_TRUE(pcl_ && ps_);
  }

  // The job-level settings, then one page start per change (applied to the
  // PDEV first): what each page start wrote.
  std::vector<std::string> Pages(PDEV* pdev, const std::vector<PageChange>& changes) {
    const std::string out = Print(pdev, [&] {
      EmitJobSettings(pdev, TRUE);
      WriteOut(pdev, kWriteText, 0, kPageMark);
      for (const PageChange& change : changes) {
        ++pdev->pages.pagesStarted;
        pdev->pages.sheetPageIndex = 1;
        if (change) change(*pdev);
        EXPECT_EQ(EmitJobSettings(pdev, FALSE), 1);
        WriteOut(pdev, kWriteText, 0, kPageMark);
      }
    });
    std::vector<std::string> pages;
    size_t at = out.find(kPageMark);
    while (at != std::string::npos) {
      const size_t start = at + std::string(kPageMark).size();
      at = out.find(kPageMark, start);
      if (at != std::string::npos) pages.push_back(out.substr(start, at - start));
    }
    return pages;
  }

  HANDLE pcl_ = 0;
  HANDLE ps_ = 0;
};

const PageChange kSame = nullptr;
const PageChange kTray2 = [](PDEV& p) { p.devmode.dmPublic.dmDefaultSource = 259; };
const PageChange kLetterLongEdge = [](PDEV& p) {
  p.pages.currentPaper = DMPAPER_LETTER;
  p.pages.currentFeed = 0;
  p.devmode.dmPublic.dmDuplex = DMDUP_VERTICAL;
};

TEST_F(DeviceSettingsDiffTest, APageWritesOnlyWhatChanged) {
  {
    PdevPtr pdev = Pdev(pcl_);
    const std::vector<std::string> pages = Pages(pdev.get(), {kSame, kSame, kTray2, kSame, kLetterLongEdge});
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(pages[0], Esc("ESC&l26AESC&l0S")) << "the first page sends its whole request";
    EXPECT_EQ(pages[1], "");
    EXPECT_EQ(pages[2], Esc("ESC&l4H"));
    EXPECT_EQ(pages[3], "");
    EXPECT_EQ(pages[4], Esc("ESC&l2AESC&l1S"));
  }
  {
    PdevPtr pdev = Pdev(ps_);
    const std::vector<std::string> pages = Pages(pdev.get(), {kSame, kSame, kTray2, kSame, kLetterLongEdge});
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_NE(pages[0].find("/PageSize           [595 842] put"), std::string::npos) << pages[0];
    EXPECT_EQ(pages[1], "");
    EXPECT_EQ(pages[2],
              "\n2 dict dup\n/InputAttributes    <</Priority [1]>> put dup\n/TraySwitch         false put"
              "\nsetpagedevice\n");
    EXPECT_EQ(pages[3], "");
    EXPECT_EQ(pages[4],
              "\n3 dict dup\n/PageSize           [612 792] put dup\n/Duplex             true put"
              " dup\n/Tumble             false put\nsetpagedevice\n");
  }
}

TEST_F(DeviceSettingsDiffTest, PagesOfAJobWithInsertedSheetsCarryPaperTrayAndMedia) {
  const auto slipSheet = [](XDEVMODE& dm) { dm.dmPrivate._epSlipSheet = {1, 15, 1}; };
  {
    PdevPtr pdev = Pdev(pcl_, slipSheet);
    const std::vector<std::string> pages = Pages(pdev.get(), {kSame, kSame, kLetterLongEdge});
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[1], Esc("ESC&l26AESC&l0S")) << "duplex goes with the whole request, paper and tray anyway";
    EXPECT_EQ(pages[2], Esc("ESC&l2AESC&l1S"));
  }
  {
    PdevPtr pdev = Pdev(ps_, slipSheet);
    const std::vector<std::string> pages = Pages(pdev.get(), {kSame, kSame});
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], pages[1]);
    EXPECT_NE(pages[1].find("/Priority [0 1 2]"), std::string::npos) << pages[1];
    EXPECT_NE(pages[1].find("/MediaType          (Plain) put"), std::string::npos) << pages[1];
  }
}

TEST_F(DeviceSettingsDiffTest, TheJobsOwnScreenGoesOutWithEveryPage) {
  PdevPtr pdev = Pdev(ps_, [](XDEVMODE& dm) {
    dm.dmPrivate._bPrinterScreen = 0;
    dm.dmPrivate._nScreenFrequency = 85;
    dm.dmPrivate._nScreenAngle = 45;
  });
  const std::vector<std::string> pages = Pages(pdev.get(), {kSame, kSame, kSame});
  const std::string screen = "85 45 {dup 5 mul 8 div mul exch dup mul exch add sqrt 1 exch sub} setscreen\n";
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].substr(pages[0].size() - screen.size()), screen);
  EXPECT_EQ(pages[1], screen);
  EXPECT_EQ(pages[2], screen);

  // The printer's own screen, a frequency of 0 or a negative angle: none.
  for (const auto& change : std::vector<std::function<void(XDEVMODE&)>>{
           [](XDEVMODE& dm) { dm.dmPrivate._bPrinterScreen = 1, dm.dmPrivate._nScreenFrequency = 85; },
           [](XDEVMODE& dm) { dm.dmPrivate._bPrinterScreen = 0, dm.dmPrivate._nScreenFrequency = 0; },
           [](XDEVMODE& dm) {
             dm.dmPrivate._bPrinterScreen = 0, dm.dmPrivate._nScreenFrequency = 85, dm.dmPrivate._nScreenAngle = -1;
           }}) {
    PdevPtr other = Pdev(ps_, change);
    const std::vector<std::string> plain = Pages(other.get(), {kSame});
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].find("setscreen"), std::string::npos);
  }
}

TEST_F(DeviceSettingsDiffTest, APageInsideAnNupSheetChangesNothing) {
  PdevPtr pdev = Pdev(ps_, [](XDEVMODE& dm) { dm.dmPrivate._nUp = 4; });
  const std::string out = Print(pdev.get(), [&] {
    pdev->pages.pagesStarted = 1;
    pdev->pages.sheetPageIndex = 1;
    EmitJobSettings(pdev.get(), FALSE);
    WriteOut(pdev.get(), kWriteText, 0, kPageMark);
    pdev->pages.pagesStarted = 2;
    pdev->pages.sheetPageIndex = 2;
    pdev->devmode.dmPublic.dmDefaultSource = 259;
    EmitJobSettings(pdev.get(), FALSE);
    WriteOut(pdev.get(), kWriteText, 0, kPageMark);
    // The next sheet's first page brings the change.
    pdev->pages.pagesStarted = 5;
    pdev->pages.sheetPageIndex = 1;
    EmitJobSettings(pdev.get(), FALSE);
  });
  const size_t first = out.find(kPageMark);
  const size_t second = out.find(kPageMark, first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(second, first + std::string(kPageMark).size()) << "nothing between the marks";
  EXPECT_NE(out.find("/Priority [1]", second), std::string::npos) << out.substr(second);
}

// Collation and face-up delivery have no PCL command of their own: a change
// of either alone sends the line that carries it.
TEST_F(DeviceSettingsDiffTest, CollationOrFaceUpChangedAloneStillReachThePrinter) {
  PdevPtr pdev = Pdev(pcl_);
  DeviceSettings first;
  first.mask = kSettingsCopies | kSettingsCollate | kSettingsOutputBin | kSettingsFaceUp;
  first.switches = kSwitchCollate;
  first.copies = 3;
  first.outputBin = 259;
  DeviceSettings collateOff = first;
  collateOff.switches = 0;
  DeviceSettings faceUp = collateOff;
  faceUp.switches = kSwitchFaceUp;
  const std::string out = Print(pdev.get(), [&] {
    WritePjlJobSettings(pdev.get(), &first, TRUE);
    WriteOut(pdev.get(), kWriteText, 0, kPageMark);
    WritePjlJobSettings(pdev.get(), &collateOff, FALSE);
    WriteOut(pdev.get(), kWriteText, 0, kPageMark);
    WritePjlJobSettings(pdev.get(), &faceUp, FALSE);
  });
  const size_t mark1 = out.find(kPageMark);
  const size_t mark2 = out.find(kPageMark, mark1 + 1);
  ASSERT_NE(mark2, std::string::npos);
  const std::string second = out.substr(mark1, mark2 - mark1);
  const std::string third = out.substr(mark2);
  EXPECT_NE(second.find("@PJL SET COPIES = 3\n@PJL SET QTY = 1\n"), std::string::npos) << second;
  EXPECT_EQ(second.find("OUTBIN"), std::string::npos) << second;
  EXPECT_NE(third.find("@PJL SET OUTBIN = OPTIONALOUTPUTBIN2FACEUP\n"), std::string::npos) << third;
  EXPECT_EQ(third.find("COPIES"), std::string::npos) << third;
}

// A mid-job change of a finishing setting re-opens PJL, names it and enters
// PCL again; the printer reset that comes with it deletes fonts and macros,
// so the writers forget them and the overlay macro is defined again.
TEST_F(DeviceSettingsDiffTest, AMidJobPclBlockAndWhatItsResetWipesOut) {
  PdevPtr pdev = Pdev(pcl_, [](XDEVMODE& dm) {
    dm.dmPrivate._nMacroLocation = 6;
    dm.dmPrivate._lMacroId = 7;
  });
  DeviceSettings first;
  first.mask = kSettingsPunch;
  first.punch = 2;
  DeviceSettings second = first;
  second.punch = 1;
  ResetFontLog();
  std::string afterFirst;
  const std::string out = Print(pdev.get(), [&] {
    WritePjlJobSettings(pdev.get(), &first, TRUE);
    const DWORD resets = DeviceSettingsResets(pdev.get());
    EXPECT_GE(resets, 1u);
    // The job has set up its overlay, selected a font and downloaded fonts.
    pdev->writers.pageSetup.macroDefined = TRUE;
    pdev->currentFont = 3;
    pdev->downloadedFonts[0] = FakeDownloadList(1);
    pdev->carried.savedTextStates[0][0] = 5;
    WriteOut(pdev.get(), kWriteText, 0, kPageMark);
    WritePjlJobSettings(pdev.get(), &second, FALSE);
    EXPECT_EQ(DeviceSettingsResets(pdev.get()), resets + 1);
  });
  const size_t mark = out.find(kPageMark);
  ASSERT_NE(mark, std::string::npos);
  const std::string midJob = out.substr(mark + std::string(kPageMark).size());
  EXPECT_EQ(midJob.rfind(Esc("ESC%-12345X@PJL SET PUNCH = 2HOLE\n@PJL SET NUP = 1\n"
                             "@PJL SET FIXEDORIENTATION = PORTRAIT\n@PJL ENTER LANGUAGE = PCL\n"
                             "ESCEESC*r0FESC&u600D"),
                         0),
            0u)
      << midJob;
  EXPECT_EQ(pdev->currentFont, kNoCurrentFont);
  EXPECT_EQ(pdev->carried.savedTextStates[0][0], 0u);
  EXPECT_EQ(pdev->downloadedFonts[0], nullptr);
  EXPECT_EQ(Fonts().downloadListsReleased.size(), 1u);
  // The macro comes back right after the reset that deleted it.
  EXPECT_NE(midJob.find(Esc("ESC&u600DESC&f7Y")), std::string::npos) << midJob;

  const testsupport::PclReport report = testsupport::ReadPclJob(FramedPclJob(out.substr(0, mark) + midJob));
  EXPECT_TRUE(report.ok()) << report.Summary();
  EXPECT_EQ(report.sections.size(), 2u) << "PCL entered twice";
}

TEST_F(DeviceSettingsDiffTest, ForcedRequestsAndMissingPieces) {
  PdevPtr pdev = Pdev(pcl_);
  DeviceSettings request;
  request.mask = kSettingsDuplex;
  request.duplex = kDuplexShortEdge;
  const std::string out = Print(pdev.get(), [&] {
    EXPECT_EQ(WritePjlJobSettings(pdev.get(), &request, FALSE), 1);
    EXPECT_EQ(WritePjlJobSettings(pdev.get(), &request, FALSE), 1);  // nothing new
    EXPECT_EQ(WritePjlJobSettings(pdev.get(), &request, TRUE), 1);   // all again
  });
  EXPECT_EQ(out, Esc("ESC&l2SESC&l2S"));
  EXPECT_EQ(CurrentDeviceSettings(pdev.get()).duplex, kDuplexShortEdge);

  EXPECT_EQ(WritePjlJobSettings(nullptr, &request, TRUE), 0);
  EXPECT_EQ(WritePjlJobSettings(pdev.get(), nullptr, TRUE), 0);
  EXPECT_EQ(EmitJobSettings(nullptr, TRUE), 0);
  ModelRecord* model = pdev->model;
  pdev->model = nullptr;
  EXPECT_EQ(WritePjlJobSettings(pdev.get(), &request, TRUE), 0);
  EXPECT_EQ(EmitJobSettings(pdev.get(), FALSE), 0);
  pdev->model = model;

  ClearDeviceSettings(pdev.get());
  EXPECT_EQ(CurrentDeviceSettings(pdev.get()).mask, 0u);
}

// A tray the model does not list has no PCL number: nothing is sent for it
// (tray number 0 would eject the page).
TEST_F(DeviceSettingsDiffTest, AnUnknownTrayIsNotSent) {
  PdevPtr pdev = Pdev(pcl_);
  DeviceSettings request;
  request.mask = kSettingsInputTray | kSettingsDuplex;
  request.inputTray = 256 + 30;
  request.duplex = kDuplexSimplex;
  const std::string out = Print(pdev.get(), [&] { WritePjlJobSettings(pdev.get(), &request, TRUE); });
  EXPECT_EQ(out, Esc("ESC&l0S"));
}

}  // namespace
}  // namespace graphicstest
