// Documents and pages through the library's entries: what DrvStartDoc sets up,
// the gates of DrvStartPage and DrvSendPage, what DrvEndDoc leaves behind (for
// an ended, an aborted and a failed job), banding, and a device context reset
// in the middle of a document and between two.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "graphics/output/fonts/font_substitution.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "platform/gdi/dc.h"
#include "platform/spooler/spooler.h"
#include "tests/graphics/ddi_fixture.h"
#include "tests/graphics/fake_device_fonts.h"

namespace graphicstest {
namespace {

constexpr char kJobFile[] = "C:\\job.prn";

class DdiDocumentTest : public DdiPrinterTest {
 protected:
  // A PDEV of the model inside a spooler job, as GDI has it before DrvStartDoc.
  EnabledPdev Open(bool colour, XDEVMODE* devmode = nullptr) {
    HANDLE& installed = colour ? colour_ : mono_;
    if (!installed) {
      installed = colour ? Install(kColourModel, "Colour", kPdlPs3, 1) : Install(kMonoModel, "Mono", kPdlPcl5e, 0);
    }
    printer_ = installed;
    XDEVMODE dm = DriverLayout(colour ? kPdlPs3 : kPdlPcl5e);
    EnabledPdev pdev = Enable(printer_, devmode ? devmode : &dm);
    EXPECT_NE(pdev, nullptr);
    StartSpoolerJob(printer_, kJobFile);
    return pdev;
  }

  // Every byte the PDEV has produced for the spooler, sent or still buffered.
  static uint64_t Produced(const PDEV& pdev) {
    return pdev.output.channels[kSpoolerIndex].bytesWritten +
           (pdev.output.currentChannel == kChannelSpooler ? pdev.output.fill : 0);
  }

  // Makes the pages channel's file of the document, as a stored page does.
  static std::filesystem::path MakePagesFile(PDEV* pdev) {
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelPages), 1);
    const char text[] = "stored page";
    WriteOut(pdev, kWriteBytes, sizeof text - 1, text);
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelSpooler), 1);
    return pdev->output.channels[kPagesIndex].path;
  }

  std::filesystem::path HostOf(const std::filesystem::path& windowsPath) { return Host(windowsPath.string()); }

  HANDLE printer_ = 0;

 private:
  HANDLE mono_ = 0;
  HANDLE colour_ = 0;
};

std::u16string kName = u"report";

TEST_F(DdiDocumentTest, StartDocSetsUpTheDocumentOnce) {
  XDEVMODE dm = DriverLayout(kPdlPs3);
  dm.dmPrivate._iOutputSize = 9;  // printed on A4 fed long edge first
  dm.dmPrivate._iOutputFeedDirection = 1;
  EnabledPdev pdev = Open(true, &dm);
  ASSERT_NE(pdev, nullptr);
  SURFOBJ surface = SurfaceOf(pdev.get());
  ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 41));
  EXPECT_EQ(pdev->carried.documentFlags & 0x18, 0x10);
  ASSERT_NE(pdev->fontSubstitution, nullptr);
  EXPECT_STREQ(pdev->fontSubstitution->printerName, "Colour");
  EXPECT_EQ(pdev->fontSubstitution->pdlKind, kPdlPs3);
  EXPECT_EQ(pdev->fontSubstitution->rowCount, 0u);
  EXPECT_EQ(pdev->pages.currentPaper, 9);
  EXPECT_EQ(pdev->pages.currentFeed, 1u);
  EXPECT_STREQ(pdev->carried.documentName, "report");
  const uint64_t header = Produced(*pdev);
  EXPECT_GT(header, 0u) << "the job header";

  // Once started, the document goes on: nothing is written or rebuilt.
  FontSubstitutionTable* table = pdev->fontSubstitution;
  ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 42));
  EXPECT_EQ(Produced(*pdev), header);
  EXPECT_EQ(pdev->fontSubstitution, table);
  ASSERT_TRUE(DrvEndDoc(&surface, 0));
  EndSpoolerJob(printer_);
}

TEST_F(DdiDocumentTest, TheJobIdIsKeptOnlyForAMonitorFollowingARealJob) {
  struct Case {
    DWORD monitor;
    WORD outputType;
    DWORD kept;
  } cases[] = {{2, 1, 77}, {2, 5, 0}, {1, 1, 0}, {0, 1, 0}};
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "monitor " << c.monitor << " output type " << c.outputType);
    XDEVMODE dm = DriverLayout(kPdlPcl5e);
    dm.dmPrivate._iSNMP = c.monitor;
    dm.dmPrivate._nOutputDest = c.outputType;
    EnabledPdev pdev = Enable(printer, &dm);
    ASSERT_NE(pdev, nullptr);
    StartSpoolerJob(printer, kJobFile);
    SURFOBJ surface = SurfaceOf(pdev.get());
    ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 77));
    EXPECT_EQ(pdev->carried.spoolerJobId, c.kept);
    EXPECT_TRUE(DrvEndDoc(&surface, 0));
    EndSpoolerJob(printer);
  }
}

// While a tab sheet, banner or watermark is captured, or the application ends
// its own pages, the page store is not asked for a page.
TEST_F(DdiDocumentTest, PageStartAndEndFollowTheCaptureAndPageControlGates) {
  struct Case {
    const char* what;
    DWORD capture;
    WORD eps;
    DWORD pageControl;
    bool pageRuns;
    bool startMarked;
    DWORD suppressed;
  } cases[] = {
      {"plain page", 0, 0, 0, true, true, 0},
      {"tab capture", kCaptureTab, 0, 0, false, false, 0},
      {"banner capture", kCaptureBanner, 0, 0, false, false, 0},
      {"watermark capture", kCaptureWatermark, 1, 1, false, false, 0},
      {"EPS", 0, 1, 0, true, true, 1},
      {"EPS, application ends pages", 0, 1, 1, false, true, 1},
      {"application PostScript first, pages its own", kCaptureAppPostScriptFirst, 0, 1, false, true, 0},
      {"both", kCaptureAppPostScriptFirst, 1, 1, false, true, 0},
      {"page control alone", 0, 0, 1, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EnabledPdev pdev = Open(false);
    ASSERT_NE(pdev, nullptr);
    SURFOBJ surface = SurfaceOf(pdev.get());
    ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 1));
    pdev->carried.captureFlags |= c.capture;
    pdev->job.epsMode = c.eps;
    pdev->job.applicationPageControl = c.pageControl;

    const uint64_t before = Produced(*pdev);
    EXPECT_TRUE(DrvStartPage(&surface));
    EXPECT_EQ(pdev->pages.pagesStarted, c.pageRuns ? 1u : 0u);
    EXPECT_EQ((pdev->carried.captureFlags & kCapturePageStarted) != 0, c.startMarked);
    EXPECT_EQ(pdev->pages.pageStarted != FALSE, c.pageRuns);
    const uint64_t started = Produced(*pdev);
    EXPECT_TRUE(DrvSendPage(&surface));
    EXPECT_EQ(pdev->job.pageEndSuppressed, c.suppressed);
    EXPECT_FALSE(pdev->pages.pageStarted) << "a page started is ended";
    if (!c.pageRuns) {
      EXPECT_EQ(started, before);
      EXPECT_EQ(Produced(*pdev), before) << "nothing of a page is written";
    }
    pdev->carried.captureFlags = 0;
    pdev->job = JobState{};
    EXPECT_TRUE(DrvEndDoc(&surface, 0));
    EndSpoolerJob(printer_);
  }
}

TEST_F(DdiDocumentTest, EndDocWritesTheJobAndLeavesNothingBehind) {
  for (bool colour : {false, true}) {
    SCOPED_TRACE(colour ? "colour" : "mono");
    EnabledPdev pdev = Open(colour);
    ASSERT_NE(pdev, nullptr);
    SURFOBJ surface = SurfaceOf(pdev.get());
    for (int document = 0; document < 2; ++document) {
      ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 1));
      FontSubstitutionTable* table = pdev->fontSubstitution;
      const std::filesystem::path pages = HostOf(MakePagesFile(pdev.get()));
      ASSERT_TRUE(std::filesystem::exists(pages));
      const uint64_t before = Produced(*pdev);
      EXPECT_TRUE(DrvEndDoc(&surface, 0));
      EXPECT_GT(pdev->output.channels[kSpoolerIndex].bytesWritten, before) << "the trailer";
      EXPECT_EQ(pdev->output.fill, 0u) << "everything went to the spooler";
      EXPECT_FALSE(std::filesystem::exists(pages));
      EXPECT_FALSE(std::filesystem::exists(pages.parent_path())) << "the job's folder";
      EXPECT_EQ(pdev->carried.documentFlags & 0x18, 0);
      EXPECT_EQ(pdev->fontSubstitution, nullptr);
      ASSERT_FALSE(Fonts().substitutionsFreed.empty());
      EXPECT_EQ(Fonts().substitutionsFreed.back(), table);
      EndSpoolerJob(printer_);
      const std::string job = ReadMachineFile(kJobFile);
      EXPECT_TRUE(job.rfind("\x1b%-12345X", 0) == 0 || job.rfind("%!", 0) == 0) << job.substr(0, 40);
      if (document == 0) StartSpoolerJob(printer_, kJobFile);
    }
    FreeRecordedSubstitutionTables();
  }
}

// An aborted job: the spooler drops it, so nothing more is written for it, and
// its files and tables go.
TEST_F(DdiDocumentTest, AbortedDocumentWritesNothingMoreAndLeavesNoFiles) {
  EnabledPdev pdev = Open(true);
  ASSERT_NE(pdev, nullptr);
  SURFOBJ surface = SurfaceOf(pdev.get());
  ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 1));
  ASSERT_TRUE(DrvStartPage(&surface));
  const std::filesystem::path pages = HostOf(MakePagesFile(pdev.get()));
  const uint64_t before = Produced(*pdev);
  EXPECT_TRUE(DrvEndDoc(&surface, ED_ABORTDOC));
  EXPECT_EQ(Produced(*pdev), before);
  EXPECT_FALSE(std::filesystem::exists(pages));
  EXPECT_EQ(pdev->carried.documentFlags & 0x18, 0);
  EXPECT_EQ(pdev->fontSubstitution, nullptr);
  AbortPrinter(printer_);
}

// A job whose output failed on the way is not reported as printed.
TEST_F(DdiDocumentTest, EndDocReportsAJobWithAHole) {
  EnabledPdev pdev = Open(false);
  ASSERT_NE(pdev, nullptr);
  SURFOBJ surface = SurfaceOf(pdev.get());
  ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 1));
  MarkOutputFailed(pdev.get());
  EXPECT_FALSE(DrvEndDoc(&surface, 0));
  EXPECT_EQ(pdev->carried.documentFlags & 0x18, 0) << "the document is over all the same";
  AbortPrinter(printer_);
}

// A device context released in the middle of a job takes the job's files and
// tables with it.
TEST_F(DdiDocumentTest, DisablingWithoutEndDocRemovesTheJobsFiles) {
  EnabledPdev pdev = Open(true);
  ASSERT_NE(pdev, nullptr);
  SURFOBJ surface = SurfaceOf(pdev.get());
  ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 1));
  FontSubstitutionTable* table = pdev->fontSubstitution;
  const std::filesystem::path pages = HostOf(MakePagesFile(pdev.get()));
  ASSERT_TRUE(std::filesystem::exists(pages));
  pdev.reset();
  EXPECT_FALSE(std::filesystem::exists(pages));
  ASSERT_FALSE(Fonts().substitutionsFreed.empty());
  EXPECT_EQ(Fonts().substitutionsFreed.back(), table);
  AbortPrinter(printer_);
}

// One band per page: the band covers the page, and the page ends after it.
TEST_F(DdiDocumentTest, BandingGivesOneBandPerPage) {
  EnabledPdev pdev = Open(false);
  ASSERT_NE(pdev, nullptr);
  SURFOBJ surface = SurfaceOf(pdev.get());
  ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 1));
  POINTL origin{5, 5};
  ASSERT_TRUE(DrvStartBanding(&surface, &origin));
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  for (int page = 1; page <= 2; ++page) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(DrvStartPage(&surface));
    POINTL band{5, 5};
    ASSERT_TRUE(DrvNextBand(&surface, &band));
    EXPECT_EQ(band.x, 0);
    EXPECT_EQ(band.y, 0);
    EXPECT_TRUE(pdev->pages.pageStarted);
    ASSERT_TRUE(DrvNextBand(&surface, &band));
    EXPECT_EQ(band.x, -1);
    EXPECT_EQ(band.y, -1);
    EXPECT_FALSE(pdev->pages.pageStarted) << "the page ended with its band";
    EXPECT_EQ(pdev->pages.pagesStarted, DWORD(page));
  }
  SetLastError(0);
  EXPECT_FALSE(DrvNextBand(&surface, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(DrvEndDoc(&surface, 0));
  EndSpoolerJob(printer_);
}

// ResetDC inside a document: the job goes on in the new PDEV with what the old
// one had buffered, its files and its table; the old one, disabled, takes
// nothing of the job with it.
TEST_F(DdiDocumentTest, ResetInsideADocumentCarriesTheJobOn) {
  EnabledPdev old = Open(true);
  ASSERT_NE(old, nullptr);
  SURFOBJ oldSurface = SurfaceOf(old.get());
  ASSERT_TRUE(DrvStartDoc(&oldSurface, kName.data(), 1));
  const std::filesystem::path pages = HostOf(MakePagesFile(old.get()));
  const char marker[] = "%marker before the reset\n";
  WriteOut(old.get(), kWriteBytes, sizeof marker - 1, marker);
  FontSubstitutionTable* table = old->fontSubstitution;

  XDEVMODE landscape = DriverLayout(kPdlPs3);
  landscape.dmPublic.dmOrientation = DMORIENT_LANDSCAPE;
  EnabledPdev fresh = Enable(printer_, &landscape);
  ASSERT_NE(fresh, nullptr);
  ASSERT_TRUE(DrvResetPDEV(reinterpret_cast<DHPDEV>(old.get()), reinterpret_cast<DHPDEV>(fresh.get())));
  EXPECT_EQ(old->output.fill, 0u) << "the old PDEV's bytes went out first";
  EXPECT_EQ(fresh->carried.documentFlags & 0x18, 0x18);
  EXPECT_EQ(fresh->fontSubstitution, table);
  EXPECT_EQ(old->fontSubstitution, nullptr);
  EXPECT_EQ(fresh->rotation, 90) << "the new device mode's page";

  SURFOBJ freshSurface = SurfaceOf(fresh.get());
  const uint64_t before = Produced(*fresh);
  EXPECT_TRUE(DrvStartDoc(&freshSurface, kName.data(), 1)) << "the document is already started";
  EXPECT_EQ(Produced(*fresh), before);
  old.reset();
  EXPECT_TRUE(std::filesystem::exists(pages)) << "the old PDEV deleted the job's files";
  EXPECT_TRUE(Fonts().substitutionsFreed.empty());

  EXPECT_TRUE(DrvEndDoc(&freshSurface, 0));
  EXPECT_FALSE(std::filesystem::exists(pages));
  EndSpoolerJob(printer_);
  const std::string job = ReadMachineFile(kJobFile);
  size_t markers = 0;
  for (size_t at = job.find(marker); at != std::string::npos; at = job.find(marker, at + 1)) ++markers;
  EXPECT_EQ(markers, 1u);
  EXPECT_EQ(job.find("%!PS"), job.rfind("%!PS")) << "one job header";
}

// ResetDC between two documents: the next document starts afresh on the new
// PDEV.
TEST_F(DdiDocumentTest, ResetBetweenDocumentsStartsTheNextAfresh) {
  EnabledPdev old = Open(false);
  ASSERT_NE(old, nullptr);
  SURFOBJ oldSurface = SurfaceOf(old.get());
  ASSERT_TRUE(DrvStartDoc(&oldSurface, kName.data(), 1));
  ASSERT_TRUE(DrvEndDoc(&oldSurface, 0));
  EndSpoolerJob(printer_);

  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  EnabledPdev fresh = Enable(printer_, &dm);
  ASSERT_NE(fresh, nullptr);
  ASSERT_TRUE(DrvResetPDEV(reinterpret_cast<DHPDEV>(old.get()), reinterpret_cast<DHPDEV>(fresh.get())));
  EXPECT_EQ(fresh->carried.documentFlags & 0x18, 0);
  old.reset();
  StartSpoolerJob(printer_, kJobFile);
  SURFOBJ surface = SurfaceOf(fresh.get());
  ASSERT_TRUE(DrvStartDoc(&surface, kName.data(), 2));
  EXPECT_GT(Produced(*fresh), 0u) << "a new job header";
  EXPECT_TRUE(DrvEndDoc(&surface, 0));
  EndSpoolerJob(printer_);
  EXPECT_FALSE(ReadMachineFile(kJobFile).empty());
}

}  // namespace
}  // namespace graphicstest
