// The document and page store through whole jobs: pages are drawn as short
// recognisable texts ("% PAGE n"), the job is printed to a file port and read
// back, and the order in which pages, inserted sheets and sheet ends reach the
// printer is compared with the final order the job asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "common/job_sheet_blocks.h"
#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/inject/injection_store.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/pages/document_store.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"
#include "platform/base/codepage.h"
#include "platform/spooler/spooler.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/graphics/fake_vector_writer.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

constexpr WORD kPostScript = 0x103;
constexpr WORD kPcl = 0x8C;
constexpr DWORD kAdvErrorHandler = 0x08;

// A page-ticket row: the page it follows, whether its sheet carries the page
// image and whether it is a tab sheet.
PageTicketRow Row(int page, bool image, bool tab) {
  PageTicketRow row{};
  row.pageNumber = page;
  row.imageFlag = image ? 1 : 0;
  row.tabFlag = tab ? 1 : 0;
  return row;
}

// The sheets of a PostScript job as tokens: "P<n>" a page body, "T<n>" a tab
// sheet's capture, "WM" a watermark, the inserted sheets by their comment
// (FRONT, BACK, SLIP, OHP, IMG (ticket sheet with the page), TAB, TABIMG,
// TICKET (blank ticket sheet)), "|" every sheet end (any showpage form).
std::string PostScriptSheets(const std::string& job) {
  static const std::regex token(
      "% PAGE (\\d+)\n|% TAB (\\d+)\n|% WM\n|"
      "%%(Front Cover sheet|Backcover sheet|Slip sheet|OHP Slip sheet|Extrasheet with Image & Tab|"
      "Extrasheet with Image|Extrasheet with Tab|Extrasheet)\n|"
      "/zuvProcs[\\s\\S]*?\\}ifelse\n\\}\\{pop pop [a-z /]*showpage[a-z ]*\\}ifelse\n|"
      "\nshowpage\n|\nsystemdict /showpage get exec\n");
  // clang-format off
  static const std::pair<const char*, const char*> kSheets[] = {
      {"Front Cover sheet", "FRONT"}, {"Backcover sheet", "BACK"},  {"Slip sheet", "SLIP"},
      {"OHP Slip sheet", "OHP"},      {"Extrasheet with Image & Tab", "TABIMG"},
      {"Extrasheet with Image", "IMG"}, {"Extrasheet with Tab", "TAB"}, {"Extrasheet", "TICKET"}};
  // clang-format on
  std::string sheets;
  for (auto it = std::sregex_iterator(job.begin(), job.end(), token); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    std::string item;
    if (m[1].matched) {
      item = "P" + m[1].str();
    } else if (m[2].matched) {
      item = "T" + m[2].str();
    } else if (m[3].matched) {
      for (const auto& [comment, name] : kSheets) {
        if (m[3].str() == comment) item = name;
      }
    } else if (m.str() == "% WM\n") {
      item = "WM";
    } else {
      item = "|";
    }
    if (!sheets.empty()) sheets += ' ';
    sheets += item;
  }
  return sheets;
}

// The PostScript of a job without its PJL envelope.
std::string PostScriptOf(const std::string& job) {
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  EXPECT_TRUE(report.ok()) << report.Summary();
  const std::vector<std::string> sections = report.PostScript();
  std::string text;
  for (const std::string& section : sections) text += section;
  return sections.empty() ? job : text;
}

class PageStoreTest : public DeviceSettingsTest {
 protected:
  void SetUp() override {
    DeviceSettingsTest::SetUp();
    FakeVectorWriter().Reset();
  }

  // A PDEV of a printer of the colour model in the language, with the device
  // mode changed by `change`. The error handler stays out of the prolog: it
  // holds showpage texts of its own.
  PdevPtr Job(WORD pdl, const std::function<void(XDEVMODE&)>& change = {}) {
    const std::string name = "Store " + std::to_string(++printers_);
    HANDLE printer = InstallOnFile(kColourModel, pdl, name);
    if (printer == 0) return nullptr;
    PdevPtr pdev = Pdev(printer, [&](XDEVMODE& dm) {
      dm.dmPrivate._dwAdvSettings &= ~kAdvErrorHandler;
      if (change) change(dm);
    });
    if (pdev) pdev->job.jobLineWritten = 0;
    return pdev;
  }

  // The page-ticket table of escape 62, in force.
  static void SetTickets(PDEV* pdev, const std::vector<PageTicketRow>& rows) {
    auto* block = static_cast<PageTicketRow*>(GraphicsHeapAlloc(rows.size() * sizeof(PageTicketRow)));
    ASSERT_NE(block, nullptr);
    std::copy(rows.begin(), rows.end(), block);
    GraphicsHeapFree(pdev->pageTickets.rows);
    pdev->pageTickets.rows = block;
    pdev->pageTickets.rowCount = static_cast<DWORD>(rows.size());
    pdev->devmode.dmPrivate._bInsertSheets = 1;
  }

  // The tab sheet of a row's page as the tab-page escapes capture it.
  static void CaptureTab(PDEV* pdev, int n) {
    const DWORD saved = pdev->output.currentChannel;
    ASSERT_EQ(SelectOutputChannel(pdev, kChannelTabs), 1);
    ASSERT_EQ(RecordTabStart(pdev, n), 1);
    const std::string text = "% TAB " + std::to_string(n) + "\n";
    WriteOut(pdev, kWriteText, 0, text.c_str());
    ASSERT_EQ(RecordTabEnd(pdev, n, 0), 1);
    ASSERT_EQ(SelectOutputChannel(pdev, saved), 1);
  }

  static void DrawPage(PDEV* pdev, int page) {
    const std::string text =
        (IsPostScriptPdl(pdev->devmode.dmPrivate._nPDL) ? "% PAGE " : "PAGE ") + std::to_string(page) + "\n";
    WriteOut(pdev, kWriteText, 0, text.c_str());
  }

  // A document of `pages` pages as the engine drives it; `betweenPages` runs
  // before each page start (page number), `beforeEnd` before the document end.
  std::string PrintDocument(PDEV* pdev, int pages, const std::function<void(int)>& betweenPages = {},
                            const std::function<void()>& beforeEnd = {}) {
    return Print(pdev, [&] {
      EXPECT_EQ(BeginDocument(pdev, u"Page store"), 1);
      for (int page = 1; page <= pages; ++page) {
        if (betweenPages) betweenPages(page);
        EXPECT_EQ(BeginPage(pdev), 1);
        DrawPage(pdev, page);
        EXPECT_EQ(EndPage(pdev), 1);
      }
      if (beforeEnd) beforeEnd();
      EXPECT_EQ(EndDocument(pdev), 1);
      EXPECT_EQ(FlushOutputBuffer(pdev), 1);
      DeleteChannelFiles(pdev);
    });
  }

  std::string ReadPort(const std::string& windowsPath) {
    std::ifstream in(Host(platform::Utf8FromAnsi(windowsPath)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  bool JobFolderExists(const PDEV* pdev) {
    const std::string folder(pdev->output.jobFolder);
    return !folder.empty() && std::filesystem::exists(Host(platform::Utf8FromAnsi(folder)));
  }

 private:
  int printers_ = 0;
};

// Booklet order: sheets of four positions 1, N4, N4-1, 2, ... with N4 the page
// count rounded up to four; pages beyond the count are empty halves, and every
// side ends with its second half.
TEST_F(PageStoreTest, BookletSidesCarryTheirPagesInFoldingOrder) {
  struct Case {
    int pages;
    const char* sheets;
  };
  const Case cases[] = {
      {1, "P1 | |"},
      {4, "P1 P4 | P3 P2 |"},
      {5, "P1 | P2 | P3 | P5 P4 |"},
      {8, "P1 P8 | P7 P2 | P3 P6 | P5 P4 |"},
      {9, "P1 | P2 | P3 | P9 P4 | P5 P8 | P7 P6 |"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pages);
    PdevPtr pdev = Job(kPostScript, [](XDEVMODE& dm) { dm.dmPrivate._nBooklet = 1; });
    ASSERT_TRUE(pdev);
    const std::string job = PrintDocument(pdev.get(), c.pages);
    EXPECT_EQ(PostScriptSheets(PostScriptOf(job)), c.sheets);
  }
}

TEST_F(PageStoreTest, BookletJobRunsInGhostscriptWithOneImagePerSide) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "gs is not installed";
  PdevPtr pdev = Job(kPostScript, [](XDEVMODE& dm) { dm.dmPrivate._nBooklet = 1; });
  ASSERT_TRUE(pdev);
  const std::string job = PrintDocument(pdev.get(), 5);
  const GhostscriptRun run = RunPostScriptJob(PostScriptOf(job));
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(run.pages.size(), 4u) << "five pages make two sheets, four sides";
}

// Inserted sheets: covers, interleaf (OHP) sheets, page-ticket and tab sheets
// around the pages. A cover or ticket sheet that carries a page shows the page
// (a cover takes the page's place); blank sheets show nothing.
TEST_F(PageStoreTest, InsertedSheetsArePlacedAroundThePages) {
  struct Case {
    const char* what;
    int pages;
    std::function<void(XDEVMODE&)> settings;
    std::vector<PageTicketRow> rows;
    std::vector<int> tabs;
    const char* sheets;
    std::function<void(PDEV*)> adjust = {};  // after the device mode is settled
  };
  auto on = [](InsertedSheetSetting& s, bool printed) {
    s.on = 1;
    s.source = 15;
    s.printed = printed ? 1 : 0;
  };
  const Case cases[] = {
      // clang-format off
      {"blank interleaf", 3, [&](XDEVMODE& dm) { on(dm.dmPrivate.epInterleaf, false); }, {}, {},
       "P1 | OHP | P2 | OHP | P3 | OHP |"},
      {"printed interleaf", 2, [&](XDEVMODE& dm) { on(dm.dmPrivate.epInterleaf, true); }, {}, {},
       "P1 | OHP P1 | P2 | OHP P2 |"},
      {"blank front cover", 2, [&](XDEVMODE& dm) { on(dm.dmPrivate._epFrontCover, false); }, {}, {},
       "FRONT | P1 | P2 |"},
      {"printed front cover", 2, [&](XDEVMODE& dm) { on(dm.dmPrivate._epFrontCover, true); }, {}, {},
       // clang-format on
       "FRONT P1 | P2 |"},
      {"blank back cover", 2, [&](XDEVMODE& dm) { on(dm.dmPrivate._epBackCover, false); }, {}, {}, "P1 | P2 | BACK |"},
      {"printed back cover", 2, [&](XDEVMODE& dm) { on(dm.dmPrivate._epBackCover, true); }, {}, {}, "P1 | BACK P2 |"},
      {"covers and interleaf printed",
       3,
       [&](XDEVMODE& dm) {
         on(dm.dmPrivate._epFrontCover, true);
         on(dm.dmPrivate._epBackCover, true);
         on(dm.dmPrivate.epInterleaf, true);
       },
       {},
       {},
       "FRONT P1 | P2 | OHP P2 | BACK P3 |"},
      {"slip sheet", 2, [&](XDEVMODE& dm) { on(dm.dmPrivate._epSlipSheet, false); }, {}, {}, "P1 | P2 | SLIP |"},
      {"blank ticket before page 1", 2, {}, {Row(0, false, false)}, {}, "TICKET | P1 | P2 |"},
      {"blank ticket after page 1", 3, {}, {Row(1, false, false)}, {}, "P1 | TICKET | P2 | P3 |"},
      {"ticket with image after page 1", 2, {}, {Row(1, true, false)}, {}, "P1 | IMG P1 | P2 |"},
      {"ticket with image before page 1", 2, {}, {Row(0, true, false)}, {}, "IMG P1 | P1 | P2 |"},
      {"tab sheet after page 1", 2, {}, {Row(1, false, true)}, {1}, "P1 | TAB T1 | P2 |"},
      {"tab with image after page 2", 2, {}, {Row(2, true, true)}, {2}, "P1 | P2 | TABIMG P2 T2 |"},
      {"rows of each kind",
       4,
       {},
       {Row(0, false, false), Row(1, true, false), Row(2, false, true), Row(3, true, true), Row(4, false, false)},
       {2, 3},
       "TICKET | P1 | IMG P1 | P2 | TAB T2 | P3 | TABIMG P3 T3 | P4 | TICKET |"},
      // On 2-up sheets the stored unit is the sheet: both its pages go with it.
      {"2-up sheets with printed interleaf",
       3,
       [&](XDEVMODE& dm) {
         dm.dmPrivate._nUp = 2;
         on(dm.dmPrivate.epInterleaf, true);
       },
       {},
       {},
       "P1 P2 | OHP P1 P2 | P3 | OHP P3 |"},
      // Paper by page ticket: a duplex range ends with a blank back, the next
      // (simplex) range starts a sheet of its own.
      {"page-ticket paper ranges",
       4,
       [&](XDEVMODE& dm) {
         dm.dmPublic.dmDefaultSource = 500;
         dm.dmPublic.dmDuplex = DMDUP_VERTICAL;
         dm.dmPrivate._nDuplex = 1;
       },
       {Row(4, false, true)},
       {4},
       "P1 | P2 | P3 | | P4 | TAB T4 |",
       [](PDEV* p) {
         p->devmode.dmPrivate.pageTicketRanges[0] = {1, 3, 257, 256, 1};
         p->devmode.dmPrivate.pageTicketRanges[1] = {4, 4, 257, 256, 0};
       }},
      // clang-format off
      {"rows after the table's end are not read", 2, {},
       {Row(1, false, false), Row(-1, false, false), Row(2, false, false)}, {}, "P1 | TICKET | P2 |"},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = Job(kPostScript, c.settings);
    ASSERT_TRUE(pdev);
    if (!c.rows.empty()) SetTickets(pdev.get(), c.rows);
    if (c.adjust) c.adjust(pdev.get());
    const std::string job = PrintDocument(pdev.get(), c.pages, {}, [&] {
      for (int tab : c.tabs) CaptureTab(pdev.get(), tab);
    });
    EXPECT_EQ(PostScriptSheets(PostScriptOf(job)), c.sheets);
  }
}

TEST_F(PageStoreTest, JobWithInsertedSheetsRunsInGhostscript) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "gs is not installed";
  PdevPtr pdev = Job(kPostScript, [](XDEVMODE& dm) {
    dm.dmPrivate._epFrontCover = {1, 15, 1};
    dm.dmPrivate.epInterleaf = {1, 15, 1};
  });
  ASSERT_TRUE(pdev);
  SetTickets(pdev.get(), {Row(1, true, false), Row(2, false, true)});
  const std::string job = PrintDocument(pdev.get(), 3, {}, [&] { CaptureTab(pdev.get(), 2); });
  const std::string sheets = PostScriptSheets(PostScriptOf(job));
  const GhostscriptRun run = RunPostScriptJob(PostScriptOf(job));
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(static_cast<long>(run.pages.size()), std::count(sheets.begin(), sheets.end(), '|')) << sheets;
}

// On a duplex job the back of a sheet carries only the page's body (its
// settings would start a new sheet), inserts wait for the end of the sheet,
// and the last sheet gets a blank back.
TEST_F(PageStoreTest, DuplexSheetsStayWholeAroundInsertedSheets) {
  PdevPtr pdev = Job(kPostScript, [](XDEVMODE& dm) {
    dm.dmPublic.dmDuplex = DMDUP_VERTICAL;
    dm.dmPrivate._nDuplex = 1;
  });
  ASSERT_TRUE(pdev);
  SetTickets(pdev.get(), {Row(1, false, true)});
  const std::string job = PrintDocument(pdev.get(), 3, {}, [&] { CaptureTab(pdev.get(), 1); });
  const std::string postScript = PostScriptOf(job);
  EXPECT_EQ(PostScriptSheets(postScript), "P1 | P2 | TAB T1 | P3 | |");
  const size_t front = postScript.find("% PAGE 1\n");
  const size_t back = postScript.find("% PAGE 2\n");
  ASSERT_NE(back, std::string::npos);
  EXPECT_EQ(postScript.substr(front, back - front).find("setpagedevice"), std::string::npos)
      << "the back side must not change the sheet's settings";
}

// Without booklet or inserted sheets carrying pages nothing is stored: each
// page reaches the spooler when it ends.
TEST_F(PageStoreTest, PagesGoStraightWhenTheOrderDoesNotChange) {
  for (WORD pdl : {kPostScript, kPcl}) {
    SCOPED_TRACE(pdl);
    PdevPtr pdev = Job(pdl, [](XDEVMODE& dm) { dm.dmPrivate.epInterleaf = {1, 15, 0}; });
    ASSERT_TRUE(pdev);
    std::vector<uint64_t> sentAfterPage;
    const std::string job = PrintDocument(pdev.get(), 3, [&](int page) {
      if (page > 1) {
        EXPECT_EQ(pdev->output.currentChannel, kChannelSpooler);
        EXPECT_EQ(FlushOutputBuffer(pdev.get()), 1);
        sentAfterPage.push_back(pdev->output.channels[kSpoolerIndex].bytesWritten);
      }
    });
    EXPECT_EQ(pdev->output.channels[kPagesIndex].bytesWritten, 0u) << "nothing went to the pages file";
    ASSERT_EQ(sentAfterPage.size(), 2u);
    EXPECT_NE(job.find(pdl == kPcl ? "PAGE 1\n" : "% PAGE 1\n"), std::string::npos);
    EXPECT_LT(job.find(pdl == kPcl ? "PAGE 1\n" : "% PAGE 1\n"), sentAfterPage[0]) << "page 1 went out before page 2";
    if (pdl == kPcl) {
      const testsupport::PclReport report = testsupport::ReadPclJob(job);
      ASSERT_TRUE(report.ok()) << report.Summary();
      // Three pages and three blank interleaf sheets.
      EXPECT_EQ(report.formFeeds, 6);
      std::vector<std::pair<std::string, int>> pages;
      for (const auto& run : report.text) {
        if (run.text.rfind("PAGE ", 0) == 0) pages.emplace_back(run.text, run.page);
      }
      const std::vector<std::pair<std::string, int>> expected = {{"PAGE 1", 0}, {"PAGE 2", 2}, {"PAGE 3", 4}};
      EXPECT_EQ(pages, expected);
    }
  }
}

// A PCL job with inserted sheets stores its pages and sends them again in
// the final order; the reader sees every sheet end as a form feed.
TEST_F(PageStoreTest, PclPagesAreSentAgainInTheFinalOrder) {
  PdevPtr pdev = Job(kPcl, [](XDEVMODE& dm) { dm.dmPrivate.epInterleaf = {1, 15, 1}; });
  ASSERT_TRUE(pdev);
  const std::string job = PrintDocument(pdev.get(), 2);
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  ASSERT_TRUE(report.ok()) << report.Summary();
  std::vector<std::pair<std::string, int>> pages;
  for (const auto& run : report.text) {
    if (run.text.rfind("PAGE ", 0) == 0) pages.emplace_back(run.text, run.page);
  }
  // Page, interleaf with the page, page, interleaf with the page.
  const std::vector<std::pair<std::string, int>> expected = {
      {"PAGE 1", 0}, {"PAGE 1", 1}, {"PAGE 2", 2}, {"PAGE 2", 3}};
  EXPECT_EQ(pages, expected);
  EXPECT_EQ(report.formFeeds, 4);
}

// A setting that changes between pages is written once, at the page where it
// changes; pages that keep it write nothing.
TEST_F(PageStoreTest, SettingsThatChangeBetweenPagesAreWrittenAtTheChange) {
  struct Case {
    WORD pdl;
    const char* paperCommand;  // regular expression of one paper-size setting
  };
  const Case cases[] = {{kPostScript, "/PageSize +\\["}, {kPcl, "\x1b&l\\d+A"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pdl);
    PdevPtr pdev = Job(c.pdl, [](XDEVMODE& dm) { dm.dmPublic.dmPaperSize = DMPAPER_A4; });
    ASSERT_TRUE(pdev);
    const std::string job = PrintDocument(pdev.get(), 4, [&](int page) {
      if (page == 3) pdev->devmode.dmPublic.dmPaperSize = DMPAPER_LETTER;
    });
    const std::regex paper(c.paperCommand);
    std::vector<size_t> at;
    for (auto it = std::sregex_iterator(job.begin(), job.end(), paper); it != std::sregex_iterator(); ++it) {
      at.push_back(static_cast<size_t>(it->position()));
    }
    const std::string marker = c.pdl == kPcl ? "PAGE " : "% PAGE ";
    const size_t page1 = job.find(marker + "1\n");
    const size_t page2 = job.find(marker + "2\n");
    const size_t page3 = job.find(marker + "3\n");
    ASSERT_EQ(at.size(), 2u) << "paper written at the first page and at the change only";
    EXPECT_LT(at[0], page1);
    EXPECT_GT(at[1], page2);
    EXPECT_LT(at[1], page3);
  }
}

// An aborted job: the device context goes away without a document end. The
// pages held back never reach the printer and the job's files are deleted.
TEST_F(PageStoreTest, AbortedJobLeavesNoFilesAndSendsNothingMore) {
  enum class End { DisableRelease, FreeOnly };
  for (End end : {End::DisableRelease, End::FreeOnly}) {
    SCOPED_TRACE(static_cast<int>(end));
    PdevPtr pdev = Job(kPostScript, [](XDEVMODE& dm) { dm.dmPrivate._nBooklet = 1; });
    ASSERT_TRUE(pdev);
    SetTickets(pdev.get(), {Row(1, false, false)});
    const HANDLE printer = pdev->printer;
    const std::string port = "C:\\Ports\\" + std::string(pdev->carried.printerName) + ".prn";
    char document[] = "aborted";
    DOC_INFO_1A doc{document, nullptr, nullptr};
    ASSERT_NE(StartDocPrinterA(printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
    ASSERT_EQ(BeginDocument(pdev.get(), u"Aborted"), 1);
    for (int page = 1; page <= 3; ++page) {
      ASSERT_EQ(BeginPage(pdev.get()), 1);
      DrawPage(pdev.get(), page);
      ASSERT_EQ(EndPage(pdev.get()), 1);
    }
    ASSERT_GT(pdev->output.channels[kPagesIndex].bytesWritten, 0u);
    ASSERT_TRUE(JobFolderExists(pdev.get()));
    const std::string folder = pdev->output.jobFolder;
    const uint64_t sent = pdev->output.channels[kSpoolerIndex].bytesWritten;
    if (end == End::DisableRelease) {
      ReleaseDocumentFonts(pdev.get(), TRUE);
      EXPECT_EQ(pdev->pageTickets.rows, nullptr);
      EXPECT_FALSE(std::filesystem::exists(Host(platform::Utf8FromAnsi(folder))));
    }
    pdev.reset();  // FreePdev
    EXPECT_FALSE(std::filesystem::exists(Host(platform::Utf8FromAnsi(folder))));
    ASSERT_TRUE(EndDocPrinter(printer));
    const std::string job = ReadPort(port);
    EXPECT_EQ(job.size(), sent) << "nothing was sent after the pages were held back";
    EXPECT_EQ(job.find("% PAGE"), std::string::npos) << "no stored page was sent";
    EXPECT_NE(job.find("CalyxonDict"), std::string::npos) << "the header went out before the pages";
  }
}

// A watermark captured to lie over the page is copied at every page's end
// inside the page's placement, not only on N-up sheets.
TEST_F(PageStoreTest, ForegroundWatermarkIsCopiedAtEveryPageEnd) {
  PdevPtr pdev = Job(kPostScript);
  ASSERT_TRUE(pdev);
  auto capture = [&](int) {
    const DWORD saved = pdev->output.currentChannel;
    ASSERT_EQ(SelectOutputChannel(pdev.get(), kChannelWatermark), 1);
    WriteOut(pdev.get(), kWriteText, 0, "% WM\n");
    ASSERT_EQ(SelectOutputChannel(pdev.get(), saved), 1);
    pdev->carried.watermarkCapture = 2;
  };
  const std::string job = PrintDocument(pdev.get(), 2, capture);
  EXPECT_EQ(PostScriptSheets(PostScriptOf(job)), "P1 WM | P2 WM |");
  EXPECT_EQ(pdev->carried.watermarkCapture, 0);
}

// "PageBorder" frames the cell of every page of an N-up or booklet sheet.
TEST_F(PageStoreTest, PageBorderFramesEachCellOfNupAndBookletSheets) {
  struct Case {
    const char* what;
    WORD up;
    WORD booklet;
    DWORD border;
    size_t rectangles;
  };
  const Case cases[] = {
      {"4-up with border", 4, 0, 1, 4 * 4},
      {"booklet with border", 1, 1, 1, 3 * 4},
      {"4-up without border", 4, 0, 0, 0},
      {"1-up with border", 1, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeVectorWriter().Reset();
    PdevPtr pdev = Job(kPostScript, [&](XDEVMODE& dm) {
      dm.dmPrivate._nUp = c.up;
      dm.dmPrivate._nBooklet = c.booklet;
      dm.dmPrivate._bNupBorder = c.border;
    });
    ASSERT_TRUE(pdev);
    const std::string job = PrintDocument(pdev.get(), c.booklet ? 3 : 4);
    EXPECT_EQ(FakeVectorWriter().rectangles.size(), c.rectangles);
    for (const RectangleCall& call : FakeVectorWriter().rectangles) {
      EXPECT_LT(call.rect.left, call.rect.right);
      EXPECT_LT(call.rect.top, call.rect.bottom);
    }
  }
}

// A job with tab sheets is printed to the edges of the sheet so that the tabs
// are not cut, but the page keeps the geometry GDI was given.
TEST_F(PageStoreTest, TabJobAsksForEdgeToEdgeWithoutMovingThePage) {
  for (bool tabs : {false, true}) {
    SCOPED_TRACE(tabs);
    PdevPtr pdev = Job(kPostScript, [](XDEVMODE& dm) { dm.dmPrivate._nMarginType = 1; });
    ASSERT_TRUE(pdev);
    if (tabs) SetTickets(pdev.get(), {Row(1, false, true)});
    const std::string job = PrintDocument(pdev.get(), 1, {}, [&] {
      if (tabs) CaptureTab(pdev.get(), 1);
    });
    EXPECT_NE(job.find(tabs ? "<</EdgeToEdge true>>" : "<</EdgeToEdge false>>"), std::string::npos);
    EXPECT_EQ(pdev->devmode.dmPrivate._nMarginType, 1);
  }
}

// A PostScript-centric job: the setup and page comments of the document
// structure with the application's injected texts at their places; the page
// points apply to one page.
TEST_F(PageStoreTest, PostScriptCentricJobCarriesStructureCommentsAndInjections) {
  PdevPtr pdev = Job(kPostScript);
  ASSERT_TRUE(pdev);
  pdev->injectionMode = 2;
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);
  const std::pair<DWORD, std::string> injected[] = {
      {PSINJECT_BEGINSETUP, "% begin setup\n"},          {PSINJECT_ENDSETUP, "% end setup\n"},
      {PSINJECT_PAGENUMBER, "% page number\n"},          {PSINJECT_ENDPAGECOMMENTS, "% end comments\n"},
      {PSINJECT_BEGINPAGESETUP, "% begin page setup\n"}, {PSINJECT_ENDPAGESETUP, "% end page setup\n"},
  };
  for (const auto& [point, text] : injected) {
    ASSERT_EQ(AppendInjectionData(pdev.get(), point, text.data(), static_cast<DWORD>(text.size())), 1);
  }
  const std::string job = PrintDocument(pdev.get(), 2);
  const char* order[] = {"%%BeginSetup\n% begin setup\n", "% end setup\n%%EndSetup\n\n", "\n%Page 1\n% page number\n",
                         "% end comments\n%%EndPageComments\n\n%%BeginPageSetup\n% begin page setup\n",
                         // clang-format off
                         "% end page setup\n%%EndPageSetup\n\n", "% PAGE 1\n", "\n%Page 2\n%%EndPageComments", "% PAGE 2\n"};
  // clang-format on
  size_t at = 0;
  for (const char* text : order) {
    SCOPED_TRACE(text);
    const size_t found = job.find(text, at);
    ASSERT_NE(found, std::string::npos);
    at = found;
  }
  EXPECT_EQ(job.find("%%BeginSetup", job.find("% PAGE 1")), std::string::npos) << "the setup is written once";
  DestroyInjectData(pdev.get());
}

// Writers that put something on a page start it first; the page starts once
// and the first page gets its page save when none is open.
TEST_F(PageStoreTest, EnsurePageStartedStartsThePageOnce) {
  PdevPtr pdev = Job(kPostScript);
  ASSERT_TRUE(pdev);
  const std::string job = Print(pdev.get(), [&] {
    ASSERT_EQ(BeginDocument(pdev.get(), u"Ensure"), 1);
    ASSERT_EQ(FlushOutputBuffer(pdev.get()), 1);
    // Whatever the header did, no save is open now.
    if (pdev->carried.documentFlags & kDocPageSaveOpen) EmitSaveRestore(pdev.get(), kRestorePage);
    const uint64_t header = pdev->output.channels[kSpoolerIndex].bytesWritten;
    EXPECT_EQ(EnsurePageStarted(pdev.get(), FALSE), 1);
    EXPECT_EQ(EnsurePageStarted(pdev.get(), FALSE), 1);
    EXPECT_EQ(pdev->pages.pagesStarted, 1u);
    EXPECT_TRUE(pdev->carried.documentFlags & kDocPageSaveOpen);
    DrawPage(pdev.get(), 1);
    ASSERT_EQ(EndDocument(pdev.get()), 1);
    ASSERT_EQ(FlushOutputBuffer(pdev.get()), 1);
    EXPECT_GT(pdev->output.channels[kSpoolerIndex].bytesWritten, header);
  });
  const std::string page = job.substr(job.find("\n%Page 1\n"));
  EXPECT_EQ(page.find("\n%Page 1\n", 1), std::string::npos) << "one page start";
  EXPECT_NE(page.find("SS"), std::string::npos) << "the page save";
  EXPECT_EQ(PostScriptSheets(PostScriptOf(job)), "P1 |") << "the page ended at the document end";
}

}  // namespace
}  // namespace graphicstest
