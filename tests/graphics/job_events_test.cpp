// The user-interface library's document events on a device context of a
// shipped model, with the built graphics library or the recording one: the job
// tables and identity it hands over, the status monitor it starts and stops,
// the watermark, banner and tab pages it draws, and the passthrough length
// it repairs.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "common/driver_escapes.h"
#include "common/job_sheet_blocks.h"
#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "graphics/core/pdev.h"
#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/base/processes.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/device_context.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/common_dialogs.h"
#include "query/trap_reception.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

constexpr char kJobFile[] = "C:\\events.prn";

class JobEventsTest : public GraphicsPrinterTest {
 protected:
  void SetUp() override {
    GraphicsPrinterTest::SetUp();
    platform::SetProcessLaunchHandler([this](const platform::ProcessLaunch& launch) {
      std::lock_guard<std::mutex> guard(lock_);
      launches_.push_back(launch.commandLine);
      return 33u;
    });
    platform::SetDebugOutputSink([this](std::string_view line) {
      std::lock_guard<std::mutex> guard(lock_);
      traces_.emplace_back(line);
    });
  }
  void TearDown() override {
    platform::SetProcessLaunchHandler(nullptr);
    platform::SetDebugOutputSink(nullptr);
    GraphicsPrinterTest::TearDown();
  }

  // A DC of the monochrome PCL model, with the built graphics library or the
  // recording one.
  HDC Create(const XDEVMODE& devmode, bool recording = false) {
    if (printer_ == 0) {
      printer_ = Install(kMonoModel, "Mono", kPdlPcl5e, 0, recording ? TestModulePath("recording_driver.dll") : "");
    }
    XDEVMODE dm = devmode;
    return CreateDCW(u"WINSPOOL", u"Mono", nullptr, &dm.dmPublic);
  }

  int Start(HDC dc, const char* output = kJobFile) {
    std::u16string name = u"events";
    std::u16string file = platform::ToUtf16(output);
    DOCINFOW doc{sizeof(DOCINFOW), name.c_str(), file.c_str(), nullptr, 0};
    return StartDocW(dc, &doc);
  }

  void Pages(HDC dc, int count) {
    for (int i = 0; i < count; ++i) {
      ASSERT_GT(StartPage(dc), 0);
      ASSERT_GT(EndPage(dc), 0);
    }
  }

  static PDEV* PdevOf(HDC dc) {
    auto context = platform::gdi::FindDC(dc);
    return context ? reinterpret_cast<PDEV*>(context->pdev.dhpdev) : nullptr;
  }

  std::vector<std::string> Launches() {
    std::lock_guard<std::mutex> guard(lock_);
    return launches_;
  }
  // How many escapes of a number the recording graphics library received.
  int EscapesSeen(ULONG escape) {
    std::lock_guard<std::mutex> guard(lock_);
    int count = 0;
    const std::string mark = " " + std::to_string(escape) + " in=";
    for (const std::string& line : traces_) {
      if (line.rfind("rec: DrvEscape", 0) == 0 && line.find(mark) != std::string::npos) ++count;
    }
    return count;
  }

  // The device positions of the glyphs of the text drawn through the
  // recording graphics library, in drawing order.
  std::vector<std::pair<int, int>> GlyphsOf(const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::pair<int, int>> points;
    for (const std::string& line : traces_) {
      if (line.rfind("rec: DrvTextOut", 0) != 0 || line.find(" text=" + text + " ") == std::string::npos) continue;
      size_t at = line.find(" glyphs=");
      if (at == std::string::npos) continue;
      std::string rest = line.substr(at + 8);
      size_t pos = 0;
      while ((pos = rest.find('@', pos)) != std::string::npos) {
        const size_t comma = rest.find(',', pos);
        points.emplace_back(std::stoi(rest.substr(pos + 1, comma - pos - 1)), std::stoi(rest.substr(comma + 1)));
        pos = comma;
      }
    }
    return points;
  }

  std::string Job() {
    std::ifstream in(Host(kJobFile), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  void SetUserString(const char* section, const char* key, const char* value) {
    ASSERT_EQ(db.Functions().SetString(printer_, kStoreUser, section, key, platform::AnsiFromUtf8(value).c_str()), 0u);
  }

  // The printer's port becomes a file of the machine: its jobs go to the
  // printer, not to a file the user names.
  // The first IPv4 address of this host's interfaces that is not a loopback
  // one, else 127.0.0.1.
  static std::string OwnAddress() {
    std::string found = "127.0.0.1";
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return found;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
      if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
      const in_addr address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
      if ((ntohl(address.s_addr) >> 24) == 127) continue;
      char text[INET_ADDRSTRLEN] = {};
      inet_ntop(AF_INET, &address, text, sizeof text);
      found = text;
      break;
    }
    freeifaddrs(list);
    return found;
  }

  void UsePrinterPort(const char* portName = "C:\\Ports\\mono.prn") {
    DWORD needed = 0;
    GetPrinterA(printer_, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(GetPrinterA(printer_, 2, buffer.data(), needed, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    std::string port = portName;
    info->pPortName = port.data();
    info->pDevMode = nullptr;
    ASSERT_TRUE(SetPrinterA(printer_, 2, buffer.data(), 0)) << GetLastError();
  }

  HANDLE printer_ = 0;

 private:
  std::mutex lock_;
  std::vector<std::string> launches_;
  std::vector<std::string> traces_;
};

TEST_F(JobEventsTest, InsertSheetRowsAndSlipSheetDefaultsReachTheGraphicsLibrary) {
  XDEVMODE devmode = DriverLayout(kPdlPcl5e);
  std::strcpy(devmode.dmPrivate._sInsertSheets, "Chapters");
  HDC dc = Create(devmode);
  ASSERT_NE(dc, 0u) << GetLastError();
  SetUserString("Chapters", "General", "0,Face,Short,12,0,400,0,0,0");
  SetUserString("Chapters", "1", "2,0,0,0,0,1,One;");
  SetUserString("Chapters", "2", "5,0,0,0,1,0");
  SetUserString("Chapters", "3", "7,0,0,0,0,1,Three;");
  SetUserString("Defaults", "CmdNbr", "0");
  SetUserString("Defaults", "CmdString", "SLIP=ON");
  ASSERT_GT(Start(dc), 0);
  PDEV* pdev = PdevOf(dc);
  ASSERT_NE(pdev, nullptr);
  ASSERT_EQ(pdev->pageTickets.rowCount, 3u);
  EXPECT_EQ(pdev->pageTickets.rows[0].pageNumber, 2);
  EXPECT_STREQ(pdev->pageTickets.rows[2].tabText, "Three");
  ASSERT_NE(pdev->slipSheetBlock, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(pdev->slipSheetBlock) + 732, "SLIP=ON");
  Pages(dc, 1);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(JobEventsTest, StatusMonitorFollowsJobsThatGoToThePrinter) {
  XDEVMODE devmode = DriverLayout(kPdlPcl5e);
  devmode.dmPrivate._iSNMP = 2;
  devmode.dmPrivate._nOutputDest = 1;
  HDC dc = Create(devmode);
  ASSERT_NE(dc, 0u) << GetLastError();
  UsePrinterPort();
  // The printer sits at one of this host's own addresses, other than the
  // loopback one where there is one: the route towards it leaves from that
  // address, whatever the host name resolves to.
  const std::string printerAddress = OwnAddress();
  ASSERT_EQ(db.SetString(printer_, kStorePrinterData, "Printer", "IP", printerAddress.c_str()), 0u);
  const int jobId = Start(dc);
  ASSERT_GT(jobId, 0);
  // The graphics library was told this host's address as the printer reaches
  // it, for the job's attributes.
  in_addr expected{};
  ASSERT_EQ(inet_pton(AF_INET, printerAddress.c_str(), &expected), 1);
  DWORD address = 0;
  std::memcpy(&address, &expected, sizeof address);
  EXPECT_EQ(PdevOf(dc)->carried.addressValue, address) << printerAddress;
  const std::vector<std::string> started = Launches();
  ASSERT_EQ(started.size(), 1u);
  // The program beside the user-interface library, quoted; the printer between
  // its marks; the job; the document as it stands.
  EXPECT_EQ(started[0].substr(started[0].size() - std::string(" _(Mono)_ JOB_STARTED ").size() -
                              std::to_string(jobId).size() - std::string(" events").size()),
            " _(Mono)_ JOB_STARTED " + std::to_string(jobId) + " events");
  EXPECT_EQ(started[0].front(), '"');
  EXPECT_NE(started[0].find("vigilod5.exe\""), std::string::npos);
  ASSERT_GT(StartPage(dc), 0);
  ASSERT_GT(AbortDoc(dc), 0);
  const std::vector<std::string> after = Launches();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_NE(after[1].find(" _(Mono)_ JOB_DELETE " + std::to_string(jobId) + " events"), std::string::npos);

  // A job on the file port is not the printer's: no monitor, no job id asked.
  UsePrinterPort("FILE:");
  ASSERT_GT(Start(dc), 0);
  Pages(dc, 1);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_EQ(Launches().size(), 2u);
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(JobEventsTest, FirstPageOnlyWatermarkIsDrawnOncePerDocument) {
  if (TestModulePath("recording_driver.dll").empty()) GTEST_SKIP();
  XDEVMODE devmode = DriverLayout(kPdlPcl5e);
  std::strcpy(devmode.dmPrivate._wmCurrent.text, "DRAFT");
  std::strcpy(devmode.dmPrivate._wmCurrent.faceName, "Arial");
  devmode.dmPrivate._wmCurrent.size = 48;
  devmode.dmPrivate._bWmBackground = 1;
  devmode.dmPrivate._bWmFirstPageOnly = 1;
  HDC dc = Create(devmode, true);
  ASSERT_NE(dc, 0u) << GetLastError();
  for (int document = 0; document < 2; ++document) {
    ASSERT_GT(Start(dc), 0);
    Pages(dc, 3);
    ASSERT_GT(EndDoc(dc), 0);
  }
  // Per document: the query at its start, and one capture (begin, end) for page 1.
  EXPECT_EQ(EscapesSeen(kEscWatermarkBegin), 2 * 2);
  EXPECT_EQ(EscapesSeen(kEscWatermarkEnd), 2 * 1);
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(JobEventsTest, WatermarkOverThePageIsCapturedAtEveryPageEnd) {
  if (TestModulePath("recording_driver.dll").empty()) GTEST_SKIP();
  XDEVMODE devmode = DriverLayout(kPdlPcl5e);
  std::strcpy(devmode.dmPrivate._wmCurrent.text, "DRAFT");
  HDC dc = Create(devmode, true);
  ASSERT_NE(dc, 0u) << GetLastError();
  ASSERT_GT(Start(dc), 0);
  Pages(dc, 3);
  ASSERT_GT(EndDoc(dc), 0);
  // The recording library answers the start-of-page question with a non-zero
  // value: the watermark is then drawn at each page's start instead.
  EXPECT_EQ(EscapesSeen(kEscWatermarkEnd), 3);
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(JobEventsTest, WatermarkIsCentredOnThePaperWithoutMargins) {
  if (TestModulePath("recording_driver.dll").empty()) GTEST_SKIP();
  XDEVMODE devmode = DriverLayout(kPdlPcl5e);
  std::strcpy(devmode.dmPrivate._wmCurrent.text, "DRAFT");
  std::strcpy(devmode.dmPrivate._wmCurrent.faceName, "Arial");
  devmode.dmPrivate._wmCurrent.size = 48;
  devmode.dmPrivate._wmCurrent.weight = 400;
  devmode.dmPrivate._bWmBackground = 1;
  devmode.dmPrivate._nMarginType = 2;
  HDC dc = Create(devmode, true);
  ASSERT_NE(dc, 0u) << GetLastError();
  ASSERT_GT(Start(dc), 0);
  Pages(dc, 1);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
  const auto glyphs = GlyphsOf("DRAFT");
  ASSERT_EQ(glyphs.size(), 5u);
  // A4 at 600 dpi is 4960 x 7015 dots; the text's middle lies on the paper's.
  // The run's middle is between its first glyph and the end of its last (about
  // one glyph further); its baseline is within the 400-dot text height.
  const int advance = glyphs[4].first - glyphs[3].first;
  const int middle = (glyphs[0].first + glyphs[4].first + advance) / 2;
  EXPECT_NEAR(middle, 4960 / 2, advance / 2 + 2);
  EXPECT_EQ(glyphs[0].second, glyphs[4].second);
  EXPECT_NEAR(glyphs[0].second, 7015 / 2, 200);
}

TEST_F(JobEventsTest, LandscapePageLayoutProgramTurnsTheWatermarkTheOtherWay) {
  if (TestModulePath("recording_driver.dll").empty()) GTEST_SKIP();
  for (const char* application : {"C:\\Apps\\Writer.exe", "C:\\PM6\\PM65.EXE"}) {
    XDEVMODE devmode = DriverLayout(kPdlPcl5e);
    std::strcpy(devmode.dmPrivate._wmCurrent.text, "DRAFT");
    std::strcpy(devmode.dmPrivate._wmCurrent.faceName, "Arial");
    devmode.dmPrivate._wmCurrent.size = 48;
    devmode.dmPrivate._wmCurrent.angle = 45;
    devmode.dmPrivate._bWmBackground = 1;
    devmode.dmPublic.dmOrientation = DMORIENT_LANDSCAPE;
    std::strcpy(devmode.dmPrivate.applicationPath, application);
    HDC dc = Create(devmode, true);
    ASSERT_NE(dc, 0u) << GetLastError();
    ASSERT_GT(Start(dc), 0);
    Pages(dc, 1);
    ASSERT_GT(EndDoc(dc), 0);
    EXPECT_TRUE(DeleteDC(dc));
    const auto glyphs = GlyphsOf("DRAFT");
    ASSERT_GE(glyphs.size(), 5u) << application;
    // At 45 degrees the text climbs to the right (y falls); at 315 it descends.
    const bool pageMaker = std::string(application).find("PM65") != std::string::npos;
    const auto& first = glyphs[glyphs.size() - 5];
    const auto& last = glyphs[glyphs.size() - 1];
    EXPECT_GT(last.first, first.first) << application;
    if (pageMaker) {
      EXPECT_GT(last.second, first.second) << application;
    } else {
      EXPECT_LT(last.second, first.second) << application;
    }
  }
}

TEST_F(JobEventsTest, TabSheetsAreDrawnOnTheTabStockAfterTheirPages) {
  if (TestModulePath("recording_driver.dll").empty()) GTEST_SKIP();
  printer_ = Install(kColourModel, "Colour", kPdlPs3, 1, TestModulePath("recording_driver.dll"));
  SetUserString("Tabs", "General", "0,Arial,Short,12,1,400,0,0,0");
  SetUserString("Tabs", "1", "2,0,0,0,0,1,Intro;");
  SetUserString("Tabs", "2", "3,0,0,0,0,0");
  SetUserString("Tabs", "3", "4,0,0,0,0,1,Body;");
  XDEVMODE dm = DriverLayout(kPdlPs3);
  dm.dmPrivate._bInsertSheets = 1;
  std::strcpy(dm.dmPrivate._sInsertSheets, "Tabs");
  HDC dc = CreateDCW(u"WINSPOOL", u"Colour", nullptr, &dm.dmPublic);
  ASSERT_NE(dc, 0u) << GetLastError();
  ASSERT_GT(Start(dc), 0);
  Pages(dc, 4);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
  // The page count asked, one tab page, and a tab sheet for each tab row.
  EXPECT_EQ(EscapesSeen(kEscTabPageBegin), 2);
  EXPECT_EQ(EscapesSeen(kEscTabPageEnd), 1);
  EXPECT_EQ(EscapesSeen(kEscTabSheetBegin), 2);
  EXPECT_EQ(EscapesSeen(kEscTabSheetEnd), 2);
  // Upright text stacked down the tab at the stock's edge: the A4 tab stock is
  // 8780 thousandths wide and its tabs 500 deep, so the letters stand between
  // 4968 and 5268 dots at 600 dpi, one under the other.
  for (const char* letter : {"I", "B"}) {
    const auto glyphs = GlyphsOf(letter);
    ASSERT_EQ(glyphs.size(), 1u) << letter;
    EXPECT_GE(glyphs[0].first, 4968 - 60) << letter;
    EXPECT_LE(glyphs[0].first, 5268) << letter;
  }
  const auto n = GlyphsOf("n"), t = GlyphsOf("t");
  ASSERT_FALSE(n.empty());
  ASSERT_FALSE(t.empty());
  EXPECT_LT(GlyphsOf("I")[0].second, n[0].second);
  EXPECT_LT(n[0].second, t[0].second);
}

TEST_F(JobEventsTest, MacroFileJobAsksForAFileUnlessItNamesAnExistingOne) {
  XDEVMODE devmode = DriverLayout(kPdlPcl5e);
  devmode.dmPrivate._nOutputDest = 5;
  int asked = 0;
  platform::SetFileDialogHandler([&](const platform::FileDialogRequest&, std::string*) {
    ++asked;
    return false;  // the user cancels
  });
  HDC dc = Create(devmode);
  ASSERT_NE(dc, 0u) << GetLastError();
  EXPECT_LE(Start(dc, "C:\\no such folder\\macro.pcl"), 0);
  EXPECT_EQ(asked, 1);
  // Once cancelled, every later document of the device context fails.
  EXPECT_LE(Start(dc, kJobFile), 0);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(DeleteDC(dc));

  // An application that names an existing file is not asked.
  { std::ofstream(Host(kJobFile)) << "old"; }
  dc = Create(devmode);
  ASSERT_NE(dc, 0u) << GetLastError();
  ASSERT_GT(Start(dc, kJobFile), 0);
  Pages(dc, 1);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(asked, 1);
  platform::SetFileDialogHandler(nullptr);
}

// An application whose passthrough count word counts the whole block, the word
// included: the data it holds prints once, nothing past the block is read (the
// bytes after it in memory never reach the job), and the application is told
// the data went out.
TEST_F(JobEventsTest, PassthroughCountingItsOwnLengthWordPrintsOnlyItsBlock) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  printer_ = Install(kColourModel, "Colour", kPdlPs3, 1);
  XDEVMODE dm = DriverLayout(kPdlPs3);
  HDC dc = CreateDCW(u"WINSPOOL", u"Colour", nullptr, &dm.dmPublic);
  ASSERT_NE(dc, 0u) << GetLastError();
  ASSERT_GT(Start(dc), 0);
  ASSERT_GT(StartPage(dc), 0);
  const std::string code = "\n% application mark\n";
  const WORD size = static_cast<WORD>(sizeof(WORD) + code.size());
  std::string memory(reinterpret_cast<const char*>(&size), sizeof size);
  memory += code;
  memory += "ZZ";  // what follows the application's block in its memory
  const int answer = ExtEscape(dc, kEscPassThrough, size, memory.data(), 0, nullptr);
  EXPECT_GT(answer, 0);
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
  const std::string job = Job();
  const size_t first = job.find("% application mark\n");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(job.find("% application mark", first + 1), std::string::npos);
  EXPECT_EQ(job.find("mark\nZZ"), std::string::npos);
}

// Clearing printer memory per page puts every page after the first (whose save
// the job header opens) in a save that its page end restores; without it no
// page is restored. Each page draws text, so each page downloads a font.
TEST_F(JobEventsTest, ClearingMemoryPerPageSavesAndRestoresEveryPostScriptPage) {
  printer_ = Install(kColourModel, "Colour", kPdlPs3, 1);
  for (DWORD clear : {0u, 1u}) {
    SCOPED_TRACE(clear);
    XDEVMODE dm = DriverLayout(kPdlPs3);
    dm.dmPrivate._bClearMemoryPerPage = clear;
    HDC dc = CreateDCW(u"WINSPOOL", u"Colour", nullptr, &dm.dmPublic);
    ASSERT_NE(dc, 0u) << GetLastError();
    ASSERT_GT(Start(dc), 0);
    for (int page = 0; page < 3; ++page) {
      ASSERT_GT(StartPage(dc), 0);
      EXPECT_TRUE(ExtTextOutW(dc, 300, 300, 0, nullptr, u"Page", 4, nullptr));
      ASSERT_GT(EndPage(dc), 0);
    }
    ASSERT_GT(EndDoc(dc), 0);
    EXPECT_TRUE(DeleteDC(dc));
    const std::string job = Job();
    size_t restores = 0;
    for (size_t at = job.find("\nRS\n"); at != std::string::npos; at = job.find("\nRS\n", at + 1)) ++restores;
    EXPECT_EQ(restores, clear ? 2u : 0u);
    if (!GhostscriptAvailable()) continue;
    const testsupport::PclReport report = testsupport::ReadPclJob(job);
    ASSERT_TRUE(report.ok()) << report.Summary();
    std::string postScript;
    for (const std::string& section : report.PostScript()) postScript += section;
    const GhostscriptRun run = RunPostScriptJob(postScript);
    ASSERT_TRUE(run.Clean()) << run.output;
    ASSERT_EQ(run.pages.size(), 3u);
    for (const RenderedPage& page : run.pages) EXPECT_GT(page.DarkCount(0, 0, page.width, page.height), 0);
  }
}

TEST_F(JobEventsTest, BannerPagePrintsAheadOfTheDocument) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript is not installed";
  printer_ = Install(kColourModel, "Colour", kPdlPs3, 1);
  XDEVMODE dm = DriverLayout(kPdlPs3);
  dm.dmPrivate._epBanner.on = 1;
  std::strcpy(dm.dmPrivate._sAccount, "Sales");
  HDC dc = CreateDCW(u"WINSPOOL", u"Colour", nullptr, &dm.dmPublic);
  ASSERT_NE(dc, 0u) << GetLastError();
  ASSERT_GT(Start(dc), 0);
  Pages(dc, 2);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_TRUE(DeleteDC(dc));
  const std::string job = Job();
  EXPECT_NE(job.find("%%Banner page"), std::string::npos);
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  ASSERT_TRUE(report.ok()) << report.Summary();
  std::string postScript;
  for (const std::string& section : report.PostScript()) postScript += section;
  const GhostscriptRun run = RunPostScriptJob(postScript);
  ASSERT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(run.pages.size(), 3u);
}

}  // namespace
}  // namespace graphicstest
