// Inserted sheets of every kind (their begin and output, PostScript and PCL),
// the page trailer with its end-sheet and blank flags and the count of sides,
// and the PostScript save levels. PostScript sheets are run in Ghostscript as
// a whole job; PCL sheets are read by the structural reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/job_sheet_blocks.h"
#include "graphics/core/pdev.h"
#include "graphics/inject/injection_store.h"
#include "graphics/output/job/job_framing.h"
#include "graphics/output/job/job_prolog.h"
#include "graphics/output/page/page_end_show.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_begin.h"
#include "graphics/output/page/save_restore.h"
#include "graphics/output/page/sheet_kinds.h"
#include "graphics/stream/output.h"
#include "tests/graphics/fake_device_fonts.h"
#include "tests/graphics/page_setup_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

constexpr DWORD kAllKinds[] = {kSheetBanner,        kSheetSlip, kSheetFrontCover, kSheetBackCover,  kSheetInterleaf,
                               kSheetTicketPrinted, kSheetTab,  kSheetTabPrinted, kSheetTicketBlank};
constexpr DWORD kTray1 = 258;   // the colour and mono models' first tray: it prints both sides
constexpr DWORD kBypass = 257;  // the bypass tray: one side only, not in automatic selection

constexpr char kPlainShowpage[] = "\nshowpage\n";
constexpr char kNonCountingShowpage[] =
    "\n/zuvProcs /ProcSet 2 copy resourcestatus{\n pop pop findresource /nocountshowpage 2 copy known\n"
    " {get exec}{pop pop showpage}ifelse\n}{pop pop showpage}ifelse\n";
constexpr char kTrayMaskRestore[] =
    "0 [ 3]\n{currentpagedevice /InputAttributes get\n1 index known {exch 1 add} {pop} ifelse} forall\n"
    "dup 0 eq {pop} {array astore statusdict /inputTrayMask get exec} ifelse\n";
constexpr char kSheetDots[] =
    "\ninitmatrix newpath clippath pathbbox 3 1 roll pop pop translate 72 600 div dup neg scale\n";

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The PDEV's ticket table: one row per ticket kind, each for page 1, from the
// given source.
struct Tickets {
  std::vector<PageTicketRow> rows;
  void Attach(PDEV* pdev) {
    pdev->pageTickets.rows = rows.data();
    pdev->pageTickets.rowCount = static_cast<DWORD>(rows.size());
  }
  void Detach(PDEV* pdev) {
    pdev->pageTickets.rows = nullptr;
    pdev->pageTickets.rowCount = 0;
  }
};

Tickets TicketRows(DWORD source) {
  Tickets t;
  // Row 0: printed; 1: tab; 2: printed tab; 3: blank.
  for (auto [image, tab] : {std::pair{1, 0}, {0, 1}, {1, 1}, {0, 0}}) {
    PageTicketRow row{};
    row.pageNumber = 1;
    row.value2 = static_cast<int32_t>(source);
    row.imageFlag = image;
    row.tabFlag = tab;
    t.rows.push_back(row);
  }
  return t;
}

int RowOf(DWORD kind) {
  switch (kind) {
    case kSheetTicketPrinted: return 0;
    case kSheetTab: return 1;
    case kSheetTabPrinted: return 2;
    case kSheetTicketBlank: return 3;
    default: return 1;  // banner and slip sheet: ask for their job settings
  }
}

void TurnSheetsOn(XDEVMODE& dm, DWORD source, DWORD printed) {
  for (InsertedSheetSetting* s : {&dm.dmPrivate._epBanner, &dm.dmPrivate._epSlipSheet, &dm.dmPrivate._epFrontCover,
                                  &dm.dmPrivate._epBackCover, &dm.dmPrivate.epInterleaf}) {
    *s = InsertedSheetSetting{1, source, printed};
  }
}

class InsertedSheetTest : public PageSetupTest {};

TEST_F(InsertedSheetTest, PostScriptSheetsOfEveryKind) {
  for (DWORD printed : {0u, 1u}) {
    SCOPED_TRACE(printed ? "sheets with a page image" : "blank sheets");
    PdevPtr pdev = PostScriptPdev([&](XDEVMODE& dm) { TurnSheetsOn(dm, kTray1, printed); });
    ASSERT_TRUE(pdev);
    PDEV* p = pdev.get();
    Tickets tickets = TicketRows(kTray1);
    tickets.Attach(p);
    std::string job = Bytes(p, [&] { WritePsProlog(p, TRUE); });
    int sheetsShown = 0;
    for (DWORD kind : kAllKinds) {
      SCOPED_TRACE("kind " + std::to_string(kind));
      const int row = RowOf(kind);
      const std::string sheet = Bytes(p, [&] {
        EXPECT_EQ(EmitPageBegin(p, kind, row), 1);
        EXPECT_EQ(EmitShowPage(p, kind, row), 1);
      });
      job += sheet;
      // Its comment, and the tray mask lifted (the bypass tray is outside
      // automatic selection on this model).
      EXPECT_EQ(sheet.rfind(std::string(SheetKindComment(kind)) + "[] statusdict /inputTrayMask get exec\n", 0), 0u);
      EXPECT_NE(sheet.find("setpagedevice"), std::string::npos) << "the sheet's tray";
      const bool drawn = kind == kSheetBanner || kind == kSheetSlip;
      EXPECT_EQ(sheet.find(kSheetDots) != std::string::npos, drawn);
      const bool endedByStoredPage =
          printed && (kind == kSheetFrontCover || kind == kSheetBackCover || kind == kSheetInterleaf);
      const std::string end = endedByStoredPage ? "" : kPlainShowpage;
      EXPECT_TRUE(EndsWith(sheet, end + kTrayMaskRestore)) << sheet;
      if (!endedByStoredPage) ++sheetsShown;
    }
    tickets.Detach(p);
    if (!GhostscriptAvailable()) continue;
    const GhostscriptRun run = RunPostScriptJob(job, 10);
    EXPECT_TRUE(run.Clean()) << run.output;
    EXPECT_EQ(static_cast<int>(run.pages.size()), sheetsShown);
  }
}

TEST_F(InsertedSheetTest, SheetsOfACountingModelAreNotCounted) {
  // Blank inserted sheets and blank back sides use the non-counting forms; a
  // printed sheet and a banner the application drew are counted.
  struct Case {
    const char* what;
    DWORD kind;
    DWORD printed;
    DWORD bannerResult;
    bool duplex;
    std::string psEnd;
    std::string pclEnd;
  } cases[] = {
      {"blank slip sheet", kSheetSlip, 0, 0, false, kNonCountingShowpage, Esc("ESC|x901J\fESC|x900J")},
      {"printed slip sheet", kSheetSlip, 1, 0, false, kPlainShowpage, "\f"},
      {"drawn banner", kSheetBanner, 0, 1, false, kPlainShowpage, "\f"},
      {"blank banner", kSheetBanner, 0, 0, false, kNonCountingShowpage, Esc("ESC|x901J\fESC|x900J")},
      {"printed slip sheet, duplex: a blank back", kSheetSlip, 1, 0, true,
       std::string(kPlainShowpage) + kNonCountingShowpage, Esc("\fESC|x901J\fESC|x900J")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (bool postScript : {true, false}) {
      const DevmodeChange change = [&](XDEVMODE& dm) {
        TurnSheetsOn(dm, kTray1, c.printed);
        if (c.duplex) {
          dm.dmPrivate._nDuplex = 1;
          dm.dmPublic.dmDuplex = 2;
        }
      };
      PdevPtr pdev = postScript ? PostScriptPdev(change) : PclPdev(change);
      ASSERT_TRUE(pdev);
      pdev->model->modelSubId = 'P';  // bit 0x10: the model counts sheets
      pdev->bannerResult = c.bannerResult;
      const std::string sent = Bytes(pdev.get(), [&] { EmitShowPage(pdev.get(), c.kind, 0); });
      if (postScript) {
        EXPECT_EQ(sent, c.psEnd + kTrayMaskRestore);
      } else {
        EXPECT_EQ(sent, c.pclEnd);
      }
    }
  }
}

TEST_F(InsertedSheetTest, BlankBackOnlyFromATrayThatPrintsBothSides) {
  for (DWORD source : {kTray1, kBypass}) {
    SCOPED_TRACE(source == kTray1 ? "tray 1" : "bypass tray");
    PdevPtr pdev = PclPdev([&](XDEVMODE& dm) {
      TurnSheetsOn(dm, source, 0);
      dm.dmPrivate._nDuplex = 1;
      dm.dmPublic.dmDuplex = 2;
    });
    ASSERT_TRUE(pdev);
    const std::string sent = Bytes(pdev.get(), [&] { EmitShowPage(pdev.get(), kSheetInterleaf, kNoTicketRow); });
    EXPECT_EQ(sent, source == kTray1 ? "\f\f" : "\f");
  }
}

TEST_F(InsertedSheetTest, PclSheetsOfEveryKindFormAValidJob) {
  PdevPtr pdev = PclPdev([](XDEVMODE& dm) { TurnSheetsOn(dm, kTray1, 0); });
  ASSERT_TRUE(pdev);
  PDEV* p = pdev.get();
  p->job.jobLineWritten = 0;
  Tickets tickets = TicketRows(kTray1);
  tickets.Attach(p);
  const std::string job = Bytes(p, [&] {
    WriteJobHeader(p);
    for (DWORD kind : kAllKinds) {
      EmitPageBegin(p, kind, RowOf(kind));
      WriteOut(p, kWriteText, 0, "SHEET");
      EmitShowPage(p, kind, RowOf(kind));
    }
    WriteJobTrailer(p);
  });
  tickets.Detach(p);
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  EXPECT_TRUE(report.ok()) << report.Summary();
  EXPECT_EQ(report.formFeeds, 9);
  // Banner and slip sheet are drawn in device dots below the top margin
  // (PCL margins of the mono model: 167 at the top).
  const std::string dots =
      Esc("ESC&l0.08c100EESC*p0x0YESC*c7920y0TESC%0BIR0,100,100,0;SC0,1.6933,0,-1.6933,2;SP1TR0;ESC%1A");
  size_t found = 0;
  for (size_t at = job.find(dots); at != std::string::npos; at = job.find(dots, at + 1)) ++found;
  EXPECT_EQ(found, 2u);
  // Every sheet enters the page's HP-GL/2 scaling.
  EXPECT_EQ(report.Instructions("SC").size(), 11u);
}

class PageTrailerTest : public PageSetupTest {};

TEST_F(PageTrailerTest, PostScriptPageEnds) {
  struct Case {
    const char* what;
    DevmodeChange change;
    void (*prepare)(PDEV*);
    BOOL endSheet;
    BOOL blank;
    std::string want;
    DWORD sides;
  } cases[] = {
      {"a page in the middle of a sheet", {}, nullptr, FALSE, FALSE, "", 0},
      {"a simplex sheet counts its back", {}, nullptr, TRUE, FALSE, "\nshowpage\n", 2},
      {"a duplex side", [](XDEVMODE& dm) { dm.dmPrivate._nDuplex = 1; }, nullptr, TRUE, FALSE, "\nshowpage\n", 1},
      {"blank side, counting model",
       {},
       [](PDEV* p) { p->model->modelSubId = 'P'; },
       TRUE,
       TRUE,
       kNonCountingShowpage,
       2},
      {"showpage overridden by the application",
       {},
       [](PDEV* p) { p->job.showpageOverride = 1; },
       TRUE,
       FALSE,
       "\nsystemdict /showpage get exec\n",
       2},
      {"EPS data ends its own page", {}, [](PDEV* p) { p->job.epsMode = 1; }, TRUE, FALSE, "", 2},
      {"EPS page the page store ends",
       {},
       [](PDEV* p) {
         p->job.epsMode = 1;
         p->job.forceShowpage = 1;
       },
       TRUE,
       FALSE,
       "\nshowpage\n",
       2},
      {"N-up page: its gsave closes",
       {},
       [](PDEV* p) { p->writers.pageSetup.pageGsaveOpen = TRUE; },
       FALSE,
       FALSE,
       "\ngrestore\n",
       0},
      {"negative image: the transfer is put back at the sheet end",
       [](XDEVMODE& dm) { dm.dmPrivate._bNegativeImage = 1; }, nullptr, TRUE, FALSE,
       "\n{}bind settransfer\n\nshowpage\n", 2},
      {"memory cleared per page: the page save is restored",
       [](XDEVMODE& dm) { dm.dmPrivate._bClearMemoryPerPage = 1; },
       [](PDEV* p) { p->carried.documentFlags |= kDocPageSaveOpen; }, TRUE, FALSE, "\nRS\n\nshowpage\n", 2},
      {"PostScript-centric: page trailer and its injections",
       {},
       [](PDEV* p) {
         p->injectionMode = 2;
         CreateInjectData(p);
         AppendInjectionData(p, PSINJECT_SHOWPAGE, "%show\n", 6);
         AppendInjectionData(p, PSINJECT_PAGETRAILER, "%trailer\n", 9);
       },
       TRUE,
       FALSE,
       "%show\n\nshowpage\n\n%%PageTrailer\n%trailer\n",
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = PostScriptPdev(c.change);
    ASSERT_TRUE(pdev);
    if (c.prepare) c.prepare(pdev.get());
    pdev->pages.sheetPageIndex = 1;
    pdev->pages.openSheets = 1;
    EXPECT_EQ(Bytes(pdev.get(), [&] { EXPECT_EQ(EmitPageTrailer(pdev.get(), c.endSheet, c.blank), 1); }), c.want);
    EXPECT_EQ(pdev->pages.sideCount, c.sides);
    EXPECT_EQ(pdev->pages.sheetPageIndex, c.endSheet ? 0u : 1u);
    EXPECT_EQ(pdev->pages.openSheets, c.endSheet ? 0u : 1u);
    EXPECT_FALSE(pdev->writers.pageSetup.pageGsaveOpen);
    if (pdev->injectionMode == 2) {
      EXPECT_EQ(GetInjectionData(pdev.get(), PSINJECT_SHOWPAGE, nullptr), 0) << "page points emptied";
      DestroyInjectData(pdev.get());
    }
  }
}

TEST_F(PageTrailerTest, PclPageEnds) {
  struct Case {
    const char* what;
    DevmodeChange change;
    void (*prepare)(PDEV*);
    BOOL endSheet;
    BOOL blank;
    std::string want;
    DWORD sides;
  } cases[] = {
      {"a form feed, the back counted", {}, nullptr, TRUE, FALSE, "\f", 2},
      {"HP-GL/2 is left first", {}, [](PDEV* p) { p->job.inHpgl = 1; }, TRUE, FALSE, Esc("ESC%0A\f"), 2},
      {"blank side of a counting model",
       {},
       [](PDEV* p) { p->model->modelSubId = 'P'; },
       TRUE,
       TRUE,
       Esc("ESC|x901J\fESC|x900J"),
       2},
      {"a duplex side", [](XDEVMODE& dm) { dm.dmPrivate._nDuplex = 1; }, nullptr, TRUE, FALSE, "\f", 1},
      {"macro output ejects nothing", [](XDEVMODE& dm) { dm.dmPrivate._nOutputDest = 5; }, nullptr, TRUE, FALSE, "", 2},
      {"memory cleared per page: the soft fonts go", [](XDEVMODE& dm) { dm.dmPrivate._bClearMemoryPerPage = 1; },
       [](PDEV* p) {
         p->downloadedFonts[0] = FakeDownloadList(1);
         p->carried.softFontCounter = 9;
       },
       TRUE, FALSE, Esc("ESC(19UESC(s1p4101TESC*c1F\f"), 2},
      {"not the end of the sheet", {}, nullptr, FALSE, FALSE, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = PclPdev(c.change);
    ASSERT_TRUE(pdev);
    if (c.prepare) c.prepare(pdev.get());
    EXPECT_EQ(Bytes(pdev.get(), [&] { EXPECT_EQ(EmitPageTrailer(pdev.get(), c.endSheet, c.blank), 1); }), c.want);
    EXPECT_EQ(pdev->pages.sideCount, c.sides);
    EXPECT_EQ(pdev->downloadedFonts[0], nullptr);
    EXPECT_EQ(pdev->job.inHpgl, 0);
  }
}

TEST_F(PageTrailerTest, DuplexRangeOfPageTicketsEndsOnABlankBack) {
  // Paper by page ticket: the range of pages 1-3 prints duplex; its last page
  // is a front side, so a blank back closes the sheet before the next range.
  PdevPtr pdev = PclPdev([](XDEVMODE& dm) {
    dm.dmPublic.dmDefaultSource = 500;
    dm.dmPrivate._nDuplex = 1;
    dm.dmPrivate.pageTicketRanges[0] = PageTicketSourceRange{1, 3, 2, 0, 1};
  });
  ASSERT_TRUE(pdev);
  PDEV* p = pdev.get();
  if (p->devmode.dmPublic.dmDefaultSource != 500) GTEST_SKIP() << "the model refuses paper by page ticket";
  p->pages.ticketSource = 0;
  std::string sent;
  for (DWORD sheet = 1; sheet <= 3; ++sheet) {
    p->pages.sheets = sheet;
    sent += Bytes(p, [&] { EmitPageTrailer(p, TRUE, FALSE); });
  }
  EXPECT_EQ(sent, "\f\f\f\f");
  EXPECT_EQ(p->pages.sideCount, 4u);
}

TEST_F(PageTrailerTest, SaveLevels) {
  struct Case {
    const char* what;
    int level;
    WORD applicationData;
    std::string want;
  } cases[] = {
      {"page save", kSavePage, 0, "\nSS\n"},
      {"page save inside application PostScript", kSavePage, 1, "\nCalyxonDict begin SS end\n"},
      {"page restore", kRestorePage, 0, "\nRS\n"},
      {"page restore inside application PostScript", kRestorePage, 2, "\nCalyxonDict begin RS end\n"},
      {"gsave", kSaveGraphics, 0, "\ngs\n"},
      {"grestore", kRestoreGraphics, 0, "\ngr\n"},
      {"no such level", 5, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = PostScriptPdev();
    ASSERT_TRUE(pdev);
    pdev->job.appPostScriptState = c.applicationData;
    pdev->downloadedFonts[0] = FakeDownloadList(2);
    pdev->currentFont = 4;
    EXPECT_EQ(Bytes(pdev.get(), [&] { EXPECT_EQ(EmitSaveRestore(pdev.get(), c.level), TRUE); }), c.want);
    if (c.level == kSavePage) {
      EXPECT_TRUE(pdev->carried.documentFlags & kDocPageSaveOpen);
    }
    if (c.level == kRestorePage) {
      EXPECT_FALSE(pdev->carried.documentFlags & kDocPageSaveOpen);
      EXPECT_EQ(pdev->downloadedFonts[0], nullptr) << "fonts of the page are gone with its memory";
    }
    if (c.level == kRestorePage || c.level == kRestoreGraphics) {
      EXPECT_EQ(pdev->currentFont, kNoCurrentFont);
    }
  }
  PdevPtr pdev = PostScriptPdev();
  ASSERT_TRUE(pdev);
  pdev->injectionMode = 2;
  CreateInjectData(pdev.get());
  AppendInjectionData(pdev.get(), PSINJECT_VMSAVE, "%save\n", 6);
  AppendInjectionData(pdev.get(), PSINJECT_VMRESTORE, "%restore\n", 9);
  EXPECT_EQ(Bytes(pdev.get(),
                  [&] {
                    EmitSaveRestore(pdev.get(), kSavePage);
                    EmitSaveRestore(pdev.get(), kRestorePage);
                  }),
            "%save\n\nSS\n\nRS\n%restore\n");
  DestroyInjectData(pdev.get());

  PdevPtr pcl = PclPdev();
  ASSERT_TRUE(pcl);
  EXPECT_EQ(Bytes(pcl.get(),
                  [&] {
                    for (int level = 1; level <= 4; ++level) EXPECT_EQ(EmitSaveRestore(pcl.get(), level), TRUE);
                  }),
            "");
}

}  // namespace
}  // namespace graphicstest
