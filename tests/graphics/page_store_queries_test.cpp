// What the page store reads of a job: the inserted sheets it has, the
// page-ticket rows of pages and sheets, whether a sheet side is complete, the
// document name, and the application's stray Ctrl-D.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/job_sheet_blocks.h"
#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/pages/document_store.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"
#include "platform/base/codepage.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/support/machine_fixture.h"

namespace graphicstest {
namespace {

PageTicketRow Row(int page, bool image, bool tab) {
  PageTicketRow row{};
  row.pageNumber = page;
  row.imageFlag = image ? 1 : 0;
  row.tabFlag = tab ? 1 : 0;
  return row;
}

class PageStoreQueryTest : public testsupport::FreshMachine {
 protected:
  PdevPtr Pdev(WORD pdl = 0x103) {
    PdevPtr pdev(AllocPdev());
    pdev->devmode = DriverLayout(pdl);
    return pdev;
  }
  static void SetTickets(PDEV* pdev, const std::vector<PageTicketRow>& rows, DWORD mode = 1) {
    auto* block = static_cast<PageTicketRow*>(GraphicsHeapAlloc(rows.size() * sizeof(PageTicketRow)));
    std::copy(rows.begin(), rows.end(), block);
    GraphicsHeapFree(pdev->pageTickets.rows);
    pdev->pageTickets.rows = block;
    pdev->pageTickets.rowCount = static_cast<DWORD>(rows.size());
    pdev->devmode.dmPrivate._bInsertSheets = mode;
  }
};

TEST_F(PageStoreQueryTest, TicketRowsAreClassifiedByImageAndTabFlags) {
  PdevPtr pdev = Pdev();
  SetTickets(pdev.get(), {Row(0, false, false), Row(1, true, false), Row(2, false, true), Row(3, true, true),
                          Row(3, false, false), Row(-1, false, false), Row(5, true, true)});
  struct Case {
    int page;
    DWORD kind;
    int row;
    DWORD flag;
  };
  const Case cases[] = {
      {0, kTicketRowBlank, 0, kPageFlagTicketBefore},
      {1, kTicketRowPrinted, 1, kPageFlagTicketAfter},
      {2, kTicketRowTab, 2, kPageFlagTicketAfter},
      {3, kTicketRowTabPrinted, 3, kPageFlagTicketAfter},  // the first row of the page
      {4, 0, -1, 0},
      {5, 0, -1, 0},  // after the end mark
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    int row = 99;
    EXPECT_EQ(TicketKindForPage(pdev.get(), c.page, &row), c.kind);
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(TicketFlagForPage(pdev.get(), c.page), c.flag);
  }
  // The rows count only while the insert-sheet table is in force.
  pdev->devmode.dmPrivate._bInsertSheets = 0;
  EXPECT_EQ(TicketKindForPage(pdev.get(), 1, nullptr), 0u);
  EXPECT_EQ(TicketFlagForPage(pdev.get(), 0), 0u);
}

TEST_F(PageStoreQueryTest, SheetInsertsAndTabSheetsDecideWhetherPagesAreStored) {
  struct Case {
    const char* what;
    std::function<void(PDEV*)> set;
    BOOL inserts;
    BOOL tabs;
  };
  auto setting = [](InsertedSheetSetting XDEVMODE_PRIVATE::*field, DWORD printed) {
    return [field, printed](PDEV* p) { p->devmode.dmPrivate.*field = {1, 15, printed}; };
  };
  const Case cases[] = {
      {"nothing", [](PDEV*) {}, FALSE, FALSE},
      {"banner printed", setting(&XDEVMODE_PRIVATE::_epBanner, 1), TRUE, FALSE},
      {"slip sheet printed", setting(&XDEVMODE_PRIVATE::_epSlipSheet, 1), TRUE, FALSE},
      {"front cover printed", setting(&XDEVMODE_PRIVATE::_epFrontCover, 1), TRUE, FALSE},
      {"back cover printed", setting(&XDEVMODE_PRIVATE::_epBackCover, 1), TRUE, FALSE},
      {"interleaf printed", setting(&XDEVMODE_PRIVATE::epInterleaf, 1), TRUE, FALSE},
      {"front cover blank", setting(&XDEVMODE_PRIVATE::_epFrontCover, 0), FALSE, FALSE},
      {"interleaf blank", setting(&XDEVMODE_PRIVATE::epInterleaf, 0), FALSE, FALSE},
      // clang-format off
      {"blank ticket rows", [](PDEV* p) { SetTickets(p, {Row(0, false, false), Row(2, false, false)}); }, FALSE,
       FALSE},
      // clang-format on
      {"ticket row with image", [](PDEV* p) { SetTickets(p, {Row(2, true, false)}); }, TRUE, FALSE},
      {"tab row", [](PDEV* p) { SetTickets(p, {Row(2, false, true)}); }, TRUE, TRUE},
      // clang-format off
      {"tab row past the end mark", [](PDEV* p) { SetTickets(p, {Row(-1, false, false), Row(2, false, true)}); },
       // clang-format on
       FALSE, FALSE},
      {"tab row, table not in force", [](PDEV* p) { SetTickets(p, {Row(2, false, true)}, 0); }, FALSE, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = Pdev();
    c.set(pdev.get());
    EXPECT_EQ(HasSheetInserts(pdev.get()), c.inserts);
    EXPECT_EQ(HasTabSheets(pdev.get()), c.tabs);
  }
}

TEST_F(PageStoreQueryTest, TicketRowOfASheetFollowsNupAndTheBeforeFlag) {
  struct Case {
    WORD up;
    DWORD pagesStarted;
    BOOL before;
    int row;
  };
  // Rows for sheets 1, 2 and 3.
  const Case cases[] = {
      {1, 1, FALSE, 0}, {1, 2, FALSE, 1}, {1, 2, TRUE, 0},  {1, 4, FALSE, -1}, {1, 0, FALSE, -1},
      {2, 3, FALSE, 1},  // pages 3-4 are sheet 2
      {2, 4, FALSE, 1}, {2, 5, FALSE, 2}, {4, 4, FALSE, 0}, {4, 5, TRUE, 0},   {4, 5, FALSE, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.up << "-up, page " << c.pagesStarted << (c.before ? " before" : ""));
    PdevPtr pdev = Pdev();
    SetTickets(pdev.get(), {Row(1, false, false), Row(2, false, false), Row(3, false, false)});
    pdev->devmode.dmPrivate._nUp = c.up;
    pdev->pages.pagesStarted = c.pagesStarted;
    EXPECT_EQ(FindTicketRowForSheet(pdev.get(), FALSE, c.before), c.row);
    // A query finds what a look-up finds: a sheet with a row is never
    // reported as one without.
    EXPECT_EQ(FindTicketRowForSheet(pdev.get(), TRUE, c.before), c.row);
  }
}

TEST_F(PageStoreQueryTest, SheetSideIsCompleteBySidesOrTheTicketRangesDuplex) {
  struct Case {
    const char* what;
    WORD duplex;
    DWORD sides;
    SHORT source;
    LONG rangeDuplex;
    SHORT rangeLast;
    DWORD sheets;
    int plain;
    int query;
  };
  const Case cases[] = {
      {"simplex", 0, 1, 0, 0, 0, 1, 1, 1},
      {"duplex, even sides", 1, 2, 0, 0, 0, 1, 1, 1},
      {"duplex, front only", 1, 3, 0, 0, 0, 1, 0, 0},
      {"ticket paper, simplex range", 1, 1, 500, 0, 4, 1, 1, 1},
      {"ticket paper, duplex range, mid range", 1, 1, 500, 1, 4, 2, 0, 0},
      {"ticket paper, duplex range, its last sheet", 1, 1, 500, 1, 4, 4, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = Pdev();
    pdev->devmode.dmPrivate._nDuplex = c.duplex;
    pdev->devmode.dmPublic.dmDefaultSource = c.source;
    pdev->devmode.dmPrivate.pageTicketRanges[3] = {1, c.rangeLast, 257, 256, c.rangeDuplex};
    pdev->pages.ticketSource = 3;
    pdev->pages.sideCount = c.sides;
    pdev->pages.sheets = c.sheets;
    EXPECT_EQ(IsSheetSideComplete(pdev.get(), FALSE), c.plain);
    EXPECT_EQ(IsSheetSideComplete(pdev.get(), TRUE), c.query);
  }
}

TEST_F(PageStoreQueryTest, PageSheetFlagsTellWhatComesWithAStoredPage) {
  PdevPtr pdev = Pdev();
  pdev->devmode.dmPrivate._epFrontCover = {1, 15, 1};
  pdev->devmode.dmPrivate._epBackCover = {1, 15, 1};
  pdev->devmode.dmPrivate.epInterleaf = {1, 15, 0};
  SetTickets(pdev.get(), {Row(0, false, false), Row(2, true, false)});
  const DWORD none = 0;
  EXPECT_EQ(PageSheetFlags(pdev.get(), 0, 3), none);
  EXPECT_EQ(PageSheetFlags(pdev.get(), 4, 3), none);
  EXPECT_EQ(PageSheetFlags(pdev.get(), 1, 3), kPageFlagFrontCover | kPageFlagTicketBefore | kPageFlagInterleaf);
  EXPECT_EQ(PageSheetFlags(pdev.get(), 2, 3), kPageFlagInterleaf | kPageFlagTicketAfter);
  EXPECT_EQ(PageSheetFlags(pdev.get(), 3, 3), kPageFlagInterleaf | kPageFlagBackCover);
  pdev->devmode.dmPrivate.epInterleaf.printed = 1;
  EXPECT_EQ(PageSheetFlags(pdev.get(), 3, 3), kPageFlagInterleaf | kPageFlagInterleafPrinted | kPageFlagBackCover);
}

TEST_F(PageStoreQueryTest, DocumentNameIsCutWithoutSplittingACharacter) {
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  struct Case {
    std::u16string name;
    size_t jobBytes;    // in the 81-byte job name
    size_t fieldBytes;  // in the device mode's 128-byte field
  };
  const Case cases[] = {
      {u"Report", 6, 6},
      {std::u16string(100, u'a'), 80, 100},
      {std::u16string(200, u'a'), 80, 127},
      // 79 single bytes and a double-byte character: the character does not fit.
      {std::u16string(79, u'a') + u"\u3042", 79, 81},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.size());
    PdevPtr pdev = Pdev();
    ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
    // Without a model record the header is not written, but the names are set.
    EXPECT_EQ(BeginDocument(pdev.get(), c.name.c_str()), 0);
    EXPECT_EQ(std::strlen(pdev->carried.documentName), c.jobBytes);
    EXPECT_EQ(strnlen(pdev->devmode.dmPrivate.documentName, 128), c.fieldBytes);
  }
  PdevPtr pdev = Pdev();
  EXPECT_EQ(BeginDocument(pdev.get(), nullptr), -1);
  EXPECT_EQ(BeginDocument(nullptr, u"x"), -1);
  EXPECT_EQ(EndPage(nullptr), -1);
  EXPECT_EQ(EndDocument(nullptr), -1);
}

TEST_F(PageStoreQueryTest, OnlyAFinalCtrlDOfTheSavedChannelIsDropped) {
  struct Case {
    const char* bytes;
    DWORD current;
    DWORD saved;
    DWORD fill;
  };
  const Case cases[] = {
      {"end\x04", 1, 1, 3},
      {"end\x04", 2, 1, 4},  // written while another channel captures: not the application's end
      {"\x04"
       "end",
       1, 1, 4},
      {"", 1, 1, 0},
  };
  for (const Case& c : cases) {
    PdevPtr pdev = Pdev();
    ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
    const DWORD length = static_cast<DWORD>(std::strlen(c.bytes));
    std::memcpy(pdev->output.buffer, c.bytes, length);
    pdev->output.fill = length;
    pdev->output.currentChannel = c.current;
    pdev->output.savedChannel = c.saved;
    DropTrailingCtrlD(pdev.get());
    EXPECT_EQ(pdev->output.fill, c.fill);
    pdev->output.fill = 0;
    pdev->output.currentChannel = 1;
  }
}

}  // namespace
}  // namespace graphicstest
